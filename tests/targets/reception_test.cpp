// Reception quality of a station: reports received against those its expected
// interval asks for, and its longest silence.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace targets
