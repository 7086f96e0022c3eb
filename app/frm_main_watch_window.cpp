// FrmMain: the dangerous-targets panel, choosing a target from it, and
// Options > Keep sorted. Both work at the display's once-a-second pass.
#include <QAction>
#include <QMenu>

#include "app/dangerous_panel_window.h"
#include "app/frm_main_window.h"
#include "app/station_menus_window.h"
#include "plot/plot_state.h"
#include "windows/plot/plot_window.h"
#include "windows/targets/target_list_model.h"
#include "targets/target_sort.h"
#include "app/plot_keeper_window.h"
#include "app/target_list_panel_window.h"
#include "ui/settings_store.h"
#include "ui/work_trace.h"

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
    {
        const ui::WorkScope traced(ui::WorkPart::List);
        keepSorted();
    }
    const ui::WorkScope traced(ui::WorkPart::Other);
    stationMenus_->updateActivity();
    if (dangerousPanel_->isVisible()) dangerousPanel_->refresh(receiver_->targets());
}

void FrmMain::selectTarget(int entry) {
    if (!receiver_->targets().InUse(entry)) return;
    targetList_->select(entry);
    // The plot's selection: its chosen target is labelled and drawn marked.
    plot_->choose(entry);
}

// A re-sort by the column of the last header click (Options > Keep sorted).
void FrmMain::keepSorted() {
    if (mnuOptionsKeepSorted_ && mnuOptionsKeepSorted_->isChecked()) targetList_->sortAgain();
}

}  // namespace app
