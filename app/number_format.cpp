#include "app/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace app {

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
    std::snprintf(buf, sizeof buf, "%.0f", scaled);
    std::string all(buf);
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
std::string plainText(const char* format, double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, format, value);
    std::string s(buf);
    for (char& c : s) {
        if (c == '.') c = gDecimalSeparator;
    }
    return s;
}
}  // namespace

std::string plainNumber(float value) { return plainText("%.7g", static_cast<double>(value)); }
std::string plainNumber(double value) { return plainText("%.15g", value); }

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

}  // namespace app
