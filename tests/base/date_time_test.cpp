#include <gtest/gtest.h>

#include "base/date_time.h"
#include "base/number_format.h"

namespace base {
namespace {

TEST(DateTime, SerialNumbersMatchTheEpochOf1899) {
    EXPECT_DOUBLE_EQ(DateTime::fromCalendar(1899, 12, 30).value(), 0.0);
    EXPECT_DOUBLE_EQ(DateTime::fromCalendar(1900, 1, 1).value(), 2.0);
    EXPECT_DOUBLE_EQ(DateTime::fromCalendar(2000, 1, 1).value(), 36526.0);
    EXPECT_DOUBLE_EQ(DateTime::fromCalendar(2026, 12, 6, 12).value(), 46362.5);
}

TEST(DateTime, CalendarRoundTripAcrossLeapDaysAndMidnight) {
    const CalendarTime cases[] = {
        {2024, 2, 29, 23, 59, 59, 999}, {2026, 12, 31, 0, 0, 0, 0}, {2000, 2, 29, 12, 30, 15, 500},
        {2100, 3, 1, 6, 7, 8, 9},
    };
    for (const auto& c : cases) EXPECT_EQ(DateTime::fromCalendar(c).toCalendar(), c);
}

TEST(DateTime, FormatsThePatternsTheProgramShows) {
    const DateTime t = DateTime::fromCalendar(2026, 3, 7, 9, 5, 4);
    EXPECT_EQ(t.format("dd mmm hh:mm:ss"), "07 Mar 09:05:04");
    EXPECT_EQ(t.format("hh:mm:ss"), "09:05:04");
    EXPECT_EQ(t.format("dd mmm hh:mm"), "07 Mar 09:05");
    EXPECT_EQ(t.format("dd.mm.yyyy"), "07.03.2026");
}

TEST(DateTime, ValidDates) {
    EXPECT_TRUE(DateTime::isValidDate(2024, 2, 29));
    EXPECT_FALSE(DateTime::isValidDate(2026, 2, 29));
    EXPECT_FALSE(DateTime::isValidDate(2026, 13, 1));
    EXPECT_FALSE(DateTime::isValidDate(2026, 4, 31));
    EXPECT_TRUE(DateTime::isValidDate(2000, 2, 29));
    EXPECT_FALSE(DateTime::isValidDate(1900, 2, 29));
}

struct FormatRow {
    double value;
    const char* pattern;
    const char* expected;
};

TEST(NumberFormat, PicturePatterns) {
    const FormatRow rows[] = {
        {3.14159, "0.0", "3.1"},
        {0.05, "0.0", "0.1"},          // half away from zero, not banker's rounding
        {2.25, "0.0", "2.3"},
        {-2.25, "0.0", "-2.3"},
        {-0.04, "0.0", "0.0"},         // no "-0.0"
        {7.25, "000.0 °", "007.3 °"},
        {359.96, "000.0 °", "360.0 °"},
        {0.5, "#.0", ".5"},
        {0, "#.0", ".0"},
        {100, "#.0", "100.0"},
        {5, "00.", "05."},
        {2579, "000000000", "000002579"},
        {12.345, "0.0 nm", "12.3 nm"},
        {1234567.8, "#,##0.0", "1,234,567.8"},
        {1.5, "0.##", "1.5"},
        {2, "0.##", "2."},
        {0.125, "0.00", "0.13"},
        {99.95, "#0.0", "100.0"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(formatNumber(r.value, r.pattern), r.expected) << r.value << " with " << r.pattern;
    }
}

TEST(NumberFormat, UsesTheChosenDecimalSeparator) {
    setDecimalSeparator(',');
    EXPECT_EQ(formatNumber(1.25, "0.00"), "1,25");
    EXPECT_EQ(formatNumber(0.5, "#.0"), ",5");
    setDecimalSeparator('.');
    EXPECT_EQ(formatNumber(1.25, "0.00"), "1.25");
}

TEST(NumberFormat, NonFiniteIsNotAvailable) {
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::quiet_NaN(), "0.0"), "n/a");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity(), "0.0"), "n/a");
}

TEST(NumberFormat, TypedNumbersAcceptPointOrComma) {
    EXPECT_EQ(parseTypedNumber("12.5"), 12.5);
    EXPECT_EQ(parseTypedNumber(" 12,5 "), 12.5);
    EXPECT_EQ(parseTypedNumber("-3"), -3.0);
    EXPECT_EQ(parseTypedNumber("+3"), 3.0);
    EXPECT_FALSE(parseTypedNumber(""));
    EXPECT_FALSE(parseTypedNumber("12a"));
    EXPECT_FALSE(parseTypedNumber("1.2.3"));
    EXPECT_FALSE(parseTypedNumber(std::string(100, '1')));
}

}  // namespace
}  // namespace base
