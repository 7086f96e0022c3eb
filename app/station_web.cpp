#include "app/station_web.h"

#include <QDateTime>
#include <QMetaObject>

#include <chrono>
#include <future>

#include "base/json_writer.h"
#include "station/receiver.h"
#include "ui/access_token.h"
#include "ui/settings_store.h"
#include "web/coast_geojson.h"
#include "web/gzip.h"
#include "web/snapshot.h"

namespace app {

namespace {

constexpr const char* kEnabledKey = "WebViewEnabled";
constexpr const char* kAddressKey = "WebViewAddress";
constexpr const char* kPortKey = "WebViewPort";
constexpr const char* kTokenKey = "WebViewToken";


}  // namespace

WebSettings LoadWebSettings(ui::SettingsStore& store, bool* madeToken) {
    WebSettings s;
    const QStringList address = store.readTextList(kAddressKey);
    if (!address.isEmpty()) s.address = QHostAddress(address.front());
    if (s.address.isNull()) s.address = QHostAddress::LocalHost;
    const double port = store.readNumber(kPortKey, s.port);
    if (port >= 1 && port <= 65535) s.port = static_cast<quint16>(port);
    const QStringList token = store.readTextList(kTokenKey);
    if (!token.isEmpty()) s.token = token.front().toStdString();
    // A token too short to resist guessing is replaced.
    if (s.token.size() < 32) {
        s.token = ui::NewAccessToken();
        store.writeTextList(kTokenKey, {QString::fromStdString(s.token)});
        store.keepPrivate();
        if (madeToken) *madeToken = true;
    }
    return s;
}

bool WebViewEnabled(const ui::SettingsStore& store) { return store.readNumber(kEnabledKey, 0) != 0; }

void StoreWebSettings(ui::SettingsStore& store, bool enabled, const WebSettings& settings) {
    store.writeNumber(kEnabledKey, enabled ? 1 : 0);
    store.writeTextList(kAddressKey, {settings.address.toString()});
    store.writeNumber(kPortKey, settings.port);
    store.writeTextList(kTokenKey, {QString::fromStdString(settings.token)});
    store.keepPrivate();
}

bool ParseListenAddress(const QString& text, QHostAddress& address, quint16& port) {
    const int colon = text.lastIndexOf(':');
    if (colon <= 0) return false;
    QString host = text.left(colon);
    if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint p = text.mid(colon + 1).toUInt(&ok);
    if (!ok || p > 65535) return false;  // 0: any free port
    QHostAddress a;
    if (!a.setAddress(host)) return false;
    address = a;
    port = static_cast<quint16>(p);
    return true;
}

StationWeb::StationWeb(Receiver& receiver, QObject* parent) : QObject(parent), receiver_(receiver) {}

StationWeb::~StationWeb() { stop(); }

std::string StationWeb::awaitText(const std::function<void(Done)>& start, std::chrono::seconds limit) {
    if (stopping_) return {};
    auto promise = std::make_shared<std::promise<std::string>>();
    std::future<std::string> result = promise->get_future();
    start([promise](std::string text) { promise->set_value(std::move(text)); });
    // The receive thread may be busy or stopping; the client then gets 503
    // instead of holding the server.
    if (result.wait_for(limit) != std::future_status::ready) return {};
    return result.get();
}

std::string StationWeb::onReceiveThread(std::function<std::string()> make) {
    return awaitText(
        [this, &make](Done done) {
            QMetaObject::invokeMethod(
                this, [make = std::move(make), done = std::move(done)] { done(make()); }, Qt::QueuedConnection);
        },
        std::chrono::seconds(2));
}

namespace {
// Targets a slice of a list view writes: a few milliseconds of the full form.
constexpr size_t kListSlice = 256;
}  // namespace

void StationWeb::startList(web::View view, Done done) {
    QMetaObject::invokeMethod(
        this,
        [this, view, done = std::move(done)]() mutable {
            stepList(std::make_shared<web::ListBuild>(receiver_, view), std::move(done));
        },
        Qt::QueuedConnection);
}

void StationWeb::stepList(std::shared_ptr<web::ListBuild> build, Done done) {
    if (stopping_) {
        done({});
    } else if (build->step(kListSlice)) {
        done(build->take());
    } else {
        // Behind whatever arrived meanwhile: the next slice is a new event.
        QMetaObject::invokeMethod(
            this, [this, build = std::move(build), done = std::move(done)]() mutable { stepList(build, std::move(done)); },
            Qt::QueuedConnection);
    }
}

bool StationWeb::start(const WebSettings& settings, std::string& error, const std::string& leafletDir) {
    stop();
    const bool loopback = settings.address.isLoopback();
    if (!loopback && settings.token.empty()) {
        error = "the web view listens on " + settings.address.toString().toStdString() +
                " only with an access token";
        return false;
    }
    web::Api::Sources sources;
    sources.view = [this](web::View v) {
        if (web::ListBuild::IsList(v)) {
            return awaitText([this, v](Done done) { startList(v, std::move(done)); }, std::chrono::seconds(4));
        }
        std::string text = onReceiveThread(
            [this, v] { return web::BuildView(receiver_, v, QDateTime::currentMSecsSinceEpoch(), &coverage_); });
        return text;
    };
    sources.targetDetail = [this](int32_t mmsi) {
        return onReceiveThread([this, mmsi] { return web::TargetDetailJson(receiver_, mmsi, &coverage_); });
    };
    // Read on the HTTP thread only: the receive thread never waits for a shoreline file.
    auto coast = std::make_shared<web::CoastGeoJson>();
    sources.coast = [coast](double w, double s, double e, double n, int z) { return coast->view(w, s, e, n, z); };
    if (!historyLocation_.empty()) {
        history_ = std::make_unique<web::HistoryApi>(historyLocation_);
        web::HistoryApi* history = history_.get();
        sources.history = [history](const web::Request& r) { return history->handle(r); };
    }
    // A large list is made in the background while clients get the last one;
    // it is compressed off the receive thread, once for every client.
    sources.refresh = [this](web::View v, std::function<void(std::string, std::string)> done) {
        if (!web::ListBuild::IsList(v) || stopping_) {
            done({}, {});
            return;
        }
        startList(v, [this, done = std::move(done)](std::string text) {
            if (text.empty()) {
                done({}, {});
                return;
            }
            compressing_.start([done, text = std::move(text)]() mutable {
                std::string gzip = web::Gzip(text);
                done(std::move(text), std::move(gzip));
            });
        });
    };
    api_ = std::make_unique<web::Api>(web::PageFiles(leafletDir), std::move(sources));
    server_ = new web::HttpServer();
    server_->setAccessToken(loopback ? std::string() : settings.token);
    web::Api* api = api_.get();
    server_->setHandler([api](const web::Request& r) { return api->handle(r); });
    server_->moveToThread(&thread_);
    stopping_ = false;
    receiver_.setCoverage(&coverage_);
    thread_.start();
    QString message;
    bool listening = false;
    QMetaObject::invokeMethod(
        server_, [&] { listening = server_->listen(settings.address, settings.port, &message); port_ = server_->port(); },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        error = "cannot listen on " + settings.address.toString().toStdString() + ":" + std::to_string(settings.port) +
                ": " + message.toStdString();
        stop();
        return false;
    }
    return true;
}

void StationWeb::stop() {
    if (!server_) return;
    stopping_ = true;
    receiver_.setCoverage(nullptr);
    web::HttpServer* server = server_;
    // A request waiting on this thread gives up within two seconds, so this
    // wait ends.
    QMetaObject::invokeMethod(server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    server_ = nullptr;
    thread_.quit();
    thread_.wait();
    compressing_.waitForDone();  // a compression under way hands its text to the Api
    api_.reset();
    history_.reset();
    port_ = 0;
}

void StationWeb::targetChanged(int entry) {
    if (!server_ || entry <= 0) return;
    if (changed_.size() <= static_cast<size_t>(entry)) changed_.resize(static_cast<size_t>(entry) + 1, 0);
    if (!changed_[static_cast<size_t>(entry)]) {
        changed_[static_cast<size_t>(entry)] = 1;
        changedList_.push_back(entry);
    }
}

void StationWeb::notice(const std::string& text) {
    if (!server_ || !server_->hasStreams()) return;
    base::OutputBuffer out;
    base::JsonWriter j(out);
    j.beginObject();
    j.field("text", text);
    j.endObject();
    server_->broadcast("notice", std::string(out.view()));
}

void StationWeb::tick() {
    if (!server_) return;
    std::vector<int> entries;
    entries.swap(changedList_);
    for (int n : entries) changed_[static_cast<size_t>(n)] = 0;
    if (!server_->hasStreams()) return;
    // Each target at most once a second: the entries changed since the last tick.
    if (!entries.empty()) server_->broadcast("targets", web::ChangedTargetsJson(receiver_, entries));
    std::string alarms = web::BuildView(receiver_, web::View::Alarms, QDateTime::currentMSecsSinceEpoch());
    if (alarms != lastAlarms_) {
        server_->broadcast("alarms", alarms);
        lastAlarms_ = std::move(alarms);
    }
}

}  // namespace app
