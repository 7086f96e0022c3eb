// Where a window was: its left and top edge (and optionally width and height)
// in twips under the given keys of the settings store.
//
//   ui::WindowPlacement placement({{"ERBLLeft", 1950}, {"ERBLTop", 1000}});
//   placement.place(window, settings);   // when the window loads
//   placement.store(window, settings);   // when it unloads
//
// An edge that did not move keeps its stored twips, so rounding to pixels never
// creeps. A restored window always lands where it can be seen: a stored place
// off every screen (a wild number in the store, an unplugged second monitor)
// is moved, and a size larger than the screen shrunk, into the available area
// of the screen (FitOnScreen); the fitted place is what is stored back.
// Without a settings store the defaults are used and nothing is stored.
#pragma once

#include <QRect>
#include <QWidget>
#include <utility>
#include <vector>

namespace ui {

class SettingsStore;

// Room kept for the title bar the window manager adds above a window, whose
// height is not known before the window is shown.
inline constexpr int kTitleBarAllowance = 32;

// `wanted` (the window's top-left and its size without the frame, in pixels)
// moved and, if need be, shrunk so that it and a title bar lie inside the
// available area of the screen under its top-left corner, else under its
// centre, else of the primary screen.
QRect FitOnScreen(const QRect& wanted);

// Top-left for a window of `size` (without its title bar) that must not cover
// `avoid` (global pixels): below it, else right of it, above it, left of it,
// whichever first fits on the screen; below it when none does.
QPoint PlaceClearOf(const QRect& avoid, const QSize& size);

// A window whose content may be larger than the screen (at twice the scale,
// on a small screen): the content goes into a scroll area filling `window`
// (or, for a main window, its central area). Lay the content out into the
// widget returned; FitToContent then sizes the window to it, at most to the
// available screen.
QWidget* ScrollingContent(QWidget& window);
void FitToContent(QWidget& window, QWidget& content);

// Widens a small window's minimum so its title bar shows the whole title
// (a bold title font and room for the buttons the window manager adds).
void KeepTitleWhole(QWidget& window);

class WindowPlacement {
public:
    // What a window minimised at unload stores: nothing, or the place it returns to.
    enum class WhenMinimised { StoreNothing, StoreNormalPlace };

    // Keys with their defaults in twips, in the order left, top, width, height (two or four).
    explicit WindowPlacement(std::vector<std::pair<const char*, double>> keys,
                             WhenMinimised minimised = WhenMinimised::StoreNothing)
        : keys_(std::move(keys)), minimised_(minimised) {}

    void place(QWidget& window, const SettingsStore* settings);
    void store(const QWidget& window, SettingsStore* settings) const;

private:
    std::vector<std::pair<const char*, double>> keys_;
    WhenMinimised minimised_;
    // As read (twips) and as applied (pixels), after fitting on the screen.
    std::vector<double> twips_;
    std::vector<int> pixels_;
};

}  // namespace ui
