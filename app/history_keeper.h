// The desktop program's history: History.sqlite in the data folder, written
// by its own thread, fed by the receiver, retention applied hourly (30 days
// or 2 GB unless the settings say otherwise). The setting "History" = 0
// turns it off. stop() (at exit) writes what is queued and ends the thread.
#pragma once

#include <filesystem>
#include <memory>

#include "base/clock.h"
#include "base/operator_messages.h"
#include "history/history_feed.h"
#include "history/history_writer.h"

namespace ui {
class SettingsStore;
}

namespace app {

class Receiver;

class HistoryKeeper {
public:
    struct Settings {
        bool on = true;
        history::Retention retention;
    };
    // Opens the store and hooks the feed into the receiver; a store that
    // cannot be opened is one message to `notices`, and the program goes on
    // without history.
    HistoryKeeper(Receiver& receiver, const std::filesystem::path& dataDir, const Settings& settings,
                  base::MessageSink& notices);
    ~HistoryKeeper();
    void stop();
    bool running() const { return writer_ != nullptr; }

    // The settings as the settings store keeps them (History, HistoryDays,
    // HistoryMegabytes); the defaults without a store.
    static Settings Stored(const ui::SettingsStore* store);

private:
    Receiver& receiver_;
    std::unique_ptr<history::HistoryWriter> writer_;
    std::unique_ptr<history::HistoryFeed> feed_;
};

}  // namespace app
