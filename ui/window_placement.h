// Where a window was: its left and top edge (and optionally width and height)
// in twips under the given keys of the settings store.
//
//   ui::WindowPlacement placement({{"ERBLLeft", 1950}, {"ERBLTop", 1000}});
//   placement.place(window, settings);   // when the window loads
//   placement.store(window, settings);   // when it unloads (nothing while minimised)
//
// An edge that did not move keeps its stored twips, so rounding to pixels never creeps.
#pragma once

#include <QWidget>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class SettingsStore;

class WindowPlacement {
public:
    // Keys with their defaults in twips, in the order left, top, width, height (two or four).
    explicit WindowPlacement(std::vector<std::pair<const char*, double>> keys) : keys_(std::move(keys)) {}

    void place(QWidget& window, SettingsStore* settings);
    void store(const QWidget& window, SettingsStore* settings) const;

private:
    std::vector<std::pair<const char*, double>> keys_;
    std::vector<double> twips_;
    std::vector<int> pixels_;
};

}  // namespace ui
