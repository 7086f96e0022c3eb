#include "ui/popup_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ui {

namespace {

constexpr int kCascadeStep = 28;
constexpr int kGridStep = 16;

std::int64_t Overlap(const QRect& a, const QRect& b) {
    const QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : std::int64_t(i.width()) * i.height();
}

struct Cost {
    std::int64_t dialogs = 0, cover = 0, popups = 0, distance = 0;
    bool operator<(const Cost& o) const {
        if (dialogs != o.dialogs) return dialogs < o.dialogs;
        if (cover != o.cover) return cover < o.cover;
        if (popups != o.popups) return popups < o.popups;
        return distance < o.distance;
    }
};

}  // namespace

QRect NextPopupRect(const PopupScene& scene, const QSize& size) {
    const QRect& s = scene.screen;
    const int w = std::min(size.width(), std::max(1, s.width()));
    const int h = std::min(size.height(), std::max(1, s.height()));
    const int maxLeft = s.left() + s.width() - w;
    const int maxTop = s.top() + s.height() - h;
    // The cascade step from the newest pop-up counts as the best place of all its equals.
    QPoint cascade(maxLeft, s.top());
    if (!scene.open.empty()) cascade = scene.open.back().topLeft() + QPoint(kCascadeStep, kCascadeStep);

    auto cost = [&](const QPoint& at) {
        const QRect r(at, QSize(w, h));
        Cost c;
        for (const QRect& d : scene.dialogs) c.dialogs += Overlap(r, d);
        c.cover = Overlap(r, scene.list) + Overlap(r, scene.reference);
        for (const QRect& o : scene.open) {
            c.popups += Overlap(r, o);
            // A window exactly on another hides it whole.
            if (o.topLeft() == at) c.popups += std::int64_t(1) << 40;
        }
        const QPoint d = at - cascade;
        c.distance = std::int64_t(d.x()) * d.x() + std::int64_t(d.y()) * d.y();
        return c;
    };

    std::vector<QPoint> candidates;
    for (int y = s.top(); y <= maxTop; y += kGridStep) {
        for (int x = s.left(); x <= maxLeft; x += kGridStep) candidates.emplace_back(x, y);
        candidates.emplace_back(maxLeft, y);
    }
    for (int x = s.left(); x <= maxLeft; x += kGridStep) candidates.emplace_back(x, maxTop);
    candidates.emplace_back(maxLeft, maxTop);
    // Edges of what must stay uncovered: a pop-up fits snugly beside them.
    for (const QRect& r : {scene.list, scene.reference}) {
        candidates.emplace_back(std::clamp(r.right() + 1, s.left(), maxLeft), std::clamp(r.top(), s.top(), maxTop));
        candidates.emplace_back(std::clamp(r.left(), s.left(), maxLeft), std::clamp(r.bottom() + 1, s.top(), maxTop));
    }
    candidates.emplace_back(std::clamp(cascade.x(), s.left(), maxLeft), std::clamp(cascade.y(), s.top(), maxTop));

    QPoint best = candidates.front();
    Cost bestCost = cost(best);
    for (const QPoint& p : candidates) {
        const Cost c = cost(p);
        if (c < bestCost) {
            bestCost = c;
            best = p;
        }
    }
    return {best, QSize(w, h)};
}

}  // namespace ui
