// The receive pipeline without a screen: what `orvanta-station` runs. It
// reads a data folder as the desktop program leaves it (the setup file's main
// and further inputs and outputs, the ship database, the watch settings of
// the settings store), opens the inputs, ages the targets, refines the
// approaches, logs what the desktop would show in boxes to standard error
// (journald keeps it), keeps the history (History.sqlite in the data folder,
// as the desktop does) and serves the web view. reload() reads the setup file
// and the settings again (SIGHUP); shutdown() stores the ship database.
//
//   app::HeadlessStation station(dataDir, clock);
//   station.start(webOverride, error);
//   app.exec();  ...  station.shutdown();
#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/history_keeper.h"
#include "app/station_web.h"
#include "base/clock.h"
#include "station/connection.h"
#include "station/receiver.h"
#include "station/receiver_events.h"
#include "station/setup_file.h"

class QTimer;

namespace ui {
class SettingsStore;
}

namespace app {

class StationTransport;

class HeadlessStation : public QObject, private ReceiverEvents, private input::ConnectionView {
    Q_OBJECT
public:
    HeadlessStation(std::filesystem::path dataDir, const base::Clock& clock, QObject* parent = nullptr);
    ~HeadlessStation() override;

    // Reads the data folder and opens the inputs, outputs and the web view
    // (web: the --http option, overriding the setting). False when the web
    // view cannot listen; inputs that cannot open yet are retried.
    bool start(const std::optional<WebSettings>& web, std::string& error);
    // Reads the setup file and the settings again and applies them.
    void reload();
    // Stores what the run learnt (the ship database) and closes everything.
    void shutdown();

    Receiver& receiver() { return *receiver_; }
    quint16 webPort() const { return web_ ? web_->port() : 0; }

private:
    void log(const std::string& text);
    void applySetup(bool first, const ui::SettingsStore& settings);
    // ReceiverEvents
    void operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) override;
    void targetChangedByMessage(int entry) override;
    void collisionAlarm(int entry, bool logFailed, const std::string& logError) override;
    void aisMessageToShow(const MessageToShow& message) override;
    // ConnectionView
    void setConnectionText(const std::string& text) override;
    void setConnectVisible(bool) override {}
    void setConnectionTestInterval(int ms) override;
    void inputRestarted(input::InputKind kind) override;

    std::filesystem::path dataDir_;
    const base::Clock& clock_;
    std::unique_ptr<Receiver> receiver_;
    StationTransport* io_ = nullptr;
    input::ConnectionManager* connection_ = nullptr;
    input::CommSettings comm_;
    std::unique_ptr<StationWeb> web_;
    std::unique_ptr<HistoryKeeper> history_;
    QTimer* ageing_ = nullptr;
    QTimer* second_ = nullptr;
    QTimer* connectionTest_ = nullptr;
    std::string connectionText_;
    bool shutDown_ = false;
};

}  // namespace app
