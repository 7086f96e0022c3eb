#include "history/pg/spooled_store.h"

#include <algorithm>

namespace history {

SpooledStore::SpooledStore(std::unique_ptr<PgStore> server, std::unique_ptr<Spool> spool)
    : SpooledStore(std::move(server), std::move(spool), Options{}) {}

SpooledStore::SpooledStore(std::unique_ptr<PgStore> server, std::unique_ptr<Spool> spool, Options options)
    : server_(std::move(server)), spool_(std::move(spool)), options_(options) {}

bool SpooledStore::due() const { return Clock::now() >= nextTry_; }

// One batch to the server under its number; a failure of the connection
// starts (or lengthens) the back-off.
SpooledStore::Sent SpooledStore::send(const Batch& batch, int64_t seq) {
    const auto outcome = server_->appendOnce(batch, spool_->writer(), seq);
    if (outcome != PgStore::Outcome::Failed) {
        backoff_ = std::chrono::milliseconds(0);
        counters_.serverReachable = true;
        counters_.serverError.clear();
        return Sent::Done;
    }
    counters_.serverError = server_->lastError();
    if (server_->lastFailure() == PgFailure::Data) {
        spool_->reject(seq, batch, server_->lastError());
        ++counters_.setAside;
        return Sent::SetAside;
    }
    counters_.serverReachable = false;
    backoff_ = backoff_.count() == 0 ? options_.firstRetry : std::min(backoff_ * 2, options_.longestRetry);
    nextTry_ = Clock::now() + backoff_;
    return Sent::NotNow;
}

void SpooledStore::drain() {
    for (int i = 0; i < options_.batchesPerCall; ++i) {
        auto entry = spool_->oldest();
        if (!entry) return;
        switch (send(entry->batch, entry->seq)) {
        case Sent::Done:
            spool_->remove(entry->seq);
            ++counters_.sentFromSpool;
            break;
        case Sent::SetAside: break;
        case Sent::NotNow: return;
        }
    }
}

Status SpooledStore::append(const Batch& batch) {
    if (!batch.empty()) {
        const auto seq = spool_->nextSeq();
        if (!seq) {
            // Without numbers the spool cannot keep order: straight to the server.
            const Status direct = server_->append(batch);
            return direct.ok() ? direct : Status{direct.error + "; " + spool_->error()};
        }
        if (spool_->waitingBatches() == 0 && due()) {
            switch (send(batch, *seq)) {
            case Sent::Done: return {};
            case Sent::SetAside:
                return {"the history server refused a batch, kept aside in the spool: " + server_->lastError()};
            case Sent::NotNow: break;
            }
        }
        if (!spool_->put(*seq, batch))
            return {"the history server is away and the spool cannot keep the batch: " + spool_->error()};
    }
    if (due()) drain();
    return {};
}

Status SpooledStore::sendWaiting() {
    nextTry_ = Clock::time_point{};
    drain();
    if (spool_->waitingBatches() > 0 && !counters_.serverReachable) return {counters_.serverError};
    return {};
}

SpooledStore::Counters SpooledStore::counters() const {
    Counters c = counters_;
    c.waitingBatches = spool_->waitingBatches();
    c.waitingRows = spool_->waitingRows();
    return c;
}

std::vector<PositionRow> SpooledStore::track(int32_t mmsi, TimeMs from, TimeMs to) {
    return server_->track(mmsi, from, to);
}

Status SpooledStore::visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                                const std::function<bool(const PositionRow&)>& visit) {
    return server_->visitTrack(mmsi, from, to, visit);
}

void SpooledStore::cancel() { server_->cancel(); }

std::vector<SituationEntry> SpooledStore::situation(TimeMs at, TimeMs window) {
    return server_->situation(at, window);
}

std::vector<LastSeen> SpooledStore::lastSeen(std::string_view text, int limit) {
    return server_->lastSeen(text, limit);
}

std::vector<HourCount> SpooledStore::countsPerHour(TimeMs from, TimeMs to) {
    return server_->countsPerHour(from, to);
}

std::vector<MessageRow> SpooledStore::messages(TimeMs from, TimeMs to) { return server_->messages(from, to); }

std::optional<std::pair<TimeMs, TimeMs>> SpooledStore::span() { return server_->span(); }

Status SpooledStore::applyRetention(const Retention& retention, TimeMs now) {
    return server_->applyRetention(retention, now);
}

std::string SpooledStore::lastError() const {
    return counters_.serverError.empty() ? server_->lastError() : counters_.serverError;
}

}  // namespace history
