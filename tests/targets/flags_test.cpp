#include "targets/flags.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace targets {
namespace {

using testing_support::TempDir;

std::string icon(const TempDir& dir, const std::string& code) {
    return (dir / "Flags" / ("D" + code + ".ico")).string();
}

TEST(FlagIndex, FirstEntryOfAMIDWinsAndUnusableLinesGiveNoFlag) {
    TempDir dir;
    std::filesystem::create_directories(dir / "Flags");
    dir.write("Flags/FlagIndex.ini", "257,NO,\"Norway\"\r\n257,XX,\"Duplicate\"\r\n\r\n 211 , DE , Germany\r\n"
                                     "230,FI,\"Finland, Suomi\"\r\nnot a number,ZZ,\"x\"\r\n232,,\"no code\"\r\n"
                                     "233,../../etc,\"escapes the folder\"\r\n234,a\\b,\"backslash\"\r\n235,GB\n");
    FlagIndex flags(dir.path());
    const std::pair<int, std::string> rows[] = {
        {257, icon(dir, "NO")}, {211, icon(dir, "DE")}, {230, icon(dir, "FI")}, {235, icon(dir, "GB")},
        {232, ""}, {233, ""}, {234, ""}, {999, ""}, {0, ""}, {-1, ""},
    };
    for (const auto& [mid, expected] : rows) EXPECT_EQ(flags.FindFlagIcon(mid), expected) << mid;
    const auto& sum = flags.summary();
    EXPECT_EQ(std::tuple(sum.indexFound, sum.entries, sum.skippedLines), std::tuple(true, 4, 4));
    // No index file, or no folder at all: no flags.
    TempDir empty;
    EXPECT_EQ(FlagIndex(empty.path()).FindFlagIcon(257), "");
    EXPECT_FALSE(FlagIndex(empty.path()).summary().indexFound);
    EXPECT_EQ(FlagIndex().FindFlagIcon(257), "");
}

}  // namespace
}  // namespace targets
