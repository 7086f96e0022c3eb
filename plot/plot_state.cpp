#include "plot/plot_state.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "base/number_format.h"
#include "geodesy/grid.h"
#include "geodesy/position_text.h"
#include "plot/map_layer.h"
#include "plot/plot_state_symbols.h"

namespace plot {

namespace {

using geodesy::kDegToRad;
using geodesy::kMetresPerNauticalMile;
using geodesy::kRadToDeg;

constexpr int kSlot = 1;
constexpr double kSelectionRingPx = 12;

bool UsableLongitude(double lon) { return lon != 0 && std::fabs(lon) <= 180; }

Shape Make(Shape::Kind kind, PlotColour colour, double x1, double y1) {
    Shape s;
    s.kind = kind;
    s.colour = colour;
    s.x1 = x1;
    s.y1 = y1;
    return s;
}

Shape Dot(double x, double y, int width, PlotColour colour) {
    Shape s = Make(Shape::Kind::Dot, colour, x, y);
    s.width = width;
    return s;
}

Shape Line(double x1, double y1, double x2, double y2, PlotColour colour) {
    Shape s = Make(Shape::Kind::Line, colour, x1, y1);
    s.x2 = x2;
    s.y2 = y2;
    return s;
}

Shape Circle(double x, double y, double radius, PlotColour colour, LineStyle style) {
    Shape s = Make(Shape::Kind::Circle, colour, x, y);
    s.radius = radius;
    s.style = style;
    return s;
}

Shape Text(double x, double y, std::string text, PlotColour colour) {
    Shape s = Make(Shape::Kind::Text, colour, x, y);
    s.text = std::move(text);
    return s;
}

// Label rank of a target's class: vessels under way matter most.
int64_t LabelRank(targets::TargetClass c) {
    switch (c) {
        case targets::TargetClass::A:
        case targets::TargetClass::SAR: return 3;
        case targets::TargetClass::B: return 2;
        default: return 1;
    }
}

Shape TargetSymbolShape(const targets::TargetRecord& t, int entry, double x, double y, PlotColour colour) {
    Shape s = Make(Shape::Kind::Symbol, colour, x, y);
    s.symbol = SymbolOf(t);
    s.group = GroupOf(t);
    s.angle = SymbolAngle(t);
    const bool aton = t.Class == targets::TargetClass::AtoN;
    s.dashed = aton && t.VirtualAtoN != 0;
    s.crossed = aton && t.OffPosition != 0;
    s.entry = entry;
    return s;
}

bool ValidHeading(double h) { return std::isfinite(h) && h >= 0 && h < 360; }

// Heading mark or hull outline of one target at (x, y).
void AppendHeadingMark(std::vector<Shape>& out, const targets::TargetRecord& t, double x, double y,
                       PlotColour colour, const PlotView& view) {
    if (t.Class == targets::TargetClass::BS || t.Class == targets::TargetClass::SAR) return;
    const bool aton = t.Class == targets::TargetClass::AtoN;
    if (view.scale > kHullScaleLimit) {
        if (aton || !ValidHeading(t.TrueHeading)) return;
        // A fixed fraction of the window, whatever the scale.
        const double length = std::fabs(view.heightMetres()) / 40;
        const double theta = t.TrueHeading * kDegToRad;
        out.push_back(Line(x, y, geodesy::PolarOffsetX(x, length, theta), geodesy::PolarOffsetY(y, length, theta),
                           colour));
        return;
    }
    // Without a heading the hull lies along the course over ground, when there is one.
    double heading = t.TrueHeading;
    if (!ValidHeading(heading)) {
        if (!ValidHeading(t.Motion.COG)) return;
        heading = t.Motion.COG;
    }
    if (t.Dim.DimA + t.Dim.DimB + t.Dim.DimC + t.Dim.DimD <= 0) return;
    const HullOutline hull = HullShape(x, y, heading, t.Dim.DimA, t.Dim.DimB, t.Dim.DimC, t.Dim.DimD);
    for (size_t chain = 0; chain < 2; ++chain) {
        for (size_t i = 0; i + 1 < 4; ++i) {
            const PlotView::Point& a = hull.points[chain * 4 + i];
            const PlotView::Point& b = hull.points[chain * 4 + i + 1];
            out.push_back(Line(a.x, a.y, b.x, b.y, colour));
        }
    }
}

bool SameGrid(const geodesy::DatumTable& a, const geodesy::DatumTable& b) {
    const auto numbers = [](const geodesy::DatumSlot& s) {
        const geodesy::GridConstants& g = s.grid;
        return std::tie(s.datum.a, s.datum.b, s.datum.f, s.datum.e2, s.zone, g.centralMeridianRad, g.A, g.APerDegree,
                        g.halfB, g.secondEccentricity2, g.e4, g.DTerm, g.CFactor, g.aOneMinusE2);
    };
    return numbers(a.datumSlots[0]) == numbers(b.datumSlots[0]) && numbers(a.datumSlots[1]) == numbers(b.datumSlots[1]);
}

// How far from its position the hull outline of target t may reach, in
// metres: every corner lies within twice the sum of its dimensions.
double HullReachMetres(const targets::TargetRecord& t) {
    return 2.0 * (std::max<double>(0, t.Dim.DimA) + std::max<double>(0, t.Dim.DimB) +
                  std::max<double>(0, t.Dim.DimC) + std::max<double>(0, t.Dim.DimD));
}

// Metres per minute of target t's speed vector.
double VectorMetresPerMinute(const targets::TargetRecord& t) {
    const double sog = t.Motion.SOG;
    return std::isfinite(sog) && sog > 0 ? sog * kMetresPerNauticalMile / 60.0 : 0;
}

// A target at (x, y) none of whose shapes could be drawn in the picture or
// move a label in it: its symbol and label are drawn, and get in the way of
// other labels, only within 64 pixels of the picture; its lines reach no
// farther than its heading mark (a fraction of the picture), its hull
// outline and its speed vector. With 20,000 targets over a wide area, most
// lie out of reach at a harbour's scale, and the moving layer skips them.
bool OutOfPicture(double hullReach, double metresPerMinute, double x, double y, int16_t vectorMinutes,
                  const PlotView& view) {
    constexpr double kShapeMarginPx = 128;  // twice the 64 pixels of the painter and the label placement
    const double reach = std::fabs(view.heightMetres()) / 40 + hullReach + metresPerMinute * std::abs(vectorMinutes);
    return !NearPicture(view, view.toPixel(x, y), kShapeMarginPx + reach / view.metresPerPixel());
}

bool OutOfPicture(const targets::TargetRecord& t, double x, double y, int16_t vectorMinutes, const PlotView& view) {
    return OutOfPicture(HullReachMetres(t), VectorMetresPerMinute(t), x, y, vectorMinutes, view);
}

// The lines of record t the trail pass reads, fetched ahead of use: the
// records lie kilobytes apart, and a pass over 20,000 of them would otherwise
// wait on memory for each line it reads.
void FetchAhead(const targets::TargetRecord& t) {
    __builtin_prefetch(&t.Status);
    __builtin_prefetch(&t.Fix);
    __builtin_prefetch(&t.Dim);
    __builtin_prefetch(&t.Dangerous);
}

// What the last trail pass noted lets the moving layer pass over entry n
// without its record: not drawable then, or out of reach of the picture.
bool PassedOver(const TrackPoint& p, const PlotState& plot, const PlotView& view) {
    return !p.drawable || OutOfPicture(p.hullReach, p.metresPerMinute, p.easting - plot.centreE,
                                       p.northing - plot.centreN, plot.vectorTime, view);
}

}  // namespace

PlotState::PlotState() : track(static_cast<size_t>(targets::kMaxCapacity) + 1) {
    geodesy::InitDatum(datum);
}

PlotView PlotState::view(double widthPx, double heightPx, double pxPerCm) const {
    PlotView v;
    v.scale = scale > 0 ? scale : kStartScale;
    v.centreE = centreE;
    v.centreN = centreN;
    v.widthPx = widthPx;
    v.heightPx = heightPx;
    v.pxPerCm = pxPerCm;
    return v;
}

void ToGrid(const PlotState& plot, double latRad, double lonRad, double& easting, double& northing,
            base::MessageSink& sink) {
    geodesy::GridConvert(plot.datum, kSlot, latRad, lonRad, easting, northing, geodesy::GridDirection::GeogToGrid,
                         sink);
}

void ToGeographic(const PlotState& plot, double easting, double northing, double& latRad, double& lonRad,
                  base::MessageSink& sink) {
    geodesy::GridConvert(plot.datum, kSlot, latRad, lonRad, easting, northing, geodesy::GridDirection::GridToGeog,
                         sink);
}

int SelectGridZone(PlotState& plot, const targets::TargetTable& table) {
    double sum = 0;
    int count = 0;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const double lon = table.entry(n).Fix.Longitude;
        if (!UsableLongitude(lon)) continue;
        sum += lon;
        ++count;
    }
    const int zone = geodesy::ZoneFromLongitude(count > 0 ? sum / count : 0.0);
    geodesy::SetZone(plot.datum, zone);
    return zone;
}

void MeanTargetPosition(const targets::TargetTable& table, double& latitude, double& longitude) {
    double sumLat = 0, sumLon = 0;
    int count = 0;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const targets::TargetRecord& t = table.entry(n);
        if (std::fabs(t.Fix.Latitude) >= 90 || t.Fix.Latitude == 0 || std::fabs(t.Fix.Longitude) >= 180 ||
            t.Fix.Longitude == 0) {
            continue;
        }
        sumLat += t.Fix.Latitude;
        sumLon += t.Fix.Longitude;
        ++count;
    }
    latitude = count > 0 ? sumLat / count : 0.0;
    longitude = count > 0 ? sumLon / count : 0.0;
}

bool SetupPlot(PlotState& plot, double refLat, double refLon, double widthPx, double heightPx,
               base::MessageSink& sink) {
    ToGrid(plot, refLat * kDegToRad, refLon * kDegToRad, plot.refE, plot.refN, sink);
    if (plot.scale == 0) {
        plot.scale = kStartScale;
        plot.centreE = plot.refE;
        plot.centreN = plot.refN;
    }
    if (!(widthPx > 0 && heightPx > 0)) return false;
    plot.gridTick = GridTick(plot.scale);
    plot.ringSpacing = RingSpacing(plot.scale);
    return true;
}

std::vector<Shape> RangeRingShapes(const PlotState& plot) {
    std::vector<Shape> out;
    const double cx = plot.refE - plot.centreE, cy = plot.refN - plot.centreN;
    AppendRangeRings(out, cx, cy, plot.ringSpacing);
    const char* pattern = plot.scale < 10000 ? "0.00" : plot.scale < 100000 ? "0.0" : "0";
    for (int k = 1; k <= kRingCount; ++k) {
        out.push_back(Text(cx, cy + out[static_cast<size_t>(k - 1)].radius,
                           base::formatNumber(static_cast<double>(plot.ringSpacing) * k, pattern), PlotColour::DarkGrey));
    }
    return out;
}

bool Drawable(const targets::TargetRecord& t) {
    return t.Status != targets::TargetStatus::Old && t.Status != targets::TargetStatus::Lost && targets::HasPosition(t);
}

void StoreTracks(PlotState& plot, const targets::TargetTable& table, std::vector<Shape>& out,
                 base::MessageSink& sink, const PlotView* view) {
    // Most targets have not moved since the last pass: their grid position
    // stands while the grid does.
    const bool sameGrid = SameGrid(plot.trackDatum, plot.datum);
    if (!sameGrid) plot.trackDatum = plot.datum;
    constexpr int kAhead = 8;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (n + kAhead <= table.EntryCount()) FetchAhead(table.entry(n + kAhead));
        const targets::TargetRecord& t = table.entry(n);
        TrackPoint& p = plot.track[static_cast<size_t>(n)];
        p.drawable = Drawable(t);
        if (!p.drawable) continue;
        p.dangerous = t.Dangerous;
        p.mmsi = t.MMSI;
        p.hullReach = static_cast<float>(HullReachMetres(t));
        p.metresPerMinute = static_cast<float>(VectorMetresPerMinute(t));
        const double lat = t.Fix.Latitude * kDegToRad, lon = t.Fix.Longitude * kDegToRad;
        if (!(sameGrid && p.gridded && p.latitude == lat && p.longitude == lon)) {
            p.latitude = lat;
            p.longitude = lon;
            ToGrid(plot, p.latitude, p.longitude, p.easting, p.northing, sink);
            p.gridded = true;
        }
        // The painter draws a dot no farther than 64 pixels off the picture.
        if (view && !NearPicture(*view, view->toPixel(p.easting - plot.centreE, p.northing - plot.centreN), 64)) continue;
        out.push_back(Dot(p.easting - plot.centreE, p.northing - plot.centreN, 2,
                          n == table.OwnShipIndex() ? PlotColour::Blue : PlotColour::Black));
    }
}

// Refreshed whatever the last message was: one that belonged to no target
// must not freeze the picture.
std::vector<Shape> CurrentPositions(const PlotState& plot, const targets::TargetTable& table,
                                    const targets::Reference& state, Overlays overlays, const PlotView& view) {
    std::vector<Shape> out;
    bool anyDrawn = false;
    const bool byMMSI = state.mode() == targets::kRefFromVDM;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const TrackPoint& at = plot.track[static_cast<size_t>(n)];
        const bool mayReachAnywhere = at.dangerous || n == table.OwnShipIndex() || n == plot.selectedEntry ||
                                      (byMMSI && at.mmsi == state.mmsi());
        if (!mayReachAnywhere && PassedOver(at, plot, view)) {
            anyDrawn = anyDrawn || at.drawable;
            continue;
        }
        const targets::TargetRecord& t = table.entry(n);
        if (!Drawable(t)) continue;
        anyDrawn = true;
        const PlotColour colour = t.Dangerous                 ? PlotColour::Red
                                  : n == table.OwnShipIndex() ? PlotColour::Blue
                                                            : PlotColour::Black;
        const TrackPoint& p = plot.track[static_cast<size_t>(n)];
        const double x = p.easting - plot.centreE;
        const double y = p.northing - plot.centreN;
        const bool referenceTarget = (state.mode() == targets::kRefFromVDO && n == table.OwnShipIndex()) ||
                                     (state.mode() == targets::kRefFromVDM && t.MMSI == state.mmsi());
        // Rings, the selection ring and the way to a closest approach reach anywhere.
        const bool farReaching = referenceTarget || n == plot.selectedEntry || t.Dangerous;
        if (!farReaching && OutOfPicture(t, x, y, plot.vectorTime, view)) continue;
        out.push_back(TargetSymbolShape(t, n, x, y, colour));
        // The selected target is ringed, so a click on it shows at once.
        if (n == plot.selectedEntry) {
            out.push_back(Circle(x, y, kSelectionRingPx * view.metresPerPixel(), PlotColour::Blue, LineStyle::Solid));
        }
        // Every dangerous target shows where it will be at its closest approach, and the way there.
        if (t.Dangerous && t.HasCPA && t.PositionKnown && t.TCPA > 0) {
            double cpaE = 0, cpaN = 0;
            base::NullMessageSink quiet;
            ToGrid(plot, t.CPALatitude * kDegToRad, t.CPALongitude * kDegToRad, cpaE, cpaN, quiet);
            out.push_back(Line(x, y, cpaE - plot.centreE, cpaN - plot.centreN, PlotColour::Red));
            out.push_back(Dot(cpaE - plot.centreE, cpaN - plot.centreN, 4, PlotColour::Red));
        }
        Shape label = Text(x, y, TargetLabel(t.Id.Name, t.MMSI), colour);
        label.keep = n == table.OwnShipIndex() || n == plot.selectedEntry;
        label.priority = LabelRank(t.Class);
        out.push_back(std::move(label));

        if (referenceTarget) AppendRangeRings(out, x, y, plot.ringSpacing);

        if (const auto end = SpeedVectorEnd(x, y, t.Motion.SOG, t.Motion.COG, plot.vectorTime)) {
            out.push_back(Line(x, y, end->x, end->y, PlotColour::Blue));
        }
        AppendHeadingMark(out, t, x, y, colour, view);
    }
    if (!anyDrawn) return out;
    if (overlays.erbl && plot.erbl.originLat != 0) {
        const double ox = plot.erbl.originE - plot.centreE, oy = plot.erbl.originN - plot.centreN;
        out.push_back(Line(ox, oy, plot.erbl.cursorE - plot.centreE, plot.erbl.cursorN - plot.centreN,
                           PlotColour::Red));
        out.push_back(Circle(ox, oy, plot.erbl.range, PlotColour::Red, LineStyle::Solid));
    }
    if (overlays.lineOfSight) {
        out.push_back(Circle(plot.refE - plot.centreE, plot.refN - plot.centreN, plot.los.range, PlotColour::Red,
                             LineStyle::Dash));
    }
    return out;
}

namespace {

// What a label must not cover besides `taken`: each target's symbol and every
// line of the layer (vectors, the way to a closest approach), the lines as a
// row of small boxes along the part that can be seen.
std::vector<LabelBox> SymbolObstacles(const std::vector<Shape>& shapes, const PlotView& view,
                                      const std::vector<LabelBox>& taken) {
    constexpr double kHalf = 4;   // symbol
    constexpr double kStep = 6;   // pixels between boxes along a line
    std::vector<LabelBox> out = taken;
    for (const Shape& s : shapes) {
        const PlotView::Point a = view.toPixel(s.x1, s.y1);
        if (s.kind == Shape::Kind::Symbol) {
            if (NearPicture(view, a, 64)) out.push_back({a.x - kHalf, a.y - kHalf, a.x + kHalf, a.y + kHalf});
            continue;
        }
        if (s.kind != Shape::Kind::Line) continue;
        const PlotView::Point b = view.toPixel(s.x2, s.y2);
        double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
        if (!ClipLine(x1, y1, x2, y2, -64, -64, view.widthPx + 64, view.heightPx + 64)) continue;
        const int steps = static_cast<int>(std::ceil(std::hypot(x2 - x1, y2 - y1) / kStep));
        for (int i = 0; i <= steps; ++i) {
            const double f = steps > 0 ? static_cast<double>(i) / steps : 0;
            const double x = x1 + (x2 - x1) * f, y = y1 + (y2 - y1) * f;
            out.push_back({x - 1.5, y - 1.5, x + 1.5, y + 1.5});
        }
    }
    return out;
}

}  // namespace

void PlaceTargetLabels(std::vector<Shape>& shapes, const PlotView& view, const TextMeasure& measure,
                       const std::vector<LabelBox>& taken) {
    std::vector<size_t> placed;
    std::vector<LabelRequest> requests;
    for (size_t i = 0; i < shapes.size(); ++i) {
        const Shape& s = shapes[i];
        if (s.kind != Shape::Kind::Text) continue;
        const PlotView::Point p = view.toPixel(s.x1, s.y1);
        if (!NearPicture(view, p, 64)) continue;  // as far off the picture as a label is still drawn
        const double fromCentre = std::hypot(p.x - view.widthPx / 2, p.y - view.heightPx / 2);
        requests.push_back({p.x, p.y, measure.width(s.text), measure.height,
                            s.priority * 10000000 - static_cast<int64_t>(std::min(fromCentre, 9999999.0)), s.keep});
        placed.push_back(i);
    }
    const std::vector<LabelPlacement> spots = PlaceLabels(requests, SymbolObstacles(shapes, view, taken));
    std::vector<bool> dropped(shapes.size(), false);
    for (size_t k = 0; k < placed.size(); ++k) {
        Shape& s = shapes[placed[k]];
        if (spots[k].spot == LabelSpot::Dropped) {
            dropped[placed[k]] = true;
            continue;
        }
        s.dx = spots[k].left - requests[k].x;
        s.dy = spots[k].top - requests[k].y;
    }
    size_t kept = 0;
    for (size_t i = 0; i < shapes.size(); ++i) {
        if (dropped[i]) continue;
        if (kept != i) shapes[kept] = std::move(shapes[i]);
        ++kept;
    }
    shapes.resize(kept);
}

std::vector<LabelBox> TextBoxes(const std::vector<Shape>& shapes, const PlotView& view, const TextMeasure& measure) {
    std::vector<LabelBox> out;
    for (const Shape& s : shapes) {
        if (s.kind != Shape::Kind::Text) continue;
        const PlotView::Point p = view.toPixel(s.x1, s.y1);
        const double left = p.x + s.dx, top = p.y + s.dy;
        out.push_back({left, top, left + measure.width(s.text), top + measure.height});
    }
    return out;
}

std::vector<Shape> MovingLayer(const PlotState& plot, const targets::TargetTable& table, const targets::Reference& state,
                               Overlays overlays, const PlotView& view, const TextMeasure& measure,
                               const std::vector<LabelBox>& taken) {
    std::vector<Shape> shapes = CurrentPositions(plot, table, state, overlays, view);
    PlaceTargetLabels(shapes, view, measure, taken);
    return shapes;
}

std::string BearingText(double degrees) {
    std::string text = base::formatNumber(degrees, "000.0 \u00b0");
    if (text.rfind("360", 0) == 0) text = base::formatNumber(0.0, "000.0 \u00b0");
    return text;
}

CursorReadout ReadCursor(PlotState& plot, double x, double y, const targets::Reference& state, base::MessageSink& sink) {
    CursorReadout r;
    plot.erbl.cursorE = x + plot.centreE;
    plot.erbl.cursorN = y + plot.centreN;
    ToGeographic(plot, plot.erbl.cursorE, plot.erbl.cursorN, r.latitude, r.longitude, sink);
    r.lat = geodesy::FormatPosition(r.latitude * kRadToDeg, "LAT", "FORM", 1);
    r.lon = geodesy::FormatPosition(r.longitude * kRadToDeg, "LON", "FORM", 1);
    double distance = 0, bearing = 0;
    geodesy::GeodeticInverse(state.lat() * kDegToRad, state.lon() * kDegToRad, r.latitude, r.longitude,
                             geodesy::kInverseBoth, distance, bearing, geodesy::kWgs84B, geodesy::kWgs84F);
    r.range = base::formatNumber(distance / kMetresPerNauticalMile, plot.scale > 10000 ? "0.0 " : "0.00 ") + "nmile";
    r.bearing = BearingText(bearing * kRadToDeg);
    return r;
}

void CentreOnPoint(PlotState& plot, double x, double y, targets::Reference& state, base::MessageSink& sink) {
    plot.centreE += x;
    plot.centreN += y;
    if (state.mode() != targets::kRefNone) return;
    double lat = 0, lon = 0;
    ToGeographic(plot, plot.centreE, plot.centreN, lat, lon, sink);
    state.moveTo(lat * kRadToDeg, lon * kRadToDeg);
}

void CentreOnReference(PlotState& plot, const targets::Reference& state, base::MessageSink& sink) {
    ToGrid(plot, state.lat() * kDegToRad, state.lon() * kDegToRad, plot.centreE, plot.centreN, sink);
}

bool ZoomAboutPoint(PlotState& plot, double x, double y, bool zoomIn) {
    const auto at = std::find(kScaleList.begin(), kScaleList.end(), plot.scale);
    const int selected = at == kScaleList.end() ? -1 : static_cast<int>(at - kScaleList.begin());
    const int next = ZoomIndex(selected, plot.scale, zoomIn);
    if (next < 0 || plot.scale <= 0) return false;
    const int32_t scale = kScaleList[static_cast<size_t>(next)];
    if (scale == plot.scale) return false;
    const double kept = 1.0 - static_cast<double>(scale) / plot.scale;
    plot.centreE += x * kept;
    plot.centreN += y * kept;
    plot.scale = scale;
    return true;
}

void PanBy(PlotState& plot, double dx, double dy) {
    plot.centreE -= dx;
    plot.centreN -= dy;
}

bool ReferenceNearEdge(const PlotState& plot, const targets::Reference& state, const PlotView& view,
                       base::MessageSink& sink) {
    if (state.mode() == targets::kRefNone || (state.lat() == 0 && state.lon() == 0)) return false;
    double e = 0, n = 0;
    ToGrid(plot, state.lat() * kDegToRad, state.lon() * kDegToRad, e, n, sink);
    const PlotView::Point p = view.toPixel(e - view.centreE, n - view.centreN);
    const double mx = view.widthPx / 5, my = view.heightPx / 5;
    return !(p.x >= mx && p.x <= view.widthPx - mx && p.y >= my && p.y <= view.heightPx - my);
}

int NearestTarget(const PlotState& plot, const targets::TargetTable& table, double x, double y,
                  base::MessageSink& sink) {
    if (table.TargetCount() < 1) return 0;
    double lat = 0, lon = 0;
    ToGeographic(plot, x + plot.centreE, y + plot.centreN, lat, lon, sink);
    const geodesy::Datum& d = plot.datum.datumSlots[kSlot].datum;
    auto distanceTo = [&](const targets::TargetRecord& t) {
        double distance = 0, bearing = 0;
        geodesy::GeodeticInverse(t.Fix.Latitude * kDegToRad, t.Fix.Longitude * kDegToRad, lat, lon, geodesy::kInverseDistance,
                                 distance, bearing, d.b, d.f);
        return distance;
    };
    // The lowest entry in use when none is nearer (entry 1 unless it was freed).
    int nearest = 1;
    while (nearest < table.EntryCount() && !table.InUse(nearest)) ++nearest;
    double best = distanceTo(table.entry(nearest));
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const targets::TargetRecord& t = table.entry(n);
        if (!table.InUse(n) || t.Status == targets::TargetStatus::Old || t.Status == targets::TargetStatus::Lost) continue;
        const double distance = distanceTo(t);
        if (distance < best) {
            best = distance;
            nearest = n;
        }
    }
    return nearest;
}

}  // namespace plot
