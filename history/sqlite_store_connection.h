// The SQLite store's connection as one class, its statements and the
// blocks it is writing; the write path is in sqlite_store_write.cpp, the
// queries in sqlite_store.cpp. Used only by those two files.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "history/history_store.h"
#include "history/position_block.h"
#include "history/sqlite_checkpointer.h"
#include "history/sqlite_schema.h"
#include "history/sqlite_statement.h"

namespace history {

inline constexpr const char* kStaticColumns =
    "time, mmsi, input, source, type, name, callsign, imo, shiptype, dim_a, dim_b, dim_c, dim_d, draught, "
    "destination, eta";

// A station's row in the stations table is given a newer position only when
// the one it holds is at least this much older; lastSeen() takes the newest
// positions of the stations it finds from their blocks. (Filling a store
// from a file, a batch spans many minutes of reports: at 10 minutes nearly
// every batch rewrote every station's row.)
inline constexpr TimeMs kStationRowLagMs = 30 * 60 * 1000;

class SqliteStore final : public HistoryStore {
public:
    explicit SqliteStore(sqlite3* db) : db_(db), checkpointer_(std::make_unique<sqlite::WalCheckpointer>(db)) {}
    ~SqliteStore() override {
        checkpointer_.reset();  // before the close, whose checkpoint is the last
        statements_.clear();
        sqlite3_close_v2(db_);
    }

    // Prepares every statement; false with lastError() set when one fails.
    bool prepare();

    Status append(const Batch& batch) override;
    Status appendQueued(const QueuedPositions& positions, const Batch& rest) override;
    std::vector<PositionRow> track(int32_t mmsi, TimeMs from, TimeMs to) override;
    Status visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                      const std::function<bool(const PositionRow&)>& visit) override;
    void cancel() override {
        cancelled_.store(true);
        sqlite3_interrupt(db_);
    }
    std::vector<SituationEntry> situation(TimeMs at, TimeMs window) override;
    std::vector<LastSeen> lastSeen(std::string_view text, int limit) override;
    std::vector<HourCount> countsPerHour(TimeMs from, TimeMs to) override;
    std::vector<MessageRow> messages(TimeMs from, TimeMs to) override;
    std::optional<std::pair<TimeMs, TimeMs>> span() override;
    Status applyRetention(const Retention& retention, TimeMs now) override;
    std::string lastError() const override { return lastError_; }

private:
    enum Id {
        kBegin, kCommit, kRollback, kInsertBlock, kUpdateBlock, kLastSeq, kInsertSource, kSourceId, kSources,
        kInsertStatic, kInsertMessage, kStation, kStationMoved, kBlocks, kStationsAfter, kBlocksBackwards, kStaticAt, kLastSeen,
        kMessages, kSpan, kUsedBytes, kCount
    };
    // A position of the batch being written, packed, in the batch at index.
    struct PackedRow {
        int32_t mmsi;
        uint32_t index;
        sqlite::PackedPosition p;
    };
    // The block a station's next positions go into while this connection writes.
    struct OpenBlock {
        int64_t key = 0;
        bool stored = false;  // its row is in the file (rewritten, not inserted)
        sqlite::BlockBuilder block;
    };
    sqlite::Statement& st(Id id) { return statements_[static_cast<size_t>(id)].start(); }
    // The failure of the last step, kept for lastError(); returns it as a Status.
    Status fail(const char* what);
    bool run(Id id, const char* what);
    // One transaction of the batch and the queued positions (when given) after its own.
    Status appendAll(const Batch& batch, const QueuedPositions* queued);
    Status appendRows(const Batch& batch, const QueuedPositions* queued);
    Status appendPositions(const std::vector<PositionRow>& positions, const QueuedPositions* queued);
    Status writeBlock(int32_t mmsi, OpenBlock& open);
    // Whether the station's row is to take a position of this time; notes it as written when so.
    bool stationRowDue(int32_t mmsi, TimeMs time);
    void forgetOldStations(TimeMs latest);
    // The number of an input/source pair, added to the sources table when new; -1 on failure.
    int64_t sourceId(int16_t input, const std::string& source);
    PositionRow unpack(int32_t mmsi, const sqlite::PackedPosition& p);
    // Calls visit(first time, bytes) for the station's blocks with a key in
    // [low, high], in key order (backwards: newest first), while it returns
    // true; false when the query failed.
    template <typename Visit>
    bool forEachBlock(Id id, int64_t mmsi, int64_t low, int64_t high, Visit&& visit);
    // The station's latest position with a time in (after, at] among its
    // blocks with a key in [low, high] (of equal times, the one stored last);
    // false when the query failed.
    bool newestPosition(int64_t mmsi, int64_t low, int64_t high, TimeMs after, TimeMs at,
                        std::optional<sqlite::PackedPosition>& best);
    bool deleteBefore(TimeMs cutoff, bool wholeBlocks);
    int64_t usedBytes();

    sqlite3* db_;
    std::unique_ptr<sqlite::WalCheckpointer> checkpointer_;  // copies the log back on a thread of its own
    std::vector<sqlite::Statement> statements_;
    std::vector<sqlite::Statement> counts_;  // one per table
    std::string lastError_;
    std::map<std::pair<int16_t, std::string>, int64_t> sourceIds_;
    std::unordered_map<int64_t, std::pair<int16_t, std::string>> sources_;
    // The last pair looked up: a feed's rows mostly come from one input.
    std::optional<std::pair<std::pair<int16_t, std::string>, int64_t>> lastSource_;
    std::unordered_map<int32_t, OpenBlock> open_;
    // The position time this connection last wrote to each station's row.
    std::unordered_map<int32_t, TimeMs> stationWritten_;
    size_t openAfterSweep_ = 0;
    std::atomic<bool> cancelled_{false};
    base::BigVector<PackedRow> packed_, sorted_;
    base::BigVector<uint64_t> order_, orderScratch_;
    std::vector<uint32_t> newest_;  // of the batch being written: each station's latest (its index)
};

}  // namespace history
