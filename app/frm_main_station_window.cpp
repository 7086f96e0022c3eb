// The main window's side of the station's inputs and outputs: Setup > Inputs,
// File > Record and File > Play back, and the port monitor's input choice.
#include <QActionGroup>
#include <QDir>
#include <QFileDialog>
#include <QStatusBar>
#include <algorithm>

#include "app/frm_main_window.h"
#include "app/station_transport.h"
#include "input/inputs_dialog.h"
#include "input/port_monitor.h"
#include "input/port_monitor_window.h"
#include "ui/settings_store.h"

namespace app {

namespace {

constexpr const char* kTitle = "Orvanta";

struct Speed {
    const char* text;
    const char* name;
    double speed;
};
constexpr Speed kSpeeds[] = {{"&1 x", "mnuFilePlaybackSpeed_1", 1},
                             {"1&0 x", "mnuFilePlaybackSpeed_10", 10},
                             {"100 &x", "mnuFilePlaybackSpeed_100", 100},
                             {"As &fast as possible", "mnuFilePlaybackSpeed_0", 0}};
constexpr Speed kMaxGaps[] = {{"&1 min", "mnuFilePlaybackMaxGap_60", 60},
                              {"1&0 min", "mnuFilePlaybackMaxGap_600", 600},
                              {"1 &h", "mnuFilePlaybackMaxGap_3600", 3600},
                              {"1 &day", "mnuFilePlaybackMaxGap_86400", 86400}};

// The record and play back choices, kept in the settings store.
constexpr const char* kRecordTimesKey = "RecordWithTimes";
constexpr const char* kRecordSyncKey = "RecordSyncEverySecond";
constexpr const char* kPlaybackSpeedKey = "PlaybackSpeed";
constexpr const char* kPlaybackMaxGapKey = "PlaybackMaxGap";

}  // namespace

void FrmMain::buildFileStationMenu(QMenu* file) {
    auto stored = [this](const char* key, double def) { return settings_ ? settings_->readNumber(key, def) : def; };
    auto store = [this](const char* key, double value) {
        if (settings_) settings_->writeNumber(key, value);
    };
    mnuFileRecord_ = file->addAction("&Record...");
    mnuFileRecord_->setObjectName("mnuFileRecord");
    mnuFileRecord_->setCheckable(true);
    connect(mnuFileRecord_, &QAction::triggered, this, &FrmMain::mnuFileRecord_Click);
    mnuFileRecordTimes_ = file->addAction("Record &with reception times");
    mnuFileRecordTimes_->setObjectName("mnuFileRecordTimes");
    mnuFileRecordTimes_->setCheckable(true);
    mnuFileRecordTimes_->setChecked(stored(kRecordTimesKey, 1) != 0);
    // Also a recording under way follows the choice.
    connect(mnuFileRecordTimes_, &QAction::toggled, this, [this, store](bool on) {
        station_->setRecordTimes(on);
        store(kRecordTimesKey, on ? 1 : 0);
    });
    mnuFileRecordSync_ = file->addAction("Record to dis&k every second");
    mnuFileRecordSync_->setObjectName("mnuFileRecordSync");
    mnuFileRecordSync_->setCheckable(true);
    mnuFileRecordSync_->setChecked(stored(kRecordSyncKey, 0) != 0);
    connect(mnuFileRecordSync_, &QAction::toggled, this, [store](bool on) { store(kRecordSyncKey, on ? 1 : 0); });

    QMenu* playback = file->addMenu("&Play back");
    playback->setObjectName("mnuFilePlaybackMenu");
    QAction* open = playback->addAction("&Open file...");
    open->setObjectName("mnuFilePlayback");
    connect(open, &QAction::triggered, this, &FrmMain::mnuFilePlayback_Click);
    mnuFilePlaybackPause_ = playback->addAction("P&ause");
    mnuFilePlaybackPause_->setObjectName("mnuFilePlaybackPause");
    mnuFilePlaybackPause_->setCheckable(true);
    connect(mnuFilePlaybackPause_, &QAction::toggled, this,
            [this](bool paused) { station_->setPlaybackPaused(paused); });
    QAction* stop = playback->addAction("&Stop");
    stop->setObjectName("mnuFilePlaybackStop");
    connect(stop, &QAction::triggered, this, [this] {
        station_->stopPlayback();
        updatePortMonitorInputs();
        updateStationActivity();
    });
    playback->addSeparator();
    playbackSpeed_ = std::clamp(stored(kPlaybackSpeedKey, playbackSpeed_), 0.0, 1e6);
    auto* speeds = new QActionGroup(this);
    for (const Speed& s : kSpeeds) {
        QAction* a = playback->addAction(s.text);
        a->setObjectName(s.name);
        a->setCheckable(true);
        a->setChecked(s.speed == playbackSpeed_);
        speeds->addAction(a);
        connect(a, &QAction::triggered, this, [this, store, speed = s.speed] {
            playbackSpeed_ = speed;
            station_->setPlaybackSpeed(speed);
            store(kPlaybackSpeedKey, speed);
        });
    }
    // A jump of the file's times longer than this is a break in the
    // recording: skipped, and told in the status bar.
    QMenu* gaps = playback->addMenu("Skip &gaps longer than");
    gaps->setObjectName("mnuFilePlaybackMaxGapMenu");
    playbackMaxGap_ = std::clamp(stored(kPlaybackMaxGapKey, playbackMaxGap_), 1.0, 86400.0 * 365);
    station_->setPlaybackMaxGap(playbackMaxGap_);
    auto* gapGroup = new QActionGroup(this);
    for (const Speed& g : kMaxGaps) {
        QAction* a = gaps->addAction(g.text);
        a->setObjectName(g.name);
        a->setCheckable(true);
        a->setChecked(g.speed == playbackMaxGap_);
        gapGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, store, seconds = g.speed] {
            playbackMaxGap_ = seconds;
            station_->setPlaybackMaxGap(seconds);
            store(kPlaybackMaxGapKey, seconds);
        });
    }
    connect(station_, &StationTransport::playbackGapSkipped, this,
            [this](const QString& text) { statusBar()->showMessage("Play back: " + text, 15000); });
}

void FrmMain::applyStationSettings(const input::StationSettings& settings) {
    stationSettings_ = settings;
    const std::vector<std::string> problems = station_->apply(settings);
    updatePortMonitorInputs();
    if (problems.empty()) return;
    std::string text;
    for (const std::string& p : problems) text += p + "\n";
    text.pop_back();
    operatorMessage(base::MessageIcon::Exclamation, kTitle, text);
}

void FrmMain::showInputsSetup() {
    input::FrmInputs dialog(stationSettings_, this);
    if (dialog.exec() == QDialog::Accepted) applyStationSettings(dialog.settings());
}

bool FrmMain::startRecording(const QString& path) {
    std::string error;
    const bool ok = station_->startRecording(path.toStdString(), mnuFileRecordTimes_->isChecked(),
                                             mnuFileRecordSync_->isChecked(), error);
    if (!ok) operatorMessage(base::MessageIcon::Exclamation, kTitle, error);
    mnuFileRecord_->setChecked(ok);
    updateStationActivity();
    return ok;
}

void FrmMain::stopRecording() {
    if (!station_ || !station_->recording()) return;
    std::string error;
    if (!station_->stopRecording(error)) operatorMessage(base::MessageIcon::Exclamation, kTitle, error);
    if (mnuFileRecord_) mnuFileRecord_->setChecked(false);
    updateStationActivity();
}

void FrmMain::mnuFileRecord_Click(bool checked) {
    if (!checked) {
        stopRecording();
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, "Record to", QDir::home().filePath("orvanta.nmea"),
                                                      "NMEA (*.nmea *.txt *.log);;All files (*)");
    if (path.isEmpty()) {
        mnuFileRecord_->setChecked(false);
        return;
    }
    startRecording(path);
}

bool FrmMain::startPlayback(const QString& path, double speed) {
    std::string error;
    playbackSpeed_ = speed;
    const bool ok = station_->startPlayback(path.toStdString(), speed, error);
    if (!ok) operatorMessage(base::MessageIcon::Exclamation, kTitle, error);
    if (mnuFilePlaybackPause_) mnuFilePlaybackPause_->setChecked(false);
    updatePortMonitorInputs();
    updateStationActivity();
    return ok;
}

void FrmMain::mnuFilePlayback_Click() {
    const QString path = QFileDialog::getOpenFileName(this, "Play back", QDir::homePath(),
                                                      "NMEA (*.nmea *.txt *.log);;All files (*)");
    if (!path.isEmpty()) startPlayback(path, playbackSpeed_);
}

void FrmMain::updatePortMonitorInputs() {
    if (!frmPortMonitor_) return;
    frmPortMonitor_->setInputChoices(station_->inputLabels());
    frmPortMonitor_->setCountersText([this] {
        input::InputCounters sum;
        for (int n : receiver_->inputs()) {
            if (frmPortMonitor_->shows(n)) sum += *receiver_->inputCounters(n);
        }
        return input::InputCountersText(sum, receiver_->clock().monotonicSeconds());
    });
    frmPortMonitor_->setCounterSource(
        [this] {
            // Removed inputs (a finished play back) still count in "All inputs".
            input::InputCounters sum;
            for (int n = 0; const std::optional<input::InputCounters> c = receiver_->inputCounters(n); ++n) {
                if (frmPortMonitor_->shows(n)) sum += *c;
            }
            return sum.Monitor;
        },
        [this] { receiver_->resetMonitorCounters(); });
}

void FrmMain::sentenceSeenOn(int input, std::string_view sentence) {
    if (frmPortMonitor_ && frmPortMonitor_->shows(input)) frmPortMonitor_->sentenceSeen(sentence);
}

void FrmMain::inputBufferChangedOn(int input, std::string_view text) {
    if (frmPortMonitor_ && frmPortMonitor_->shows(input)) frmPortMonitor_->inputBufferChanged(text);
}

}  // namespace app
