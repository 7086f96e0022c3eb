// The main window's collision alarm and watch-keeping options.
//
// A target that becomes dangerous sounds at once and every 30 s after, until
// the operator acknowledges it (the status bar's "Acknowledge alarm" button,
// Options > Acknowledge alarm); Options > Silence alarm stops the sound for
// 5 minutes (or until another target becomes dangerous) while the alarm
// stays shown. Options > Targets... and Options > Collision alarm... set when
// targets are lost and removed and what counts as dangerous; both are kept
// in the settings store and read again at the next start.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "base/operator_messages.h"
#include "targets/watch.h"

class QMenu;
class QPushButton;
class QStatusBar;
class QTimer;
class QWidget;

namespace ui {
class SettingsStore;
}

namespace app {

class Receiver;

// The target lifecycle and collision alarm limits kept in the settings store
// (Options > Targets... and Collision alarm...), given to the receiver; what
// is missing keeps its default. The desktop and the station read them alike.
void ApplyStoredWatchSettings(const ui::SettingsStore& settings, Receiver& receiver);

class WatchKeeper : public QObject {
    Q_OBJECT
public:
    using Notice = std::function<void(base::MessageIcon, const std::string& title, const std::string& text)>;
    // window: the parent of the settings dialogs; settings: where the
    // options are kept (null keeps none); notice: how a log failure is told.
    WatchKeeper(Receiver& receiver, ui::SettingsStore* settings, QWidget& window, Notice notice);

    // The "Acknowledge alarm" button (cmdAcknowledge), hidden until an alarm.
    void addTo(QStatusBar& bar);
    // Options > Targets... and Collision alarm...
    void addSettingsTo(QMenu& options);
    // Options > Acknowledge alarm and Silence alarm for 5 min.
    void addAlarmActionsTo(QMenu& options);
    // Reads the options kept by an earlier run into the receiver.
    void loadSettings();

    // A target became dangerous: the alarm sounds. A failure to write the
    // alarm log is told once per run.
    void alarm(bool logFailed, const std::string& logError);
    void acknowledge();
    void silence();
    // Times the alarm has sounded in this run.
    int sounds() const { return sounds_; }

private:
    void sound();
    void showTargetSettings();
    void showAlarmSettings();

    Receiver& receiver_;
    ui::SettingsStore* settings_;
    QWidget& window_;
    Notice notice_;
    QPushButton* cmdAcknowledge_ = nullptr;
    QTimer* timerAlarm_ = nullptr;
    int sounds_ = 0;
    bool logFailureShown_ = false;
    targets::AlarmSilence silence_;
};

}  // namespace app
