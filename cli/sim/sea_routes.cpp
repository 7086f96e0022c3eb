#include "cli/sim/sea_routes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "cli/sim/scenario.h"
#include "plot/coastline.h"
#include "plot/gshhg.h"

namespace sim {
namespace {

constexpr double kKnot = 1852.0 / 3600.0;   // metres per second
constexpr double kMetresPerDegree = 111000.0;  // of latitude, near enough for sizing cells
constexpr double kCellsAcross = 600.0;
constexpr double kReach = 1.3;               // the map covers this many radii around the centre
constexpr double kUnderWayClearanceM = 300.0;
constexpr int kTries = 12;                   // goals tried for a leg, each way of turning
constexpr double kMaxPieceM = 5000.0;        // traced straight pieces
constexpr double kMaxTurnPiece = 10.0;       // degrees of a traced turn per piece

// The file resolution for an area: finer for smaller areas, as the plot's
// scales pick them.
plot::ShoreResolution WantedFor(double radiusM) {
    const double nm = radiusM / 1852.0;
    if (nm <= 60) return plot::ShoreResolution::High;
    if (nm <= 150) return plot::ShoreResolution::Intermediate;
    return plot::ShoreResolution::Low;
}

std::unique_ptr<plot::GshhgFile> OpenNearest(plot::ShoreResolution wanted,
                                            const std::vector<std::filesystem::path>& folders, char& letter) {
    std::vector<int> order;
    for (int r = static_cast<int>(wanted); r >= 0; --r) order.push_back(r);
    for (int r = static_cast<int>(wanted) + 1; r < plot::kShoreResolutions; ++r) order.push_back(r);
    for (int r : order) {
        letter = plot::ResolutionLetter(static_cast<plot::ShoreResolution>(r));
        const std::string name = std::string("binned_GSHHS_") + letter + ".nc";
        for (const auto& folder : folders) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(folder / name, ec)) continue;
            auto opened = plot::GshhgFile::open(folder / name);
            if (auto* f = std::get_if<std::unique_ptr<plot::GshhgFile>>(&opened)) return std::move(*f);
        }
    }
    return nullptr;
}

// Level of every cell centre, painted polygon by polygon (even-odd, one
// scan line per row of cells) in rising level, so a cell ends with the
// highest level whose area holds it, as plot::LevelInBin decides.
class Painter {
public:
    Painter(std::vector<uint8_t>& levels, int cols, int rows, double west, double south, double dLon, double dLat)
        : levels_(levels), cols_(cols), rows_(rows), west_(west), south_(south), dLon_(dLon), dLat_(dLat),
          crossings_(static_cast<size_t>(rows)) {}

    void fill(const std::vector<plot::GeoPoint>& ring, int level) {
        const size_t n = ring.size();
        if (n < 3) return;
        int lo = rows_, hi = -1;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const plot::GeoPoint& a = ring[i];
            const plot::GeoPoint& b = ring[j];
            // Rows whose centre latitude y has (a.lat > y) != (b.lat > y).
            const double low = std::min(a.lat, b.lat), high = std::max(a.lat, b.lat);
            const int r0 = std::max(0, static_cast<int>(std::ceil((low - south_) / dLat_ - 0.5)));
            const int r1 = std::min(rows_ - 1, static_cast<int>(std::ceil((high - south_) / dLat_ - 0.5)) - 1);
            for (int r = r0; r <= r1; ++r) {
                const double y = south_ + (r + 0.5) * dLat_;
                if ((a.lat > y) == (b.lat > y)) continue;
                crossings_[static_cast<size_t>(r)].push_back(a.lon + (y - a.lat) * (b.lon - a.lon) / (b.lat - a.lat));
                lo = std::min(lo, r);
                hi = std::max(hi, r);
            }
        }
        for (int r = lo; r <= hi; ++r) {
            auto& xs = crossings_[static_cast<size_t>(r)];
            std::sort(xs.begin(), xs.end());
            for (size_t k = 0; k + 1 < xs.size(); k += 2) {
                const int c0 = std::max(0, static_cast<int>(std::ceil((xs[k] - west_) / dLon_ - 0.5)));
                const int c1 = std::min(cols_, static_cast<int>(std::ceil((xs[k + 1] - west_) / dLon_ - 0.5)));
                for (int c = c0; c < c1; ++c) levels_[static_cast<size_t>(r) * cols_ + c] = static_cast<uint8_t>(level);
            }
            xs.clear();
        }
    }

    // Marks every cell a shoreline passes through (sampled every half cell).
    void markLine(const std::vector<plot::GeoPoint>& line) {
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            const double u0 = (line[i].lon - west_) / dLon_, v0 = (line[i].lat - south_) / dLat_;
            const double u1 = (line[i + 1].lon - west_) / dLon_, v1 = (line[i + 1].lat - south_) / dLat_;
            const int steps = static_cast<int>(std::ceil(2 * std::max(std::fabs(u1 - u0), std::fabs(v1 - v0)))) + 1;
            for (int k = 0; k <= steps; ++k) {
                const double f = static_cast<double>(k) / steps;
                const double u = u0 + f * (u1 - u0), v = v0 + f * (v1 - v0);
                if (u < 0 || v < 0 || u >= cols_ || v >= rows_) continue;
                levels_[static_cast<size_t>(v) * cols_ + static_cast<size_t>(u)] = kShore;
            }
        }
    }

    static constexpr uint8_t kShore = 255;

private:
    std::vector<uint8_t>& levels_;
    int cols_, rows_;
    double west_, south_, dLon_, dLat_;
    std::vector<std::vector<double>> crossings_;
};

}  // namespace

std::shared_ptr<const SeaMap> SeaMap::Build(GeoPoint centre, double radiusM,
                                            const std::vector<std::filesystem::path>& folders) {
    char letter = 'h';
    const std::unique_ptr<plot::GshhgFile> file = OpenNearest(WantedFor(radiusM), folders, letter);
    if (!file) return nullptr;

    std::shared_ptr<SeaMap> map(new SeaMap);
    map->letter_ = letter;
    map->cellM_ = 2 * kReach * radiusM / kCellsAcross;
    map->need_ = std::max(4, static_cast<int>(std::ceil(kUnderWayClearanceM / map->cellM_)) + 1);
    const double halfLat = kReach * radiusM / kMetresPerDegree;
    const double south = std::max(-89.9, centre.lat - halfLat), north = std::min(89.9, centre.lat + halfLat);
    const double widest = std::min(89.0, std::max(std::fabs(south), std::fabs(north)));
    const double halfLon = std::min(179.0, kReach * radiusM / (kMetresPerDegree * std::cos(widest * M_PI / 180)));
    map->dLat_ = map->cellM_ / kMetresPerDegree;
    map->dLon_ = map->cellM_ / (kMetresPerDegree * std::cos(std::min(89.0, std::fabs(centre.lat)) * M_PI / 180));
    map->south_ = south;
    map->west_ = centre.lon - halfLon;
    map->rows_ = std::clamp(static_cast<int>(std::ceil((north - south) / map->dLat_)), 1, 4000);
    map->cols_ = std::clamp(static_cast<int>(std::ceil(2 * halfLon / map->dLon_)), 1, 4000);

    std::vector<uint8_t> levels(static_cast<size_t>(map->rows_) * map->cols_, 0);
    Painter paint(levels, map->cols_, map->rows_, map->west_, map->south_, map->dLon_, map->dLat_);
    for (const plot::BinRef& ref : file->binsIn(map->west_, south, map->west_ + map->cols_ * map->dLon_, north)) {
        const std::optional<plot::RawBin> bin = file->readBin(ref);
        if (!bin) return nullptr;  // a damaged file: better no land than wrong land
        std::vector<plot::LevelPolygon> areas = plot::WalkBin(*bin, true);
        for (plot::LevelPolygon& wet : plot::WalkBin(*bin, false)) areas.push_back(std::move(wet));
        std::vector<std::vector<plot::GeoPoint>> shore;
        for (const plot::BinSegment& s : bin->segments) {
            if (s.points.empty()) continue;
            std::vector<plot::GeoPoint> line;
            for (plot::BinPoint p : s.points) line.push_back(bin->toGeo(p));
            if (s.entry == plot::kInside || s.exit == plot::kInside) {
                areas.push_back({s.level, line});
                line.push_back(line.front());
            }
            shore.push_back(std::move(line));
        }
        std::stable_sort(areas.begin(), areas.end(), [](const auto& a, const auto& b) { return a.level < b.level; });
        for (const plot::LevelPolygon& a : areas) paint.fill(a.points, a.level);
        for (const auto& line : shore) paint.markLine(line);
    }

    // Chebyshev distance in cells to the nearest cell that is not open sea,
    // in two sweeps.
    const int cols = map->cols_, rows = map->rows_;
    map->clear_.assign(levels.size(), 0);
    auto& d = map->clear_;
    for (size_t i = 0; i < levels.size(); ++i) d[i] = levels[i] == 0 ? 250 : 0;
    auto relax = [&](int r, int c, int rr, int cc) {
        if (rr < 0 || cc < 0 || rr >= rows || cc >= cols) return;
        uint8_t& here = d[static_cast<size_t>(r) * cols + c];
        here = std::min<uint8_t>(here, static_cast<uint8_t>(d[static_cast<size_t>(rr) * cols + cc] + 1));
    };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            relax(r, c, r - 1, c - 1), relax(r, c, r - 1, c), relax(r, c, r - 1, c + 1), relax(r, c, r, c - 1);
        }
    }
    for (int r = rows - 1; r >= 0; --r) {
        for (int c = cols - 1; c >= 0; --c) {
            relax(r, c, r + 1, c + 1), relax(r, c, r + 1, c), relax(r, c, r + 1, c - 1), relax(r, c, r, c + 1);
        }
    }
    return map;
}

double SeaMap::u(double lon) const {
    double rel = std::fmod(lon - west_, 360.0);
    if (rel < 0) rel += 360.0;
    return rel / dLon_;
}

int SeaMap::at(double col, double row) const {
    if (!(col >= 0 && row >= 0 && col < cols_ && row < rows_)) return 0;
    return clear_[static_cast<size_t>(row) * cols_ + static_cast<size_t>(col)];
}

int SeaMap::clearance(GeoPoint p) const { return at(u(p.lon), v(p.lat)); }

bool SeaMap::pathNavigable(const std::vector<GeoPoint>& points) const {
    for (size_t i = 0; i < points.size(); ++i) {
        const double u0 = u(points[i].lon), v0 = v(points[i].lat);
        if (at(u0, v0) < need_) return false;
        if (i + 1 == points.size()) break;
        // Across the antimeridian the short way.
        double du = u(points[i + 1].lon) - u0;
        const double turn = 360.0 / dLon_;
        if (du > turn / 2) du -= turn;
        if (du < -turn / 2) du += turn;
        const double dv = v(points[i + 1].lat) - v0;
        const int steps = static_cast<int>(std::ceil(2 * std::max(std::fabs(du), std::fabs(dv))));
        for (int k = 1; k < steps; ++k) {
            const double f = static_cast<double>(k) / steps;
            if (at(u0 + f * du, v0 + f * dv) < need_) return false;
        }
    }
    return true;
}

GeoPoint PointInDisc(GeoPoint c, double r, Rng& rng) {
    const double d = r * std::sqrt(rng.uniform());
    return DirectGeodesic(c, rng.uniform(0, 360), d).end;
}

std::optional<GeoPoint> SeaPointInDisc(const SeaMap& sea, GeoPoint c, double r, Rng& rng, bool underWay) {
    for (int i = 0; i < 4 * kTries; ++i) {
        const GeoPoint p = PointInDisc(c, r, rng);
        if (underWay ? sea.navigable(p) : sea.atSea(p)) return p;
    }
    return std::nullopt;
}

GeoPoint HarbourOnShore(const SeaMap& sea, GeoPoint centre, double bearing, double distanceM) {
    const GeoPoint far = DirectGeodesic(centre, bearing, distanceM).end;
    if (!sea.atSea(centre)) return far;
    const double step = sea.cellMetres() / 2;
    GeoPoint last = centre;
    for (double d = step; d < distanceM; d += step) {
        const GeoPoint p = DirectGeodesic(centre, bearing, d).end;
        if (!sea.atSea(p)) return last;
        last = p;
    }
    return far;
}

namespace {

// The straight run from p on a steady course, as AdvanceStation sails it,
// in pieces of at most kMaxPieceM.
void TraceStraight(GeoPoint p, double course, double distanceM, std::vector<GeoPoint>& out) {
    out.push_back(p);
    for (double done = 0; done < distanceM; done += kMaxPieceM) {
        p = DirectGeodesic(p, course, std::min(kMaxPieceM, distanceM - done)).end;
        out.push_back(p);
    }
}

// The turn from `from` through `turn` degrees (signed) at `rate` degrees per
// minute and `sog` knots; returns where it ends.
GeoPoint TraceTurn(GeoPoint p, double course, double turn, double rate, double sog, std::vector<GeoPoint>& out) {
    out.push_back(p);
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(turn) / kMaxTurnPiece)));
    const double piece = turn / pieces;
    const double distance = sog * kKnot * std::fabs(piece) / rate * 60.0;
    for (int k = 0; k < pieces; ++k) {
        p = DirectGeodesic(p, course + piece / 2, distance).end;
        course += piece;
        out.push_back(p);
    }
    return p;
}

struct Leg {
    double course = 0, sog = 0, sailing = 0;  // sailing: seconds of the straight run
};

// A candidate leg towards a goal of the area, as the simulator always chose them.
Leg DrawLeg(Station& s, const Scenario& sc) {
    Rng& r = s.rng;
    const double fromCentre = RoughDistance(sc.centre, s.pos);
    const GeoPoint goal = fromCentre > sc.radiusM ? PointInDisc(sc.centre, 0.5 * sc.radiusM, r)
                                                  : PointInDisc(sc.centre, sc.radiusM, r);
    Leg leg;
    leg.course = InitialBearing(s.pos, goal);
    leg.sog = std::max(0.1, s.cruiseSpeed * r.uniform(0.9, 1.1));
    leg.sailing = std::clamp(RoughDistance(s.pos, goal) / (leg.sog * kKnot), s.legMinSeconds, s.legMaxSeconds);
    return leg;
}

// Whether the leg stays at sea: turning under way (or on the spot) and then
// the straight run.
bool LegAtSea(const SeaMap& sea, const Station& s, const Leg& leg, bool onTheSpot, std::vector<GeoPoint>& trace) {
    trace.clear();
    GeoPoint from = s.pos;
    const double diff = AngleDifference(leg.course, s.cog);
    if (!onTheSpot && std::fabs(diff) >= 1.0) from = TraceTurn(s.pos, s.cog, diff, s.turnRate, leg.sog, trace);
    TraceStraight(from, leg.course, leg.sog * kKnot * leg.sailing, trace);
    return sea.pathNavigable(trace);
}

}  // namespace

void StartLeg(Station& s, const Scenario& sc, double now) {
    const bool checked = sc.sea && s.kind != StationKind::SarAircraft;
    std::vector<GeoPoint> trace;
    Leg leg = DrawLeg(s, sc);
    bool onTheSpot = false, found = !checked || LegAtSea(*sc.sea, s, leg, false, trace);
    for (int i = 1; !found && i < 2 * kTries; ++i) {
        onTheSpot = i >= kTries;
        leg = DrawLeg(s, sc);
        found = LegAtSea(*sc.sea, s, leg, onTheSpot, trace);
    }
    if (!found) {
        // Nothing clear from here: wait and look again.
        s.sog = 0;
        s.rot = 0;
        s.resumeSpeed = 0;
        s.legEnds = now + s.legMinSeconds;
        return;
    }
    s.targetCourse = leg.course;
    s.sog = leg.sog;
    s.resumeSpeed = 0;
    const double diff = AngleDifference(s.targetCourse, s.cog);
    double turnSeconds = 0;
    if (std::fabs(diff) < 1.0) {
        s.cog = s.targetCourse;
        s.rot = 0;
    } else {
        s.rot = diff > 0 ? s.turnRate : -s.turnRate;
        turnSeconds = std::fabs(diff) / s.turnRate * 60.0;
        if (onTheSpot) {
            s.resumeSpeed = s.sog;
            s.sog = 0;
        }
    }
    s.legEnds = now + turnSeconds + leg.sailing;
    if (s.kind == StationKind::SarAircraft)
        s.altitude = static_cast<int16_t>(std::clamp(s.altitude + s.rng.range(-50, 50), 100, 900));
}

void PlaceAtSea(Station& s, const Scenario& sc, GeoPoint near, double nearRadiusM) {
    if (!sc.sea || s.kind == StationKind::SarAircraft || s.kind == StationKind::BaseStation) return;
    const SeaMap& sea = *sc.sea;
    const bool underWay = s.moving;
    auto seaPoint = [&](GeoPoint c, double r) {
        std::optional<GeoPoint> p = SeaPointInDisc(sea, c, r, s.rng, underWay);
        if (!p) p = SeaPointInDisc(sea, sc.centre, sc.radiusM, s.rng, underWay);
        return p;
    };
    if (s.kind == StationKind::AtoN) {
        if (sea.atSea(s.assigned)) return;
        const std::optional<GeoPoint> p = seaPoint(s.assigned, 0.1 * sc.radiusM);
        if (!p) return;
        const GeoPoint off = s.offPosition ? DirectGeodesic(*p, s.rng.uniform(0, 360), s.rng.uniform(150, 400)).end : *p;
        s.assigned = *p;
        s.pos = off;
        return;
    }
    if (!(underWay ? sea.navigable(s.pos) : sea.atSea(s.pos))) {
        if (const std::optional<GeoPoint> p = seaPoint(near, nearRadiusM)) s.pos = *p;
    }
    if (!underWay) return;
    // The first leg is a straight run on the course it was given.
    std::vector<GeoPoint> trace;
    TraceStraight(s.pos, s.cog, s.sog * kKnot * s.legEnds, trace);
    if (!sea.pathNavigable(trace)) s.legEnds = 0;  // chooses a checked leg at once
}

}  // namespace sim
