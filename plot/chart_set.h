// The user's vector charts as the plot draws them, free of the library that
// reads them (ogr_chart.h fills a VectorChart from any source OGR reads).
//
// Coordinates are WGS84 degrees. An S-57 cell is drawn by object class:
//
//   DEPARE, DRGARE            filled by depth: dries (DRVAL1 < 0), shallower than
//                             the safety depth, up to twice it, deeper
//   LNDARE                    land, as the built-in coastlines
//   DEPCNT                    thin contours; the safety contour (the shallowest
//                             contour at or below the safety depth) thicker
//   COALNE, SLCONS            coastline
//   RESARE, CTNARE, MIPARE,   outlined, dashed
//   PRCARE, ACHARE
//   BOY*** / BCN***           buoys as small circles, beacons as small
//                             triangles, coloured by their first COLOUR
//
// Other object classes of a cell are not drawn. Any other source draws its
// layers in order: areas, lines, and points as small circles. An area is land
// only in a land layer (LNDARE, "land", "land_polygons"); any other area is a
// thin outline over a light wash in a colour of its layer, magenta for
// restricted, prohibited and caution areas, or in the colours of the
// feature's own OGR style where it has one.
//
//   plot::ChartSet charts;
//   charts.add(std::move(chart));                    // a VectorChart from OpenVectorChart
//   charts.appendTo(map, view, plot.datum, 10.0);    // safety depth 10 m
#pragma once

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "geodesy/geodetic.h"
#include "plot/gshhg.h"
#include "plot/map_layer.h"

namespace plot {

enum class FeatureKind { Area, Line, Point };

struct ChartFeature {
    FeatureKind kind = FeatureKind::Area;
    int layer = 0;            // index into VectorChart::layers
    std::string objectClass;  // S-57: the object class acronym (the layer name)
    // Areas: rings, the outer one first; lines: one part per line; points:
    // one point per part.
    std::vector<std::vector<GeoPoint>> parts;
    double depthLow = std::numeric_limits<double>::quiet_NaN();   // DRVAL1, or VALDCO of a contour
    double depthHigh = std::numeric_limits<double>::quiet_NaN();  // DRVAL2
    int colour = 0;  // first S-57 COLOUR code, 0 when none
    // The feature's own OGR style (BRUSH fc, PEN c and w), 0xAARRGGBB; 0: none.
    uint32_t styleFill = 0;
    uint32_t styleLine = 0;
    float styleWidth = 0;  // pixels; 0: none
};

// Reads the brush and pen colours and the pen width of an OGR style string
// ("PEN(c:#FF00FF,w:2px);BRUSH(fc:#FF00FF40)") into the feature; parts it does
// not understand are left alone.
void ReadOgrStyle(const std::string& style, ChartFeature& f);

struct VectorChart {
    std::string path;
    bool s57 = false;
    std::vector<std::string> layers;
    std::vector<ChartFeature> features;
};

// How one feature is drawn; `drawn` false when it is not.
struct FeatureStyle {
    bool drawn = false;
    int pass = 0;  // drawing order inside a chart: 0 areas, 1 lines, 2 outlines, 3 symbols
    PathStyle path;
    SymbolKind symbol = SymbolKind::Circle;
    MapColour symbolColour = MapColour::ChartPoint;
};
FeatureStyle StyleOf(const ChartFeature& f, bool s57, double safetyDepth, double safetyContour);

// The contour drawn as the safety contour: the shallowest DEPCNT value at or
// below the safety depth; NaN when the chart has none.
double SafetyContour(const VectorChart& chart, double safetyDepth);

struct PreparedChart;  // chart_prepare.h

// The charts shown on the plot, in the order they were added; each keeps its
// geometry prepared (simplified per scale band, chart_prepare.h) for the grid
// zone it was last prepared in. A chart whose preparation is not for the
// zone drawn is prepared on the spot when `prepareWhenDrawn` is set (the
// headless renderer, tests); else it is left out until setPrepared brings
// it (the window prepares off its thread, see stale()).
class ChartSet {
public:
    struct Entry {
        std::shared_ptr<const VectorChart> chart;
        bool visible = true;
        std::shared_ptr<const PreparedChart> prepared;
    };
    bool prepareWhenDrawn = true;

    void add(VectorChart chart, bool visible = true);
    // A chart prepared already; its source is the one prepared.
    void add(std::shared_ptr<const PreparedChart> prepared, bool visible = true);
    void setPrepared(std::shared_ptr<const PreparedChart> prepared);  // for the entry of its source's path
    void remove(size_t index);
    void setVisible(size_t index, bool visible);
    const std::vector<Entry>& entries() const { return entries_; }
    bool contains(const std::string& path) const;
    // The entries not prepared for this zone.
    std::vector<size_t> stale(int zone) const;

    void appendTo(MapPicture& out, const PlotView& view, const geodesy::DatumTable& datum, double safetyDepth);

private:
    std::vector<Entry> entries_;
};

}  // namespace plot
