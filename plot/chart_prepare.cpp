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

// The points each band keeps of one part, as indices into the part; each
// band's are a subset of the band before, in the same order.
using PartBands = std::array<std::vector<uint32_t>, kChartBands>;

// Simplified in metres of a plane about the part's first point: at these
// tolerances as good as the grid, and much cheaper than converting every
// point of a source of millions.
bool SimplifyPart(const std::vector<GeoPoint>& part, bool closed, const PrepareControl& control, PartBands& out) {
    if (part.empty()) return true;
    const double ky = 110574.0, kx = 111320.0 * std::cos(part.front().lat * M_PI / 180);
    std::vector<GridPoint> local;
    local.reserve(part.size());
    for (const GeoPoint& p : part) local.push_back({p.lon * kx, p.lat * ky});
    std::vector<GridPoint> from;
    for (int band = 0; band < kChartBands; ++band) {
        if (Cancelled(control)) return false;
        auto& kept = out[static_cast<size_t>(band)];
        if (band == 0) {
            for (size_t i : SimplifyIndices(local, BandTolerance(0), closed)) kept.push_back(static_cast<uint32_t>(i));
        } else {
            const auto& before = out[static_cast<size_t>(band - 1)];
            from.clear();
            for (uint32_t i : before) from.push_back(local[i]);
            for (size_t i : SimplifyIndices(from, BandTolerance(band), closed)) kept.push_back(before[i]);
        }
        if (kept.size() < MinPoints(closed)) kept.clear();
    }
    return true;
}

// The bands from `finest` on in grid metres: the points of the finest are
// converted, the coarser bands take theirs from it.
void ToGrid(const std::vector<GeoPoint>& part, const PartBands& kept, int finest, const geodesy::DatumTable& datum,
            PreparedChart& out, size_t feature) {
    const auto& base = kept[static_cast<size_t>(finest)];
    std::vector<GridPoint> grid;
    grid.reserve(base.size());
    for (uint32_t i : base) grid.push_back(ToGridPoint(datum, part[i].lat, part[i].lon));
    for (int band = finest; band < kChartBands; ++band) {
        GridPath path;
        const auto& mine = kept[static_cast<size_t>(band)];
        path.points.reserve(mine.size());
        size_t j = 0;
        for (uint32_t i : mine) {
            while (base[j] != i) ++j;
            path.points.push_back(grid[j]);
        }
        SetBounds(path);
        out.bands[static_cast<size_t>(band)][feature].push_back(std::move(path));
    }
}

}  // namespace

PrepareResult PrepareChart(std::shared_ptr<const VectorChart> source, const geodesy::DatumTable& datum,
                           const PrepareControl& control) {
    const std::vector<ChartFeature>& features = source->features;
    size_t total = 0, done = 0, reported = 0;
    for (const ChartFeature& f : features) {
        for (const auto& part : f.parts) total += part.size();
    }
    // Every band of every part, and each band's total.
    std::vector<std::vector<PartBands>> kept(features.size());
    std::array<size_t, kChartBands> counts{};
    for (size_t k = 0; k < features.size(); ++k) {
        const ChartFeature& f = features[k];
        for (const auto& part : f.parts) {
            PartBands& bands = kept[k].emplace_back();
            if (f.kind == FeatureKind::Point) {
                if (!part.empty()) for (auto& b : bands) b = {0};
            } else if (!SimplifyPart(part, f.kind == FeatureKind::Area, control, bands)) {
                return {nullptr, {}, true};
            }
            for (int band = 0; band < kChartBands; ++band) counts[static_cast<size_t>(band)] += bands[static_cast<size_t>(band)].size();
            done += part.size();
            if (control.progress && total > 0 && done - reported > total / 50) {
                reported = done;
                control.progress(0.9 * static_cast<double>(done) / static_cast<double>(total));
            }
        }
    }
    // The finest band within the budget is drawn at every larger scale too.
    int finest = 0;
    while (finest < kChartBands && counts[static_cast<size_t>(finest)] > control.budget) ++finest;
    PrepareResult result;
    if (finest == kChartBands) {
        result.error = "Cannot open chart " + source->path + ": it keeps more than " + std::to_string(control.budget) +
                       " points even simplified for the smallest scale, too many to draw";
        return result;
    }
    if (Cancelled(control)) return {nullptr, {}, true};
    auto prepared = std::make_shared<PreparedChart>();
    prepared->zone = datum.datumSlots[1].zone;
    prepared->finest = finest;
    prepared->vertices = counts[static_cast<size_t>(finest)];
    for (int band = finest; band < kChartBands; ++band) prepared->bands[static_cast<size_t>(band)].resize(features.size());
    for (size_t k = 0; k < features.size(); ++k) {
        for (size_t p = 0; p < kept[k].size(); ++p) ToGrid(features[k].parts[p], kept[k][p], finest, datum, *prepared, k);
    }
    if (control.progress) control.progress(1.0);
    prepared->source = std::move(source);
    result.chart = std::move(prepared);
    return result;
}

}  // namespace plot
