// Reception quality of a station: reports received against those its expected
// interval asks for, and its longest silence.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "targets/reception.h"
#include "targets/statistics.h"

namespace targets {
namespace {

TEST(Reception, ReceivedAgainstExpectedAndTheLongestGap) {
    struct Row {
        const char* name;
        std::vector<double> times;  // seconds of the position reports (10 s interval)
        double now;
        const char* percent;
        const char* gap;
    } rows[] = {
        {"every report", {0, 10, 20, 30, 40}, 40, "100", "00:00:10"},
        {"one lost", {0, 10, 20, 40, 50}, 50, "80", "00:00:20"},
        {"jitter is no loss", {0, 10.4, 19.7, 30.2}, 31, "100", "00:00:11"},
        {"silent since", {0, 10, 20}, 65, "33", "00:00:10"},
        {"a single report", {0}, 0, "n/a", "n/a"},
    };
    for (const Row& r : rows) {
        TargetTable table;
        TableContext ctx;
        ais::AISMessageRecord rec;
        rec.Type1.MMSI = 257000001;
        rec.Type1.SOG = 10;
        for (double t : r.times) {
            ctx.monotonic = 1000 + t;
            const TargetUpdate u = table.AddOrUpdateTarget(SentenceKind::VDM, 1, rec, ctx);
            UpdateStatistics(table.entry(u.entry), SentenceKind::VDM, 'A', 1, ctx.now, ctx.now, ctx.monotonic);
        }
        EXPECT_EQ(RxPercentText(table.entry(1), 1000 + r.now), r.percent) << r.name;
        EXPECT_EQ(LongestGapText(table.entry(1)), r.gap) << r.name;
    }
}

// Each ring is a band and says so: a target 7 nm off counts in "5–10 nm".
TEST(Reception, RingsAreBandsAndCountOnlyKnownRanges) {
    EXPECT_EQ(std::tuple(RingCaption(0), RingCaption(1), RingCaption(4), RingCaption(5)),
              std::tuple("0\u20135 nm", "5\u201310 nm", "40\u201380 nm", "Beyond 80 nm"));
    TargetTable table;
    TableContext ctx;
    ais::AISMessageRecord rec;
    const double miles[] = {7, 5, 90, 3};
    for (int32_t k = 0; k < 4; ++k) {
        rec.Type1.MMSI = 257000001 + k;
        rec.Type1.Latitude = 59, rec.Type1.Longitude = 10;
        const TargetUpdate u = table.AddOrUpdateTarget(SentenceKind::VDM, 1, rec, ctx);
        table.entry(u.entry).FromReference.set(miles[k] * 1852, 0);
        table.entry(u.entry).RangeKnown = k != 3;  // the last one's position is too old
    }
    const RangeSummary r = SummariseRanges(table, kRefManual);
    EXPECT_EQ(r.rings, (std::array<int, 6>{1, 1, 0, 0, 0, 1}));
    EXPECT_EQ(r.furthestEntry, 3);
}

// Messages per minute and channel: each lands in the minute it came in, at
// the edges of a minute too, and a slot an hour old starts again from 0.
TEST(Reception, ChannelHistoryCountsEachMessageInItsMinute) {
    struct Msg {
        double at;
        char channel;
    };
    struct Row {
        const char* name;
        std::vector<Msg> messages;
        double now;
        std::vector<std::array<int32_t, 2>> last;  // the newest minutes, newest last
    } rows[] = {
        {"one minute, both channels", {{0.5, 'A'}, {1, 'B'}, {59.9, 'A'}}, 59.9, {{2, 1}}},
        {"the edge of a minute", {{59.999, 'A'}, {60, 'B'}, {60.001, 'B'}}, 61, {{1, 0}, {0, 2}}},
        {"back to an earlier minute", {{130, 'A'}, {70, 'B'}, {131, 'A'}}, 131, {{0, 1}, {2, 0}}},
        {"an hour later the slot starts again", {{10, 'A'}, {3610, 'B'}, {3611, 'B'}}, 3611, {{0, 2}}},
        {"other channels count as A", {{5, ' '}, {6, 'C'}}, 6, {{2, 0}}},
    };
    for (const Row& r : rows) {
        ChannelHistory h;
        for (const Msg& m : r.messages) h.count(m.at, m.channel);
        const auto hour = h.lastHour(r.now);
        for (size_t k = 0; k < r.last.size(); ++k) {
            EXPECT_EQ(hour[hour.size() - r.last.size() + k], r.last[k]) << r.name << " minute " << k;
        }
        int32_t total = 0;
        for (const auto& minute : hour) total += minute[0] + minute[1];
        int32_t expected = 0;
        for (const auto& minute : r.last) expected += minute[0] + minute[1];
        EXPECT_EQ(total, expected) << r.name;
    }
}

}  // namespace
}  // namespace targets
