// BitWriter: the inverse of PayloadBits, used by the encoder. Fields are put by
// the same 1-based bit ranges the decoders read, then the bits are armoured
// into payload characters.
//
//   BitWriter w;
//   w.put(1, 6, 1);                // message type
//   w.put(9, 38, 366053209);       // MMSI
//   w.put(43, 50, -127);           // signed fields are written in two's complement
//   w.putText(113, 232, "EVER GIVEN");   // padded with '@' (value 0)
//   int fill = 0;
//   std::string payload = w.armoured(fill);
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ais {

class BitWriter {
public:
    // Writes the low (last-first+1) bits of value, most significant first. The
    // message grows to cover the range.
    void put(int first, int last, int64_t value);

    // Six-bit text from first, one character per group, up to last; short texts
    // are padded with the at sign (value 0), long ones cut. Lower-case letters are
    // written upper-case; characters outside six-bit ASCII become '?'.
    void putText(int first, int last, std::string_view text);

    // `bits` bits from first, read from upper-case or lower-case hex text four
    // bits a digit (the last digit's top bits when bits is not a multiple of
    // four); digits the text lacks or that are not hex are written as zero.
    void putHex(int first, int bits, std::string_view hex);

    // Makes the message at least `bits` long (zeros).
    void extendTo(int bits);

    int bitLength() const { return static_cast<int>(bits_.size()); }

    // Armoured payload; fillBits receives the number of pad bits (0-5) in the last character.
    std::string armoured(int& fillBits) const;

    // Six-bit value of a character in M.1371 six-bit ASCII ('?' for others).
    static unsigned sixBitOf(char c);

private:
    std::vector<uint8_t> bits_;  // one entry per bit; encoding is not on a hot path
};

char ArmourChar(unsigned sixBitValue);

}  // namespace ais
