#include "app/history_desk.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include "app/history_options_dialog.h"
#include "ui/settings_store.h"

namespace app {

QString ReportText(const HistoryKeeper::Report& r) {
    if (!r.running) return "History is not being written.";
    QString text = QString("Writing to %1\n").arg(QString::fromStdString(r.location));
    text += QString("Rows written: %1 in %2 batches; positions thinned out: %3\n")
                .arg(r.counts.written)
                .arg(r.counts.batches)
                .arg(r.thinned);
    text += QString("Rows dropped (queue full): %1; batches refused and retried: %2; positions out of range: %3")
                .arg(r.counts.dropped)
                .arg(r.counts.failures)
                .arg(r.counts.refused);
    if (r.paused) text += "\nPaused: " + QString::fromStdString(r.pausedBecause);
    if (r.spool) {
        text += QString("\nServer: %1; waiting in the spool: %2 batches (%3 rows); sent from the spool: %4")
                    .arg(r.spool->serverReachable ? "reachable" : "away")
                    .arg(r.spool->waitingBatches)
                    .arg(r.spool->waitingRows)
                    .arg(r.spool->sentFromSpool);
        if (r.spool->setAside > 0) text += QString("; set aside: %1").arg(r.spool->setAside);
        if (!r.spool->serverError.empty()) text += "\n" + QString::fromStdString(r.spool->serverError);
    }
    return text;
}

HistoryDesk::HistoryDesk(Receiver& receiver, ui::SettingsStore* settings, base::MessageSink& notices,
                         QWidget& window)
    : QObject(nullptr),
      receiver_(receiver),
      settings_(settings),
      notices_(notices),
      window_(window),
      current_(LoadHistorySettings(settings)) {
    refresh_ = new QTimer(this);
    refresh_->setInterval(1000);
    connect(refresh_, &QTimer::timeout, this, [this] {
        if (!dialog_) return refresh_->stop();
        dialog_->setReport(ReportText(keeper_ ? keeper_->report() : HistoryKeeper::Report{}));
    });
}

HistoryDesk::~HistoryDesk() { stop(); }

void HistoryDesk::addTo(QMenu& menu) {
    QAction* action = menu.addAction("&History...");
    action->setObjectName("mnuOptionsHistory");
    connect(action, &QAction::triggered, this, &HistoryDesk::showOptions);
}

void HistoryDesk::start(const std::filesystem::path& dataDir) {
    dataDir_ = dataDir;
    started_ = true;
    restart();
}

std::string HistoryDesk::readLocation() const {
    if (!started_) return {};
    const std::string url = KeeperSettings(current_).location;
    return url.empty() ? (dataDir_ / "History.sqlite").string() : url;
}

void HistoryDesk::stop() {
    if (keeper_) keeper_->stop();
}

void HistoryDesk::restart() {
    // The old writer writes what it has queued before the new one starts.
    keeper_.reset();
    keeper_ = std::make_unique<HistoryKeeper>(receiver_, dataDir_, KeeperSettings(current_), notices_);
    emit restarted();
}

void HistoryDesk::showOptions() {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    dialog_ = new FrmHistoryOptions(current_, &window_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    dialog_->setReport(ReportText(keeper_ ? keeper_->report() : HistoryKeeper::Report{}));
    connect(dialog_, &QDialog::accepted, this, [this, d = dialog_] { apply(d->settings()); });
    dialog_->open();
    refresh_->start();
}

void HistoryDesk::apply(const HistorySettings& settings) {
    // OK on unchanged settings retries a store that could not be opened.
    if (settings == current_ && keeper_ && keeper_->running()) return;
    current_ = settings;
    SaveHistorySettings(settings_, settings);
    if (started_) restart();
}

}  // namespace app
