#include "cli/sim/geodesic_step.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

constexpr double kA = 6378137.0;
constexpr double kF = 1.0 / 298.257223563;
constexpr double kB = kA * (1.0 - kF);
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kMeanRadius = 6371008.8;

}  // namespace

double WrapDegrees(double deg) {
    double d = std::fmod(deg, 360.0);
    if (d < 0) d += 360.0;
    if (d >= 360.0) d -= 360.0;
    return d;
}

double AngleDifference(double toDeg, double fromDeg) {
    double d = WrapDegrees(toDeg - fromDeg);
    return d > 180.0 ? d - 360.0 : d;
}

DirectResult DirectGeodesic(GeoPoint start, double azimuthDeg, double distanceM) {
    const double phi1 = std::clamp(start.lat, -89.9999, 89.9999) * kDeg;
    const double alpha1 = azimuthDeg * kDeg;
    const double sinA1 = std::sin(alpha1), cosA1 = std::cos(alpha1);

    const double tanU1 = (1.0 - kF) * std::tan(phi1);
    const double cosU1 = 1.0 / std::sqrt(1.0 + tanU1 * tanU1);
    const double sinU1 = tanU1 * cosU1;
    const double sigma1 = std::atan2(tanU1, cosA1);
    const double sinAlpha = cosU1 * sinA1;
    const double cosSqAlpha = 1.0 - sinAlpha * sinAlpha;
    const double uSq = cosSqAlpha * (kA * kA - kB * kB) / (kB * kB);
    const double A = 1.0 + uSq / 16384.0 * (4096.0 + uSq * (-768.0 + uSq * (320.0 - 175.0 * uSq)));
    const double B = uSq / 1024.0 * (256.0 + uSq * (-128.0 + uSq * (74.0 - 47.0 * uSq)));

    double sigma = distanceM / (kB * A);
    double sinSigma = 0, cosSigma = 0, cos2SigmaM = 0;
    for (int i = 0; i < 100; ++i) {
        cos2SigmaM = std::cos(2.0 * sigma1 + sigma);
        sinSigma = std::sin(sigma);
        cosSigma = std::cos(sigma);
        const double c2 = cos2SigmaM * cos2SigmaM;
        const double deltaSigma =
            B * sinSigma *
            (cos2SigmaM + B / 4.0 *
                              (cosSigma * (-1.0 + 2.0 * c2) -
                               B / 6.0 * cos2SigmaM * (-3.0 + 4.0 * sinSigma * sinSigma) * (-3.0 + 4.0 * c2)));
        const double next = distanceM / (kB * A) + deltaSigma;
        const bool done = std::fabs(next - sigma) < 1e-13;
        sigma = next;
        if (done) break;
    }
    cos2SigmaM = std::cos(2.0 * sigma1 + sigma);
    sinSigma = std::sin(sigma);
    cosSigma = std::cos(sigma);

    const double tmp = sinU1 * sinSigma - cosU1 * cosSigma * cosA1;
    const double phi2 = std::atan2(sinU1 * cosSigma + cosU1 * sinSigma * cosA1,
                                   (1.0 - kF) * std::sqrt(sinAlpha * sinAlpha + tmp * tmp));
    const double lambda = std::atan2(sinSigma * sinA1, cosU1 * cosSigma - sinU1 * sinSigma * cosA1);
    const double C = kF / 16.0 * cosSqAlpha * (4.0 + kF * (4.0 - 3.0 * cosSqAlpha));
    const double L = lambda - (1.0 - C) * kF * sinAlpha *
                                  (sigma + C * sinSigma *
                                               (cos2SigmaM + C * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));

    DirectResult r;
    r.end.lat = phi2 / kDeg;
    r.end.lon = WrapDegrees(start.lon + L / kDeg + 180.0) - 180.0;
    r.finalAzimuth = WrapDegrees(std::atan2(sinAlpha, -tmp) / kDeg);
    return r;
}

double InitialBearing(GeoPoint a, GeoPoint b) {
    const double p1 = a.lat * kDeg, p2 = b.lat * kDeg, dl = (b.lon - a.lon) * kDeg;
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    return WrapDegrees(std::atan2(y, x) / kDeg);
}

double RoughDistance(GeoPoint a, GeoPoint b) {
    const double p1 = a.lat * kDeg, p2 = b.lat * kDeg;
    const double dp = p2 - p1, dl = (b.lon - a.lon) * kDeg;
    const double h = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2.0 * kMeanRadius * std::asin(std::min(1.0, std::sqrt(h)));
}

}  // namespace sim
