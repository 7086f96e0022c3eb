// FrmMain: the main window. It owns the receiver, the two input transports and
// the connection manager, and shows their state: the target list
// (TargetListPanel), the reference-position frame (ReferencePanel), the
// "CONNECT" button and the status bar with seven panels. Its parts of their
// own: the exports (Exports), message pop-ups and the inbox
// (IncomingMessages), the collision alarm and watch options (WatchKeeper).
//
// Life of the window, as main() drives it:
//   app::FrmMain w(settingsStore);
//   w.startUp(dataDir);   // code tables, setup file, ship database (boxes before the window)
//   w.load();             // caption, placement, panels, menus, input, list, reference frame
//   w.show();
//   ...                   // closing the window saves setup, ship data and placement
//
// Tests construct it without startUp (nothing is read or written) and give it
// a recording message sink so no modal box opens.
//
// Controls carry their names as objectName (cmdConnect, fgAISTargets,
// sbStatusBar, txtMMSI, ...); members of a control array are named with their
// index after an underscore: optRefPos_0..3, optIncr_0..1,
// mnuSetupBinaryMsgStd_0..1. Status bar panels are sbStatusBar_Panel1..7.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "station/receiver.h"
#include "station/receiver_events.h"
#include "base/clock.h"
#include "geodesy/geodetic.h"
#include "windows/station/comm_setup_dialog.h"
#include "station/connection.h"
#include "station/setup_file.h"
#include "plot/landmarks.h"
#include "ui/window_placement.h"

namespace input {
class FrmPortMonitor;
class Transport;
}  // namespace input
namespace targets {
class TargetListModel;
class ExtraInfoWindows;
}
namespace ui {
class SettingsStore;
}

namespace app {

class HistoryDesk;
class HistoryViews;

class DangerousPanel;
class Exports;
class IncomingMessages;
class MessageRoute;
class PlaybackBar;
class PlotKeeper;
class ReferencePanel;
class StationMenus;
class StationTransport;
class TargetListPanel;
class TimeBarDesk;
class WatchKeeper;
class WebViewKeeper;

class FrmMain : public QMainWindow, public ReceiverEvents, private input::ConnectionView {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Orvanta - Version : 1.00";
    static constexpr const char* kAboutTitle = "About Orvanta";

    // settings: the per-user store for the placement; null keeps none.
    // clock: the time source of the receiver; null uses the computer's clock.
    explicit FrmMain(ui::SettingsStore* settings = nullptr, QWidget* parent = nullptr, const base::Clock* clock = nullptr);
    ~FrmMain() override;

    // Start procedure before the window: code tables, setup file, datum,
    // ship database, flags and landmarks from dataDir. Without it nothing is
    // read or saved.
    // quietWithoutSetupFile drops the "no setup file" notice (the demo needs
    // no port chosen); other setup file problems are still shown.
    void startUp(const std::filesystem::path& dataDir, bool quietWithoutSetupFile = false);
    // The window's load sequence. openInput false leaves the input closed
    // (the demo opens it once its simulator listens).
    void load(bool openInput = true);

    // Input for this session only: the stored setup keeps its own address.
    void useSessionInput(const std::string& host, int port);
    // The communication settings and input tests as the setup dialog starts from them.
    input::CommChoice commChoice() const;
    // The operator confirmed the setup dialog: the settings are the stored
    // ones from now on, a test switched on starts counting from 0, and the
    // input reopens.
    void applyCommChoice(const input::CommChoice& choice);

    // Start-up boxes wait until the window is up: from holdMessages() on,
    // operator messages are kept; showHeldMessages() (after show()) shows
    // them in order and then, on a first run without a setup file, opens
    // Setup > Comm so an input can be chosen at once.
    void holdMessages();
    void showHeldMessages();
    // Setup > Inputs: the further inputs and the outputs, as stored in the
    // setup file; applying them reopens those inputs and outputs at once.
    // (The station's inputs, outputs, recording and play back: StationMenus.)
    const input::StationSettings& stationSettings() const;
    void applyStationSettings(const input::StationSettings& settings);
    StationTransport& station();
    StationMenus& stationMenus() { return *stationMenus_; }
    // File > Record: starts recording into path (every sentence of every
    // input), or stops; false when the file could not be made (told).
    bool startRecording(const QString& path);
    void stopRecording();
    // File > Play back: the file as an input at speed (0: as fast as possible).
    bool startPlayback(const QString& path, double speed);

    // Where operator messages go (default: modal message boxes).
    void setMessageSink(base::MessageSink* sink);

    Receiver& receiver() { return *receiver_; }
    input::CommSettings& commSettings() { return comm_; }
    input::ConnectionManager& connection() { return *connection_; }
    targets::TargetListModel& listModel() { return *model_; }
    const geodesy::DatumTable& datum() const { return datum_; }
    const plot::LandmarkDatabases& landmarks() const { return landmarks_; }
    // The main input's transport (input 0 of the station's list); null before it is opened.
    input::Transport* mainTransport();
    QString panelText(int panel) const;
    // The open port monitor, or null.
    input::FrmPortMonitor* portMonitor() const;

    // Opens the extended information window of entry n (or brings it to the
    // front), at the height of the entry's row in the list.
    void showExtraInfo(int entry);
    targets::ExtraInfoWindows& extraInfoWindows() { return *extraInfo_; }

    // Closes whatever input is open and opens the one the settings choose.
    void OpenInput();
    // Writes setup, ship data and placement (once); called when the window
    // closes. Nothing waits on the operator here: a file that cannot be
    // written is reported on standard error (and in exitCode()).
    void shutdown();
    // Ends the run now, as an interrupt or terminate signal asks, also from
    // inside a modal box: no box opens any more (one that is open closes, its
    // text going to standard error), open dialogs are dismissed, and what was
    // loaded is saved as shutdown() does. Before startUp() has finished
    // nothing is written, so no default replaces a file that was not read.
    void stop();
    // The program's exit status: 0, or 1 when shutdown could not save a file.
    int exitCode() const { return saveFailed_ ? 1 : 0; }

    // File > Export targets... and Export tracks...
    Exports& exports() { return *exports_; }
    // The plot window and the plot state of the whole run.
    PlotKeeper& plot() { return *plot_; }
    HistoryViews& historyViews() { return *historyViews_; }

    // ReceiverEvents
    void statusPanelChanged(int panel, const std::string& text) override;
    void inputBufferChanged(std::string_view text) override;
    void sentenceSeen(std::string_view sentence) override;
    // The port monitor shows the input chosen in it.
    void sentenceSeenOn(int input, std::string_view sentence) override;
    void inputBufferChangedOn(int input, std::string_view text) override;
    void targetChangedByMessage(int entry) override;
    void referenceMoved() override;
    void targetStatusChanged(int entry) override;
    void targetsRemoved(const std::vector<targets::RemovedTarget>& removed) override;
    void approachesChanged() override;
    // Sounds at once and every 30 s after, until acknowledged; the row turns red.
    void collisionAlarm(int entry, bool logFailed, const std::string& logError) override;
    // The alarm's sound and acknowledgement, Options > Targets and Collision alarm.
    WatchKeeper& watch() { return *watch_; }
    WebViewKeeper& webView() { return *webView_; }
    // A box that waits for the operator, for what he asked for; raised while
    // input is handled it becomes a notice instead.
    void operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) override;
    // A notice of something that happened by itself (input, a timer): shown
    // once the current handler has returned, in the notice bar above the
    // list (ui::NoticeBar), which never waits and never takes the keyboard,
    // so input goes on being read while it is up.
    void notice(base::MessageIcon icon, const std::string& title, const std::string& text);
    // Into the inbox, with a beep and a pop-up as Options > Message pop-ups chose.
    void aisMessageToShow(const MessageToShow& message) override;
    // Every message of the run (View > Incoming Messages) and the pop-up choices.
    IncomingMessages& incoming() { return *incoming_; }
    // The size a first run opens at: wide enough for every shown column of
    // the list, as far as `available` (a screen's free area) allows.
    QSize openingSize(const QRect& available) const;

    // Selects entry n's row in the list (in view) and on the plot.
    void selectTarget(int entry);
    DangerousPanel* dangerousPanel() const { return dangerousPanel_; }
    PlaybackBar* playbackBar() const;
    // The time bar's past situations in the list and the plot.
    TimeBarDesk& timeBar() { return *timeBar_; }

signals:
    // The operator clicked the row of entry n (1-based number in the target table).
    void targetClicked(int entry);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // ConnectionView
    void setConnectionText(const std::string& text) override;
    void setConnectVisible(bool visible) override;
    void setConnectionTestInterval(int ms) override;
    void inputRestarted(input::InputKind kind) override;

    void buildStatusBar();
    void buildMenus();
    // The dangerous-targets panel and Options > Keep sorted (frm_main_watch_window.cpp).
    void buildWatchPanels();
    void watchSecondTick();
    void keepSorted();
    void buildCentralArea();
    void updateClockPanel();
    void chooseBinaryStandard(int index);
    void showCommSetup();
    void showPortMonitor();
    void showAbout();
    void showReceptionSummary();
    void timerAIS_Status_Timer();
    void targetChanged(int entry);

    base::SystemClock systemClock_;
    std::unique_ptr<Receiver> receiver_;
    // After the receiver: it goes first and unhooks its feed from it.
    std::unique_ptr<HistoryDesk> history_;
    input::CommSettings comm_;
    // The stored address while this session uses another one (demo).
    std::optional<input::CommSettings> storedComm_;
    input::ConnectionManager* connection_ = nullptr;  // the station list's, for the main input
    targets::TargetListModel* model_ = nullptr;
    targets::ExtraInfoWindows* extraInfo_ = nullptr;
    ui::SettingsStore* settings_ = nullptr;
    ui::WindowPlacement placement_;
    MessageRoute* route_ = nullptr;
    std::filesystem::path dataDir_;
    geodesy::DatumTable datum_;
    plot::LandmarkDatabases landmarks_;
    bool started_ = false;
    bool shutDown_ = false;
    bool stopping_ = false;
    bool saveFailed_ = false;

    std::array<QLabel*, 7> panels_{};
    QTimer* timerAIS_Status_ = nullptr;
    QTimer* timer_DeleteOLDTargets_ = nullptr;
    QTimer* timerConnectionTest_ = nullptr;
    QTimer* clockTimer_ = nullptr;

    TargetListPanel* targetList_ = nullptr;
    ReferencePanel* reference_ = nullptr;
    Exports* exports_ = nullptr;
    IncomingMessages* incoming_ = nullptr;
    WatchKeeper* watch_ = nullptr;
    WebViewKeeper* webView_ = nullptr;
    QPushButton* cmdConnect_ = nullptr;
    std::array<QAction*, 2> mnuSetupBinaryMsgStd_{};
    QPointer<QWidget> frmReception_;
    PlotKeeper* plot_ = nullptr;
    TimeBarDesk* timeBar_ = nullptr;
    HistoryViews* historyViews_ = nullptr;
    QPointer<input::FrmPortMonitor> frmPortMonitor_;
    bool firstRun_ = false;
    StationMenus* stationMenus_ = nullptr;
    DangerousPanel* dangerousPanel_ = nullptr;
    QAction* mnuOptionsKeepSorted_ = nullptr;
};

}  // namespace app
