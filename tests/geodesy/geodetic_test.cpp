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

TEST(GeodeticInverse, ModesLeaveTheOutputsTheyDoNotCompute) {
    const double lat1 = 60 * kDegToRad, lon1 = 5 * kDegToRad, lat2 = 60.5 * kDegToRad, lon2 = 5.8 * kDegToRad;
    struct Row {
        std::int16_t mode;
        bool distanceWritten, bearingWritten;
    };
    const Row rows[] = {{0, true, true}, {1, true, false}, {2, false, true}, {3, false, false}, {-1, false, false}};
    for (const auto& r : rows) {
        double distance = -7, bearing = -7;
        GeodeticInverse(lat1, lon1, lat2, lon2, r.mode, distance, bearing, kWgs84B, kWgs84F);
        EXPECT_EQ(distance != -7, r.distanceWritten) << "mode " << r.mode;
        EXPECT_EQ(bearing != -7, r.bearingWritten) << "mode " << r.mode;
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
    const Result fromPole = inverse(90, 0, 60, 5);
    EXPECT_NEAR(fromPole.distance, 3347892.91, 0.5);  // meridian arc 60°..90°
    EXPECT_NEAR(fromPole.bearingDeg, 175, 1e-6);
    const Result toPole = inverse(60, 5, 90, 0);
    EXPECT_NEAR(toPole.distance, 3347892.91, 0.5);
    EXPECT_TRUE(toPole.bearingDeg < 1e-6 || toPole.bearingDeg > 360 - 1e-6) << toPole.bearingDeg;
    const Result poleToPole = inverse(-90, 0, 90, 0);
    EXPECT_NEAR(poleToPole.distance, 20003931.46, 1);
    EXPECT_EQ(poleToPole.bearingDeg, 0);
    const Result southPole = inverse(-90, 10, -89, 10);
    EXPECT_NEAR(southPole.distance, 111693.9, 0.5);
    EXPECT_EQ(southPole.bearingDeg, 0);
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

TEST(PolarOffset, EndOfALineFromNorthClockwise) {
    EXPECT_NEAR(PolarOffsetX(0, 10, kHalfPi), 10, 1e-12);
    EXPECT_NEAR(PolarOffsetY(0, 10, kHalfPi), 0, 1e-9);
    EXPECT_NEAR(PolarOffsetY(5, 2, kPi), 3, 1e-12);
}

}  // namespace
}  // namespace geodesy
