// The run-wide trail store and its GPX text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "plot/trail_store.h"
#include "support/fed_receiver.h"

namespace plot {
namespace {

class TrailStoreTest : public testing_support::FedReceiver {
protected:
    void pass() {
        trails.record(rx.targets(), clock.now());
        clock.advance(1);
    }
    TrailStore trails;
};

// A full trail drops every second point: the first and the newest stay and
// the length stays bounded.
TEST_F(TrailStoreTest, AFullTrailThinsOutAndKeepsItsEnds) {
    const size_t moves = TrailStore::kMaxTrailPoints * 3;
    for (size_t i = 0; i < moves; ++i) {
        feed(testing_support::ClassAReport(257000001, 50 + static_cast<double>(i) * 1e-4, 5, 10));
        pass();
        ASSERT_LE(trails.trail(rx.targets(), 1).size(), TrailStore::kMaxTrailPoints);
    }
    const auto& trail = trails.trail(rx.targets(), 1);
    EXPECT_GT(trail.size(), TrailStore::kMaxTrailPoints / 2);
    EXPECT_EQ(trail.front().latitude, 50.0);
    EXPECT_NEAR(trail.back().latitude, 50 + static_cast<double>(moves - 1) * 1e-4, 1e-5);
    for (size_t i = 1; i < trail.size(); ++i) ASSERT_LT(trail[i - 1].latitude, trail[i].latitude);
}

// An entry freed and given to another station starts a new trail: the old
// station's points are neither shown under the new one nor exported.
TEST_F(TrailStoreTest, AReusedEntryStartsAFreshTrail) {
    feed(testing_support::ClassAReport(257000001, 50, 5, 10));
    pass();
    std::vector<targets::RemovedTarget> removed;
    rx.targets().AgeTargets(rx.clock().monotonicSeconds() + 4000, nullptr, &removed);
    ASSERT_EQ(removed.size(), 1u);
    feed(testing_support::ClassAReport(257000009, 40, 5, 10));
    ASSERT_EQ(rx.targets().entry(1).MMSI, 257000009);
    EXPECT_TRUE(trails.trail(rx.targets(), 1).empty());
    pass();
    ASSERT_EQ(trails.trail(rx.targets(), 1).size(), 1u);
    EXPECT_EQ(trails.trail(rx.targets(), 1).front().latitude, 40.0);
    EXPECT_EQ(TracksGpx(rx.targets(), trails).find("257000001"), std::string::npos);
}

// A point only where a target moved to; no track for a target without a position.
TEST_F(TrailStoreTest, GpxHasATrackPerTargetWithEscapedNamesAndUtcTimes) {
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    feed(testing_support::StaticData(257000001, "R&D <1>", "LABC"));
    feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f));
    feed(testing_support::ClassAReport(257000002, -33.25, -70.5, 1.0f));
    feed(testing_support::StaticData(257000003, "NO FIX", "LXYZ"));
    pass();
    pass();
    feed(testing_support::ClassAReport(257000002, -33.3, -70.5, 1.0f));
    pass();
    const std::string gpx = TracksGpx(rx.targets(), trails);
    ::unsetenv("TZ");
    ::tzset();
    EXPECT_NE(gpx.find("<name>R&amp;D &lt;1&gt;</name>\n    <desc>MMSI 257000001</desc>\n    <type>A</type>\n"
                       "    <trkseg>\n      <trkpt lat=\"59.5\" lon=\"5.25\"><time>2026-12-06T14:05:09Z</time></trkpt>\n"
                       "    </trkseg>"),
              std::string::npos) << gpx;
    EXPECT_NE(gpx.find("<name>257000002</name>"), std::string::npos);  // no name: the MMSI
    EXPECT_NE(gpx.find("lat=\"-33.25\" lon=\"-70.5\"><time>2026-12-06T14:05:09Z</time></trkpt>\n      <trkpt "
                       "lat=\"-33.3\" lon=\"-70.5\"><time>2026-12-06T14:05:11Z</time>"),
              std::string::npos) << gpx;
    EXPECT_EQ(gpx.find("257000003"), std::string::npos);
}

}  // namespace
}  // namespace plot
