#include <gtest/gtest.h>

#include <cmath>

#include "base/operator_messages.h"
#include "geodesy/grid.h"

namespace geodesy {
namespace {

class Grid : public testing::Test {
protected:
    void SetUp() override { InitDatum(table); }

    GridOutcome toGrid(double latDeg, double lonDeg, double& easting, double& northing) {
        double lat = latDeg * kDegToRad, lon = lonDeg * kDegToRad;
        return GridConvert(table, 1, lat, lon, easting, northing, GridDirection::GeogToGrid, sink);
    }
    GridOutcome toGeog(double easting, double northing, double& latDeg, double& lonDeg) {
        double lat = 0, lon = 0;
        const GridOutcome out = GridConvert(table, 1, lat, lon, easting, northing, GridDirection::GridToGeog, sink);
        latDeg = lat * kRadToDeg, lonDeg = lon * kRadToDeg;
        return out;
    }

    DatumTable table;
    base::RecordingMessageSink sink;
};

TEST(Zones, FromLongitudeAndMeridian) {
    struct Row {
        double longitude;
        int zone;
    };
    const Row rows[] = {{5, 31},  {-3, 30}, {0, 30},  {6, 31},  {180, 60}, {-180, 1},
                        {3, 31},  {-177, 1}, {179.9, 60}, {180.5, 61}, {-181, 61}};
    for (const auto& r : rows) EXPECT_EQ(ZoneFromLongitude(r.longitude), r.zone) << r.longitude;
    for (int zone = 1; zone <= 60; ++zone) {
        EXPECT_EQ(ZoneFromMeridian(CentralMeridian(zone)), zone);
        EXPECT_EQ(ZoneFromLongitude(CentralMeridian(zone)), zone);
    }
    EXPECT_EQ(CentralMeridian(1), -177);
}

TEST_F(Grid, PolesConvertBothWays) {
    for (double pole : {90.0, -90.0}) {
        for (double lon : {3.0, 5.5}) {
            double e = 0, n = 0;
            toGrid(pole, lon, e, n);
            ASSERT_TRUE(std::isfinite(e) && std::isfinite(n));
            EXPECT_NEAR(e, 500000, 0.01);
            // Quarter meridian; the meridian-arc series is 2 cm short at the pole.
            EXPECT_NEAR(std::fabs(n), 0.9996 * 10001965.73, 0.03);
            double lat = 0, back = 0;
            const GridOutcome out = toGeog(e, n, lat, back);
            EXPECT_TRUE(out.converged);
            EXPECT_NEAR(lat, pole, 1e-6);
        }
    }
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(Grid, GivesUpAfterTwentyPassesWithAMessage) {
    double lat = 0, lon = 0;
    const GridOutcome out = toGeog(5e6, 5e6, lat, lon);
    EXPECT_FALSE(out.converged);
    EXPECT_EQ(out.passes, 21);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "BAD GEOGRAPHICAL TO GRID CONVERSION");
}

}  // namespace
}  // namespace geodesy
