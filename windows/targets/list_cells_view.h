// ListCellsView: the target list's table view. When the model says rows
// changed, it repaints only the cells on screen whose text or colour is not
// what they showed when last painted (ListCellDelegate notes that), rather
// than every cell of the changed rows on screen.
//
// With thousands of rows the list is told once a second that every row
// changed (new approaches, a re-sort); most cells on screen then read as
// before, and painting a cell's text is most of the list's work.
//
//   auto* view = new targets::ListCellsView(parent);   // has its delegate
//   view->setModel(&model);
#pragma once

#include <QTableView>

namespace targets {

class ListCellDelegate;

class ListCellsView : public QTableView {
    Q_OBJECT
public:
    explicit ListCellsView(QWidget* parent = nullptr);

    ListCellDelegate& cellDelegate() const { return *delegate_; }

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ListCellDelegate* delegate_;
};

}  // namespace targets
