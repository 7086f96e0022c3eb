// The desktop program's history: History.sqlite in the data folder (or a
// PostgreSQL server, with a spool file in the data folder for the batches
// it cannot take yet), written by its own thread, fed by the receiver,
// retention applied hourly. stop() (at exit, or before the store changes)
// writes what is queued and ends the thread.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/clock.h"
#include "base/operator_messages.h"
#include "history/history_feed.h"
#include "history/history_writer.h"
#include "history/pg/spooled_store.h"

namespace ui {
class SettingsStore;
}

namespace app {

class Receiver;
class CountedStore;

class HistoryKeeper {
public:
    struct Settings {
        bool on = true;
        std::string location;  // a "postgresql://" URL; empty: History.sqlite in the data folder
        history::ThinningRule thinning;
        history::Retention retention;
    };
    // What the writer has done since this keeper started, for Options > History.
    struct Report {
        bool running = false;
        std::string location;
        history::WriterCounts counts;
        int64_t thinned = 0;
        std::optional<history::SpooledStore::Counters> spool;  // a server's store only
        // The store refused the last batch (a full disk, a read-only file):
        // writing waits until it takes one again.
        bool paused = false;
        std::string pausedBecause;
    };
    // Opens the store and hooks the feed into the receiver; a store that
    // cannot be opened is one message to `notices`, and the program goes on
    // without history.
    HistoryKeeper(Receiver& receiver, const std::filesystem::path& dataDir, const Settings& settings,
                  base::MessageSink& notices);
    ~HistoryKeeper();
    void stop();
    bool running() const { return writer_ != nullptr; }
    // Safe from the window thread while the writer runs.
    Report report() const;

private:
    Receiver& receiver_;
    std::string location_;
    CountedStore* counted_ = nullptr;  // owned by the writer
    std::unique_ptr<history::HistoryWriter> writer_;
    std::unique_ptr<history::HistoryFeed> feed_;
};

}  // namespace app
