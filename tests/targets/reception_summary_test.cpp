// The station summary: messages per minute per channel over the last hour,
// targets by range ring and the furthest.
#include <gtest/gtest.h>

#include "targets/reception.h"

namespace targets {
namespace {

TEST(ReceptionSummary, MinutesOfTheLastHourPerChannel) {
    ChannelHistory h;
    h.count(10, 'A');
    h.count(30, 'B');
    h.count(3600 + 50, 'A');  // an hour later: the slot of minute 0 is reused
    h.count(3600 + 70, 'B');
    const auto m = h.lastHour(3600 + 70);
    EXPECT_EQ(m[59], (std::array<int32_t, 2>{0, 1}));
    EXPECT_EQ(m[58], (std::array<int32_t, 2>{1, 0}));
    EXPECT_EQ(m[0], (std::array<int32_t, 2>{0, 0}));  // minute 2 of the run: nothing heard
    EXPECT_EQ(h.lastHour(3 * 3600)[59], (std::array<int32_t, 2>{0, 0}));
}

TEST(ReceptionSummary, TargetsByRangeRing) {
    TargetTable table;
    TableContext ctx;
    ais::AISMessageRecord rec;
    const double ranges[] = {4.9, 5.1, 39, 120};
    for (int i = 0; i < 4; ++i) {
        rec.Type1.MMSI = 257000001 + i;
        rec.Type1.Latitude = 59;
        const int n = table.AddOrUpdateTarget(SentenceKind::VDM, 1, rec, ctx).entry;
        table.entry(n).Range = ranges[i] * 1852.0;
    }
    const RangeSummary r = SummariseRanges(table, kRefManual);
    EXPECT_EQ(r.rings, (std::array<int, 6>{1, 1, 0, 1, 0, 1}));
    EXPECT_EQ(r.furthestEntry, 4);
    EXPECT_EQ(SummariseRanges(table, kRefNone).furthestEntry, 0);
}

}  // namespace
}  // namespace targets
