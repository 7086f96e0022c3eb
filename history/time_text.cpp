#include "history/time_text.h"

#include <cmath>
#include <string>

#include "base/number_format.h"

namespace history {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Reads `count` digits at s[pos] into v.
bool Digits(std::string_view s, size_t& pos, int count, int& v) {
    if (pos + static_cast<size_t>(count) > s.size()) return false;
    v = 0;
    for (int i = 0; i < count; ++i) {
        const char c = s[pos++];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    return true;
}

std::optional<TimeMs> ParseIso(std::string_view s) {
    size_t p = 0;
    int y, mo, d, h, mi, sec = 0, ms = 0;
    const auto sep = [&](char c) { return p < s.size() && s[p++] == c; };
    if (!Digits(s, p, 4, y) || !sep('-') || !Digits(s, p, 2, mo) || !sep('-') || !Digits(s, p, 2, d)) return {};
    if (p >= s.size() || (s[p] != 'T' && s[p] != 't' && s[p] != ' ')) return {};
    ++p;
    if (!Digits(s, p, 2, h) || !sep(':') || !Digits(s, p, 2, mi)) return {};
    if (p < s.size() && s[p] == ':') {
        ++p;
        if (!Digits(s, p, 2, sec)) return {};
        if (p < s.size() && (s[p] == '.' || s[p] == ',')) {
            ++p;
            int scale = 100, digits = 0;
            while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
                ms += (s[p++] - '0') * scale;
                scale /= 10;
                ++digits;
            }
            if (digits == 0) return {};
        }
    }
    static constexpr int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo < 1 || mo > 12 || d < 1 || d > kMonthDays[mo - 1] || (mo == 2 && d == 29 && !leap)) return {};
    if (h > 23 || mi > 59 || sec > 59) return {};
    int offset = 0;  // minutes east of UTC
    if (p < s.size() && (s[p] == 'Z' || s[p] == 'z')) {
        ++p;
    } else if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        const int sign = s[p++] == '-' ? -1 : 1;
        int oh, om = 0;
        if (!Digits(s, p, 2, oh)) return {};
        if (p < s.size() && s[p] == ':') ++p;
        if (p < s.size() && !Digits(s, p, 2, om)) return {};
        if (oh > 23 || om > 59) return {};
        offset = sign * (oh * 60 + om);
    } else {
        return {};  // a time without a zone could be anyone's
    }
    if (p != s.size()) return {};
    const int64_t secs = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + sec - offset * 60;
    return secs * 1000 + ms;
}

}  // namespace

std::optional<TimeMs> ParseHistoryTime(std::string_view s) {
    if (s.find('-', 1) != std::string_view::npos || s.find(':') != std::string_view::npos) return ParseIso(s);
    const auto n = base::parseTypedNumber(std::string(s));
    if (!n || !std::isfinite(*n) || std::fabs(*n) > 1e13) return std::nullopt;
    return static_cast<TimeMs>(std::llround(*n * 1000.0));
}

}  // namespace history
