// DateTime: a local date and time held as days since 30 December 1899 00:00,
// the time of day as the fraction. The value 0 means "no date".
//
//   DateTime t = DateTime::fromCalendar(2026, 12, 6, 14, 5, 9);
//   t.format("dd mmm hh:mm:ss")   // "06 Dec 14:05:09"
//
// Only the patterns the program shows are supported: "dd", "mmm", "mm"
// (minutes after "hh", else month), "hh", "nn", "ss", "yyyy", "yy" and literal
// characters. Values before 1899-12-30 are not used by the program.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace base {

struct CalendarTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    bool operator==(const CalendarTime&) const = default;
};

// std::round (halves away from zero) without its library call, which was a
// good part of the per-message statistics; the same result for every value:
// the fraction x - trunc(x) is exact below 2^52, and beyond that, or for a
// NaN or infinity, x is its own rounding.
inline double RoundHalfAway(double x) {
    if (!(std::fabs(x) < 4503599627370496.0)) return x;
    const double whole = static_cast<double>(static_cast<int64_t>(x));
    const double fraction = x - whole;
    if (fraction >= 0.5) return whole + 1.0;
    if (fraction <= -0.5) return whole - 1.0;
    return whole;
}

class DateTime {
public:
    constexpr DateTime() = default;
    constexpr explicit DateTime(double days) : value_(days) {}

    static DateTime fromCalendar(int year, int month, int day, int hour = 0, int minute = 0,
                                 int second = 0, int millisecond = 0);
    static DateTime fromCalendar(const CalendarTime& c);

    // False when the calendar fields do not form a real date (month 13, 30 February).
    static bool isValidDate(int year, int month, int day);

    constexpr double value() const { return value_; }
    constexpr bool isNull() const { return value_ == 0.0; }

    // Splits into calendar fields, rounding to the nearest millisecond.
    CalendarTime toCalendar() const;

    std::string format(std::string_view pattern) const;
    // The moment in UTC as ISO 8601, "2026-12-06T13:05:09Z" (whole seconds),
    // through the computer's time zone rules (TZ); "" for no date or a local
    // time the system cannot convert.
    std::string formatUtc() const;

    // Seconds from other to this (positive when this is later).
    double secondsSince(DateTime other) const { return (value_ - other.value_) * 86400.0; }
    // Whole seconds from other to this, each rounded to the second first;
    // nullopt when the count does not fit 32 bits (a null date against a date
    // of this century).
    // Inline: the statistics ask it for every message.
    std::optional<int32_t> wholeSecondsSince(DateTime other) const {
        const double secs = RoundHalfAway(value_ * 86400.0) - RoundHalfAway(other.value_ * 86400.0);
        if (!(secs >= std::numeric_limits<int32_t>::min() && secs <= std::numeric_limits<int32_t>::max())) {
            return std::nullopt;
        }
        return static_cast<int32_t>(secs);
    }
    DateTime addSeconds(double s) const { return DateTime(value_ + s / 86400.0); }

    friend constexpr bool operator==(DateTime a, DateTime b) { return a.value_ == b.value_; }
    friend constexpr bool operator<(DateTime a, DateTime b) { return a.value_ < b.value_; }

private:
    double value_ = 0.0;
};

}  // namespace base
