#include "base/date_time.h"

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

namespace base {

namespace {

using namespace std::chrono;

// Day 0 of the serial numbering.
constexpr sys_days kEpoch = 1899y / December / 30;

// chrono's year holds only -32767..32767. The Gregorian calendar repeats every
// 400 years (146097 days), so dates are moved by whole cycles into the 400 years
// after the epoch, converted there, and moved back.
constexpr int kCycleYears = 400;
constexpr int64_t kCycleDays = 146097;

int64_t floorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void appendTwo(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + (v / 10) % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

}  // namespace

bool DateTime::isValidDate(int y, int m, int d) {
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    const int inCycle = static_cast<int>(y - floorDiv(y, kCycleYears) * kCycleYears);
    return year_month_day(year(inCycle), month(static_cast<unsigned>(m)), day(static_cast<unsigned>(d))).ok();
}

DateTime DateTime::fromCalendar(int y, int m, int d, int hour, int minute, int second, int millisecond) {
    // Months past December or before January run on into the next or previous year.
    const int64_t months = int64_t{y} * 12 + (m - 1);
    const int64_t wholeYear = floorDiv(months, 12);
    const int64_t cycles = floorDiv(wholeYear - 1900, kCycleYears);
    const year_month_day first(year(static_cast<int>(wholeYear - cycles * kCycleYears)),
                               month(static_cast<unsigned>(months - wholeYear * 12 + 1)), day(1));
    const int64_t serial = (sys_days(first) - kEpoch).count() + (d - 1) + cycles * kCycleDays;
    const double frac =
        (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
    return DateTime(static_cast<double>(serial) + frac);
}

DateTime DateTime::fromCalendar(const CalendarTime& c) {
    return fromCalendar(c.year, c.month, c.day, c.hour, c.minute, c.second, c.millisecond);
}

CalendarTime DateTime::toCalendar() const {
    // Work in whole milliseconds so that 23:59:59.9996 rolls over cleanly.
    const double totalMs = std::round(value_ * 86400000.0);
    // Beyond this the millisecond count does not fit; such values are no date.
    if (!(std::fabs(totalMs) < 9.0e18)) return CalendarTime{};
    const milliseconds ms(static_cast<int64_t>(totalMs));
    const days serial = floor<days>(ms);
    const int64_t cycles = floorDiv(serial.count(), kCycleDays);
    const year_month_day date(kEpoch + (serial - days(cycles * kCycleDays)));
    const hh_mm_ss time(ms - serial);
    CalendarTime c;
    c.year = static_cast<int>(static_cast<int64_t>(int(date.year())) + cycles * kCycleYears);
    c.month = static_cast<int>(unsigned(date.month()));
    c.day = static_cast<int>(unsigned(date.day()));
    c.hour = static_cast<int>(time.hours().count());
    c.minute = static_cast<int>(time.minutes().count());
    c.second = static_cast<int>(time.seconds().count());
    c.millisecond = static_cast<int>(time.subseconds().count());
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

std::string DateTime::formatUtc() const {
    if (isNull()) return {};
    const CalendarTime c = toCalendar();
    std::tm local{};
    local.tm_year = c.year - 1900;
    local.tm_mon = c.month - 1;
    local.tm_mday = c.day;
    local.tm_hour = c.hour;
    local.tm_min = c.minute;
    local.tm_sec = c.second;
    local.tm_isdst = -1;  // daylight saving time as the rules say for that date
    const std::time_t t = std::mktime(&local);
    std::tm utc{};
    if (t == static_cast<std::time_t>(-1) || !gmtime_r(&t, &utc)) return {};
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return std::string(text, n);
}

}  // namespace base
