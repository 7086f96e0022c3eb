#include "app/plot_keeper_window.h"

#include <QAction>
#include <QMenu>

#include "station/receiver.h"
#include "plot/plot_state.h"
#include "windows/plot/plot_window.h"
#include "windows/plot/track_layer_window.h"

namespace app {

PlotKeeper::PlotKeeper(Receiver& receiver, const plot::LandmarkDatabases& landmarks, ui::SettingsStore* settings,
                       base::MessageSink& messages, QWidget& window)
    : QObject(&window),
      receiver_(receiver),
      landmarks_(landmarks),
      settings_(settings),
      messages_(messages),
      window_(window),
      state_(std::make_unique<plot::PlotState>()),
      tracks_(new plot::TrackLayer(this)) {}

PlotKeeper::~PlotKeeper() { closeWindow(); }

void PlotKeeper::addTo(QMenu& view) {
    mnuViewGraphics_ = view.addAction("&GraphicDisplay");
    mnuViewGraphics_->setObjectName("mnuViewGraphics");
    mnuViewGraphics_->setCheckable(true);
    connect(mnuViewGraphics_, &QAction::triggered, this, &PlotKeeper::show);
}

void PlotKeeper::show(bool checked) {
    if (!checked) {
        if (frmGraphics_) frmGraphics_->close();
        return;
    }
    if (frmGraphics_) return;
    frmGraphics_ = new plot::FrmGraphics(receiver_.targets(), receiver_.reference(), *state_, settings_, messages_, &window_);
    frmGraphics_->setLandmarks(&landmarks_);
    connect(frmGraphics_, &plot::FrmGraphics::closed, this, [this] { mnuViewGraphics_->setChecked(false); });
    connect(frmGraphics_, &plot::FrmGraphics::targetDoubleClicked, this, [this](int entry) {
        if (!pastTable_) emit targetDoubleClicked(entry);  // the details are live: not of a past entry
    });
    frmGraphics_->setClock(&receiver_.clock());
    if (pastTable_) frmGraphics_->showTable(pastTable_, pastBanner_, pastClock_);
    emit windowMade(*frmGraphics_);
    connect(frmGraphics_, &plot::FrmGraphics::targetSelected, this, &PlotKeeper::targetSelected);
    frmGraphics_->setTrackLayer(tracks_);
    frmGraphics_->open();
}

plot::FrmGraphics* PlotKeeper::window() const { return frmGraphics_; }

void PlotKeeper::showWindow() {
    if (frmGraphics_) return;
    if (mnuViewGraphics_) mnuViewGraphics_->setChecked(true);
    show(true);
}

void PlotKeeper::centreOn(double latitude, double longitude) {
    showWindow();
    frmGraphics_->centreOn(latitude, longitude);
    frmGraphics_->raise();
}

void PlotKeeper::recordTrails() { state_->trails.record(receiver_.targets(), receiver_.clock().now()); }

void PlotKeeper::choose(int entry) {
    state_->selectedEntry = entry;
    if (frmGraphics_) frmGraphics_->update();
}

void PlotKeeper::targetsRemoved(const std::vector<targets::RemovedTarget>& removed) {
    for (const targets::RemovedTarget& r : removed) {
        if (state_->selectedEntry == r.entry) state_->selectedEntry = 0;
    }
}

void PlotKeeper::closeWindow() { delete frmGraphics_; }

void PlotKeeper::showTable(const targets::TargetTable* table, const QString& banner, const base::Clock* clock) {
    pastTable_ = table;
    pastBanner_ = banner;
    pastClock_ = clock;
    if (frmGraphics_) frmGraphics_->showTable(table, banner, clock);
}

void PlotKeeper::tableRefilled(bool continued) {
    if (frmGraphics_ && pastTable_) frmGraphics_->tableRefilled(continued);
}

}  // namespace app
