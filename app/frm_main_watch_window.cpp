// FrmMain: the dangerous-targets panel, choosing a target from it, and
// Options > Keep sorted. Both work at the display's once-a-second pass.
#include <QAction>
#include <QMenu>
#include <QTableView>

#include "app/dangerous_panel_window.h"
#include "app/frm_main_window.h"
#include "app/station_menus_window.h"
#include "plot/plot_state.h"
#include "plot/plot_window.h"
#include "targets/target_list_model.h"
#include "targets/target_sort.h"
#include "ui/settings_store.h"

namespace app {

namespace {
constexpr const char* kKeepSortedKey = "KeepSorted";
}

void FrmMain::buildWatchPanels() {
    // Shown from the start, empty or not: the operator knows where alarms
    // will appear; View > Dangerous targets hides and shows it.
    dangerousPanel_ = new DangerousPanel(this);
    addDockWidget(Qt::TopDockWidgetArea, dangerousPanel_);
    connect(dangerousPanel_, &DangerousPanel::targetChosen, this, &FrmMain::selectTarget);
    if (auto* view = findChild<QMenu*>("mnuView")) {
        // An action of our own: the dock's toggle action takes the panel's
        // title, count and all, and loses its access key with it.
        QAction* toggle = view->addAction("&Dangerous targets");
        toggle->setObjectName("mnuViewDangerous");
        toggle->setCheckable(true);
        toggle->setChecked(true);
        connect(toggle, &QAction::toggled, dangerousPanel_, &QDockWidget::setVisible);
        connect(dangerousPanel_, &QDockWidget::visibilityChanged, toggle, [this, toggle](bool) {
            toggle->setChecked(!dangerousPanel_->isHidden());
        });
    }
    if (auto* options = findChild<QMenu*>("mnuOptions")) {
        mnuOptionsKeepSorted_ = options->addAction("&Keep sorted");
        mnuOptionsKeepSorted_->setObjectName("mnuOptionsKeepSorted");
        mnuOptionsKeepSorted_->setCheckable(true);
        mnuOptionsKeepSorted_->setChecked(settings_ && settings_->readNumber(kKeepSortedKey, 0) != 0);
        connect(mnuOptionsKeepSorted_, &QAction::toggled, this, [this](bool on) {
            if (settings_) settings_->writeNumber(kKeepSortedKey, on ? 1 : 0);
        });
    }
    connect(clockTimer_, &QTimer::timeout, this, &FrmMain::watchSecondTick);
    dangerousPanel_->refresh(receiver_->targets());
    stationMenus_->buildActivityBar();
}

void FrmMain::watchSecondTick() {
    keepSorted();
    stationMenus_->updateActivity();
    if (dangerousPanel_->isVisible()) dangerousPanel_->refresh(receiver_->targets());
}

void FrmMain::selectTarget(int entry) {
    const targets::TargetTable& table = receiver_->targets();
    if (!table.InUse(entry)) return;
    model_->flush();  // a row not appended yet
    const int row = table.entry(entry).ListRow - 1;
    if (row >= 0 && row < model_->rowCount()) {
        fgAISTargets_->selectRow(row);
        fgAISTargets_->scrollTo(model_->index(row, 0));
    }
    // The plot's selection: its chosen target is labelled and drawn marked.
    plotState_->selectedEntry = entry;
    if (frmGraphics_) frmGraphics_->update();
}

// A re-sort by the column of the last header click, in the order chosen
// then; the selected target stays selected and in view, and NEW marks stay.
void FrmMain::keepSorted() {
    if (!mnuOptionsKeepSorted_ || !mnuOptionsKeepSorted_->isChecked() || sortColumn_ < 0) return;
    targets::TargetTable& table = receiver_->targets();
    model_->flush();
    const QModelIndex current = fgAISTargets_->currentIndex();
    const int selectedRow = fgAISTargets_->selectionModel()->hasSelection() && current.isValid() ? current.row() + 1 : 0;
    const int selected = selectedRow >= 1 && selectedRow <= table.TargetCount
                             ? table.DisplayOrder[static_cast<size_t>(selectedRow)]
                             : 0;
    const std::vector<int16_t> before = table.DisplayOrder;
    targets::SortTargets(table, sortColumn_, sortDescending_, receiver_->state().ReferenceMode,
                         /*endNewMarks=*/false);
    if (table.DisplayOrder == before) return;
    model_->RowsReordered();
    if (selected != 0 && table.InUse(selected)) {
        const int row = table.entry(selected).ListRow - 1;
        fgAISTargets_->selectRow(row);
        fgAISTargets_->scrollTo(model_->index(row, 0));
    }
}

}  // namespace app
