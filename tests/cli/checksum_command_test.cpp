// orvanta-cli checksum: which lines it counts as right, wrong and without a
// checksum, also where a line is cut by the end of a read block.
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"
#include "sentence/tag_block.h"

namespace {

const std::string kGood = "!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0*71";
const std::string kBadSum = "!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0*72";
const std::string kNoSum = "!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0";

std::string counts(int lines, int right, int wrong, int missing) {
    return "checksum: " + std::to_string(lines) + " lines, " + std::to_string(right) + " right, " +
           std::to_string(wrong) + " wrong, " + std::to_string(missing) + " without a checksum\n";
}

TEST(ChecksumCommand, SortsEachLineByItsChecksums) {
    const std::string tag = input::FormatTagBlock("rcvr1", 1700000000);
    std::string badTag = tag;
    badTag[3] = 'X';  // the text changed, the checksum not
    struct Case {
        const char* what;
        std::string input;
        std::string expected;
    } cases[] = {
        {"right, CR LF", kGood + "\r\n", counts(1, 1, 0, 0)},
        {"right, no final line feed", kGood, counts(1, 1, 0, 0)},
        {"wrong checksum", kBadSum + "\n", counts(1, 0, 1, 0)},
        {"payload changed", "!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0M,0*71\n", counts(1, 0, 1, 0)},
        {"no checksum", kNoSum + "\n", counts(1, 0, 0, 1)},
        {"blank lines are no lines", "\n\r\n\n" + kGood + "\n\n", counts(1, 1, 0, 0)},
        {"tag block and sentence right", tag + kGood + "\r\n", counts(1, 1, 0, 0)},
        {"tag block wrong", badTag + kGood + "\n", counts(1, 0, 1, 0)},
        {"tag block right, sentence wrong", tag + kBadSum + "\n", counts(1, 0, 1, 0)},
        {"tag block right, sentence without", tag + kNoSum + "\n", counts(1, 0, 0, 1)},
        {"tag block never closed", "\\s:rcvr1*00" + kGood + "\n", counts(1, 0, 1, 0)},
        {"a line longer than the receiver takes", kGood + std::string(70000, 'x') + "*00\n" + kGood + "\n",
         counts(2, 1, 1, 0)},
        {"mixed", kGood + "\n" + kBadSum + "\n" + kNoSum + "\n" + kGood + "\n", counts(4, 2, 1, 1)},
    };
    for (const Case& c : cases) {
        const clitest::Run r = clitest::Cli("checksum", &c.input);
        EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
        EXPECT_EQ(r.out, c.expected) << c.what;
    }
}

TEST(ChecksumCommand, LinesCutByTheReadBlocksAreWhole) {
    // Over 3 MiB, with lines of different lengths, so the 1 MiB read blocks
    // end inside lines at different places.
    std::string input;
    int lines = 0;
    while (input.size() < 3 * 1024 * 1024 + 17) {
        input += (lines % 3 == 0 ? kBadSum : kGood) + (lines % 2 ? "\r\n" : "\n");
        ++lines;
    }
    const int wrong = (lines + 2) / 3;
    const clitest::Run r = clitest::Cli("checksum", &input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, counts(lines, lines - wrong, wrong, 0));
}

TEST(ChecksumCommand, AFileThatCannotBeOpenedFails) {
    const clitest::Run r = clitest::Cli("checksum /nonexistent/feed.nmea");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos) << r.err;
}

}  // namespace
