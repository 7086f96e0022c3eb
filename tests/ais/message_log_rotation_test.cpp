// The message log stays within its size: a block that would take it past the
// limit starts a new file, the older ones move on and the oldest goes; no
// block is ever split across two files.
#include <gtest/gtest.h>

#include <string>

#include "ais/message_notice.h"
#include "support/temp_dir.h"

namespace ais {
namespace {

TEST(MessageLogRotation, WholeBlocksInAtMostFourFiles) {
    testing_support::TempDir dir;
    MessageLog log(dir.path(), 100);
    // Blocks of 30 bytes "<n>...\r\n": three fit in 100 bytes, a fourth starts a new file.
    auto block = [](int n) {
        std::string b = std::to_string(n % 10);
        return b + std::string(27, '.') + "\r\n";
    };
    for (int n = 0; n < 14; ++n) ASSERT_TRUE(log.append(block(n))) << log.lastError();
    const struct {
        std::string file;
        std::string firsts;  // the first character of each block it holds
    } rows[] = {
        {"AIS_Messages/AIS_Messages.txt", "23"},  // blocks 12, 13
        {"AIS_Messages/AIS_Messages.1.txt", "901"},
        {"AIS_Messages/AIS_Messages.2.txt", "678"},
        {"AIS_Messages/AIS_Messages.3.txt", "345"},  // blocks 0-2 are gone
    };
    for (const auto& r : rows) {
        std::string want;
        for (const char c : r.firsts) want += block(c - '0');
        EXPECT_EQ(dir.read(r.file), want) << r.file;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "AIS_Messages/AIS_Messages.4.txt"));

    // A block larger than the limit still goes whole into a fresh file.
    const std::string big(250, 'x');
    ASSERT_TRUE(log.append(big));
    EXPECT_EQ(dir.read("AIS_Messages/AIS_Messages.txt"), big);
    EXPECT_EQ(dir.read("AIS_Messages/AIS_Messages.1.txt"), block(2) + block(3));
}

}  // namespace
}  // namespace ais
