#include "base/number_format.h"

#include <charconv>
#include <cmath>
#include <string>

namespace base {

namespace {

char gDecimalSeparator = '.';

bool isDigitChar(char c) { return c == '0' || c == '#'; }

}  // namespace

void setDecimalSeparator(char separator) { gDecimalSeparator = separator; }
char decimalSeparator() { return gDecimalSeparator; }

std::string formatNumber(double value, std::string_view pattern) {
    if (!std::isfinite(value)) return "n/a";

    // Split the pattern into prefix literal, digit section and suffix literal.
    size_t begin = 0;
    while (begin < pattern.size() && !isDigitChar(pattern[begin]) && pattern[begin] != '.') ++begin;
    size_t end = begin;
    while (end < pattern.size() &&
           (isDigitChar(pattern[end]) || pattern[end] == '.' || pattern[end] == ',')) {
        ++end;
    }
    const std::string_view prefix = pattern.substr(0, begin);
    const std::string_view digits = pattern.substr(begin, end - begin);
    const std::string_view suffix = pattern.substr(end);

    const size_t point = digits.find('.');
    const std::string_view intPart = digits.substr(0, point);
    const std::string_view fracPart =
        point == std::string_view::npos ? std::string_view() : digits.substr(point + 1);

    int minIntDigits = 0;
    bool grouping = false;
    for (char c : intPart) {
        if (c == '0') ++minIntDigits;
        if (c == ',') grouping = true;
    }
    int minFrac = 0;
    int maxFrac = 0;
    for (char c : fracPart) {
        if (c == '0') {
            ++maxFrac;
            minFrac = maxFrac;
        } else if (c == '#') {
            ++maxFrac;
        }
    }

    // Round half away from zero on the decimal value. printf rounds the binary
    // value, so nudge by a relative epsilon to treat 2.25 written as 2.2499999 as 2.25.
    const bool negative = std::signbit(value) && value != 0.0;
    double magnitude = std::fabs(value);
    const double scale = std::pow(10.0, maxFrac);
    double scaled = magnitude * scale;
    scaled = std::floor(scaled + 0.5 + scaled * 4e-16);
    char buf[400];
    const auto digitsEnd = std::to_chars(buf, buf + sizeof buf, scaled, std::chars_format::fixed, 0).ptr;
    std::string all(buf, digitsEnd);
    if (static_cast<int>(all.size()) <= maxFrac) all.insert(0, maxFrac + 1 - all.size(), '0');
    std::string intDigits = all.substr(0, all.size() - maxFrac);
    std::string fracDigits = all.substr(all.size() - maxFrac);
    while (static_cast<int>(fracDigits.size()) > minFrac && !fracDigits.empty() && fracDigits.back() == '0') {
        fracDigits.pop_back();
    }
    // Integer digits: strip leading zeros down to the pattern's minimum.
    size_t firstNonZero = intDigits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) firstNonZero = intDigits.size();
    intDigits.erase(0, firstNonZero);
    if (static_cast<int>(intDigits.size()) < minIntDigits) {
        intDigits.insert(0, minIntDigits - intDigits.size(), '0');
    }
    if (grouping && intDigits.size() > 3) {
        std::string grouped;
        const size_t lead = intDigits.size() % 3;
        for (size_t i = 0; i < intDigits.size(); ++i) {
            if (i != 0 && (i - lead) % 3 == 0) grouped.push_back(',');
            grouped.push_back(intDigits[i]);
        }
        intDigits = grouped;
    }

    const bool isZero = scaled == 0.0;
    std::string out;
    out.reserve(pattern.size() + 8);
    if (negative && !isZero) out.push_back('-');
    out.append(prefix);
    out += intDigits;
    if (point != std::string_view::npos) {
        out.push_back(gDecimalSeparator);
        out += fracDigits;
    }
    out.append(suffix);
    return out;
}

namespace {

// Shortest form with at most `digits` significant digits, "." as the mark,
// whatever the C locale says.
template <class T>
char* generalText(char* first, char* last, T value, int digits) {
    const auto [end, ec] = std::to_chars(first, last, value, std::chars_format::general, digits);
    return ec == std::errc() ? end : first;
}

std::string plainText(char* buf, char* end) {
    std::string s(buf, end);
    for (char& c : s) {
        if (c == '.') c = gDecimalSeparator;
    }
    return s;
}

}  // namespace

std::string plainNumber(float value) {
    char buf[48];
    return plainText(buf, generalText(buf, buf + sizeof buf, value, 7));
}

std::string plainNumber(double value) {
    char buf[48];
    return plainText(buf, generalText(buf, buf + sizeof buf, value, 15));
}

std::string FormatAvailable(double value, std::string_view pattern) {
    if (value == kNotAvailable) return "n/a";
    return formatNumber(value, pattern);
}

std::string FormatAvailable(std::string_view value, std::string_view pattern) {
    if (const auto number = parseTypedNumber(value)) return FormatAvailable(*number, pattern);
    return std::string(value);
}

std::string NumberText(int64_t value) {
    char buf[24];
    buf[0] = ' ';
    char* start = value < 0 ? buf : buf + 1;
    auto [end, ec] = std::to_chars(start, buf + sizeof buf, value);
    return std::string(buf, end);
}

std::string NumberText(float value) {
    if (value == 0) value = 0;  // no "-0"
    char buf[40];
    buf[0] = ' ';
    char* start = value < 0 ? buf : buf + 1;
    char* end = generalText(start, buf + sizeof buf, value, 7);
    if (end == start) return " 0";
    return std::string(buf, end);
}

std::optional<double> parseTypedNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 64) return std::nullopt;
    std::string copy(text);
    for (char& c : copy) {
        if (c == ',') c = '.';
    }
    if (copy.front() == '+') copy.erase(0, 1);
    double v = 0;
    const char* first = copy.data();
    const char* last = copy.data() + copy.size();
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return v;
}

LeadingNumber ReadLeadingNumber(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        clean.push_back(c == ',' ? '.' : c);
    }
    size_t i = 0;
    std::string token;
    if (i < clean.size() && (clean[i] == '+' || clean[i] == '-')) {
        if (clean[i] == '-') token.push_back('-');
        ++i;
    }
    bool anyDigit = false;
    while (i < clean.size() && clean[i] >= '0' && clean[i] <= '9') {
        token.push_back(clean[i++]);
        anyDigit = true;
    }
    if (i < clean.size() && clean[i] == '.') {
        token.push_back(clean[i++]);
        while (i < clean.size() && clean[i] >= '0' && clean[i] <= '9') {
            token.push_back(clean[i++]);
            anyDigit = true;
        }
    }
    if (!anyDigit) return {};
    if (i < clean.size() && (clean[i] == 'e' || clean[i] == 'E' || clean[i] == 'd' || clean[i] == 'D')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < clean.size() && (clean[j] == '+' || clean[j] == '-')) exponent.push_back(clean[j++]);
        const size_t digitsStart = j;
        while (j < clean.size() && clean[j] >= '0' && clean[j] <= '9') exponent.push_back(clean[j++]);
        if (j > digitsStart) token += exponent;
    }
    LeadingNumber result;
    const auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), result.value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone when it is out of range; tell a
        // huge number (trouble) from a tiny one (reads as 0).
        const size_t e = token.find('e');
        const bool negativeExponent = e != std::string::npos && e + 1 < token.size() && token[e + 1] == '-';
        result.value = 0;
        result.tooLarge = !negativeExponent;
    } else if (ec != std::errc()) {
        result.value = 0;
    }
    return result;
}

std::string FixedText(double value, int decimals) {
    if (!std::isfinite(value)) return "nan";
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string("nan");
}

std::optional<double> ParseDecimal(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    if (text.empty() || text.size() > 64) return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

double ReadNumberText(std::string_view text) {
    const LeadingNumber read = ReadLeadingNumber(text);
    return read.tooLarge ? 0.0 : read.value;
}

}  // namespace base
