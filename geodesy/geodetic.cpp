#include "geodesy/geodetic.h"

#include <algorithm>
#include <numbers>

#include "geodesy/grid.h"

namespace geodesy {

namespace {

int signOf(double v) { return (v > 0) - (v < 0); }

}  // namespace

double OffThePole(double lat) {
    constexpr double limit = std::numbers::pi / 2 - 1e-9;
    return std::clamp(lat, -limit, limit);
}

void InitDatum(DatumTable& table) {
    for (auto& slot : table.datumSlots) {
        slot.datum = Datum{"WGS84", kWgs84A, kWgs84B, kWgs84F, kWgs84E2};
        slot.zone = 31;
    }
    InitGridConstants(table, 0);
    InitGridConstants(table, 1);
}

ReducedLatitude ReducedLatitudeOf(double lat, double f) {
    const double beta = std::atan((1 - f) * std::tan(OffThePole(lat)));
    return {std::sin(beta), std::cos(beta)};
}

void GeodeticInverse(double lat1, double lon1, double lat2, double lon2, std::int16_t mode, double& distance,
                     double& bearing, double b, double f) {
    if (std::fabs(lat1 - lat2) < 1e-10 && std::fabs(lon1 - lon2) < 1e-10) {
        distance = 0;
        bearing = 0;
        return;
    }
    GeodeticInverse(ReducedLatitudeOf(lat1, f), lat1, lon1, lat2, lon2, mode, distance, bearing, b, f);
}

void GeodeticInverse(const ReducedLatitude& from, double lat1, double lon1, double lat2, double lon2, std::int16_t mode,
                     double& distance, double& bearing, double b, double f) {
    if (std::fabs(lat1 - lat2) < 1e-10 && std::fabs(lon1 - lon2) < 1e-10) {
        distance = 0;
        bearing = 0;
        return;
    }
    const bool wantDistance = mode == kInverseBoth || mode == kInverseDistance;
    const bool wantBearing = mode == kInverseBoth || mode == kInverseBearing;
    if (!wantDistance && !wantBearing) return;

    // Longitude difference the shorter way round; its sign says west (>= 0) or east (< 0).
    double L = lon1 - lon2;
    if (signOf(lon1) != signOf(lon2)) {
        const double D = lon1 < 0 ? lon2 - lon1 : lon1 - lon2;
        L = D > kPi ? lon2 - lon1 : lon1 - lon2;
    }
    double absL = std::fabs(L);
    if (absL > kPi) absL = kTwoPi - absL;

    const ReducedLatitude to = ReducedLatitudeOf(lat2, f);
    const double sinB1 = from.sin, cosB1 = from.cos;
    const double sinB2 = to.sin, cosB2 = to.cos;
    const double sinL = std::sin(absL), cosL = std::cos(absL);

    const double aa = sinB1 * sinB2;  // a'
    const double bb = cosB1 * cosB2;  // b'
    const double cosPsi = aa + bb * cosL;
    const double sinPsi = std::hypot(sinL * cosB2, sinB2 * cosB1 - sinB1 * cosB2 * cosL);
    // Both sine and cosine, so paths longer than a quarter of the earth stay right.
    const double psi = std::atan2(sinPsi, cosPsi);

    double c = 0, cotPsi = 0, cscPsi = 0;
    if (sinPsi > 0) {
        // c is the sine of the azimuth where the path crosses the equator;
        // rounding near antipodal points can push the quotient past 1.
        c = std::clamp(bb * sinL / sinPsi, -1.0, 1.0);
        cotPsi = 1 / std::tan(psi);
        cscPsi = 1 / sinPsi;
    }
    // With sin ψ = 0 (antipodal points) c is taken as 0; the cot and csc terms
    // then cancel in pairs, which setting them to 0 reproduces.
    const double m = 1 - c * c;
    const double psi2 = psi * psi;
    const double f2 = f * f;
    const double F = f + f2;
    const double sc = sinPsi * cosPsi;

    if (wantDistance) {
        const double t1 = (1 + F) * psi + aa * (F * sinPsi - (f2 / 2) * psi2 * cscPsi);
        const double t2 = m * ((f2 / 2) * psi2 * cotPsi - (F / 2) * psi - (F / 2) * sc);
        const double t3 = -(f2 / 2) * sc * aa * aa;
        const double t4 = m * m *
                          ((f2 / 16) * sc + (f2 / 16) * psi - (f2 / 2) * psi2 * cotPsi -
                           (f2 / 8) * sinPsi * cosPsi * cosPsi * cosPsi);
        const double t5 = aa * m * ((f2 / 2) * sinPsi * cosPsi * cosPsi + (f2 / 2) * psi2 * cscPsi);
        // Close to the antipode the series breaks down (its csc ψ terms grow
        // without bound); keep the answer within what a geodesic can measure.
        const double longest = std::numbers::pi * b / (1 - f);
        const double d = b * (t1 + t2 + t3 + t4 + t5);
        distance = std::isfinite(d) && d >= 0 ? std::min(d, longest) : longest;
    }

    if (!wantBearing) return;
    if (lat1 == 0 && lat2 == 0) {
        bearing = L < 0 ? kHalfPi : kThreeHalfPi;
        return;
    }
    if (lon1 == lon2) {
        bearing = lat2 > lat1 ? 0 : kPi;
        return;
    }
    const double lambda =
        absL + c * (F * psi - aa * ((f2 / 2) * sinPsi + f2 * psi2 * cscPsi) +
                    m * ((f2 / 4) * sc - (5 * f2 / 4) * psi + f2 * psi2 * cotPsi));
    const double numerator = sinB2 * cosB1 - sinB1 * std::cos(lambda) * cosB2;
    const double denominator = cosB2 * std::sin(lambda);
    if (denominator == 0) {
        // No longitude left to travel: straight north or south along the meridian.
        bearing = numerator >= 0 ? 0 : kPi;
        return;
    }
    const double cotAlpha = numerator / denominator;
    const double alpha0 = cotAlpha == 0 ? kHalfPi : std::atan(1 / cotAlpha);
    if (L >= 0) {
        bearing = cotAlpha < 0 ? kPi + std::fabs(alpha0) : kTwoPi - std::fabs(alpha0);
        // An angle too small to subtract leaves exactly 2π, which is north.
        if (bearing >= kTwoPi) bearing = 0;
    } else {
        bearing = cotAlpha < 0 ? kPi + alpha0 : alpha0;
    }
}

}  // namespace geodesy
