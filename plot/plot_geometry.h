// Plot geometry: the arithmetic of the north-up plan view, free of any window.
//
// Picture coordinates are metres from the plot centre on the transverse
// Mercator grid: x = easting - centre easting (east positive), y = northing -
// centre northing (north positive). At scale 1:N one centimetre of screen is
// N/100 metres, whatever the screen's resolution.
//
//   PlotView v{500000, 600000, 5760000, 800, 600, 96 / 2.54};
//   v.metresPerPixel();          // 5000 m/cm at 37.8 px/cm -> 132.3 m
//   v.toPixel(0, 0)              // {400, 300}: the centre of the picture
//   RingSpacing(500000)          // 5 nautical miles
//   RingPanelText(500000, 5)     // "RangeRings : 5 nmile  "
//
// Headings, courses and bearings are degrees true; a heading or course outside
// 0..360 (the not-available marker) draws no heading mark and no vector.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plot {

// Scale denominators of the scale box, in this order.
inline constexpr std::array<int32_t, 19> kScaleList = {
    10,     20,     50,      100,     200,     500,     1000,    2000,     5000,    10000,
    20000,  50000,  100000,  200000,  500000,  1000000, 2000000, 5000000,  10000000};
inline constexpr int32_t kStartScale = 500000;
inline constexpr int kRingCount = 10;
// Hull outlines replace the heading line at this scale and larger (N at most this).
inline constexpr int32_t kHullScaleLimit = 20000;

// Ring spacing in nautical miles: whole thousands of N over 100, at least 0.01.
float RingSpacing(int32_t scale);
// Grid tick in metres: one centimetre of screen, at least 1.
int32_t GridTick(int32_t scale);
// "RangeRings : 5 nmile  ", "RangeRings : 0.5 nmile  ", "RangeRings : 0.05 nmile  ".
std::string RingPanelText(int32_t scale, float spacing);
// " 5000 m": the tick as a number with a leading blank, then the unit.
std::string GridTickText(int32_t tick);
// "UTM Zone 31 (003°E) "; zones below 31 read °W.
std::string ZonePanelText(int zone);

// a + b in degrees, brought into 0 <= result < 360.
double AddAngle(double a, double b);

// Screen mapping of one view. Pixels have y down; picture metres have y up.
struct PlotView {
    int32_t scale = kStartScale;
    double centreE = 0;
    double centreN = 0;
    double widthPx = 0;
    double heightPx = 0;
    double pxPerCm = 96.0 / 2.54;

    double metresPerPixel() const { return scale / 100.0 / pxPerCm; }
    double widthMetres() const { return widthPx * metresPerPixel(); }
    double heightMetres() const { return heightPx * metresPerPixel(); }
    struct Point {
        double x = 0;
        double y = 0;
    };
    Point toPixel(double x, double y) const;    // picture metres -> pixels
    Point toPicture(double px, double py) const;  // pixels -> picture metres
};

// Which entry of kScaleList the zoom buttons choose. `selected` is the entry
// the scale box shows (-1 when it shows a number of its own); the result is
// the entry to select, or -1 when the button does nothing.
int ZoomIndex(int selected, int32_t scale, bool zoomIn);
struct ZoomButtons {
    bool plus = true;
    bool minus = true;
};
ZoomButtons ZoomButtonState(int32_t scale);
// Scale box text to a scale: the whole number it reads as, when positive.
std::optional<int32_t> ScaleFromText(const std::string& text);

// A rubber-band box from (x0, y0) to (x1, y1) in picture metres.
struct ZoomResult {
    int32_t scale = 0;
    double centreE = 0;
    double centreN = 0;
};
// nullopt when the box is not wider than a twentieth of the picture.
std::optional<ZoomResult> ZoomBox(const PlotView& view, double x0, double y0, double x1, double y1);

// Clips the segment (x1, y1)-(x2, y2) to the rectangle [left, right] x
// [bottom, top]; false when nothing of it lies inside.
bool ClipLine(double& x1, double& y1, double& x2, double& y2, double left, double bottom, double right, double top);

// ---- what is drawn ----------------------------------------------------------

enum class PlotColour { Black, Blue, DarkGrey, Red };
enum class LineStyle { Solid, Dot, Dash };

// How a target is drawn: by its class, a distress beacon (SART, MOB, EPIRB)
// whatever its class.
enum class TargetSymbol : uint8_t { Plain, ClassA, ClassB, BaseStation, AtoN, SAR, Distress };
// Fill colour group of a vessel, from its ship and cargo type.
enum class TypeGroup : uint8_t { Other, Cargo, Tanker, Passenger, Fishing, HighSpeed, TugSpecial, Pleasure };
inline constexpr int kTypeGroupCount = 8;

// One drawing element in picture metres. Dots have a width in pixels. A text
// belongs to the point (x1, y1): its box's top-left corner lies (dx, dy)
// pixels from it, where label placement put it (by default to the right of
// the point, its top a little above it); priority and keep guide placement.
struct Shape {
    enum class Kind { Dot, Line, Circle, Text, Symbol };
    Kind kind = Kind::Dot;
    PlotColour colour = PlotColour::Black;
    LineStyle style = LineStyle::Solid;
    int width = 1;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double radius = 0;
    std::string text;
    double dx = 5, dy = -2;
    int64_t priority = 0;
    bool keep = false;
    // A target's symbol at (x1, y1), turned `angle` degrees true (NaN: no
    // direction known); dashed for a virtual aid to navigation, crossed for
    // one off its position. `entry` names the target (1-based).
    TargetSymbol symbol = TargetSymbol::Plain;
    TypeGroup group = TypeGroup::Other;
    double angle = 0;
    bool dashed = false;
    bool crossed = false;
    int entry = 0;
};

// Ten rings around (cx, cy), spacing in nautical miles.
void AppendRangeRings(std::vector<Shape>& out, double cx, double cy, float spacingNm);

// End of the speed vector: `minutes` of travel at sog knots along cog.
// nullopt when sog is at most 0.1 kn or the course is not available.
std::optional<PlotView::Point> SpeedVectorEnd(double x, double y, double sog, double cog, int minutes);

// Hull outline from the reported dimensions, as the legs drawn in order:
// stern centre -> starboard stern corner -> starboard shoulder -> bow, then
// stern centre -> port stern corner -> port shoulder -> bow.
struct HullOutline {
    std::array<PlotView::Point, 8> points{};  // the two chains of four points
};
HullOutline HullShape(double x, double y, double heading, double dimA, double dimB, double dimC, double dimD);

// Label of a target: its name and a blank, or its nine-digit MMSI and a blank.
std::string TargetLabel(const std::string& name, int32_t mmsi);

}  // namespace plot
