#include "ais/bit_writer.h"

#include <algorithm>

namespace ais {

char ArmourChar(unsigned v) {
    v &= 0x3F;
    return static_cast<char>(v < 40 ? v + 48 : v + 56);
}

unsigned BitWriter::sixBitOf(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    const auto u = static_cast<unsigned char>(c);
    if (u >= 64 && u < 96) return u - 64;
    if (u >= 32 && u < 64) return u;
    return '?';
}

void BitWriter::extendTo(int bits) {
    if (bits > static_cast<int>(bits_.size())) bits_.resize(static_cast<size_t>(bits), 0);
}

void BitWriter::put(int first, int last, int64_t value) {
    if (first < 1 || last < first) return;
    extendTo(last);
    const auto u = static_cast<uint64_t>(value);
    for (int i = last, shift = 0; i >= first; --i, ++shift) {
        bits_[static_cast<size_t>(i - 1)] = shift < 64 ? static_cast<uint8_t>((u >> shift) & 1) : 0;
    }
}

void BitWriter::putHex(int first, int bits, std::string_view hex) {
    for (int k = 0; 4 * k < bits; ++k) {
        const char c = static_cast<size_t>(k) < hex.size() ? hex[static_cast<size_t>(k)] : '0';
        const int digit = c >= '0' && c <= '9' ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 0;
        const int width = std::min(4, bits - 4 * k);
        put(first + 4 * k, first + 4 * k + width - 1, digit >> (4 - width));
    }
}

void BitWriter::putText(int first, int last, std::string_view text) {
    size_t k = 0;
    for (int start = first; start + 5 <= last; start += 6, ++k) {
        const unsigned v = k < text.size() ? sixBitOf(text[k]) : 0;
        put(start, start + 5, v);
    }
}

std::string BitWriter::armoured(int& fillBits) const {
    const size_t n = bits_.size();
    const size_t chars = (n + 5) / 6;
    fillBits = static_cast<int>(chars * 6 - n);
    std::string out;
    out.reserve(chars);
    for (size_t c = 0; c < chars; ++c) {
        unsigned v = 0;
        for (size_t b = 0; b < 6; ++b) {
            const size_t i = c * 6 + b;
            v = (v << 1) | (i < n ? bits_[i] : 0);
        }
        out.push_back(ArmourChar(v));
    }
    return out;
}

}  // namespace ais
