#include <gtest/gtest.h>

#include "input/checksum.h"

namespace input {
namespace {

TEST(NMEAChecksum, ComputedOverTheTextBetweenFirstCharacterAndStar) {
    EXPECT_EQ(NMEAChecksum("!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\r\n"), "5C");
    EXPECT_EQ(NMEAChecksum("$GPGGA,1*"), NMEAChecksum("$GPGGA,1"));
    // Without a star the line end is part of the checked text.
    EXPECT_NE(NMEAChecksum("$A\r\n"), NMEAChecksum("$A"));
    EXPECT_EQ(NMEAChecksum("$A"), "41");
    EXPECT_EQ(NMEAChecksum("$\x0f"), "0F");  // one hex digit gets a leading zero
}

TEST(NMEAChecksum, EmptyCheckedPartGivesXX) {
    EXPECT_EQ(NMEAChecksum(""), "XX");
    EXPECT_EQ(NMEAChecksum("!"), "XX");
    EXPECT_EQ(NMEAChecksum("!*XX\r\n"), "XX");
    EXPECT_EQ(NMEAChecksum("*AB"), "XX");
}

struct ValidRow {
    const char* sentence;
    bool valid;
    const char* why;
};

TEST(ChecksumValid, Table) {
    const ValidRow rows[] = {
        {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\r\n", true, "CR LF"},
        {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\n", true, "LF only"},
        {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C", true, "no line end"},
        {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5c\r\n", false, "lower-case hex"},
        {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5D\r\n", false, "wrong"},
        {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0\r\n", false, "no checksum"},
        {"!*XX\r\n", true, "empty checked part and XX, six characters"},
        {"!*XX\n", false, "five characters"},
        {"", false, "empty"},
        {"\n\n\n\n\n\n", false, "line feeds"},
        {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\r", false, "bare CR stays"},
    };
    for (const auto& r : rows) EXPECT_EQ(ChecksumValid(r.sentence), r.valid) << r.why;
}

TEST(ChecksumValid, AnyByteValueIsSafe) {
    std::string s = "!";
    for (int c = 0; c < 256; ++c) s.push_back(static_cast<char>(c));
    s += "*" + NMEAChecksum(s + "*") + "\r\n";
    EXPECT_TRUE(ChecksumValid(s));
}

}  // namespace
}  // namespace input
