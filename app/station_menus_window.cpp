#include "app/station_menus_window.h"

#include <QAction>
#include <QActionGroup>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>

#include "app/playback_bar_window.h"
#include "station/receiver.h"
#include "station/transports/station_transport.h"
#include "base/operator_messages.h"
#include "windows/station/inputs_dialog.h"
#include "station/port_monitor.h"
#include "windows/station/port_monitor_window.h"
#include "station/station_activity.h"
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

StationMenus::StationMenus(QMainWindow& window, Receiver& receiver, base::MessageSink& messages,
                           ui::SettingsStore* settings, Notice notice, PortMonitor portMonitor)
    : QObject(&window),
      window_(window),
      receiver_(receiver),
      messages_(messages),
      settingsStore_(settings),
      notice_(std::move(notice)),
      portMonitor_(std::move(portMonitor)),
      station_(new StationTransport(receiver, this)) {
    connect(station_, &StationTransport::recordingFailed, this, [this](const QString& text) {
        if (record_) record_->setChecked(false);
        notice_(text.toStdString());
        updateActivity();
    });
    connect(station_, &StationTransport::playbackFinished, this, [this] {
        updatePortMonitorInputs();
        updateActivity();
    });
}

// The transport goes first: its inputs hand bytes to the receiver.
StationMenus::~StationMenus() { delete station_; }

double StationMenus::stored(const char* key, double def) const {
    return settingsStore_ ? settingsStore_->readNumber(key, def) : def;
}

void StationMenus::store(const char* key, double value) {
    if (settingsStore_) settingsStore_->writeNumber(key, value);
}

void StationMenus::buildFileMenu(QMenu* file) {
    record_ = file->addAction("&Record...");
    record_->setObjectName("mnuFileRecord");
    record_->setCheckable(true);
    connect(record_, &QAction::triggered, this, &StationMenus::recordClicked);
    recordTimes_ = file->addAction("Record &with reception times");
    recordTimes_->setObjectName("mnuFileRecordTimes");
    recordTimes_->setCheckable(true);
    recordTimes_->setChecked(stored(kRecordTimesKey, 1) != 0);
    // Also a recording under way follows the choice.
    connect(recordTimes_, &QAction::toggled, this, [this](bool on) {
        station_->setRecordTimes(on);
        store(kRecordTimesKey, on ? 1 : 0);
    });
    recordSync_ = file->addAction("Record to dis&k every second");
    recordSync_->setObjectName("mnuFileRecordSync");
    recordSync_->setCheckable(true);
    recordSync_->setChecked(stored(kRecordSyncKey, 0) != 0);
    connect(recordSync_, &QAction::toggled, this, [this](bool on) { store(kRecordSyncKey, on ? 1 : 0); });

    QMenu* playback = file->addMenu("&Play back");
    playback->setObjectName("mnuFilePlaybackMenu");
    QAction* open = playback->addAction("&Open file...");
    open->setObjectName("mnuFilePlayback");
    connect(open, &QAction::triggered, this, &StationMenus::playbackClicked);
    playbackPause_ = playback->addAction("P&ause");
    playbackPause_->setObjectName("mnuFilePlaybackPause");
    playbackPause_->setCheckable(true);
    connect(playbackPause_, &QAction::toggled, this, [this](bool paused) { station_->setPlaybackPaused(paused); });
    QAction* stop = playback->addAction("&Stop");
    stop->setObjectName("mnuFilePlaybackStop");
    connect(stop, &QAction::triggered, this, [this] {
        station_->stopPlayback();
        updatePortMonitorInputs();
        updateActivity();
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
        connect(a, &QAction::triggered, this, [this, speed = s.speed] {
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
        connect(a, &QAction::triggered, this, [this, seconds = g.speed] {
            playbackMaxGap_ = seconds;
            station_->setPlaybackMaxGap(seconds);
            store(kPlaybackMaxGapKey, seconds);
        });
    }
    connect(station_, &StationTransport::playbackGapSkipped, this,
            [this](const QString& text) { window_.statusBar()->showMessage("Play back: " + text, 15000); });
}

void StationMenus::addInputsAction(QMenu* setup) {
    QAction* inputs = setup->addAction("&Inputs...");
    inputs->setObjectName("mnuSetupInputs");
    connect(inputs, &QAction::triggered, this, &StationMenus::showInputsSetup);
}

void StationMenus::applySettings(const input::StationSettings& settings) {
    settings_ = settings;
    const std::vector<std::string> problems = station_->apply(settings);
    updatePortMonitorInputs();
    if (problems.empty()) return;
    std::string text;
    for (const std::string& p : problems) text += p + "\n";
    text.pop_back();
    messages_.operatorMessage(base::MessageIcon::Exclamation, kTitle, text);
}

void StationMenus::showInputsSetup() {
    // Window-modal but without a nested event loop: the inputs keep being
    // read while the operator edits; OK applies what was chosen.
    auto* dialog = new input::FrmInputs(settings_, &window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { applySettings(dialog->settings()); });
    dialog->open();
}

bool StationMenus::startRecording(const QString& path) {
    std::string error;
    const bool ok =
        station_->startRecording(path.toStdString(), recordTimes_->isChecked(), recordSync_->isChecked(), error);
    if (!ok) messages_.operatorMessage(base::MessageIcon::Exclamation, kTitle, error);
    record_->setChecked(ok);
    updateActivity();
    return ok;
}

void StationMenus::stopRecording() {
    if (!station_->recording()) return;
    std::string error;
    if (!station_->stopRecording(error)) messages_.operatorMessage(base::MessageIcon::Exclamation, kTitle, error);
    if (record_) record_->setChecked(false);
    updateActivity();
}

void StationMenus::recordClicked(bool checked) {
    if (!checked) {
        stopRecording();
        return;
    }
    const QString path = QFileDialog::getSaveFileName(&window_, "Record to", QDir::home().filePath("orvanta.nmea"),
                                                      "NMEA (*.nmea *.txt *.log);;All files (*)");
    if (path.isEmpty()) {
        record_->setChecked(false);
        return;
    }
    startRecording(path);
}

bool StationMenus::startPlayback(const QString& path, double speed) {
    std::string error;
    playbackSpeed_ = speed;
    const bool ok = station_->startPlayback(path.toStdString(), speed, error);
    if (!ok) messages_.operatorMessage(base::MessageIcon::Exclamation, kTitle, error);
    if (playbackPause_) playbackPause_->setChecked(false);
    updatePortMonitorInputs();
    updateActivity();
    return ok;
}

void StationMenus::playbackClicked() {
    const QString path = QFileDialog::getOpenFileName(&window_, "Play back", QDir::homePath(),
                                                      "NMEA (*.nmea *.txt *.log);;All files (*)");
    if (!path.isEmpty()) startPlayback(path, playbackSpeed_);
}

void StationMenus::updatePortMonitorInputs() {
    input::FrmPortMonitor* monitor = portMonitor_();
    if (!monitor) return;
    monitor->setInputChoices(station_->inputLabels());
    monitor->setCountersText([this] {
        input::FrmPortMonitor* m = portMonitor_();
        input::InputCounters sum;
        for (int n : receiver_.inputs()) {
            if (m && m->shows(n)) sum += *receiver_.inputCounters(n);
        }
        return input::InputCountersText(sum, receiver_.clock().monotonicSeconds());
    });
    monitor->setCounterSource(
        [this] {
            // Removed inputs (a finished play back) still count in "All inputs".
            input::FrmPortMonitor* m = portMonitor_();
            input::InputCounters sum;
            for (int n = 0; const std::optional<input::InputCounters> c = receiver_.inputCounters(n); ++n) {
                if (m && m->shows(n)) sum += *c;
            }
            return sum.Monitor;
        },
        [this] { receiver_.resetMonitorCounters(); });
}

void StationMenus::buildActivityBar() {
    activity_ = new QLabel(window_.statusBar());
    activity_->setObjectName("lblStationActivity");
    activity_->setTextFormat(Qt::PlainText);
    activity_->setContentsMargins(4, 0, 4, 0);
    activity_->setStyleSheet("font-weight: bold");
    activity_->hide();
    window_.statusBar()->addPermanentWidget(activity_);

    playbackBar_ = new PlaybackBar(&window_);
    window_.addToolBar(Qt::BottomToolBarArea, playbackBar_);
    playbackBar_->hide();
    playbackBar_->toggleViewAction()->setVisible(false);
    // The bar asks through the File > Play back menu, which keeps the choice.
    connect(playbackBar_, &PlaybackBar::pauseToggled, this, [this](bool paused) {
        if (playbackPause_) playbackPause_->setChecked(paused);
        updateActivity();
    });
    connect(playbackBar_, &PlaybackBar::speedChosen, this, [this](double speed) {
        if (auto* a = window_.findChild<QAction*>(QString("mnuFilePlaybackSpeed_%1").arg(speed))) a->trigger();
        updateActivity();
    });
    connect(playbackBar_, &PlaybackBar::seekRequested, this, [this](double fraction) {
        station_->seekPlayback(fraction);
        updateActivity();
    });
    connect(playbackBar_, &PlaybackBar::stopRequested, this, [this] {
        if (auto* a = window_.findChild<QAction*>("mnuFilePlaybackStop")) a->trigger();
        updateActivity();
    });
}

void StationMenus::updateActivity() {
    if (!activity_) return;
    QStringList texts;
    if (station_->recording()) {
        texts << QString::fromStdString(input::RecordingText(station_->recordingSeconds(), station_->recordingBytes()));
    }
    const bool playing = station_->playing();
    if (playing) {
        const int64_t feed = station_->playbackFeedTime();
        const int secondsOfDay =
            feed < 0 ? -1 : QDateTime::fromSecsSinceEpoch(feed).time().msecsSinceStartOfDay() / 1000;
        const double fraction = station_->playbackFraction();
        const bool paused = station_->playbackPaused();
        texts << QString::fromStdString(input::PlaybackText(station_->playbackSpeed(), paused, secondsOfDay, fraction));
        playbackBar_->showState(secondsOfDay, fraction, paused, station_->playbackSpeed());
    }
    playbackBar_->setVisible(playing);
    activity_->setText(texts.join("   "));
    activity_->setVisible(!texts.isEmpty());
}

}  // namespace app
