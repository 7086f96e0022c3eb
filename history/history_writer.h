// HistoryWriter: the one thread that writes a history store. The receive
// pipeline hands rows over with add(), which never waits on the store: the
// rows go into a bounded queue under a lock held only to move a row in or to
// swap the queue out. The thread takes the queue off in chunks of a few
// thousand rows (so its memory stays in the cache), appends what it took as
// one batch at least every `interval` (a SIGKILL loses at most that much)
// and applies the retention once an hour. A feed's rows pass its
// ReportSieve on this thread (sieve()): thinned positions and unchanged
// static data never reach the store.
//
//   history::HistoryWriter writer(std::move(store), {});
//   writer.add(row);                       // from the pipeline, never blocks
//   for (auto& n : writer.takeNotices()) show(n);   // from the owner's timer
//   writer.stop();                         // writes what is queued, joins
//
// A full queue drops the new row and counts it (one notice per episode). A
// batch the store refuses (a full disk, a read-only file) is kept and tried
// again each interval: history pauses with one notice and resumes by itself,
// with a notice, once the store takes it; while paused, what no longer fits
// the queue is dropped and counted.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "history/history_store.h"
#include "history/report_sieve.h"

namespace history {

struct WriterSettings {
    size_t capacity = 200000;       // rows queued and waiting at most
    double intervalSeconds = 0.5;   // between two batches
    bool retain = false;            // apply retention (hourly, and once at start)
    Retention retention;
    std::function<TimeMs()> now;    // UTC for retention; the system clock when empty
    // add() waits for room instead of dropping: only for filling a store from
    // a file, where no live input waits behind it.
    bool waitWhenFull = false;
    // Added to the thread's nice value (0..19): a writer that others wait
    // for only at the end (filling a store from a file) leaves the cores to
    // the threads that read the input when there are more threads than cores.
    int niceness = 0;
};

struct WriterCounts {
    int64_t written = 0;   // rows the store took
    int64_t dropped = 0;   // rows lost to a full queue
    int64_t batches = 0;   // transactions committed
    int64_t failures = 0;  // appends the store refused
    int64_t refused = 0;   // positions outside -90..90 / -180..180, never queued
    int64_t unwritten = 0; // rows the store still refused when the writer stopped
    int64_t thinned = 0;   // positions the sieve did not keep
};

class HistoryWriter {
public:
    // Rows gathered by one producer without the writer's lock and handed
    // over in one go (add(Gathered&)): one lock for many rows. A static row
    // keeps its place among the positions (the sieve takes them in the order
    // they came); messages keep their own order.
    class Gathered {
    public:
        // Adds a row (row.source is not read: `source` is its source); a
        // position off the earth is refused and counted instead.
        void add(const PositionRow& row, std::string_view source);
        void add(const QueuedPosition& row, std::string_view source);
        void add(StaticRow row);
        void add(MessageRow row);
        size_t size() const { return queue_.rows.size() + statics_.size() + messages_.size(); }
        bool empty() const { return size() == 0; }

    private:
        friend class HistoryWriter;
        void clear();
        QueuedPositions queue_;
        std::vector<StaticRow> statics_;
        std::vector<size_t> staticsAt_;  // positions gathered before each of statics_
        std::vector<MessageRow> messages_;
        int64_t refused_ = 0;
    };

    HistoryWriter(std::unique_ptr<HistoryStore> store, WriterSettings settings);
    ~HistoryWriter();  // stop()
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Queues a row; false when the queue was full and the row was dropped.
    bool add(const PositionRow& row);
    // Moves the gathered rows into the queue and empties `rows`; returns how
    // many were dropped for want of room (positions are taken first, then
    // statics, then messages). When the settings say to wait for room, it
    // waits until the queue is below its capacity and then takes them all
    // (the queue may then hold up to rows.size() - 1 more).
    size_t add(Gathered& rows);
    bool add(StaticRow row);
    bool add(MessageRow row);

    // From now on the thread passes positions and static rows through a
    // ReportSieve with `rule` before storing them (a feed's reports); rows
    // added earlier are sieved too when they are still queued.
    void sieve(const ThinningRule& rule);
    // The static data stored before, for the sieve (before the rows).
    void seed(std::vector<StaticRow> known, TimeMs now);

    // Writes everything queued, then ends the thread. Later rows are dropped.
    void stop();
    // The same without waiting: the thread writes what is queued and closes
    // the store while the caller goes on; stop() then waits for it.
    void stopSoon();
    // Asks the thread to write what is queued now (tests, a checkpoint).
    void flushSoon();

    WriterCounts counts() const;
    // Texts for the operator raised since the last call (pause, resume,
    // dropped rows); cheap when there are none.
    std::vector<std::string> takeNotices();
    bool hasNotices() const { return noticesWaiting_.load(std::memory_order_relaxed); }

private:
    // Waits for room when the settings say so. Called with mutex_ held.
    void waitForRoom(std::unique_lock<std::mutex>& lock);
    size_t chunk() const;
    // Counts `n` rows dropped (called with mutex_ held); true when the
    // operator is to be told.
    bool countDropped(size_t n);
    // Appends the rows taken off the queue to the pending ones, through the sieve
    // when sieving, in the order they were queued.
    void unpack();
    void takeStatic(StaticRow& row);
    void run();
    // Moves what is queued to pending_.
    void drain();
    // Appends pending_ (and what was queued) once.
    void writeOnce();
    void notice(std::string text);

    std::unique_ptr<HistoryStore> store_;
    WriterSettings settings_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable room_;  // waitWhenFull: the queue was emptied
    Batch queue_;           // under mutex_: statics and messages
    std::vector<size_t> staticsAt_;  // under mutex_: positions queued before each of queue_.statics
    std::optional<ThinningRule> rule_;  // under mutex_: the sieve's rule from the next drain on
    std::vector<StaticRow> seeds_;      // under mutex_
    TimeMs seedTime_ = 0;
    QueuedPositions positions_, taken_;  // under mutex_; taken_: the thread's, swapped with positions_
    std::vector<uint32_t> sourceMap_;   // under mutex_: add(Gathered&)'s sources as numbers of positions_
    size_t queued_ = 0;     // rows in queue_
    bool stopping_ = false;
    bool flushNow_ = false;
    bool dropping_ = false;  // in an episode of dropped rows (one notice)
    std::vector<std::string> notices_;
    std::atomic<bool> noticesWaiting_{false};
    std::atomic<int64_t> written_{0}, dropped_{0}, batches_{0}, failures_{0}, refused_{0}, unwritten_{0}, thinned_{0};

    // The writer thread's own.
    size_t pendingRows() const {
        return pendingPositions_.rows.size() + pending_.statics.size() + pending_.messages.size();
    }
    // Taken from the queue, not yet in the store: the positions as queued,
    // the statics and messages in pending_ (whose positions stay empty).
    QueuedPositions pendingPositions_;
    std::vector<uint32_t> pendingSources_;  // unpack(): taken_'s sources as numbers of pendingPositions_
    Batch pending_;
    std::vector<StaticRow> takenStatics_;  // taken with taken_, to be sieved
    std::vector<size_t> takenStaticsAt_;
    bool sieving_ = false;
    ReportSieve sieve_;
    bool paused_ = false;
    TimeMs nextRetention_ = 0;

    std::thread thread_;
};

}  // namespace history
