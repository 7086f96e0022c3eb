// CPA and TCPA: hand-worked encounters and random ones, each against a
// step-by-step run of both tracks along the ellipsoid.
#include "targets/cpa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geodesy/geodetic.h"
#include "targets/target_table.h"
#include "targets/watch.h"

namespace targets {
namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;
constexpr double kA = geodesy::kWgs84A, kE2 = geodesy::kWgs84E2;

// One second of a steady course: the rhumb line by the ellipsoid's radii of
// curvature (midpoint rule).
void step(double& phi, double& lambda, double sog, double cog, double dt) {
    const auto move = [&](double p, double& dphi, double& dlambda) {
        const double w = 1 - kE2 * std::sin(p) * std::sin(p);
        const double m = kA * (1 - kE2) / (w * std::sqrt(w));
        const double n = kA / std::sqrt(w);
        const double v = sog * 1852.0 / 3600.0 * dt;
        dphi = v * std::cos(cog * kRad) / m;
        dlambda = v * std::sin(cog * kRad) / (n * std::cos(p));
    };
    double dp = 0, dl = 0;
    move(phi, dp, dl);
    move(phi + dp / 2, dp, dl);
    phi += dp;
    lambda += dl;
}

double distanceNm(double p1, double l1, double p2, double l2) {
    double d = 0, b = 0;
    geodesy::GeodeticInverse(p1, l1, p2, l2, geodesy::kInverseDistance, d, b, geodesy::kWgs84B, geodesy::kWgs84F);
    return d / 1852.0;
}

struct BruteForce {
    double cpa = 1e9;
    double tcpa = 0;  // minutes
};

// Both tracks run one second at a time for `minutes` both ways from now.
BruteForce Simulate(const Motion& own, const Motion& target, double minutes) {
    BruteForce best;
    for (const double dir : {1.0, -1.0}) {
        double po = own.latitude * kRad, lo = own.longitude * kRad;
        double pt = target.latitude * kRad, lt = target.longitude * kRad;
        std::vector<double> d;
        for (int s = 0; s <= minutes * 60; ++s) {
            d.push_back(distanceNm(po, lo, pt, lt));
            step(po, lo, own.sog, own.cog, dir);
            step(pt, lt, target.sog, target.cog, dir);
        }
        for (size_t s = 0; s < d.size(); ++s) {
            if (d[s] >= best.cpa) continue;
            best.cpa = d[s];
            double t = static_cast<double>(s);
            // The vertex of the parabola through the three samples around the least.
            if (s > 0 && s + 1 < d.size()) {
                const double den = d[s - 1] - 2 * d[s] + d[s + 1];
                if (den > 0) t += 0.5 * (d[s - 1] - d[s + 1]) / den;
            }
            best.tcpa = dir * t / 60.0;
        }
    }
    return best;
}

// A point east and north of (lat, lon), in nautical miles along the parallel and the meridian.
Motion Offset(double lat, double lon, double eastNm, double northNm, double sog, double cog) {
    double phi = lat * kRad, lambda = lon * kRad;
    step(phi, lambda, std::hypot(eastNm, northNm) * 3600.0, std::atan2(eastNm, northNm) / kRad, 1.0);
    return {phi / kRad, lambda / kRad, sog, cog};
}

TEST(Cpa, HandWorkedEncountersAndTheTracksStepByStep) {
    struct Row {
        const char* name;
        double lat;
        double ownSog, ownCog;
        double east, north, sog, cog;  // target: nm from the own ship, knots, degrees
        double cpa, tcpa;              // nm, minutes
    } rows[] = {
        {"head-on", 59.5, 10, 0, 0, 6, 10, 180, 0, 18},
        {"crossing", 59.5, 10, 0, 6, 0, 10, 270, 4.2426, 18},
        {"overtaking", 59.5, 10, 0, 0.5, -2, 15, 0, 0.5, 24},
        {"parallel", 10.0, 10, 0, 1, 2, 5, 0, 1, 24},
        {"own ship stopped", -33.0, 0, 0, -3, 1, 12, 90, 1, 15},
        {"past CPA", 0.0, 0, 0, 0.5, 2, 12, 0, 0.5, -10},
    };
    for (const Row& r : rows) {
        const Motion own{r.lat, 5.0, r.ownSog, r.ownCog};
        const Motion target = Offset(r.lat, 5.0, r.east, r.north, r.sog, r.cog);
        const auto a = ClosestApproach(own, target);
        ASSERT_TRUE(a) << r.name;
        EXPECT_NEAR(a->cpa, r.cpa, 0.01) << r.name;
        EXPECT_NEAR(a->tcpa, r.tcpa, 0.1) << r.name;
        EXPECT_NEAR(a->range, std::hypot(r.east, r.north), 0.01) << r.name;
        const BruteForce b = Simulate(own, target, 40);
        EXPECT_NEAR(a->cpa, b.cpa, 0.01) << r.name;
        EXPECT_NEAR(a->tcpa, b.tcpa, 0.1) << r.name;
    }
}

// Random encounters up to 20 nm apart, 70°S to 70°N, whose closest point
// lies within an hour either way.
TEST(Cpa, RandomEncountersAgreeWithTheTracks) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> lat(-70, 70), lon(-180, 180), range(0.5, 20), angle(0, 360), speed(0, 30);
    int checked = 0;
    while (checked < 40) {
        const Motion own{lat(rng), lon(rng), speed(rng), angle(rng)};
        const double r = range(rng), brg = angle(rng) * kRad;
        const Motion target =
            Offset(own.latitude, own.longitude, r * std::sin(brg), r * std::cos(brg), speed(rng), angle(rng));
        const auto a = ClosestApproach(own, target);
        if (!a || std::fabs(a->tcpa) > 60) continue;
        ++checked;
        const BruteForce b = Simulate(own, target, 70);
        EXPECT_NEAR(a->cpa, b.cpa, 0.01) << own.latitude << " " << r;
        EXPECT_NEAR(a->tcpa, b.tcpa, 0.1) << own.latitude << " " << r;
        EXPECT_NEAR(a->range, r, 0.01);
        const auto e = ClosestApproach(own, target, ApproachPrecision::Estimate);
        ASSERT_TRUE(e);
        EXPECT_NEAR(e->cpa, a->cpa, 0.05);
        EXPECT_NEAR(e->tcpa, a->tcpa, 0.5);
        EXPECT_NEAR(e->range, r, 0.01);
    }
}

// Far apart (a big network feed, a whole ocean away) the closest point may lie
// days ahead and thousands of miles off; its figures must still be distances:
// never negative, never beyond the range now, in both precisions. The first
// rows are encounters that once gave negative or larger-than-range figures.
TEST(Cpa, FarTargetsGiveRealDistances) {
    struct Row {
        Motion own, target;
    };
    std::vector<Row> rows = {
        {{53.36, 141.27, 24.0, 202}, {-65.51, 178.56, 11.9, 247}},
        {{39.00, 114.52, 10.0, 346}, {30.92, -62.48, 9.2, 346}},
        {{-32.12, -3.80, 15.9, 197}, {-78.66, -152.83, 1.5, 344}},
        {{55.40, -2.17, 10.5, 312}, {13.32, -164.25, 21.1, 323}},
        {{-55.57, -64.19, 2.9, 129}, {31.62, 105.21, 11.2, 349}},
        {{51.98, 3.95, 12.0, 10}, {48.0, -8.0, 14.0, 15}},  // the North Sea and the Bay of Biscay, both heading north
    };
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> lat(-80, 80), lon(-180, 180), angle(0, 360), speed(0, 25);
    for (int i = 0; i < 3000; ++i) {
        rows.push_back({{lat(rng), lon(rng), speed(rng), angle(rng)}, {lat(rng), lon(rng), speed(rng), angle(rng)}});
    }
    for (const Row& r : rows) {
        const ApproachPlane plane(r.own);
        for (const auto precision : {ApproachPrecision::Exact, ApproachPrecision::Estimate}) {
            const auto a = plane.approach(r.target, precision);
            if (!a) continue;
            const bool exact = precision == ApproachPrecision::Exact;
            EXPECT_GE(a->cpa, 0) << exact << " " << r.own.latitude << " " << r.target.latitude;
            EXPECT_LE(a->cpa, a->range) << exact << " " << r.own.latitude << " " << r.target.latitude;
            EXPECT_TRUE(std::isfinite(a->tcpa) && std::fabs(a->cpaLatitude) <= 90);
        }
    }
}

// Beyond the 20 nm the estimate is made for, it stays within 3 % of the range of the exact figures
// while the plane holds (a hundred miles or so, one region), so the alarm's
// "clearly outside" judgement on it stays right; the display refines it.
TEST(Cpa, EstimateFollowsTheExactFiguresAtLongerRange) {
    for (const double lat : {-60.0, -30.0, 0.0, 30.0, 52.0, 65.0}) {
        for (const double bearing : {0.0, 45.0, 135.0, 200.0, 290.0}) {
            for (const double range : {40.0, 120.0}) {
                const Motion own{lat, 4.0, 12, 30};
                const Motion target = Offset(lat, 4.0, range * std::sin(bearing * kRad), range * std::cos(bearing * kRad),
                                             15, bearing + 150);
                const auto x = ClosestApproach(own, target), e = ClosestApproach(own, target, ApproachPrecision::Estimate);
                ASSERT_TRUE(x && e);
                EXPECT_NEAR(e->range, x->range, 0.002 * range) << lat << " " << bearing << " " << range;
                EXPECT_NEAR(e->cpa, x->cpa, 0.03 * range) << lat << " " << bearing << " " << range;
            }
        }
    }
}

// The estimate's range alone is the range of the whole estimate, and there
// is none, nor an exact approach, exactly where the estimate has none.
TEST(Cpa, EstimatedRangeIsTheEstimatesRange) {
    const struct {
        Motion own, target;
    } rows[] = {
        {{59, 5, 12, 45}, {59.2, 5.3, 15, 200}},    // near
        {{59, 5, 12, 45}, {59.3, 5.1, 8, 359.9}},   // 18 nm north
        {{-33, 179.9, 10, 90}, {-33, -179.8, 10, 270}},  // across the date line
        {{0, 5, 12, 45}, {0, 5.1, 12, 45}},         // no relative motion
        {{59, 5, 0, 0}, {59.1, 5, 0, 90}},           // both still
    };
    for (const auto& r : rows) {
        const ApproachPlane plane(r.own);
        const auto whole = plane.approach(r.target, ApproachPrecision::Estimate);
        const auto range = plane.estimatedRange(r.target, CourseTerms(r.target.cog));
        ASSERT_EQ(whole.has_value(), range.has_value()) << r.target.latitude;
        EXPECT_EQ(ClosestApproach(r.own, r.target).has_value(), whole.has_value()) << r.target.latitude;
        if (whole) {
            EXPECT_EQ(whole->range, *range) << r.target.latitude;
        }
    }
}

// The bound below the estimate's range: never above it, none exactly where
// the estimate has none (also for relative motion near standing still), and
// close enough far off in latitude to settle a target beyond the alarm.
TEST(Cpa, RangeAtLeastBoundsTheEstimatesRange) {
    const double ownLatitudes[] = {-79, -45, -0.3, 0.2, 30, 60, 79.5};
    const double offsets[] = {-40, -5, -1.2, -0.58, 0.58, 0.6, 1, 3, 12};  // degrees of latitude
    // longitude offset, speed, course; speed -1: the own ship's speed on the
    // plane (12 kn scaled by the parallels), so hardly any relative motion.
    const Motion speeds[] = {{0, 0, 12, 45}, {0, 0.5, 0, 0}, {0, 0, -1, 45}, {0, -0.3, 25, 181}};
    int settled = 0;
    for (double lat0 : ownLatitudes) {
        const ApproachPlane plane({lat0, 5, 12, 45});
        for (double dLat : offsets) {
            const double lat = lat0 + dLat;
            if (std::fabs(lat) > 85) continue;
            for (const Motion& s : speeds) {
                const double sog = s.sog >= 0 ? s.sog : 12 * std::cos(lat * kRad) / std::cos(lat0 * kRad);
                const Motion target{lat, 5 + s.longitude, sog, s.cog};
                const auto range = plane.estimatedRange(target, CourseTerms(target.cog));
                const auto low = plane.rangeAtLeast(target, CourseTerms(target.cog));
                ASSERT_EQ(range.has_value(), low.has_value()) << lat0 << " " << lat << " " << s.sog;
                if (!range) continue;
                EXPECT_LE(low->nm, *range) << lat0 << " " << lat << " " << s.sog;
                if (low->exact) {
                    EXPECT_EQ(low->nm, *range) << lat0 << " " << lat << " " << s.sog;
                }
                if (std::fabs(lat0) <= 60 && std::fabs(dLat) >= 1 && low->nm > 13.3) ++settled;
            }
        }
    }
    EXPECT_GE(settled, 50);
}

// "Surely moving" is never said of a target the estimate finds standing
// still against the own ship, whatever the courses; and it is said of most
// that clearly move.
TEST(Cpa, SurelyMovingOnlyWhereTheEstimateMoves) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    int said = 0;
    for (int i = 0; i < 20000; ++i) {
        const double lat0 = -80 + 160 * unit(random);
        const Motion own{lat0, 5, 20 * unit(random), 360 * unit(random)};
        const ApproachPlane plane(own);
        const double lat = std::clamp(lat0 + (unit(random) - 0.5) * (i % 2 ? 0.02 : 30), -80.0, 80.0);
        // Half of them at the own ship's speed on the plane, give or take
        // a little: hardly any relative motion at all.
        const double scaled = own.sog * std::cos(lat * kRad) / std::cos(lat0 * kRad);
        const double sog = i % 4 < 2 ? scaled * (1 + (unit(random) - 0.5) * 1e-3) : 25 * unit(random);
        const Motion target{lat, 5.2, sog, i % 3 ? own.cog : 360 * unit(random)};
        // The cosine of the latitude, known within a margin as a caller knows it.
        const double c = std::cos(lat * kRad), slack = 0.01 * unit(random);
        if (!plane.surelyMoving(sog, c - slack, std::min(1.0, c + slack))) continue;
        ++said;
        ASSERT_TRUE(plane.estimate(target, CourseTerms(target.cog)).has_value()) << lat0 << " " << lat << " " << sog;
    }
    EXPECT_GT(said, 8000);
}

// A target left to the refinement report after report: what the remembered
// margin decides is what working its range out anew decides, while both
// ships wander toward and away from each other, jump, match each other's
// speed, sail near the poles and across the date line, and the alarm's
// limits change.
TEST(FarApproach, TheRememberedMarginDecidesAsTheRangeWorkedOutAnew) {
    AlarmSettings near, wide, guarded;
    wide.rangeLimit = 60;
    guarded.rangeLimit = 3;
    guarded.guardZone = 8;
    const AlarmSettings* limits[] = {&near, &wide, &guarded};
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0, 1);
    int remembered = 0, deferred = 0, kept = 0;
    for (int scenario = 0; scenario < 600; ++scenario) {
        // Two tables fed alike; the second forgets the margin before every report.
        TargetTable tables[2];
        Reference reference;
        TableContext ctx;
        ctx.reference = &reference;
        const auto place = [&](TargetTable& table, int32_t mmsi, const Motion& m, double t) {
            ais::AISMessageRecord rec;
            rec.Type1.MessageID = 1;
            const double lon = std::remainder(m.longitude, 360.0);  // the walk may cross the date line
            rec.Type1.MMSI = mmsi;
            rec.Type1.Latitude = m.latitude;
            rec.Type1.Longitude = lon;
            rec.Type1.SOG = static_cast<float>(m.sog);
            rec.Type1.COG = static_cast<float>(m.cog);
            ctx.monotonic = t;
            ctx.now = base::DateTime::fromCalendar(2026, 12, 9, 10, 0, 0).addSeconds(t);
            const TargetUpdate u = table.AddOrUpdateTarget(input::SentenceKind::VDM, 1, rec, ctx);
            TargetRecord& e = table.entry(u.entry);
            e.PositionKnown = true;  // as the receiver's whereabouts keep it
            return u.entry;
        };
        const double lat0 = scenario % 10 == 0 ? 78 + 4 * unit(random) : -75 + 150 * unit(random);
        const double lon0 = scenario % 7 == 0 ? 179.9 : 360 * unit(random) - 180;
        Motion own{lat0, lon0, 20 * unit(random), 360 * unit(random)};
        const double away = scenario % 5 == 0 ? 200 + 1500 * unit(random) : 5 + 100 * unit(random);
        const double bearing = 360 * unit(random);
        Motion target = Offset(lat0, lon0, away * std::sin(bearing * kRad), away * std::cos(bearing * kRad), 0, 0);
        const bool matched = scenario % 4 == 0;  // at the own ship's speed and course
        target.sog = matched ? own.sog : 25 * unit(random);
        target.cog = matched ? own.cog : std::fmod(bearing + 180 + 60 * (unit(random) - 0.5) + 360, 360);
        for (int step = 0; step < 60; ++step) {
            const double t = step * 10.0;
            bool decided[2];
            for (int k = 0; k < 2; ++k) {
                TargetTable& table = tables[k];
                const int o = place(table, 257000001, own, t);
                table.setOwnShip(o);
                const int n = place(table, 257000002, target, t);
                if (k == 1) table.entry(n).FarRange = 0;
                const std::optional<ApproachPlane> plane = OwnShipPlane(table, o);
                ASSERT_TRUE(plane.has_value());
                const double before = table.entry(n).FarRange;
                decided[k] = DeferApproach(table, o, n, *limits[(scenario + step / 20) % 3], *plane);
                if (k == 0 && decided[0]) {
                    ++deferred;
                    if (before > 0 && table.entry(n).FarRange == before) ++remembered;
                }
            }
            ASSERT_EQ(decided[0], decided[1]) << "scenario " << scenario << " step " << step << " own " << own.latitude
                                              << " " << own.longitude << " target " << target.latitude << " "
                                              << target.longitude;
            // On: mostly a few miles a report, now and then a long jump.
            const double leap = step % 17 == 16 ? 40 * unit(random) : 1;
            own = Offset(own.latitude, own.longitude, leap * own.sog / 60 * std::sin(own.cog * kRad),
                         leap * own.sog / 60 * std::cos(own.cog * kRad), own.sog, own.cog);
            const double run = step % 13 == 12 ? 60 * unit(random) : leap;
            target = Offset(target.latitude, target.longitude, run * target.sog / 60 * std::sin(target.cog * kRad),
                            run * target.sog / 60 * std::cos(target.cog * kRad), target.sog, target.cog);
            if (std::fabs(target.latitude) > 84 || std::fabs(own.latitude) > 84) break;
            kept += decided[0];
        }
    }
    // The margin was used, and often: the test is about it.
    EXPECT_GT(remembered, deferred / 2);
    EXPECT_GT(kept, 1000);
}

}  // namespace
}  // namespace targets
