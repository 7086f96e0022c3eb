#include "station/ship_data_keeper.h"

#include <iterator>

namespace app {

ShipDataKeeper::ShipDataKeeper(std::filesystem::path dataDir)
    : dataDir_(std::move(dataDir)), thread_([this] { run(); }) {}

ShipDataKeeper::~ShipDataKeeper() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ShipDataKeeper::save(std::vector<targets::ShipDataItem> items) {
    if (items.empty()) return;
    {
        const std::lock_guard lock(mutex_);
        pending_.insert(pending_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    }
    wake_.notify_one();
}

std::optional<std::string> ShipDataKeeper::takeFailure() {
    const std::lock_guard lock(mutex_);
    return std::exchange(failure_, std::nullopt);
}

void ShipDataKeeper::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_ && pending_.empty(); });
}

std::vector<targets::ShipDataItem> ShipDataKeeper::finish() {
    flush();
    const std::lock_guard lock(mutex_);
    return std::exchange(failed_, {});
}

int ShipDataKeeper::saves() const {
    const std::lock_guard lock(mutex_);
    return saves_;
}

void ShipDataKeeper::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !pending_.empty(); });
        if (pending_.empty()) break;  // stopping, and everything handed was tried
        // Items that failed before go first: they were handed earlier.
        std::vector<targets::ShipDataItem> items = std::exchange(failed_, {});
        items.insert(items.end(), std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
        pending_.clear();
        busy_ = true;
        lock.unlock();
        const targets::ShipDataSaveResult r = targets::SaveShipData(dataDir_, items);
        lock.lock();
        busy_ = false;
        if (r.ok) {
            ++saves_;
        } else {
            // One message for a run of failed saves: the first.
            if (lastOk_) failure_ = r.error;
            failed_ = std::move(items);
        }
        lastOk_ = r.ok;
        idle_.notify_all();
    }
    idle_.notify_all();
}

}  // namespace app
