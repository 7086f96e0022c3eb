// SpooledStore: a station's history on a shared server that loses no row
// when the server is away.
//
//   auto store = std::make_unique<history::SpooledStore>(
//       history::PgStore::openLater(url, {}), std::move(spool));
//   store->append(batch);   // to the server, or to the spool while it is away
//   store->append({});      // nothing new: only sends what waits, when due
//
// Every batch gets a number from the spool. When nothing waits and the
// server answers, the batch goes straight to it; when the server is
// unreachable, slow or drops the connection mid-batch, the batch goes to the
// spool, and so does every later batch while any waits, so the server gets
// them in order. Waiting batches are sent oldest first, a bounded number per
// call, after a back-off that doubles after each failed try. The server
// keeps each writer's highest batch number in the same transaction as the
// rows, so a batch whose commit happened but was not heard of is not stored
// twice when sent again. A batch the server refuses for its data (it would
// fail again and again) is moved aside in the spool, not retried.
//
// Queries go to the server; rows still waiting in the spool are not in them.
#pragma once

#include <chrono>
#include <memory>

#include "history/history_store.h"
#include "history/pg/pg_store.h"
#include "history/pg/spool.h"

namespace history {

class SpooledStore final : public HistoryStore {
public:
    struct Options {
        std::chrono::milliseconds firstRetry{1000};
        std::chrono::milliseconds longestRetry{60'000};
        int batchesPerCall = 64;  // waiting batches sent per append at most
    };

    struct Counters {
        int64_t waitingBatches = 0;  // in the spool, not yet on the server
        int64_t waitingRows = 0;
        int64_t sentFromSpool = 0;   // batches the spool has handed over since start
        int64_t setAside = 0;        // batches refused for their data, kept in the spool
        bool serverReachable = true;
        std::string serverError;     // the last failure, "" after a success
    };

    SpooledStore(std::unique_ptr<PgStore> server, std::unique_ptr<Spool> spool);
    SpooledStore(std::unique_ptr<PgStore> server, std::unique_ptr<Spool> spool, Options options);

    // Succeeds when the batch is on the server or safely in the spool.
    Status append(const Batch& batch) override;
    // Sends waiting batches now (within the per-call bound), back-off or not.
    Status sendWaiting();
    Counters counters() const;

    std::vector<PositionRow> track(int32_t mmsi, TimeMs from, TimeMs to) override;
    Status visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                      const std::function<bool(const PositionRow&)>& visit) override;
    void cancel() override;
    std::vector<SituationEntry> situation(TimeMs at, TimeMs window) override;
    std::vector<LastSeen> lastSeen(std::string_view text, int limit) override;
    std::vector<HourCount> countsPerHour(TimeMs from, TimeMs to) override;
    std::vector<MessageRow> messages(TimeMs from, TimeMs to) override;
    std::optional<std::pair<TimeMs, TimeMs>> span() override;
    Status applyRetention(const Retention& retention, TimeMs now) override;
    std::string lastError() const override;

private:
    using Clock = std::chrono::steady_clock;
    enum class Sent { Done, SetAside, NotNow };
    Sent send(const Batch& batch, int64_t seq);
    void drain();
    bool due() const;

    std::unique_ptr<PgStore> server_;
    std::unique_ptr<Spool> spool_;
    Options options_;
    Clock::time_point nextTry_{};
    std::chrono::milliseconds backoff_{0};
    Counters counters_;
};

}  // namespace history
