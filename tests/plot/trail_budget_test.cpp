// Trails of a table far larger than the default: each trail keeps fewer
// points, so all of them together stay within the store's budget.
#include <gtest/gtest.h>

#include "plot/trail_store.h"

namespace plot {
namespace {

TEST(TrailBudget, ManyTargetsShareTheBudget) {
    constexpr int kTargets = 4000;
    targets::TargetTable table;
    table.setLifecycle({.capacity = kTargets});
    targets::TableContext ctx;
    ais::AISMessageRecord rec;
    for (int k = 0; k < kTargets; ++k) {
        rec.Type1.MMSI = 257000000 + k;
        ASSERT_TRUE(table.AddOrUpdateTarget(input::SentenceKind::VDM, 1, rec, ctx).taken());
    }
    ASSERT_EQ(table.TargetCount(), kTargets);
    const size_t limit = TrailStore::TrailLimit(kTargets);
    ASSERT_LT(limit, TrailStore::kMaxTrailPoints);

    TrailStore trails;
    base::DateTime now = base::DateTime::fromCalendar(2026, 12, 7, 1, 0, 0);
    for (int pass = 0; pass < static_cast<int>(limit) * 2; ++pass) {
        for (int n = 1; n <= kTargets; ++n) {
            table.entry(n).Fix.Latitude = 50 + pass * 1e-4;
            table.entry(n).Fix.Longitude = 4 + n * 1e-3;
        }
        trails.record(table, now);
        now = now.addSeconds(1);
    }
    size_t total = 0;
    for (int n = 1; n <= kTargets; ++n) {
        const auto& trail = trails.trail(table, n);
        ASSERT_LE(trail.size(), limit) << n;
        ASSERT_GT(trail.size(), limit / 2) << n;
        ASSERT_EQ(trail.front().latitude, 50.0);  // the whole run, coarser
        total += trail.size();
    }
    EXPECT_LE(total, TrailStore::kTrailPointBudget);
}

}  // namespace
}  // namespace plot
