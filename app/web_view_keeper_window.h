// The desktop program's web view: Options > Web view..., the server started
// from the stored settings when enabled, the targets the messages change
// handed on, and the once-a-second events. The same StationWeb the station
// runs, so the desktop and the station serve the same page and API.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "base/operator_messages.h"

class QMenu;
class QWidget;

namespace ui {
class SettingsStore;
}

namespace app {

class Receiver;
class StationWeb;

class WebViewKeeper : public QObject {
    Q_OBJECT
public:
    using Notice = std::function<void(base::MessageIcon, const std::string& title, const std::string& text)>;
    WebViewKeeper(Receiver& receiver, ui::SettingsStore* settings, QWidget& window, Notice notice);
    ~WebViewKeeper() override;

    void addTo(QMenu& options);
    // Where the history is when the web view starts (empty: none).
    void setHistoryLocation(std::function<std::string()> location) { historyLocation_ = std::move(location); }
    // Serves when the settings say so; a failure is told as a notice.
    void start();
    void stop();
    bool serving() const;
    quint16 port() const;

    void targetChanged(int entry);
    void tick();
    // Options > Web view...: opens without blocking; applies on OK.
    void showSettings();

private:
    Receiver& receiver_;
    ui::SettingsStore* settings_;
    QWidget& window_;
    Notice notice_;
    std::function<std::string()> historyLocation_;
    std::unique_ptr<StationWeb> web_;
};

}  // namespace app
