#include "plot/chart_prepare.h"

#include <algorithm>
#include <cmath>

namespace plot {

namespace {

// Douglas-Peucker runs over pieces of at most this many points: its worst
// case is quadratic in the length of what it is given.
constexpr size_t kPiece = 1024;

double Dist2(const GridPoint& a, const GridPoint& b) {
    const double de = a.e - b.e, dn = a.n - b.n;
    return de * de + dn * dn;
}

// Squared distance of p from the segment a-b (from a when they coincide).
double SegmentDist2(const GridPoint& p, const GridPoint& a, const GridPoint& b) {
    const double de = b.e - a.e, dn = b.n - a.n;
    const double len2 = de * de + dn * dn;
    if (len2 == 0) return Dist2(p, a);
    const double t = std::clamp(((p.e - a.e) * de + (p.n - a.n) * dn) / len2, 0.0, 1.0);
    return Dist2(p, {a.e + t * de, a.n + t * dn});
}

// Marks in `keep` the points of cand[first..last] that Douglas-Peucker keeps
// (the ends are marked by the caller).
void MarkPiece(const std::vector<GridPoint>& points, const std::vector<size_t>& cand, size_t first, size_t last,
               double tol2, std::vector<char>& keep, std::vector<std::pair<size_t, size_t>>& stack) {
    stack.clear();
    stack.emplace_back(first, last);
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        if (b <= a + 1) continue;
        double worst = -1;
        size_t at = a;
        for (size_t i = a + 1; i < b; ++i) {
            const double d = SegmentDist2(points[cand[i]], points[cand[a]], points[cand[b]]);
            if (d > worst) worst = d, at = i;
        }
        if (worst <= tol2) continue;
        keep[at] = 1;
        stack.emplace_back(a, at);
        stack.emplace_back(at, b);
    }
}

// Closes a ring's part: at least 3 points, else nothing is drawn of it.
constexpr size_t MinPoints(bool closed) { return closed ? 3 : 2; }

}  // namespace

double BandTolerance(int band) { return kFinestTolerance * std::pow(4.0, band); }

int BandFor(double metresPerPixel) {
    int band = 0;
    while (band + 1 < kChartBands && BandTolerance(band + 1) <= metresPerPixel / 2) ++band;
    return band;
}

std::vector<size_t> SimplifyIndices(const std::vector<GridPoint>& points, double tolerance, bool closed) {
    size_t n = points.size();
    if (closed && n >= 2 && points.back().e == points.front().e && points.back().n == points.front().n) --n;
    if (n <= MinPoints(closed)) {
        std::vector<size_t> all(n);
        for (size_t i = 0; i < n; ++i) all[i] = i;
        return all;
    }
    // A cheap first pass drops points within half the tolerance of the last
    // one kept: dense input shrinks in linear time before the real work.
    const double radial2 = tolerance * tolerance / 4;
    std::vector<size_t> cand{0};
    for (size_t i = 1; i < n; ++i) {
        if (Dist2(points[i], points[cand.back()]) > radial2) cand.push_back(i);
    }
    if (!closed && cand.back() != n - 1) {
        if (cand.size() > 1 && Dist2(points[cand.back()], points[n - 1]) <= radial2) cand.back() = n - 1;
        else cand.push_back(n - 1);
    }
    if (closed) cand.push_back(0);  // the ring returns to its start
    const size_t m = cand.size();
    std::vector<char> keep(m, 0);
    std::vector<std::pair<size_t, size_t>> stack;
    const double tol2 = tolerance * tolerance;
    for (size_t first = 0; first + 1 < m; first += kPiece) {
        const size_t last = std::min(first + kPiece, m - 1);
        keep[first] = keep[last] = 1;
        MarkPiece(points, cand, first, last, tol2, keep, stack);
    }
    std::vector<size_t> out;
    for (size_t i = 0; i < m; ++i) {
        if (keep[i]) out.push_back(cand[i]);
    }
    if (closed) out.pop_back();
    return out;
}

std::vector<GridPoint> Simplify(const std::vector<GridPoint>& points, double tolerance, bool closed) {
    std::vector<GridPoint> out;
    for (size_t i : SimplifyIndices(points, tolerance, closed)) out.push_back(points[i]);
    return out;
}

namespace {

bool Cancelled(const PrepareControl& c) { return c.cancel && c.cancel->load(std::memory_order_relaxed); }

// Band 0 of one part: simplified in metres of a plane about its first point
// (close enough to the grid at a quarter of a metre), then only the points
// kept are converted to the grid.
GridPath FinestPart(const std::vector<GeoPoint>& part, bool closed, const geodesy::DatumTable& datum) {
    GridPath path;
    if (part.empty()) return path;
    const double ky = 110574.0, kx = 111320.0 * std::cos(part.front().lat * M_PI / 180);
    std::vector<GridPoint> local;
    local.reserve(part.size());
    for (const GeoPoint& p : part) local.push_back({p.lon * kx, p.lat * ky});
    const std::vector<size_t> kept = SimplifyIndices(local, kFinestTolerance, closed);
    if (kept.size() < MinPoints(closed)) return path;
    path.points.reserve(kept.size());
    for (size_t i : kept) path.points.push_back(ToGridPoint(datum, part[i].lat, part[i].lon));
    SetBounds(path);
    return path;
}

}  // namespace

PrepareResult PrepareChart(std::shared_ptr<const VectorChart> source, const geodesy::DatumTable& datum,
                           const PrepareControl& control) {
    PrepareResult result;
    auto prepared = std::make_shared<PreparedChart>();
    prepared->zone = datum.datumSlots[1].zone;
    size_t total = 0, done = 0, reported = 0;
    for (const ChartFeature& f : source->features) {
        for (const auto& part : f.parts) total += part.size();
    }
    auto report = [&](double share) {
        if (control.progress && total > 0 && done - reported > total / 50) {
            reported = done;
            control.progress(share * static_cast<double>(done) / static_cast<double>(total));
        }
    };
    auto& finest = prepared->bands[0];
    finest.reserve(source->features.size());
    for (const ChartFeature& f : source->features) {
        std::vector<GridPath> parts;
        for (const auto& part : f.parts) {
            if (Cancelled(control)) return {nullptr, {}, true};
            if (f.kind == FeatureKind::Point) {
                GridPath p;
                if (!part.empty()) p.points.push_back(ToGridPoint(datum, part[0].lat, part[0].lon));
                SetBounds(p);
                parts.push_back(std::move(p));
            } else {
                parts.push_back(FinestPart(part, f.kind == FeatureKind::Area, datum));
            }
            prepared->vertices += parts.back().points.size();
            if (prepared->vertices > control.budget) {
                result.error = "Cannot open chart " + source->path + ": it has more than " +
                               std::to_string(control.budget) + " points even simplified to a quarter of a metre, too many to draw";
                return result;
            }
            done += part.size();
            report(0.8);
        }
        finest.push_back(std::move(parts));
    }
    for (int band = 1; band < kChartBands; ++band) {
        if (Cancelled(control)) return {nullptr, {}, true};
        const double tolerance = BandTolerance(band);
        auto& out = prepared->bands[static_cast<size_t>(band)];
        const auto& from = prepared->bands[static_cast<size_t>(band - 1)];
        out.reserve(from.size());
        for (size_t k = 0; k < from.size(); ++k) {
            const bool closed = source->features[k].kind == FeatureKind::Area;
            const bool point = source->features[k].kind == FeatureKind::Point;
            std::vector<GridPath> parts;
            parts.reserve(from[k].size());
            for (const GridPath& p : from[k]) {
                GridPath q;
                if (point) {
                    q = p;
                } else if (p.points.size() >= MinPoints(closed)) {
                    q.points = Simplify(p.points, tolerance, closed);
                    if (q.points.size() < MinPoints(closed)) q.points.clear();
                    SetBounds(q);
                }
                parts.push_back(std::move(q));
            }
            out.push_back(std::move(parts));
        }
        if (control.progress) control.progress(0.8 + 0.2 * band / (kChartBands - 1));
    }
    prepared->source = std::move(source);
    result.chart = std::move(prepared);
    return result;
}

}  // namespace plot
