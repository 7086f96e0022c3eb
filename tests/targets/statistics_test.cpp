#include "targets/statistics.h"

#include <gtest/gtest.h>

#include "ais/code_tables.h"

namespace targets {
namespace {

using input::SentenceKind;

TEST(ExpectedInterval, ClassAAndClassB) {
    struct ARow {
        int16_t nav;
        float sog, rot, seconds;
    } rows[] = {
        {5, 3.0f, 0, 180},      {5, 3.1f, 0, 10},      {1, 0, 5, 180},   {0, 14.0f, 0, 10},
        {0, 14.0f, 2.5f, 3.3f}, {0, 14.0f, -9999, 10}, {0, 14.1f, 0, 6}, {0, 23.0f, -3, 2},
        {0, 23.1f, 0, 2},       {0, -9999, 4, 3.3f},   {0, 102.3f, 0, 2},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ais::intervals::ClassA[ClassAIntervalIndex(r.nav, r.sog, r.rot)], r.seconds)
            << r.nav << " " << r.sog << " " << r.rot;
    }
    struct BRow {
        float sog, seconds;
    } brows[] = {{1.9f, 180}, {2.0f, 30}, {14.0f, 30}, {14.1f, 15}, {23.0f, 15}, {23.1f, 5}, {-9999, 180}};
    for (const auto& r : brows) EXPECT_EQ(ais::intervals::ClassB[ClassBIntervalIndex(r.sog)], r.seconds) << r.sog;
}

class StatsTest : public ::testing::Test {
protected:
    StatsTest() {
        ctx.now = base::DateTime::fromCalendar(2026, 12, 6, 23, 59, 50);
        ctx.monotonic = 5000;
        rec.Type1.MMSI = rec.Type18.MMSI = 257000001;
    }
    // The table step then the statistics step, as the receiver runs them; a
    // type the table does not take is counted for the entry directly.
    void message(int type, char channel = 'A', SentenceKind kind = SentenceKind::VDM) {
        const TargetUpdate u = table.AddOrUpdateTarget(kind, type, rec, ctx);
        UpdateStatistics(table.entry(u.taken() ? u.entry : 1), kind, channel, type, ctx.now, ctx.now, ctx.monotonic);
    }
    TableContext ctx;
    ais::AISMessageRecord rec;
    TargetTable table;
};

TEST_F(StatsTest, FirstAndSecondMessageOfAType) {
    rec.Type1.NavStatus = 5;
    rec.Type1.SOG = 3.0f;
    message(1);
    using Cells = std::array<std::string, kStatColumns>;
    StatisticsGrid g = StatisticsGridOnOpen(table.entry(1));
    const std::string name1 = ais::codeTables().MessageTypeName[0];
    EXPECT_EQ(g[0], (Cells{"Msg", "Report", "Count", "Last msg", "Period", "Expected"}));
    EXPECT_EQ(g[1], (Cells{"Msg1", name1, "1", "23:59:50", "", "180 sec"}));
    EXPECT_EQ(g[5][2], "");  // type 5 not received: row left empty

    // Across midnight: the measured period stays positive.
    ctx.now = ctx.now.addSeconds(12.34);
    ctx.monotonic += 12.34;
    rec.Type1.SOG = 3.1f;
    message(1, 'B');
    const TargetRecord& t = table.entry(1);
    EXPECT_EQ(std::tuple(t.MsgCount[1], t.Stats[0].Period), std::tuple(2, 12));
    EXPECT_NEAR(t.Stats[0].TimerPeriod, 12.34f, 1e-3);
    EXPECT_NEAR(t.Stats[0].RxTimer, 2.34f, 1e-3);  // seconds since midnight
    StatisticsRowAfterMessage(t, 1, g);
    EXPECT_EQ(g[1], (Cells{"Msg1", name1, "2", "00:00:02", "12.3 s", "10 sec"}));
    EXPECT_EQ(StatisticsGridOnOpen(t)[1][4], "12 sec");
}

TEST_F(StatsTest, ChannelsKindsAndOtherTypes) {
    message(1, 'A');
    message(1, 'B');
    message(1, ' ');
    message(1, 'A', SentenceKind::VDO);
    message(27);
    const TargetRecord& t = table.entry(1);
    EXPECT_EQ((std::array<int32_t, 7>{t.ChACount, t.ChBCount, t.VDMCount, t.VDOCount, t.MsgCount[0], t.MsgCount[1],
                                      t.MsgCount[27]}),
              (std::array<int32_t, 7>{3, 2, 4, 1, 5, 4, 1}));
    const auto g = StatisticsGridOnOpen(t);
    EXPECT_EQ(std::tuple(LastChannelText(t, 0), g[27][2], g[27][5]), std::tuple("A", "1", "n/a"));
}

}  // namespace
}  // namespace targets
