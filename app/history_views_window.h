// HistoryViews: the stored history on the desk, beside the live picture.
// - Track... in a target's extended information window opens FrmTrack for
//   that station (one per station); a track it finds is drawn on the plot
//   (PlotKeeper's track layer, the plot opened when closed) and cleared by it.
// - "Search history" in the find box asks the history when and where the
//   text was last heard; choosing a station centres the plot there and
//   selects its row when it is in the live list.
// - The history writer's state in the status bar (lblHistoryStatus),
//   refreshed once a second, the details in its tool tip.
// Every question goes to one HistoryReader: its own thread and store.
//
//   auto* views = new app::HistoryViews(desk, plot, extraInfo, list, receiver, *statusBar(), window);
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "app/history_keeper.h"

class QLabel;
class QStatusBar;
class QTimer;
class QWidget;

namespace history {
class FrmTrack;
class HistoryReader;
class LastSeenPopup;
}  // namespace history
namespace targets {
class ExtraInfoWindows;
}

namespace app {

class HistoryDesk;
class PlotKeeper;
class Receiver;
class TargetListPanel;

// The status bar's line for a report; on: history is switched on in the settings.
QString StatusLine(const HistoryKeeper::Report& report, bool on);

class HistoryViews : public QObject {
    Q_OBJECT
public:
    HistoryViews(HistoryDesk& desk, PlotKeeper& plot, targets::ExtraInfoWindows& extraInfo, TargetListPanel& list,
                 Receiver& receiver, QStatusBar& bar, QWidget& window);
    ~HistoryViews() override;

    // Opens (or raises) the Track dialog of a station.
    history::FrmTrack* showTrackDialog(int32_t mmsi, const QString& name);
    history::FrmTrack* trackDialog(int32_t mmsi) const;
    void searchHistory(const QString& text);
    history::LastSeenPopup* searchPopup() const;
    history::HistoryReader& reader() { return *reader_; }
    // Writes the status bar's line now (the timer does it every second).
    void refreshStatus();
    QLabel* statusLabel() const { return lblStatus_; }

private:
    std::string location() const;
    void chosen(int32_t mmsi, double latitude, double longitude, bool located);

    HistoryDesk& desk_;
    PlotKeeper& plot_;
    TargetListPanel& list_;
    Receiver& receiver_;
    QWidget& window_;
    std::unique_ptr<history::HistoryReader> reader_;
    std::map<int32_t, QPointer<history::FrmTrack>> dialogs_;
    QPointer<history::LastSeenPopup> popup_;
    QLabel* lblStatus_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace app
