// Row texts and sorting of the target list, fed through the whole receive chain.
#include <gtest/gtest.h>

#include "app/receiver.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "targets/target_row.h"
#include "targets/target_sort.h"

namespace targets {
namespace {

using testing_support::Join;
using testing_support::Sentences;

class ListTextTest : public ::testing::Test {
protected:
    template <class Rec>
    void feed(const Rec& rec, bool own = false) {
        rx.receive(input::InputKind::Tcp, Join(Sentences(rec, 'A', own)));
    }
    ais::BaseStationReport baseStation(int32_t mmsi) {
        ais::BaseStationReport b;
        b.MessageID = 4;
        b.MMSI = mmsi;
        b.UTCYear = 2026;
        b.UTCMonth = 12;
        b.UTCDay = 6;
        b.Latitude = 59.0;
        b.Longitude = 5.0;
        return b;
    }
    ais::SARPositionReport sar(int32_t mmsi) {
        ais::SARPositionReport s;
        s.MessageID = 9;
        s.MMSI = mmsi;
        s.SOG = 120;
        s.COG = 270;
        s.Latitude = 59.2;
        s.Longitude = 5.2;
        return s;
    }
    ListRowText update(int n) {
        ListRowText r;
        WriteTargetRow(rx.targets().entry(n), RowContext{}, RowWrite::Update, r);
        return r;
    }
    std::vector<int> order() const {
        std::vector<int> o;
        for (int k = 1; k <= rx.targets().TargetCount; ++k) o.push_back(rx.targets().DisplayOrder[k]);
        return o;
    }

    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9)};
    testing_support::RecordingEvents events;
    app::Receiver rx{clock, events};
};

TEST_F(ListTextTest, ClassAVesselRow) {
    feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f));
    const ListRowText r = update(1);
    EXPECT_EQ(r.cells[kColNo], "");
    EXPECT_EQ(r.cells[kColMMSI], "257000001");
    EXPECT_EQ(r.cells[kColLat], "59°30'00.0\"N");
    EXPECT_EQ(r.cells[kColLon], "005°15'00.0\"E");
    EXPECT_EQ(r.cells[kColSOG], "    12.3");
    EXPECT_EQ(r.cells[kColCOG], "    045.0");
    EXPECT_EQ(r.cells[kColHDG], "    044");
    EXPECT_EQ(r.cells[kColROT], "    0.0");
    EXPECT_EQ(r.cells[kColClass], "A");
    EXPECT_EQ(r.cells[kColTime], "06 Dec 14:05:09");
    EXPECT_EQ(r.cells[kColNoOfMsg], "1");
    EXPECT_EQ(r.cells[kColStatus], "NEW");
    EXPECT_FALSE(r.blueName);
}

TEST_F(ListTextTest, BaseStationAndSarRows) {
    feed(baseStation(2573100));
    feed(sar(111257001));
    const ListRowText bs = update(1);
    for (int c = kColSOG; c <= kColROT; ++c) EXPECT_EQ(bs.cells[static_cast<size_t>(c)], "    n/a") << c;
    const ListRowText s = update(2);
    EXPECT_EQ(s.cells[kColSOG], "    120.0");
    EXPECT_EQ(s.cells[kColCOG], "    270.0");
    EXPECT_EQ(s.cells[kColHDG], "    n/a");
    EXPECT_EQ(s.cells[kColROT], "    n/a");
}

TEST_F(ListTextTest, StaticDataOnlyTargetHasNoPosition) {
    feed(testing_support::StaticData(257000009, "BLUE HERON", "LABC"));
    ListRowText r = update(1);
    EXPECT_EQ(r.cells[kColLat], "n/a");
    EXPECT_EQ(r.cells[kColLon], "n/a");
    WriteTargetRow(rx.targets().entry(1), RowContext{}, RowWrite::Refresh, r);
    EXPECT_EQ(r.cells[kColLat], "");
    EXPECT_EQ(r.cells[kColLon], "");
}

TEST_F(ListTextTest, TurnWordsDifferBetweenRowUpdateAndRefresh) {
    feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f, 0, 720.003f));
    feed(testing_support::ClassAReport(257000002, 59.5, 5.25, 12.3f, 0, -720.003f));
    ListRowText a = update(1), b = update(2);
    EXPECT_EQ(a.cells[kColROT], "    stb");
    EXPECT_EQ(b.cells[kColROT], "   port");
    WriteTargetRow(rx.targets().entry(1), RowContext{}, RowWrite::Refresh, a);
    WriteTargetRow(rx.targets().entry(2), RowContext{}, RowWrite::Refresh, b);
    EXPECT_EQ(a.cells[kColROT], " stb");
    EXPECT_EQ(b.cells[kColROT], " port");
    // No turn indicator is not a turn to port.
    feed(testing_support::ClassAReport(257000003, 59.5, 5.25, 12.3f, 0, -9999));
    ListRowText c = update(3);
    EXPECT_EQ(c.cells[kColROT], "    n/a");
    WriteTargetRow(rx.targets().entry(3), RowContext{}, RowWrite::Refresh, c);
    EXPECT_EQ(c.cells[kColROT], "    n/a");
}

TEST_F(ListTextTest, OwnShipIsBlueWithSuffix) {
    feed(testing_support::ClassAReport(257999999, 59.5, 5.25, 1.0f), /*own=*/true);
    const ListRowText r = update(1);
    EXPECT_TRUE(r.blueName);
    EXPECT_EQ(r.cells[kColName].substr(r.cells[kColName].size() - 11), " (Own ship)");
}

TEST_F(ListTextTest, RangeAndBearingOnlyWithAReferencePosition) {
    rx.state().ReferenceMode = kRefManual;
    rx.state().RefLat = 59.0;
    rx.state().RefLon = 5.25;
    feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f));
    RowContext ctx{kRefManual, 59.0, 5.25, false};
    ListRowText r;
    WriteTargetRow(rx.targets().entry(1), ctx, RowWrite::Update, r);
    EXPECT_EQ(r.cells[kColLat], "30.1 nm");
    EXPECT_EQ(r.cells[kColLon], "000.0 °");
    // Right after the operator changed the reference, a refresh shows positions.
    ctx.referenceChanged = true;
    WriteTargetRow(rx.targets().entry(1), ctx, RowWrite::Refresh, r);
    EXPECT_EQ(r.cells[kColLat], "59°30'00.0\"N");
    // Mode "From VDO msg" before any own-ship message: reference 0, 0 shows positions.
    WriteTargetRow(rx.targets().entry(1), RowContext{kRefFromVDO, 0, 0, false}, RowWrite::Update, r);
    EXPECT_EQ(r.cells[kColLat], "59°30'00.0\"N");
    EXPECT_STREQ(ListTitle(kColLat, kRefFromVDO), "  Range(or Lat)");
    EXPECT_STREQ(ListTitle(kColLon, kRefFromVDO), "  Bearing(or Lon)");
    EXPECT_STREQ(ListTitle(kColLon, kRefNone), "  Lon");
}

TEST_F(ListTextTest, SortBySpeedPutsStationsWithoutSpeedLastAscendingFirstDescending) {
    feed(baseStation(2573100));                                          // 1
    feed(testing_support::ClassAReport(257000002, 59.5, 5.2, 15.0f));    // 2
    feed(testing_support::ClassAReport(257000003, 59.5, 5.2, 3.0f));     // 3
    feed(testing_support::ClassAReport(257000004, 59.5, 5.2, -9999.0f)); // 4: speed not available
    SortTargets(rx.targets(), kColSOG, false, 0);
    EXPECT_EQ(order(), (std::vector<int>{3, 2, 1, 4}));
    EXPECT_EQ(rx.targets().entry(3).ListRow, 1);
    SortTargets(rx.targets(), kColSOG, true, 0);
    EXPECT_EQ(order(), (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(rx.targets().entry(4).ListRow, 1);
}

TEST_F(ListTextTest, SortByNameKeepsEqualNamesInEntryOrderAndPutsUnnamedLast) {
    feed(testing_support::StaticData(257000001, "BRAVO", "A"));
    feed(testing_support::ClassAReport(257000002, 59.5, 5.2, 1.0f));  // unnamed
    feed(testing_support::StaticData(257000003, "ALPHA", "B"));
    feed(testing_support::StaticData(257000004, "ALPHA", "C"));
    SortTargets(rx.targets(), kColName, false, 0);
    EXPECT_EQ(order(), (std::vector<int>{3, 4, 1, 2}));
    SortTargets(rx.targets(), kColName, true, 0);
    EXPECT_EQ(order(), (std::vector<int>{2, 1, 4, 3}));
    SortTargets(rx.targets(), kColNo, false, 0);
    EXPECT_EQ(order(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ListTextTest, SortingEndsNewButKeepsOld) {
    feed(testing_support::ClassAReport(257000001, 59.5, 5.2, 1.0f));
    feed(testing_support::ClassAReport(257000002, 59.5, 5.2, 2.0f));
    rx.targets().entry(2).Status = "OLD";
    SortTargets(rx.targets(), kColMMSI, false, 0);
    EXPECT_EQ(rx.targets().entry(1).Status, "");
    EXPECT_EQ(rx.targets().entry(2).Status, "OLD");
    // The STATUS column does not sort.
    SortTargets(rx.targets(), kColStatus, true, 0);
    EXPECT_EQ(order(), (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace targets
