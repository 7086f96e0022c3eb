// Closest point of approach of a target to the own ship.
//
// Both move on straight courses at steady speed (rhumb lines, as a ship
// steering a constant course sails). Positions go onto a local plane around
// the own ship: a Mercator plane on the WGS84 ellipsoid, true to scale at the
// own ship's latitude, on which rhumb lines are straight and directions keep
// their angles. There the relative motion gives a first time of closest
// approach; a few Newton steps on the distance along both tracks (the plane's
// scale grows away from the own ship's latitude) settle the time (TCPA) and the
// distance then (CPA). Against a step-by-step run of both tracks on the
// ellipsoid this is good to 0.001 nm and 0.02 min for ranges up to 20 nm
// between 70°S and 70°N.
//
//   targets::Motion own{59.0, 10.5, 12.0, 45.0}, other{59.05, 10.6, 8.0, 270.0};
//   if (auto a = targets::ClosestApproach(own, other)) {
//       a->cpa;   // nautical miles
//       a->tcpa;  // minutes; negative when the closest point lies behind
//   }
//
// No result when both are standing still (no relative motion): the range then
// stays as it is.
#pragma once

#include <optional>

namespace targets {

struct Motion {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    double sog = 0;        // knots
    double cog = 0;        // degrees true
};

struct Approach {
    double cpa = 0;      // nautical miles
    double tcpa = 0;     // minutes
    double range = 0;    // nautical miles, now
    double bearing = 0;  // degrees true from the own ship, now
    // Where the target is at the closest point (degrees).
    double cpaLatitude = 0;
    double cpaLongitude = 0;
};

// Exact: as above. Estimate: the relative motion on the plane alone, a few
// times cheaper; it differs from the exact figures by up to about 0.03 nm
// and 0.3 min for ships 20 nm apart at 60° latitude, much less at short range.
enum class ApproachPrecision { Exact, Estimate };

std::optional<Approach> ClosestApproach(const Motion& own, const Motion& target,
                                        ApproachPrecision precision = ApproachPrecision::Exact);

// Sine and cosine of a course (degrees true): the one part of the estimate
// that depends on the target alone, so a caller may keep it per target.
struct Course {
    double sin = 0;
    double cos = 1;
};
Course CourseTerms(double cogDegrees);

// The own ship's side of the computation, done once for many targets:
//   targets::ApproachPlane plane(own);
//   for (...) auto a = plane.approach(target, targets::ApproachPrecision::Estimate);
class ApproachPlane {
public:
    explicit ApproachPlane(const Motion& own);
    std::optional<Approach> approach(const Motion& target, ApproachPrecision precision) const;
    // The estimate with the target's course terms given (CourseTerms(target.cog)).
    std::optional<Approach> estimate(const Motion& target, Course course) const;
    // The estimate's first steps alone: its range now (nm), or none where
    // estimate() has no approach (no relative motion). Exactly the range
    // estimate() gives.
    std::optional<double> estimatedRange(const Motion& target, Course course) const;
    // A bound below estimatedRange (none exactly where it has none): for a
    // target far off in latitude it skips the costly isometric latitude and
    // a radius, so a caller that only asks "beyond some range?" can often
    // answer without estimatedRange. Near the own ship's latitude, and
    // toward a pole, it is the estimate's range itself (exact).
    struct RangeBound {
        double nm;
        bool exact;
    };
    std::optional<RangeBound> rangeAtLeast(const Motion& target, Course course) const;
    // True when a target of `sog` knots at a latitude whose cosine lies
    // between cosLow and cosHigh surely moves against the own ship, whatever
    // the two courses: its speed on the plane differs from the own ship's by
    // more than the still threshold (then estimate() has an approach). False
    // says nothing.
    bool surelyMoving(double sog, double cosLow, double cosHigh) const;
    const Motion& own() const { return own_; }

private:
    // The target relative to the own ship on the plane: position (metres)
    // and velocity (metres per second).
    struct Relative {
        double phi, rx, ry, wx, wy, w2;
    };
    Relative relative(const Motion& target, Course course) const;
    // The rest of relative() once the northing ry and the parallel's radius
    // at the target are known.
    Relative relativeWith(const Motion& target, Course course, double phi, double ry, double radiusAtTarget) const;
    // Bounds at the target's latitude phi without a transcendental function:
    // the parallel's radius there (it falls away from the equator, and is at
    // least a cos), and the greatest cosine of a latitude between it and the
    // own ship's (cos(x + t) >= cos x (1 - t²/2) - sin x t, cos(x - t) <= cos x + sin x t).
    struct LatitudeSpan {
        double radiusLow, radiusHigh, cosHigh;
    };
    LatitudeSpan latitudeSpan(double phi) const;
    bool moving(const Relative& r) const;
    double rangeNm(const Relative& r) const;
    // Radius of the parallel at p, to second order about the own ship's latitude.
    double radius(double p) const;
    Motion own_;
    double phi0_, lambda0_, psi0_;
    double k0_;   // radius of the own ship's parallel: plane metres per radian
    double m0_;   // meridian radius there
    double sinPhi0_, cosPhi0_;
    double psi1_, psi2_, psi3_;  // isometric latitude about phi0_: Taylor coefficients
    double isometricFromOwn(double phi) const;  // isometric latitude of phi minus the own ship's
    double vx_, vy_;  // own velocity, metres per second east and north
    double speed_;    // its length
};

}  // namespace targets
