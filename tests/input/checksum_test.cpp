#include <gtest/gtest.h>

#include "input/checksum.h"

namespace input {
namespace {

const std::string kSentence = "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0";

TEST(NMEAChecksum, OverTheTextBetweenFirstCharacterAndStar) {
    const struct {
        std::string text;
        const char* sum;
    } rows[] = {
        {kSentence + "*5C\r\n", "5C"}, {"$A", "41"},    {"$\x0f", "0F"},  // one hex digit gets a leading zero
        {"$A*", "41"},                 {"", "XX"},      {"!", "XX"},      {"!*XX\r\n", "XX"}, {"*AB", "XX"},
    };
    for (const auto& r : rows) EXPECT_EQ(NMEAChecksum(r.text), r.sum) << r.text;
    // Without a star the line end is part of the checked text.
    EXPECT_NE(NMEAChecksum("$A\r\n"), NMEAChecksum("$A"));
}

TEST(ChecksumValid, Table) {
    const struct {
        std::string sentence;
        bool valid;
        const char* why;
    } rows[] = {
        {kSentence + "*5C\r\n", true, "CR LF"},
        {kSentence + "*5C\n", true, "LF only"},
        {kSentence + "*5C", true, "no line end"},
        {kSentence + "*5c\r\n", false, "lower-case hex"},
        {kSentence + "*5D\r\n", false, "wrong"},
        {kSentence + "\r\n", false, "no checksum"},
        {kSentence + "*5C\r", false, "bare CR stays"},
        {"!*XX\r\n", true, "empty checked part and XX, six characters"},
        {"!*XX\n", false, "five characters"},
        {"", false, "empty"},
        {"\n\n\n\n\n\n", false, "line feeds"},
    };
    for (const auto& r : rows) EXPECT_EQ(ChecksumValid(r.sentence), r.valid) << r.why;
    std::string every = "!";
    for (int c = 0; c < 256; ++c) every.push_back(static_cast<char>(c));
    EXPECT_TRUE(ChecksumValid(every + "*" + NMEAChecksum(every + "*") + "\r\n"));
}

}  // namespace
}  // namespace input
