#include "base/json_number.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace base {

namespace {

constexpr std::array<uint64_t, 20> kPow10 = [] {
    std::array<uint64_t, 20> t{};
    uint64_t p = 1;
    for (auto& v : t) {
        v = p;
        p *= 10;
    }
    return t;
}();

using uint128 = unsigned __int128;

// Powers of ten up to 10^21, the most the digit search below multiplies by.
constexpr int kMaxScale = 21;
constexpr std::array<uint128, kMaxScale + 1> kPow10Wide = [] {
    std::array<uint128, kMaxScale + 1> t{};
    uint128 p = 1;
    for (auto& v : t) {
        v = p;
        p *= 10;
    }
    return t;
}();

int DecimalLength(uint64_t v) {
    // bit_width x log10(2) (1233 / 4096) is the length or one more.
    const int t = (std::bit_width(v | 1) * 1233) >> 12;
    return t - ((v | 1) < kPow10[static_cast<size_t>(t)] ? 1 : 0) + 1;
}

// The eight decimal digits of x < 10^8 (leading zeros included) as text,
// the first digit in the lowest byte: both halves of four digits, then the
// pairs of each, then the single digits, split in parallel inside one word.
[[gnu::always_inline]] inline uint64_t EightDigits(uint32_t x) {
    const uint64_t halves = (x / 10000) | (uint64_t{x % 10000} << 32);
    const uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007Fu;  // each half / 100
    const uint64_t pairs = ((halves - 100 * hundreds) << 16) | hundreds;
    const uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Fu;  // each pair / 10
    return (tens | ((pairs - 10 * tens) << 8)) + 0x3030303030303030u;
}

// Stores the last `count` (1-8) of the eight digits of EightDigits at p as
// one 8-byte store; the bytes after them are overwritten later or lie past
// the number's end.
[[gnu::always_inline]] inline void StoreDigits(char* p, uint64_t eight, int count) {
    if constexpr (std::endian::native == std::endian::little) {
        eight >>= 8 * (8 - count);
    } else {
        eight = __builtin_bswap64(eight) << (8 * (8 - count));
    }
    std::memcpy(p, &eight, sizeof eight);
}

// Writes the n (>= 1) decimal digits of v < 10^n at p, with leading zeros
// when v is shorter; returns p + n. Eight digits a step from a word each,
// instead of two a step: a latitude's seventeen digits were a chain of eight
// divisions. Writes up to eight bytes from p even for fewer digits
// (kMaxNumberText leaves room for that).
char* WriteDigits(char* p, uint64_t v, int n) {
    if (n <= 2) {  // the degrees of a position, most integers of a message
        if (n == 2) {
            std::memcpy(p, &kDigitPairs[static_cast<size_t>(2 * v)], 2);
        } else {
            *p = static_cast<char>('0' + v);
        }
        return p + n;
    }
    std::array<uint32_t, 2> low{};  // groups of eight below the first, last group first
    int groups = 0;
    for (; n > 8; n -= 8) {
        low[static_cast<size_t>(groups++)] = static_cast<uint32_t>(v % 100000000);
        v /= 100000000;
    }
    StoreDigits(p, EightDigits(static_cast<uint32_t>(v)), n);
    p += n;
    while (groups > 0) {
        StoreDigits(p, EightDigits(low[static_cast<size_t>(--groups)]), 8);
        p += 8;
    }
    return p;
}

// The digits of a value: digits x 10^exponent.
struct Decimal {
    uint64_t digits;
    int exponent;
};

// floor(k x log10(2)) for 0 <= k <= 1650.
constexpr int FloorLog10Pow2(int k) { return (k * 78913) >> 18; }

// Removes one decimal digit from each of the three bounds, keeping track of
// the digits of vr dropped so far.
struct Bounds {
    uint64_t vr, vp, vm;
    bool vrTrailingZeros, vmTrailingZeros;
    int lastRemoved = 0;
    int removed = 0;

    void drop() {
        vmTrailingZeros &= vm % 10 == 0;
        vrTrailingZeros &= lastRemoved == 0;
        lastRemoved = static_cast<int>(vr % 10);
        vr /= 10;
        vp /= 10;
        vm /= 10;
        ++removed;
    }
};

// The shortest digits of m x 2^(2-shift) that read back as that double (the
// interval halfway to its neighbours, bounds included for an even m), the
// closest to it when several are that short. 1 <= shift <= kMaxShift;
// fullGapBelow is false at a power of two, where the next double below is
// half as far away as the next one above.
//
// The three points (value, upper and lower bound) are scaled by 10^q with
// 10^(q-1) > 2^shift, exactly in 128 bits; the bounds are then at least 30
// units apart, so at least one digit is always dropped and the first dropped
// digit decides the rounding. Then digits are dropped as long as the bounds
// still hold a shorter number (the digit loop of the Ryu algorithm, here
// over exact values instead of table products).
// The usual case of the digit loop below, where neither vr nor the lower
// bound is exact (so no tie and no trailing zeros need tracking, as for
// nearly every position): two digits are dropped at a time while the bounds
// allow it, then one; the last dropped digit decides the rounding.
Decimal DropDigits(uint64_t vr, uint64_t vp, uint64_t vm, int q) {
    int removed = 0;
    bool roundUp = false;
    while (vp / 100 > vm / 100) {
        roundUp = vr % 100 >= 50;
        vr /= 100;
        vp /= 100;
        vm /= 100;
        removed += 2;
    }
    if (vp / 10 > vm / 10) {
        roundUp = vr % 10 >= 5;
        vr /= 10;
        vm /= 10;
        ++removed;
    }
    return {vr + (vr == vm || roundUp ? 1 : 0), removed - q};
}

constexpr int kMaxShift = 66;  // 10^21 x 2^55 still fits in 128 bits

Decimal ShortestDigits(uint64_t m, int shift, bool fullGapBelow) {
    const bool acceptBounds = (m & 1) == 0;
    const int q = FloorLog10Pow2(shift) + 2;
    const uint128 scale = kPow10Wide[static_cast<size_t>(q)];
    const uint128 fractionMask = (uint128{1} << shift) - 1;
    bool vrExact = false, vpExact = false, vmExact = false;
    const auto scaled = [&](uint64_t x, bool& exact) {
        const uint128 t = x * scale;
        exact = (t & fractionMask) == 0;
        return static_cast<uint64_t>(t >> shift);
    };
    Bounds b{scaled(4 * m, vrExact), scaled(4 * m + 2, vpExact), scaled(4 * m - (fullGapBelow ? 2 : 1), vmExact),
             vrExact, acceptBounds && vmExact};
    if (!acceptBounds && vpExact) --b.vp;  // the upper bound itself reads as the next double
    if (!b.vrTrailingZeros && !b.vmTrailingZeros) return DropDigits(b.vr, b.vp, b.vm, q);
    while (b.vp / 10 > b.vm / 10) b.drop();
    if (b.vmTrailingZeros) {
        while (b.vm % 10 == 0) b.drop();
    }
    if (b.vrTrailingZeros && b.lastRemoved == 5 && b.vr % 2 == 0) b.lastRemoved = 4;  // a tie rounds to even
    const bool roundUp = (b.vr == b.vm && (!acceptBounds || !b.vmTrailingZeros)) || b.lastRemoved >= 5;
    return {b.vr + (roundUp ? 1 : 0), b.removed - q};
}

// Length of d in exponent form (1.2345e-05) and in plain form (0.000012345).
int ExponentFormLength(int n, int exponent) {
    const int x = n - 1 + exponent;
    return n + (n > 1 ? 1 : 0) + 2 + (x >= 100 || x <= -100 ? 3 : 2);
}

int PlainFormLength(int n, int exponent) {
    if (exponent >= 0) return n + exponent;
    if (n + exponent > 0) return n + 1;
    return 2 - exponent;
}

char* WritePlain(char* p, uint64_t digits, int n, int exponent) {
    if (exponent >= 0) {
        p = WriteDigits(p, digits, n);
        std::memset(p, '0', static_cast<size_t>(exponent));
        return p + exponent;
    }
    const int whole = n + exponent;  // digits before the point
    if (whole > 0) {
        // The digits before and after the point written apart: a division
        // instead of moving the written digits to make room for the point.
        const uint64_t scale = kPow10[static_cast<size_t>(-exponent)];
        p = WriteDigits(p, digits / scale, whole);
        *p++ = '.';
        return WriteDigits(p, digits % scale, -exponent);
    }
    *p++ = '0';
    *p++ = '.';
    std::memset(p, '0', static_cast<size_t>(-whole));
    return WriteDigits(p - whole, digits, n);
}

// Positions are whole ten-thousandths of a minute, n / 600000 degrees. Where
// n is a multiple of 3 that is exactly n / 3 x 5 millionths, at most six
// places, and for 1 <= |value| < 1000 those digits are the shortest text of
// the value's double: any decimal of fewer digits lies at least a millionth
// away, while the double's rounding interval is under 2^-42 wide; plain form
// is the shorter one there. Writing them straight from n saves the digit
// search for about a third of all positions. Returns null for any other value.
char* WriteMillionths(char* p, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1.0 && magnitude < 1000.0)) return nullptr;
    const auto n = static_cast<int64_t>(std::nearbyint(magnitude * 600000.0));
    if (n % 3 != 0 || static_cast<double>(n) / 600000.0 != magnitude) return nullptr;
    const auto millionths = static_cast<uint64_t>(n / 3 * 5);
    const uint64_t whole = millionths / 1000000;
    uint64_t fraction = millionths % 1000000;
    if (value < 0) *p++ = '-';
    p = WriteDigits(p, whole, DecimalLength(whole));
    if (fraction == 0) return p;
    int places = 6;
    for (; fraction % 10 == 0; fraction /= 10) --places;
    *p++ = '.';
    return WriteDigits(p, fraction, places);
}

}  // namespace

char* WriteLongInteger(char* p, int64_t value) {
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) {
        *p++ = '-';
        magnitude = 0 - magnitude;
    }
    if (magnitude < 100) return WriteDigits(p, magnitude, magnitude < 10 ? 1 : 2);  // no length to work out
    return WriteDigits(p, magnitude, DecimalLength(magnitude));
}

char* WriteShortest(char* p, double value) {
    if (char* end = WriteMillionths(p, value)) return end;
    const auto bits = std::bit_cast<uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    // value = m x 2^(biased - 1075); the bounds need two more bits below.
    const int shift = 1075 + 2 - biased;
    if (biased == 0 || biased == 0x7FF || shift < 1 || shift > kMaxShift) {
        return std::to_chars(p, p + kMaxNumberText, value).ptr;
    }
    const uint64_t m = fraction | (uint64_t{1} << 52);
    // At a power of two the next double below is half as far away.
    const Decimal d = ShortestDigits(m, shift, fraction != 0 || biased == 1);
    const int n = DecimalLength(d.digits);
    if (ExponentFormLength(n, d.exponent) < PlainFormLength(n, d.exponent)) {
        return std::to_chars(p, p + kMaxNumberText, value).ptr;  // large round numbers (1e+16)
    }
    if (bits >> 63) *p++ = '-';
    return WritePlain(p, d.digits, n, d.exponent);
}

}  // namespace base
