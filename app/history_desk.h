// HistoryDesk: the desktop's history and its Options > History entry. It
// owns the HistoryKeeper, reads and writes the settings, opens the dialog
// without waiting for it (open(), never exec()), refreshes the writer's
// counters in it every second, and on OK restarts the writer on the store
// the settings now name.
//
//   auto desk = std::make_unique<app::HistoryDesk>(receiver, settings, notices, window);
//   desk->addTo(*optionsMenu);
//   desk->start(dataDir);   // once the data folder is known
//   desk->stop();           // at exit: what is queued is written
#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <memory>

#include "app/history_keeper.h"
#include "app/history_settings.h"

class QMenu;
class QTimer;
class QWidget;

namespace ui {
class SettingsStore;
}

namespace app {

class FrmHistoryOptions;

// The counters of a report as the dialog shows them.
QString ReportText(const HistoryKeeper::Report& report);

class HistoryDesk : public QObject {
    Q_OBJECT
public:
    HistoryDesk(Receiver& receiver, ui::SettingsStore* settings, base::MessageSink& notices, QWidget& window);
    ~HistoryDesk() override;

    void addTo(QMenu& menu);
    void start(const std::filesystem::path& dataDir);
    void stop();
    void showOptions();
    // Stores the settings and restarts the writer on them.
    void apply(const HistorySettings& settings);
    const HistoryKeeper* keeper() const { return keeper_.get(); }
    const HistorySettings& current() const { return current_; }
    // Where a reader finds the history: the server's URL, or History.sqlite
    // in the data folder (whether writing is on or not); empty before start().
    std::string readLocation() const;

signals:
    // The writer was started again, on the store the settings now name.
    void restarted();

private:
    void restart();

    Receiver& receiver_;
    ui::SettingsStore* settings_;
    base::MessageSink& notices_;
    QWidget& window_;
    HistorySettings current_;
    std::filesystem::path dataDir_;
    bool started_ = false;
    std::unique_ptr<HistoryKeeper> keeper_;
    QPointer<FrmHistoryOptions> dialog_;
    QTimer* refresh_ = nullptr;
};

}  // namespace app
