#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geodesy/geodetic.h"
#include "base/operator_messages.h"
#include "geodesy/grid.h"

namespace geodesy {
namespace {

struct Result {
    double distance;
    double bearingDeg;
};

Result inverse(double lat1, double lon1, double lat2, double lon2) {
    double distance = -1, bearing = -1;
    GeodeticInverse(lat1 * kDegToRad, lon1 * kDegToRad, lat2 * kDegToRad, lon2 * kDegToRad, kInverseBoth, distance,
                    bearing, kWgs84B, kWgs84F);
    return {distance, bearing * kRadToDeg};
}

TEST(GeodeticInverse, MeridianAndEquatorBearingsAreExact) {
    struct Row {
        double lat1, lon1, lat2, lon2;
        double bearingRad;
    };
    const Row rows[] = {
        {60, 5, 61, 5, 0.0},        {60, 5, 59, 5, kPi},        {0, 1, 0, 2, kHalfPi},
        {0, 2, 0, 1, kThreeHalfPi}, {0, 179, 0, -179, kHalfPi}, {0, -179, 0, 179, kThreeHalfPi},
    };
    for (const auto& r : rows) {
        double distance = 0, bearing = -1;
        GeodeticInverse(r.lat1 * kDegToRad, r.lon1 * kDegToRad, r.lat2 * kDegToRad, r.lon2 * kDegToRad,
                        kInverseBoth, distance, bearing, kWgs84B, kWgs84F);
        EXPECT_EQ(bearing, r.bearingRad) << r.lat1 << "," << r.lon1 << " -> " << r.lat2 << "," << r.lon2;
    }
}

TEST(GeodeticInverse, CoincidentPointsGiveZeroInEveryMode) {
    for (std::int16_t mode : {0, 1, 2, 3}) {
        double distance = -7, bearing = -7;
        GeodeticInverse(0.5, 0.1, 0.5 + 5e-11, 0.1 - 5e-11, mode, distance, bearing, kWgs84B, kWgs84F);
        EXPECT_EQ(distance, 0) << "mode " << mode;
        EXPECT_EQ(bearing, 0) << "mode " << mode;
    }
}

TEST(GeodeticInverse, PolesGiveFiniteResults) {
    // 90° in the program's degree factor is a hair past π/2, where the
    // tangent changes sign: without care the north pole would read as the south.
    const struct {
        double lat1, lon1, lat2, lon2, distance, tolerance, bearing;
    } rows[] = {
        {90, 0, 60, 5, 3347892.91, 0.5, 175},  // meridian arc 60°..90°
        {60, 5, 90, 0, 3347892.91, 0.5, 0},
        {-90, 0, 90, 0, 20003931.46, 1, 0},
        {-90, 10, -89, 10, 111693.9, 0.5, 0},
    };
    for (const auto& r : rows) {
        const Result got = inverse(r.lat1, r.lon1, r.lat2, r.lon2);
        EXPECT_NEAR(got.distance, r.distance, r.tolerance) << r.lat1 << " " << r.lat2;
        EXPECT_NEAR(std::fmod(got.bearingDeg + 180, 360) - 180, r.bearing, 1e-6) << r.lat1 << " " << r.lat2;
    }
}

TEST(GeodeticInverse, NearlyAntipodalPointsStayWithinHalfTheEarth) {
    const double longest = std::numbers::pi * kWgs84A;
    for (const auto& p : {Result{10, 0}, Result{89.9, 0}, Result{0, 0}}) {
        const Result got = inverse(p.distance, p.bearingDeg, -p.distance, p.bearingDeg + 180);
        EXPECT_TRUE(std::isfinite(got.distance));
        EXPECT_GT(got.distance, 0.99 * longest);
        EXPECT_LE(got.distance, longest + 1e-6);
    }
}

// A caller that keeps the first point's reduced latitude gets the very same
// digits as the plain call, in every mode and at the awkward places.
TEST(GeodeticInverse, KeptReducedLatitudeGivesTheSameDigits) {
    const struct {
        double lat1, lon1, lat2, lon2;
    } rows[] = {
        {51.98, 3.95, 52.1, 4.2}, {-33.9, 18.4, -34.2, 18.1}, {0, 179.9, 0.1, -179.8}, {60, 5, 60, 5},
        {90, 0, 60, 5},           {-90, 10, -89, 10},         {10, 0, -10, 180},       {70, -20, 69.5, -20},
    };
    for (const auto& r : rows) {
        const double lat1 = r.lat1 * kDegToRad;
        const ReducedLatitude kept = ReducedLatitudeOf(lat1, kWgs84F);
        for (std::int16_t mode : {kInverseBoth, kInverseDistance, kInverseBearing}) {
            double d1 = -1, b1 = -1, d2 = -1, b2 = -1;
            GeodeticInverse(lat1, r.lon1 * kDegToRad, r.lat2 * kDegToRad, r.lon2 * kDegToRad, mode, d1, b1, kWgs84B, kWgs84F);
            GeodeticInverse(kept, lat1, r.lon1 * kDegToRad, r.lat2 * kDegToRad, r.lon2 * kDegToRad, mode, d2, b2, kWgs84B,
                            kWgs84F);
            EXPECT_EQ(std::pair(d1, b1), std::pair(d2, b2))
                << r.lat1 << "," << r.lon1 << " -> " << r.lat2 << "," << r.lon2 << " mode " << mode;
        }
    }
}

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

TEST_F(Grid, PolesConvertBothWaysAndAFarPointGivesUpAfterTwentyPasses) {
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
    // A grid point far outside its zone: given up after twenty passes, with a message.
    double lat = 0, lon = 0;
    const GridOutcome out = toGeog(5e6, 5e6, lat, lon);
    EXPECT_FALSE(out.converged);
    EXPECT_EQ(out.passes, 21);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "BAD GEOGRAPHICAL TO GRID CONVERSION");
}

}  // namespace
}  // namespace geodesy
