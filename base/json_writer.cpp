#include "base/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/json_number.h"
#include "base/text_file.h"

namespace base {

namespace {

// Bytes that cannot stand in a JSON string as they are, and the first bytes
// of multi-byte sequences, which are checked.
constexpr std::array<bool, 256> kNeedsEscape = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = c < 0x20 || c >= 0x7F || c == '"' || c == '\\';
    return t;
}();

// True when a byte of w needs a look (below 0x20, 0x7F and above, '"' or
// '\\'); may be true for a clean word after such a byte, never false for
// one that holds one.
bool AnyNeedsEscape(uint64_t w) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHigh = 0x8080808080808080u;
    const auto hasZeroByte = [](uint64_t x) { return (x - kOnes) & ~x & kHigh; };
    const uint64_t control = (w - kOnes * 0x20) & ~w & kHigh;
    const uint64_t highOrDelete = (w | (w + kOnes)) & kHigh;
    return (control | highOrDelete | hasZeroByte(w ^ (kOnes * '"')) | hasZeroByte(w ^ (kOnes * '\\'))) != 0;
}

// std::nearbyint for |x| < 2^51 without its call: adding 1.5 x 2^52 leaves
// no bits below the units, so the sum is rounded as nearbyint rounds (to
// nearest, halves to even), and subtracting it again is exact.
double RoundToWhole(double x) {
    constexpr double kShifter = 0x1.8p52;
    return (x + kShifter) - kShifter;
}

#if defined(__SSE2__)
// The same test for sixteen bytes at once: a byte needs a look when it is
// below 0x20 or 0x7F and above (after adding one, as a signed byte, below
// 0x21), a quote or a backslash.
bool AnyNeedsEscape(__m128i v) {
    const __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(1));
    const __m128i outside = _mm_cmplt_epi8(shifted, _mm_set1_epi8(0x21));
    const __m128i quote = _mm_cmpeq_epi8(v, _mm_set1_epi8('"'));
    const __m128i backslash = _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'));
    return _mm_movemask_epi8(_mm_or_si128(outside, _mm_or_si128(quote, backslash))) != 0;
}

// Copies the plain run of text from its start to p sixteen bytes a step, the
// last bytes as the last whole block (overlapping the one before); returns
// the length copied: all of text, or up to the block with a byte to look at.
size_t CopyPlainBlocks(std::string_view text, char* p) {
    const size_t n = text.size();
    if (n < 16) return 0;
    size_t plain = 0;
    for (; plain + 16 <= n; plain += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + plain));
        if (AnyNeedsEscape(v)) return plain;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + plain), v);
    }
    if (plain == n) return n;
    const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + n - 16));
    if (AnyNeedsEscape(last)) return plain;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 16), last);
    return n;
}
#else
size_t CopyPlainBlocks(std::string_view, char*) { return 0; }
#endif

}  // namespace

OutputBuffer::OutputBuffer(FILE* sink, size_t flushAt) : sink_(sink), flushAt_(flushAt) {
    capacity_ = flushAt + 64 * 1024;
    data_ = std::make_unique_for_overwrite<char[]>(capacity_);
}

void OutputBuffer::grow(size_t n) {
    size_t cap = capacity_ * 2;
    while (cap - size_ < n) cap *= 2;
    auto bigger = std::make_unique_for_overwrite<char[]>(cap);
    std::memcpy(bigger.get(), data_.get(), size_);
    data_ = std::move(bigger);
    capacity_ = cap;
}

void OutputBuffer::append(std::string_view s) {
    std::memcpy(reserve(s.size()), s.data(), s.size());
    size_ += s.size();
}

void OutputBuffer::flush() {
    if (sink_ && size_ > 0) {
        if (!failed_ && std::fwrite(data_.get(), 1, size_, sink_) != size_) failed_ = true;
        size_ = 0;
    }
}

void AppendJsonString(OutputBuffer& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    // Worst case: every byte as a six-character escape, plus the quotes.
    char* p = out.reserve(text.size() * 6 + 2);
    *p++ = '"';
    // Plain text goes in blocks of sixteen bytes where the processor tests
    // them at once, then eight bytes a step, each word stored as soon as it
    // is checked, and the last bytes as the last whole word (overlapping the
    // ones before): a name or code text goes without a byte loop or a copy
    // call. Text from the first word that needs a look goes byte by byte.
    const size_t n = text.size();
    size_t plain = CopyPlainBlocks(text, p);
    if (plain == n && n > 0) {
        p += n;
        *p++ = '"';
        out.commitTo(p);
        return;
    }
    for (uint64_t w; plain + 8 <= n; plain += 8) {
        std::memcpy(&w, text.data() + plain, sizeof w);
        if (AnyNeedsEscape(w)) break;
        std::memcpy(p + plain, &w, sizeof w);
    }
    if (plain + 8 > n && n >= 8) {
        uint64_t w;
        std::memcpy(&w, text.data() + n - 8, sizeof w);
        if (!AnyNeedsEscape(w)) {
            std::memcpy(p + n - 8, &w, sizeof w);
            p += n;
            *p++ = '"';
            out.commitTo(p);
            return;
        }
    }
    p += plain;
    for (size_t i = plain; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!kNeedsEscape[c]) {
            *p++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0x80) {
            // UTF-8 goes through as it is; a byte that starts no valid
            // sequence becomes the replacement character.
            const size_t length = Utf8SequenceLength(text.substr(i));
            if (length > 0) {
                std::memcpy(p, text.data() + i, length);
                p += length;
                i += length - 1;
            } else {
                std::memcpy(p, "\\ufffd", 6);
                p += 6;
            }
            continue;
        }
        *p++ = '\\';
        switch (c) {
            case '"': *p++ = '"'; break;
            case '\\': *p++ = '\\'; break;
            case '\n': *p++ = 'n'; break;
            case '\r': *p++ = 'r'; break;
            case '\t': *p++ = 't'; break;
            default:
                *p++ = 'u';
                *p++ = '0';
                *p++ = '0';
                *p++ = kHex[c >> 4];
                *p++ = kHex[c & 15];
        }
    }
    *p++ = '"';
    out.commitTo(p);
}

void AppendJsonNumber(OutputBuffer& out, int64_t value) {
    char* p = out.reserve(kMaxNumberText);
    out.commitTo(WriteInteger(p, value));
}

void AppendJsonNumber(OutputBuffer& out, float value) {
    if (!std::isfinite(value)) {
        out.append("null");
        return;
    }
    char* p = out.reserve(32);
    // Most singles here are tenths (speeds, courses, draughts) or whole
    // numbers (-9999). When the nearest float to n/10 is the value and
    // 1e-3 <= |value| < 1e5, seven significant digits give exactly n/10, which
    // integer formatting writes much faster.
    {
        const float magnitude = std::fabs(value);
        if (magnitude < 1e5f && (magnitude >= 1e-3f || value == 0.0f)) {
            const double tenths = RoundToWhole(static_cast<double>(value) * 10.0);
            if (static_cast<float>(tenths / 10.0) == value) {
                auto n = static_cast<int64_t>(tenths);
                if (n < 0) {
                    *p++ = '-';
                    n = -n;
                }
                p = WriteInteger(p, n / 10);
                if (n % 10 != 0) {
                    *p++ = '.';
                    *p++ = static_cast<char>('0' + n % 10);
                }
                out.commitTo(p);
                return;
            }
        }
    }
    // Round to seven significant digits in double precision, then write the
    // shortest text of that double: the same digits as %.7g without its cost.
    const double d = value;
    const double magnitude = std::fabs(d);
    if (d == 0.0 || magnitude < 1e-15 || magnitude >= 1e15) {
        out.commitTo(std::to_chars(p, p + 32, value, std::chars_format::general, 7).ptr);
        return;
    }
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const int shift = 6 - exponent;  // -8 .. 21
    double rounded = shift >= 0 ? std::nearbyint(d * kPow10[shift]) / kPow10[shift]
                                : std::nearbyint(d / kPow10[-shift]) * kPow10[-shift];
    out.commitTo(WriteShortest(p, rounded));
}

void AppendJsonNumber(OutputBuffer& out, double value) {
    if (!std::isfinite(value)) {
        out.append("null");
        return;
    }
    char* p = out.reserve(kMaxNumberText);
    out.commitTo(WriteShortest(p, value));
}

void JsonObjectWriter::key(std::string_view name) {
    if (!first_) out_.push(',');
    first_ = false;
    AppendJsonString(out_, name);
    out_.push(':');
}

void JsonObjectWriter::value(float v) { AppendJsonNumber(out_, v); }
void JsonObjectWriter::value(double v) { AppendJsonNumber(out_, v); }
void JsonObjectWriter::value(std::string_view v) { AppendJsonString(out_, v); }
void JsonObjectWriter::null() { out_.append("null"); }

void JsonWriter::key(std::string_view name) {
    separate();
    AppendJsonString(out_, name);
    out_.push(':');
    afterKey_ = true;
}

void JsonWriter::open(char c) {
    separate();
    out_.push(c);
    ++depth_;
    if (depth_ <= 64) needComma_ &= ~(uint64_t{1} << (depth_ - 1));
}

void JsonWriter::close(char c) {
    out_.push(c);
    if (depth_ > 0) --depth_;
}

}  // namespace base
