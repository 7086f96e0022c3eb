#include "ui/window_fit.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

#include "ui/window_placement.h"

namespace ui {

void CloseOnEscape(QWidget& window) {
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    esc->setContext(Qt::WindowShortcut);
    QObject::connect(esc, &QShortcut::activated, &window, &QWidget::close);
}

QSize OpeningSize(const QSize& wanted, const QRect& available) {
    const int width = std::clamp(wanted.width(), 1, std::max(1, available.width()));
    const int height = std::clamp(wanted.height(), 1, std::max(1, available.height() - kTitleBarAllowance));
    return {width, height};
}

void KeepFrameOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    const QSize border = frame.size() - window.size();
    const QSize size(std::clamp(window.width(), 1, std::max(1, area.width() - border.width())),
                     std::clamp(window.height(), 1, std::max(1, area.height() - border.height())));
    if (size != window.size()) window.resize(size);
    const int left = std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - size.width() - border.width()));
    const int top = std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height() - border.height()));
    if (QPoint(left, top) != frame.topLeft()) window.move(left, top);
}

void CloseOtherWindows(const QWidget& keep) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != &keep && w->isWindow() && w->isVisible()) w->close();
    }
}

void DismissModalWindows() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isModal() || !w->isVisible()) continue;
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        } else {
            w->close();
        }
    }
}

}  // namespace ui
