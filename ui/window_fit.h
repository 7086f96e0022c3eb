// Small helpers for how side windows open and close.
//
//   ui::CloseOnEscape(*this);                       // Esc closes the window
//   resize(ui::OpeningSize(wanted, screen->availableGeometry()));
#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

namespace ui {

// Esc anywhere in `window` closes it (as the window's close button does).
void CloseOnEscape(QWidget& window);

// `wanted` (a window's size without its frame) shrunk to what fits in
// `available` below a title bar; never below 1x1.
QSize OpeningSize(const QSize& wanted, const QRect& available);

// A shown window moved and, if need be, shrunk so that its frame (borders
// and title bar as the window system drew them) lies inside its screen's
// available area; its content scrolls where it must.
void KeepFrameOnScreen(QWidget& window);

// Every shown top-level window but `keep` closed (the program's side windows
// close with its main window).
void CloseOtherWindows(const QWidget& keep);
// Every shown modal dialog rejected and every other modal window closed, so
// nothing waits on the operator while the program stops.
void DismissModalWindows();

}  // namespace ui
