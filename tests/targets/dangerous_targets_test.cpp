// The dangerous targets' panel order and texts: soonest closest approach
// first, ties by range, beacons without an approach last, only entries whose
// episode runs.
#include <gtest/gtest.h>

#include "support/fed_receiver.h"
#include "targets/dangerous_targets.h"

namespace targets {
namespace {

class DangerousTargetsTest : public testing_support::FedReceiver {};

struct Case {
    int32_t mmsi;
    bool dangerous;
    bool hasCPA;
    double tcpa;
    bool hasRange;
    double range;
};

TEST_F(DangerousTargetsTest, SortedByTCPAThenRangeThenEntry) {
    const Case cases[] = {
        {257000001, true, true, 9.0, true, 3.0},
        {257000002, false, true, 1.0, true, 0.5},   // not in an episode: left out
        {257000003, true, true, 2.0, true, 4.0},
        {257000004, true, true, 2.0, true, 1.5},    // same TCPA, nearer: first
        {970000005, true, false, 0.0, true, 0.2},   // beacon without approach: last but one
        {257000006, true, true, 2.0, false, 0.0},   // same TCPA, range unknown: after the known
        {970000007, true, false, 0.0, false, 0.0},  // beacon, nothing known: last
        {257000008, true, true, -0.5, true, 6.0},   // just past, episode still running: first
        {257000009, true, true, 9.0, true, 3.0},    // equal to entry 1 in everything: after it
    };
    for (const Case& c : cases) feed(testing_support::ClassAReport(c.mmsi, 59.5, 5.25, 8.0f));
    TargetTable& table = rx.targets();
    ASSERT_EQ(table.EntryCount(), 9);
    for (int n = 1; n <= 9; ++n) {
        const Case& c = cases[n - 1];
        TargetRecord& t = table.entry(n);
        t.Dangerous = c.dangerous, t.HasCPA = c.hasCPA, t.TCPA = c.tcpa, t.CPA = 0.2;
        t.HasOwnRange = c.hasRange, t.OwnRange = c.range, t.OwnBearing = 45;
    }
    EXPECT_EQ(DangerousEntries(table), (std::vector<int>{8, 4, 3, 6, 1, 9, 5, 7}));
    // A freed entry never shows, even with a stale flag.
    table.entry(4).MMSI = 0;
    EXPECT_EQ(DangerousEntries(table), (std::vector<int>{8, 3, 6, 1, 9, 5, 7}));
}

TEST_F(DangerousTargetsTest, RowTextsAsTheListWritesThem) {
    struct Text {
        const char* received;
        double tcpa, range, bearing;
        bool hasCPA, hasRange;
        const char *name, *cpa, *tcpaText, *rangeText, *bearingText;
    };
    const Text cases[] = {
        {"NORDIC STAR@@@@", 7.46, 2.844, 45.24, true, true, "NORDIC STAR", "0.31", "07.5", "2.84", "045.2"},
        {"", -0.44, 0.6, 359.96, true, true, "257000001", "0.31", "-00.4", "0.60", "000.0"},
        {"  <b>bold</b> ", 1, 1, 1, false, false, "<b>bold</b>", "n/a", "n/a", "", ""},
    };
    feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 8.0f));
    TargetRecord& t = rx.targets().entry(1);
    for (const Text& c : cases) {
        t.Id.Name = c.received, t.Dangerous = true, t.HasCPA = c.hasCPA, t.CPA = 0.31, t.TCPA = c.tcpa;
        t.HasOwnRange = c.hasRange, t.OwnRange = c.range, t.OwnBearing = c.bearing;
        const auto rows = DangerousTargets(rx.targets());
        ASSERT_EQ(rows.size(), 1u) << c.received;
        const auto& r = rows[0];
        EXPECT_EQ(std::tie(r.entry, r.name, r.cpa, r.tcpa, r.range, r.bearing),
                  std::tuple(1, c.name, c.cpa, c.tcpaText, c.rangeText, c.bearingText));
    }
}

}  // namespace
}  // namespace targets
