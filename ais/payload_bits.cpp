#include "ais/payload_bits.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/number_format.h"

namespace ais {

namespace {

// The de-armouring rule, evaluated once for every byte value: add 40, then 40
// more when the sum is at most 128, else 32 more; write the sum as 8 bits by
// repeated comparison with 128, 64, ..., 1 (a sum above 255 therefore sets every
// bit) and keep the six low bits.
constexpr std::array<uint8_t, 256> makeSixBitTable() {
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        int s = c + 40;
        s += (s <= 128) ? 40 : 32;
        int bits = 0;
        for (int weight = 128; weight >= 1; weight /= 2) {
            bits <<= 1;
            if (s >= weight) {
                s -= weight;
                bits |= 1;
            }
        }
        table[static_cast<size_t>(c)] = static_cast<uint8_t>(bits & 0x3F);
    }
    return table;
}

constexpr std::array<uint8_t, 256> kSixBit = makeSixBitTable();

}  // namespace

uint8_t CharToSixBit(unsigned char c) { return kSixBit[c]; }

char SixBitToChar(unsigned value) {
    value &= 0x3F;
    if (value == 0) return ' ';
    return static_cast<char>(value < 32 ? value + 64 : value);
}

void PayloadBits::load(std::string_view payload) {
    bytes_.fill(0);
    chars_ = static_cast<int>(std::min<size_t>(payload.size(), kMaxPayloadChars));
    // Four six-bit values make three bytes; the last one to three characters
    // go bit by bit.
    uint32_t acc = 0;
    int accBits = 0;
    size_t out = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(payload.data());
    int i = 0;
    // Eight characters make six bytes: gathered into one word, the first
    // character highest, and stored as one eight-byte write (the two bytes
    // after the six are zero, and the buffer has room past its last byte).
    for (; i + 8 <= chars_; i += 8, out += 6) {
        uint64_t eight = 0;
        for (int k = 0; k < 8; ++k) eight = (eight << 6) | kSixBit[in[i + k]];
        eight <<= 16;
        if constexpr (std::endian::native == std::endian::little) eight = __builtin_bswap64(eight);
        std::memcpy(&bytes_[out], &eight, sizeof eight);
    }
    for (; i + 4 <= chars_; i += 4, out += 3) {
        const uint32_t four = (uint32_t{kSixBit[in[i]]} << 18) | (uint32_t{kSixBit[in[i + 1]]} << 12) |
                              (uint32_t{kSixBit[in[i + 2]]} << 6) | kSixBit[in[i + 3]];
        bytes_[out] = static_cast<uint8_t>(four >> 16);
        bytes_[out + 1] = static_cast<uint8_t>(four >> 8);
        bytes_[out + 2] = static_cast<uint8_t>(four);
    }
    for (; i < chars_; ++i) {
        acc = (acc << 6) | kSixBit[static_cast<unsigned char>(payload[static_cast<size_t>(i)])];
        accBits += 6;
        if (accBits >= 8) {
            accBits -= 8;
            bytes_[out++] = static_cast<uint8_t>(acc >> accBits);
            acc &= (1u << accBits) - 1;
        }
    }
    if (accBits > 0) bytes_[out] = static_cast<uint8_t>(acc << (8 - accBits));
}

bool PayloadBits::bit(int position) const {
    if (position < 1 || position > kMaxPayloadBits) return false;
    const int z = position - 1;
    return (bytes_[static_cast<size_t>(z / 8)] >> (7 - z % 8)) & 1;
}

std::string PayloadBits::text(int first, int last) const {
    std::string out;
    if (first > last) return out;
    out.reserve(static_cast<size_t>((last - first) / 6 + 1));
    for (int start = first; start <= last; start += 6) {
        out.push_back(SixBitToChar(static_cast<unsigned>(value(start, start + 5))));
    }
    return out;
}

int PayloadBits::textEnd(int first, int fillBits) const {
    // Fill bits arrive as read from the sentence (possibly -9999 or huge); clamp
    // them so the arithmetic cannot overflow. Any value outside +-1008 already
    // means "the whole buffer" or "nothing".
    fillBits = std::clamp(fillBits, -kMaxPayloadBits, kMaxPayloadBits);
    int end = std::min(6 * chars_ - fillBits, kMaxPayloadBits);
    // Last whole group that ends at or before `end`.
    if (end < first) return first - 1;
    const int groups = (end - first + 1) / 6;
    return first + groups * 6 - 1;
}

int PayloadBits::dataEnd(int fillBits) const {
    const int fill = fillBits >= 0 && fillBits <= 5 ? fillBits : 0;
    return std::clamp(6 * chars_ - fill, 0, kMaxPayloadBits);
}

void PayloadBits::clearFrom(int first) {
    first = std::max(first, 1);
    if (first > kMaxPayloadBits) return;
    const size_t byte = static_cast<size_t>((first - 1) / 8);
    const int keep = (first - 1) % 8;  // leading bits of that byte that stay
    bytes_[byte] &= static_cast<uint8_t>(0xFF00u >> keep);
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(byte) + 1, bytes_.end(), uint8_t{0});
}

void PayloadBits::hex(int first, int last, std::string& out) const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.clear();
    if (first > last) return;
    out.reserve(static_cast<size_t>((last - first) / 4 + 1));
    for (int start = first; start <= last; start += 4) {
        const int end = std::min(start + 3, last);
        const auto v = static_cast<unsigned>(value(start, end) << (3 - (end - start)));
        out.push_back(kDigits[v & 15]);
    }
}

}  // namespace ais
