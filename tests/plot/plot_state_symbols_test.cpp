#include "plot/plot_state_symbols.h"

#include <gtest/gtest.h>

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
    t.Id.Name = "<b>NORDIC</b>@@@", t.MMSI = 2440001, t.Class = TargetClass::A, t.Ship.ShipType = 71;
    t.Motion.SOG = 12.34f, t.Motion.COG = 45, t.CPA = 0.4249, t.TCPA = 12.46, t.LastMsgMonotonic = 100;
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
    bs.Class = TargetClass::BS, bs.MMSI = 2442000, bs.Motion.SOG = 102.3f, bs.LastMsgMonotonic = 10;
    EXPECT_EQ(TargetTipText(bs, 9), "MMSI 002442000\nBase Station\nLast report 0 s ago");
    TargetRecord b;
    b.Class = TargetClass::B, b.Motion.SOG = 102.3f, b.Motion.COG = 360;
    EXPECT_NE(TargetTipText(b, 3 * 3600 + 61).find("SOG n/a  COG n/a\n"), std::string::npos);
    EXPECT_NE(TargetTipText(b, 3 * 3600 + 61).find("Last report 3 h 01 min ago"), std::string::npos);
}

}  // namespace
}  // namespace plot
