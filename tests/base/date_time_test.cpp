#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "base/date_time.h"
#include "base/number_format.h"

namespace base {
namespace {

// Serial numbers count days from 1899-12-30; years far outside 1900-2299
// exercise the move by whole 400-year cycles.
TEST(DateTime, SerialNumbers) {
    const struct {
        CalendarTime date;
        double serial;
    } rows[] = {
        {{1899, 12, 30}, 0.0},          {{1900, 1, 1}, 2.0},           {{2026, 12, 6, 12}, 46362.5},
        {{1, 1, 1}, -693593.0},         {{40000, 1, 1}, 13915741.0},   {{-2000, 1, 1}, -1424444.0},
        {{2026, 13, 1}, 46388.0},       {{2027, 0, 1}, 46357.0},  // months run on into the next or previous year
    };
    for (const auto& r : rows) {
        EXPECT_DOUBLE_EQ(DateTime::fromCalendar(r.date).value(), r.serial) << r.date.year << "-" << r.date.month;
    }
}

TEST(DateTime, RoundsToTheNearestMillisecond) {
    const double day = DateTime::fromCalendar(2024, 2, 29).value();
    EXPECT_EQ(DateTime(day + 86399999.6 / 86400000).toCalendar(), (CalendarTime{2024, 3, 1, 0, 0, 0, 0}));
    EXPECT_EQ(DateTime(day + 1000.4 / 86400000).toCalendar(), (CalendarTime{2024, 2, 29, 0, 0, 1, 0}));
    EXPECT_EQ(DateTime(-0.25).toCalendar(), (CalendarTime{1899, 12, 29, 18, 0, 0, 0}));
    // No millisecond count fits: no date rather than an undefined conversion.
    EXPECT_EQ(DateTime(std::nan("")).toCalendar(), CalendarTime{});
    EXPECT_EQ(DateTime(1e300).toCalendar(), CalendarTime{});
}

TEST(DateTime, WholeSecondsSince) {
    const DateTime noon = DateTime::fromCalendar(2026, 3, 7, 12);
    const struct {
        DateTime later, earlier;
        std::optional<int32_t> seconds;
    } rows[] = {
        {noon.addSeconds(90.4), noon, 90},
        {noon.addSeconds(89.6), noon.addSeconds(-0.4), 90},  // each rounded before the difference
        {noon, noon.addSeconds(61), -61},
        {noon, DateTime(), std::nullopt},  // against no date: beyond 32 bits
        {DateTime(24855.0), DateTime(0.1), 2147463360},
        // 3/256 of a day is 1012.5 s exactly: halves go away from zero, both ways.
        {DateTime(3 / 256.0), DateTime(0.0), 1013},
        {DateTime(-3 / 256.0), DateTime(0.0), -1013},
        {DateTime(5 / 256.0), DateTime(3 / 256.0), 1688 - 1013},
    };
    for (const auto& r : rows) EXPECT_EQ(r.later.wholeSecondsSince(r.earlier), r.seconds) << r.later.value();
}

TEST(DateTime, ValidDates) {
    const struct {
        int year, month, day;
        bool valid;
    } rows[] = {{2024, 2, 29, true},  {2026, 2, 29, false}, {2026, 4, 31, false}, {2000, 2, 29, true},
                {1900, 2, 29, false}, {2026, 1, 256, false}, {2026, 257, 1, false}};
    for (const auto& r : rows) EXPECT_EQ(DateTime::isValidDate(r.year, r.month, r.day), r.valid) << r.year << r.month;
}

struct FormatRow {
    double value;
    const char* pattern;
    const char* expected;
};

TEST(NumberFormat, PicturePatterns) {
    const FormatRow rows[] = {
        {0.05, "0.0", "0.1"},          // half away from zero, not banker's rounding
        {2.25, "0.0", "2.3"},
        {-2.25, "0.0", "-2.3"},
        {-0.04, "0.0", "0.0"},         // no "-0.0"
        {7.25, "000.0 °", "007.3 °"},
        {359.96, "000.0 °", "360.0 °"},
        {0.5, "#.0", ".5"},
        {0, "#.0", ".0"},
        {5, "00.", "05."},
        {2579, "000000000", "000002579"},
        {1234567.8, "#,##0.0", "1,234,567.8"},
        {2, "0.##", "2."},
        {0.125, "0.00", "0.13"},
        {1.005, "0.00", "1.01"},       // 100.49999... after scaling: rounds on the decimal value
        {-1.005, "0.00", "-1.01"},
        {2.675, "0.00", "2.68"},
        {1.0049, "0.00", "1.00"},      // the guard never lifts a value below the half
        {99.95, "#0.0", "100.0"},
        {NAN, "0.0", "n/a"},
        {INFINITY, "0.0", "n/a"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(formatNumber(r.value, r.pattern), r.expected) << r.value << " with " << r.pattern;
    }
}

TEST(NumberFormat, TypedNumbersAcceptPointOrComma) {
    EXPECT_EQ(parseTypedNumber("12.5"), 12.5);
    EXPECT_EQ(parseTypedNumber(" 12,5 "), 12.5);
    EXPECT_EQ(parseTypedNumber("+3"), 3.0);
    EXPECT_FALSE(parseTypedNumber(""));
    EXPECT_FALSE(parseTypedNumber("12a"));
    EXPECT_FALSE(parseTypedNumber(std::string(100, '1')));
}

// Local times through the zone's rules, summer and winter; no date gives "".
TEST(DateTime, UtcTextOfALocalTime) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);  // central Europe, without the zone files
    ::tzset();
    EXPECT_EQ(DateTime::fromCalendar(2026, 7, 1, 14, 0, 5).formatUtc(), "2026-07-01T12:00:05Z");
    EXPECT_EQ(DateTime::fromCalendar(2026, 1, 1, 0, 30, 0).formatUtc(), "2025-12-31T23:30:00Z");
    EXPECT_EQ(DateTime().formatUtc(), "");
    old ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace base
