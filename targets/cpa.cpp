#include "targets/cpa.h"

#include <algorithm>
#include <cmath>

#include "geodesy/geodetic.h"

namespace targets {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr double kKnot = 1852.0 / 3600.0;  // metres per second
// Below this relative speed (knots) there is no approach to speak of.
constexpr double kStill = 0.01;
// A ship on a rhumb line with a north or south component spirals into the
// pole in a finite time, and past it the track is not defined; a ship is
// taken to stay at this latitude once it gets there, so far-off closest
// points (days ahead, thousands of miles away) stay real distances.
constexpr double kPolar = 89.5 * kRad;

double polarClamped(double phi) { return std::clamp(phi, -kPolar, kPolar); }

const double kE = std::sqrt(geodesy::kWgs84E2);

// Isometric latitude: the Mercator northing on the unit sphere.
double isometric(double phi) {
    const double s = std::sin(phi);
    return std::atanh(s) - kE * std::atanh(kE * s);
}

// Radius of the parallel at phi: metres per radian of longitude.
double parallelRadius(double phi) {
    const double s = std::sin(phi);
    return geodesy::kWgs84A * std::cos(phi) / std::sqrt(1.0 - geodesy::kWgs84E2 * s * s);
}

double wrap(double lambda) {
    while (lambda > kPi) lambda -= 2 * kPi;
    while (lambda < -kPi) lambda += 2 * kPi;
    return lambda;
}

// Meridian radius of curvature: metres per radian of latitude.
double meridianRadius(double phi) {
    const double s = std::sin(phi);
    const double w = 1.0 - geodesy::kWgs84E2 * s * s;
    return geodesy::kWgs84A * (1.0 - geodesy::kWgs84E2) / (w * std::sqrt(w));
}

// A ship on its rhumb line, on the plane around the own ship's position now.
struct Track {
    Track(double latitude, double longitude, double sog, double cog)
        : phi(latitude * kRad),
          lambda(longitude * kRad),
          speed(sog * kKnot),
          course(cog * kRad),
          psi(isometric(phi)),
          northward(std::fabs(std::cos(course)) > 1e-9) {}
    double phi, lambda;  // radians, now
    double speed;        // metres per second
    double course;       // radians
    double psi;          // isometric latitude now
    bool northward;      // has a north or south component (else keeps its latitude)
};

struct PlanePoint {
    double phi = 0;  // latitude, radians
    double x = 0, y = 0;
};

class Plane {
public:
    explicit Plane(const Track& own) : lambda0_(own.lambda), k0_(parallelRadius(own.phi)), psi0_(own.psi) {}

    // Where the ship is after t seconds.
    PlanePoint at(const Track& s, double t) const {
        const double along = s.speed * t;
        const double c = std::cos(s.course);
        // Latitude by the meridian radius halfway, then the rhumb line's longitude.
        const double half = s.phi + along * c / (2 * meridianRadius(s.phi));
        const double phi = polarClamped(s.phi + along * c / meridianRadius(half));
        const double psi = s.northward ? isometric(phi) : s.psi;
        const double lambda = s.northward ? s.lambda + std::tan(s.course) * (psi - s.psi)
                                          : s.lambda + along * std::sin(s.course) / parallelRadius(s.phi);
        return {phi, k0_ * wrap(lambda - lambda0_), k0_ * (psi - psi0_)};
    }
    // Plane metres per metre at latitude phi.
    double scale(double phi) const { return k0_ / parallelRadius(phi); }
    // Distance in metres between two points of the plane, by the scale halfway.
    double distance(const PlanePoint& a, const PlanePoint& b) const {
        return std::hypot(b.x - a.x, b.y - a.y) / scale((a.phi + b.phi) / 2);
    }
    double longitude(double x) const { return lambda0_ + x / k0_; }
    double x(double lambda) const { return k0_ * wrap(lambda - lambda0_); }
    double y(double psi) const { return k0_ * (psi - psi0_); }

private:
    double lambda0_, k0_, psi0_;
};

// The closest point is never farther off than the target is now. Far apart
// (thousands of miles, days ahead) the plane's distances stray from the
// ellipsoid's and the search may settle beyond the range now; the target is
// then taken to be as close now as it gets.
void noFartherThanNow(Approach& a, const Motion& target) {
    if (!(a.cpa > a.range)) return;
    a.cpa = a.range;
    a.tcpa = 0;
    a.cpaLatitude = target.latitude;
    a.cpaLongitude = target.longitude;
}

}  // namespace

ApproachPlane::ApproachPlane(const Motion& own)
    : own_(own),
      phi0_(own.latitude * kRad),
      lambda0_(own.longitude * kRad),
      psi0_(isometric(phi0_)),
      k0_(parallelRadius(phi0_)),
      m0_(meridianRadius(phi0_)),
      sinPhi0_(std::sin(phi0_)),
      cosPhi0_(std::cos(phi0_)),
      vx_(own.sog * kKnot * std::sin(own.cog * kRad)),
      vy_(own.sog * kKnot * std::cos(own.cog * kRad)),
      speed_(std::sqrt(vx_ * vx_ + vy_ * vy_)) {
    // Taylor coefficients of the isometric latitude about the own ship's:
    // psi' = (1 - e²) / ((1 - e² sin²) cos), psi'' = psi' g with
    // g = (ln psi')' = tan + 2 e² sin cos / (1 - e² sin²), psi''' = psi'' g + psi' g'.
    const double s = sinPhi0_, c = cosPhi0_, w = 1.0 - geodesy::kWgs84E2 * s * s;
    const double d1 = (1.0 - geodesy::kWgs84E2) / (w * c);
    const double g = s / c + 2 * geodesy::kWgs84E2 * s * c / w;
    const double dg = 1.0 / (c * c) + 2 * geodesy::kWgs84E2 * ((c * c - s * s) * w + 2 * geodesy::kWgs84E2 * s * s * c * c) / (w * w);
    psi1_ = d1;
    psi2_ = d1 * g / 2;
    psi3_ = (d1 * g * g + d1 * dg) / 6;
}

double ApproachPlane::isometricFromOwn(double phi) const {
    // Within about 34 nm of latitude the cubic is good to a metre up to 70°;
    // beyond, the function itself.
    const double d = phi - phi0_;
    if (std::fabs(d) < 0.01) return d * (psi1_ + d * (psi2_ + d * psi3_));
    return isometric(phi) - psi0_;
}

Course CourseTerms(double cogDegrees) {
    const double c = cogDegrees * kRad;
    return {std::sin(c), std::cos(c)};
}

std::optional<Approach> ApproachPlane::approach(const Motion& target, ApproachPrecision precision) const {
    if (precision == ApproachPrecision::Exact) return ClosestApproach(own_, target);
    return estimate(target, CourseTerms(target.cog));
}

double ApproachPlane::radius(double p) const {
    // The quadratic is good near the own ship's latitude only (far off it
    // falls below zero, which made distances negative); beyond the cubic's
    // span of the isometric latitude, the radius itself.
    const double d = p - phi0_;
    if (std::fabs(d) < 0.01) return k0_ - m0_ * sinPhi0_ * d - 0.5 * k0_ * d * d;
    return parallelRadius(polarClamped(p));
}

ApproachPlane::Relative ApproachPlane::relative(const Motion& target, Course course) const {
    // Straight on the plane, the parallel's radius to second order and the
    // isometric latitude to third order in the latitude difference: no
    // transcendental function per target besides its course and bearing.
    const double phi = target.latitude * kRad;
    const double ry = k0_ * isometricFromOwn(phi);
    return relativeWith(target, course, phi, ry, radius(phi));
}

ApproachPlane::Relative ApproachPlane::relativeWith(const Motion& target, Course course, double phi, double ry,
                                                    double radiusAtTarget) const {
    const double rx = k0_ * wrap(target.longitude * kRad - lambda0_);
    const double vt = target.sog * kKnot * k0_ / radiusAtTarget;
    const double wx = vt * course.sin - vx_, wy = vt * course.cos - vy_;
    return {phi, rx, ry, wx, wy, wx * wx + wy * wy};
}

bool ApproachPlane::moving(const Relative& r) const { return !(r.w2 < (kStill * kKnot) * (kStill * kKnot)); }

double ApproachPlane::rangeNm(const Relative& r) const {
    return std::sqrt(r.rx * r.rx + r.ry * r.ry) * radius((phi0_ + r.phi) / 2) / k0_ / geodesy::kMetresPerNauticalMile;
}

std::optional<double> ApproachPlane::estimatedRange(const Motion& target, Course course) const {
    const Relative r = relative(target, course);
    if (!moving(r)) return std::nullopt;
    return rangeNm(r);
}

ApproachPlane::LatitudeSpan ApproachPlane::latitudeSpan(double phi) const {
    const double c0 = cosPhi0_, s0 = std::fabs(sinPhi0_);
    const double poleward = std::fabs(phi) - std::fabs(phi0_);
    const bool crosses = (phi < 0) != (phi0_ < 0);  // the equator lies between
    if (poleward >= 0) {
        return {geodesy::kWgs84A * (c0 * (1 - poleward * poleward / 2) - s0 * poleward), k0_, crosses ? 1.0 : c0};
    }
    return {k0_, geodesy::kWgs84A, crosses ? 1.0 : std::min(1.0, c0 - s0 * poleward)};
}

std::optional<ApproachPlane::RangeBound> ApproachPlane::rangeAtLeast(const Motion& target, Course course) const {
    const double phi = target.latitude * kRad;
    const double d = phi - phi0_;
    const auto exact = [&]() -> std::optional<RangeBound> {
        if (const std::optional<double> range = estimatedRange(target, course)) return RangeBound{*range, true};
        return std::nullopt;
    };
    // Near the own ship's latitude the estimate is cheap already; toward a
    // pole the bounds grow loose.
    constexpr double kBounded = 80 * kRad;
    if (std::fabs(d) < 0.01 || std::fabs(phi) > kBounded || std::fabs(phi0_) > kBounded) return exact();
    const LatitudeSpan span = latitudeSpan(phi);
    if (!(span.radiusLow > 0)) return exact();
    // Moving against the own ship: the target's speed on the plane lies
    // between the bounds the radius gives; the least relative speed over
    // them must clear the threshold of moving() by a margin, else the
    // exact test decides.
    const double speed = target.sog * kKnot * k0_;
    const double along = course.sin * vx_ + course.cos * vy_;
    const double v = std::min(std::max(along, speed / span.radiusHigh), speed / span.radiusLow);
    const double leastW2 = v * v - 2 * v * along + (vx_ * vx_ + vy_ * vy_);
    constexpr double kStillW2 = (kStill * kKnot) * (kStill * kKnot);
    if (!(leastW2 > 1.01 * kStillW2 + 1e-12) && !moving(relativeWith(target, course, phi, 0, radius(phi)))) {
        return std::nullopt;
    }
    // The isometric latitude grows at least (1 - e²) / cos as fast as the
    // latitude (its derivative is (1 - e²) / ((1 - e² sin²) cos)), and the
    // parallel's radius at the middle latitude, which rangeNm scales by,
    // lies between the radii at both ends (near the own ship rangeNm takes
    // it to second order: the margin covers that and the rounding).
    const double rx = k0_ * wrap(target.longitude * kRad - lambda0_);
    const double ry = k0_ * (1.0 - geodesy::kWgs84E2) * std::fabs(d) / span.cosHigh;
    return RangeBound{std::sqrt(rx * rx + ry * ry) * std::min(k0_, span.radiusLow) / k0_ /
                          geodesy::kMetresPerNauticalMile * (1.0 - 1e-4),
                      false};
}

bool ApproachPlane::surelyMoving(double sog, double cosLow, double cosHigh) const {
    // The parallel's radius at the target, which scales its speed onto the
    // plane, lies between a cos and a cos / sqrt(1 - e²) (radius() keeps to
    // that but for its rounding, which the margins cover); and |w| is at
    // least the difference of the two speeds.
    if (!(cosLow > 0)) return false;
    const double speed = sog * kKnot * k0_ / geodesy::kWgs84A;
    const double fastest = speed / (cosLow * (1 - 1e-4));
    const double slowest = speed * std::sqrt(1 - geodesy::kWgs84E2) / (cosHigh * (1 + 1e-4));
    const double margin = 1.01 * kStill * kKnot;
    return slowest - speed_ > margin || speed_ - fastest > margin;
}

std::optional<Approach> ApproachPlane::estimate(const Motion& target, Course course) const {
    const Relative r = relative(target, course);
    if (!moving(r)) return std::nullopt;
    const double t = -(r.rx * r.wx + r.ry * r.wy) / r.w2;
    const double ox = vx_ * t, oy = vy_ * t;
    const double cx = r.rx + r.wx * t, cy = r.ry + r.wy * t;
    Approach a;
    a.cpa = std::sqrt(cx * cx + cy * cy) * radius(polarClamped(phi0_ + (oy + cy / 2) / m0_)) / k0_ /
            geodesy::kMetresPerNauticalMile;
    a.tcpa = t / 60.0;
    a.range = rangeNm(r);
    double b = std::atan2(r.rx, r.ry) / kRad;
    if (b < 0) b += 360.0;
    a.bearing = b;
    a.cpaLatitude = polarClamped(phi0_ + (oy + cy) / m0_) / kRad;
    a.cpaLongitude = wrap(lambda0_ + (ox + cx) / k0_) / kRad;
    noFartherThanNow(a, target);
    return a;
}

std::optional<Approach> ClosestApproach(const Motion& own, const Motion& target, ApproachPrecision precision) {
    if (precision == ApproachPrecision::Estimate) return ApproachPlane(own).approach(target, precision);
    const Track o(own.latitude, own.longitude, own.sog, own.cog);
    const Track g(target.latitude, target.longitude, target.sog, target.cog);
    const Plane plane(o);

    // Relative motion on the plane as it is now: a first time of closest approach.
    const PlanePoint t0{g.phi, plane.x(g.lambda), plane.y(g.psi)};
    const double vt = g.speed * plane.scale(g.phi);
    const double wx = vt * std::sin(g.course) - o.speed * std::sin(o.course);
    const double wy = vt * std::cos(g.course) - o.speed * std::cos(o.course);
    const double w2 = wx * wx + wy * wy;
    if (w2 < (kStill * kKnot) * (kStill * kKnot)) return std::nullopt;
    double t = -(t0.x * wx + t0.y * wy) / w2;

    // Then the least of the distance along both tracks, by Newton steps on
    // its square (smooth even where the ships meet): the plane's scale
    // changes with latitude, which moves the least a little.
    const auto squared = [&](double at) {
        const double d = plane.distance(plane.at(o, at), plane.at(g, at));
        return d * d;
    };
    constexpr double h = 10.0;  // seconds
    for (int i = 0; i < 4; ++i) {
        const double dm = squared(t - h), d0 = squared(t), dp = squared(t + h);
        const double curve = dm - 2 * d0 + dp;
        if (!(curve > 0)) break;
        const double move = h * (dm - dp) / (2 * curve);
        t += move;
        if (std::fabs(move) < 0.01) break;
    }

    const PlanePoint ownAt = plane.at(o, t), targetAt = plane.at(g, t);
    Approach a;
    a.cpa = plane.distance(ownAt, targetAt) / geodesy::kMetresPerNauticalMile;
    a.tcpa = t / 60.0;
    a.range = plane.distance({o.phi, 0, 0}, t0) / geodesy::kMetresPerNauticalMile;
    double b = std::atan2(t0.x, t0.y) / kRad;
    if (b < 0) b += 360.0;
    a.bearing = b;
    a.cpaLatitude = targetAt.phi / kRad;
    a.cpaLongitude = wrap(plane.longitude(targetAt.x)) / kRad;
    noFartherThanNow(a, target);
    return a;
}

}  // namespace targets
