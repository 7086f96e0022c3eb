#include "app/data_folder.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace app
