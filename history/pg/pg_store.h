// PgStore: the history on a PostgreSQL server with PostGIS, shared by a
// network of stations.
//
//   std::string error;
//   auto store = history::PgStore::open("postgresql://ais@db.example/orvanta", {}, error);
//   if (!store) fail(error);
//   store->append(batch);
//
// The first open makes the schema (a version table, positions with a
// geography(Point,4326) and a GiST index, static rows, messages, and the
// writers' batch counters). Rows are kept in one partition per UTC day, made
// when a batch first touches that day, so retention drops whole days. A batch
// is one transaction of COPY statements: all of it or none. Every value a
// query takes is a bound parameter.
#pragma once

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "history/history_store.h"
#include "history/pg/pg_connection.h"

namespace history {

class PgStore final : public HistoryStore {
public:
    struct Options {
        int connectTimeoutSeconds = 5;
        // A statement running longer is cancelled and fails (0: no limit).
        int statementTimeoutMs = 0;
    };

    // Connects and makes the schema when it is missing; nullptr with error
    // when the server cannot be reached or the database cannot hold it.
    static std::unique_ptr<PgStore> open(std::string url, const Options& options, std::string& error);
    // As open, but a store is returned even when the server is unreachable:
    // the first call that needs it connects (a station that starts while its
    // server is down).
    static std::unique_ptr<PgStore> openLater(std::string url, const Options& options);

    Status append(const Batch& batch) override;

    // Appends a batch numbered seq by writer (a station's lasting name for
    // itself), once: a batch whose number the server has already taken from
    // that writer is not stored again. The number is kept in the same
    // transaction as the rows, so a batch sent again after a connection
    // dropped between the server's commit and our hearing of it is not
    // stored twice. A writer's numbers must rise from batch to batch.
    enum class Outcome { Stored, AlreadyStored, Failed };
    Outcome appendOnce(const Batch& batch, std::string_view writer, int64_t seq);
    // How the last failed call failed (connection or data).
    PgFailure lastFailure() const { return failure_; }

    std::vector<PositionRow> track(int32_t mmsi, TimeMs from, TimeMs to) override;
    std::vector<SituationEntry> situation(TimeMs at, TimeMs window) override;
    std::vector<LastSeen> lastSeen(std::string_view text, int limit) override;
    std::vector<HourCount> countsPerHour(TimeMs from, TimeMs to) override;
    std::vector<MessageRow> messages(TimeMs from, TimeMs to) override;
    std::optional<std::pair<TimeMs, TimeMs>> span() override;
    Status applyRetention(const Retention& retention, TimeMs now) override;
    std::string lastError() const override { return error_; }
    Status visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                      const std::function<bool(const PositionRow&)>& visit) override;
    void cancel() override;

    // The latest position of each station within metres of a point with
    // from <= time <= to, nearest first (for maps and the web view).
    std::vector<PositionRow> near(double latitude, double longitude, double metres, TimeMs from, TimeMs to);

    // The bytes the history takes on the server, indexes included.
    std::optional<int64_t> storedBytes();

private:
    PgStore(std::string url, const Options& options);
    bool ready();
    bool makeSchema();
    bool makePartitions(const std::set<int64_t>& days);
    Outcome writeBatch(const Batch& batch, std::string_view writer, int64_t seq);
    bool copyRows(const Batch& batch);
    bool dropDay(int64_t day);
    bool deleteBefore(TimeMs cutoff);
    std::optional<std::vector<std::pair<int64_t, int64_t>>> daySizes();
    bool failed(std::string text, PgFailure failure);
    bool failedQuery();
    void rollback();

    PgConnection db_;
    std::atomic<bool> cancelled_{false};
    bool schemaReady_ = false;
    std::set<int64_t> knownDays_;  // days whose partitions exist (as far as we know)
    std::string error_;
    PgFailure failure_ = PgFailure::None;
};

}  // namespace history
