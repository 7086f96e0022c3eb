#include "app/data_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace app {
namespace {

TEST(DataFolder, GivenFolderThenWritableExecutableFolderThenTheUsersShareFolder) {
    testing_support::TempDir tmp;
    const auto share = tmp.path() / ".local" / "share" / "Orvanta";
    EXPECT_EQ(ResolveDataFolder(tmp / "a" / "b", tmp.path(), tmp.path().c_str()), tmp / "a" / "b");
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "a" / "b"));  // created
    EXPECT_EQ(ResolveDataFolder(std::nullopt, tmp.path(), "/nonexistent-home"), tmp.path());
    EXPECT_EQ(ResolveDataFolder(std::nullopt, tmp / "gone", tmp.path().c_str()), share);
    EXPECT_EQ(ResolveDataFolder(std::nullopt, "/usr/bin/", tmp.path().c_str()), share);  // also for root
    EXPECT_TRUE(std::filesystem::is_directory(share));
}

TEST(DataFolder, ReadOnlyExecutableFolderFallsBackToTheUsersShareFolder) {
    if (testing_support::runningAsRoot()) GTEST_SKIP() << "root may write anywhere";
    testing_support::TempDir tmp;
    const auto exe = tmp / "bin";
    std::filesystem::create_directory(exe);
    ::chmod(exe.c_str(), 0555);
    EXPECT_EQ(ResolveDataFolder(std::nullopt, exe, tmp.path().c_str()), tmp.path() / ".local" / "share" / "Orvanta");
    ::chmod(exe.c_str(), 0755);
}

}  // namespace
}  // namespace app
