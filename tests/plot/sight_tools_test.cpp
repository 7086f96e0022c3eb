#include "plot/sight_tools.h"

#include <gtest/gtest.h>

namespace plot {
namespace {

TEST(LineOfSight, RangeFromBothHeights) {
    struct Row {
        const char* eye;
        const char* object;
        const char* km;
        const char* nmile;
        double metres;
    };
    const Row rows[] = {
        {"16.0", "0.0", "16.4 km", "8.8 nmile", 16400},
        {"10.0", "25.0", "33.5 km", "18.0 nmile", 4100 * (3.1622776601683795 + 5)},
        {"0,0", "0.0", "0.0 km", "0.0 nmile", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.eye);
        double h1 = -1, h2 = -1;
        const LosTexts t = LosFromCaptions(r.eye, r.object, h1, h2);
        EXPECT_EQ(t.km, r.km);
        EXPECT_EQ(t.nmile, r.nmile);
        EXPECT_NEAR(LosRangeMetres(h1, h2), r.metres, 1e-6);
    }
    // Reopened, the calculator shows the stored range: nautical miles as 4.1·1000/1852 times the roots.
    const LosTexts reopened = LosFromRange(16400);
    EXPECT_EQ(reopened.km, "16.4 km");
    EXPECT_EQ(reopened.nmile, "8.9 nmile");
    EXPECT_EQ(StoredHeightText(16), "16");
    EXPECT_EQ(StoredHeightText(2.5f), "2.5");
}

TEST(Erbl, OriginFollowsTheReferenceUnlessOffset) {
    base::RecordingMessageSink sink;
    targets::Reference state;
    state.moveTo(52.0, 4.0);
    PlotState plot;
    SetupPlot(plot, state.lat(), state.lon(), 800, 600, sink);

    CursorReadout cursor = ReadCursor(plot, 0, 1852, state, sink);
    ErblReadout r = UpdateErbl(plot, cursor, state, false, sink);
    EXPECT_DOUBLE_EQ(plot.erbl.originLat, 52.0 * geodesy::kDegToRad);
    EXPECT_NEAR(plot.erbl.originE, plot.centreE, 1e-6);
    EXPECT_EQ(r.range, "1.0 nmile");
    EXPECT_EQ(r.bearing.substr(0, 3), "000");
    EXPECT_NEAR(plot.erbl.range, 1852, 5);

    // Offset: measured from the point where the menu was opened, which stays.
    SetErblOrigin(plot, -3704, 1852, sink);
    EXPECT_NEAR(plot.erbl.originLat * geodesy::kRadToDeg, 52.0 + 1.0 / 60, 0.001);
    r = UpdateErbl(plot, cursor, state, true, sink);
    EXPECT_EQ(r.range, "2.0 nmile");
    EXPECT_EQ(r.bearing.substr(0, 3), "090");
    cursor = ReadCursor(plot, -3704, 0, state, sink);
    r = UpdateErbl(plot, cursor, state, true, sink);
    EXPECT_EQ(r.range, "1.0 nmile");
    EXPECT_EQ(r.bearing.substr(0, 3), "180");
}

}  // namespace
}  // namespace plot
