#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

std::string replayCounters(const std::string& file) {
    const std::string command = std::string(ORVANTA_CLI_PATH) + " replay --format csv " + file + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0);
    return out;
}

// The input's last line has no line feed: it is still counted once, as a
// sentence when it is short and as an overlong line when it outgrew the bound.
TEST(ReplayUnterminated, LastLineCountsAsASentenceOrAsAnOverlongLine) {
    testing_support::TempDir dir;
    dir.write("short.nmea", "$GPGGA,1\r\n$GPGGA,2");
    const std::string shortOut = replayCounters((dir / "short.nmea").string());
    EXPECT_NE(shortOut.find("SentenceCount,2\n"), std::string::npos) << shortOut;
    EXPECT_NE(shortOut.find("OverflowCount,0\n"), std::string::npos) << shortOut;

    dir.write("long.nmea", "$GPGGA,1\r\n" + std::string(3 << 20, 'x'));
    const std::string longOut = replayCounters((dir / "long.nmea").string());
    EXPECT_NE(longOut.find("SentenceCount,1\n"), std::string::npos) << longOut;
    EXPECT_NE(longOut.find("OverflowCount,1\n"), std::string::npos) << longOut;
}

}  // namespace
