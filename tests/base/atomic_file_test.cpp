#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "base/atomic_file.h"
#include "support/temp_dir.h"

namespace base {
namespace {

using testing_support::TempDir;

TEST(AtomicFile, CreatesAndReplacesWholeContentKeepingThePermissionBits) {
    TempDir dir;
    for (const char* content : {"first\r\n", "second", ""}) {
        ASSERT_TRUE(WriteFileAtomically(dir / "a.dat", content)) << content;
        EXPECT_EQ(dir.read("a.dat"), content);
    }
    EXPECT_EQ(dir.entryCount(), 1);  // no temporary file left
    ASSERT_EQ(::chmod((dir / "a.dat").c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(dir / "a.dat", "new"));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "a.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Every failure leaves the old content and no stray temporary file.
TEST(AtomicFile, FailureKeepsTheOldFileAndReportsIt) {
    TempDir dir;
    dir.write("keep.dat", "precious");
    const std::string big(4096, 'x');

    {  // disk full while writing
        testing_support::FileSizeLimit limit(100);
        const FileWriteResult r = WriteFileAtomically(dir / "keep.dat", big);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("write"), std::string::npos) << r.error;
    }
    EXPECT_EQ(dir.read("keep.dat"), "precious");

    // the target is a folder
    std::filesystem::create_directory(dir / "folder.dat");
    EXPECT_FALSE(WriteFileAtomically(dir / "folder.dat", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.dat"));

    // the folder does not exist
    EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "a.dat", "x"));

    EXPECT_EQ(dir.entryCount(), 2);
}

TEST(AtomicFile, ReadOnlyFolderFailsWithoutTouchingTheFile) {
    if (testing_support::runningAsRoot()) GTEST_SKIP() << "root may write to any folder";
    TempDir dir;
    dir.write("keep.dat", "precious");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const FileWriteResult r = WriteFileAtomically(dir / "keep.dat", "new");
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(dir.read("keep.dat"), "precious");
}

}  // namespace
}  // namespace base
