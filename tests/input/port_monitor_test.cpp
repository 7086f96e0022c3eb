#include <gtest/gtest.h>

#include "input/comm_setup.h"
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

TEST(MonitorText, UpdatesAppendUntilTheBoxIsEmptiedThenReplace) {
    MonitorText box;
    box.setCapacity(1);
    EXPECT_FALSE(box.takeUpdate().changed);
    box.add(Line(1));
    box.add(Line(2));
    MonitorText::Update u = box.takeUpdate();
    EXPECT_TRUE(u.changed);
    EXPECT_FALSE(u.replace);
    EXPECT_EQ(u.appended, Line(1) + Line(2));

    box.add(Line(3));  // empties the box first
    box.add(Line(4));
    u = box.takeUpdate();
    EXPECT_TRUE(u.replace);
    EXPECT_TRUE(u.appended.empty());
    EXPECT_EQ(box.text(), Line(3) + Line(4));
    EXPECT_FALSE(box.takeUpdate().changed);
}

TEST(MonitorText, FreezeMarksABlankLineAndShowsNothingUntilContinue) {
    MonitorText box;
    box.setCapacity(10);
    box.add(Line(1));
    box.freeze();
    box.freeze();  // a second freeze adds no second blank line
    box.add(Line(2));
    EXPECT_EQ(box.text(), Line(1) + "  \r\n");
    EXPECT_EQ(box.shownCount(), 1);
    box.resume();
    box.add(Line(3));
    EXPECT_EQ(box.text(), Line(1) + "  \r\n" + Line(3));
    box.clear();
    EXPECT_EQ(box.text(), "");
    EXPECT_EQ(box.shownCount(), 0);
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

TEST(MonitorSocketState, TextAndNextLookPerState) {
    const struct {
        int state;
        MonitorSocketView view;
    } rows[] = {
        {0, {"Closed", 10000}},
        {1, {"1", 0}},
        {6, {"Connecting to 10.0.0.5", 200}},
        {7, {"Connected to 10.0.0.5", 10000}},
        {9, {"Error", 1000}},
    };
    for (const auto& row : rows) EXPECT_EQ(MonitorSocketState(row.state, "10.0.0.5"), row.view) << row.state;
}

TEST(CommSetup, PortNumberTexts) {
    const struct {
        const char* text;
        std::optional<int32_t> port;
    } rows[] = {
        {"1", 1},   {"65535", 65535}, {"8040abc", 8040}, {" 8040 ", 8040}, {"0", {}},
        {"65536", {}}, {"80.5", {}},  {"", {}},          {"-80", {}},       {"99999999999", {}},
    };
    for (const auto& row : rows) EXPECT_EQ(ParsePortNumber(row.text), row.port) << row.text;
}

TEST(CommSetup, PortsAreNumberedInDeviceOrderUpTo16) {
    EXPECT_EQ(ListComPorts({"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyACM0"}),
              (std::vector<ComPortEntry>{{1, "/dev/ttyUSB0"}, {2, "/dev/ttyACM0"}, {3, "/dev/ttyS0"}}));
    std::vector<std::string> many;
    for (int i = 0; i < 20; ++i) many.push_back("ttyS" + std::to_string(i));
    const auto ports = ListComPorts(many);
    ASSERT_EQ(ports.size(), 16u);
    EXPECT_EQ(ports.back(), (ComPortEntry{16, "ttyS15"}));
}

}  // namespace
}  // namespace input
