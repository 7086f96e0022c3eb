// FrmMain: the main window. It owns the receiver, the two input transports and
// the connection manager, and shows their state: the target list, the
// reference-position frame, the sort controls, the "CONNECT" button and the
// status bar with seven panels.
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
#include <QLineEdit>
#include <QMenu>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTableView>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "ais/message_inbox.h"
#include "app/receiver.h"
#include "app/receiver_events.h"
#include "base/clock.h"
#include "geodesy/geodetic.h"
#include "input/comm_setup_dialog.h"
#include "input/connection.h"
#include "input/setup_file.h"
#include "plot/landmarks.h"
#include "ui/window_placement.h"

namespace input {
class FrmPortMonitor;
class SerialTransport;
class TcpTransport;
}  // namespace input
namespace plot {
class FrmGraphics;
struct PlotState;
}  // namespace plot
namespace targets {
class TargetListModel;
class ExtraInfoWindows;
}
namespace ais {
class FrmAISMessage;
class MessageInboxModel;
}
namespace ui {
class MessageBoxSink;
class NoticeBar;
class SettingsStore;
}

namespace app {

class DangerousPanel;
class PlaybackBar;
class FrmMessages;
class StationMenus;
class StationTransport;

class FrmMain : public QMainWindow, public ReceiverEvents, private input::ConnectionView {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Orvanta - Version : 1.00";
    static constexpr const char* kAboutTitle = "About Orvanta";
    static constexpr const char* kNameInfo =
        "Name with lower case letters : Static data imported from historical database. No Msg 5/19 received yet in "
        "this session.";

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
    void holdMessages() { holding_ = true; }
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
    void setMessageSink(base::MessageSink* sink) { messages_ = sink; }

    Receiver& receiver() { return *receiver_; }
    input::CommSettings& commSettings() { return comm_; }
    input::ConnectionManager& connection() { return *connection_; }
    targets::TargetListModel& listModel() { return *model_; }
    const geodesy::DatumTable& datum() const { return datum_; }
    const plot::LandmarkDatabases& landmarks() const { return landmarks_; }
    input::TcpTransport& tcpTransport() { return *tcp_; }
    input::SerialTransport& serialTransport() { return *serial_; }
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

    // File > Export targets...: the target list as CSV, or with a .geojson or
    // .json suffix as GeoJSON. File > Export tracks...: the trails as GPX.
    // Written whole or not at all; a failure is told as an operator message.
    // Return whether the file was written.
    enum class TargetFormat { Csv, GeoJson };
    static TargetFormat TargetFormatOf(const QString& path);
    bool exportTargets(const QString& path, TargetFormat format);
    bool exportTracks(const QString& path);
    // The trail pass of the whole run (once a second, plot window open or not).
    void recordTrails();
    const plot::PlotState& plotState() const { return *plotState_; }

    // ReceiverEvents
    void statusPanelChanged(int panel, const std::string& text) override;
    void inputBufferChanged(std::string_view text) override;
    void sentenceSeen(std::string_view sentence) override;
    // The port monitor shows the input chosen in it.
    void sentenceSeenOn(int input, std::string_view sentence) override;
    void inputBufferChangedOn(int input, std::string_view text) override;
    void targetChangedByMessage(int entry) override;
    void targetStatusChanged(int entry) override;
    void targetsRemoved(const std::vector<targets::RemovedTarget>& removed) override;
    void approachesChanged() override;
    // Sounds at once and every 30 s after, until acknowledged; the row turns red.
    void collisionAlarm(int entry, bool logFailed, const std::string& logError) override;
    // Acknowledges every dangerous target now (status bar button, Options menu).
    void acknowledgeAlarms();
    // Options > Silence alarm: no sound for 5 minutes (or until another
    // target becomes dangerous); the alarm stays shown.
    void silenceAlarm();
    // Times the alarm has sounded in this run.
    int alarmSounds() const { return alarmSounds_; }
    // A box that waits for the operator, for what he asked for; raised while
    // input is handled it becomes a notice instead.
    void operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) override;
    // A notice of something that happened by itself (input, a timer): shown
    // once the current handler has returned, in the notice bar above the
    // list (ui::NoticeBar), which never waits and never takes the keyboard,
    // so input goes on being read while it is up.
    void notice(base::MessageIcon icon, const std::string& title, const std::string& text);
    // Beeps, shows the message in the "AIS Message received" window (and a
    // binary application's own window), and tells once per run when the
    // message log could not be written.
    void aisMessageToShow(const MessageToShow& message) override;
    // Every message of the run, newest first (View > Incoming Messages).
    ais::MessageInboxModel& inbox() { return *inbox_; }
    // Which kinds pop up a window or beep (Options > Message pop-ups); kept in the settings.
    const ais::PopupSettings& popupSettings() const { return popups_; }
    void setPopupSettings(const ais::PopupSettings& popups);
    // Times a message has beeped in this run.
    int messageBeeps() const { return messageBeeps_; }
    // The size a first run opens at: wide enough for every shown column of
    // the list, as far as `available` (a screen's free area) allows.
    QSize openingSize(const QRect& available) const;

    // Selects entry n's row in the list (in view) and on the plot.
    void selectTarget(int entry);
    DangerousPanel* dangerousPanel() const { return dangerousPanel_; }
    PlaybackBar* playbackBar() const;

signals:
    // The operator clicked the row of entry n (1-based number in the target table).
    void targetClicked(int entry);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    void prepareTargetList();
    // The list header's right-click menu that hides and shows columns (kept in the settings).
    void buildColumnMenu();
    void setColumnShown(int column, bool shown);
    // Shows a message pop-up: a new one in the free part of the screen (clear
    // of the list, the reference frame, dialogs and the other pop-ups); the
    // oldest of more than ui::kMaxOpenPopups closes.
    void showPopup(QWidget& window);
    void updateClockPanel();
    void chooseBinaryStandard(int index);
    void showMessagesWindow();
    void showPopupSettings();
    // Puts a message window where it does not cover the reference-position frame.
    void placeClearOfReference(QWidget& window);
    void mnuViewGraphics_Click(bool checked);
    void showCommSetup();
    void showPortMonitor();
    void showAbout();
    void mnuFileExportTargets_Click();
    void mnuFileExportTracks_Click();
    bool writeExport(const QString& path, const std::string& content, const char* what);
    void showTargetSettings();
    void showAlarmSettings();
    void showReceptionSummary();
    void soundAlarm();
    void loadWatchSettings();

    void optRefPos_Click(int index);
    void optIncr_Click(int index);
    void headerClicked(int column);
    void txtMMSI_LostFocus();
    void txtRefPos_LostFocus(QLineEdit* box, bool latitude);
    void showReferenceBoxes();
    void updateTargetCount();
    void timerAIS_Status_Timer();
    void targetChanged(int entry);
    // The row's target (a click, Enter): its extended information opens.
    void rowChosen(const QModelIndex& index);
    // Hides the rows first..last (all when -1) that do not match the find box.
    void applyTargetFilter(int first = 0, int last = -1);

    base::SystemClock systemClock_;
    std::unique_ptr<Receiver> receiver_;
    input::CommSettings comm_;
    // The stored address while this session uses another one (demo).
    std::optional<input::CommSettings> storedComm_;
    input::SerialTransport* serial_ = nullptr;
    input::TcpTransport* tcp_ = nullptr;
    std::unique_ptr<input::ConnectionManager> connection_;
    targets::TargetListModel* model_ = nullptr;
    targets::ExtraInfoWindows* extraInfo_ = nullptr;
    ui::SettingsStore* settings_ = nullptr;
    ui::WindowPlacement placement_;
    std::unique_ptr<ui::MessageBoxSink> boxSink_;
    base::MessageSink* messages_ = nullptr;
    std::filesystem::path dataDir_;
    geodesy::DatumTable datum_;
    plot::LandmarkDatabases landmarks_;
    bool started_ = false;
    bool shutDown_ = false;
    bool stopping_ = false;
    bool saveFailed_ = false;
    double shownRefLat_ = 0, shownRefLon_ = 0;

    std::array<QLabel*, 7> panels_{};
    QTimer* timerAIS_Status_ = nullptr;
    QTimer* timer_DeleteOLDTargets_ = nullptr;
    QTimer* timerConnectionTest_ = nullptr;
    QTimer* clockTimer_ = nullptr;

    QTableView* fgAISTargets_ = nullptr;
    QTimer* fitColumnsTimer_ = nullptr;
    bool fittingColumns_ = false;
    QSet<int> resizedByHand_;
    QLineEdit* txtFind_ = nullptr;
    bool filterActive_ = false;
    QPushButton* cmdConnect_ = nullptr;
    QPushButton* cmdAcknowledge_ = nullptr;
    QTimer* timerAlarm_ = nullptr;
    int alarmSounds_ = 0;
    bool alarmLogFailureShown_ = false;
    targets::AlarmSilence alarmSilence_;
    QLabel* lblNoOfTargets_ = nullptr;
    QLabel* lblSortedBy_ = nullptr;
    std::array<QRadioButton*, 2> optIncr_{};
    std::array<QRadioButton*, 4> optRefPos_{};
    QLineEdit* txtMMSI_ = nullptr;
    QLineEdit* txtRefLat_ = nullptr;
    QLineEdit* txtRefLon_ = nullptr;
    std::array<QAction*, 2> mnuSetupBinaryMsgStd_{};
    QPointer<FrmMessages> frmMessages_;
    QPointer<QWidget> frmReception_;
    QAction* mnuViewGraphics_ = nullptr;
    QPointer<plot::FrmGraphics> frmGraphics_;
    // Plot state of the whole run: trails, ERBL origin and line-of-sight heights outlive the plot window.
    std::unique_ptr<plot::PlotState> plotState_;
    QPointer<ais::FrmAISMessage> frmAISMessage_;
    // One window per binary application (meteorological, dangerous cargo,
    // fairway closed, tidal window), indexed by ais::ApplicationWindow - 1.
    std::array<QPointer<QWidget>, 4> applicationWindows_;
    std::vector<QPointer<QWidget>> popupOrder_;  // open pop-ups, oldest first
    bool logFailureShown_ = false;
    ais::MessageInboxModel* inbox_ = nullptr;
    ais::PopupSettings popups_{};
    int messageBeeps_ = 0;
    QWidget* frameRefPos_ = nullptr;
    QPointer<input::FrmPortMonitor> frmPortMonitor_;
    bool validating_ = false;
    bool holding_ = false;
    bool firstRun_ = false;
    struct HeldMessage {
        base::MessageIcon icon;
        std::string title, text;
    };
    std::vector<HeldMessage> held_;
    // Notices raised since the last turn of the event loop.
    std::vector<HeldMessage> notices_;
    bool noticesPosted_ = false;
    ui::NoticeBar* noticeBar_ = nullptr;
    void showNotices();
    StationMenus* stationMenus_ = nullptr;
    DangerousPanel* dangerousPanel_ = nullptr;
    QAction* mnuOptionsKeepSorted_ = nullptr;
    int sortColumn_ = -1;  // the column of the last header click; -1 none
    bool sortDescending_ = false;
};

}  // namespace app
