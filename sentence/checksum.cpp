#include "sentence/checksum.h"

#include <cstdint>
#include <cstring>

namespace input {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// Writes the checksum of s into out[0..1]; returns false for the "XX" case.
bool computeChecksum(std::string_view s, char out[2]) {
    const size_t star = s.find('*');
    if (star == 0 || s.size() < 2 || star == 1) {
        out[0] = out[1] = 'X';
        return false;
    }
    const size_t end = star == std::string_view::npos ? s.size() : star;
    // Eight bytes at a time, folded into one at the end.
    uint64_t wide = 0;
    size_t i = 1;
    for (; i + 8 <= end; i += 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, sizeof w);
        wide ^= w;
    }
    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    auto x = static_cast<unsigned char>(wide);
    for (; i < end; ++i) x ^= static_cast<unsigned char>(s[i]);
    out[0] = kHex[x >> 4];
    out[1] = kHex[x & 15];
    return true;
}

}  // namespace

std::string NMEAChecksum(std::string_view sentence) {
    char cs[2];
    computeChecksum(sentence, cs);
    return std::string(cs, 2);
}

bool ChecksumValid(std::string_view sentence) {
    if (sentence.size() < 6) return false;
    if (!sentence.empty() && sentence.back() == '\n') {
        sentence.remove_suffix(1);
        if (!sentence.empty() && sentence.back() == '\r') sentence.remove_suffix(1);
    }
    if (sentence.size() < 2) return false;
    char cs[2];
    computeChecksum(sentence, cs);
    return sentence[sentence.size() - 2] == cs[0] && sentence[sentence.size() - 1] == cs[1];
}

}  // namespace input
