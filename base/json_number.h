// Number text for the JSON writer, written straight into a caller's buffer.
//
//   char buf[32];
//   char* end = WriteInteger(buf, -9999);        // "-9999"
//   end = WriteShortest(buf, 52.118725000000005); // "52.118725000000005"
//
// WriteShortest gives exactly the text of std::to_chars(double): the fewest
// digits that read back as the same double (the closest such digits when
// several do), in plain or exponent form, whichever is shorter (plain on a
// tie). Positions, speeds and most other values lie between 2^-12 and 2^54,
// where the digits come from exact 128-bit integer arithmetic without
// tables; other values go to std::to_chars.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace base {

// Room a writer below may need: it may write bytes past the end it returns
// (digits are stored eight at a time), never beyond p + kMaxNumberText.
inline constexpr int kMaxNumberText = 32;

// "00" to "99", two characters a number.
inline constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[static_cast<size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        t[static_cast<size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

char* WriteLongInteger(char* p, int64_t value);

// One and two digits inline (most fields of a message are small codes, and
// speeds and courses have two digits before the point), the rest through
// the call.
[[gnu::always_inline]] inline char* WriteInteger(char* p, int64_t value) {
    if (static_cast<uint64_t>(value) < 10) {
        *p = static_cast<char>('0' + value);
        return p + 1;
    }
    if (static_cast<uint64_t>(value) < 100) {
        std::memcpy(p, &kDigitPairs[static_cast<size_t>(2 * value)], 2);
        return p + 2;
    }
    return WriteLongInteger(p, value);
}
char* WriteShortest(char* p, double value);

}  // namespace base
