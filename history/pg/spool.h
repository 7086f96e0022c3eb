// Spool: a station's local SQLite file of batches the history server has not
// taken yet, oldest first, each under its batch number.
//
//   std::string error;
//   auto spool = history::Spool::open("/var/lib/orvanta/HistorySpool.sqlite", error);
//   int64_t seq = *spool->nextSeq();
//   spool->put(seq, batch);                       // the server is down
//   while (auto e = spool->oldest()) { send(e->seq, e->batch); spool->remove(e->seq); }
//
// The file also keeps the station's writer name (made once, at random) and
// the batch numbers handed out, so numbers keep rising over restarts: the
// server recognises a batch it already holds by writer and number. A batch
// the server refuses for its data is moved aside (rejected), kept, not sent
// again. A file that is not a spool (garbage, cut short) is kept beside it as
// "FILE.bad" and a new spool is started.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "history/history_store.h"

struct sqlite3;

namespace history {

class Spool {
public:
    static std::unique_ptr<Spool> open(const std::string& path, std::string& error);
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    const std::string& writer() const { return writer_; }
    // A number higher than any handed out before (also before a restart).
    std::optional<int64_t> nextSeq();

    bool put(int64_t seq, const Batch& batch);
    struct Entry {
        int64_t seq = 0;
        Batch batch;
    };
    // The waiting batch with the lowest number; nullopt when none waits. A
    // stored batch that no longer decodes is moved aside on the way.
    std::optional<Entry> oldest();
    bool remove(int64_t seq);
    // Moves a waiting or new batch aside with the reason the server gave.
    bool reject(int64_t seq, const Batch& batch, std::string_view reason);

    int64_t waitingBatches() const { return waitingBatches_; }
    int64_t waitingRows() const { return waitingRows_; }
    int64_t rejectedBatches();
    const std::string& error() const { return error_; }
    // For the operator when open() found a damaged file and began anew; "" otherwise.
    const std::string& notice() const { return notice_; }

private:
    explicit Spool(sqlite3* db);
    bool prepare();
    bool exec(const char* sql);
    bool fail(const char* what);

    sqlite3* db_;
    std::string writer_;
    int64_t nextSeq_ = 0;   // the next number to hand out
    int64_t reserved_ = 0;  // numbers below this are recorded as handed out
    int64_t waitingBatches_ = 0;
    int64_t waitingRows_ = 0;
    std::string error_;
    std::string notice_;
};

}  // namespace history
