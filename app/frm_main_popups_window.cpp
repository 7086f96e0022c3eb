// The main window's message pop-ups: where a new one opens, and how many stay open.
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QScreen>
#include <algorithm>

#include "app/frm_main_window.h"
#include "ui/popup_placement.h"
#include "ui/window_placement.h"

namespace app {

namespace {

QRect GlobalRect(const QWidget& w) { return {w.mapToGlobal(QPoint(0, 0)), w.size()}; }

// A top-level window with room for the title bar the window manager adds.
QRect WindowRect(const QWidget& w) {
    return {w.frameGeometry().topLeft(), w.size() + QSize(0, ui::kTitleBarAllowance)};
}

}  // namespace

void FrmMain::showPopup(QWidget& window) {
    std::erase_if(popupOrder_, [](const QPointer<QWidget>& w) { return !w || !w->isVisible(); });
    if (std::find(popupOrder_.begin(), popupOrder_.end(), &window) != popupOrder_.end()) {
        window.show();  // open already: it keeps its place
        return;
    }
    ui::PopupScene scene;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    scene.screen = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    scene.list = GlobalRect(*fgAISTargets_);
    scene.reference = GlobalRect(*frameRefPos_);
    for (const QPointer<QWidget>& w : popupOrder_) scene.open.push_back(WindowRect(*w));
    for (QWidget* t : QApplication::topLevelWidgets()) {
        const auto* dialog = qobject_cast<QDialog*>(t);
        if (t->isVisible() && (t->isModal() || (dialog && dialog->isModal()))) scene.dialogs.push_back(WindowRect(*t));
    }
    if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();
    const QRect at = ui::NextPopupRect(scene, window.size() + QSize(0, ui::kTitleBarAllowance));
    window.move(at.topLeft());
    window.show();
    popupOrder_.emplace_back(&window);
    // The oldest gives way; what it showed stays in Incoming Messages.
    while (static_cast<int>(popupOrder_.size()) > ui::kMaxOpenPopups) {
        const QPointer<QWidget> oldest = popupOrder_.front();
        popupOrder_.erase(popupOrder_.begin());
        if (oldest) oldest->close();
    }
}

}  // namespace app
