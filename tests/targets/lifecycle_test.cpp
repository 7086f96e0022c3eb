// Lifecycle of the target table: lost, removed, room made by lost stations,
// and the MMSI index, DisplayOrder and entry numbers kept consistent while
// entries come and go.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <set>

#include "support/sample_sentences.h"
#include "targets/target_row.h"
#include "targets/target_sort.h"
#include "targets/target_table.h"

namespace targets {
namespace {

using input::SentenceKind;

class Lifecycle : public ::testing::Test {
protected:
    Lifecycle() {
        ctx.now = base::DateTime::fromCalendar(2026, 12, 6, 10, 0, 0);
    }
    TargetUpdate feed(int type, int32_t mmsi, int16_t navStatus = 0, SentenceKind kind = SentenceKind::VDM) {
        testing_support::SetMMSI(rec, mmsi);
        rec.Type1.NavStatus = navStatus;
        return table.AddOrUpdateTarget(kind, type, rec, ctx);
    }
    // Every row shows an entry in use whose ListRow is that row; every entry
    // in use is found by its MMSI and has one row.
    void expectConsistent() {
        std::set<int> shown;
        for (int k = 1; k <= table.TargetCount(); ++k) {
            const int n = table.DisplayOrder()[static_cast<size_t>(k)];
            ASSERT_TRUE(table.InUse(n)) << "row " << k;
            EXPECT_EQ(table.entry(n).ListRow, k);
            shown.insert(n);
        }
        int inUse = 0;
        for (int n = 1; n <= table.EntryCount(); ++n) {
            if (!table.InUse(n)) continue;
            ++inUse;
            EXPECT_TRUE(shown.count(n)) << n;
            const int type = table.entry(n).Class == TargetClass::BS ? 4 : 1;
            EXPECT_EQ(table.FindTarget(table.entry(n).MMSI, type), n);
        }
        EXPECT_EQ(inUse, table.TargetCount());
    }

    TableContext ctx;
    ais::AISMessageRecord rec;
    TargetTable table;
};

// Old once silent beyond the report's allowance (moving 32 s, moored 360 s,
// an aid 240 s); lost after 6 min when moving, 18 min when anchored, moored,
// a base station or an aid; removed after 30 min whatever the class.
TEST_F(Lifecycle, OldLostAndRemovedByClassAndSilence) {
    const TargetStatus kNew = TargetStatus::New, kOld = TargetStatus::Old;
    struct Row {
        int type;
        int16_t navStatus;
        double silentFor;
        TargetStatus status;  // ignored when removed
        bool removed;
    } rows[] = {
        {1, 0, 31, kNew, false},  {1, 0, 32, kOld, false},  {1, 5, 359, kNew, false}, {1, 5, 360, kOld, false},
        {1, 2, 100, kOld, false}, {21, 0, 239, kNew, false}, {21, 0, 240, kOld, false}, {18, 0, 32, kOld, false},
        {1, 0, 359, TargetStatus::Old, false},   {1, 0, 360, TargetStatus::Lost, false},
        {18, 0, 360, TargetStatus::Lost, false}, {1, 5, 1079, TargetStatus::Old, false},
        {1, 1, 1080, TargetStatus::Lost, false}, {4, 0, 1079, TargetStatus::Old, false},
        {21, 0, 1080, TargetStatus::Lost, false}, {1, 0, 1799, TargetStatus::Lost, false},
        {1, 0, 1800, TargetStatus::Lost, true},  {4, 0, 1800, TargetStatus::Lost, true},
    };
    for (const Row& r : rows) {
        TargetTable t;
        testing_support::SetMMSI(rec, 257000001);
        rec.Type1.NavStatus = r.navStatus;
        t.AddOrUpdateTarget(SentenceKind::VDM, r.type, rec, ctx);
        std::vector<RemovedTarget> removed;
        t.AgeTargets(ctx.monotonic + r.silentFor, nullptr, &removed);
        EXPECT_EQ(removed.size(), r.removed ? 1u : 0u) << r.type << " " << r.silentFor;
        if (r.removed) {
            EXPECT_EQ(std::tuple(removed[0], t.InUse(1), t.TargetCount(), t.FindTarget(257000001, r.type)),
                      std::tuple(RemovedTarget{1, 1}, false, 0, 0));
        } else {
            EXPECT_EQ(t.entry(1).Status, r.status) << r.type << " " << r.navStatus << " " << r.silentFor;
        }
    }
}

// A freed number goes to the next new station; its generation tells a holder
// of the old number that the station is gone; rows below close up. "No"
// sorts by first appearance, whatever entry numbers the stations got.
TEST_F(Lifecycle, RemovalFreesTheEntryAndClosesTheRowsAndNoKeepsFirstAppearance) {
    for (int i = 0; i < 5; ++i) feed(1, 257000001 + i);
    ctx.monotonic = 1000;
    for (int i : {0, 3, 4}) feed(1, 257000001 + i);
    table.setOwnShip(2);
    std::vector<RemovedTarget> removed;
    table.AgeTargets(1900, nullptr, &removed);
    EXPECT_EQ(removed, (std::vector<RemovedTarget>{{2, 2}, {3, 3}}));
    // The own ship left with its entry.
    EXPECT_EQ(std::tuple(table.OwnShipIndex(), table.TargetCount(), table.Generation(2), table.Generation(1)),
              std::tuple(0, 3, 1u, 0u));
    expectConsistent();
    ctx.monotonic = 1901;
    EXPECT_EQ(feed(1, 366000001).entry, 2);
    EXPECT_EQ(table.entry(2).ListRow, 4);
    EXPECT_EQ(table.entry(2).MsgCount[0], 0);  // nothing of the station before
    expectConsistent();
    feed(8, 366000002);  // entry 3, no class yet
    feed(1, 366000003);  // entry 6
    feed(1, 366000002);  // adopts entry 3: still its first appearance
    SortTargets(table, kColMMSI, true, kRefNone);
    SortTargets(table, kColNo, false, kRefNone);
    std::vector<int32_t> order;
    for (int k = 1; k <= table.TargetCount(); ++k) order.push_back(table.entry(table.DisplayOrder()[size_t(k)]).MMSI);
    EXPECT_EQ(order, (std::vector<int32_t>{257000001, 257000004, 257000005, 366000001, 366000002, 366000003}));
    SortTargets(table, kColNo, true, kRefNone);
    EXPECT_EQ(table.entry(table.DisplayOrder()[1]).MMSI, 366000003);
}

// Two hours of turnover: 2,000 stations, each heard for 45 minutes, at most
// 1,000 held. Every station heard in the last 30 minutes is in the table and
// no new station was ever ignored.
TEST_F(Lifecycle, DaysOfTurnoverIgnoreNoStation) {
    constexpr int kStations = 2000;
    constexpr double kEnd = 3 * 3600.0, kActive = 45 * 60.0, kStep = 10.0;
    int ignored = 0;
    double nextAgeing = 15;
    for (double now = 0; now <= kEnd; now += kStep) {
        ctx.monotonic = now;
        for (int s = 0; s < kStations; ++s) {
            const double arrives = s * (kEnd - kActive) / kStations;
            if (now < arrives || now > arrives + kActive) continue;
            if (feed(1, 200000000 + s).action == TableAction::TableFull) ++ignored;
        }
        if (now >= nextAgeing) {
            table.AgeTargets(now);
            nextAgeing += 15;
        }
    }
    EXPECT_EQ(ignored, 0);
    EXPECT_LE(table.EntryCount(), kMaxTargets);
    for (int s = 0; s < kStations; ++s) {
        const double lastHeard = std::floor((s * (kEnd - kActive) / kStations + kActive) / kStep) * kStep;
        if (lastHeard > kEnd - 1800) {
            EXPECT_NE(table.FindTarget(200000000 + s, 1), 0) << s;
        }
    }
    expectConsistent();
}

// A full table with no lost entry: a new station takes the entry silent
// longest once it has been silent for the displace-after time; stations
// heard within that time are never displaced, and only then is the new
// station refused, with one message that says where to change it.
TEST_F(Lifecycle, FullTableDisplacesTheStationSilentLongest) {
    struct Row {
        const char* what;
        int displaceAfter;
        double heard[3];  // when entries 1-3 were last heard
        int16_t navStatus3;  // entry 3 moored: lost only after 18 min
        double now;
        bool aged;        // AgeTargets ran just before the newcomer
        int victim;       // 0: refused
    } rows[] = {
        {"all heard within 60 s", 60, {0, 10, 20}, 0, 59, false, 0},
        {"silent exactly 60 s", 60, {0, 10, 20}, 0, 60, false, 1},
        {"the longest silent, not the lowest", 60, {30, 0, 20}, 0, 100, false, 2},
        {"a longer setting protects it", 120, {0, 10, 20}, 0, 100, false, 0},
        {"and gives way after it", 120, {0, 10, 20}, 0, 125, false, 1},
        {"a lost entry first", 60, {0, 400, 400}, 5, 420, true, 1},
        {"lost before the silent-longest moored one", 60, {300, 400, 0}, 5, 700, true, 1},
    };
    for (const Row& r : rows) {
        TargetTable t;
        t.setLifecycle({360, 1080, 1800, 3, r.displaceAfter});
        for (int i = 0; i < 6; ++i) {  // entries 1-3 created at 0, then last heard
            ctx.monotonic = i < 3 ? 0 : r.heard[i - 3];
            rec.Type1.MMSI = 257000001 + i % 3;
            rec.Type1.NavStatus = i % 3 == 2 ? r.navStatus3 : 0;
            t.AddOrUpdateTarget(SentenceKind::VDM, 1, rec, ctx);
        }
        if (r.aged) t.AgeTargets(r.now);
        ctx.monotonic = r.now;
        rec.Type1.MMSI = 366000001;
        rec.Type1.NavStatus = 0;
        const TargetUpdate u = t.AddOrUpdateTarget(SentenceKind::VDM, 1, rec, ctx);
        EXPECT_EQ(u.evicted.entry, r.victim) << r.what;
        if (r.victim == 0) {
            EXPECT_EQ(u.action, TableAction::TableFull) << r.what;
        } else {
            EXPECT_EQ(std::tuple(u.action, u.entry, t.FindTarget(257000000 + r.victim, 1), t.Generation(r.victim)),
                      std::tuple(TableAction::Created, r.victim, 0, 1u))
                << r.what;
        }
    }
}

// A refusal does not keep the next newcomer out once the oldest station has
// been silent long enough; the displaced entry goes as a removed one does.
TEST_F(Lifecycle, RefusedThenDisplacedAsTimePasses) {
    table.setLifecycle({360, 1080, 1800, 2, 60});
    ctx.monotonic = 0;
    feed(1, 257000001);
    ctx.monotonic = 5;
    feed(1, 257000002);
    ctx.monotonic = 30;
    EXPECT_EQ(feed(1, 366000001).action, TableAction::TableFull);
    ctx.monotonic = 59;
    EXPECT_EQ(feed(1, 366000002).action, TableAction::TableFull);
    ctx.monotonic = 60;
    const TargetUpdate u = feed(1, 366000003);
    // The newcomer's row is at the bottom.
    EXPECT_EQ(std::tie(u.action, u.evicted, table.entry(1).ListRow),
              std::tuple(TableAction::Created, RemovedTarget{1, 1}, 2));
    expectConsistent();
    ctx.monotonic = 64;
    EXPECT_EQ(feed(1, 366000004).action, TableAction::TableFull);  // 257000002 silent 59 s
    ctx.monotonic = 65;
    EXPECT_EQ(feed(1, 366000004).evicted.entry, 2);
    // Our own ship always has a place, the longest-unheard station's, while a newcomer is refused.
    EXPECT_EQ(feed(1, 366000005).action, TableAction::TableFull);
    EXPECT_EQ(feed(1, 257999999, 0, SentenceKind::VDO).evicted.entry, 1);
    expectConsistent();
}

// The attack: 1,000 fake stations re-sent every ~290 s fill the table and
// never get lost. A real ship reporting every 10 s enters at its first
// report and is never refused or displaced; the fakes take turns.
TEST_F(Lifecycle, RepeatedFakesDoNotKeepARealShipOut) {
    constexpr int kFakes = 1000;
    constexpr double kResend = 290, kEnd = 1200;
    const int32_t real = 244000001;
    int refused = 0;
    double nextAgeing = 15;
    for (double now = 0; now <= kEnd; now += 1) {
        ctx.monotonic = now;
        for (int f = 0; f < kFakes; ++f) {
            const double phase = std::fmod(f * kResend / kFakes, kResend);
            if (std::fmod(now - phase + kResend, kResend) < 1) feed(1, 100000000 + f);
        }
        if (now >= 600 && std::fmod(now, 10) == 0 && feed(1, real).action == TableAction::TableFull) ++refused;
        if (now > 600) {
            EXPECT_NE(table.FindTarget(real, 1), 0) << now;
        }
        if (now >= nextAgeing) {
            table.AgeTargets(now);
            nextAgeing += 15;
        }
    }
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(table.TargetCount(), kMaxTargets);
    expectConsistent();
}

// A vessel whose entry was freed keeps its static data for the run: it comes
// back with its name, also a class B vessel named by message 24, whose row
// must not show the placeholder. Displacing keeps it as removing does.
TEST_F(Lifecycle, AReturningVesselGetsItsStaticDataBack) {
    table.setLifecycle({360, 1080, 1800, 2, 60});
    ctx.monotonic = 0;
    rec.Type5.Name = "NORDIC STAR", rec.Type5.CallSign = "LAXY", rec.Type5.ShipType = 70, rec.Type5.DimA = 120;
    feed(5, 257000001);
    feed(1, 257000001);
    rec.Type24.PartNumber = 0, rec.Type24.Name = "WAVE DANCER";
    feed(18, 257000002);
    feed(24, 257000002);
    rec.Type24.PartNumber = 1, rec.Type24.CallSign = "LB24";
    feed(24, 257000002);
    ctx.monotonic = 100;
    feed(1, 366000001);  // the class A vessel is displaced
    std::vector<RemovedTarget> removed;
    table.AgeTargets(1900, nullptr, &removed);  // the newcomer and the class B vessel
    EXPECT_EQ(removed.size(), 2u);
    EXPECT_EQ(table.TargetCount(), 0);
    EXPECT_EQ(table.runVessels().size(), 2u);

    ctx.monotonic = 2000;
    const int na = feed(1, 257000001).entry, nb = feed(18, 257000002).entry;
    ASSERT_TRUE(na && nb);
    const TargetRecord &a = table.entry(na), &b = table.entry(nb);
    EXPECT_EQ(std::tie(a.MMSI, a.Id.Name, a.ReceivedName, a.Id.CallSign, a.Ship.ShipType, a.Dim.DimA),
              std::tuple(257000001, "NORDIC STAR", "NORDIC STAR", "LAXY", 70, 120));
    EXPECT_EQ(std::tie(b.MMSI, b.Id.Name, b.CallSign24), std::tuple(257000002, "WAVE DANCER", "LB24"));
    // Another class under the same MMSI gets nothing of the vessel.
    table.setLifecycle({360, 1080, 1800, 3, 60});
    const int bs = feed(4, 257000001).entry;
    ASSERT_NE(bs, 0);
    EXPECT_EQ(table.entry(bs).Id.Name, "Base Station");
}

// A full table's newcomer takes the place a search of every entry would
// give it: the longest-unheard lost entry, else the one silent longest when
// silent long enough (ties to the lower number). Through stations heard at
// the same clock reading, a clock set back, ageing and displacement.
TEST_F(Lifecycle, TheNewcomersPlaceIsTheOneAFullSearchFinds) {
    table.setLifecycle({360, 1080, 1800, 8, 60});
    const auto rank = [&](int n) { return std::pair(table.entry(n).LastMsgMonotonic, n); };
    const auto longestUnheard = [&](bool lostOnly) {
        int best = 0;
        for (int n = 1; n <= table.EntryCount(); ++n) {
            if (!table.InUse(n) || (lostOnly && table.entry(n).Status != TargetStatus::Lost)) continue;
            if (best == 0 || rank(n) < rank(best)) best = n;
        }
        return best;
    };
    std::mt19937 random(7);
    double now = 0, nextAgeing = 15;
    int displaced = 0, lostTaken = 0;
    for (int step = 0; step < 4000; ++step) {
        const int move = static_cast<int>(random() % 40);
        now += move < 8 ? 0 : move == 39 ? -45 : move;  // same reading, set back, forward
        ctx.monotonic = now;
        // Spells of only a few stations let the others grow lost.
        const int32_t mmsi = 257000000 + static_cast<int32_t>(random() % (step % 200 < 40 ? 6 : 24));
        if (table.FindTarget(mmsi, 1) == 0 && table.TargetCount() == 8) {
            const int lost = longestUnheard(true), oldest = longestUnheard(false);
            const int want = lost ? lost : now - table.entry(oldest).LastMsgMonotonic >= 60 ? oldest : 0;
            const int got = feed(1, mmsi, random() % 4 == 0 ? 5 : 0).evicted.entry;
            if (got != 0 || lost != 0 || want == 0) {
                ASSERT_EQ(got, want) << "step " << step;
            }
            displaced += got != 0 && lost == 0;
            lostTaken += lost != 0;
        } else {
            feed(1, mmsi, random() % 4 == 0 ? 5 : 0);
        }
        if (now >= nextAgeing) {
            table.AgeTargets(now);
            nextAgeing = now + 15;
        }
    }
    EXPECT_GT(displaced, 50);
    EXPECT_GT(lostTaken, 20);
    expectConsistent();
}

}  // namespace
}  // namespace targets
