#include "base/date_time.h"

#include <array>
#include <cmath>

namespace base {

namespace {

// 1899-12-30 is this many days before 1970-01-01.
constexpr int64_t kEpochOffset = 25569;

constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

void appendTwo(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + (v / 10) % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

}  // namespace

int64_t daysFromCivil(int year, int month, int day) {
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool DateTime::isValidDate(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int limit = kDays[month - 1];
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && leap) limit = 29;
    return day <= limit;
}

DateTime DateTime::fromCalendar(int year, int month, int day, int hour, int minute, int second,
                                int millisecond) {
    const double days = static_cast<double>(daysFromCivil(year, month, day) + kEpochOffset);
    const double frac =
        (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
    return DateTime(days + frac);
}

DateTime DateTime::fromCalendar(const CalendarTime& c) {
    return fromCalendar(c.year, c.month, c.day, c.hour, c.minute, c.second, c.millisecond);
}

CalendarTime DateTime::toCalendar() const {
    // Work in whole milliseconds so that 23:59:59.9996 rolls over cleanly.
    const double totalMs = std::round(value_ * 86400000.0);
    int64_t ms = static_cast<int64_t>(totalMs);
    int64_t days = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    int64_t dayMs = ms - days * 86400000;
    CalendarTime c;
    civilFromDays(days - kEpochOffset, c.year, c.month, c.day);
    c.hour = static_cast<int>(dayMs / 3600000);
    c.minute = static_cast<int>(dayMs / 60000 % 60);
    c.second = static_cast<int>(dayMs / 1000 % 60);
    c.millisecond = static_cast<int>(dayMs % 1000);
    return c;
}

std::string DateTime::format(std::string_view pattern) const {
    const CalendarTime c = toCalendar();
    std::string out;
    out.reserve(pattern.size() + 4);
    char lastToken = 0;  // "mm" right after an hour token means minutes
    size_t i = 0;
    while (i < pattern.size()) {
        const char ch = static_cast<char>(pattern[i] | 0x20);
        size_t n = 0;
        while (i + n < pattern.size() && static_cast<char>(pattern[i + n] | 0x20) == ch) ++n;
        switch (ch) {
            case 'd': appendTwo(out, c.day); break;
            case 'm':
                if (n >= 3) {
                    out += kMonthNames[static_cast<size_t>(c.month - 1)];
                } else {
                    appendTwo(out, lastToken == 'h' ? c.minute : c.month);
                }
                break;
            case 'h': appendTwo(out, c.hour); break;
            case 'n': appendTwo(out, c.minute); break;
            case 's': appendTwo(out, c.second); break;
            case 'y':
                if (n >= 4) {
                    out += std::to_string(c.year);
                } else {
                    appendTwo(out, c.year % 100);
                }
                break;
            default:
                out.append(pattern.substr(i, n));
                i += n;
                continue;
        }
        lastToken = ch;
        i += n;
    }
    return out;
}

}  // namespace base
