#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "targets/flags.h"

namespace targets {
namespace {

using testing_support::TempDir;

std::string icon(const TempDir& dir, const std::string& file) { return (dir / "Flags" / file).string(); }

TEST(FlagIndex, FirstEntryOfAMIDWinsAndUnknownMIDsHaveNoFlag) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Flags");
    dir.write("Flags/FlagIndex.ini",
              "257,NO,\"Norway\"\r\n"
              "257,XX,\"Duplicate\"\r\n"
              "\r\n"
              " 211 , DE , Germany\r\n"
              "230,FI,\"Finland, Suomi\"\r\n"
              "not a number,ZZ,\"x\"\r\n"
              "232,,\"no code\"\r\n"
              "233,../../etc,\"escapes the folder\"\r\n"
              "234,a\\b,\"backslash\"\r\n"
              "235,GB\n");
    FlagIndex flags(dir.path());
    struct Row {
        int mid;
        std::string expected;
    };
    const Row rows[] = {
        {257, icon(dir, "DNO.ico")}, {211, icon(dir, "DDE.ico")}, {230, icon(dir, "DFI.ico")},
        {235, icon(dir, "DGB.ico")}, {232, ""}, {233, ""}, {234, ""}, {999, ""}, {0, ""}, {-1, ""},
    };
    for (const auto& row : rows) EXPECT_EQ(flags.FindFlagIcon(row.mid), row.expected) << row.mid;
    const FlagIndex::Summary s = flags.summary();
    EXPECT_TRUE(s.indexFound);
    EXPECT_EQ(s.entries, 4);
    EXPECT_EQ(s.skippedLines, 4);
}

TEST(FlagIndex, NoIndexFileMeansNoFlags) {
    TempDir dir;
    FlagIndex flags(dir.path());
    EXPECT_EQ(flags.FindFlagIcon(257), "");
    EXPECT_FALSE(flags.summary().indexFound);
    FlagIndex unset;
    EXPECT_EQ(unset.FindFlagIcon(257), "");
}

TEST(FlagIndex, IndexIsReadOnceAndAgainOnlyForAnotherFolder) {
    TempDir a;
    TempDir b;
    std::filesystem::create_directory(a / "Flags");
    std::filesystem::create_directory(b / "Flags");
    a.write("Flags/FlagIndex.ini", "257,NO,\"Norway\"\r\n");
    b.write("Flags/FlagIndex.ini", "257,NX,\"Other\"\r\n");

    FlagIndex flags(a.path());
    EXPECT_EQ(flags.FindFlagIcon(257), icon(a, "DNO.ico"));
    // Changing the file during the run does not change the lookups.
    a.write("Flags/FlagIndex.ini", "257,SE,\"Changed\"\r\n");
    EXPECT_EQ(flags.FindFlagIcon(257), icon(a, "DNO.ico"));
    flags.setDataDir(a.path());
    EXPECT_EQ(flags.FindFlagIcon(257), icon(a, "DNO.ico"));

    flags.setDataDir(b.path());
    EXPECT_EQ(flags.FindFlagIcon(257), icon(b, "DNX.ico"));
}

}  // namespace
}  // namespace targets
