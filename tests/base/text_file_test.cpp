#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "support/temp_dir.h"

namespace base {
namespace {

using Fields = std::optional<std::vector<std::string>>;

struct SplitRow {
    const char* line;
    Fields expected;
};

TEST(TextFile, SplitsCommaSeparatedFieldsHonouringQuotes) {
    using V = std::vector<std::string>;
    const SplitRow rows[] = {
        {R"(1,"a b","C",2)", V{"1", "a b", "C", "2"}},
        {R"(1,"smith, john","X")", V{"1", "smith, john", "X"}},  // comma inside quotes is text
        {R"( 7 , "x" ,y )", V{"7", "x", "y"}},                    // blanks around fields
        {R"(1,,"",)", V{"1", "", "", ""}},                        // empty fields keep their place
        {R"(1,"open)", std::nullopt},                             // quote never closed
        {R"(1,"ab"c,2)", std::nullopt},                           // text after the closing quote
    };
    for (const auto& row : rows) EXPECT_EQ(SplitQuotedFields(row.line), row.expected) << row.line;
}

TEST(TextFile, ReadsLinesWithEitherLineEndAndDropsTheByteOrderMark) {
    testing_support::TempDir dir;
    dir.write("t.txt", "\xEF\xBB\xBFone\r\ntwo\nthr\xE9\x65\r\n\r\nlast");
    const TextFileLines f = ReadTextLines(dir / "t.txt");
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.lines, (std::vector<std::string>{"one", "two", "thr\xC3\xA9\x65", "", "last"}));
}

// Anything but a regular file of sane size is refused at once: a named pipe
// without a writer, or a link to one, would otherwise block the reader forever.
TEST(TextFile, OnlyRegularFilesOfSaneSizeAreRead) {
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "pipe", dir / "link");
    dir.write("big.txt", std::string(300, 'x'));
    dir.write("small.txt", "abc");
    struct Row {
        std::filesystem::path path;
        bool exists, ok;
    } const rows[] = {
        {dir / "none.txt", false, false}, {dir / "none" / "x.txt", false, false}, {dir / "folder", true, false},
        {dir / "pipe", true, false},      {dir / "link", true, false},            {"/dev/zero", true, false},
        {dir / "big.txt", true, false},   {dir / "small.txt", true, true},
    };
    for (const Row& row : rows) {
        const FileBytes f = ReadFileBytes(row.path, 200);
        EXPECT_EQ(f.exists, row.exists) << row.path;
        EXPECT_EQ(f.ok, row.ok) << row.path;
        EXPECT_EQ(f.error.empty(), row.ok || !row.exists) << row.path;
        EXPECT_EQ(f.bytes, row.ok ? "abc" : "") << row.path;
        EXPECT_EQ(ReadTextLines(row.path, 200).ok, row.ok) << row.path;
    }
}

}  // namespace
}  // namespace base
