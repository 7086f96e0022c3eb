#include "app/history_views_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStatusBar>
#include <QTimer>
#include <cmath>

#include "app/history_desk.h"
#include "app/plot_keeper_window.h"
#include "app/target_list_panel_window.h"
#include "station/receiver.h"
#include "ui/plain_text.h"
#include "windows/history/history_reader_window.h"
#include "windows/history/last_seen_popup_window.h"
#include "windows/history/track_dialog.h"
#include "windows/plot/plot_window.h"
#include "windows/plot/track_layer_window.h"
#include "windows/targets/extra_info_window.h"

namespace app {

namespace {
// Stations the search shows at most.
constexpr int kLastSeenLimit = 20;
}  // namespace

QString StatusLine(const HistoryKeeper::Report& r, bool on) {
    if (!r.running) return on ? "History: not kept" : "History off";
    if (r.paused) return "History paused";
    if (r.spool && !r.spool->serverReachable) {
        return QString("History: server unreachable, %1 batches waiting")
            .arg(QLocale().toString(static_cast<qlonglong>(r.spool->waitingBatches)));
    }
    QString line = QString("History: %1 rows").arg(QLocale().toString(static_cast<qlonglong>(r.counts.written)));
    if (r.spool && r.spool->waitingBatches > 0) {
        line += QString(", %1 batches to send").arg(QLocale().toString(static_cast<qlonglong>(r.spool->waitingBatches)));
    }
    return line;
}

HistoryViews::HistoryViews(HistoryDesk& desk, PlotKeeper& plot, targets::ExtraInfoWindows& extraInfo,
                           TargetListPanel& list, Receiver& receiver, QStatusBar& bar, QWidget& window)
    : QObject(&window),
      desk_(desk),
      plot_(plot),
      list_(list),
      receiver_(receiver),
      window_(window),
      reader_(std::make_unique<history::HistoryReader>()) {
    connect(&extraInfo, &targets::ExtraInfoWindows::trackRequested, this,
            [this](int mmsi, const QString& name) { showTrackDialog(mmsi, name); });
    connect(&list, &TargetListPanel::historySearchRequested, this, &HistoryViews::searchHistory);
    connect(&list, &TargetListPanel::pastTrackRequested, this, [this](int mmsi, const QString& name, qint64 at) {
        if (history::FrmTrack* d = showTrackDialog(mmsi, name)) d->setPeriodEnd(at);
    });

    lblStatus_ = ui::PlainLabel({}, &bar);
    lblStatus_->setObjectName("lblHistoryStatus");
    lblStatus_->setContentsMargins(4, 0, 4, 0);
    // Beside the counters, left of the clock.
    bar.addWidget(lblStatus_);
    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &HistoryViews::refreshStatus);
    timer_->start();
    refreshStatus();
}

HistoryViews::~HistoryViews() = default;

history::LastSeenPopup* HistoryViews::searchPopup() const { return popup_; }

std::string HistoryViews::location() const { return desk_.readLocation(); }

void HistoryViews::refreshStatus() {
    const HistoryKeeper::Report r = desk_.keeper() ? desk_.keeper()->report() : HistoryKeeper::Report{};
    lblStatus_->setText(StatusLine(r, desk_.current().on));
    // The counts since this run started; the line says only the gist.
    lblStatus_->setToolTip(ReportText(r));
}

history::FrmTrack* HistoryViews::trackDialog(int32_t mmsi) const {
    const auto it = dialogs_.find(mmsi);
    return it == dialogs_.end() ? nullptr : it->second.data();
}

history::FrmTrack* HistoryViews::showTrackDialog(int32_t mmsi, const QString& name) {
    if (mmsi <= 0) return nullptr;
    if (history::FrmTrack* open = trackDialog(mmsi)) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* d = new history::FrmTrack({mmsi, name}, *reader_, [this] { return location(); }, &window_);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->onTrack = [this](int32_t m, const QString& label, const std::vector<history::PositionRow>& rows) {
        std::vector<plot::TrackFix> fixes;
        fixes.reserve(rows.size());
        for (const history::PositionRow& p : rows) fixes.push_back({p.latitude, p.longitude});
        plot_.showWindow();
        plot_.tracks().set(m, label, std::move(fixes));
        // A track out of the picture is brought into it, at its latest report.
        if (plot::FrmGraphics* w = plot_.window(); w && !rows.empty() && !w->shows(rows.back().latitude, rows.back().longitude)) {
            plot_.centreOn(rows.back().latitude, rows.back().longitude);
        }
    };
    d->onClear = [this](int32_t m) { plot_.tracks().clear(m); };
    dialogs_[mmsi] = d;
    // Not window-modal: the list, the plot and other stations' windows stay in use.
    d->show();
    return d;
}

void HistoryViews::searchHistory(const QString& text) {
    if (!popup_) {
        popup_ = new history::LastSeenPopup(&window_);
        connect(popup_, &history::LastSeenPopup::chosen, this, [this](const history::LastSeen& s) {
            chosen(s.mmsi, s.latitude.value_or(0), s.longitude.value_or(0), s.latitude && s.longitude);
        });
    }
    popup_->showBelow(list_.findBox(), text);
    QPointer<history::LastSeenPopup> popup = popup_;
    const std::string wanted = text.toStdString();
    reader_->ask("last seen", location(),
                 [popup, wanted](history::HistoryStore* store, const std::string& error,
                                 const history::Cancelled&) -> std::function<void()> {
                     std::vector<history::LastSeen> found;
                     QString why;
                     if (!store) {
                         why = "No history store: " + QString::fromStdString(error);
                     } else {
                         const std::string before = store->lastError();
                         found = store->lastSeen(wanted, kLastSeenLimit);
                         if (found.empty() && store->lastError() != before) why = QString::fromStdString(store->lastError());
                     }
                     return [popup, found = std::move(found), why] {
                         if (popup) popup->setResults(found, why);
                     };
                 });
}

void HistoryViews::chosen(int32_t mmsi, double latitude, double longitude, bool located) {
    if (located) plot_.centreOn(latitude, longitude);
    const targets::TargetTable& table = receiver_.targets();
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (!table.InUse(n) || table.entry(n).MMSI != mmsi) continue;
        list_.select(n);
        plot_.choose(n);
        if (plot::FrmGraphics* w = plot_.window()) w->selectTarget(n);
        break;
    }
}

}  // namespace app
