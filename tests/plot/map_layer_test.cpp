#include "plot/map_layer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/grid.h"
#include "plot/chart_set.h"
#include "plot/landmarks.h"

namespace plot {
namespace {

const PlotView kView{100000, 500000, 5760000, 400, 300, 96 / 2.54};  // about 26 m per pixel

GridPath Path(std::vector<GridPoint> points) {
    GridPath p{std::move(points)};
    SetBounds(p);
    return p;
}

// Picture metres around the view's centre, for readable rows.
GridPoint At(double x, double y) { return {kView.centreE + x, kView.centreN + y}; }

TEST(MapLayer, AreasAreClippedToThePictureAndLinesSplitWhereTheyLeaveIt) {
    MapPicture out;
    const double far = 1e6;
    AppendPath(out, kView, Path({At(-far, -far), At(far, -far), At(far, 0), At(-far, 0)}), {MapColour::Land});
    AppendPath(out, kView, Path({At(far, far), At(far + 10, far)}), {MapColour::Land});  // off the picture
    // In, out to the east, back in, out again: two pieces.
    AppendPath(out, kView, Path({At(0, 1000), At(far, 1000), At(far, 2000), At(0, 2000), At(0, far)}),
               {MapColour::None, MapColour::Shore});
    ASSERT_EQ(out.paths.size(), 3u);
    // The southern half, clipped to the picture and its margin.
    double minX = 1e9, maxX = -1e9, maxY = -1e9;
    for (const auto& p : out.paths[0].points) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
    }
    EXPECT_DOUBLE_EQ(minX, -kMapMargin);
    EXPECT_DOUBLE_EQ(maxX, 400 + kMapMargin);
    EXPECT_DOUBLE_EQ(maxY, 300 + kMapMargin);
    EXPECT_EQ(out.paths[1].points.size(), 2u);
    EXPECT_EQ(out.paths[2].points.size(), 3u);
    EXPECT_DOUBLE_EQ(out.paths[2].points.back().y, -kMapMargin);
}

TEST(ChartStyle, S57ClassesAndDepthsAgainstTheSafetyDepth) {
    auto feature = [](const char* cls, FeatureKind kind, double low = NAN, double high = NAN) {
        ChartFeature f;
        f.objectClass = cls, f.kind = kind, f.depthLow = low, f.depthHigh = high;
        return f;
    };
    using K = FeatureKind;
    struct Row {
        ChartFeature f;
        bool drawn;
        MapColour fill, line;
        LineStyle style;
    };
    const Row rows[] = {
        {feature("DEPARE", K::Area, -2, 0), true, MapColour::Drying, MapColour::None, LineStyle::Solid},
        {feature("DEPARE", K::Area, 5, 10), true, MapColour::Shallow, MapColour::None, LineStyle::Solid},
        {feature("DRGARE", K::Area, 10), true, MapColour::Medium, MapColour::None, LineStyle::Solid},
        {feature("DEPARE", K::Area, 20, 50), true, MapColour::Deep, MapColour::None, LineStyle::Solid},
        {feature("DEPCNT", K::Line, 5), true, MapColour::None, MapColour::Contour, LineStyle::Solid},
        {feature("DEPCNT", K::Line, 15), true, MapColour::None, MapColour::SafetyContour, LineStyle::Solid},
        {feature("RESARE", K::Area), true, MapColour::None, MapColour::Restricted, LineStyle::Dash},
        {feature("M_COVR", K::Area), false, MapColour::None, MapColour::None, LineStyle::Solid},
    };
    VectorChart chart;
    for (const Row& r : rows) chart.features.push_back(r.f);
    chart.features.push_back(feature("DEPCNT", K::Line, 30));
    const double contour = SafetyContour(chart, 10);
    EXPECT_EQ(contour, 15);  // the shallowest contour at or below 10 m
    for (const Row& r : rows) {
        SCOPED_TRACE(r.f.objectClass + " " + std::to_string(r.f.depthLow));
        const FeatureStyle s = StyleOf(r.f, true, 10, contour);
        EXPECT_EQ(std::tuple(s.drawn, s.path.fill, s.path.line, s.path.style), std::tuple(r.drawn, r.fill, r.line, r.style));
    }
    // Any other source: everything drawn, areas a light wash of the layer's shade.
    ChartFeature area = feature("harbours", K::Area);
    area.layer = 7;
    const FeatureStyle other = StyleOf(area, false, 10, contour);
    EXPECT_TRUE(other.drawn && other.path.fill == MapColour::ChartArea && other.path.shade == 1);
    EXPECT_LT(other.path.fillAlpha, 128);
}

TEST(ChartStyles, OtherSourcesFillLandOnlyInLandLayers) {
    struct Row {
        const char* layer;
        MapColour fill, line;
        bool wash;
    };
    const Row rows[] = {{"LNDARE", MapColour::Land, MapColour::Shore, false},
                        {"land_polygons", MapColour::Land, MapColour::Shore, false},
                        {"Land", MapColour::Land, MapColour::Shore, false},
                        {"landmarks", MapColour::ChartArea, MapColour::ChartLine, true},
                        {"restricted_area", MapColour::Restricted, MapColour::Restricted, true},
                        {"RESARE", MapColour::Restricted, MapColour::Restricted, true},
                        {"Caution areas", MapColour::Restricted, MapColour::Restricted, true},
                        {"harbours", MapColour::ChartArea, MapColour::ChartLine, true},
                        {"", MapColour::ChartArea, MapColour::ChartLine, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.layer);
        ChartFeature f;
        f.kind = FeatureKind::Area;
        f.objectClass = r.layer;
        const FeatureStyle s = StyleOf(f, false, 10, NAN);
        EXPECT_EQ(s.path.fill, r.fill);
        EXPECT_EQ(s.path.line, r.line);
        EXPECT_EQ(s.path.fillAlpha < 255, r.wash);
        EXPECT_LE(s.path.width, 1.0f);
    }
}

TEST(ChartStyles, OgrStyleStringsGiveTheFeaturesColours) {
    struct Row {
        const char* style;
        uint32_t fill, line;
        float width;
    };
    const Row rows[] = {{"BRUSH(fc:#FF00FF)", 0xFFFF00FF, 0, 0},
                        {"PEN(c:#0000FF,w:2px);BRUSH(fc:#00C00080)", 0x8000C000, 0xFF0000FF, 2},
                        {"BRUSH(fc:\"#112233\",id:\"ogr-brush-1\")", 0xFF112233, 0, 0},
                        {"PEN(w:1.5pt,c:#ABCDEF40)", 0, 0x40ABCDEF, 1.5f},
                        {"BRUSH(fc:#12345)", 0, 0, 0},     // not a colour
                        {"BRUSH(fc:#GG0000)", 0, 0, 0},    // not hexadecimal
                        {"BRUSH(fc:#FF000000)", 0, 0, 0},  // wholly transparent: as none
                        {"SYMBOL(c:#FF0000)", 0, 0, 0},
                        {"PEN(c:#FF0000", 0, 0, 0},  // unclosed
                        {"", 0, 0, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.style);
        ChartFeature f;
        ReadOgrStyle(r.style, f);
        EXPECT_EQ(f.styleFill, r.fill);
        EXPECT_EQ(f.styleLine, r.line);
        EXPECT_FLOAT_EQ(f.styleWidth, r.width);
        f.kind = FeatureKind::Area;
        f.objectClass = "LNDARE";  // a land layer stays land whatever its style
        EXPECT_EQ(StyleOf(f, false, 10, NAN).path.fillArgb, 0u);
        f.objectClass = "harbours";
        EXPECT_EQ(StyleOf(f, false, 10, NAN).path.fillArgb, r.fill);
    }
}

TEST(Landmarks, TownsAndPlatformsDeclutteredAndFewerAtSmallScales) {
    geodesy::DatumTable datum;
    geodesy::InitDatum(datum);
    LandmarkDatabases db;
    db.Cities = {{"Portville", 52.0, 4.0, 0, 0, "A"}, {"Twin", 52.0, 4.0001, 0, 0, "A"}};
    db.Platforms = {{"Alpha", 52.05, 4.1, 0, 0, "G"}, {"Bravo", 51.95, 3.9, 0, 0, " "}};
    const GridPoint centre = ToGridPoint(datum, 52.0, 4.0);
    struct Row {
        int32_t scale;
        size_t symbols;
    };
    // Twin lies within a few metres of Portville: never both.
    const Row rows[] = {{100000, 3}, {kPlatformScaleLimit, 3}, {kPlatformScaleLimit + 1, 1}, {kLandmarkScaleLimit + 1, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.scale);
        MapPicture out;
        AppendLandmarks(out, db, {r.scale, centre.e, centre.n, 800, 600, 96 / 2.54}, datum, TextMeasure{});
        ASSERT_EQ(out.symbols.size(), r.symbols);
        EXPECT_EQ(out.labels.size(), r.symbols);
        if (r.symbols == 3) {
            EXPECT_EQ(out.symbols[1].glyph, "G");
        }
    }
}

}  // namespace
}  // namespace plot
