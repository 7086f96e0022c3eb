#include "plot/plot_state_symbols.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace plot {
namespace {

using targets::TargetClass;
using targets::TargetRecord;

// Every ship type 0-99, a decade a line: other, fishing, tug or special craft,
// pleasure, high-speed, passenger, cargo, tanker.
TEST(PlotSymbols, ShipTypesFallIntoTheirGroups) {
    const std::string groups = "oooooooooo" "oooooooooo" "oooooooooo" "ftttttppoo" "hhhhhhhhhh"
                               "tttttttttt" "ssssssssss" "cccccccccc" "kkkkkkkkkk" "oooooooooo";
    const std::string letters = "oftphsck";
    const TypeGroup group[] = {TypeGroup::Other,    TypeGroup::Fishing,   TypeGroup::TugSpecial, TypeGroup::Pleasure,
                               TypeGroup::HighSpeed, TypeGroup::Passenger, TypeGroup::Cargo,      TypeGroup::Tanker};
    for (int type = 0; type < 100; ++type)
        EXPECT_EQ(ShipTypeGroup(type), group[letters.find(groups[static_cast<size_t>(type)])]) << type;
}

TEST(PlotSymbols, SymbolByClassAndDistressBeaconsByMmsi) {
    const struct {
        TargetClass cls;
        int32_t mmsi;
        TargetSymbol symbol;
    } cases[] = {{TargetClass::A, 244000001, TargetSymbol::ClassA},
                 {TargetClass::B, 244000002, TargetSymbol::ClassB},
                 {TargetClass::BS, 2442000, TargetSymbol::BaseStation},
                 {TargetClass::AtoN, 992446000, TargetSymbol::AtoN},
                 {TargetClass::SAR, 111244001, TargetSymbol::SAR},
                 {TargetClass::Unknown, 244000003, TargetSymbol::Plain},
                 {TargetClass::A, 970123456, TargetSymbol::Distress},  // SART
                 {TargetClass::A, 972123456, TargetSymbol::Distress},  // man overboard
                 {TargetClass::A, 974123456, TargetSymbol::Distress},  // EPIRB
                 {TargetClass::A, 971123456, TargetSymbol::ClassA},
                 {TargetClass::A, 97012345, TargetSymbol::ClassA}};  // eight digits: not a 970 number
    for (const auto& c : cases) {
        TargetRecord t;
        t.Class = c.cls;
        t.MMSI = c.mmsi;
        EXPECT_EQ(SymbolOf(t), c.symbol) << c.mmsi;
    }
}

TEST(PlotSymbols, PointsAlongHeadingElseCourse) {
    const struct {
        float heading, cog;
        double angle;  // NaN: none
    } cases[] = {{90, 10, 90}, {511, 10, 10}, {0, 200, 0}, {511, 360, NAN}, {360, 359.9f, 359.9f}};
    for (const auto& c : cases) {
        TargetRecord t;
        t.TrueHeading = c.heading;
        t.Motion.COG = c.cog;
        const double a = SymbolAngle(t);
        if (std::isnan(c.angle)) {
            EXPECT_TRUE(std::isnan(a)) << c.heading;
        } else {
            EXPECT_NEAR(a, c.angle, 1e-4) << c.heading;
        }
    }
}

TEST(PlotSymbols, TipShowsApproachOnlyWhereItIsKnown) {
    TargetRecord t;
    t.Id.Name = "<b>NORDIC</b>@@@";
    t.MMSI = 2440001;
    t.Class = TargetClass::A;
    t.Ship.ShipType = 71;
    t.Motion.SOG = 12.34f;
    t.Motion.COG = 45;
    t.CPA = 0.4249;
    t.TCPA = 12.46;
    t.LastMsgMonotonic = 100;
    const struct {
        bool hasCpa, rangeKnown, positionKnown, shown;
    } cases[] = {{true, true, true, true}, {false, true, true, false}, {true, false, true, false},
                 {true, true, false, false}};
    for (const auto& c : cases) {
        t.HasCPA = c.hasCpa, t.RangeKnown = c.rangeKnown, t.PositionKnown = c.positionKnown;
        const std::string tip = TargetTipText(t, 100 + 125.5);
        const std::string approach = "CPA 0.42 nm  TCPA 12.5 min\n";
        EXPECT_EQ(tip.find(approach) != std::string::npos, c.shown) << tip;
        EXPECT_EQ(tip.rfind("<b>NORDIC</b>\nMMSI 002440001\nClass A Vessel \u00b7 Cargo\nSOG 12.3 kn  COG 045.0\u00b0\n",
                            0),
                  0u)
            << tip;
        EXPECT_NE(tip.find("Last report 2 min 05 s ago"), std::string::npos) << tip;
    }
    // A base station has no speed or course, nor a type group; no name: no name line.
    TargetRecord bs;
    bs.Class = TargetClass::BS;
    bs.MMSI = 2442000;
    bs.Motion.SOG = 102.3f;
    bs.LastMsgMonotonic = 10;
    EXPECT_EQ(TargetTipText(bs, 9), "MMSI 002442000\nBase Station\nLast report 0 s ago");
    TargetRecord b;
    b.Class = TargetClass::B;
    b.Motion.SOG = 102.3f;
    b.Motion.COG = 360;
    EXPECT_NE(TargetTipText(b, 3 * 3600 + 61).find("SOG n/a  COG n/a\n"), std::string::npos);
    EXPECT_NE(TargetTipText(b, 3 * 3600 + 61).find("Last report 3 h 01 min ago"), std::string::npos);
}

class PlotTargetsTest : public ::testing::Test {
protected:
    PlotTargetsTest() {
        ctx.reference = &state;
        state.moveTo(52.0, 4.0);
        SetupPlot(plot, state.lat(), state.lon(), 800, 600, sink);
    }
    TargetRecord& add(int32_t mmsi, double lat, double lon) {
        rec.Type1.MMSI = mmsi;
        TargetRecord& t = table.entry(table.AddOrUpdateTarget(input::SentenceKind::VDM, 1, rec, ctx).entry);
        t.Fix.Latitude = lat, t.Fix.Longitude = lon, t.Motion.SOG = 0, t.Motion.COG = 0, t.TrueHeading = 0;
        t.Status = targets::TargetStatus::Current;
        t.PositionKnown = true;
        return t;
    }
    std::vector<Shape> pass() {
        std::vector<Shape> trail;
        StoreTracks(plot, table, trail, sink);
        return CurrentPositions(plot, table, state, {}, view());
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

TEST_F(PlotTargetsTest, HitTestFindsTheTargetUnderThePixel) {
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

TEST_F(PlotTargetsTest, EveryDangerousTargetDrawsItsClosestApproach) {
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

TEST_F(PlotTargetsTest, LabelsKeepClearOfOtherTargetsSymbolsAndVectors) {
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
