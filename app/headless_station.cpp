#include "app/headless_station.h"

#include <QTimer>

#include <cstdio>

#include "ais/code_tables.h"
#include "app/history_settings.h"
#include "app/watch_keeper_window.h"
#include "station/data_folder.h"
#include "station/transports/station_transport.h"
#include "targets/ship_database.h"
#include "ui/settings_store.h"

namespace app {
namespace {

}  // namespace

HeadlessStation::HeadlessStation(std::filesystem::path dataDir, const base::Clock& clock, QObject* parent)
    : QObject(parent), dataDir_(std::move(dataDir)), clock_(clock) {
    receiver_ = std::make_unique<Receiver>(clock_, static_cast<ReceiverEvents&>(*this));
    io_ = new StationTransport(*receiver_, this);
    connection_ = &io_->attachMain(comm_, *this, static_cast<base::MessageSink&>(*this));
    ageing_ = new QTimer(this);
    ageing_->setInterval(15000);
    connect(ageing_, &QTimer::timeout, this, [this] { receiver_->ageTargets(); });
    second_ = new QTimer(this);
    second_->setInterval(1000);
    connect(second_, &QTimer::timeout, this, [this] {
        receiver_->refineApproaches();
        if (web_) web_->tick();
    });
    connectionTest_ = new QTimer(this);
    connect(connectionTest_, &QTimer::timeout, this, [this] { connection_->ConnectionTestTick(); });
}

HeadlessStation::~HeadlessStation() { shutdown(); }

void HeadlessStation::log(const std::string& text) {
    std::fprintf(stderr, "orvanta-station: %s\n", text.c_str());
    std::fflush(stderr);
}

void HeadlessStation::applySetup(bool first, const ui::SettingsStore& settings) {
    const std::filesystem::path setupPath = dataDir_ / kSetupFileName;
    std::error_code ec;
    const bool present = std::filesystem::exists(setupPath, ec);
    input::CommSettings comm;
    input::ReceiveSettings receive;
    input::StationSettings station;
    if (present) {
        input::LoadSetup(setupPath.string(), comm, receive, receiver_->reference(),
                         static_cast<base::MessageSink&>(*this), &station);
    } else if (first) {
        log("no setup file " + setupPath.string() +
            ": no input is opened (set the station up with the desktop program and use its data folder)");
    }
    receiver_->setInputTests(receive.Tests);
    receiver_->setBinaryStandard(receive.BinaryMsgStandard);
    ApplyStoredWatchSettings(settings, *receiver_);
    if (present && (first || comm != comm_)) {
        comm_ = comm;
        receiver_->setInputKind(Receiver::kMainInput, comm_.UseTCP ? input::InputKind::Tcp : input::InputKind::Serial);
        connection_->OpenInput();
    }
    for (const std::string& problem : io_->apply(station)) log(problem);
    // In a network of stations this one's forwarded feed carries its name.
    const QStringList name = settings.readTextList("StationName");
    io_->setStationName(name.isEmpty() ? std::string() : name.front().toStdString());
}

bool HeadlessStation::start(const std::optional<WebSettings>& web, std::string& error) {
    ais::InitCodeTables();
    receiver_->shipDatabase().LoadShipData(dataDir_);
    receiver_->keepShipData(dataDir_);
    receiver_->flagIndex().setDataDir(dataDir_);
    receiver_->setMessageLog(dataDir_);
    // One reading of the settings store for everything the start needs.
    const auto store = ui::SettingsStore::ForRun(QString::fromStdString(dataDir_.string()));
    applySetup(true, *store);
    history_ = std::make_unique<HistoryKeeper>(*receiver_, dataDir_, KeeperSettings(LoadHistorySettings(store.get())),
                                               static_cast<base::MessageSink&>(*this));
    ageing_->start();
    second_->start();
    bool madeToken = false;
    WebSettings chosen = LoadWebSettings(*store, &madeToken);
    if (web) {
        chosen.address = web->address;
        chosen.port = web->port;
    }
    if (madeToken) log("a new access token for the web view was stored in the data folder's Orvanta.conf");
    web_ = std::make_unique<StationWeb>(*receiver_);
    if (history_->running()) web_->setHistoryLocation(history_->report().location);
    if (!web_->start(chosen, error)) {
        web_.reset();
        return false;
    }
    log("web view on http://" +
        (chosen.address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + chosen.address.toString().toStdString() + "]"
                                                                    : chosen.address.toString().toStdString()) +
        ":" + std::to_string(web_->port()) + "/" + (chosen.address.isLoopback() ? "" : " (access token needed)"));
    return true;
}

void HeadlessStation::reload() {
    log("reading the setup again");
    // A new store object reads the file again.
    applySetup(false, *ui::SettingsStore::ForRun(QString::fromStdString(dataDir_.string())));
}

void HeadlessStation::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (web_) web_->stop();
    io_->closeMain();
    if (history_) history_->stop();  // what is queued is written
    base::StandardErrorSink failures("orvanta-station");
    targets::StoreShipData(dataDir_, receiver_->shipDataToStore(), failures);
}

void HeadlessStation::operatorMessage(base::MessageIcon, const std::string& title, const std::string& text) {
    log(title.empty() ? text : title + ": " + text);
}

void HeadlessStation::targetChangedByMessage(int entry) {
    if (web_) web_->targetChanged(entry);
}

void HeadlessStation::collisionAlarm(int entry, bool logFailed, const std::string& logError) {
    const auto& t = receiver_->targets().entry(entry);
    log("collision alarm: MMSI " + std::to_string(t.MMSI) + (logFailed ? " (alarm log: " + logError + ")" : ""));
}

void HeadlessStation::aisMessageToShow(const MessageToShow& message) {
    if (message.logFailed) log("message log: " + message.logError);
    if (web_) web_->notice(message.notice.lblName + ": " + message.notice.txtMessage);
}

void HeadlessStation::setConnectionText(const std::string& text) {
    if (text == connectionText_) return;
    connectionText_ = text;
    log("main input: " + text);
}

void HeadlessStation::setConnectionTestInterval(int ms) {
    if (ms > 0) {
        connectionTest_->start(ms);
    } else {
        connectionTest_->stop();
    }
}

void HeadlessStation::inputRestarted(input::InputKind) { receiver_->inputRestarted(Receiver::kMainInput); }

}  // namespace app
