#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/number_format.h"
#include "base/operator_messages.h"
#include "geodesy/position_text.h"

namespace geodesy {
namespace {

const std::string kDq = "\"";

std::vector<std::string> texts(const base::RecordingMessageSink& sink) {
    std::vector<std::string> out;
    for (const auto& e : sink.entries) out.push_back(e.text);
    return out;
}

struct ParseRow {
    const char* input;
    const char* kind;
    double value;
    std::string rewritten;
    std::vector<std::string> messages;
};

TEST(ParsePosition, ReadsFreeFormRepairsAndRewrites) {
    const std::string charError = "!   LATITUDE CHARACTER FORMAT ERROR. Default, N, used";
    const ParseRow rows[] = {
        // The same position written three ways.
        {"59 30 12.5 N", "LAT", 59 + 30 / 60.0 + 12.5 / 3600, "59°30'12.5000" + kDq + "N", {}},
        {"  59 30 12,5N  ", "lat", 59 + 30 / 60.0 + 12.5 / 3600, "59°30'12.5000" + kDq + "N", {}},
        // The file-form degree mark, as UTF-8 and as a single Latin-1 byte.
        {"59\xF8" "30'12.5\"N", "LAT", 59 + 30 / 60.0 + 12.5 / 3600, "59°30'12.5000" + kDq + "N", {}},
        // A leading minus sets the southern/western default; a letter overrides it.
        {"-5 20 E", "LON", 5 + 20 / 60.0, "005°20'00.0000" + kDq + "E", {}},
        {"-5 20", "LON", -(5 + 20 / 60.0), "005°20'00.0000" + kDq + "W", {}},
        {"- 12 34 56 s", "lat", -(12 + 34 / 60.0 + 56 / 3600.0), "12°34'56.0000" + kDq + "S", {}},
        // A point ends the degree and minute fields like any separator.
        {"59.5", "LAT", 59 + 5 / 60.0, "59°05'00.0000" + kDq + "N", {}},
        // Nordic and lower-case hemisphere letters of a longitude.
        {"10 0 0 Ø", "LON", 10, "010°00'00.0000" + kDq + "E", {}},
        {"10 0 0 v", "LON", -10, "010°00'00.0000" + kDq + "W", {}},
        // Faults: reported, repaired, parsing goes on.
        {"", "LAT", 0, "00°00'00.0000" + kDq + "N", {charError}},
        {"91 N", "LAT", 90, "90°00'00.0000" + kDq + "N", {"LATITUDE FORMAT ERROR. Max 90 deg allowed"}},
        {"181 0 0 E", "LON", 180, "180°00'00.0000" + kDq + "E", {"LONGITUDE FORMAT ERROR. Max 180 deg allowed"}},
        {"89 59 60 N", "LAT", 90, "90°00'00.0000" + kDq + "N",
         {"LATITUDE SECOND FORMAT ERROR. Max 59.9999 allowed", "LATITUDE MINUTE FORMAT ERROR. Max 59 allowed"}},
        {"10 75 W", "LON", -11, "011°00'00.0000" + kDq + "W", {"LONGITUDE MINUTE FORMAT ERROR. Max 59 allowed"}},
        {"59 30 12 X", "LAT", 59 + 30 / 60.0 + 12 / 3600.0, "59°30'12.0000" + kDq + "N",
         {"LATITUDE FORMAT ERROR. Default, N, used"}},
        {"59 30 12 NO", "LAT", 59 + 30 / 60.0 + 12 / 3600.0, "59°30'12.0000" + kDq + "N", {"NO" + charError}},
        // The character that ends the seconds is consumed, multi-byte or not.
        {"10 5 ØST", "LON", 10 + 5 / 60.0, "010°05'00.0000" + kDq + "E",
         {"ST!   LONGITUDE CHARACTER FORMAT ERROR. Default, E, used"}},
        // Seconds just under 60 are cut, not rounded up, in the rewrite.
        {"59 30 59.99999 N", "LAT", 59 + 30 / 60.0 + static_cast<float>(59.99999) / 3600.0,
         "59°30'59.9999" + kDq + "N", {}},
        // Counts that cannot be held abandon the text: one message, 0, text unchanged.
        {"40000", "LAT", 0, "40000", {"LATITUDE FORMAT ERROR. "}},
        {"1 2 1" "00000000000000000000000000000000000000000 N", "LAT", 0,
         "1 2 100000000000000000000000000000000000000000 N", {"LATITUDE FORMAT ERROR. "}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        base::RecordingMessageSink sink;
        std::string text = row.input;
        const double value = ParsePosition(text, row.kind, sink);
        EXPECT_NEAR(value, row.value, 1e-12);
        EXPECT_EQ(text, row.rewritten);
        EXPECT_EQ(texts(sink), row.messages);
    }
}

TEST(ParsePosition, RewrittenTextReadsBackWithTheLocaleDecimalComma) {
    base::setDecimalSeparator(',');
    base::RecordingMessageSink sink;
    std::string text = "59 30 12.5 N";
    const double first = ParsePosition(text, "LAT", sink);
    EXPECT_EQ(text, "59°30'12,5000" + kDq + "N");
    const double again = ParsePosition(text, "LAT", sink);
    base::setDecimalSeparator('.');
    EXPECT_EQ(first, again);
    EXPECT_TRUE(sink.entries.empty());
}

TEST(FormatPosition, DisplayAndFileForms) {
    struct Row {
        double value;
        const char* kind;
        const char* style;
        int decimals;
        std::string expected;
    };
    const Row rows[] = {
        {59.503417, "LAT", "form", 1, "59°30'12.3" + kDq + "N"},
        {-5.335, "LON", "form", 1, "005°20'06.0" + kDq + "W"},
        {-0.0000001, "LAT", "form", 1, "00°00'00.0" + kDq + "S"},
        {59.999999, "LAT", "form", 1, "60°00'00.0" + kDq + "N"},
        {59.503417, "LAT", "file", 2, "59ø30'12.30" + kDq + "N"},
        {59.503417, "LAT", "FILE", 5, "59ø30'" + kDq + "N"},
        {59.503417, "LAT", "form", -1, "59°30'" + kDq + "N"},
        {-59.503417, "other", "form", 1, "059°30'12.3" + kDq + "W"},
        {std::nan(""), "LAT", "form", 1, "n/a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(FormatPosition(row.value, row.kind, row.style, row.decimals), row.expected);
    }
}

TEST(FormatDuration, HoursMinutesSeconds) {
    struct Row {
        double seconds;
        int decimals;
        const char* expected;
    };
    const Row rows[] = {
        {3725, 0, "01:02:05"},    {3725.25, 2, "01:02:05.25"}, {360000, 0, "100:00:00"},
        {7, 5, "00:00:07"},       {119.9999, 0, "00:02:00"},   {3599.96, 1, "01:00:00.0"},
        {-65, 0, "-00:01:05"},
    };
    for (const auto& row : rows) EXPECT_EQ(FormatDuration(row.seconds, row.decimals), row.expected) << row.seconds;
}

TEST(FormatAvailable, MarkerShowsAsNotAvailable) {
    EXPECT_EQ(base::FormatAvailable(-9999.0, "0.0"), "n/a");
    EXPECT_EQ(base::FormatAvailable(static_cast<float>(-9999), "0"), "n/a");
    EXPECT_EQ(base::FormatAvailable(12.34, "0.0"), "12.3");
    EXPECT_EQ(base::FormatAvailable(7.25, "000.0 °"), "007.3 °");
    EXPECT_EQ(base::FormatAvailable("-9999", "0.0"), "n/a");
    EXPECT_EQ(base::FormatAvailable("12,25", "0.0"), "12.3");
}

TEST(ReadNumberText, PointOrCommaAndLeadingNumberOnly) {
    struct Row {
        const char* text;
        double value;
    };
    const Row rows[] = {
        {"1,5", 1.5},      {"abc", 0},     {" 12 kn", 12}, {"1 000", 1000}, {"-3,25e1", -32.5},
        {"1.2.3", 1.2},    {"2e", 2},      {"1e999", 0},   {"- 4", -4},     {"0x10", 0},
    };
    for (const auto& row : rows) EXPECT_DOUBLE_EQ(base::ReadNumberText(row.text), row.value) << row.text;
}

}  // namespace
}  // namespace geodesy
