// Range, bearing and grid conversion against GeographicLib, an independent
// implementation (exact geodesic, exact transverse Mercator).
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "geodesy/geodetic.h"
#include "geodesy/grid.h"

namespace geodesy {
namespace {

struct Worst {
    double distance = 0;  // m
    double bearing = 0;   // degrees
};

double bearingDifference(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

// Random pairs: a start anywhere between 85°S and 85°N, a random direction and
// a distance up to maxDistance, the end found by GeographicLib's direct solution.
Worst compareInverse(double maxDistance, int count, unsigned seed) {
    const auto& ref = GeographicLib::Geodesic::WGS84();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> lat(-85, 85), lon(-180, 180), azi(0, 360), dist(1, maxDistance);
    Worst worst;
    for (int i = 0; i < count; ++i) {
        const double lat1 = lat(rng), lon1 = lon(rng);
        double lat2 = 0, lon2 = 0;
        ref.Direct(lat1, lon1, azi(rng), dist(rng), lat2, lon2);
        double s12 = 0, azi1 = 0, azi2 = 0;
        ref.Inverse(lat1, lon1, lat2, lon2, s12, azi1, azi2);
        if (azi1 < 0) azi1 += 360;
        double distance = -1, bearing = -1;
        GeodeticInverse(lat1 * kDegToRad, lon1 * kDegToRad, lat2 * kDegToRad, lon2 * kDegToRad, kInverseBoth,
                        distance, bearing, kWgs84B, kWgs84F);
        worst.distance = std::max(worst.distance, std::fabs(distance - s12));
        worst.bearing = std::max(worst.bearing, bearingDifference(bearing * kRadToDeg, azi1));
    }
    return worst;
}

// Paths longer than a quarter of the earth need the angular distance from
// both its sine and cosine; from the sine alone they would be thousands of km off.
TEST(GeodeticInverseReference, AgreesToMillimetresNearbyAndMetresAcrossTheEarth) {
    const struct {
        double maxDistance;  // m
        int count;
        double distance, bearing;  // largest differences allowed, m and degrees
    } rows[] = {{100e3, 20000, 0.005, 0.0001}, {500e3, 20000, 0.5, 0.001}, {19000e3, 5000, 25.0, 0.01}};
    unsigned seed = 1;
    for (const auto& row : rows) {
        const Worst w = compareInverse(row.maxDistance, row.count, seed++);
        std::printf("[measured] up to %.0f km: distance %.3g m, bearing %.3g deg\n", row.maxDistance / 1000,
                    w.distance, w.bearing);
        EXPECT_LT(w.distance, row.distance);
        EXPECT_LT(w.bearing, row.bearing);
    }
}

struct GridWorst {
    double forward = 0;  // m
    double roundTrip = 0;  // m
    int maxPasses = 0;
    int notConverged = 0;
};

GridWorst compareGrid(double maxLatitude, int count, unsigned seed) {
    const auto& ref = GeographicLib::TransverseMercator::UTM();
    DatumTable table;
    InitDatum(table);
    base::RecordingMessageSink sink;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> lat(-maxLatitude, maxLatitude), dl(-3, 3);
    GridWorst worst;
    for (int i = 0; i < count; ++i) {
        const double phi = lat(rng), lon = 3 + dl(rng);
        double x = 0, y = 0;
        ref.Forward(3, phi, lon, x, y);
        double latitude = phi * kDegToRad, longitude = lon * kDegToRad, easting = 0, northing = 0;
        GridConvert(table, 1, latitude, longitude, easting, northing, GridDirection::GeogToGrid, sink);
        worst.forward = std::max(worst.forward, std::hypot(easting - (x + kFalseEasting), northing - y));
        double backLat = 0, backLon = 0;
        const GridOutcome out =
            GridConvert(table, 1, backLat, backLon, easting, northing, GridDirection::GridToGeog, sink);
        worst.maxPasses = std::max(worst.maxPasses, out.passes);
        if (!out.converged) ++worst.notConverged;
        const double dn = (backLat - latitude) * 6.4e6;
        const double de = (backLon - longitude) * 6.4e6 * std::cos(latitude);
        worst.roundTrip = std::max(worst.roundTrip, std::hypot(dn, de));
    }
    return worst;
}

TEST(GridReference, ForwardWithinAZoneAgreesToACentimetreAndTheInverseToAMillimetre) {
    const GridWorst w = compareGrid(80, 20000, 4);
    std::printf("[measured] grid to 80 deg: forward %.3g m, round trip %.3g m, passes <= %d, failures %d\n",
                w.forward, w.roundTrip, w.maxPasses, w.notConverged);
    EXPECT_LT(w.forward, 0.01);
    EXPECT_LT(w.roundTrip, 0.001);
    EXPECT_EQ(w.notConverged, 0);
}

}  // namespace
}  // namespace geodesy
