// Moving a position along the WGS84 ellipsoid.
//
// DirectGeodesic solves the direct problem with Vincenty's iteration: from a
// start point, an initial azimuth and a distance it gives the end point and
// the azimuth of the geodesic there. Accuracy is well below a millimetre for
// the steps the simulator takes (metres to kilometres) and stays sub-millimetre
// for any distance short of half the globe. Degrees in, degrees out; distances
// in metres; azimuths true, clockwise from north, in [0, 360). Latitudes are
// clamped to ±89.9999° so the reduced latitude stays defined.
//
//   GeoPoint p = DirectGeodesic({51.98, 3.95}, 45.0, 1852.0);   // one mile NE
//
// InitialBearing and RoughDistance are spherical approximations used only to
// steer vessels towards a point; the motion itself always uses DirectGeodesic.
#pragma once

namespace sim {

struct GeoPoint {
    double lat = 0;  // degrees, north positive
    double lon = 0;  // degrees, east positive, in [-180, 180)
};

struct DirectResult {
    GeoPoint end;
    double finalAzimuth = 0;  // degrees
};

DirectResult DirectGeodesic(GeoPoint start, double azimuthDeg, double distanceM);

// Spherical initial course from a to b (degrees) and distance (metres).
double InitialBearing(GeoPoint a, GeoPoint b);
double RoughDistance(GeoPoint a, GeoPoint b);

// Wraps an angle into [0, 360) and a signed difference into (-180, 180].
double WrapDegrees(double deg);
double AngleDifference(double toDeg, double fromDeg);

}  // namespace sim
