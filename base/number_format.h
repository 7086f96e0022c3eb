// Picture-pattern number formatting, the one place numbers become display text.
//
//   formatNumber(3.14159, "0.0")      -> "3.1"
//   formatNumber(7.25,    "000.0 °")  -> "007.3 °"   (literal suffix kept)
//   formatNumber(0.5,     "#.0")      -> ".5"        ('#' prints no leading zero)
//   formatNumber(5,       "00.")      -> "05."
//   formatNumber(2579,    "000000000")-> "000002579"
//
// Pattern grammar: optional literal prefix, a digit section made of '0', '#',
// one '.' and ',' (grouping), then an optional literal suffix. Rounding is half
// away from zero on the decimal value, as a person would round. The decimal
// separator is "." unless the program sets another one at start-up from the
// user's locale (setDecimalSeparator). NaN and infinities print as "n/a".
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// The marker of a numeric field that was reported as not available.
inline constexpr int kNotAvailable = -9999;

std::string formatNumber(double value, std::string_view pattern);

// A number as plain text, the way a person writes it: up to 7 significant
// digits for a single, 15 for a double, no trailing zeros, the decimal
// separator of formatNumber.   plainNumber(3.3f) -> "3.3"
std::string plainNumber(float value);
std::string plainNumber(double value);

// The separator used in formatted output and accepted (with '.' and ',') in input.
void setDecimalSeparator(char separator);
char decimalSeparator();

// "." as the separator while it lives, for text written to files for other
// programs (exports) with the formatter of the screen texts.
class PointSeparatorScope {
public:
    PointSeparatorScope() : saved_(decimalSeparator()) { setDecimalSeparator('.'); }
    ~PointSeparatorScope() { setDecimalSeparator(saved_); }
    PointSeparatorScope(const PointSeparatorScope&) = delete;
    PointSeparatorScope& operator=(const PointSeparatorScope&) = delete;

private:
    char saved_;
};

// Reads a number typed by a person: optional sign, digits, '.' or ',' as the
// decimal mark, optional exponent. Surrounding blanks are allowed; anything else
// makes the result empty.
std::optional<double> parseTypedNumber(std::string_view text);

// "n/a" for the not-available marker, otherwise the value in the pattern.
std::string FormatAvailable(double value, std::string_view pattern);
// Text values: a numeric text is treated as its number; other text is shown as it is.
std::string FormatAvailable(std::string_view value, std::string_view pattern);

// Numbers as the message texts write them: decimal, a leading blank when not
// negative, a minus sign otherwise; singles with at most seven significant
// digits and no trailing zeros; always "." as the decimal mark.
//   NumberText(40) -> " 40"   NumberText(-3) -> "-3"   NumberText(12.5f) -> " 12.5"
std::string NumberText(int64_t value);
std::string NumberText(float value);
template <std::integral T>
std::string NumberText(T value) {
    return NumberText(static_cast<int64_t>(value));
}

// The leading decimal number of a text: blanks skipped, "," read as ".",
// optional sign, digits, fraction and exponent ('e' or 'd'); reading stops
// where the number cannot go on. No digits give 0; tooLarge is set for a
// number beyond the range of a double (a tiny one reads as 0).
struct LeadingNumber {
    double value = 0;
    bool tooLarge = false;
};
LeadingNumber ReadLeadingNumber(std::string_view text);

// Numbers for files and for output read by programs: always "." as the
// decimal mark, whatever the C or C++ locale says (never printf or strtod).
//   FixedText(1852.0, 3) -> "1852.000"    FixedText(-0.04, 1) -> "-0.0"
std::string FixedText(double value, int decimals);
// A whole argument as a finite number with "." as the decimal mark (optional
// sign, exponent); nullopt for anything else.   ParseDecimal("59.5") == 59.5
std::optional<double> ParseDecimal(std::string_view text);

// The leading number of a typed text, 0 when there is none or it is too large.
//   ReadNumberText(" 1,5 kn") == 1.5
double ReadNumberText(std::string_view text);

}  // namespace base
