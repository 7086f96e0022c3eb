#include <gtest/gtest.h>

#include <cmath>

#include "cli/sim/geodesic_step.h"
#include "geodesy/geodetic.h"

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Independent closed-form cases of the ellipsoid.
TEST(DirectGeodesic, EquatorAndMeridian) {
    // Along the equator the geodesic is the equator: longitude grows by s / a.
    const DirectResult east = DirectGeodesic({0, 10}, 90, 100000.0);
    EXPECT_NEAR(east.end.lat, 0.0, 1e-12);
    EXPECT_NEAR(east.end.lon, 10 + 100000.0 / 6378137.0 * 180 / kPi, 1e-10);
    EXPECT_NEAR(east.finalAzimuth, 90.0, 1e-9);

    // A quarter meridian of WGS84 is 10 001 965.729 m: equator to pole.
    const DirectResult north = DirectGeodesic({0, 5}, 0, 10001965.729);
    EXPECT_NEAR(north.end.lat, 90.0, 1e-7);

    // Across the antimeridian the longitude wraps into [-180, 180).
    const DirectResult wrap = DirectGeodesic({0, 179.9}, 90, 50000.0);
    EXPECT_LT(wrap.end.lon, -179.0);
}

// Against the program's own inverse (Sodano, a few mm up to 100 km) over
// rows of latitude, azimuth and distance typical of the simulator and beyond.
TEST(DirectGeodesic, AgreesWithInverse) {
    struct Row {
        double lat, lon, az, dist;
    } rows[] = {
        {51.98, 3.95, 45, 1852},   {51.98, 3.95, 271.3, 25000}, {-33.9, 18.4, 180, 90000},
        {60.0, 5.0, 38.1472, 71175.8}, {0.5, -20, 315, 5}, {78, 15, 100, 60000}, {-70, -60, 10, 99000},
    };
    for (const auto& r : rows) {
        const DirectResult d = DirectGeodesic({r.lat, r.lon}, r.az, r.dist);
        double dist = 0, brg = 0;
        geodesy::GeodeticInverse(r.lat * geodesy::kDegToRad, r.lon * geodesy::kDegToRad,
                                 d.end.lat * geodesy::kDegToRad, d.end.lon * geodesy::kDegToRad,
                                 geodesy::kInverseBoth, dist, brg, geodesy::kWgs84B, geodesy::kWgs84F);
        EXPECT_NEAR(dist, r.dist, 0.01 + r.dist * 1e-7) << r.lat << " " << r.az;
        EXPECT_NEAR(AngleDifference(brg * geodesy::kRadToDeg, r.az), 0.0, 2e-4) << r.lat << " " << r.az;
    }
}

TEST(DirectGeodesic, ThereAndBackAgain) {
    for (double lat : {-60.0, -5.0, 0.0, 35.0, 71.0}) {
        for (double az : {0.0, 33.0, 90.0, 181.0, 300.0}) {
            const GeoPoint a{lat, 12.0};
            const DirectResult out = DirectGeodesic(a, az, 40000.0);
            const DirectResult back = DirectGeodesic(out.end, out.finalAzimuth + 180.0, 40000.0);
            EXPECT_NEAR(back.end.lat, a.lat, 1e-9);
            EXPECT_NEAR(back.end.lon, a.lon, 1e-9);
        }
    }
}

TEST(Angles, WrapAndDifference) {
    EXPECT_DOUBLE_EQ(WrapDegrees(-10), 350);
    EXPECT_DOUBLE_EQ(WrapDegrees(720), 0);
    EXPECT_DOUBLE_EQ(AngleDifference(10, 350), 20);
    EXPECT_DOUBLE_EQ(AngleDifference(350, 10), -20);
    EXPECT_DOUBLE_EQ(AngleDifference(180, 0), 180);
}

}  // namespace
}  // namespace sim
