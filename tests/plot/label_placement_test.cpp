#include "plot/label_placement.h"

#include <gtest/gtest.h>

namespace plot {
namespace {

using S = LabelSpot;

TEST(LabelPlacement, SpotsAroundTheSymbolInTurnThenDropped) {
    struct Row {
        const char* what;
        std::vector<LabelRequest> requests;
        std::vector<LabelBox> obstacles;
        std::vector<S> spots;
    };
    const LabelRequest a{100, 100, 40, 12, 1, false};
    auto at = [&](int64_t priority, bool keep) { return LabelRequest{100, 100, 40, 12, priority, keep}; };
    const LabelBox everywhere{0, 0, 200, 200};
    const Row rows[] = {
        {"alone: to the right", {a}, {}, {S::Right}},
        {"two on one symbol", {a, a}, {}, {S::Right, S::Left}},
        {"seven on one symbol: six spots, no room for the last",
         {a, a, a, a, a, a, a},
         {},
         {S::Right, S::Left, S::UpperRight, S::LowerRight, S::UpperLeft, S::LowerLeft, S::Dropped}},
        {"narrow ones fit above and below too",
         std::vector<LabelRequest>(7, {100, 100, 4, 12, 1, false}),
         {},
         {S::Right, S::Left, S::UpperRight, S::LowerRight, S::UpperLeft, S::LowerLeft, S::Above}},
        {"the higher priority takes the first spot", {at(1, false), at(5, false)}, {}, {S::Left, S::Right}},
        {"a kept label goes first", {at(9, false), at(0, true)}, {}, {S::Left, S::Right}},
        {"no room at all: dropped, unless kept", {at(9, false), at(0, true)}, {everywhere}, {S::Dropped, S::Right}},
        {"far apart: both to the right", {a, {300, 300, 40, 12, 1, false}}, {}, {S::Right, S::Right}},
        {"far off the picture, boxes are still compared exactly",
         {{3e6, 100, 40, 12, 1, false}},
         {{3e6 + 6, 95, 3e6 + 40, 110}},
         {S::Left}},
        {"one a world away from the other: neither loses its own obstacles",
         {a, {-2e7, 100, 40, 12, 1, false}},
         {{140, 90, 150, 100}, {-2e7 + 6, 95, -2e7 + 40, 110}},
         {S::Left, S::Left}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::vector<LabelPlacement> placed = PlaceLabels(r.requests, r.obstacles);
        ASSERT_EQ(placed.size(), r.spots.size());
        for (size_t i = 0; i < placed.size(); ++i) EXPECT_EQ(placed[i].spot, r.spots[i]) << i;
    }
}

TEST(LabelPlacement, NoTwoPlacedLabelsOverlapInADenseKnot) {
    std::vector<LabelRequest> requests;
    for (int i = 0; i < 400; ++i) {
        requests.push_back({200.0 + (i * 37) % 90, 200.0 + (i * 53) % 70, 30.0 + i % 50, 12, i % 4, i == 399});
    }
    const std::vector<LabelPlacement> placed = PlaceLabels(requests);
    std::vector<LabelBox> boxes;
    for (size_t i = 0; i < placed.size(); ++i) {
        if (placed[i].spot == S::Dropped) continue;
        boxes.push_back(LabelBoxAt(requests[i], placed[i].spot));
        EXPECT_DOUBLE_EQ(boxes.back().left, placed[i].left);
    }
    EXPECT_NE(placed.back().spot, S::Dropped);  // the kept one
    EXPECT_LT(boxes.size(), requests.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size(); ++j) ASSERT_FALSE(boxes[i].overlaps(boxes[j])) << i << " " << j;
    }
}

}  // namespace
}  // namespace plot
