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

#include <optional>
#include <string>
#include <string_view>

namespace app {

std::string formatNumber(double value, std::string_view pattern);

// A number as plain text, the way a person writes it: up to 7 significant
// digits for a single, 15 for a double, no trailing zeros, the decimal
// separator of formatNumber.   plainNumber(3.3f) -> "3.3"
std::string plainNumber(float value);
std::string plainNumber(double value);

// The separator used in formatted output and accepted (with '.' and ',') in input.
void setDecimalSeparator(char separator);
char decimalSeparator();

// Reads a number typed by a person: optional sign, digits, '.' or ',' as the
// decimal mark, optional exponent. Surrounding blanks are allowed; anything else
// makes the result empty.
std::optional<double> parseTypedNumber(std::string_view text);

}  // namespace app
