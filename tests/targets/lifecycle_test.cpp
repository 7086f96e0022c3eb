// Lifecycle of the target table: lost, removed, room made by lost stations,
// and the MMSI index, DisplayOrder and entry numbers kept consistent while
// entries come and go.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "targets/target_table.h"

namespace targets {
namespace {

using input::SentenceKind;

class Lifecycle : public ::testing::Test {
protected:
    Lifecycle() {
        ctx.messages = &messages;
        ctx.now = base::DateTime::fromCalendar(2026, 12, 6, 10, 0, 0);
    }
    TargetUpdate feed(int type, int32_t mmsi, int16_t navStatus = 0) {
        rec.Type1.MMSI = rec.Type4.MMSI = rec.Type8.MMSI = rec.Type18.MMSI = rec.Type21.MMSI = mmsi;
        rec.Type1.NavStatus = navStatus;
        return table.AddOrUpdateTarget(SentenceKind::VDM, type, rec, ctx);
    }
    // Every row shows an entry in use whose ListRow is that row; every entry
    // in use is found by its MMSI and has one row.
    void expectConsistent() {
        std::set<int> shown;
        for (int k = 1; k <= table.TargetCount; ++k) {
            const int n = table.DisplayOrder[static_cast<size_t>(k)];
            ASSERT_TRUE(table.InUse(n)) << "row " << k;
            EXPECT_EQ(table.entry(n).ListRow, k);
            shown.insert(n);
        }
        int inUse = 0;
        for (int n = 1; n <= table.EntryCount; ++n) {
            if (!table.InUse(n)) continue;
            ++inUse;
            EXPECT_TRUE(shown.count(n)) << n;
            const int type = table.entry(n).Class == TargetClass::BS ? 4 : 1;
            EXPECT_EQ(table.FindTarget(table.entry(n).MMSI, type), n);
        }
        EXPECT_EQ(inUse, table.TargetCount);
    }

    base::RecordingMessageSink messages;
    TableContext ctx;
    ais::AISMessageRecord rec;
    TargetTable table;
};

// Lost after 6 min when moving, 18 min when anchored, moored, a base station
// or an aid; removed after 30 min whatever the class.
TEST_F(Lifecycle, LostAndRemovedByClassAndSilence) {
    struct Row {
        int type;
        int16_t navStatus;
        double silentFor;
        TargetStatus status;  // ignored when removed
        bool removed;
    } rows[] = {
        {1, 0, 359, TargetStatus::Old, false},   {1, 0, 360, TargetStatus::Lost, false},
        {18, 0, 360, TargetStatus::Lost, false}, {1, 5, 1079, TargetStatus::Old, false},
        {1, 1, 1080, TargetStatus::Lost, false}, {4, 0, 1079, TargetStatus::Old, false},
        {21, 0, 1080, TargetStatus::Lost, false}, {1, 0, 1799, TargetStatus::Lost, false},
        {1, 0, 1800, TargetStatus::Lost, true},  {4, 0, 1800, TargetStatus::Lost, true},
    };
    for (const Row& r : rows) {
        TargetTable t;
        rec.Type1.MMSI = rec.Type4.MMSI = rec.Type18.MMSI = rec.Type21.MMSI = 257000001;
        rec.Type1.NavStatus = r.navStatus;
        t.AddOrUpdateTarget(SentenceKind::VDM, r.type, rec, ctx);
        std::vector<RemovedTarget> removed;
        t.AgeTargets(ctx.monotonic + r.silentFor, nullptr, &removed);
        EXPECT_EQ(removed.size(), r.removed ? 1u : 0u) << r.type << " " << r.silentFor;
        if (r.removed) {
            EXPECT_EQ(removed[0], (RemovedTarget{1, 1}));
            EXPECT_FALSE(t.InUse(1));
            EXPECT_EQ(t.TargetCount, 0);
            EXPECT_EQ(t.FindTarget(257000001, r.type), 0);
        } else {
            EXPECT_EQ(t.entry(1).Status, r.status) << r.type << " " << r.navStatus << " " << r.silentFor;
        }
    }
}

// A freed number goes to the next new station; its generation tells a holder
// of the old number that the station is gone; rows below close up.
TEST_F(Lifecycle, RemovalFreesTheEntryAndClosesTheRows) {
    for (int i = 0; i < 4; ++i) feed(1, 257000001 + i);
    ctx.monotonic = 1000;
    feed(1, 257000001);
    feed(1, 257000004);
    std::vector<RemovedTarget> removed;
    table.AgeTargets(1900, nullptr, &removed);
    EXPECT_EQ(removed, (std::vector<RemovedTarget>{{2, 2}, {3, 3}}));
    EXPECT_EQ(table.TargetCount, 2);
    EXPECT_EQ(table.Generation(2), 1u);
    EXPECT_EQ(table.Generation(1), 0u);
    expectConsistent();
    EXPECT_EQ(feed(1, 366000001).entry, 2);
    EXPECT_EQ(table.entry(2).ListRow, 3);
    EXPECT_EQ(table.entry(2).MsgCount[0], 0);  // nothing of the station before
    expectConsistent();
}

// A full table gives the longest-unheard lost entry to a new station; with
// none lost the new one is ignored and the message names the capacity, but
// our own ship takes the longest-unheard entry, lost or not.
TEST_F(Lifecycle, FullTableMakesRoomFromTheLongestLost) {
    table.setLifecycle({360, 1080, 1800, 3});
    for (int i = 0; i < 3; ++i) {
        ctx.monotonic = i * 10;
        feed(1, 257000001 + i);
    }
    ctx.monotonic = 500;
    feed(1, 257000003);
    table.AgeTargets(500);  // the first two are lost, the first longest
    ctx.monotonic = 505;
    const TargetUpdate u = feed(1, 366000001);
    EXPECT_EQ(u.action, TableAction::Created);
    EXPECT_EQ(u.entry, 1);
    EXPECT_EQ(u.evicted, (RemovedTarget{1, 1}));
    EXPECT_EQ(feed(1, 366000002).evicted.entry, 2);
    expectConsistent();
    EXPECT_EQ(feed(1, 366000003).action, TableAction::TableFull);
    ASSERT_EQ(messages.entries.size(), 1u);
    EXPECT_EQ(messages.entries[0].text, "Maximum limit AIS targets, more than 3 targets stored. New targets ignored!");
    rec.Type1.MMSI = 257999999;
    const TargetUpdate own = table.AddOrUpdateTarget(SentenceKind::VDO, 1, rec, ctx);
    EXPECT_EQ(std::tie(own.action, own.entry, own.evicted.entry), std::make_tuple(TableAction::Created, 3, 3));
    expectConsistent();
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
    EXPECT_LE(table.EntryCount, kMaxTargets);
    for (int s = 0; s < kStations; ++s) {
        const double lastHeard = std::floor((s * (kEnd - kActive) / kStations + kActive) / kStep) * kStep;
        if (lastHeard > kEnd - 1800) {
            EXPECT_NE(table.FindTarget(200000000 + s, 1), 0) << s;
        }
    }
    expectConsistent();
}

}  // namespace
}  // namespace targets
