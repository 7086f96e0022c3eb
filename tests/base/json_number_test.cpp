// Number and key text of the JSON writer: the fast writers must give exactly
// the text std::to_chars gives, which the decode output has always had.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "base/json_number.h"
#include "base/json_writer.h"

namespace base {
namespace {

std::string Shortest(double v) {
    char buf[kMaxNumberText];
    return {buf, WriteShortest(buf, v)};
}

std::string Reference(double v) {
    char buf[kMaxNumberText];
    return {buf, std::to_chars(buf, buf + sizeof buf, v).ptr};
}

TEST(JsonNumber, ShortestDoubleEdges) {
    const std::pair<double, const char*> rows[] = {
        {52.118725000000005, "52.118725000000005"},  // a latitude that needs 17 digits
        {(-2935 / 10000.0) / 60.0, "-0.0048916666666666666"},
        {0.1, "0.1"},
        {-9999.0, "-9999"},
        {0.0, "0"},
        {-0.0, "-0"},
        {100.0, "100"},
        {-1234.5678901234567, "-1234.5678901234567"},  // a sign and seventeen digits
        {123000000.0, "1.23e+08"},                    // the exponent form is shorter
        {1e16, "1e+16"},
        {0.000244140625, "0.000244140625"},           // 2^-12, the smallest in the fast range
        {0.0001220703125, "0.0001220703125"},         // 2^-13, beyond it
        {0.9999999999999999, "0.9999999999999999"},   // just below a power of two
        {1.0000000000000002, "1.0000000000000002"},   // just above one
        {1000000000000000.5, "1000000000000000.5"},
        {9007199254740991.0, "9007199254740991"},     // 2^53 - 1
        {18014398509481984.0, "18014398509481984"},   // 2^54, past the fast range
        {5e-324, "5e-324"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {100.00000000000001, "100.00000000000001"},   // the fraction's first eight digits all zeros
        {3.05, "3.05"},                               // a zero right after the point
    };
    for (const auto& [value, text] : rows) EXPECT_EQ(Shortest(value), text) << Reference(value);
}

// Every raw latitude of a position report in steps, random doubles of the
// fast range, and random bit patterns: the same text as std::to_chars.
TEST(JsonNumber, ShortestDoubleMatchesToChars) {
    for (int64_t raw = -54'600'000; raw <= 54'600'000; raw += 997) {
        const double degrees = (static_cast<double>(raw) / 10000.0) / 60.0;
        ASSERT_EQ(Shortest(degrees), Reference(degrees)) << raw;
    }
    // Positions of whole millionths (raw a multiple of 3) take a shorter way:
    // both signs, whole degrees, longitudes, and both ways of dividing.
    for (int64_t raw = -108'600'000; raw <= 108'600'000; raw += 3 * 331) {
        for (const double degrees : {static_cast<double>(raw) / 600000.0, (static_cast<double>(raw) / 10000.0) / 60.0}) {
            ASSERT_EQ(Shortest(degrees), Reference(degrees)) << raw;
        }
    }
    for (const double degrees : {1.0, -1.0, 52.0, 179.99999500000001, 0.999995, 999.999995, 1000.0, 1.000005}) {
        EXPECT_EQ(Shortest(degrees), Reference(degrees));
    }
    std::mt19937_64 random(26);
    for (int i = 0; i < 200'000; ++i) {
        const double inRange = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 70) - 65);
        ASSERT_EQ(Shortest(inRange), Reference(inRange));
        const auto anyBits = std::bit_cast<double>(random());
        if (std::isfinite(anyBits)) {
            ASSERT_EQ(Shortest(anyBits), Reference(anyBits));
        }
    }
}

TEST(JsonNumber, IntegerEdges) {
    const std::pair<int64_t, const char*> rows[] = {
        {0, "0"},
        {-1, "-1"},
        {-9999, "-9999"},
        {std::numeric_limits<int64_t>::max(), "9223372036854775807"},
        {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
    };
    for (const auto& [value, text] : rows) {
        char buf[kMaxNumberText];
        EXPECT_EQ(std::string(buf, WriteInteger(buf, value)), text);
    }
    // Digits go out in groups of eight: every length, with zeros and nines
    // on both sides of a group's edge.
    int64_t power = 1;
    for (int digits = 1; digits <= 18; ++digits) {
        power *= 10;
        // Eight nines above the low digits, where that still fits in 64 bits.
        int64_t nines = 0;
        if (__builtin_mul_overflow(int64_t{99'999'999}, power / 10'000'000 + 1, &nines)) nines = power - 1;
        for (const int64_t value : {power, power - 1, power + 1, -power, nines}) {
            char buf[kMaxNumberText];
            EXPECT_EQ(std::string(buf, WriteInteger(buf, value)), std::to_string(value));
        }
    }
}

// Singles: tenths (speeds, courses) and whole numbers through the integer
// writer, everything else with seven significant digits; zeros and values
// just off a tenth, halfway cases among them, must not take the tenths path.
TEST(JsonNumber, SingleText) {
    const std::pair<float, const char*> rows[] = {
        {0.0f, "0"},         {-0.0f, "0"},         {12.8f, "12.8"},       {-12.8f, "-12.8"},
        {329.5f, "329.5"},   {-9999.0f, "-9999"},  {102.3f, "102.3"},     {99999.9f, "99999.9"},
        {0.5f, "0.5"},       {0.05f, "0.05"},      {-0.05f, "-0.05"},     {-0.04f, "-0.04"},
        {0.15f, "0.15"},     {1.25f, "1.25"},      {0.001f, "0.001"},     {100000.0f, "1e+05"},
        {123456.7f, "123456.7"}, {3.14159265f, "3.141593"},
    };
    for (const auto& [value, text] : rows) {
        OutputBuffer out;
        AppendJsonNumber(out, value);
        EXPECT_EQ(out.view(), text) << value;
    }
}

// Keys fixed at compile time drop their comma only as the first member; keys
// made at run time are escaped.
TEST(JsonNumber, FlatObjectKeys) {
    static constexpr JsonKey kMMSI("MMSI"), kLongest("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    OutputBuffer out;
    {
        JsonObjectWriter empty(out);
        empty.end();
    }
    JsonObjectWriter json(out);
    json.key(kMMSI);
    json.value(int64_t{257000001});
    json.key(std::string_view("Say \"hi\""));
    json.value(std::string_view("x"));
    json.key(kLongest);
    json.null();
    json.key(kMMSI);
    json.value(12.8f);
    json.end();
    EXPECT_EQ(out.view(), R"({}{"MMSI":257000001,"Say \"hi\"":"x","ABCDEFGHIJKLMNOPQRSTUVWXYZ":null,"MMSI":12.8})");
    EXPECT_EQ(kLongest.name(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

}  // namespace
}  // namespace base
