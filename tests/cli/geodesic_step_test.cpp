#include <gtest/gtest.h>

#include <numbers>

#include "cli/sim/geodesic_step.h"
#include "geodesy/geodetic.h"

namespace sim {
namespace {

// Against the program's own inverse (Sodano, a few mm up to 100 km), and back
// along the final azimuth to the start.
TEST(DirectGeodesic, AgreesWithInverseAndReturns) {
    const struct {
        double lat, lon, az, dist;
    } rows[] = {
        {51.98, 3.95, 271.3, 25000}, {-33.9, 18.4, 180, 90000}, {0.5, -20, 315, 5},
        {78, 15, 100, 60000},        {0, 12, 0, 40000},         {71, 12, 181, 40000},
    };
    for (const auto& r : rows) {
        const DirectResult d = DirectGeodesic({r.lat, r.lon}, r.az, r.dist);
        double dist = 0, brg = 0;
        geodesy::GeodeticInverse(r.lat * geodesy::kDegToRad, r.lon * geodesy::kDegToRad,
                                 d.end.lat * geodesy::kDegToRad, d.end.lon * geodesy::kDegToRad,
                                 geodesy::kInverseBoth, dist, brg, geodesy::kWgs84B, geodesy::kWgs84F);
        EXPECT_NEAR(dist, r.dist, 0.01 + r.dist * 1e-7) << r.lat << " " << r.az;
        EXPECT_NEAR(AngleDifference(brg * geodesy::kRadToDeg, r.az), 0.0, 2e-4) << r.lat << " " << r.az;
        const DirectResult back = DirectGeodesic(d.end, d.finalAzimuth + 180.0, r.dist);
        EXPECT_NEAR(back.end.lat, r.lat, 1e-9) << r.lat << " " << r.az;
        EXPECT_NEAR(back.end.lon, r.lon, 1e-9) << r.lat << " " << r.az;
    }
}

}  // namespace
}  // namespace sim
