#include "plot/plot_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/number_format.h"
#include "geodesy/geodetic.h"
#include "geodesy/grid.h"
#include "geodesy/position_text.h"

namespace plot {

namespace {

// Sideways and astern legs of the hull use the exact degree factor, the
// forward legs the program's rounded one (geodesy::kDegToRad).
constexpr double kSideDegToRad = 0.017453292519943295;

bool ValidAngle(double degrees) { return std::isfinite(degrees) && degrees >= 0 && degrees < 360; }

}  // namespace

float RingSpacing(int32_t scale) {
    if (scale < 1000) return 0.01f;
    return static_cast<float>(std::floor(scale / 1000.0) / 100.0);
}

int32_t GridTick(int32_t scale) {
    if (scale <= 100) return 1;
    return static_cast<int32_t>(std::lround(scale / 100.0));
}

std::string RingPanelText(int32_t scale, float spacing) {
    const char* pattern = scale < 10000 ? "0.00 nmile  " : scale < 100000 ? "0.0 nmile  " : "0 nmile  ";
    return "RangeRings : " + base::formatNumber(spacing, pattern);
}

std::string GridTickText(int32_t tick) { return base::NumberText(tick) + " m"; }

std::string ZonePanelText(int zone) {
    const double meridian = geodesy::CentralMeridian(zone);
    return "UTM Zone" + base::NumberText(zone) + " (" + base::formatNumber(std::fabs(meridian), "000") +
           (zone >= 31 ? "\u00b0E) " : "\u00b0W) ");
}

double AddAngle(double a, double b) {
    double r = a + b;
    if (!std::isfinite(r)) return 0;
    r = std::fmod(r, 360.0);
    if (r < 0) r += 360.0;
    return r >= 360.0 ? 0.0 : r;
}

PlotView::Point PlotView::toPixel(double x, double y) const {
    const double m = metresPerPixel();
    return {widthPx / 2 + x / m, heightPx / 2 - y / m};
}

PlotView::Point PlotView::toPicture(double px, double py) const {
    const double m = metresPerPixel();
    return {(px - widthPx / 2) * m, (heightPx / 2 - py) * m};
}

int ZoomIndex(int selected, int32_t scale, bool zoomIn) {
    const int last = static_cast<int>(kScaleList.size()) - 1;
    if (selected < 0 || selected > last) {
        if (zoomIn) {
            for (int i = last - 1; i >= 0; --i) {
                if (kScaleList[static_cast<size_t>(i)] < scale) return i;
            }
            return 0;
        }
        for (int i = 1; i <= last; ++i) {
            if (kScaleList[static_cast<size_t>(i)] > scale) return i;
        }
        return last;
    }
    if (zoomIn) return selected > 0 ? selected - 1 : -1;
    return selected < last ? selected + 1 : -1;
}

ZoomButtons ZoomButtonState(int32_t scale) {
    if (scale <= kScaleList.front()) return {false, true};
    if (scale >= kScaleList.back()) return {true, false};
    return {true, true};
}

std::optional<int32_t> ScaleFromText(const std::string& text) {
    const double value = std::round(base::ReadNumberText(text));
    // Larger denominators than this would show a picture wider than the earth.
    if (!(value >= 1) || value > 1e9) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<ZoomResult> ZoomBox(const PlotView& view, double x0, double y0, double x1, double y1) {
    const double width = view.widthMetres();
    const double height = view.heightMetres();
    const double dx = std::fabs(x1 - x0);
    const double dy = std::fabs(y1 - y0);
    if (!(width > 0 && height > 0) || !(dx > width / 20)) return std::nullopt;
    const double left = std::min(x0, x1), right = std::max(x0, x1);
    const double bottom = std::min(y0, y1), top = std::max(y0, y1);
    // The whole box is shown: the side that needs more room decides the scale.
    const double factor = std::max(dx / width, dy / height);
    ZoomResult r;
    r.scale = static_cast<int32_t>(std::max(1.0, std::round(factor * view.scale)));
    r.centreE = view.centreE + left + (right - left) / 2;
    r.centreN = view.centreN + bottom + (top - bottom) / 2;
    return r;
}

bool ClipLine(double& x1, double& y1, double& x2, double& y2, double left, double bottom, double right, double top) {
    // Liang-Barsky: the part of the parameter range 0..1 inside every edge.
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - left, right - x1, y1 - bottom, top - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double sx = x1, sy = y1;
    x1 = sx + t0 * dx;
    y1 = sy + t0 * dy;
    x2 = sx + t1 * dx;
    y2 = sy + t1 * dy;
    return true;
}

void AppendRangeRings(std::vector<Shape>& out, double cx, double cy, float spacingNm) {
    for (int k = 1; k <= kRingCount; ++k) {
        Shape s;
        s.kind = Shape::Kind::Circle;
        s.colour = PlotColour::DarkGrey;
        s.style = LineStyle::Dot;
        s.x1 = cx;
        s.y1 = cy;
        s.radius = static_cast<double>(spacingNm) * geodesy::kMetresPerNauticalMile * k;
        out.push_back(s);
    }
}

std::optional<PlotView::Point> SpeedVectorEnd(double x, double y, double sog, double cog, int minutes) {
    // Compared in single precision, as speeds are held: 0.1 kn itself has no vector.
    if (!(static_cast<float>(sog) > 0.1f) || !ValidAngle(cog)) return std::nullopt;
    const double length = sog * geodesy::kMetresPerNauticalMile / 60.0 * minutes;
    const double theta = cog * geodesy::kDegToRad;
    return PlotView::Point{geodesy::PolarOffsetX(x, length, theta), geodesy::PolarOffsetY(y, length, theta)};
}

HullOutline HullShape(double x, double y, double heading, double dimA, double dimB, double dimC, double dimD) {
    dimA = std::max(0.0, dimA);
    dimB = std::max(0.0, dimB);
    dimC = std::max(0.0, dimC);
    dimD = std::max(0.0, dimD);
    const double length = dimA + dimB;
    const double beam = dimC + dimD;
    const double astern = AddAngle(heading, 180) * kSideDegToRad;
    const double port = AddAngle(heading, -90) * kSideDegToRad;
    const double starboard = AddAngle(heading, 90) * kSideDegToRad;
    const double ahead = heading * geodesy::kDegToRad;
    auto move = [](PlotView::Point p, double d, double theta) {
        return PlotView::Point{geodesy::PolarOffsetX(p.x, d, theta), geodesy::PolarOffsetY(p.y, d, theta)};
    };
    PlotView::Point stern = move({x, y}, dimB, astern);
    if (dimC != dimD) stern = move(move(stern, dimC, port), beam / 2, starboard);
    const PlotView::Point starboardCorner = move(stern, beam / 2, starboard);
    const PlotView::Point portCorner = move(stern, beam / 2, port);
    const PlotView::Point bow = move(stern, length, ahead);
    HullOutline h;
    h.points = {stern, starboardCorner, move(starboardCorner, 0.8 * length, ahead), bow,
                stern, portCorner,      move(portCorner, 0.8 * length, ahead),      bow};
    return h;
}

std::string TargetLabel(const std::string& name, int32_t mmsi) {
    if (!name.empty()) return name + " ";
    return base::formatNumber(mmsi, "000000000") + " ";
}

}  // namespace plot
