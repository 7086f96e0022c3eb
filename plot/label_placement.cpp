#include "plot/label_placement.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace plot {

namespace {

// Boxes are filed by the grid cells they touch, so a test looks only at the
// few boxes near it, whatever the number of labels. The cells are one flat
// array over the area every box can reach (known before the first label is
// placed); boxes far off that area share its edge cells and are still
// compared exactly.
class BoxIndex {
public:
    explicit BoxIndex(const LabelBox& area) {
        left_ = Clamp(area.left), top_ = Clamp(area.top);
        const double width = Clamp(area.right) - left_, height = Clamp(area.bottom) - top_;
        // Cells of kCell pixels, larger where the area is too wide for them.
        cell_ = std::max({kCell, width / kMaxCells, height / kMaxCells});
        columns_ = static_cast<int>(width / cell_) + 1;
        rows_ = static_cast<int>(height / cell_) + 1;
        cells_.resize(static_cast<size_t>(columns_) * static_cast<size_t>(rows_));
    }
    bool free(const LabelBox& b) const {
        bool clear = true;
        forCells(b, [&](size_t cell) {
            if (!clear) return;
            for (uint32_t i : cells_[cell]) {
                if (boxes_[i].overlaps(b)) {
                    clear = false;
                    return;
                }
            }
        });
        return clear;
    }
    void add(const LabelBox& b) {
        const auto i = static_cast<uint32_t>(boxes_.size());
        boxes_.push_back(b);
        forCells(b, [&](size_t cell) { cells_[cell].push_back(i); });
    }

private:
    static constexpr double kCell = 32;
    static constexpr double kMaxCells = 1024;
    static double Clamp(double v) { return std::isnan(v) ? 0 : std::clamp(v, -1e6, 1e6); }
    int column(double x) const { return std::clamp(static_cast<int>(std::floor((Clamp(x) - left_) / cell_)), 0, columns_ - 1); }
    int row(double y) const { return std::clamp(static_cast<int>(std::floor((Clamp(y) - top_) / cell_)), 0, rows_ - 1); }
    template <typename F>
    void forCells(const LabelBox& b, F&& f) const {
        const int c1 = column(b.right), r0 = row(b.top), r1 = row(b.bottom);
        for (int c = column(b.left); c <= c1; ++c) {
            for (int r = r0; r <= r1; ++r) f(static_cast<size_t>(r) * static_cast<size_t>(columns_) + static_cast<size_t>(c));
        }
    }
    double left_ = 0, top_ = 0, cell_ = kCell;
    int columns_ = 1, rows_ = 1;
    std::vector<LabelBox> boxes_;
    std::vector<std::vector<uint32_t>> cells_;
};

constexpr LabelSpot kSpots[] = {LabelSpot::Right,     LabelSpot::Left,      LabelSpot::UpperRight,
                                LabelSpot::LowerRight, LabelSpot::UpperLeft, LabelSpot::LowerLeft,
                                LabelSpot::Above,      LabelSpot::Below};

// The area every obstacle and every spot a label may take lies in.
LabelBox Reach(const std::vector<LabelRequest>& requests, const std::vector<LabelBox>& obstacles) {
    LabelBox area{0, 0, 0, 0};
    bool any = false;
    const auto take = [&](const LabelBox& b) {
        if (!any) {
            area = b;
            any = true;
            return;
        }
        area.left = std::min(area.left, b.left), area.top = std::min(area.top, b.top);
        area.right = std::max(area.right, b.right), area.bottom = std::max(area.bottom, b.bottom);
    };
    for (const LabelBox& b : obstacles) take(b);
    for (const LabelRequest& r : requests) {
        for (LabelSpot s : kSpots) take(LabelBoxAt(r, s));
    }
    return area;
}

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
    BoxIndex taken(Reach(requests, obstacles));
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
