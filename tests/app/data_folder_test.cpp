#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/data_folder.h"
#include "support/temp_dir.h"

namespace app {
namespace {

TEST(DataFolder, GivenFolderWinsAndIsCreated) {
    testing_support::TempDir tmp;
    const auto given = tmp / "a" / "b";
    EXPECT_EQ(ResolveDataFolder(given, tmp.path(), tmp.path().c_str()), given);
    EXPECT_TRUE(std::filesystem::is_directory(given));
}

TEST(DataFolder, WritableExecutableFolderIsUsed) {
    testing_support::TempDir tmp;
    EXPECT_EQ(ResolveDataFolder(std::nullopt, tmp.path(), "/nonexistent-home"), tmp.path());
}

TEST(DataFolder, ReadOnlyExecutableFolderFallsBackToTheUsersShareFolder) {
    if (testing_support::runningAsRoot()) GTEST_SKIP() << "root may write anywhere";
    testing_support::TempDir tmp;
    const auto exe = tmp / "bin";
    std::filesystem::create_directory(exe);
    ::chmod(exe.c_str(), 0555);
    const auto home = tmp / "home";
    const auto dir = ResolveDataFolder(std::nullopt, exe, home.c_str());
    EXPECT_EQ(dir, home / ".local" / "share" / "Orvanta");
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    ::chmod(exe.c_str(), 0755);
}

TEST(DataFolder, MissingExecutableFolderFallsBackToo) {
    testing_support::TempDir tmp;
    EXPECT_EQ(ResolveDataFolder(std::nullopt, tmp / "gone", tmp.path().c_str()),
              tmp.path() / ".local" / "share" / "Orvanta");
}

}  // namespace
}  // namespace app
