#include "ui/status_bar_fit.h"

#include <QEvent>
#include <QLayout>
#include <algorithm>

namespace ui {

namespace {

// Room the bar's layout keeps between and around its items.
constexpr int kItemSpacing = 8;

}  // namespace

StatusBarFit::StatusBarFit(QStatusBar& bar, QLabel& whole, std::vector<Group> dropOrder)
    : QObject(&bar), bar_(bar), whole_(whole), dropOrder_(std::move(dropOrder)), dropped_(dropOrder_.size(), false) {
    bar_.installEventFilter(this);
}

bool StatusBarFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &bar_ && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)) fit();
    return QObject::eventFilter(watched, event);
}

void StatusBarFit::fit() {
    if (fitting_) return;
    fitting_ = true;
    auto droppable = [this](const QWidget* w) -> int {
        for (size_t g = 0; g < dropOrder_.size(); ++g) {
            if (std::find(dropOrder_[g].begin(), dropOrder_[g].end(), w) != dropOrder_[g].end()) return int(g);
        }
        return -1;
    };
    // What every item needs, the whole label its whole text; a group's items
    // count even while hidden (by us) so that widening brings them back.
    int fixed = 0;
    std::vector<int> groupWidth(dropOrder_.size(), 0);
    const QList<QWidget*> items = bar_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* w : items) {
        const int g = droppable(w);
        if (g < 0 && !w->isVisibleTo(&bar_)) continue;
        int need = w->sizeHint().width();
        if (w == &whole_) {
            const QMargins m = whole_.contentsMargins();
            need = whole_.fontMetrics().horizontalAdvance(whole_.text()) + m.left() + m.right() + 2;
        }
        need += kItemSpacing;
        if (g < 0) {
            fixed += need;
        } else {
            groupWidth[size_t(g)] += need;
        }
    }
    int total = fixed;
    for (int w : groupWidth) total += w;
    const int room = bar_.width();
    for (size_t g = 0; g < dropOrder_.size(); ++g) {
        dropped_[g] = total > room;
        if (dropped_[g]) total -= groupWidth[g];
    }
    for (size_t g = 0; g < dropOrder_.size(); ++g) {
        for (QWidget* w : dropOrder_[g]) {
            if (w->isHidden() != dropped_[g]) w->setVisible(!dropped_[g]);
        }
    }
    fitting_ = false;
}

}  // namespace ui
