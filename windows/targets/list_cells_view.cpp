#include "windows/targets/list_cells_view.h"

#include <QAccessible>
#include <algorithm>

#include "ui/work_trace.h"
#include "windows/targets/list_cell_delegate.h"

namespace targets {

ListCellsView::ListCellsView(QWidget* parent) : QTableView(parent), delegate_(new ListCellDelegate(this)) {
    setItemDelegate(delegate_);
}

// The list's painting counts as the list's work in the window thread's trace.
void ListCellsView::paintEvent(QPaintEvent* event) {
    const ui::WorkScope traced(ui::WorkPart::List);
    QTableView::paintEvent(event);
}

void ListCellsView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
    // Another delegate, an editor or an assistive tool: the standard way.
    if (itemDelegate() != delegate_ || QAccessible::isActive() || state() == EditingState || !isVisible()) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!topLeft.isValid() || !bottomRight.isValid() || !model()) return;
    const int firstShown = rowAt(0);
    if (firstShown < 0) return;  // no row on screen
    int lastShown = rowAt(viewport()->height() - 1);
    if (lastShown < 0) lastShown = model()->rowCount(rootIndex()) - 1;
    const int top = std::max(topLeft.row(), firstShown), bottom = std::min(bottomRight.row(), lastShown);
    for (int r = top; r <= bottom; ++r) {
        if (isRowHidden(r)) continue;
        for (int c = topLeft.column(); c <= bottomRight.column(); ++c) {
            if (isColumnHidden(c)) continue;
            const QModelIndex cell = model()->index(r, c, rootIndex());
            if (!delegate_->showsCurrent(cell)) viewport()->update(visualRect(cell));
        }
    }
}

}  // namespace targets
