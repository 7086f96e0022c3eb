// Ellipsoid, range and bearing.
//
// Angles passed to these functions are radians, distances metres, bearings
// true from north clockwise in [0, 2π). Positions are stored in degrees
// elsewhere and converted with kDegToRad / kRadToDeg. All π-derived constants
// here use the rounded value 3.14159265359 the rest of the program was built
// around (bearings, degree conversions), so results match it to the last digit.
//
//   double d = 0, brg = 0;
//   GeodeticInverse(60 * kDegToRad, 5 * kDegToRad, 60.5 * kDegToRad, 5.8 * kDegToRad,
//                   kInverseBoth, d, brg, kWgs84B, kWgs84F);
//   // d ≈ 71175.80 m, brg * kRadToDeg ≈ 38.1472°
//
// GeodeticInverse is Sodano's non-iterative inverse, second order in the
// flattening: against an exact geodesic it agrees to a few millimetres and
// 0.0001° up to 100 km. It works up to half the earth's circumference (the
// angular distance is taken from both its sine and cosine). A latitude of ±90°
// is moved 1e-9 rad (about 6 mm) towards the equator, where the reduced
// latitude is defined. Within about 1° of the antipode the series breaks
// down (tens of km off); the distance is then kept within half the equator.
// It never fails and raises no messages.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

namespace geodesy {

inline constexpr double kPi = 3.14159265359;
inline constexpr double kTwoPi = 6.28318530718;
inline constexpr double kHalfPi = 1.570796326795;
inline constexpr double kThreeHalfPi = 4.712388980385;
inline constexpr double kDegToRad = 0.017453292519944444;
inline constexpr double kRadToDeg = 57.29577951307855;
inline constexpr double kMetresPerNauticalMile = 1852.0;

// WGS84, as used directly by the target range/bearing and the plot read-outs.
inline constexpr double kWgs84A = 6378137.0;
inline constexpr double kWgs84B = 6356752.31424518;
inline constexpr double kWgs84F = 0.0033528106647474805;
inline constexpr double kWgs84E2 = 0.0066943799901413165;

struct Datum {
    std::string name;
    double a = 0;   // semi-major axis, m
    double b = 0;   // semi-minor axis, m
    double f = 0;   // flattening (a - b) / a
    double e2 = 0;  // first eccentricity squared 2f - f²
};

// Per-slot constants of the transverse Mercator series (see grid.h).
struct GridConstants {
    double centralMeridianRad = 0;
    double A = 0;
    double APerDegree = 0;
    double halfB = 0;
    double secondEccentricity2 = 0;  // e'²
    double e4 = 0;
    double DTerm = 0;
    double CFactor = 0;
    double aOneMinusE2 = 0;  // a (1 - e²)
};

struct DatumSlot {
    Datum datum;
    std::int16_t zone = 31;
    GridConstants grid;
};

// Two slots; the plot passes slot 1. Both always hold the same datum and zone.
struct DatumTable {
    // Not named "slots": Qt headers define that word away.
    std::array<DatumSlot, 2> datumSlots;
};

// A latitude (rad) kept where its reduced latitude exists: ±90° (and the few
// ulps past it that a degree conversion can give) move 1e-9 rad towards the
// equator. Used by the range and bearing and by the grid conversion.
double OffThePole(double lat);

// Fills both slots with WGS84, zone 31, and computes their grid constants.
void InitDatum(DatumTable& table);

// Modes of GeodeticInverse; an output a mode does not ask for is left untouched.
inline constexpr std::int16_t kInverseBoth = 0;
inline constexpr std::int16_t kInverseDistance = 1;
inline constexpr std::int16_t kInverseBearing = 2;

// Distance (m) and bearing (rad) from point 1 to point 2. Points closer than
// 1e-10 rad in both coordinates give 0 and 0 whatever the mode.
void GeodeticInverse(double lat1, double lon1, double lat2, double lon2, std::int16_t mode, double& distance,
                     double& bearing, double b, double f);

// The reduced latitude of a point (radians) as GeodeticInverse uses it. A
// caller measuring many ranges from one point works it out once (it costs a
// tangent, an arc tangent, a sine and a cosine) and passes it as `from`; the
// results are the same to the last digit.
struct ReducedLatitude {
    double sin = 0, cos = 1;
};
ReducedLatitude ReducedLatitudeOf(double lat, double f);
void GeodeticInverse(const ReducedLatitude& from, double lat1, double lon1, double lat2, double lon2, std::int16_t mode,
                     double& distance, double& bearing, double b, double f);

// The end of a line of length d drawn from (x, y) in direction theta (rad from north, clockwise).
inline double PolarOffsetX(double x, double d, double theta) { return x + d * std::sin(theta); }
inline double PolarOffsetY(double y, double d, double theta) { return y + d * std::cos(theta); }

}  // namespace geodesy
