// Collision alarm through the receiver: which targets are dangerous against
// the own ship, an alarm raised once per danger, the alarm log.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "app/receiver.h"
#include "base/number_format.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace app {
namespace {

using testing_support::Join;
using testing_support::Sentences;

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
        auto r = testing_support::ClassAReport(mmsi, kLat + north / 60.0,
                                               kLon + east / (60.0 * std::cos(kLat * 3.14159265358979 / 180)), sog,
                                               navStatus);
        r.COG = cog;
        rx.receive(input::InputKind::Tcp, Join(Sentences(r, 'A', vdo)));
    }
    void sendClassB(int32_t mmsi, double north, float sog, float cog) {
        auto r = testing_support::ClassBReport(mmsi, kLat + north / 60.0, kLon, sog);
        r.COG = cog;
        rx.receive(input::InputKind::Tcp, Join(Sentences(r)));
    }
    void ownShip() { send(257999999, 0, 0, 10, 0, 0, true); }
    const targets::TargetRecord& last() const { return rx.targets().entry(rx.targets().EntryCount); }
};

// Own ship heading north at 10 kn; default limits 0.5 nm, 12 min, 12 nm.
TEST(CollisionAlarm, DangerousOnlyInsideEveryLimit) {
    struct Row {
        const char* name;
        double east, north;
        float sog, cog;
        int16_t navStatus;
        bool dangerous;
    } rows[] = {
        {"head-on", 0, 3, 10, 180, 0, true},
        {"opening", 0, -3, 10, 180, 0, false},
        {"passing 2 nm abeam", 2, 3, 10, 180, 0, false},
        {"closing in 72 min", 0, 6, 5, 0, 0, false},
        {"beyond the range limit", 0, 13, 60, 180, 0, false},
        {"moored, ignored", 0, 1, 0, 0, 5, false},
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

TEST(CollisionAlarm, ClassBBeaconsAndNoOwnShip) {
    Harness h;
    h.send(257000001, 0, 3, 10, 180);  // no own ship yet: no approach
    EXPECT_FALSE(h.last().HasCPA);
    h.send(970123456, 0, -30, 0, 0);  // a SART far astern alarms anyway
    EXPECT_TRUE(h.last().Dangerous);
    h.ownShip();  // the own ship's report judges every target again
    EXPECT_TRUE(h.rx.targets().entry(1).Dangerous);
    h.sendClassB(257000002, 2, 10, 180);
    EXPECT_TRUE(h.last().Dangerous);
    targets::AlarmSettings a;
    a.ignoreClassB = true;
    h.rx.setAlarmSettings(a);
    h.sendClassB(257000002, 1.9, 10, 180);
    EXPECT_FALSE(h.last().Dangerous);
    EXPECT_EQ(h.events.alarms, (std::vector<int>{2, 1, 4}));
}

// An alarm once per danger: repeated reports raise none; after the danger
// has passed (and the acknowledgement with it) a new one alarms again.
TEST(CollisionAlarm, OncePerDangerAndAgainAfterItPassed) {
    Harness h;
    h.ownShip();
    h.send(257000001, 0, 3, 10, 180);
    h.send(257000001, 0, 2.9, 10, 180);
    EXPECT_EQ(h.events.alarms.size(), 1u);
    targets::AcknowledgeAlarms(h.rx.targets());
    EXPECT_EQ(targets::UnacknowledgedAlarms(h.rx.targets()), 0);
    h.send(257000001, 0, 2.8, 10, 0);  // turned away: safe
    EXPECT_FALSE(h.last().AlarmAcknowledged);
    h.send(257000001, 0, 2.7, 10, 180);
    EXPECT_EQ(h.events.alarms.size(), 2u);
    EXPECT_EQ(targets::UnacknowledgedAlarms(h.rx.targets()), 1);
}

// Far from the limits a report gets the cheap estimate; the display's
// refinement makes it the exact figure, without raising anything.
TEST(CollisionAlarm, EstimatesFarFromTheLimitsAreRefinedToTheExactFigures) {
    Harness h;
    h.ownShip();
    h.send(257000001, 18, 4, 20, 240);
    const targets::TargetRecord& t = h.last();
    ASSERT_TRUE(t.HasCPA && t.CPAEstimated);
    const targets::TargetRecord& own = h.rx.targets().entry(1);
    const auto want = targets::ClosestApproach({own.Latitude, own.Longitude, own.SOG, own.COG},
                                               {t.Latitude, t.Longitude, t.SOG, t.COG});
    ASSERT_TRUE(want);
    EXPECT_GT(std::fabs(t.CPA - want->cpa), 1e-4);
    h.rx.refineApproaches();
    EXPECT_FALSE(t.CPAEstimated);
    EXPECT_EQ(std::tie(t.CPA, t.TCPA, t.OwnRange), std::tie(want->cpa, want->tcpa, want->range));
    EXPECT_TRUE(h.events.alarms.empty());
}

TEST(CollisionAlarm, LogLinesWithPointsWholeAndAppended) {
    testing_support::TempDir dir;
    Harness h;
    h.rx.setMessageLog(dir.path());
    base::setDecimalSeparator(',');
    h.ownShip();
    h.send(257000001, 0, 3, 10, 180);
    h.send(257000002, 0.2, 2, 10, 180);
    base::setDecimalSeparator('.');
    std::ifstream in(dir.path() / "Alarms.txt");
    std::string first, second, none;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "2026-12-06 14:05:09;257000001;;0.00;9.0;3.01;000.0");
    EXPECT_EQ(second.substr(0, 30), "2026-12-06 14:05:09;257000002;");
    EXPECT_FALSE(std::getline(in, none));
    EXPECT_FALSE(h.events.logFailed);
}

}  // namespace
}  // namespace app
