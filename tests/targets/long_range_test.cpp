// Long-range reports (type 27) in the target table: they update a class A or
// B vessel's position only when it has sent no fresher full position report.
#include <gtest/gtest.h>

#include "targets/statistics.h"
#include "targets/target_table.h"

namespace targets {
namespace {

struct Fixture {
    targets::Reference state;
    TableContext ctx;
    ais::AISMessageRecord rec;
    TargetTable table;
    Fixture() { ctx.reference = &state; }

    // Feeds a message of `type` at monotonic time t and counts it as the receiver does.
    TargetUpdate feed(int type, double t) {
        ctx.monotonic = t;
        ctx.now = base::DateTime::fromCalendar(2026, 12, 6, 10, 0, 0).addSeconds(t);
        const TargetUpdate u = table.AddOrUpdateTarget(input::SentenceKind::VDM, type, rec, ctx);
        if (u.taken()) UpdateStatistics(table.entry(u.entry), input::SentenceKind::VDM, 'A', type, ctx.now, ctx.now, t);
        return u;
    }
};

TEST(LongRange, TakenOnlyWhenNoFresherFullPosition) {
    struct Row {
        int fullType;        // 1 or 18 sent at time 0; 0: the entry was made by a type 5 or 24
        double at;           // when the type 27 comes
        int latency;         // its PositionLatency
        bool takesPosition;  // whether it replaces the position
    };
    const Row rows[] = {
        {1, 4, 0, false},    {1, 6, 0, true},     {1, 170, 1, false},  {1, 190, 1, true},
        {18, 4, 0, false},   {18, 200, 1, true},  {0, 1, 1, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.fullType << " at " << r.at << " latency " << r.latency);
        Fixture f;
        const int32_t mmsi = 257000001;
        f.rec.Type1 = {};
        f.rec.Type1.MessageID = 1;
        f.rec.Type1.MMSI = f.rec.Type5.MMSI = f.rec.Type18.MMSI = f.rec.Type24.MMSI = mmsi;
        f.rec.Type1.Latitude = f.rec.Type18.Latitude = 60;
        f.rec.Type1.SOG = f.rec.Type18.SOG = 10;
        const int first = r.fullType != 0 ? r.fullType : 5;
        ASSERT_EQ(f.feed(first, 0).action, TableAction::Created);
        auto& lr = f.rec.Type27;
        lr.MessageID = 27, lr.MMSI = mmsi, lr.NavStatus = 7, lr.PositionLatency = static_cast<int16_t>(r.latency);
        lr.Latitude = 61, lr.Longitude = 5, lr.SOG = 12, lr.COG = 90;
        const TargetUpdate u = f.feed(27, r.at);
        ASSERT_EQ(u.action, TableAction::Updated);
        const TargetRecord& t = f.table.entry(u.entry);
        // Counted in the Other row either way.
        EXPECT_EQ(std::tuple(t.Fix.Latitude, t.Motion.SOG, t.Nav.NavStatus, t.MsgCount[27], t.MsgCount[0]),
                  r.takesPosition ? std::tuple(61.0, 12.0f, int16_t{7}, 1, 2) : std::tuple(60.0, 10.0f, int16_t{0}, 1, 2));
    }
}

}  // namespace
}  // namespace targets
