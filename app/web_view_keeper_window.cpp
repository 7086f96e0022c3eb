#include "app/web_view_keeper_window.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "app/station_web.h"
#include "ui/settings_store.h"
#include "windows/station/web_view_dialog.h"

namespace app {

WebViewKeeper::WebViewKeeper(Receiver& receiver, ui::SettingsStore* settings, QWidget& window, Notice notice)
    : QObject(&window), receiver_(receiver), settings_(settings), window_(window), notice_(std::move(notice)) {}

WebViewKeeper::~WebViewKeeper() { stop(); }

void WebViewKeeper::addTo(QMenu& options) {
    QAction* web = options.addAction("&Web view...");
    web->setObjectName("mnuOptionsWebView");
    connect(web, &QAction::triggered, this, &WebViewKeeper::showSettings);
}

void WebViewKeeper::start() {
    stop();
    if (!settings_ || !WebViewEnabled(*settings_)) return;
    const WebSettings s = LoadWebSettings(*settings_);
    web_ = std::make_unique<StationWeb>(receiver_);
    if (historyLocation_) web_->setHistoryLocation(historyLocation_());
    std::string error;
    if (!web_->start(s, error)) {
        web_.reset();
        notice_(base::MessageIcon::Exclamation, "Web view", "The web view could not start: " + error);
    }
}

void WebViewKeeper::stop() { web_.reset(); }

bool WebViewKeeper::serving() const { return web_ != nullptr; }

quint16 WebViewKeeper::port() const { return web_ ? web_->port() : 0; }

void WebViewKeeper::targetChanged(int entry) {
    if (web_) web_->targetChanged(entry);
}

void WebViewKeeper::tick() {
    if (web_) web_->tick();
}

void WebViewKeeper::showSettings() {
    input::WebViewChoice current;
    if (settings_) {
        const WebSettings s = LoadWebSettings(*settings_);
        current = {WebViewEnabled(*settings_), s.address.toString(), s.port, QString::fromStdString(s.token)};
    }
    auto* dialog = new input::FrmWebView(current, &window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const input::WebViewChoice c = dialog->choice();
        WebSettings s;
        s.address = QHostAddress(c.address);
        s.port = static_cast<quint16>(c.port);
        s.token = c.token.toStdString();
        if (settings_) StoreWebSettings(*settings_, c.enabled, s);
        start();
    });
    dialog->open();
}

}  // namespace app
