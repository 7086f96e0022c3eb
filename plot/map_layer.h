// The plot's map layer (land, the user's charts, landmarks) as the painter
// gets it: paths, symbols and labels in picture pixels, clipped to the picture
// and thinned to what a pixel can show, so the window only hands them over.
//
//   plot::MapPicture map;
//   plot::GridPath coast = ...;                           // picture metres, cached
//   plot::AppendPath(map, view, coast, {MapColour::Land, MapColour::Shore});
//   painter draws map.paths in order, then map.symbols, then map.labels
//
// Geometry is kept in grid metres (the plot's transverse Mercator grid) once
// converted, so panning and zooming only re-project to pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geodesy/geodetic.h"
#include "plot/plot_geometry.h"

namespace plot {

// Colours by meaning; the window picks the shades.
enum class MapColour : uint8_t {
    None,
    Land,           // dry land, islands in lakes
    Water,          // lakes and ponds (the sea is the background)
    Shore,          // coastline
    Drying,         // charted area that dries
    Shallow,        // depth areas shallower than the safety contour
    Medium,         // between the safety contour and twice it
    Deep,           // deeper
    Contour,        // depth contours
    SafetyContour,  // the depth contour at the safety depth
    Restricted,     // restricted areas, outlines
    Buoy,
    Beacon,
    Landmark,
    ChartArea,      // other charts' areas, by layer
    ChartLine,
    ChartPoint,
};

// Grid geometry: eastings and northings in metres.
struct GridPoint {
    double e = 0;
    double n = 0;
};
struct GridPath {
    std::vector<GridPoint> points;
    double minE = 0, minN = 0, maxE = 0, maxN = 0;  // bounds, set by SetBounds
};
void SetBounds(GridPath& path);

struct PathStyle {
    MapColour fill = MapColour::None;  // None: not filled (a line)
    MapColour line = MapColour::None;  // None: no outline
    float width = 1;                   // pixels
    LineStyle style = LineStyle::Solid;
    uint8_t shade = 0;  // ChartArea/ChartLine: which of the chart palette's shades
    uint8_t fillAlpha = 255;  // 255 opaque; a light wash lets what lies under it show
    // Colours of the source's own (0xAARRGGBB; 0: none), before the meanings above.
    uint32_t fillArgb = 0;
    uint32_t lineArgb = 0;
};

struct MapPath {
    PathStyle style;
    std::vector<PlotView::Point> points;  // pixels; closed when filled
    std::vector<size_t> holes;            // filled: where each further ring (a hole) starts in points
};

enum class SymbolKind : uint8_t { Square, Circle, Triangle, Diamond, Beacon, Glyph };

struct MapSymbol {
    SymbolKind kind = SymbolKind::Circle;
    MapColour colour = MapColour::Landmark;
    PlotView::Point at;  // pixels
    std::string glyph;   // Glyph: the character drawn
    int paint = 0;       // buoys and beacons: their S-57 colour code, 0 for none
};

// A label already placed: its box's top-left corner in pixels.
struct MapLabel {
    std::string text;
    MapColour colour = MapColour::Landmark;
    double left = 0, top = 0;
    double width = 0, height = 0;
};

struct MapPicture {
    std::vector<MapPath> paths;
    std::vector<MapSymbol> symbols;
    std::vector<MapLabel> labels;
};

// Pixels beyond the picture that are still drawn, so thick lines and fills
// do not end visibly at the border.
inline constexpr double kMapMargin = 8;

// Projects a grid path into pixels of the view, clipped to the picture (plus
// the margin) and thinned to half a pixel; an area stays one closed polygon,
// a line may come out in several pieces. Nothing is added when it lies
// outside the picture.
void AppendPath(MapPicture& out, const PlotView& view, const GridPath& path, PathStyle style);

// An area with holes: the outer ring first. Filled even-odd.
void AppendArea(MapPicture& out, const PlotView& view, const std::vector<GridPath>& rings, PathStyle style);

// Clips a closed polygon to the rectangle (Sutherland-Hodgman).
std::vector<PlotView::Point> ClipPolygon(const std::vector<PlotView::Point>& polygon, double left, double top,
                                         double right, double bottom);

// Grid metres to pixels of the view; whether a pixel lies on the picture or
// within `margin` pixels of it.
inline PlotView::Point GridToPixel(const PlotView& view, GridPoint p) {
    return view.toPixel(p.e - view.centreE, p.n - view.centreN);
}
inline bool NearPicture(const PlotView& view, PlotView::Point p, double margin = kMapMargin) {
    return p.x >= -margin && p.y >= -margin && p.x <= view.widthPx + margin && p.y <= view.heightPx + margin;
}

// Geographic degrees to grid metres through slot 1 of the plot's datum.
GridPoint ToGridPoint(const geodesy::DatumTable& datum, double lat, double lon);

}  // namespace plot
