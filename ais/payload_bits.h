// PayloadBits: the de-armoured bits of one AIS message and the field readers
// every decoder uses.
//
// Bits are numbered from 1: bit 1 is the most significant bit of the first
// payload character, so the 30-bit MMSI at M.1371 positions 8-37 is bits 9-38.
// At most 168 characters (1008 bits) are taken; bits past the end of the
// payload read as zero (six-bit text there reads as blanks), so a short message
// decodes to zeros instead of failing. No character is rejected: a character
// outside the armouring alphabet gives whatever six low bits the de-armouring
// arithmetic produces.
//
//   PayloadBits b("15M67FC000G?ufbE`FepT@3n00Sa");
//   b.value(1, 6)            -> 1      (message type)
//   b.value(9, 38)           -> 366053209
//   b.value(43, 50, true)    -> signed rate of turn
//   b.text(71, 112)          -> 7 characters
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/number_format.h"

namespace ais {

inline constexpr int kMaxPayloadChars = 168;
inline constexpr int kMaxPayloadBits = kMaxPayloadChars * 6;

// Six-bit value of one payload character (the low six bits of code + 80, or
// code + 72 above code 88).
uint8_t CharToSixBit(unsigned char c);

// ITU-R M.1371 six-bit ASCII; the at sign (value 0) comes back as a blank.
char SixBitToChar(unsigned value);

class PayloadBits {
public:
    PayloadBits() { bytes_.fill(0); }
    explicit PayloadBits(std::string_view payload) { load(payload); }

    // Replaces the buffer with the bits of payload (first 168 characters).
    void load(std::string_view payload);

    // Number of payload characters taken (0-168).
    int charCount() const { return chars_; }

    // Bits first..last (1-based, inclusive) as an unsigned number, or as a
    // two's-complement number when isSigned. With allOnesNotAvailable, a field
    // whose bits are all ones reads as -9999. Bits outside 1..1008 read as zero.
    int64_t value(int first, int last, bool isSigned = false, bool allOnesNotAvailable = false) const;

    // Six-bit text: groups starting at first, first+6, ... while the start is not
    // past last. Empty when first > last. Not trimmed.
    std::string text(int first, int last) const;

    // Last bit of a variable-length text: the end of the last whole six-bit group
    // that ends at or before 6 x chars - fillBits, and never beyond bit 1008.
    int textEnd(int first, int fillBits) const;

    // Last bit of the message data: 6 x chars - fillBits, with a fill-bit
    // count outside 0-5 taken as 0 (an absent or broken field), within 0..1008.
    int dataEnd(int fillBits) const;

    // Bits first..last as upper-case hex, four bits a digit, the last digit
    // filled up with zero bits; appended to out (cleared first). Empty when
    // first > last.
    void hex(int first, int last, std::string& out) const;

    bool bit(int position) const;

    // Sets bits first..1008 to zero (the character count stays): what lies
    // after a message's data (fill bits, a trailing communication state) then
    // reads as absent.
    void clearFrom(int first);

private:
    uint64_t window(int first) const;

    // 1008 bits, padded so an 8-byte window read never leaves the array.
    std::array<uint8_t, kMaxPayloadBits / 8 + 16> bytes_{};
    int chars_ = 0;
};

// The field readers run for every field of every message: inline.

// Forced inline: as calls (the compiler's choice) they cost more than the
// few shifts they are, and the decoders read some twenty fields a message.
[[gnu::always_inline]] inline uint64_t PayloadBits::window(int first) const {
    // 64 bits starting at 1-based bit `first` (which lies in 1..1008).
    const int zeroBased = first - 1;
    const size_t byte = static_cast<size_t>(zeroBased / 8);
    uint64_t w;
    std::memcpy(&w, &bytes_[byte], sizeof w);
    if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
    w <<= (zeroBased % 8);
    // Pull in the bits shifted out of the bottom from the ninth byte.
    const int shift = zeroBased % 8;
    if (shift) w |= static_cast<uint64_t>(bytes_[byte + 8]) >> (8 - shift);
    return w;
}

[[gnu::always_inline]] inline int64_t PayloadBits::value(int first, int last, bool isSigned,
                                                         bool allOnesNotAvailable) const {
    const int width = last - first + 1;
    if (width <= 0) return allOnesNotAvailable ? base::kNotAvailable : 0;
    uint64_t raw = 0;
    if (width <= 57 && first >= 1 && first <= kMaxPayloadBits) {
        raw = window(first) >> (64 - width);
        // Bits past 1008 are zero already: the padding bytes are never written.
    } else {
        for (int i = first; i <= last; ++i) raw = (raw << 1) | (bit(i) ? 1u : 0u);
    }
    if (allOnesNotAvailable && width < 64 && raw == ((uint64_t{1} << width) - 1)) return base::kNotAvailable;
    if (isSigned && width < 64 && (raw >> (width - 1)) & 1) {
        return static_cast<int64_t>(raw) - static_cast<int64_t>(uint64_t{1} << width);
    }
    return static_cast<int64_t>(raw);
}

}  // namespace ais
