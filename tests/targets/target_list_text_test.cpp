// Row texts and sorting of the target list, fed through the whole receive chain.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/fed_receiver.h"
#include "targets/target_row.h"
#include "targets/target_sort.h"

namespace targets {
namespace {

using testing_support::ClassAReport;
using testing_support::StaticData;

class ListTextTest : public testing_support::FedReceiver {
protected:
    void feedBaseStation(int32_t mmsi) {
        ais::BaseStationReport b;
        b.MessageID = 4, b.MMSI = mmsi, b.UTCYear = 2026, b.UTCMonth = 12, b.UTCDay = 6;
        b.Latitude = 59.0, b.Longitude = 5.0;
        feed(b);
    }
    ListRowText row(int n) {
        ListRowText r;
        WriteTargetRow(rx.targets().entry(n), {}, RowWrite::Update, r);
        return r;
    }
    std::vector<int> sorted(int column, bool descending) {
        SortTargets(rx.targets(), column, descending, 0);
        std::vector<int> o;
        for (int k = 1; k <= rx.targets().TargetCount(); ++k) o.push_back(rx.targets().DisplayOrder()[k]);
        return o;
    }
};

TEST_F(ListTextTest, ClassAVesselRow) {
    feed(ClassAReport(257000001, 59.5, 5.25, 12.3f));
    ListRowText expected;
    expected.cells = {"",        "257000001", "",    "59°30'00.0\"N",   "005°15'00.0\"E", "    12.3", "    045.0",
                      "    044", "    0.0",   "A",   "06 Dec 14:05:09", "1",              "NEW",
                      "  n/a",   "  n/a",     "  n/a"};
    EXPECT_EQ(row(1), expected);
}

TEST_F(ListTextTest, OwnShipIsBlueWithSuffix) {
    feed(ClassAReport(257999999, 59.5, 5.25, 1.0f), /*own=*/true);
    feed(StaticData(257999999, "SEA ROVER           ", "LABC"), /*own=*/true);
    EXPECT_TRUE(row(1).blueName);
    // The name's padding is not shown; the record keeps it.
    EXPECT_EQ(row(1).cells[kColName], "SEA ROVER (Own ship)");
}

TEST_F(ListTextTest, SortKeepsEqualKeysInEntryOrderAndPutsMissingValuesLast) {
    feedBaseStation(2573100);                               // 1: no speed, named by its class
    feed(ClassAReport(257000002, 59.5, 5.2, 15.0f));        // 2: unnamed
    feed(ClassAReport(257000003, 59.5, 5.2, 3.0f));         // 3
    feed(ClassAReport(257000004, 59.5, 5.2, -9999.0f));     // 4: speed not available
    feed(StaticData(257000003, "ALPHA", "B"));
    feed(StaticData(257000004, "ALPHA", "C"));
    EXPECT_EQ(sorted(kColSOG, false), (std::vector<int>{3, 2, 1, 4}));
    EXPECT_EQ(rx.targets().entry(3).ListRow, 1);
    EXPECT_EQ(sorted(kColSOG, true), (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(sorted(kColName, false), (std::vector<int>{3, 4, 1, 2}));
    EXPECT_EQ(sorted(kColClass, false), (std::vector<int>{2, 3, 4, 1}));
    EXPECT_EQ(sorted(kColNo, false), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(sorted(kColStatus, true), (std::vector<int>{1, 2, 3, 4}));  // the STATUS column does not sort
}

// A list kept sorted is re-sorted from its present order. After random key
// changes that must give the rows a sort from any other order gives, with
// every entry told its row, and say whether a row changed.
TEST_F(ListTextTest, ResortFromPresentOrderEqualsSortFromScratch) {
    constexpr int kTargets = 60;
    for (int i = 1; i <= kTargets; ++i) feed(ClassAReport(257000000 + i, 59.5, 5.2, 1.0f));
    const std::vector<float> speeds = {0.0f, 1.5f, 1.5f, 7.0f, -9999.0f};  // repeats and "not available"
    const std::vector<std::string> names = {"", "ALPHA", "alpha", "BRAVO", "Z"};
    struct Case {
        int column;
        bool descending;
    };
    const Case cases[] = {{kColSOG, false}, {kColSOG, true},   {kColCPA, false}, {kColTCPA, true},
                          {kColName, false}, {kColName, true}, {kColMMSI, true}};
    TargetTable& table = rx.targets();
    std::mt19937 random(7);
    const auto pick = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << (c.descending ? " descending" : ""));
        sorted(c.column, c.descending);
        for (int round = 0; round < 20; ++round) {
            const int changes = round % 4 == 0 ? 0 : 1 + static_cast<int>(pick(round % 3 == 0 ? kTargets : 5));
            for (int i = 0; i < changes; ++i) {
                TargetRecord& t = table.entry(1 + static_cast<int>(pick(kTargets)));
                t.Motion.SOG = speeds[pick(speeds.size())];
                t.HasCPA = pick(4) != 0;
                t.CPA = static_cast<double>(pick(6)) / 2;
                t.TCPA = static_cast<double>(pick(5)) - 2;
                t.Id.Name = names[pick(names.size())];
            }
            const std::vector<int16_t> before = table.DisplayOrder();
            const bool moved = SortTargets(table, c.column, c.descending, 0, false);
            const std::vector<int16_t> resorted = table.DisplayOrder();
            EXPECT_EQ(moved, resorted != before);
            for (int k = 1; k <= kTargets; ++k) EXPECT_EQ(table.entry(resorted[static_cast<size_t>(k)]).ListRow, k);
            SortTargets(table, kColNo, !c.descending, 0, false);  // another order to start from
            SortTargets(table, c.column, c.descending, 0, false);
            ASSERT_EQ(table.DisplayOrder(), resorted) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace targets
