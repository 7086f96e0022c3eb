#include "app/history_keeper.h"

#include <mutex>

#include "station/receiver.h"

namespace app {

// Passes every call to the store the writer owns, and after each append keeps
// a copy of a spooled store's counters under a lock: the spool's own
// counters belong to the writer thread, the window reads the copy.
class CountedStore final : public history::HistoryStore {
public:
    explicit CountedStore(std::unique_ptr<history::HistoryStore> inner)
        : inner_(std::move(inner)), spooled_(dynamic_cast<history::SpooledStore*>(inner_.get())) {
        keep();
    }
    history::Status append(const history::Batch& batch) override {
        history::Status s = inner_->append(batch);
        keep();
        std::lock_guard lock(mutex_);
        refused_ = s.error;
        return s;
    }
    std::vector<history::PositionRow> track(int32_t mmsi, history::TimeMs from, history::TimeMs to) override {
        return inner_->track(mmsi, from, to);
    }
    history::Status visitTrack(int32_t mmsi, history::TimeMs from, history::TimeMs to,
                               const std::function<bool(const history::PositionRow&)>& visit) override {
        return inner_->visitTrack(mmsi, from, to, visit);
    }
    void cancel() override { inner_->cancel(); }
    std::vector<history::SituationEntry> situation(history::TimeMs at, history::TimeMs window) override {
        return inner_->situation(at, window);
    }
    std::vector<history::LastSeen> lastSeen(std::string_view text, int limit) override {
        return inner_->lastSeen(text, limit);
    }
    std::vector<history::HourCount> countsPerHour(history::TimeMs from, history::TimeMs to) override {
        return inner_->countsPerHour(from, to);
    }
    std::vector<history::MessageRow> messages(history::TimeMs from, history::TimeMs to) override {
        return inner_->messages(from, to);
    }
    std::optional<std::pair<history::TimeMs, history::TimeMs>> span() override { return inner_->span(); }
    history::Status applyRetention(const history::Retention& r, history::TimeMs now) override {
        return inner_->applyRetention(r, now);
    }
    std::string lastError() const override { return inner_->lastError(); }

    std::optional<history::SpooledStore::Counters> spool() const {
        std::lock_guard lock(mutex_);
        return copy_;
    }
    // Why the last append was refused; empty when it was taken.
    std::string refused() const {
        std::lock_guard lock(mutex_);
        return refused_;
    }

private:
    void keep() {
        if (!spooled_) return;
        std::lock_guard lock(mutex_);
        copy_ = spooled_->counters();
    }
    std::unique_ptr<history::HistoryStore> inner_;
    history::SpooledStore* spooled_;
    mutable std::mutex mutex_;
    std::optional<history::SpooledStore::Counters> copy_;
    std::string refused_;
};

HistoryKeeper::HistoryKeeper(Receiver& receiver, const std::filesystem::path& dataDir, const Settings& settings,
                             base::MessageSink& notices)
    : receiver_(receiver) {
    if (!settings.on) return;
    const bool server = !settings.location.empty();
    location_ = server ? settings.location : (dataDir / "History.sqlite").string();
    const std::string spool = server ? (dataDir / "HistorySpool.sqlite").string() : std::string();
    history::OpenResult writing = history::OpenHistoryStore(location_, spool);
    if (!writing.store) {
        notices.operatorMessage(base::MessageIcon::Exclamation, "History",
                                "No history is kept in this run: " + writing.error);
        return;
    }
    if (!writing.error.empty()) notices.operatorMessage(base::MessageIcon::Exclamation, "History", writing.error);
    auto counted = std::make_unique<CountedStore>(std::move(writing.store));
    counted_ = counted.get();
    history::WriterSettings ws;
    ws.retain = true;
    ws.retention = settings.retention;
    writer_ = std::make_unique<history::HistoryWriter>(std::move(counted), ws);
    feed_ = std::make_unique<history::HistoryFeed>(*writer_, receiver.clock(), &notices);
    feed_->setRule(settings.thinning);
    // The feed starts from the static data the file already holds. Not from a
    // server: a second connection on the window thread could wait for one
    // that is away; the feed then stores each station's static data once more.
    if (!server) {
        if (history::OpenResult reading = history::OpenHistoryStore(location_); reading.store) feed_->seed(*reading.store);
    }
    receiver_.setHistory(feed_.get());
}

HistoryKeeper::~HistoryKeeper() { stop(); }

void HistoryKeeper::stop() {
    if (!writer_) return;
    receiver_.setHistory(nullptr);
    writer_->stop();
}

HistoryKeeper::Report HistoryKeeper::report() const {
    Report r;
    r.running = writer_ != nullptr;
    r.location = location_;
    if (!writer_) return r;
    r.counts = writer_->counts();
    r.thinned = feed_->positionsThinned();
    r.spool = counted_->spool();
    r.pausedBecause = counted_->refused();
    r.paused = !r.pausedBecause.empty();
    return r;
}

}  // namespace app
