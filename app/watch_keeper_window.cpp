#include "app/watch_keeper_window.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "station/receiver.h"
#include "windows/targets/collision_alarm_dialog.h"
#include "windows/targets/lifecycle_dialog.h"
#include "ui/settings_store.h"

namespace app {

namespace {

// Settings keys of the watch-keeping options.
constexpr const char* kLostAfterMovingKey = "TargetLostAfterMoving";
constexpr const char* kLostAfterFixedKey = "TargetLostAfterFixed";
constexpr const char* kRemoveAfterKey = "TargetRemoveAfter";
constexpr const char* kCapacityKey = "TargetCapacity";
constexpr const char* kDisplaceAfterKey = "TargetDisplaceAfter";
constexpr const char* kCPALimitKey = "AlarmCPALimit";
constexpr const char* kTCPALimitKey = "AlarmTCPALimit";
constexpr const char* kRangeLimitKey = "AlarmRangeLimit";
constexpr const char* kIgnoreMooredKey = "AlarmIgnoreMoored";
constexpr const char* kIgnoreClassBKey = "AlarmIgnoreClassB";
constexpr const char* kGuardZoneKey = "AlarmGuardZone";

}  // namespace

WatchKeeper::WatchKeeper(Receiver& receiver, ui::SettingsStore* settings, QWidget& window, Notice notice)
    : QObject(&window), receiver_(receiver), settings_(settings), window_(window), notice_(std::move(notice)) {
    timerAlarm_ = new QTimer(this);
    timerAlarm_->setObjectName("timerAlarm");
    timerAlarm_->setInterval(30000);
    connect(timerAlarm_, &QTimer::timeout, this, &WatchKeeper::sound);
}

void WatchKeeper::addTo(QStatusBar& bar) {
    cmdAcknowledge_ = new QPushButton("Acknowledge alarm", &bar);
    cmdAcknowledge_->setObjectName("cmdAcknowledge");
    cmdAcknowledge_->setStyleSheet("color: red; font-weight: bold");
    cmdAcknowledge_->hide();
    connect(cmdAcknowledge_, &QPushButton::clicked, this, &WatchKeeper::acknowledge);
    bar.addPermanentWidget(cmdAcknowledge_);
}

void WatchKeeper::addSettingsTo(QMenu& options) {
    QAction* targetSettings = options.addAction("&Targets...");
    targetSettings->setObjectName("mnuOptionsTargets");
    connect(targetSettings, &QAction::triggered, this, &WatchKeeper::showTargetSettings);
    QAction* alarmSettings = options.addAction("&Collision alarm...");
    alarmSettings->setObjectName("mnuOptionsCollisionAlarm");
    connect(alarmSettings, &QAction::triggered, this, &WatchKeeper::showAlarmSettings);
}

void WatchKeeper::addAlarmActionsTo(QMenu& options) {
    QAction* acknowledge = options.addAction("&Acknowledge alarm");
    acknowledge->setObjectName("mnuOptionsAcknowledge");
    connect(acknowledge, &QAction::triggered, this, &WatchKeeper::acknowledge);
    QAction* silence = options.addAction("&Silence alarm for 5 min");
    silence->setObjectName("mnuOptionsSilenceAlarm");
    connect(silence, &QAction::triggered, this, &WatchKeeper::silence);
}

void WatchKeeper::alarm(bool logFailed, const std::string& logError) {
    silence_.episodeStarted();
    cmdAcknowledge_->show();
    sound();
    timerAlarm_->start();
    if (logFailed && !logFailureShown_) {
        logFailureShown_ = true;
        notice_(base::MessageIcon::Exclamation, "Collision alarm",
                "Alarms can not be written to the alarm log (" + logError +
                    "). They are still shown; further log errors are not reported.");
    }
}

void WatchKeeper::sound() {
    if (targets::UnacknowledgedAlarms(receiver_.targets()) == 0) {
        timerAlarm_->stop();
        cmdAcknowledge_->hide();
        return;
    }
    if (silence_.silenced(receiver_.clock().monotonicSeconds())) return;
    ++sounds_;
    QApplication::beep();
}

void WatchKeeper::silence() { silence_.silence(receiver_.clock().monotonicSeconds()); }

void WatchKeeper::acknowledge() {
    targets::AcknowledgeAlarms(receiver_.targets());
    timerAlarm_->stop();
    cmdAcknowledge_->hide();
}

void ApplyStoredWatchSettings(const ui::SettingsStore& settings, Receiver& receiver) {
    targets::LifecycleSettings l;
    l.lostAfterMoving = static_cast<int>(settings.readNumber(kLostAfterMovingKey, l.lostAfterMoving));
    l.lostAfterFixed = static_cast<int>(settings.readNumber(kLostAfterFixedKey, l.lostAfterFixed));
    l.removeAfter = static_cast<int>(settings.readNumber(kRemoveAfterKey, l.removeAfter));
    l.capacity = static_cast<int>(settings.readNumber(kCapacityKey, l.capacity));
    l.displaceAfter = static_cast<int>(settings.readNumber(kDisplaceAfterKey, l.displaceAfter));
    receiver.targets().setLifecycle(l);
    targets::AlarmSettings a;
    a.cpaLimit = settings.readNumber(kCPALimitKey, a.cpaLimit);
    a.tcpaLimit = settings.readNumber(kTCPALimitKey, a.tcpaLimit);
    a.rangeLimit = settings.readNumber(kRangeLimitKey, a.rangeLimit);
    a.ignoreMoored = settings.readNumber(kIgnoreMooredKey, a.ignoreMoored ? 1 : 0) != 0;
    a.ignoreClassB = settings.readNumber(kIgnoreClassBKey, a.ignoreClassB ? 1 : 0) != 0;
    a.guardZone = std::max(0.0, settings.readNumber(kGuardZoneKey, a.guardZone));
    receiver.setAlarmSettings(a);
}

void WatchKeeper::loadSettings() {
    if (settings_) ApplyStoredWatchSettings(*settings_, receiver_);
}

void WatchKeeper::showTargetSettings() {
    targets::FrmTargetSettings dialog(receiver_.targets().lifecycle(), &window_);
    if (dialog.exec() != QDialog::Accepted) return;
    receiver_.targets().setLifecycle(dialog.settings());
    const targets::LifecycleSettings& l = receiver_.targets().lifecycle();
    if (settings_) {
        settings_->writeNumber(kLostAfterMovingKey, l.lostAfterMoving);
        settings_->writeNumber(kLostAfterFixedKey, l.lostAfterFixed);
        settings_->writeNumber(kRemoveAfterKey, l.removeAfter);
        settings_->writeNumber(kCapacityKey, l.capacity);
        settings_->writeNumber(kDisplaceAfterKey, l.displaceAfter);
    }
}

void WatchKeeper::showAlarmSettings() {
    targets::FrmCollisionAlarm dialog(receiver_.alarmSettings(), &window_);
    if (dialog.exec() != QDialog::Accepted) return;
    const targets::AlarmSettings a = dialog.settings();
    receiver_.setAlarmSettings(a);
    if (!settings_) return;
    settings_->writeNumber(kCPALimitKey, a.cpaLimit);
    settings_->writeNumber(kTCPALimitKey, a.tcpaLimit);
    settings_->writeNumber(kRangeLimitKey, a.rangeLimit);
    settings_->writeNumber(kIgnoreMooredKey, a.ignoreMoored ? 1 : 0);
    settings_->writeNumber(kIgnoreClassBKey, a.ignoreClassB ? 1 : 0);
    settings_->writeNumber(kGuardZoneKey, a.guardZone);
}

}  // namespace app
