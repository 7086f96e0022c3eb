// Writes the ship database while the program runs, on a thread of its own:
// the vessels the target table retired (freed a day ago and not back) are
// merged into "Shipdata.dat" (targets::SaveShipData keeps every line already
// there) and leave memory, so weeks of new vessels neither fill the memory
// nor wait for the end of the run to be stored.
//
//   ShipDataKeeper keeper(dataDir);
//   keeper.save(items);                 // returns at once
//   if (auto f = keeper.takeFailure()) ...tell the operator...
//   auto unsaved = keeper.finish();     // at the end, before the final save
//
// Items handed while a save is under way are written together by the next
// one. Items a save could not write (disk full, a folder turned read-only)
// are written with the next save, or returned by finish(): none is lost.
#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "targets/ship_database.h"

namespace app {

class ShipDataKeeper {
public:
    explicit ShipDataKeeper(std::filesystem::path dataDir);
    // Writes what was handed, then ends.
    ~ShipDataKeeper();
    ShipDataKeeper(const ShipDataKeeper&) = delete;
    ShipDataKeeper& operator=(const ShipDataKeeper&) = delete;

    void save(std::vector<targets::ShipDataItem> items);
    // Why a save failed, once for a run of failed saves; nothing when no
    // failure is new.
    std::optional<std::string> takeFailure();
    // Waits until everything handed was tried.
    void flush();
    // flush(), then the items no save could write (they are the caller's now).
    std::vector<targets::ShipDataItem> finish();
    // Saves that wrote the file.
    int saves() const;

private:
    void run();

    const std::filesystem::path dataDir_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::vector<targets::ShipDataItem> pending_;  // handed, not yet tried
    std::vector<targets::ShipDataItem> failed_;   // tried and not written: go with the next save
    std::optional<std::string> failure_;
    bool busy_ = false, stop_ = false, lastOk_ = true;
    int saves_ = 0;
    std::thread thread_;
};

}  // namespace app
