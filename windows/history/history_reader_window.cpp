#include "windows/history/history_reader_window.h"

#include <QMetaObject>
#include <algorithm>
#include <filesystem>

namespace history {

TrackAnswer ReadTrack(HistoryStore& store, int32_t mmsi, TimeMs from, TimeMs to, const Cancelled& cancelled,
                      size_t cap, TimeMs slice) {
    TrackAnswer a;
    if (to < from || cap == 0) return a;
    slice = std::max<TimeMs>(slice, 1);
    // Slices newest first: when the cap cuts, the latest reports are kept.
    std::vector<std::vector<PositionRow>> slices;
    size_t total = 0;
    for (TimeMs end = to;;) {
        if (cancelled && cancelled()) {
            a.cancelled = true;
            return a;
        }
        const TimeMs start = end - from < slice ? from : end - slice + 1;
        const std::string before = store.lastError();
        std::vector<PositionRow> rows = store.track(mmsi, start, end);
        if (rows.empty() && store.lastError() != before) {
            a.error = store.lastError();
            return a;
        }
        total += rows.size();
        if (total > cap) {
            rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(total - cap));
            a.cut = true;
        }
        slices.push_back(std::move(rows));
        if (a.cut || start == from) break;
        end = start - 1;
    }
    a.rows.reserve(std::min(total, cap));
    for (auto s = slices.rbegin(); s != slices.rend(); ++s) {
        a.rows.insert(a.rows.end(), std::make_move_iterator(s->begin()), std::make_move_iterator(s->end()));
    }
    return a;
}

HistoryReader::HistoryReader(QObject* parent) : QObject(parent) { thread_ = std::thread([this] { run(); }); }

HistoryReader::~HistoryReader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (Request& r : queue_) r.cancelled->store(true);
        queue_.clear();
        if (running_) running_->store(true);
    }
    wake_.notify_one();
    thread_.join();
}

void HistoryReader::ask(const std::string& key, const std::string& location, Work work) {
    auto flag = std::make_shared<std::atomic<bool>>(false);
    {
        std::lock_guard lock(mutex_);
        const auto before = queue_.size();
        std::erase_if(queue_, [&](const Request& r) {
            if (r.key != key) return false;
            r.cancelled->store(true);
            return true;
        });
        unanswered_ -= static_cast<int>(before - queue_.size());
        if (running_ && runningKey_ == key) running_->store(true);
        queue_.push_back({key, location, std::move(work), flag});
        ++unanswered_;
    }
    wake_.notify_one();
}

int HistoryReader::waiting() const {
    std::lock_guard lock(mutex_);
    return unanswered_;
}

HistoryStore* HistoryReader::storeFor(const std::string& location, std::string& error) {
    if (store_ && location == openLocation_) return store_.get();
    store_.reset();
    openLocation_.clear();
    if (location.empty()) {
        error = "history is not kept in this run.";
        return nullptr;
    }
    const bool server = location.starts_with("postgresql://") || location.starts_with("postgres://");
    std::error_code ec;
    if (!server && !std::filesystem::exists(location, ec)) {
        error = "nothing stored yet (" + std::filesystem::path(location).filename().string() + " not found).";
        return nullptr;
    }
    OpenResult opened = OpenHistoryStore(location);
    if (!opened.store) {
        error = opened.error;
        return nullptr;
    }
    store_ = std::move(opened.store);
    openLocation_ = location;
    return store_.get();
}

void HistoryReader::run() {
    for (;;) {
        Request r;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            r = std::move(queue_.front());
            queue_.pop_front();
            running_ = r.cancelled;
            runningKey_ = r.key;
        }
        std::function<void()> deliver;
        if (!r.cancelled->load()) {
            std::string error;
            HistoryStore* store = storeFor(r.location, error);
            const auto flag = r.cancelled;
            deliver = r.work(store, error, [flag] { return flag->load(); });
        }
        {
            std::lock_guard lock(mutex_);
            running_.reset();
            runningKey_.clear();
        }
        // The answer goes to the window thread; one superseded meanwhile is dropped there.
        QMetaObject::invokeMethod(
            this,
            [this, flag = r.cancelled, deliver = std::move(deliver)] {
                {
                    std::lock_guard lock(mutex_);
                    --unanswered_;
                }
                if (!flag->load() && deliver) deliver();
            },
            Qt::QueuedConnection);
    }
}

}  // namespace history
