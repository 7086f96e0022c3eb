#include "plot/plot_state.h"

#include "geodesy/grid.h"
#include "plot/plot_state_symbols.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace plot {
namespace {

using targets::TargetRecord;

class PlotStateTest : public ::testing::Test {
protected:
    PlotStateTest() { ctx.reference = &state; }

    // A class A entry (type 1) at a position; other fields are set on the entry.
    TargetRecord& add(int32_t mmsi, double lat, double lon, int type = 1) {
        rec.Type1.MMSI = rec.Type4.MMSI = rec.Type9.MMSI = rec.Type21.MMSI = mmsi;
        TargetRecord& t = table.entry(table.AddOrUpdateTarget(input::SentenceKind::VDM, type, rec, ctx).entry);
        t.Fix.Latitude = lat, t.Fix.Longitude = lon, t.Motion.SOG = 0, t.Motion.COG = 0, t.TrueHeading = 0;
        t.Status = targets::TargetStatus::Current;
        t.PositionKnown = true;
        return t;
    }
    PlotView setup(int32_t scale = 0) {
        plot.scale = scale;
        SetupPlot(plot, state.lat(), state.lon(), 800, 600, sink);
        return plot.view(800, 600, 40);
    }
    // The reference position, and a first set-up around it.
    void setupAt(double lat, double lon) {
        state.moveTo(lat, lon);
        setup();
    }
    static void dimensions(TargetRecord& t, int16_t a, int16_t b, int16_t c, int16_t d) {
        t.Dim.DimA = a, t.Dim.DimB = b, t.Dim.DimC = c, t.Dim.DimD = d;
    }
    static long count(const std::vector<Shape>& shapes, Shape::Kind kind) {
        return std::count_if(shapes.begin(), shapes.end(), [kind](const Shape& s) { return s.kind == kind; });
    }
    std::vector<Shape> pass(Overlays overlays = {}) {
        std::vector<Shape> trail;
        StoreTracks(plot, table, trail, sink);
        return CurrentPositions(plot, table, state, overlays, view());
    }
    PlotView view() const { return plot.view(800, 600, 40); }
    PlotView::Point pixelOf(int n) const {
        const TrackPoint& p = plot.track[static_cast<size_t>(n)];
        return view().toPixel(p.easting - plot.centreE, p.northing - plot.centreN);
    }

    targets::Reference state;
    base::RecordingMessageSink sink;
    targets::TableContext ctx;
    ais::AISMessageRecord rec;
    targets::TargetTable table;
    PlotState plot;
};

TEST_F(PlotStateTest, ZoneFollowsTheTargetsMeanLongitude) {
    EXPECT_EQ(SelectGridZone(plot, table), 30);  // no targets
    add(244000001, 51.9, 3.9);
    add(244000002, 52.0, 4.1);
    add(244000003, 0, 0);  // no position yet: not counted
    EXPECT_EQ(SelectGridZone(plot, table), 31);
    EXPECT_EQ(plot.datum.datumSlots[0].zone, 31);
    EXPECT_EQ(plot.datum.datumSlots[1].zone, 31);
    add(244000004, 52.0, 10.0);  // mean 6.0: the boundary belongs to the western zone
    add(244000005, 52.0, 6.0);
    EXPECT_EQ(SelectGridZone(plot, table), 31);
}

TEST_F(PlotStateTest, FirstSetUpCentresOnTheReferenceAtHalfAMillion) {
    state.moveTo(51.98, 3.95);
    EXPECT_TRUE(SetupPlot(plot, state.lat(), state.lon(), 800, 600, sink));
    EXPECT_EQ(std::tuple(plot.scale, plot.centreE, plot.centreN, plot.gridTick),
              std::tuple(500000, plot.refE, plot.refN, 5000));
    const auto rings = RangeRingShapes(plot);
    ASSERT_EQ(rings.size(), 20u);  // ten rings and their ranges
    EXPECT_DOUBLE_EQ(rings[9].radius, 10 * 5 * 1852.0);
    EXPECT_EQ(rings[19].text, "50");
    EXPECT_DOUBLE_EQ(rings[19].y1, rings[9].radius);
    // A later set-up keeps scale and centre; a picture without size changes no tick.
    plot.scale = 5000;
    plot.centreE += 100;
    EXPECT_FALSE(SetupPlot(plot, state.lat(), state.lon(), 0, 600, sink));
    EXPECT_EQ(plot.gridTick, 5000);
    EXPECT_TRUE(SetupPlot(plot, state.lat(), state.lon(), 800, 600, sink));
    EXPECT_DOUBLE_EQ(plot.centreE, plot.refE + 100);
    EXPECT_FLOAT_EQ(plot.ringSpacing, 0.05f);
}

TEST_F(PlotStateTest, DrawsOnlyTargetsWithAPositionThatAreNotOld) {
    setupAt(52.0, 4.0);
    add(244000001, 52.0, 4.0).Id.Name = "ALPHA";
    add(244000002, 52.01, 4.0).Status = targets::TargetStatus::Old;
    add(244000003, 0, 4.0);
    add(244000004, -9999, -9999);
    add(2579, 52.02, 4.01);
    const auto shapes = pass();
    std::vector<std::string> labels;
    for (const Shape& s : shapes) {
        if (s.kind == Shape::Kind::Text) labels.push_back(s.text);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"ALPHA ", "000002579 "}));
    EXPECT_EQ(count(shapes, Shape::Kind::Symbol), 2);
    // The first target sits on the reference position, so on the centre.
    EXPECT_NEAR(std::hypot(shapes[0].x1, shapes[0].y1), 0, 1e-6);
    // The trail store holds the last drawn position of each target.
    EXPECT_NEAR(plot.track[1].latitude * geodesy::kRadToDeg, 52.0, 1e-9);
    EXPECT_EQ(plot.track[3].latitude, 0);
}

TEST_F(PlotStateTest, VectorsHeadingMarksAndHullsByClassAndScale) {
    setupAt(52.0, 4.0);
    TargetRecord& ship = add(244000001, 52.0, 4.0);
    ship.Motion.SOG = 10, ship.Motion.COG = 90, ship.TrueHeading = 90;
    dimensions(ship, 100, 20, 5, 5);
    add(2440001, 52.0, 4.1, 4);                   // base station: dot and label only
    add(244000003, 52.1, 4.0, 21).TrueHeading = 45;  // aid to navigation
    add(244000004, 52.1, 4.1).TrueHeading = -9999;   // no heading
    ASSERT_EQ(table.entry(2).Class, targets::TargetClass::BS);
    ASSERT_EQ(table.entry(3).Class, targets::TargetClass::AtoN);

    // 1:500000: one vector, one heading line for the ship only.
    auto shapes = pass();
    EXPECT_EQ(count(shapes, Shape::Kind::Line), 2);
    const Shape& vector = shapes[2];
    EXPECT_EQ(vector.colour, PlotColour::Blue);
    EXPECT_NEAR(vector.x2 - vector.x1, 926, 1e-6);
    const Shape& heading = shapes[3];
    EXPECT_NEAR(heading.x2 - heading.x1, plot.view(800, 600, 40).heightMetres() / 40, 1e-6);

    // 1:20000: hull outlines (six legs) for the ship and the aid to navigation
    // (moved into the picture, which is now 4 km wide).
    ship.Motion.SOG = 0;
    dimensions(table.entry(3), 2, 2, 2, 2);
    table.entry(3).Fix.Latitude = 52.005;
    setup(20000);
    shapes = pass();
    EXPECT_EQ(count(shapes, Shape::Kind::Line), 12);
    // A vessel reporting no dimensions keeps only its dot and label.
    dimensions(ship, 0, 0, 0, 0);
    shapes = pass();
    EXPECT_EQ(count(shapes, Shape::Kind::Line), 6);
}

// The moving layer leaves out the targets none of whose shapes could show in
// the picture (800 x 600 px at 40 px/cm) or move a label in it; a target whose
// vector, hull or label reaches in stays, and so do those whose rings or way
// to a closest approach may cross it.
TEST_F(PlotStateTest, TargetsOutOfThePictureAreLeftOutUnlessTheirShapesReachIn) {
    struct Case {
        const char* what;
        int32_t scale;
        double northKm;  // from the centre; the picture ends 3.75 km (1:50,000) or 1.5 km (1:20,000) north and south
        float sog;       // knots, towards the picture; the vector shows 3 minutes
        int16_t length;  // metres, the bow towards the picture
        bool selected, dangerous;
        bool kept;
    };
    const Case cases[] = {
        {"just past the edge, the label may show", 50000, 4.3, 0, 0, false, false, true},
        {"far off, still", 50000, 7.0, 0, 0, false, false, false},
        {"far off, its vector crosses the edge", 50000, -12.0, 120, 0, false, false, true},
        {"far off, its vector ends short", 50000, -12.0, 60, 0, false, false, false},
        {"a long hull reaching in", 20000, 2.3, 0, 1000, false, false, true},
        {"far off, chosen by the operator", 50000, 90.0, 0, 0, true, false, true},
        {"far off, dangerous", 50000, 90.0, 0, 0, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table = targets::TargetTable();
        plot = PlotState();
        setupAt(52.0, 4.0);
        setup(c.scale);
        TargetRecord& t = add(244000001, 52.0 + c.northKm / 111.2, 4.0);
        t.Motion.SOG = c.sog;
        t.TrueHeading = t.Motion.COG = c.northKm < 0 ? 0 : 180;
        dimensions(t, c.length / 2, c.length / 2, 10, 10);
        t.Dangerous = c.dangerous;
        plot.selectedEntry = c.selected ? 1 : 0;
        EXPECT_EQ(count(pass(), Shape::Kind::Symbol), c.kept ? 1 : 0);
    }
}

// Given the view, the trail pass stores every target's position but leaves
// out the dots the painter would not draw (more than 64 px off the picture).
TEST_F(PlotStateTest, TrailDotsOnlyNearThePictureButEveryPositionStored) {
    setupAt(52.0, 4.0);
    const PlotView view = setup(50000);  // 12.5 m a pixel: the picture ends 3.75 km north
    const struct {
        double northKm;
        bool dot;
    } cases[] = {{0, true}, {4.5, true}, {4.7, false}, {-60, false}};
    for (const auto& c : cases) add(244000001 + static_cast<int32_t>(table.EntryCount()), 52.0 + c.northKm / 111.2, 4.0);
    std::vector<Shape> dots;
    StoreTracks(plot, table, dots, sink, &view);
    std::vector<int> drawn;
    for (const Shape& d : dots) drawn.push_back(static_cast<int>(std::lround((d.y1 / 1000) * 10)));
    std::vector<int> expected;
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (cases[i].dot) expected.push_back(static_cast<int>(std::lround(cases[i].northKm * 10)));
        EXPECT_NEAR(plot.track[i + 1].northing - plot.track[1].northing, cases[i].northKm * 1000, 200);
    }
    EXPECT_EQ(drawn, expected);
}

// A grid position kept from the last pass stands only while the target and
// the grid stay where they were.
TEST_F(PlotStateTest, TrackPointsFollowAMoveAndAChangeOfGrid) {
    const std::function<void(TargetRecord&)> changes[] = {
        [](TargetRecord&) {},
        [](TargetRecord& t) { t.Fix.Longitude += 0.01; },
        [this](TargetRecord&) { geodesy::SetZone(plot.datum, 32); },
    };
    for (const auto& change : changes) {
        table = targets::TargetTable();
        plot = PlotState();
        setupAt(52.0, 4.0);
        TargetRecord& t = add(244000001, 52.1, 4.2);
        pass();
        change(t);
        pass();
        double e = 0, n = 0;
        ToGrid(plot, t.Fix.Latitude * geodesy::kDegToRad, t.Fix.Longitude * geodesy::kDegToRad, e, n, sink);
        EXPECT_EQ(plot.track[1].easting, e);
        EXPECT_EQ(plot.track[1].northing, n);
    }
}

TEST_F(PlotStateTest, OwnShipColourReferenceRingsAndOverlays) {
    setupAt(52.0, 4.0);
    add(244000001, 52.0, 4.0);
    table.setOwnShip(1);
    add(244000002, 52.1, 4.0);
    state.setMode(targets::kRefFromVDO);
    auto shapes = pass();
    EXPECT_EQ(shapes[0].colour, PlotColour::Blue);
    EXPECT_EQ(count(shapes, Shape::Kind::Circle), 10);  // rings around the own ship

    state.setMode(targets::kRefFromVDM);
    state.setMMSI(244000002);
    plot.erbl.originLat = 52.0 * geodesy::kDegToRad;
    plot.erbl.range = 3000;
    plot.los.range = 16400;
    shapes = pass({true, true});
    std::vector<Shape> red;
    std::copy_if(shapes.begin(), shapes.end(), std::back_inserter(red),
                 [](const Shape& s) { return s.colour == PlotColour::Red; });
    ASSERT_EQ(red.size(), 3u);  // ERBL line and ring, line-of-sight ring
    EXPECT_EQ(red[2].style, LineStyle::Dash);
    EXPECT_DOUBLE_EQ(red[2].radius, 16400);
    EXPECT_EQ(count(shapes, Shape::Kind::Circle), 10 + 2);

    // No target drawn: no overlays either.
    table.entry(1).Status = targets::TargetStatus::Old;
    table.entry(2).Status = targets::TargetStatus::Old;
    EXPECT_TRUE(pass({true, true}).empty());
}

TEST_F(PlotStateTest, RecentringMovesTheReferenceOnlyWithoutOne) {
    setupAt(51.98, 3.95);
    const double e = plot.centreE, n = plot.centreN;
    state.setMode(targets::kRefManual);
    CentreOnPoint(plot, 1000, -2000, state, sink);
    EXPECT_DOUBLE_EQ(plot.centreE, e + 1000);
    EXPECT_DOUBLE_EQ(plot.centreN, n - 2000);
    EXPECT_EQ(state.lat(), 51.98);
    CentreOnReference(plot, state, sink);
    EXPECT_NEAR(plot.centreE, e, 1e-6);
    EXPECT_NEAR(plot.centreN, n, 1e-6);

    state.setMode(targets::kRefNone);
    CentreOnPoint(plot, 0, 1852, state, sink);
    EXPECT_NEAR(state.lat(), 51.98 + 1.0 / 60, 0.001);
    EXPECT_NEAR(state.lon(), 3.95, 0.001);
}

TEST_F(PlotStateTest, DoubleClickFindsTheNearestTargetNotOld) {
    setupAt(52.0, 4.0);
    EXPECT_EQ(NearestTarget(plot, table, 0, 0, sink), 0);
    add(244000001, 52.05, 4.0);
    add(244000002, 52.0, 4.0).Status = targets::TargetStatus::Old;
    add(244000003, 52.01, 4.0);
    EXPECT_EQ(NearestTarget(plot, table, 0, 0, sink), 3);
    table.entry(3).Status = targets::TargetStatus::Old;
    EXPECT_EQ(NearestTarget(plot, table, 0, 0, sink), 1);
    table.entry(1).Status = targets::TargetStatus::Old;
    EXPECT_EQ(NearestTarget(plot, table, 0, 0, sink), 1);  // every target old: the first
}

TEST_F(PlotStateTest, HitTestFindsTheTargetUnderThePixel) {
    setupAt(52.0, 4.0);
    EXPECT_EQ(TargetAtPixel(plot, table, view(), 400, 300), 0);  // empty table
    add(244000001, 52.0, 4.0);                               // centre of the picture
    add(244000002, 52.0, 4.0 + 12 * 125 / 68600.0);          // about 12 px east of it
    add(244000003, 52.05, 4.0).Status = targets::TargetStatus::Old;
    add(244000004, 52.1, 4.0);
    pass();
    const PlotView::Point a = pixelOf(1), b = pixelOf(2), old = pixelOf(3), far = pixelOf(4);
    ASSERT_NEAR(b.x - a.x, 12, 0.5);
    const struct {
        double x, y;
        int entry;
    } cases[] = {{a.x, a.y, 1},         {a.x - 7.5, a.y, 1},      {a.x, a.y + 7.9, 1},   {a.x - 8.5, a.y, 0},
                 {a.x + 5, a.y, 1},     {a.x + 7, a.y, 2},        {b.x, b.y - 3, 2},     {b.x + 8.5, b.y, 0},
                 {far.x + 2, far.y, 4}, {old.x, old.y, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(TargetAtPixel(plot, table, view(), c.x, c.y), c.entry) << c.x - a.x << "," << c.y - a.y;
    }
}

TEST_F(PlotStateTest, EveryDangerousTargetDrawsItsClosestApproach) {
    setupAt(52.0, 4.0);
    auto dangerous = [](TargetRecord& t, double cpaLat) {
        t.Dangerous = t.HasCPA = true;
        t.TCPA = 5;
        t.CPALatitude = cpaLat, t.CPALongitude = 4.0;
    };
    dangerous(add(244000001, 52.02, 4.0), 52.001);
    dangerous(add(244000002, 51.98, 4.0), 51.999);
    dangerous(add(244000003, 52.0, 4.05), 52.0);
    table.entry(3).PositionKnown = false;  // an approach from a stale position is not drawn
    add(244000004, 52.0, 3.95);
    const auto shapes = pass();
    const long cpaDots = std::count_if(shapes.begin(), shapes.end(), [](const Shape& s) {
        return s.kind == Shape::Kind::Dot && s.colour == PlotColour::Red;
    });
    // The way there: a red line from the target to its closest point.
    const long cpaLines = std::count_if(shapes.begin(), shapes.end(), [&](const Shape& line) {
        return line.kind == Shape::Kind::Line && line.colour == PlotColour::Red &&
               std::any_of(shapes.begin(), shapes.end(), [&](const Shape& dot) {
                   return dot.kind == Shape::Kind::Dot && dot.colour == PlotColour::Red && dot.x1 == line.x2 &&
                          dot.y1 == line.y2;
               });
    });
    EXPECT_EQ(cpaDots, 2);
    EXPECT_EQ(cpaLines, 2);
}

TEST_F(PlotStateTest, LabelsKeepClearOfOtherTargetsSymbolsAndVectors) {
    setupAt(52.0, 4.0);
    add(244000001, 52.0, 4.0).Id.Name = "FIRST";
    // A target just right of the first: the first's label goes elsewhere.
    add(244000002, 52.0, 4.0 + 20 * 125 / 68600.0).Id.Name = "SECOND";
    // A vector passing just under the first's left spot.
    TargetRecord& third = add(244000003, 52.0 - 2 * 125 / 111000.0, 4.0 - 30 * 125 / 68600.0);
    third.Motion.SOG = 30, third.Motion.COG = 90;
    std::vector<Shape> shapes = pass();
    PlaceTargetLabels(shapes, view(), TextMeasure{}, {});
    std::vector<LabelBox> symbols;
    for (const Shape& s : shapes) {
        if (s.kind != Shape::Kind::Symbol) continue;
        const PlotView::Point p = view().toPixel(s.x1, s.y1);
        symbols.push_back({p.x - 3, p.y - 3, p.x + 3, p.y + 3});
    }
    ASSERT_EQ(symbols.size(), 3u);
    for (const LabelBox& label : TextBoxes(shapes, view(), TextMeasure{})) {
        for (const LabelBox& symbol : symbols) EXPECT_FALSE(label.overlaps(symbol));
        for (const Shape& s : shapes) {
            if (s.kind != Shape::Kind::Line) continue;
            const PlotView::Point a = view().toPixel(s.x1, s.y1), b = view().toPixel(s.x2, s.y2);
            for (int i = 0; i <= 20; ++i) {
                const double x = a.x + (b.x - a.x) * i / 20, y = a.y + (b.y - a.y) * i / 20;
                EXPECT_FALSE(x > label.left && x < label.right && y > label.top && y < label.bottom)
                    << "label over a vector at " << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace plot
