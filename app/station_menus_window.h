// StationMenus: the main window's side of the station's inputs and outputs,
// as a part of its own. It owns the StationTransport (further inputs,
// forwarding, recording, play back) and builds and runs File > Record,
// File > Play back, Setup > Inputs, the port monitor's choice of input and
// the signs of life of a recording and a play back (a status bar text and
// the play back bar).
//
//   auto* menus = new app::StationMenus(window, receiver, messages, settings, notice, portMonitor);
//   menus->buildFileMenu(fileMenu);        // Record..., Play back
//   menus->addInputsAction(setupMenu);     // Setup > Inputs...
//   menus->buildActivityBar();             // status bar text and play back bar
//   menus->applySettings(stored);          // opens the stored inputs and outputs
//
// Failures to open are told through `messages` (the operator asked); a
// recording that stops by itself through `notice`.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "station/setup_file.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

namespace base {
class MessageSink;
}
namespace input {
class FrmPortMonitor;
}
namespace ui {
class SettingsStore;
}

namespace app {

class PlaybackBar;
class Receiver;
class StationTransport;

class StationMenus : public QObject {
    Q_OBJECT
public:
    using Notice = std::function<void(const std::string& text)>;
    using PortMonitor = std::function<input::FrmPortMonitor*()>;

    StationMenus(QMainWindow& window, Receiver& receiver, base::MessageSink& messages, ui::SettingsStore* settings,
                 Notice notice, PortMonitor portMonitor);
    ~StationMenus() override;

    void buildFileMenu(QMenu* file);
    void addInputsAction(QMenu* setup);
    void buildActivityBar();

    // The further inputs and outputs as stored in the setup file; applying
    // them reopens those inputs and outputs at once.
    const input::StationSettings& settings() const { return settings_; }
    // Where the setup file is read into before the first applySettings.
    input::StationSettings& storedSettings() { return settings_; }
    void applySettings(const input::StationSettings& settings);
    StationTransport& station() { return *station_; }

    // File > Record: starts recording into path (every sentence of every
    // input), or stops; false when the file could not be made (told).
    bool startRecording(const QString& path);
    void stopRecording();
    // File > Play back: the file as an input at speed (0: as fast as possible).
    bool startPlayback(const QString& path, double speed);

    // The port monitor's list of inputs and its counters follow the inputs.
    void updatePortMonitorInputs();
    // The status bar text and the play back bar (once a second and on a change).
    void updateActivity();
    PlaybackBar* playbackBar() const { return playbackBar_; }

private:
    void showInputsSetup();
    void recordClicked(bool checked);
    void playbackClicked();
    double stored(const char* key, double def) const;
    void store(const char* key, double value);

    QMainWindow& window_;
    Receiver& receiver_;
    base::MessageSink& messages_;
    ui::SettingsStore* settingsStore_;
    Notice notice_;
    PortMonitor portMonitor_;
    StationTransport* station_;
    input::StationSettings settings_;
    QAction* record_ = nullptr;
    QAction* recordTimes_ = nullptr;
    QAction* recordSync_ = nullptr;
    QAction* playbackPause_ = nullptr;
    PlaybackBar* playbackBar_ = nullptr;
    QLabel* activity_ = nullptr;
    double playbackSpeed_ = 1;
    double playbackMaxGap_ = 600;  // seconds; longer jumps of a played-back file's times are skipped
};

}  // namespace app
