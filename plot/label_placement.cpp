#include "plot/label_placement.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace plot {

namespace {

// Boxes are filed by the grid cells they touch, so a test looks only at the
// few boxes near it, whatever the number of labels.
class BoxIndex {
public:
    bool free(const LabelBox& b) const {
        bool clear = true;
        forCells(b, [&](int64_t key) {
            if (!clear) return;
            const auto it = cells_.find(key);
            if (it == cells_.end()) return;
            for (size_t i : it->second) {
                if (boxes_[i].overlaps(b)) {
                    clear = false;
                    return;
                }
            }
        });
        return clear;
    }
    void add(const LabelBox& b) {
        const size_t i = boxes_.size();
        boxes_.push_back(b);
        forCells(b, [&](int64_t key) { cells_[key].push_back(i); });
    }

private:
    static constexpr double kCell = 64;
    template <typename F>
    static void forCells(const LabelBox& b, F&& f) {
        // Far-off boxes share the edge cells; they are still compared exactly.
        auto cell = [](double v) { return static_cast<int64_t>(std::floor(std::clamp(v, -1e6, 1e6) / kCell)); };
        for (int64_t cx = cell(b.left); cx <= cell(b.right); ++cx) {
            for (int64_t cy = cell(b.top); cy <= cell(b.bottom); ++cy) f(cx * 1000003 + cy);
        }
    }
    std::vector<LabelBox> boxes_;
    std::unordered_map<int64_t, std::vector<size_t>> cells_;
};

constexpr LabelSpot kSpots[] = {LabelSpot::Right,     LabelSpot::Left,      LabelSpot::UpperRight,
                                LabelSpot::LowerRight, LabelSpot::UpperLeft, LabelSpot::LowerLeft,
                                LabelSpot::Above,      LabelSpot::Below};

}  // namespace

LabelBox LabelBoxAt(const LabelRequest& r, LabelSpot spot) {
    const double g = kLabelGap, w = r.width, h = r.height;
    double left = r.x + g, top = r.y - 2;
    switch (spot) {
        case LabelSpot::Right: break;
        case LabelSpot::Left: left = r.x - g - w; break;
        case LabelSpot::Above: left = r.x - w / 2, top = r.y - g - h; break;
        case LabelSpot::Below: left = r.x - w / 2, top = r.y + g; break;
        case LabelSpot::UpperRight: top -= h + 1; break;
        case LabelSpot::LowerRight: top += h + 1; break;
        case LabelSpot::UpperLeft: left = r.x - g - w, top -= h + 1; break;
        case LabelSpot::LowerLeft: left = r.x - g - w, top += h + 1; break;
        case LabelSpot::Dropped: break;
    }
    return {left, top, left + w, top + h};
}

std::vector<LabelPlacement> PlaceLabels(const std::vector<LabelRequest>& requests,
                                        const std::vector<LabelBox>& obstacles) {
    std::vector<size_t> order(requests.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (requests[a].keep != requests[b].keep) return requests[a].keep;
        return requests[a].priority > requests[b].priority;
    });
    BoxIndex taken;
    for (const LabelBox& b : obstacles) taken.add(b);
    std::vector<LabelPlacement> out(requests.size());
    for (size_t i : order) {
        const LabelRequest& r = requests[i];
        LabelSpot chosen = LabelSpot::Dropped;
        for (LabelSpot s : kSpots) {
            if (taken.free(LabelBoxAt(r, s))) {
                chosen = s;
                break;
            }
        }
        if (chosen == LabelSpot::Dropped && r.keep) chosen = LabelSpot::Right;
        if (chosen == LabelSpot::Dropped) continue;
        const LabelBox box = LabelBoxAt(r, chosen);
        taken.add(box);
        out[i] = {chosen, box.left, box.top};
    }
    return out;
}

}  // namespace plot
