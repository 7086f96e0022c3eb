// Texts written into CSV, XML and JSON: the escapes each format needs, and
// bytes that are not UTF-8 turned into U+FFFD so every file stays valid UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "base/json_writer.h"
#include "base/text_escape.h"
#include "base/text_file.h"
#include "base/progress_text.h"

namespace base {
namespace {

struct EscapeRow {
    const char* in;
    const char* csv;
    const char* xml;
    const char* json;
};

TEST(TextEscape, EachFormatEscapesWhatItMustAndRepairsBrokenUtf8) {
    const EscapeRow rows[] = {
        {"EVER GIVEN", "EVER GIVEN", "EVER GIVEN", R"("EVER GIVEN")"},
        {"A,B", R"("A,B")", "A,B", R"("A,B")"},
        {R"(SAY "HI")", R"("SAY ""HI""")", "SAY &quot;HI&quot;", R"("SAY \"HI\"")"},
        {"R&D <1> 'x'", "R&D <1> 'x'", "R&amp;D &lt;1&gt; &apos;x&apos;", R"("R&D <1> 'x'")"},
        {"a\r\nb\tc\x01", "\"a\r\nb\tc\x01\"", "abc", R"("a\r\nb\tc\u0001")"},
        {"back\\slash\x7F", "back\\slash\x7F", "back\\slash", R"("back\\slash\u007f")"},
        {"B\xC3\xB8lge \xF0\x9F\x9A\xA2", "B\xC3\xB8lge \xF0\x9F\x9A\xA2", "B\xC3\xB8lge \xF0\x9F\x9A\xA2",
         "\"B\xC3\xB8lge \xF0\x9F\x9A\xA2\""},                                   // UTF-8 kept
        {"B\xF8lge", "B\xEF\xBF\xBDlge", "B\xEF\xBF\xBDlge", R"("B\ufffdlge")"},  // Latin-1 byte
        {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD", R"("\ufffd\ufffd")"},  // cut short
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
         R"("\ufffd\ufffd\ufffd")"},  // surrogate
    };
    for (const auto& r : rows) {
        std::string csv, xml;
        AppendCsvField(csv, r.in);
        AppendXmlText(xml, r.in);
        OutputBuffer json;
        AppendJsonString(json, r.in);
        EXPECT_EQ(csv, r.csv) << r.in;
        EXPECT_EQ(xml, r.xml) << r.in;
        EXPECT_EQ(json.view(), r.json) << r.in;
        EXPECT_TRUE(IsValidUtf8(csv) && IsValidUtf8(xml) && IsValidUtf8(json.view())) << r.in;
    }
}

// The plain run of a JSON text is scanned eight bytes a step, the last bytes
// as a word overlapping the one before: a byte that needs an escape is found
// at every place in a word and in the last bytes, and a byte just outside
// the escaped ranges is copied as it is.
TEST(TextEscape, JsonStringFindsEscapesAtEveryPlaceInAWord) {
    const std::pair<std::string, std::string> rows[] = {
        {"\"", "\\\""}, {"\\", "\\\\"}, {"\x01", "\\u0001"}, {"\x1F", "\\u001f"},
        {"\x7F", "\\u007f"}, {"\xFF", "\\ufffd"}, {"\xC3\xB8", "\xC3\xB8"}, {" ", " "}, {"~", "~"}, {"!", "!"},
        {"#", "#"}, {"[", "["}, {"]", "]"},
    };
    for (const auto& [in, escaped] : rows) {
        for (size_t at = 0; at < 20; ++at) {
            for (const size_t after : {size_t{0}, size_t{3}, 19 - at}) {  // texts of every length up to 21
                const std::string pad(at, 'a'), tail(after, 'b');
                OutputBuffer json;
                AppendJsonString(json, pad + in + tail);
                EXPECT_EQ(json.view(), "\"" + pad + escaped + tail + "\"") << at << ' ' << escaped;
            }
        }
    }
}

// Text cells that a spreadsheet would run as a formula start with an apostrophe.
TEST(TextEscape, CsvTextCellsNeverStartAFormula) {
    const std::pair<const char*, const char*> rows[] = {
        {"=CMD?' /C CALC'!A0", "'=CMD?' /C CALC'!A0"},
        {"+1+2", "'+1+2"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tX", "'\tX"},
        {"\rX", "\"'\rX\""},
        {"=A1,B1", "\"'=A1,B1\""},
        {"A=B-C", "A=B-C"},
        {" =X", " =X"},
        {"", ""},
    };
    for (const auto& [in, expected] : rows) {
        std::string csv;
        AppendCsvText(csv, in);
        EXPECT_EQ(csv, expected) << in;
    }
}

TEST(TextEscape, Utf8SequenceBoundaries) {
    const std::pair<const char*, size_t> rows[] = {
        {"\x7F", 1},         {"\xC2\x80", 2},         {"\xC1\xBF", 0},          // overlong two-byte
        {"\xE0\xA0\x80", 3}, {"\xE0\x9F\xBF", 0},     {"\xEF\xBF\xBF", 3},      // overlong three-byte
        {"\xF0\x90\x80\x80", 4}, {"\xF4\x8F\xBF\xBF", 4}, {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
        {"\x80", 0},         {"\xC3", 0},             {"\xF5\x80\x80\x80", 0},
    };
    for (const auto& [text, length] : rows) EXPECT_EQ(Utf8SequenceLength(text), length) << testing::PrintToString(text);
}

TEST(ProgressText, PercentRateAndTimeLeft) {
    const std::pair<ProgressState, const char*> rows[] = {
        {{0, 5'000'000, 0, 0.0}, "[--------------------]   0%  0.0/5.0 MB  --:-- left"},
        {{45'000'000, 100'000'000, 123456, 5.0},
         "[#########-----------]  45%  45.0/100.0 MB  9.0 MB/s  24691 lines/s  0:06 left"},
        {{1'000'000, 7'201'000'000, 10, 1.0},
         "[--------------------]   0%  1.0/7201.0 MB  1.0 MB/s  10 lines/s  2:00:00 left"},
        {{100'000'000, 100'000'000, 274000, 11.0, true},
         "[####################] 100%  100.0 MB in 0:11  9.1 MB/s  24909 lines/s"},
        {{0, 0, 0, 0.0, true}, "[####################] 100%  0.0 MB in 0:00"},
    };
    for (const auto& [state, text] : rows) EXPECT_EQ(ProgressText(state, "lines"), text);
}

}  // namespace
}  // namespace base
