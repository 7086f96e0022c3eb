// TargetListModel: the target list as a table model over the target table and
// its DisplayOrder. Row r (0-based) is list row r + 1 and shows entry
// DisplayOrder[r + 1]; columns as in targets/target_row.h.
//
// The model keeps the texts of each row, as a grid keeps its cells, so a row
// reads as it was last written (after a message, or by a full rewrite).
// Messages only mark their entry; a short single-shot timer then marks the
// rows due, appends new rows at the bottom and emits dataChanged for each run
// of rewritten rows, so a burst of input repaints the list at most a few
// times per second, and only where a shown row changed. A row due a write is written when it is read (data(),
// rowText()): with 20,000 rows, a re-sort or a moved own ship owes every row
// its texts, and only the screenful the list shows pays for them. New rows are appended; rows of stations that leave the
// table are removed at once (RemoveRows, with rowsRemoved signals, or one
// reset when a great many scattered rows go together).
//
//   targets::TargetListModel model(rx.targets(), rx.reference());
//   view->setModel(&model);
//   ... receiver event targetChangedByMessage(n) -> model.UpdateTargetRow(n);
//   ... receiver event targetStatusChanged(n)    -> model.UpdateStatusCell(n);
//   model.flush();   // or wait for the timer
#pragma once

#include <QAbstractTableModel>
#include <QTimer>
#include <vector>

#include "targets/reference.h"
#include "targets/target_row.h"
#include "targets/target_table.h"

namespace targets {

class TargetListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kFlushIntervalMs = 250;

    TargetListModel(const TargetTable& table, const targets::Reference& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Entry n took a message: its row is rewritten at the next flush.
    void UpdateTargetRow(int entry);
    // Entry n was aged: only its STATUS cell is rewritten at the next flush.
    void UpdateStatusCell(int entry);
    // The table freed these entries and took their rows (ascending) out of
    // DisplayOrder: the same rows leave the model now, and the row numbers
    // below them are rewritten.
    void RemoveRows(const std::vector<RemovedTarget>& removed);
    // The own ship moved: the CPA and TCPA cells of every row are rewritten at the next flush.
    void UpdateApproachCells();
    // Rewrites every row now, in DisplayOrder, and clears ReferenceChanged.
    void RefreshTargetList();
    // DisplayOrder was re-sorted to keep the list sorted: every row is
    // rewritten now as a message would write it (the texts do not change
    // with the order, only their rows).
    void RowsReordered();
    // Writes what is pending: new rows, then marked rows (one dataChanged).
    void flush();
    // The table was emptied and filled anew (a past situation): rows beyond
    // its count leave, the others are rewritten, new ones appended.
    void TableReplaced();
    // The titles of columns 3 and 4 follow the reference mode.
    void referenceModeChanged();

    // Set when the operator changes the reference; the next full rewrite then
    // shows positions in every row.
    bool ReferenceChanged = false;

    const ListRowText& rowText(int row) const {
        settle(row);
        return rows_[static_cast<size_t>(row)];
    }
    QTimer* flushTimer() const { return timer_; }

private:
    RowContext context() const;
    void mark(int entry, uint8_t level);
    void appendNewRows();
    // Every row written again from the table, the way `how` says.
    void rewriteAllRows(RowWrite how);
    // Row r (0-based) owes the writes in `what` (RowDue bits).
    void owe(int row, uint8_t what);
    // The writes row r owes, done now from the table.
    void settle(int row) const;

    const TargetTable& table_;
    const targets::Reference& state_;
    mutable std::vector<ListRowText> rows_;
    // Per row: the writes it owes (RowDue bits), done when it is read.
    mutable std::vector<uint8_t> due_;
    // Per row: the entry it shows, as the model last learnt the order. The
    // table changes DisplayOrder before the model hears of it (a removal), so
    // a row read in between must not take its texts from the new order.
    std::vector<int> rowEntry_;
    std::vector<int> changedRows_;  // scratch of flush()
    // Per entry (1..kMaxCapacity): 0 nothing pending, 1 status cell, 2 whole row.
    std::vector<uint8_t> pending_;
    std::vector<int> pendingEntries_;
    bool approachesPending_ = false;
    QTimer* timer_;
};

}  // namespace targets
