// Where the next message pop-up goes: in the free part of the screen, clear
// of the target list and the reference frame, never over a modal dialog, and
// not on top of the pop-ups already open (cascaded beside them when the free
// room is used up).
//
//   PopupScene scene{screen->availableGeometry(), listRect, frameRect, {openPopupRects}, {dialogRects}};
//   const QRect r = ui::NextPopupRect(scene, window.size() + QSize(0, ui::kTitleBarAllowance));
//   window.move(r.topLeft());
//
// All rectangles are global pixels of whole windows (title bar included).
#pragma once

#include <QRect>
#include <QSize>
#include <vector>

namespace ui {

struct PopupScene {
    QRect screen;               // the available area of the screen
    QRect list;                 // the target list
    QRect reference;            // the reference-position frame
    std::vector<QRect> open;    // pop-ups already open, oldest first
    std::vector<QRect> dialogs; // modal dialogs: never covered
};

// The pop-ups open at once; the oldest closes when another one opens.
inline constexpr int kMaxOpenPopups = 3;

// The place of a pop-up of `size`: inside the screen (as far as it fits), over
// no dialog, over as little of the list and the reference frame as the room
// allows, then over as little of the open pop-ups as it can; among equals the
// place one cascade step from the newest open pop-up, else the one nearest the
// screen's top right. Never at the very corner of an open pop-up.
QRect NextPopupRect(const PopupScene& scene, const QSize& size);

}  // namespace ui
