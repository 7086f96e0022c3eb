// Label placement: each label goes to the first of a few spots around its
// symbol where it overlaps no label placed before it; a label with no free
// spot is dropped, unless it must be kept (the own ship, the selected
// target), which is then placed to the right of its symbol all the same.
// Labels are placed kept ones first, then by priority (higher first), then in
// the order given. Boxes are in pixels, y downwards.
//
//   std::vector<plot::LabelRequest> r = {{100, 100, 60, 12, 3, false}, {102, 101, 60, 12, 1, false}};
//   auto spots = plot::PlaceLabels(r);   // the first to the right, the second to the left of its symbol
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plot {

struct LabelBox {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool overlaps(const LabelBox& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

struct LabelRequest {
    double x = 0, y = 0;  // the symbol's centre
    double width = 0, height = 0;
    int64_t priority = 0;
    bool keep = false;
};

// Tried in this order. Right is where a label always stood: starting a gap to
// the right of the symbol, its top a little above the symbol's centre. The
// upper and lower spots are stacked on the right and left ones, so six labels
// fit around one symbol; above and below, centred, come last.
enum class LabelSpot : uint8_t { Right, Left, UpperRight, LowerRight, UpperLeft, LowerLeft, Above, Below, Dropped };
inline constexpr double kLabelGap = 5;

struct LabelPlacement {
    LabelSpot spot = LabelSpot::Dropped;
    double left = 0, top = 0;  // the box's top-left corner
};

// How wide a text is drawn, and how high a line of it, in pixels; the window
// measures with its font, tests with a fixed advance.
struct TextMeasure {
    std::function<double(const std::string&)> width = [](const std::string& s) { return 7.0 * s.size(); };
    double height = 13;
};

LabelBox LabelBoxAt(const LabelRequest& r, LabelSpot spot);

// One placement per request, in the order of the requests. Obstacles are
// boxes already taken (labels of another layer).
std::vector<LabelPlacement> PlaceLabels(const std::vector<LabelRequest>& requests,
                                        const std::vector<LabelBox>& obstacles = {});

}  // namespace plot
