#include "plot/plot_geometry.h"

#include <gtest/gtest.h>

namespace plot {
namespace {

TEST(PlotScale, RingsTickTextAndZoomButtonsFollowTheScale) {
    struct Row {
        int32_t scale;
        float spacing;
        int32_t tick;
        const char* ringText;
        const char* tickText;
        bool plus, minus;
    };
    const Row rows[] = {
        {10, 0.01f, 1, "RangeRings : 0.01 nmile  ", " 1 m", false, true},
        {150, 0.01f, 2, "RangeRings : 0.01 nmile  ", " 2 m", true, true},
        {1000, 0.01f, 10, "RangeRings : 0.01 nmile  ", " 10 m", true, true},
        {123456, 1.23f, 1235, "RangeRings : 1 nmile  ", " 1235 m", true, true},
        {500000, 5.0f, 5000, "RangeRings : 5 nmile  ", " 5000 m", true, true},
        {10000000, 100.0f, 100000, "RangeRings : 100 nmile  ", " 100000 m", true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.scale);
        EXPECT_FLOAT_EQ(RingSpacing(r.scale), r.spacing);
        EXPECT_EQ(GridTick(r.scale), r.tick);
        EXPECT_EQ(RingPanelText(r.scale, RingSpacing(r.scale)), r.ringText);
        EXPECT_EQ(GridTickText(GridTick(r.scale)), r.tickText);
        EXPECT_EQ(std::pair(ZoomButtonState(r.scale).plus, ZoomButtonState(r.scale).minus),
                  std::pair(r.plus, r.minus));
    }
}

TEST(PlotScale, ZoomButtonsStepThroughTheList) {
    struct Row {
        int selected;
        int32_t scale;
        bool zoomIn;
        int expected;
    };
    const Row rows[] = {
        {14, 500000, true, 13},   // selected entry: the one before it
        {18, 10000000, false, -1},
        {-1, 300000, true, 13},   // a scale of its own: the next smaller entry
        {-1, 5, true, 0},         // nothing smaller: the first entry
        {-1, 20000000, true, 17},  // the search starts at the second-to-last entry
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.selected << " " << r.scale << " " << r.zoomIn);
        EXPECT_EQ(ZoomIndex(r.selected, r.scale, r.zoomIn), r.expected);
    }
    EXPECT_EQ(ScaleFromText(" 2500,4"), 2500);
    EXPECT_EQ(ScaleFromText("scale"), std::nullopt);
}

TEST(PlotView, ZoomBoxNeedsAWidthAndShowsTheWholeBox) {
    const PlotView v{100000, 1000, 2000, 800, 400, 40};  // 20 cm by 10 cm: 20000 m by 10000 m
    EXPECT_FALSE(ZoomBox(v, 0, 0, 20000.0 / 30, 3000));
    EXPECT_FALSE(ZoomBox(v, 0, 0, 0, 9000));  // a tall line has no width
    // Half the width, a tenth of the height: the width fills the picture.
    auto z = ZoomBox(v, 4000, 1000, -6000, 0);
    ASSERT_TRUE(z);
    EXPECT_EQ(z->scale, 50000);
    EXPECT_DOUBLE_EQ(z->centreE, 1000 - 1000);
    EXPECT_DOUBLE_EQ(z->centreN, 2000 + 500);
    // A box as wide as half the height but as tall as the picture: its height decides.
    z = ZoomBox(v, 0, -5000, 5000, 5000);
    ASSERT_TRUE(z);
    EXPECT_EQ(z->scale, 100000);
    EXPECT_DOUBLE_EQ(z->centreE, 1000 + 2500);
}

TEST(PlotShapes, SpeedVectorIsThreeMinutesOfTravel) {
    const auto v = SpeedVectorEnd(100, 200, 10, 90, 3);
    ASSERT_TRUE(v);
    EXPECT_NEAR(v->x, 100 + 926, 1e-6);
    EXPECT_NEAR(v->y, 200, 1e-6);
    EXPECT_FALSE(SpeedVectorEnd(0, 0, 0.1f, 90, 3));  // a speed as the table holds it
    EXPECT_FALSE(SpeedVectorEnd(0, 0, 10, -9999, 3));  // course not available
    EXPECT_TRUE(SpeedVectorEnd(0, 0, 0.11, 0, 3));
}

TEST(PlotShapes, HullOutlineFromDimensions) {
    struct Row {
        double heading, a, b, c, d;
        // stern centre, starboard stern corner, starboard shoulder, bow, port corner, port shoulder
        double points[6][2];
    };
    const Row rows[] = {
        {0, 100, 20, 10, 10, {{0, -20}, {10, -20}, {10, 76}, {0, 100}, {-10, -20}, {-10, 76}}},
        // Reference point 4 m from port of a 20 m beam: the centreline is 6 m to starboard.
        {0, 50, 50, 4, 16, {{6, -50}, {16, -50}, {16, 30}, {6, 50}, {-4, -50}, {-4, 30}}},
        {90, 100, 20, 10, 10, {{-20, 0}, {-20, -10}, {76, -10}, {100, 0}, {-20, 10}, {76, 10}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.heading);
        const HullOutline h = HullShape(0, 0, r.heading, r.a, r.b, r.c, r.d);
        const size_t order[8] = {0, 1, 2, 3, 0, 4, 5, 3};
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_NEAR(h.points[i].x, r.points[order[i]][0], 1e-6) << i;
            EXPECT_NEAR(h.points[i].y, r.points[order[i]][1], 1e-6) << i;
        }
    }
}

TEST(PlotShapes, ClipLineKeepsThePartInside) {
    double x1 = -10, y1 = 5, x2 = 20, y2 = 5;
    ASSERT_TRUE(ClipLine(x1, y1, x2, y2, 0, 0, 10, 10));
    EXPECT_DOUBLE_EQ(x1, 0);
    EXPECT_DOUBLE_EQ(x2, 10);
    x1 = 1e9, y1 = 1e9, x2 = 5, y2 = 5;  // far end beyond any pixel range
    ASSERT_TRUE(ClipLine(x1, y1, x2, y2, 0, 0, 10, 10));
    EXPECT_DOUBLE_EQ(x1, 10);
    EXPECT_DOUBLE_EQ(y1, 10);
    x1 = -5, y1 = 20, x2 = 20, y2 = 40;
    EXPECT_FALSE(ClipLine(x1, y1, x2, y2, 0, 0, 10, 10));
}

}  // namespace
}  // namespace plot
