#include "plot/map_layer.h"

#include <algorithm>
#include <cmath>

#include "base/operator_messages.h"
#include "geodesy/grid.h"

namespace plot {

namespace {

// Points closer than this to the last kept one add nothing a pixel can show.
constexpr double kThinning = 0.5;

using Point = PlotView::Point;

bool Near(const Point& a, const Point& b) { return std::fabs(a.x - b.x) < kThinning && std::fabs(a.y - b.y) < kThinning; }

}  // namespace

void SetBounds(GridPath& path) {
    if (path.points.empty()) return;
    path.minE = path.maxE = path.points.front().e;
    path.minN = path.maxN = path.points.front().n;
    for (const GridPoint& p : path.points) {
        path.minE = std::min(path.minE, p.e);
        path.maxE = std::max(path.maxE, p.e);
        path.minN = std::min(path.minN, p.n);
        path.maxN = std::max(path.maxN, p.n);
    }
}

GridPoint ToGridPoint(const geodesy::DatumTable& datum, double lat, double lon) {
    base::NullMessageSink quiet;  // the forward conversion reports nothing
    double latRad = lat * geodesy::kDegToRad, lonRad = lon * geodesy::kDegToRad;
    GridPoint p;
    geodesy::GridConvert(datum, 1, latRad, lonRad, p.e, p.n, geodesy::GridDirection::GeogToGrid, quiet);
    return p;
}

std::vector<Point> ClipPolygon(const std::vector<Point>& polygon, double left, double top, double right,
                               double bottom) {
    std::vector<Point> in = polygon, out;
    // One pass per edge: keep what lies inside it, add the crossings.
    auto pass = [&](auto inside, auto cross) {
        out.clear();
        const size_t n = in.size();
        for (size_t i = 0; i < n; ++i) {
            const Point& a = in[(i + n - 1) % n];
            const Point& b = in[i];
            const bool ia = inside(a), ib = inside(b);
            if (ib) {
                if (!ia) out.push_back(cross(a, b));
                out.push_back(b);
            } else if (ia) {
                out.push_back(cross(a, b));
            }
        }
        in.swap(out);
    };
    auto atX = [](const Point& a, const Point& b, double x) {
        return Point{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
    };
    auto atY = [](const Point& a, const Point& b, double y) {
        return Point{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y};
    };
    pass([&](const Point& p) { return p.x >= left; }, [&](const Point& a, const Point& b) { return atX(a, b, left); });
    if (in.empty()) return in;
    pass([&](const Point& p) { return p.x <= right; }, [&](const Point& a, const Point& b) { return atX(a, b, right); });
    if (in.empty()) return in;
    pass([&](const Point& p) { return p.y >= top; }, [&](const Point& a, const Point& b) { return atY(a, b, top); });
    if (in.empty()) return in;
    pass([&](const Point& p) { return p.y <= bottom; }, [&](const Point& a, const Point& b) { return atY(a, b, bottom); });
    return in;
}

void AppendArea(MapPicture& out, const PlotView& view, const std::vector<GridPath>& rings, PathStyle style) {
    if (rings.empty()) return;
    MapPicture one;
    AppendPath(one, view, rings.front(), style);
    if (one.paths.empty()) return;
    MapPath area = std::move(one.paths.front());
    for (size_t i = 1; i < rings.size(); ++i) {
        one.paths.clear();
        AppendPath(one, view, rings[i], style);
        if (one.paths.empty()) continue;
        area.holes.push_back(area.points.size());
        area.points.insert(area.points.end(), one.paths.front().points.begin(), one.paths.front().points.end());
    }
    out.paths.push_back(std::move(area));
}

void AppendPath(MapPicture& out, const PlotView& view, const GridPath& path, PathStyle style) {
    if (path.points.size() < 2) return;
    const double left = -kMapMargin, top = -kMapMargin;
    const double right = view.widthPx + kMapMargin, bottom = view.heightPx + kMapMargin;
    auto toPixel = [&](const GridPoint& p) { return GridToPixel(view, p); };
    const Point low = toPixel({path.minE, path.maxN});
    const Point high = toPixel({path.maxE, path.minN});
    if (high.x < left || low.x > right || high.y < top || low.y > bottom) return;
    const bool inside = low.x >= left && high.x <= right && low.y >= top && high.y <= bottom;

    std::vector<Point> pixels;
    pixels.reserve(path.points.size());
    for (const GridPoint& g : path.points) {
        const Point p = toPixel(g);
        if (pixels.empty() || !Near(p, pixels.back())) pixels.push_back(p);
    }
    if (style.fill != MapColour::None) {
        if (!inside) pixels = ClipPolygon(pixels, left, top, right, bottom);
        if (pixels.size() < 3) return;
        out.paths.push_back({style, std::move(pixels), {}});
        return;
    }
    if (inside) {
        if (pixels.size() >= 2) out.paths.push_back({style, std::move(pixels), {}});
        return;
    }
    // A line leaves the picture and may come back: one piece per visit.
    MapPath piece{style, {}, {}};
    for (size_t i = 1; i < pixels.size(); ++i) {
        double x1 = pixels[i - 1].x, y1 = pixels[i - 1].y, x2 = pixels[i].x, y2 = pixels[i].y;
        if (!ClipLine(x1, y1, x2, y2, left, top, right, bottom)) continue;
        const Point a{x1, y1}, b{x2, y2};
        if (!piece.points.empty() && (piece.points.back().x != a.x || piece.points.back().y != a.y)) {
            if (piece.points.size() >= 2) out.paths.push_back(piece);
            piece.points.clear();
        }
        if (piece.points.empty()) piece.points.push_back(a);
        piece.points.push_back(b);
    }
    if (piece.points.size() >= 2) out.paths.push_back(std::move(piece));
}

}  // namespace plot
