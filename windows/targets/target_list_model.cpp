#include "windows/targets/target_list_model.h"

#include <QColor>
#include <algorithm>

#include "ui/work_trace.h"

namespace targets {

namespace {
constexpr uint8_t kStatusOnly = 1;
constexpr uint8_t kWholeRow = 2;

// What a row owes: its STATUS cell, its CPA and TCPA cells, a whole-row write
// as after a message (Update), a whole-row rewrite (Refresh, with positions
// when the reference was just changed). A Refresh goes before an Update owed
// after it; either covers the single cells.
enum RowDue : uint8_t {
    kDueStatus = 1,
    kDueApproach = 2,
    kDueUpdate = 4,
    kDueRefresh = 8,
    kDueRefreshPositions = 16,
};
constexpr uint8_t kDueAnyRefresh = kDueRefresh | kDueRefreshPositions;
}  // namespace

TargetListModel::TargetListModel(const TargetTable& table, const targets::Reference& state, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      state_(state),
      pending_(kMaxCapacity + 1, 0),
      timer_(new QTimer(this)) {
    rows_.reserve(kMaxTargets);
    due_.reserve(kMaxTargets);
    rowEntry_.reserve(kMaxTargets);
    timer_->setSingleShot(true);
    timer_->setInterval(kFlushIntervalMs);
    connect(timer_, &QTimer::timeout, this, &TargetListModel::flush);
}

int TargetListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TargetListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kListColumns; }

QVariant TargetListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kListColumns) return {};
    const ListRowText& row = rowText(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(row.cells[static_cast<size_t>(index.column())]);
        case Qt::ForegroundRole:
            if (row.dangerous) return QColor(220, 0, 0);
            if (row.lost) return QColor(128, 128, 128);
            if (index.column() == kColName && row.blueName) return QColor(0, 0, 255);
            return {};
        default:
            return {};
    }
}

QVariant TargetListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= kListColumns) return {};
    return QString::fromUtf8(ListTitle(section, state_.mode()));
}

RowContext TargetListModel::context() const {
    return RowContext{state_.mode(), state_.lat(), state_.lon(), ReferenceChanged};
}

void TargetListModel::owe(int row, uint8_t what) {
    uint8_t& due = due_[static_cast<size_t>(row)];
    if (what & kDueAnyRefresh) {
        due = what;  // a whole-row rewrite replaces whatever was owed
    } else if (what & kDueUpdate) {
        due = static_cast<uint8_t>((due & kDueAnyRefresh) | kDueUpdate);
    } else {
        due |= what;
    }
}

void TargetListModel::settle(int row) const {
    uint8_t& due = due_[static_cast<size_t>(row)];
    if (due == 0) return;
    const uint8_t what = due;
    due = 0;
    const int entry = rowEntry_[static_cast<size_t>(row)];
    if (!table_.InUse(entry)) return;
    const TargetRecord& t = table_.entry(entry);
    ListRowText& text = rows_[static_cast<size_t>(row)];
    RowContext ctx = context();
    if (what & kDueAnyRefresh) {
        ctx.referenceChanged = (what & kDueRefreshPositions) != 0;
        WriteTargetRow(t, ctx, RowWrite::Refresh, text);
    }
    if (what & kDueUpdate) {
        WriteTargetRow(t, ctx, RowWrite::Update, text);
    } else if (!(what & kDueAnyRefresh)) {
        if (what & kDueStatus) WriteStatusCell(t, text);
        if (what & kDueApproach) WriteApproachCells(t, text);
    }
}

void TargetListModel::mark(int entry, uint8_t level) {
    if (!table_.InUse(entry)) return;
    uint8_t& p = pending_[static_cast<size_t>(entry)];
    if (p == 0) pendingEntries_.push_back(entry);
    p = std::max(p, level);
    if (!timer_->isActive()) timer_->start();
}

void TargetListModel::UpdateTargetRow(int entry) { mark(entry, kWholeRow); }
void TargetListModel::UpdateStatusCell(int entry) { mark(entry, kStatusOnly); }

// Rows appear for new entries at the bottom, numbered in column 0.
void TargetListModel::appendNewRows() {
    const int have = static_cast<int>(rows_.size());
    const int want = table_.TargetCount();
    if (want <= have) return;
    beginInsertRows(QModelIndex(), have, want - 1);
    rows_.resize(static_cast<size_t>(want));
    due_.resize(static_cast<size_t>(want), 0);
    rowEntry_.resize(static_cast<size_t>(want), 0);
    for (int r = have; r < want; ++r) {
        rows_[static_cast<size_t>(r)].cells[kColNo] = std::to_string(r + 1);
        const int entry = table_.DisplayOrder()[static_cast<size_t>(r + 1)];
        rowEntry_[static_cast<size_t>(r)] = entry;
        if (table_.InUse(entry)) {
            owe(r, kDueUpdate);
            pending_[static_cast<size_t>(entry)] = 0;
        }
    }
    endInsertRows();
}

void TargetListModel::UpdateApproachCells() {
    approachesPending_ = true;
    if (!timer_->isActive()) timer_->start();
}

void TargetListModel::flush() {
    const ui::WorkScope traced(ui::WorkPart::List);
    timer_->stop();
    appendNewRows();
    if (approachesPending_) {
        approachesPending_ = false;
        const int count = rowCount();
        for (int r = 0; r < count; ++r) owe(r, kDueApproach);
        // Red rows follow the alarm, so the whole width changes colour.
        if (count > 0) emit dataChanged(index(0, 0), index(count - 1, kListColumns - 1), {Qt::DisplayRole, Qt::ForegroundRole});
    }
    if (pendingEntries_.empty()) return;
    std::vector<int>& changed = changedRows_;
    changed.clear();
    for (int entry : pendingEntries_) {
        const uint8_t level = pending_[static_cast<size_t>(entry)];
        pending_[static_cast<size_t>(entry)] = 0;
        if (level == 0) continue;  // written with the new rows
        const TargetRecord& t = table_.entry(entry);
        const int r = t.ListRow - 1;
        if (r < 0 || r >= rowCount()) continue;
        owe(r, level == kWholeRow ? kDueUpdate : kDueStatus);
        changed.push_back(r);
    }
    pendingEntries_.clear();
    // One signal per run of neighbouring rows, not one over the span of them
    // all: the view repaints what a signal covers, and among thousands of rows
    // the few it shows have mostly not changed.
    std::sort(changed.begin(), changed.end());
    for (size_t i = 0; i < changed.size();) {
        size_t j = i;
        while (j + 1 < changed.size() && changed[j + 1] <= changed[j] + 1) ++j;
        emit dataChanged(index(changed[i], 0), index(changed[j], kListColumns - 1), {Qt::DisplayRole, Qt::ForegroundRole});
        i = j + 1;
    }
}

void TargetListModel::RefreshTargetList() {
    rewriteAllRows(RowWrite::Refresh);
    ReferenceChanged = false;
}


void TargetListModel::TableReplaced() {
    for (int entry : pendingEntries_) pending_[static_cast<size_t>(entry)] = 0;
    pendingEntries_.clear();
    const int want = table_.TargetCount();
    if (want < rowCount()) {
        beginRemoveRows(QModelIndex(), want, rowCount() - 1);
        rows_.resize(static_cast<size_t>(want));
        due_.resize(static_cast<size_t>(want));
        rowEntry_.resize(static_cast<size_t>(want));
        endRemoveRows();
    }
    // Each row as a message would have written it.
    RowsReordered();
}

void TargetListModel::RowsReordered() { rewriteAllRows(RowWrite::Update); }

void TargetListModel::rewriteAllRows(RowWrite how) {
    const ui::WorkScope traced(ui::WorkPart::List);
    timer_->stop();
    appendNewRows();
    const uint8_t what = how == RowWrite::Update ? kDueUpdate : ReferenceChanged ? kDueRefreshPositions | kDueRefresh : kDueRefresh;
    const int count = rowCount();
    for (int r = 0; r < count; ++r) {
        rowEntry_[static_cast<size_t>(r)] = table_.DisplayOrder()[static_cast<size_t>(r + 1)];
        owe(r, what);
    }
    for (int entry : pendingEntries_) pending_[static_cast<size_t>(entry)] = 0;
    pendingEntries_.clear();
    if (count > 0) emit dataChanged(index(0, 0), index(count - 1, kListColumns - 1), {Qt::DisplayRole, Qt::ForegroundRole});
}

void TargetListModel::RemoveRows(const std::vector<RemovedTarget>& removed) {
    // Rows not appended yet are not here: they come from DisplayOrder at the next flush.
    std::vector<int> rows;
    for (const RemovedTarget& r : removed) {
        if (r.row >= 1 && r.row <= rowCount()) rows.push_back(r.row - 1);
    }
    if (rows.empty()) return;
    std::sort(rows.begin(), rows.end());
    std::vector<std::pair<int, int>> runs;  // first, last
    for (int r : rows) {
        if (!runs.empty() && runs.back().second + 1 == r) {
            runs.back().second = r;
        } else {
            runs.emplace_back(r, r);
        }
    }
    // Each removal moves the rows below it; past a few dozen runs one reset is cheaper.
    constexpr size_t kMaxRuns = 32;
    if (runs.size() > kMaxRuns) {
        beginResetModel();
        size_t next = 0;
        size_t to = static_cast<size_t>(rows.front());
        for (size_t from = to; from < rows_.size(); ++from) {
            if (next < rows.size() && static_cast<size_t>(rows[next]) == from) {
                ++next;
                continue;
            }
            due_[to] = due_[from];
            rowEntry_[to] = rowEntry_[from];
            rows_[to++] = std::move(rows_[from]);
        }
        rows_.resize(to);
        due_.resize(to);
        rowEntry_.resize(to);
        for (size_t r = static_cast<size_t>(rows.front()); r < rows_.size(); ++r) rows_[r].cells[kColNo] = std::to_string(r + 1);
        endResetModel();
        return;
    }
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        beginRemoveRows(QModelIndex(), it->first, it->second);
        rows_.erase(rows_.begin() + it->first, rows_.begin() + it->second + 1);
        due_.erase(due_.begin() + it->first, due_.begin() + it->second + 1);
        rowEntry_.erase(rowEntry_.begin() + it->first, rowEntry_.begin() + it->second + 1);
        endRemoveRows();
    }
    const int first = rows.front();
    for (int r = first; r < rowCount(); ++r) rows_[static_cast<size_t>(r)].cells[kColNo] = std::to_string(r + 1);
    if (first < rowCount()) emit dataChanged(index(first, kColNo), index(rowCount() - 1, kColNo), {Qt::DisplayRole});
}

void TargetListModel::referenceModeChanged() { emit headerDataChanged(Qt::Horizontal, kColLat, kColLon); }

}  // namespace targets
