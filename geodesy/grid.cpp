#include "geodesy/grid.h"

#include <cmath>

namespace geodesy {

namespace {

constexpr int kMaxPasses = 20;
constexpr double kLatitudeStep = 1e-5;   // rad, secant step in latitude
constexpr double kLongitudeStep = 5e-5;  // rad, secant step in longitude
constexpr double kMaxMisclosure2 = 1e-5; // m²

struct GridPoint {
    double easting;
    double northing;
};

// The forward series at latitude phi and longitude difference dl (radians).
GridPoint Forward(const DatumSlot& slot, double phi, double dl) {
    const Datum& d = slot.datum;
    const GridConstants& g = slot.grid;
    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const double s2 = s * s;
    const double c2 = c * c;
    const double sin2 = 2 * s * c;
    const double sin4 = 2 * sin2 * (1 - 2 * s2);
    const double sin6 = 3 * sin2 - 4 * sin2 * sin2 * sin2;
    const double T = s2 / c2;
    const double C = c2 * g.secondEccentricity2;
    const double nu = d.a / std::sqrt(1 - d.e2 * s2);
    const double M = g.aOneMinusE2 * (g.APerDegree * (phi * kRadToDeg) - g.halfB * sin2 +
                                      g.e4 * g.CFactor * sin4 - (g.DTerm / 6) * sin6);
    const double dl2 = dl * dl;
    const double dl3 = dl2 * dl;
    const double dl4 = dl2 * dl2;
    const double dl5 = dl4 * dl;
    const double northing =
        kScaleFactor * (M + nu * s * c * dl2 / 2 + nu * s * c * c2 * (5 - T + 9 * C + 4 * C * C) * dl4 / 24);
    const double easting =
        kFalseEasting +
        kScaleFactor * nu * c *
            (dl + (1 - T + C) * c2 * dl3 / 6 +
             (5 - 18 * T + T * T + 14 * C - 58 * g.secondEccentricity2 * s2) * c2 * c2 * dl5 / 120);
    return {easting, northing};
}

}  // namespace

int ZoneFromLongitude(double longitude) {
    double meridian = -177;
    for (; meridian < 178; meridian += 6) {
        if (std::fabs(longitude - meridian) <= 3) break;
    }
    return ZoneFromMeridian(meridian);
}

double CentralMeridian(int zone) { return 6.0 * zone - 183.0; }

int ZoneFromMeridian(double meridian) { return static_cast<int>(std::nearbyint((meridian + 183) / 6)); }

bool InitGridConstants(DatumTable& table, int slot) {
    if (slot < 0 || slot > 1) return false;
    DatumSlot& s = table.datumSlots[slot];
    const double e2 = s.datum.e2;
    const double e4 = e2 * e2;
    const double e6 = e4 * e2;
    GridConstants& g = s.grid;
    g.centralMeridianRad = CentralMeridian(s.zone) * kDegToRad;
    g.A = 1 + 0.75 * e2 + 0.703125 * e4 + 0.68359375 * e6;
    g.APerDegree = g.A * 0.01745329252;
    g.halfB = 0.375 * e2 + 0.46875 * e4 + 0.5126953125 * e6;
    g.secondEccentricity2 = e2 / (1 - e2);
    g.e4 = e4;
    g.DTerm = 0.068359375 * e6;
    g.CFactor = 0.05859375 + 0.1025390625 * e2;
    g.aOneMinusE2 = s.datum.a * (1 - e2);
    return true;
}

void SetZone(DatumTable& table, int zone) {
    for (auto& slot : table.datumSlots) slot.zone = static_cast<std::int16_t>(zone);
    InitGridConstants(table, 0);
    InitGridConstants(table, 1);
}

GridOutcome GridConvert(const DatumTable& table, int slot, double& latitude, double& longitude, double& easting,
                        double& northing, GridDirection direction, base::MessageSink& sink) {
    if (slot < 0 || slot > 1) return {false, 0};
    const DatumSlot& s = table.datumSlots[slot];
    const double cm = table.datumSlots[0].grid.centralMeridianRad;

    if (direction == GridDirection::GeogToGrid) {
        const GridPoint p = Forward(s, OffThePole(latitude), longitude - cm);
        easting = p.easting;
        northing = p.northing;
        return {true, 0};
    }

    const double Et = easting;
    const double Nt = northing;
    double phi = Nt * 9.002576e-06 * kDegToRad;
    double dl = (Et - kFalseEasting) * 1.56532e-07 / std::cos(phi) * kDegToRad;
    // One pass: a secant step in latitude at the current longitude, then one
    // in longitude at the new latitude.
    auto secantPass = [&](double northingNow) {
        const double N2 = Forward(s, phi + kLatitudeStep, dl).northing;
        if (N2 != northingNow) phi -= (northingNow - Nt) * kLatitudeStep / (N2 - northingNow);
        const double E1 = Forward(s, phi, dl).easting;
        const double E2 = Forward(s, phi, dl + kLongitudeStep).easting;
        if (E2 != E1) dl -= (E1 - Et) * kLongitudeStep / (E2 - E1);
        return Forward(s, phi, dl);
    };
    GridPoint p = Forward(s, phi, dl);
    GridOutcome outcome;
    for (;;) {
        p = secantPass(p.northing);
        const double dn = p.northing - Nt;
        const double de = p.easting - Et;
        ++outcome.passes;
        if (outcome.passes > kMaxPasses) {
            sink.operatorMessage(base::MessageIcon::None, "Orvanta", "BAD GEOGRAPHICAL TO GRID CONVERSION");
            outcome.converged = false;
            break;
        }
        if (dn * dn + de * de < kMaxMisclosure2) {
            // The steps in latitude and longitude pull on each other, so the
            // pass that meets the 3 mm bound can leave up to that much; one
            // more pass takes the rest down to micrometres.
            secantPass(p.northing);
            break;
        }
    }
    latitude = phi;
    longitude = dl + cm;
    return outcome;
}

}  // namespace geodesy
