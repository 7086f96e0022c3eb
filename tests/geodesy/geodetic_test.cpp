#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geodesy/geodetic.h"

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

}  // namespace
}  // namespace geodesy
