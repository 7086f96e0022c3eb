#include "app/status_panels.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(StatusPanels, CountsWhileTheirRuleIsOnAndThePercentageHasNoLeadingZero) {
    input::RunState s;
    s.ChecksumErrorCount = 5;
    s.IgnoredCount = 1;
    s.SentenceCount = 199;
    EXPECT_EQ(checksumPanelText(s), "n/a");
    EXPECT_EQ(ignoredPanelText(s, true), "n/a");
    EXPECT_EQ(ignoredPanelText(s, false), "n/a");
    s.CheckChecksum = true;
    s.EmptyBuffer = true;
    EXPECT_EQ(checksumPanelText(s), "5");
    EXPECT_EQ(ignoredPanelText(s, false), "1");
    EXPECT_EQ(ignoredPanelText(s, true), "1 (.5%)");
    s.SentenceCount = 0;
    s.IgnoredCount = 2;
    EXPECT_EQ(ignoredPanelText(s, true), "2 (100.0%)");
}

}  // namespace
}  // namespace app
