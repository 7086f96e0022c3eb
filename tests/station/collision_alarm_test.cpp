// Collision alarm through the receiver: which targets are dangerous against
// the own ship, an alarm raised once per danger, the alarm log.
#include <gtest/gtest.h>

#include <algorithm>

#include "station/receiver.h"
#include "base/number_format.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace app {
namespace {

using namespace testing_support;

struct AlarmEvents : testing_support::RecordingEvents {
    void collisionAlarm(int entry, bool failed, const std::string&) override {
        alarms.push_back(entry);
        logFailed = logFailed || failed;
    }
    std::vector<int> alarms;
    bool logFailed = false;
};

constexpr double kLat = 59.0, kLon = 10.0;

struct Harness {
    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9)};
    AlarmEvents events;
    Receiver rx{clock, events};
    // A station `east`/`north` nautical miles from the own ship's spot.
    void send(int32_t mmsi, double east, double north, float sog, float cog, int16_t navStatus = 0,
              bool vdo = false) {
        const auto r = testing_support::ReportNear(mmsi, east, north, sog, cog, navStatus);
        rx.takeBytes(app::Receiver::kMainInput, Join(Sentences(r, 'A', vdo)));
    }
    void sendClassB(int32_t mmsi, double north, float sog, float cog) {
        auto r = testing_support::ClassBReport(mmsi, kLat + north / 60.0, kLon, sog);
        r.COG = cog;
        rx.takeBytes(app::Receiver::kMainInput, Join(Sentences(r)));
    }
    void ownShip() { send(257999999, 0, 0, 10, 0, 0, true); }
    const targets::TargetRecord& last() const { return rx.targets().entry(rx.targets().EntryCount()); }
    testing_support::TempDir dir;  // the alarm log's folder
};

class CollisionAlarm : public ::testing::Test, public Harness {};

// Own ship heading north at 10 kn; default limits 0.5 nm, 12 min, 12 nm.
TEST_F(CollisionAlarm, DangerousOnlyInsideEveryLimit) {
    struct Row {
        const char* name;
        double east, north;
        float sog, cog;
        int16_t navStatus;
        bool dangerous;
    } rows[] = {
        {"head-on", 0, 3, 10, 180, 0, true},
        {"opening", 0, -3, 10, 180, 0, false},
        {"stopped ahead", 0.3, 1, 0, 0, 0, true},
    };
    for (const Row& r : rows) {
        Harness h;
        h.ownShip();
        h.send(257000001, r.east, r.north, r.sog, r.cog, r.navStatus);
        EXPECT_EQ(h.last().Dangerous, r.dangerous) << r.name;
        EXPECT_EQ(h.events.alarms.size(), r.dangerous ? 1u : 0u) << r.name;
    }
}

TEST_F(CollisionAlarm, ClassBBeaconsAndNoOwnShip) {
    send(257000001, 0, 3, 10, 180);  // no own ship yet: no approach
    EXPECT_FALSE(last().HasCPA);
    send(970123456, 0, -30, 0, 0);  // a SART far astern alarms anyway
    EXPECT_TRUE(last().Dangerous);
    ownShip();  // the own ship's report judges every target again
    EXPECT_TRUE(rx.targets().entry(1).Dangerous);
    sendClassB(257000002, 2, 10, 180);
    EXPECT_TRUE(last().Dangerous);
    rx.setAlarmSettings({.ignoreClassB = true});
    sendClassB(257000002, 1.9, 10, 180);
    EXPECT_FALSE(last().Dangerous);
    EXPECT_EQ(events.alarms, (std::vector<int>{2, 1, 4}));
}

// An alarm once per danger: repeated reports raise none; after the danger
// has passed (and the acknowledgement with it) a new one alarms again, once
// the target has been clear for a minute.
TEST_F(CollisionAlarm, OncePerDangerAndAgainAfterAMinuteClear) {
    ownShip();
    send(257000001, 0, 3, 10, 180);
    send(257000001, 0, 2.9, 10, 180);
    EXPECT_EQ(events.alarms.size(), 1u);
    targets::AcknowledgeAlarms(rx.targets());
    EXPECT_EQ(targets::UnacknowledgedAlarms(rx.targets()), 0);
    send(257000001, 0, 2.8, 10, 0);  // turned away: safe
    EXPECT_FALSE(last().Dangerous || last().AlarmAcknowledged);
    clock.advance(30);
    ownShip();
    send(257000001, 0, 2.7, 10, 180);  // back again after 30 s: still resting
    EXPECT_FALSE(last().Dangerous);
    clock.advance(31);
    ownShip();
    send(257000001, 0, 2.6, 10, 180);
    EXPECT_EQ(events.alarms.size(), 2u);
    EXPECT_EQ(targets::UnacknowledgedAlarms(rx.targets()), 1);
}

// A CPA that wobbles around the limit for ten minutes (0.48, 0.52, 0.48, ...
// nm at each report every 10 s) is one episode: one alarm, one line when it
// begins and one when the target has passed.
TEST_F(CollisionAlarm, ACPAWobblingAroundTheLimitIsOneEpisode) {
    rx.setMessageLog(dir.path());
    for (int s = 0; s <= 780; s += 10) {
        if (s % 60 == 0) send(257999999, 0, 0, 0, 0, 0, true);  // our own ship lying still
        send(257000001, (s / 10) % 2 ? 0.52 : 0.48, 1.9 - 10.0 * s / 3600, 10, 180);
        if (s == 600) {
            EXPECT_TRUE(last().Dangerous);
            EXPECT_EQ(events.alarms.size(), 1u);
            EXPECT_EQ(dir.lines("Alarms.txt").size(), 1u);
        }
        clock.advance(10);
    }
    EXPECT_FALSE(last().Dangerous);  // passed: the closest point lies behind
    EXPECT_EQ(events.alarms.size(), 1u);
    const auto lines = dir.lines("Alarms.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 30), "2026-12-06 14:05:09;257000001;");
    EXPECT_TRUE(lines[1].ends_with(";clear")) << lines[1];
    EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), ';'), 7);
}

// A dangerous target that falls silent and gives its entry to a newcomer
// (full table) ends its episode: the log gets its closing line.
TEST_F(CollisionAlarm, ADisplacedDangerousTargetEndsItsEpisode) {
    rx.setMessageLog(dir.path());
    rx.targets().setLifecycle({.capacity = 2});
    ownShip();
    send(257000001, 0, 3, 10, 180);
    ASSERT_TRUE(last().Dangerous);
    clock.advance(61);
    ownShip();
    send(257000002, 40, 40, 0, 0);  // far away; takes the silent target's entry
    ASSERT_EQ(last().MMSI, 257000002);
    const auto lines = dir.lines("Alarms.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(";257000001;"), std::string::npos) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(";clear")) << lines[1];
}

// The guard zone: a vessel lying still close by has no approach, yet alarms
// once; anchored it does not.
TEST_F(CollisionAlarm, GuardZoneAlarmsOncePerVisit) {
    rx.setAlarmSettings({.guardZone = 1});
    send(257999999, 0, 0, 0, 0, 0, true);
    send(257000001, 0.5, 0.5, 0, 0);
    send(257000002, -0.5, 0.5, 0, 0, 1);  // at anchor
    send(257000001, 0.5, 0.5, 0, 0);
    EXPECT_FALSE(rx.targets().entry(2).HasCPA);
    EXPECT_TRUE(rx.targets().entry(2).Dangerous);
    EXPECT_EQ(events.alarms, (std::vector<int>{2}));
}

// When the own ship reports, a target far beyond the alarm's range has its
// figures left to the refinement; they come out as if worked at once, and a
// target the own ship's move brings into the guard zone alarms at once.
// Between reports each target's estimate follows the course it reported last.
TEST_F(CollisionAlarm, FiguresAfterTheOwnShipMovedAreThoseOfTheNewPositions) {
    struct Row {
        const char* name;
        double guardZone;
        bool farDangerous;  // the target 18 nm north once the own ship moved 0.3 nm north
    } rows[] = {{"no guard zone", 0, false}, {"guard zone reached by the move", 17.9, true}};
    for (const Row& r : rows) {
        Harness h;
        h.rx.setAlarmSettings({.guardZone = r.guardZone});
        const auto estimate = [&](const targets::TargetRecord& t) {
            const auto plane = targets::OwnShipPlane(h.rx.targets(), 1);
            return plane->approach({t.Fix.Latitude, t.Fix.Longitude, t.Motion.SOG, t.Motion.COG},
                                   targets::ApproachPrecision::Estimate);
        };
        h.send(257999999, 0, 0, 10, 0, 0, true);
        h.send(257000001, 4, 1, 12, 270);    // near: worked exactly at once
        h.send(257000002, 0, 18, 15, 200);   // far, inside the own ship's 24 nm
        h.send(257000002, 0, 18, 15, 90);    // ... and it turned
        const targets::TargetRecord& far = h.last();
        ASSERT_TRUE(far.HasCPA) << r.name;
        EXPECT_EQ(far.CPAEstimated, r.guardZone == 0) << r.name;  // near the guard zone: exact at once
        if (far.CPAEstimated) {
            EXPECT_EQ(std::tie(far.CPA, far.OwnBearing), std::tie(estimate(far)->cpa, estimate(far)->bearing))
                << r.name;
        }

        h.send(257999999, 0, 0.3, 10, 0, 0, true);  // the own ship moved
        EXPECT_EQ(far.Dangerous, r.farDangerous) << r.name;
        h.rx.refineApproaches();
        const targets::TargetRecord& own = h.rx.targets().entry(1);
        for (int n = 2; n <= 3; ++n) {
            const targets::TargetRecord& t = h.rx.targets().entry(n);
            const auto want = targets::ClosestApproach(
                {own.Fix.Latitude, own.Fix.Longitude, own.Motion.SOG, own.Motion.COG},
                {t.Fix.Latitude, t.Fix.Longitude, t.Motion.SOG, t.Motion.COG});
            ASSERT_TRUE(want && t.HasCPA) << r.name << " " << n;
            EXPECT_FALSE(t.CPAEstimated) << r.name << " " << n;
            EXPECT_EQ(std::tie(t.CPA, t.TCPA, t.OwnRange, t.OwnBearing),
                      std::tie(want->cpa, want->tcpa, want->range, want->bearing))
                << r.name << " " << n;
        }
        if (r.guardZone == 0) {
            EXPECT_TRUE(h.events.alarms.empty()) << "refining raises nothing";
        }
    }
}

TEST_F(CollisionAlarm, LogLinesWithPointsWholeAndAppended) {
    rx.setMessageLog(dir.path());
    base::setDecimalSeparator(',');
    ownShip();
    send(257000001, 0, 3, 10, 180);
    send(257000002, 0.2, 2, 10, 180);
    base::setDecimalSeparator('.');
    send(257000001, 0, 2.9, 10, 90);  // turned away: the episode ends
    const auto lines = dir.lines("Alarms.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "2026-12-06 14:05:09;257000001;;0.00;9.0;3.01;000.0");
    EXPECT_EQ(lines[1].substr(0, 30), "2026-12-06 14:05:09;257000002;");
    EXPECT_TRUE(lines[2].starts_with("2026-12-06 14:05:09;257000001;;2.0")) << lines[2];
    EXPECT_TRUE(lines[2].ends_with(";2.91;000.0;clear")) << lines[2];
    EXPECT_FALSE(events.logFailed);
}

}  // namespace
}  // namespace app
