#include "ui/window_placement.h"

#include <cmath>

#include "ui/settings_store.h"
#include "ui/twips.h"

namespace ui {

namespace {
// Left, top, width, height of a window in pixels.
int Edge(const QWidget& w, size_t i) {
    switch (i) {
        case 0: return w.x();
        case 1: return w.y();
        case 2: return w.width();
        default: return w.height();
    }
}
}  // namespace

void WindowPlacement::place(QWidget& window, SettingsStore* settings) {
    if (!settings) return;
    const double dpi = window.logicalDpiX();
    twips_.clear();
    pixels_.clear();
    for (const auto& [key, def] : keys_) {
        twips_.push_back(settings->readNumber(key, def));
        pixels_.push_back(pixelsFromTwips(static_cast<int>(std::lround(twips_.back())), dpi));
    }
    window.move(pixels_[0], pixels_[1]);
    if (pixels_.size() >= 4) window.resize(std::max(200, pixels_[2]), std::max(200, pixels_[3]));
}

void WindowPlacement::store(const QWidget& window, SettingsStore* settings) const {
    if (!settings || window.isMinimized()) return;
    const double dpi = window.logicalDpiX();
    for (size_t i = 0; i < keys_.size(); ++i) {
        const int pixels = Edge(window, i);
        const double twips = i < pixels_.size() && pixels == pixels_[i] ? twips_[i] : twipsFromPixels(pixels, dpi);
        settings->writeNumber(keys_[i].first, twips);
    }
    settings->sync();
}

}  // namespace ui
