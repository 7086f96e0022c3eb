#include <gtest/gtest.h>

#include "ais/code_tables.h"
#include "targets/statistics.h"

namespace targets {
namespace {

using input::SentenceKind;

TEST(ExpectedInterval, ClassA) {
    struct Row {
        int16_t nav;
        float sog, rot, seconds;
    } rows[] = {
        {5, 3.0f, 0, 180},     {5, 3.1f, 0, 10},      {1, 0, 5, 180},     {0, 14.0f, 0, 10},
        {0, 14.0f, 2.5f, 3.3f}, {0, 14.0f, -9999, 10}, {0, 14.1f, 0, 6},   {0, 23.0f, -3, 2},
        {0, 23.1f, 0, 2},      {0, -9999, 4, 3.3f},   {0, 102.3f, 0, 2},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ais::intervals::ClassA[ClassAIntervalIndex(r.nav, r.sog, r.rot)], r.seconds)
            << r.nav << " " << r.sog << " " << r.rot;
    }
}

TEST(ExpectedInterval, ClassB) {
    struct Row {
        float sog, seconds;
    } rows[] = {{1.9f, 180}, {2.0f, 30}, {14.0f, 30}, {14.1f, 15}, {23.0f, 15}, {23.1f, 5}, {-9999, 180}};
    for (const auto& r : rows) EXPECT_EQ(ais::intervals::ClassB[ClassBIntervalIndex(r.sog)], r.seconds) << r.sog;
}

class StatsTest : public ::testing::Test {
protected:
    StatsTest() {
        ctx.now = base::DateTime::fromCalendar(2026, 12, 6, 23, 59, 50);
        ctx.monotonic = 5000;
    }
    void message(int type, char channel = 'A', SentenceKind kind = SentenceKind::VDM) {
        rec.Type1.MMSI = rec.Type18.MMSI = rec.Type5.MMSI = 257000001;
        table.AddOrUpdateTarget(kind, type, rec, ctx);
        // Types the table does not take still reach the statistics step with
        // the current entry when called directly.
        if (!TargetTable::TakesType(type)) table.SkipMessage = false;
        UpdateStatistics(table, kind, channel, type, ctx.now, ctx.now, ctx.monotonic);
    }
    void advance(double s) {
        ctx.now = ctx.now.addSeconds(s);
        ctx.monotonic += s;
    }
    TableContext ctx;
    ais::AISMessageRecord rec;
    TargetTable table;
};

TEST_F(StatsTest, FirstAndSecondMessageOfAType) {
    rec.Type1.NavStatus = 5;
    rec.Type1.SOG = 3.0f;
    message(1);
    StatisticsGrid g = StatisticsGridOnOpen(table.entry(1));
    EXPECT_EQ(g[0][0], "Msg");
    EXPECT_EQ(g[1][0], "Msg1");
    EXPECT_EQ(g[1][1], ais::codeTables().MessageTypeName[0]);
    EXPECT_EQ(g[27][0], "Other");
    EXPECT_EQ(g[1][2], "1");
    EXPECT_EQ(g[1][3], "23:59:50");
    EXPECT_EQ(g[1][4], "");
    EXPECT_EQ(g[1][5], "180 sec");
    EXPECT_EQ(g[5][2], "");  // type 5 not received: row left empty
    EXPECT_EQ(table.entry(1).Expected[4], 360.0f);

    // Across midnight: the measured period stays positive.
    advance(12.34);
    rec.Type1.SOG = 3.1f;
    message(1, 'B');
    const TargetRecord& t = table.entry(1);
    EXPECT_EQ(t.MsgCount[1], 2);
    EXPECT_EQ(t.Period[0], 12);
    EXPECT_NEAR(t.TimerPeriod[0], 12.34f, 1e-3);
    EXPECT_NEAR(t.RxTimer[0], 2.34f, 1e-3);  // seconds since midnight
    StatisticsRowAfterMessage(t, 1, g);
    EXPECT_EQ(g[1][2], "2");
    EXPECT_EQ(g[1][3], "00:00:02");
    EXPECT_EQ(g[1][4], "12.3 s");
    EXPECT_EQ(g[1][5], "10 sec");
    EXPECT_EQ(StatisticsGridOnOpen(t)[1][4], "12 sec");
}

TEST_F(StatsTest, ChannelsKindsAndOtherTypes) {
    message(1, 'A');
    message(1, 'B');
    message(1, ' ');
    message(1, 'A', SentenceKind::VDO);
    message(27);
    const TargetRecord& t = table.entry(1);
    EXPECT_EQ(t.ChACount, 3);
    EXPECT_EQ(t.ChBCount, 2);
    EXPECT_EQ(t.VDMCount, 4);
    EXPECT_EQ(t.VDOCount, 1);
    EXPECT_EQ(table.OwnShipIndex, 1);
    EXPECT_EQ(t.MsgCount[0], 5);
    EXPECT_EQ(t.MsgCount[1], 4);
    EXPECT_EQ(t.MsgCount[27], 1);
    EXPECT_EQ(t.LastChannel[0], "A");
    const auto g = StatisticsGridOnOpen(t);
    EXPECT_EQ(g[27][2], "1");
    EXPECT_EQ(g[27][5], "n/a");
}

TEST_F(StatsTest, ClassBExpectedAndSummary) {
    rec.Type18.SOG = 2.0f;
    message(18);
    advance(3725);
    message(18, 'B');
    const TargetRecord& t = table.entry(1);
    EXPECT_EQ(t.Expected[17], 30.0f);
    const auto s = StatisticsSummary(t);
    EXPECT_EQ(s[0], "2");
    EXPECT_EQ(s[1], "06 Dec 23:59:50");
    EXPECT_EQ(s[2], "01:02:05");
    EXPECT_EQ(s[3], "0");
    EXPECT_EQ(s[4], "2");
    EXPECT_EQ(s[5], "1");
    EXPECT_EQ(s[6], "1");
}

}  // namespace
}  // namespace targets
