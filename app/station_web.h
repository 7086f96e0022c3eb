// The web view of a receiver: the HTTP server on a thread of its own, the API
// answered from texts the receive thread makes when asked (web/snapshot.h),
// and once a second the targets that changed and the dangerous targets sent
// to every event stream. The receive thread does a bounded amount of work a
// second whatever the clients do; a client never waits on it for more than
// two seconds (then 503).
//
//   app::StationWeb web(receiver);                         // on the receive thread
//   if (!web.start(settings, error)) log(error);
//   receiverEvents.targetChangedByMessage -> web.targetChanged(entry);
//   every second: web.tick();
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "targets/coverage.h"
#include "web/api.h"
#include "web/history_api.h"
#include "web/http_server.h"

namespace ui {
class SettingsStore;
}

namespace app {

class Receiver;

struct WebSettings {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 8080;
    std::string token;  // needed on any address but loopback
};

// The web view's settings as the settings store keeps them (WebViewAddress,
// WebViewPort, WebViewToken); a token is made and stored when there is none
// (madeToken tells). Whether the desktop program serves it: WebViewEnabled.
WebSettings LoadWebSettings(ui::SettingsStore& store, bool* madeToken = nullptr);
bool WebViewEnabled(const ui::SettingsStore& store);
void StoreWebSettings(ui::SettingsStore& store, bool enabled, const WebSettings& settings);

// "ADDRESS:PORT" ("0.0.0.0:8080", "[::1]:8080", "127.0.0.1:0" for any free port); false when it is not one.
bool ParseListenAddress(const QString& text, QHostAddress& address, quint16& port);

class StationWeb : public QObject {
    Q_OBJECT
public:
    explicit StationWeb(Receiver& receiver, QObject* parent = nullptr);
    ~StationWeb() override;

    // Where the history is kept (a SQLite file or a postgresql:// URL), for
    // the API's track and past situations; empty: none (503). Takes effect
    // at the next start().
    void setHistoryLocation(std::string location) { historyLocation_ = std::move(location); }
    // Listens; on an address other than loopback only with a token.
    bool start(const WebSettings& settings, std::string& error, const std::string& leafletDir = kLeafletDir);
    void stop();
    quint16 port() const { return port_; }

    // Entry n took a message: it goes to the event streams at the next tick.
    void targetChanged(int entry);
    // A notice for the event streams (a text message received, ...).
    void notice(const std::string& text);
    // Once a second on the receive thread.
    void tick();

    static constexpr const char* kLeafletDir = "/usr/share/javascript/leaflet";

private:
    using Done = std::function<void(std::string)>;
    // Starts work that hands its text to done (on the receive thread) and
    // waits for it at most `limit`; empty when stopping or too late.
    std::string awaitText(const std::function<void(Done)>& start, std::chrono::seconds limit);
    std::string onReceiveThread(std::function<std::string()> make);
    // A list view made in slices on the receive thread, each slice its own
    // event so the intake runs between them; done gets its text (empty when stopping).
    void startList(web::View view, Done done);
    void stepList(std::shared_ptr<web::ListBuild> build, Done done);

    Receiver& receiver_;
    QThread thread_;
    web::HttpServer* server_ = nullptr;  // lives on thread_
    std::unique_ptr<web::Api> api_;
    QThreadPool compressing_;  // gzip of the large lists, off the receive and HTTP threads
    std::string historyLocation_;
    std::unique_ptr<web::HistoryApi> history_;
    quint16 port_ = 0;
    std::vector<char> changed_;  // by entry number
    std::vector<int> changedList_;
    std::string lastAlarms_;
    std::atomic<bool> stopping_{false};
    targets::Coverage coverage_;  // noted by the receiver while serving; read on the receive thread
};

}  // namespace app
