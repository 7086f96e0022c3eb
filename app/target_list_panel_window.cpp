#include "app/target_list_panel_window.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "station/receiver.h"
#include "targets/target_filter.h"
#include "windows/targets/list_cells_view.h"
#include "windows/targets/target_list_model.h"
#include "targets/target_sort.h"
#include "ui/plain_text.h"
#include "ui/settings_store.h"
#include "ui/work_trace.h"

namespace app {

namespace {

constexpr const char* kHiddenColumnsKey = "HiddenColumns";
// The columns are refitted this long after the rows change, and at least
// this often while they keep changing.
constexpr int kFitAfterMs = 2000;
constexpr int kFitAtMostAfterMs = 10000;

// A past situation: the banner over the list and the list's colours.
constexpr const char* kBannerStyle =
    "QLabel { background: #7a4a00; color: white; font-weight: bold; padding: 4px; border-radius: 3px; }";
const QColor kPastBase(236, 226, 200);
const QColor kPastText(96, 86, 70);

// The widest value a column usually shows: the list refits its columns to the
// values once rows arrive, and the window must still show them all then.
constexpr const char* kTypicalValues[targets::kListColumns] = {
    "0000",        "000000000",     "NNNNNNNNNNNNNNNNNNNN", "00\u00b000.000'N", "000\u00b000.000'W", "000.0",
    "000.0",       "000",           "-000.0",               "Class",            "00 Mmm 0000 00:00:00", "000000",
    "STATUS",      "00.00",         "-00.0",                "100"};

}  // namespace

TargetListPanel::TargetListPanel(Receiver& receiver, targets::TargetListModel& model, ui::SettingsStore* settings,
                                 QWidget& central)
    : QObject(&central), receiver_(receiver), model_(model), settings_(settings) {
    buildControls(central);
    buildList(central);
}

// The list reads the receiver's table: it goes before the receiver does.
TargetListPanel::~TargetListPanel() { delete fgAISTargets_; }

void TargetListPanel::buildControls(QWidget& central) {
    sortBox_ = new QGroupBox("Sorting", &central);
    auto* sortLayout = new QGridLayout(sortBox_);
    optIncr_[0] = new QRadioButton("Incr", sortBox_);
    optIncr_[1] = new QRadioButton("Decr", sortBox_);
    for (int i = 0; i < 2; ++i) {
        // The direction takes effect with the next header click.
        optIncr_[static_cast<size_t>(i)]->setObjectName(QString("optIncr_%1").arg(i));
    }
    optIncr_[0]->setChecked(true);
    lblSortedBy_ = ui::PlainLabel("Unsorted", sortBox_);
    lblSortedBy_->setObjectName("lblSortedBy");
    sortLayout->addWidget(optIncr_[0], 0, 0);
    sortLayout->addWidget(optIncr_[1], 1, 0);
    sortLayout->addWidget(ui::PlainLabel("Sorted by :", sortBox_), 0, 1);
    sortLayout->addWidget(lblSortedBy_, 1, 1);

    countBox_ = new QGroupBox("Targets", &central);
    auto* countLayout = new QVBoxLayout(countBox_);
    lblNoOfTargets_ = ui::PlainLabel("0", countBox_);
    lblNoOfTargets_->setObjectName("lblNoOfTargets");
    lblNoOfTargets_->setAlignment(Qt::AlignCenter);
    countLayout->addWidget(lblNoOfTargets_);
}

void TargetListPanel::buildList(QWidget& central) {
    connect(&model_, &QAbstractItemModel::rowsInserted, this, &TargetListPanel::updateCount);
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, &TargetListPanel::updateCount);
    connect(&model_, &QAbstractItemModel::modelReset, this, &TargetListPanel::updateCount);
    fitColumnsTimer_ = new QTimer(this);
    fitColumnsTimer_->setSingleShot(true);
    fitColumnsTimer_->setInterval(kFitAfterMs);
    connect(fitColumnsTimer_, &QTimer::timeout, this, &TargetListPanel::fitColumns);
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(&model_, changed, fitColumnsTimer_, [this] {
            if (!fitColumnsTimer_->isActive()) fitColumnsTimer_->start();
        });
    }
    connect(&model_, &QAbstractItemModel::dataChanged, fitColumnsTimer_, [this] {
        if (!fitColumnsTimer_->isActive()) fitColumnsTimer_->start();
    });
    fgAISTargets_ = new targets::ListCellsView(&central);
    fgAISTargets_->setObjectName("fgAISTargets");
    fgAISTargets_->setModel(&model_);
    fgAISTargets_->setSortingEnabled(false);
    fgAISTargets_->setSelectionBehavior(QAbstractItemView::SelectRows);
    fgAISTargets_->setSelectionMode(QAbstractItemView::SingleSelection);
    fgAISTargets_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fgAISTargets_->verticalHeader()->hide();
    fgAISTargets_->verticalHeader()->setDefaultSectionSize(fgAISTargets_->fontMetrics().height() + 4);
    fgAISTargets_->horizontalHeader()->setSectionsClickable(true);
    fgAISTargets_->horizontalHeader()->setHighlightSections(false);
    fgAISTargets_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(fgAISTargets_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TargetListPanel::headerClicked);
    connect(fgAISTargets_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!fittingColumns_) resizedByHand_.insert(column);
    });
    // A left click (on release) on a row names the target shown there (its
    // detail window opens on it); so does Enter on the selected row.
    connect(fgAISTargets_, &QTableView::clicked, this, &TargetListPanel::rowChosen);
    connect(fgAISTargets_, &QTableView::activated, this, &TargetListPanel::rowChosen);
    connect(fgAISTargets_, &QTableView::activated, this, &TargetListPanel::pastRowActivated);

    txtFind_ = new QLineEdit(&central);
    txtFind_->setObjectName("txtFind");
    txtFind_->setPlaceholderText("Find: name, call sign or MMSI  (Ctrl+F)");
    txtFind_->setClearButtonEnabled(true);
    connect(txtFind_, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    cmdSearchHistory_ = new QToolButton(&central);
    cmdSearchHistory_->setObjectName("cmdSearchHistory");
    cmdSearchHistory_->setText("Search h&istory");
    cmdSearchHistory_->setToolTip("When and where a name, call sign or MMSI was last heard, from the stored history.");
    cmdSearchHistory_->setEnabled(false);
    connect(txtFind_, &QLineEdit::textChanged, this,
            [this](const QString& t) { cmdSearchHistory_->setEnabled(!t.trimmed().isEmpty()); });
    const auto search = [this] {
        if (!txtFind_->text().trimmed().isEmpty()) emit historySearchRequested(txtFind_->text().trimmed());
    };
    connect(cmdSearchHistory_, &QToolButton::clicked, this, search);
    // Enter finds in the history what the live list does not hold.
    connect(txtFind_, &QLineEdit::returnPressed, this, [this, search] {
        if (!listMatches()) search();
    });
    connect(new QShortcut(QKeySequence::Find, &central), &QShortcut::activated, this, [this] {
        txtFind_->setFocus(Qt::ShortcutFocusReason);
        txtFind_->selectAll();
    });
    connect(&model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { applyFilter(first, last); });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { applyFilter(); });
    connect(&model_, &QAbstractItemModel::layoutChanged, this, [this] { applyFilter(); });
    connect(&model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& a, const QModelIndex& b) { applyFilter(a.row(), b.row()); });
    buildColumnMenu();

    // Names from the ship database of earlier runs show in lower case until the vessel's own static report.
    lblNameInfo_ = ui::PlainLabel(kNameInfo, &central);
    lblNameInfo_->setObjectName("lblNameInfo");
    // A note, not a control: it gives way so the window keeps its stored width.
    lblNameInfo_->setMinimumWidth(1);

    lblHistoryBanner_ = ui::PlainLabel({}, &central);
    lblHistoryBanner_->setObjectName("lblHistoryBanner");
    // From the left: in a narrow window (the list scrolls sideways) it still reads whole.
    lblHistoryBanner_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblHistoryBanner_->setStyleSheet(kBannerStyle);
    lblHistoryBanner_->hide();
}

targets::TargetTable& TargetListPanel::table() const { return shownTable_ ? *shownTable_ : receiver_.targets(); }

void TargetListPanel::showTable(targets::TargetTable* table, targets::TargetListModel* model, const QString& banner) {
    const bool wasLive = showsLive();
    shownTable_ = table && model ? table : nullptr;
    shownModel_ = shownTable_ ? model : nullptr;
    lblHistoryBanner_->setText(banner);
    lblHistoryBanner_->setVisible(!showsLive());
    if (wasLive == showsLive()) return;
    {
        // The other model keeps the columns as they were: widths, hidden ones.
        const QScopedValueRollback fitting(fittingColumns_, true);
        QHeaderView* header = fgAISTargets_->horizontalHeader();
        const QByteArray columns = header->saveState();
        QItemSelectionModel* selection = fgAISTargets_->selectionModel();
        fgAISTargets_->setModel(&this->model());
        delete selection;
        header->restoreState(columns);
    }
    // A past picture: a sepia ground and muted ink, whatever the theme.
    QPalette palette = fgAISTargets_->parentWidget()->palette();
    fgAISTargets_->setToolTip(showsLive() ? QString() : "Double-click a station for its track up to this moment.");
    if (!showsLive()) {
        palette.setColor(QPalette::Base, kPastBase);
        palette.setColor(QPalette::AlternateBase, kPastBase);
        palette.setColor(QPalette::Text, kPastText);
    }
    fgAISTargets_->setPalette(palette);
    updateCount();
    applyFilter();
    fitColumnsTimer_->start();
}

void TargetListPanel::tableRefilled() {
    if (showsLive()) return;
    if (sortColumn_ >= 0) {
        targets::SortTargets(table(), sortColumn_, sortDescending_, receiver_.reference().mode(), /*endNewMarks=*/false);
    }
    model().TableReplaced();
    updateCount();
    applyFilter();
    if (!fitColumnsTimer_->isActive()) fitColumnsTimer_->start();
}

void TargetListPanel::addTo(QVBoxLayout& layout) {
    layout.addWidget(lblHistoryBanner_);
    auto* find = new QHBoxLayout;
    find->addWidget(txtFind_, 1);
    find->addWidget(cmdSearchHistory_);
    layout.addLayout(find);
    layout.addWidget(fgAISTargets_, 1);
    layout.addWidget(lblNameInfo_);
}

std::array<QWidget*, 5> TargetListPanel::tabOrder() const {
    return {optIncr_[0], optIncr_[1], txtFind_, cmdSearchHistory_, fgAISTargets_};
}

bool TargetListPanel::listMatches() const {
    // From the table, not the view: the list takes new rows a moment later.
    const targets::TargetTable& table = receiver_.targets();
    const std::string typed = txtFind_->text().toStdString();
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (table.InUse(n) && targets::MatchesFilter(table.entry(n), typed)) return true;
    }
    return false;
}

void TargetListPanel::rowChosen(const QModelIndex& index) {
    if (!index.isValid() || !showsLive()) return;
    const int row = index.row() + 1;
    if (row < 1 || row > receiver_.targets().TargetCount()) return;
    emit entryChosen(receiver_.targets().DisplayOrder()[static_cast<size_t>(row)]);
}

void TargetListPanel::pastRowActivated(const QModelIndex& index) {
    if (!index.isValid() || showsLive()) return;
    const targets::TargetTable& past = table();
    const int row = index.row() + 1;
    if (row < 1 || row > past.TargetCount()) return;
    const targets::TargetRecord& t = past.entry(past.DisplayOrder()[static_cast<size_t>(row)]);
    emit pastTrackRequested(t.MMSI, QString::fromStdString(t.Id.Name), pastMoment_);
}

void TargetListPanel::applyFilter(int first, int last) {
    const ui::WorkScope traced(ui::WorkPart::List);
    const std::string typed = txtFind_->text().toStdString();
    const bool active = typed.find_first_not_of(' ') != std::string::npos;
    if (!active && !filterActive_) return;
    if (active != filterActive_) first = 0, last = -1;  // switched on or off: every row
    filterActive_ = active;
    const targets::TargetTable& table = this->table();
    const int rows = model().rowCount();
    if (last < 0 || last >= rows) last = rows - 1;
    for (int r = std::max(0, first); r <= last; ++r) {
        const int entry = r + 1 <= table.TargetCount() ? table.DisplayOrder()[static_cast<size_t>(r + 1)] : 0;
        fgAISTargets_->setRowHidden(r, entry > 0 && table.InUse(entry) && !targets::MatchesFilter(table.entry(entry), typed));
    }
}

// Columns as wide as their title and their widest cell, so the default
// window shows every column; refitted shortly after the rows change (at
// most every two seconds, less often while the widths hold). A column whose
// edge the operator dragged keeps the width given to it.
void TargetListPanel::fitColumns() {
    const ui::WorkScope traced(ui::WorkPart::List);
    const QFontMetrics body = fgAISTargets_->fontMetrics();
    const QFontMetrics head = fgAISTargets_->horizontalHeader()->fontMetrics();
    const targets::Reference& st = receiver_.reference();
    const QScopedValueRollback fitting(fittingColumns_, true);
    constexpr qsizetype kMaxCachedWidths = 50000;
    if (cellWidthsFont_ != fgAISTargets_->font() || cellWidths_.size() > kMaxCachedWidths) {
        cellWidths_.clear();
        cellWidthsFont_ = fgAISTargets_->font();
    }
    const auto cellWidth = [this, &body](const QString& text) {
        auto it = cellWidths_.constFind(text);
        if (it == cellWidths_.cend()) it = cellWidths_.insert(text, body.horizontalAdvance(text));
        return *it;
    };
    const targets::TargetListModel& model = this->model();
    const int rows = std::min(model.rowCount(), 1000);
    bool changed = false;
    for (int c = 0; c < targets::kListColumns; ++c) {
        int width = head.horizontalAdvance(QString::fromUtf8(targets::ListTitle(c, st.mode())));
        for (int r = 0; r < rows; ++r) width = std::max(width, cellWidth(model.index(r, c).data().toString()));
        // Room for a typical value before the first one arrives.
        if (rows == 0) width = std::max(width, body.horizontalAdvance("0000000"));
        if (resizedByHand_.contains(c) || fgAISTargets_->columnWidth(c) == width + 8) continue;
        fgAISTargets_->setColumnWidth(c, width + 8);
        changed = true;
    }
    // Reading a thousand rows writes them all; while the widths hold, the
    // next refit waits twice as long (up to kFitAtMostAfterMs), and a width
    // that changes brings the short wait back.
    const int wait = changed ? kFitAfterMs : std::min(2 * fitColumnsTimer_->interval(), kFitAtMostAfterMs);
    fitColumnsTimer_->setInterval(wait);
}

int TargetListPanel::wantedWidth() const {
    int columns = 0;
    for (int c = 0; c < model_.columnCount(); ++c) {
        if (fgAISTargets_->isColumnHidden(c)) continue;
        const int typical = fgAISTargets_->fontMetrics().horizontalAdvance(QString::fromUtf8(kTypicalValues[c])) + 8;
        columns += std::max(fgAISTargets_->columnWidth(c), typical);
    }
    // The list's frame and a vertical scroll bar once rows fill it.
    return columns + 2 * fgAISTargets_->frameWidth() + fgAISTargets_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void TargetListPanel::updateCount() { lblNoOfTargets_->setText(QString::number(model().rowCount())); }

void TargetListPanel::headerClicked(int column) {
    if (column < 0 || column >= targets::kListColumns || column == targets::kColStatus) return;
    const targets::Reference& st = receiver_.reference();
    model().flush();
    sortColumn_ = column;
    sortDescending_ = optIncr_[1]->isChecked();
    targets::SortTargets(table(), column, sortDescending_, st.mode());
    lblSortedBy_->setText(column == targets::kColNo ? QString("Unsorted")
                                                    : QString::fromUtf8(targets::ListTitle(column, st.mode())));
    model().RefreshTargetList();
}

void TargetListPanel::select(int entry) {
    const targets::TargetTable& table = receiver_.targets();
    if (!table.InUse(entry) || !showsLive()) return;
    model_.flush();  // a row not appended yet
    const int row = table.entry(entry).ListRow - 1;
    if (row >= 0 && row < model_.rowCount()) {
        fgAISTargets_->selectRow(row);
        fgAISTargets_->scrollTo(model_.index(row, 0));
    }
}

void TargetListPanel::markRow(int entry) {
    const auto& order = table().DisplayOrder();
    for (int row = 1; row <= table().TargetCount(); ++row) {
        if (order[static_cast<size_t>(row)] == entry) fgAISTargets_->selectRow(row - 1);
    }
}

int TargetListPanel::rowMiddle(int entry) const {
    if (!showsLive()) return 0;
    const int row = receiver_.targets().entry(entry).ListRow - 1;
    const int inView = fgAISTargets_->rowViewportPosition(row);
    return inView < 0 ? 0 : fgAISTargets_->viewport()->y() + inView + fgAISTargets_->rowHeight(row) / 2;
}

void TargetListPanel::sortAgain() {
    if (sortColumn_ < 0) return;
    targets::TargetTable& table = receiver_.targets();
    model_.flush();
    // A past picture shown: the live rows are sorted out of sight.
    const bool live = showsLive();
    const QModelIndex current = fgAISTargets_->currentIndex();
    const int selectedRow =
        live && fgAISTargets_->selectionModel()->hasSelection() && current.isValid() ? current.row() + 1 : 0;
    const int selected = selectedRow >= 1 && selectedRow <= table.TargetCount()
                             ? table.DisplayOrder()[static_cast<size_t>(selectedRow)]
                             : 0;
    if (!targets::SortTargets(table, sortColumn_, sortDescending_, receiver_.reference().mode(),
                              /*endNewMarks=*/false)) {
        return;
    }
    model_.RowsReordered();
    if (live && selected != 0 && table.InUse(selected)) {
        const int row = table.entry(selected).ListRow - 1;
        fgAISTargets_->selectRow(row);
        fgAISTargets_->scrollTo(model_.index(row, 0));
    }
}

void TargetListPanel::buildColumnMenu() {
    QHeaderView* header = fgAISTargets_->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    if (settings_) {
        for (const QString& c : settings_->readTextList(kHiddenColumnsKey)) {
            bool ok = false;
            const int column = c.toInt(&ok);
            if (ok && column >= 0 && column < targets::kListColumns) fgAISTargets_->setColumnHidden(column, true);
        }
        // Never every column: a list without one cannot be right-clicked back.
        if (header->hiddenSectionCount() >= targets::kListColumns) fgAISTargets_->setColumnHidden(0, false);
    }
    connect(header, &QHeaderView::customContextMenuRequested, this, [this, header](const QPoint& at) {
        auto* menu = new QMenu(fgAISTargets_->window());
        menu->setObjectName("pmnuColumns");
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const int shown = targets::kListColumns - header->hiddenSectionCount();
        for (int c = 0; c < targets::kListColumns; ++c) {
            const QString title = model().headerData(c, Qt::Horizontal).toString();
            QAction* a = menu->addAction(ui::MenuText(title));
            a->setObjectName(QString("pmnuColumn_%1").arg(c));
            a->setCheckable(true);
            a->setChecked(!fgAISTargets_->isColumnHidden(c));
            a->setEnabled(!a->isChecked() || shown > 1);
            connect(a, &QAction::toggled, this, [this, c](bool on) { setColumnShown(c, on); });
        }
        menu->popup(header->mapToGlobal(at));
    });
}

void TargetListPanel::setColumnShown(int column, bool shown) {
    fgAISTargets_->setColumnHidden(column, !shown);
    if (!settings_) return;
    QStringList hidden;
    for (int c = 0; c < targets::kListColumns; ++c) {
        if (fgAISTargets_->isColumnHidden(c)) hidden << QString::number(c);
    }
    settings_->writeTextList(kHiddenColumnsKey, hidden);
}

}  // namespace app
