// The run-wide trail store and its GPX text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "app/receiver.h"
#include "plot/trail_store.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"

namespace plot {
namespace {

class TrailStoreTest : public ::testing::Test {
protected:
    template <class Rec>
    void feed(const Rec& rec) {
        rx.receive(input::InputKind::Tcp, testing_support::Join(testing_support::Sentences(rec, 'A', false)));
    }
    void pass() {
        trails.record(rx.targets(), clock.now());
        clock.advance(1);
    }
    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9)};
    testing_support::RecordingEvents events;
    app::Receiver rx{clock, events};
    TrailStore trails;
};

// A full trail drops every second point: the first and the newest stay and
// the length stays bounded.
TEST_F(TrailStoreTest, AFullTrailThinsOutAndKeepsItsEnds) {
    const size_t moves = TrailStore::kMaxTrailPoints * 3;
    for (size_t i = 0; i < moves; ++i) {
        feed(testing_support::ClassAReport(257000001, 50 + static_cast<double>(i) * 1e-4, 5, 10));
        pass();
        ASSERT_LE(trails.trail(1).size(), TrailStore::kMaxTrailPoints);
    }
    const auto& trail = trails.trail(1);
    EXPECT_GT(trail.size(), TrailStore::kMaxTrailPoints / 2);
    EXPECT_EQ(trail.front().latitude, 50.0);
    EXPECT_NEAR(trail.back().latitude, 50 + static_cast<double>(moves - 1) * 1e-4, 1e-5);
    for (size_t i = 1; i < trail.size(); ++i) ASSERT_LT(trail[i - 1].latitude, trail[i].latitude);
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
