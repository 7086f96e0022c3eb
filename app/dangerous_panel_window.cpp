#include "app/dangerous_panel_window.h"

#include <QHeaderView>
#include <QTableWidget>

#include "targets/dangerous_targets.h"

namespace app {

namespace {

const char* const kTitles[] = {"Name / MMSI", "CPA (nm)", "TCPA (min)", "Range (nm)", "Bearing (°)"};
constexpr int kColumns = 5;
constexpr int kVisibleRows = 4;

// Plain text always: names come from the air.
QTableWidgetItem* Cell(const std::string& text, bool number) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

DangerousPanel::DangerousPanel(QWidget* parent) : QDockWidget("Dangerous targets", parent) {
    setObjectName("dockDangerous");
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    list_ = new QTableWidget(0, kColumns, this);
    list_->setObjectName("tblDangerous");
    for (int c = 0; c < kColumns; ++c) list_->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kTitles[c])));
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFocusPolicy(Qt::ClickFocus);
    // Small: a few rows above the list, scrolling beyond them.
    const int rows = list_->horizontalHeader()->sizeHint().height() + 2 * list_->frameWidth();
    list_->setMinimumHeight(rows + 2 * list_->verticalHeader()->defaultSectionSize());
    list_->setMaximumHeight(rows + kVisibleRows * list_->verticalHeader()->defaultSectionSize());
    setWidget(list_);
    connect(list_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row < 0 || row >= static_cast<int>(entries_.size())) return;
        chosen_ = entries_[static_cast<size_t>(row)];
        emit targetChosen(chosen_);
    });
}

void DangerousPanel::refresh(const targets::TargetTable& table) {
    const std::vector<targets::DangerousRow> rows = targets::DangerousTargets(table);
    entries_.clear();
    list_->setUpdatesEnabled(false);
    list_->setRowCount(static_cast<int>(rows.size()));
    int selected = -1;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const targets::DangerousRow& d = rows[static_cast<size_t>(r)];
        entries_.push_back(d.entry);
        const std::string* texts[] = {&d.name, &d.cpa, &d.tcpa, &d.range, &d.bearing};
        for (int c = 0; c < kColumns; ++c) list_->setItem(r, c, Cell(*texts[c], c > 0));
        if (d.entry == chosen_) selected = r;
    }
    if (selected >= 0) {
        list_->selectRow(selected);
    } else {
        list_->clearSelection();
    }
    list_->setUpdatesEnabled(true);
    setWindowTitle(rows.empty() ? QString("Dangerous targets: none")
                                : QString("Dangerous targets: %1").arg(rows.size()));
}

}  // namespace app
