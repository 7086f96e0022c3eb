#include <gtest/gtest.h>

#include "input/port_monitor.h"

namespace input {
namespace {

std::string Line(int n) { return "!AIVDM," + std::to_string(n) + "\r\n"; }

TEST(MonitorText, BoxOf2550TwipsTakesElevenSentencesAndTheTwelfthStartsAgain) {
    MonitorText box;
    box.setCapacity(MonitorCapacity(2550));
    ASSERT_EQ(box.capacity(), 10);
    std::string expected;
    for (int n = 1; n <= 11; ++n) {
        box.add(Line(n));
        expected += Line(n);
    }
    EXPECT_EQ(box.text(), expected);
    EXPECT_EQ(box.shownCount(), 11);
    box.add(Line(12));
    EXPECT_EQ(box.text(), Line(12));
    EXPECT_EQ(box.shownCount(), 1);
}

TEST(MonitorText, StaysBoundedOnLongGarbageLines) {
    MonitorText box;
    box.setCapacity(3);
    const std::string garbage(64 * 1024, 'x');
    for (int i = 0; i < 100; ++i) box.add(garbage + "\r\n");
    EXPECT_LE(box.text().size(), 4 * (MonitorText::kMaxShownSentence + 5));
    EXPECT_EQ(box.text().substr(box.text().size() - 5), "...\r\n");
    EXPECT_LE(box.takeUpdate().appended.size(), box.text().size());
    EXPECT_EQ(ShownInputBuffer(garbage).size(), kMaxShownInputBuffer);
}

}  // namespace
}  // namespace input
