#include "sentence/tag_block.h"

#include "sentence/checksum.h"

namespace input {

namespace {

// Digits only, at most 18 (no sign, no overflow); on every tagged line, so
// kept to a plain loop.
bool readInt(std::string_view text, int64_t& out) {
    if (text.empty() || text.size() > 18) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

// The block's text between the backslash and the '*' against the two hex
// digits after the '*' (upper case, as for sentences).
bool checksumMatches(std::string_view text, std::string_view digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (text.empty() || digits.size() != 2) return false;
    unsigned char x = 0;
    for (char c : text) x ^= static_cast<unsigned char>(c);
    return digits[0] == kHex[x >> 4] && digits[1] == kHex[x & 15];
}

// "n-m-id" of g:, with 1 <= n <= m.
void readGroup(std::string_view value, TagBlock& tags) {
    int64_t part[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const size_t dash = i < 2 ? value.find('-') : value.size();
        if (dash == std::string_view::npos || !readInt(value.substr(0, dash), part[i])) return;
        value.remove_prefix(i < 2 ? dash + 1 : value.size());
    }
    if (part[0] < 1 || part[1] < part[0] || part[1] > 99 || part[2] < 0) return;
    tags.groupNumber = static_cast<int>(part[0]);
    tags.groupSize = static_cast<int>(part[1]);
    tags.groupId = part[2];
}

}  // namespace

TaggedLine SplitTagBlock(std::string_view line) {
    TaggedLine out;
    out.sentence = line;
    if (line.empty() || line[0] != '\\') return out;
    const size_t close = line.find('\\', 1);
    if (close == std::string_view::npos) return out;
    out.tags.present = true;
    out.sentence = line.substr(close + 1);

    // The checksum is computed as a sentence's: from the character after the
    // opening backslash up to the '*'.
    const std::string_view block = line.substr(0, close);
    const size_t star = block.find('*');
    std::string_view params = block.substr(1, star == std::string_view::npos ? std::string_view::npos : star - 1);
    out.tags.checksumValid = star != std::string_view::npos && checksumMatches(params, block.substr(star + 1));

    while (!params.empty()) {
        const size_t comma = params.find(',');
        const std::string_view p = params.substr(0, comma);
        params.remove_prefix(comma == std::string_view::npos ? params.size() : comma + 1);
        if (p.size() < 2 || p[1] != ':') continue;
        const std::string_view value = p.substr(2);
        switch (p[0]) {
            case 'c': {
                int64_t t = 0;
                if (readInt(value, t)) out.tags.time = t;
                break;
            }
            case 's': out.tags.source = value; break;
            case 'g': readGroup(value, out.tags); break;
            default: break;
        }
    }
    return out;
}

bool IsTagOnly(const TaggedLine& line) {
    if (!line.tags.present) return false;
    return line.sentence.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

double TagSeconds(int64_t time) {
    constexpr int64_t kYear5000 = 95617584000;
    return time > kYear5000 ? static_cast<double>(time) / 1000.0 : static_cast<double>(time);
}

std::string FormatTagBlock(std::string_view source, int64_t time, int groupNumber, int groupSize, int64_t groupId) {
    std::string block = "\\";
    auto add = [&](std::string_view text) {
        if (block.size() > 1) block += ',';
        block += text;
    };
    if (groupSize > 0) {
        add("g:" + std::to_string(groupNumber) + '-' + std::to_string(groupSize) + '-' + std::to_string(groupId));
    }
    if (!source.empty()) add("s:" + std::string(source));
    if (time >= 0) add("c:" + std::to_string(time));
    block += '*';
    block += NMEAChecksum(block);
    block += '\\';
    return block;
}

std::string_view StripTagBlock(std::string_view line) { return SplitTagBlock(line).sentence; }

}  // namespace input
