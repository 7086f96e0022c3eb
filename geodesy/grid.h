// Universal Transverse Mercator grid of the plot: easting and northing in
// metres in one 6° zone, scale 0.9996 on the central meridian, false easting
// 500 000 m, no false northing (northings south of the equator are negative).
//
//   DatumTable t;  InitDatum(t);                       // WGS84, zone 31 (3°E)
//   double lat = 60 * kDegToRad, lon = 5 * kDegToRad, e = 0, n = 0;
//   GridConvert(t, 1, lat, lon, e, n, GridDirection::GeogToGrid, sink);
//   // e ≈ 611544.04, n ≈ 6653097.43
//
// Geographic to grid is the classic series to the fifth power of the longitude
// difference: within a zone up to 80° of latitude it agrees with an exact
// transverse Mercator to a few millimetres. Grid to geographic solves the
// series by secant steps until the misclosure is below 3 mm (1e-5 m²); after
// 20 passes without that it raises "BAD GEOGRAPHICAL TO GRID CONVERSION" and
// returns its last estimate. A latitude of ±90° is moved 1e-9 rad towards the
// equator, so the poles give finite grid values and convert back.
#pragma once

#include "base/operator_messages.h"
#include "geodesy/geodetic.h"

namespace geodesy {

inline constexpr double kScaleFactor = 0.9996;
inline constexpr double kFalseEasting = 500000.0;

// Zone of a longitude in degrees; a longitude on a boundary belongs to the
// western zone (0° -> 30, 6° -> 31); beyond ±180° the answer is 61.
int ZoneFromLongitude(double longitude);
// Central meridian of a zone in degrees: 6·zone - 183.
double CentralMeridian(int zone);
// Zone whose central meridian is `meridian` degrees.
int ZoneFromMeridian(double meridian);

// Central meridian and series constants of a slot from its datum and zone.
// False (nothing changed) for a slot other than 0 or 1.
bool InitGridConstants(DatumTable& table, int slot);
// Puts both slots in `zone` and recomputes their constants.
void SetZone(DatumTable& table, int zone);

enum class GridDirection { GeogToGrid, GridToGeog };

struct GridOutcome {
    bool converged = true;  // false: bad slot, or the inverse gave up after 20 passes
    int passes = 0;         // secant passes of the inverse; 0 for the forward conversion
};

// Latitude and longitude in radians, easting and northing in metres.
// GeogToGrid writes easting and northing; GridToGeog writes latitude and
// longitude and leaves easting and northing as given. The ellipsoid is the
// slot's; the central meridian is slot 0's (the slots never differ).
GridOutcome GridConvert(const DatumTable& table, int slot, double& latitude, double& longitude, double& easting,
                        double& northing, GridDirection direction, base::MessageSink& sink);

}  // namespace geodesy
