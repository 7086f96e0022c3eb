// The collision alarm's thresholds: where an episode begins and where it
// ends, on either side of every limit (CPA 0.5 nm, TCPA 12 min, range 12 nm,
// guard zone 1 nm), and the silence.
#include <gtest/gtest.h>

#include "targets/watch.h"

namespace targets {
namespace {

struct Case {
    const char* name;
    double cpa, tcpa, range;
    bool enters, stays;
    bool hasCPA = true;
    TargetClass cls = TargetClass::A;
    int16_t navStatus = 0;
    TargetStatus status = TargetStatus::Current;
    int32_t mmsi = 257000001;

    TargetRecord target() const {
        TargetRecord t;
        t.MMSI = mmsi, t.Class = cls, t.Nav.NavStatus = navStatus, t.Status = status;
        t.HasCPA = hasCPA, t.HasOwnRange = true, t.CPA = cpa, t.TCPA = tcpa, t.OwnRange = range;
        return t;
    }
};

TEST(AlarmEpisode, EntersInsideEveryLimitAndEndsOnlyClearlyOutside) {
    const Case cases[] = {
        {"well inside", 0.30, 6, 3, true, true},
        {"CPA just inside", 0.49, 6, 3, true, true},
        {"CPA on the limit", 0.50, 6, 3, false, true},
        {"CPA 10 % beyond", 0.55, 6, 3, false, true},
        {"CPA clearly beyond", 0.56, 6, 3, false, false},
        {"TCPA now", 0.30, 0, 3, false, true},
        {"TCPA behind", 0.30, -0.1, 3, false, false},
        {"TCPA just inside", 0.30, 11.9, 3, true, true},
        {"TCPA on the limit", 0.30, 12, 3, false, true},
        {"TCPA a minute beyond", 0.30, 13, 3, false, true},
        {"TCPA clearly beyond", 0.30, 13.1, 3, false, false},
        {"range just inside", 0.30, 6, 11.9, true, true},
        {"range on the limit", 0.30, 6, 12, false, true},
        {"range 10 % beyond", 0.30, 6, 13.2, false, true},
        {"range clearly beyond", 0.30, 6, 13.3, false, false},
        {"no approach", 0.30, 6, 3, false, false, false},
        {"lost", 0.30, 6, 3, false, false, true, TargetClass::A, 0, TargetStatus::Lost},
        {"moored, ignored", 0.30, 6, 3, false, false, true, TargetClass::A, 5},
        {"distress beacon far off", 9, -5, 30, true, true, false, TargetClass::A, 0, TargetStatus::Current, 970123456},
        {"lost distress beacon", 9, -5, 30, false, false, false, TargetClass::A, 0, TargetStatus::Lost, 970123456},
    };
    const AlarmSettings limits;
    for (const Case& c : cases) {
        EXPECT_EQ(std::pair(EntersAlarm(c.target(), limits), StaysInAlarm(c.target(), limits)),
                  std::pair(c.enters, c.stays))
            << c.name;
    }
}

TEST(AlarmEpisode, GuardZoneWatchesVesselsUnderWayWhateverTheirApproach) {
    const Case cases[] = {
        {"inside, no approach", 0, 0, 0.9, true, true, false},
        {"inside, opening", 3, -4, 0.9, true, true},
        {"just outside", 0, 0, 1.05, false, true, false},
        {"10 % beyond", 0, 0, 1.10, false, true, false},
        {"clearly beyond", 0, 0, 1.11, false, false, false},
        {"class B inside", 0, 0, 0.5, true, true, false, TargetClass::B},
        {"at anchor inside", 0, 0, 0.5, false, false, false, TargetClass::A, 1},
        {"moored inside", 0, 0, 0.5, false, false, false, TargetClass::A, 5},
        {"base station inside", 0, 0, 0.5, false, false, false, TargetClass::BS},
        {"aid to navigation inside", 0, 0, 0.5, false, false, false, TargetClass::AtoN},
        {"lost inside", 0, 0, 0.5, false, false, false, TargetClass::A, 0, TargetStatus::Lost},
    };
    const AlarmSettings guard{.guardZone = 1};
    const AlarmSettings off;  // no guard alarm at all
    for (const Case& c : cases) {
        const TargetRecord t = c.target();
        EXPECT_EQ(std::pair(EntersAlarm(t, guard), StaysInAlarm(t, guard)), std::pair(c.enters, c.stays)) << c.name;
        EXPECT_EQ(EntersAlarm(t, off), c.hasCPA && c.cpa < 0.5 && c.tcpa > 0) << c.name << " (off)";
    }
}

TEST(AlarmEpisode, SilenceLastsFiveMinutesOrUntilTheNextEpisode) {
    AlarmSilence s;
    EXPECT_FALSE(s.silenced(100));
    s.silence(100);
    EXPECT_TRUE(s.silenced(399));
    EXPECT_FALSE(s.silenced(400));
    s.silence(500);
    s.episodeStarted();
    EXPECT_FALSE(s.silenced(501));
}

TEST(AlarmEpisode, EndLineIsTheStartLineWithAnEighthField) {
    TargetRecord t;
    t.MMSI = 257000001, t.Id.Name = "NORDIC;STAR ";
    t.HasCPA = t.HasOwnRange = true;
    t.CPA = 0.62, t.TCPA = -0.4, t.OwnRange = 0.63, t.OwnBearing = 359.97;
    const auto when = base::DateTime::fromCalendar(2026, 12, 6, 14, 12, 40);
    EXPECT_EQ(AlarmLogLine(when, t), "2026-12-06 14:12:40;257000001;NORDIC STAR;0.62;-0.4;0.63;000.0");
    EXPECT_EQ(AlarmEndLogLine(when, t), AlarmLogLine(when, t) + ";clear");
    t.HasCPA = false;  // a guard zone alarm of a target lying still: range without an approach
    EXPECT_EQ(AlarmLogLine(when, t), "2026-12-06 14:12:40;257000001;NORDIC STAR;n/a;n/a;0.63;000.0");
}

}  // namespace
}  // namespace targets
