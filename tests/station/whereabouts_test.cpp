// What the watch knows of where each target is, through the receiver: a
// range and bearing only to a position no older than the lost time and
// measured from the reference in use, never a 0 that reads as a ship on top
// of us; the same in the list, the exports and the reception rings.
#include "geodesy/geodetic.h"
#include "support/fed_receiver.h"
#include "targets/reception.h"
#include "targets/target_export.h"
#include "targets/target_row.h"

namespace app {
namespace {

constexpr int32_t kOwn = 257999999, kSilent = 257000001, kStaticOnly = 257000002, kNoMoreFixes = 257000003;

class Whereabouts : public testing_support::FedReceiver {
protected:
    void report(int32_t mmsi, double east, double north, float sog, float cog, bool vdo = false) {
        feed(testing_support::ReportNear(mmsi, east, north, sog, cog), vdo);
    }
    const targets::TargetRecord& of(int32_t mmsi) const {
        const int n = rx.targets().FindTarget(mmsi, 1) ? rx.targets().FindTarget(mmsi, 1) : rx.targets().FindTarget(mmsi, 5);
        return rx.targets().entry(n);
    }
    targets::ListRowText row(int32_t mmsi) const {
        const targets::Reference& s = rx.reference();
        targets::ListRowText out;
        targets::WriteTargetRow(of(mmsi), {s.mode(), s.lat(), s.lon(), false}, targets::RowWrite::Update, out);
        return out;
    }
};

TEST_F(Whereabouts, NoRangeWithoutAKnownPositionAfterTheReferenceAppears) {
    // Heard while there is no reference: no range is measured yet.
    report(kSilent, 2, 2, 10, 200);
    feed(testing_support::StaticData(kStaticOnly, "NO FIX", "LNOF"));
    report(kNoMoreFixes, -1, 1, 0, 0);
    clock.advance(20);
    // The operator chooses "From VDO msg"; then our own ship reports.
    rx.reference().setMode(targets::kRefFromVDO);
    rx.referenceChanged();
    EXPECT_FALSE(of(kSilent).RangeKnown);  // no own ship yet: nothing to measure from
    report(kOwn, 0, 0, 0, 0, /*vdo=*/true);

    // The silent ship is 2.8 nm to the north-east, not on top of us.
    const targets::TargetRecord& silent = of(kSilent);
    EXPECT_TRUE(silent.RangeKnown);
    EXPECT_NEAR(silent.FromReference.range() / 1852, 2.83, 0.02);
    EXPECT_NEAR(silent.FromReference.bearing() * 180 / 3.14159265358979, 45, 0.5);
    EXPECT_EQ(row(kSilent).cells[targets::kColLat], "2.8 nm");
    EXPECT_TRUE(silent.HasCPA);
    EXPECT_EQ(row(kStaticOnly).cells[targets::kColLat], "n/a");
    EXPECT_EQ(row(kStaticOnly).cells[targets::kColCPA], "  n/a");
    EXPECT_EQ(targets::SummariseRanges(rx.targets(), targets::kRefFromVDO).rings[0], 2);

    // Seven minutes on: one ship fell silent, the other sends static data only.
    for (int minute = 1; minute <= 7; ++minute) {
        clock.advance(60);
        report(kOwn, 0, 0, 0, 0, true);
        feed(testing_support::StaticData(kNoMoreFixes, "NO MORE FIXES", "LNMF"));
        for (int i = 0; i < 4; ++i) rx.ageTargets();
    }
    for (int32_t mmsi : {kSilent, kNoMoreFixes}) {
        const targets::TargetRecord& t = of(mmsi);
        EXPECT_FALSE(t.PositionKnown || t.RangeKnown || t.HasCPA) << mmsi;
        const auto cells = row(mmsi).cells;
        EXPECT_EQ(std::tie(cells[targets::kColLat], cells[targets::kColLon], cells[targets::kColTCPA]),
                  std::tuple("n/a", "n/a", "  n/a"))
            << mmsi;
    }
    EXPECT_NE(of(kNoMoreFixes).Status, targets::TargetStatus::Lost);  // heard, but its position is old
    const auto rings = targets::SummariseRanges(rx.targets(), targets::kRefFromVDO).rings;
    EXPECT_EQ(rings[0] + rings[1] + rings[2] + rings[3] + rings[4] + rings[5], 0);
    // The exports say null where the list says nothing.
    const std::string geo = targets::TargetsGeoJson(rx.targets(), clock.monotonicSeconds());
    const auto field = [&](int32_t mmsi, const std::string& key) {
        const size_t at = geo.find("\"MMSI\":" + std::to_string(mmsi) + ",");
        const size_t k = geo.find("\"" + key + "\":", at);
        return at == std::string::npos || k == std::string::npos ? "" : geo.substr(k + key.size() + 3, 4);
    };
    EXPECT_EQ(field(kSilent, "Range") + field(kSilent, "Bearing"), "nullnull");
    EXPECT_EQ(field(kStaticOnly, "Latitude") + field(kStaticOnly, "Longitude"), "nullnull");
    EXPECT_EQ(field(kSilent, "Latitude").substr(0, 2), "59");  // its last position stays on record

    // Our own ship falls silent: a target that reports again has no approach
    // once the own ship's position has grown old.
    report(kSilent, 2, 2, 10, 200);
    EXPECT_TRUE(of(kSilent).HasCPA && of(kSilent).RangeKnown);
    for (int minute = 1; minute <= 7; ++minute) {
        clock.advance(60);
        for (int i = 0; i < 4; ++i) rx.ageTargets();
        report(kSilent, 2, 2, 10, 200);
    }
    EXPECT_FALSE(of(kSilent).HasCPA);
}

// A reference that follows a vessel has no position until that vessel
// reports one; targets heard before then get their range from where it
// appears, as those heard after do.
TEST_F(Whereabouts, RangesOfTargetsHeardBeforeTheFollowedVesselReported) {
    rx.reference().setMode(targets::kRefFromVDM);
    rx.reference().setMMSI(kOwn);
    rx.referenceChanged();
    report(kSilent, 2, 2, 10, 200);        // while the reference is nowhere yet
    report(kOwn, 0, 0, 10, 200);           // the followed vessel appears ...
    report(kNoMoreFixes, -3, 1, 10, 200);  // ... and a target reports after it
    const targets::TargetRecord& own = of(kOwn);
    for (int32_t mmsi : {kSilent, kNoMoreFixes}) {
        const targets::TargetRecord& t = of(mmsi);
        double metres = 0, radians = 0;
        geodesy::GeodeticInverse(own.Fix.Latitude * geodesy::kDegToRad, own.Fix.Longitude * geodesy::kDegToRad,
                                 t.Fix.Latitude * geodesy::kDegToRad, t.Fix.Longitude * geodesy::kDegToRad,
                                 geodesy::kInverseBoth, metres, radians, geodesy::kWgs84B, geodesy::kWgs84F);
        EXPECT_TRUE(t.RangeKnown) << mmsi;
        EXPECT_EQ(t.FromReference.range(), metres) << mmsi;
        EXPECT_EQ(t.FromReference.bearing(), radians) << mmsi;
    }
}

}  // namespace
}  // namespace app
