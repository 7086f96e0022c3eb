#include "history/history_writer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <utility>

namespace history {
namespace {

constexpr TimeMs kRetentionPeriod = 3600 * 1000;
// Rows the thread takes off the queue at a time between two appends.
constexpr size_t kChunkRows = 4096;
constexpr const char* kCannotKeepUp = "History: the writer cannot keep up; reports are being dropped (they are counted).";

TimeMs SystemNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

template <typename Row>
void Move(std::vector<Row>& to, std::vector<Row>& from) {
    if (to.empty()) {
        to.swap(from);  // the queue gets the emptied vector back, with its room
        return;
    }
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
    from.clear();
}

}  // namespace

HistoryWriter::HistoryWriter(std::unique_ptr<HistoryStore> store, WriterSettings settings)
    : store_(std::move(store)), settings_(std::move(settings)) {
    if (!settings_.now) settings_.now = SystemNow;
    // Filling a store from a file fills the queue and every batch to the
    // brim: their room is taken at once rather than grown by doubling, which
    // would copy the rows and touch fresh memory at every step (the queue's
    // on the feeding thread).
    if (settings_.waitWhenFull) {
        positions_.rows.reserve(settings_.capacity);
        taken_.rows.reserve(settings_.capacity);
        pendingPositions_.rows.reserve(settings_.capacity / 2 + chunk());
    }
    thread_ = std::thread([this] { run(); });
}

HistoryWriter::~HistoryWriter() { stop(); }

void HistoryWriter::waitForRoom(std::unique_lock<std::mutex>& lock) {
    if (settings_.waitWhenFull && queued_ >= settings_.capacity) {
        wake_.notify_one();
        room_.wait(lock, [&] { return stopping_ || queued_ < settings_.capacity; });
    }
}

bool HistoryWriter::countDropped(size_t n) {
    dropped_.fetch_add(static_cast<int64_t>(n), std::memory_order_relaxed);
    const bool tell = !dropping_ && !stopping_;
    dropping_ = true;
    return tell;
}

size_t HistoryWriter::chunk() const { return std::clamp<size_t>(settings_.capacity / 2, 1, kChunkRows); }

void HistoryWriter::Gathered::add(const PositionRow& row, std::string_view source) {
    add(QueuedPosition::Of(row), source);
}

void HistoryWriter::Gathered::add(StaticRow row) {
    statics_.push_back(std::move(row));
    staticsAt_.push_back(queue_.rows.size());
}

void HistoryWriter::Gathered::add(MessageRow row) { messages_.push_back(std::move(row)); }

void HistoryWriter::Gathered::clear() {
    queue_.rows.clear();
    queue_.sources.resize(1);  // source 0: none
    statics_.clear();
    staticsAt_.clear();
    messages_.clear();
}

void HistoryWriter::Gathered::add(const QueuedPosition& row, std::string_view source) {
    // A store refuses a whole batch for one impossible position; such a row
    // never reaches the queue, so a batch can fail only for the store's sake.
    if (!(row.latitude >= -90 && row.latitude <= 90 && row.longitude >= -180 && row.longitude <= 180)) {
        ++refused_;
        return;
    }
    queue_.rows.push_back(row);
    queue_.rows.back().source = queue_.number(source);
}

bool HistoryWriter::add(const PositionRow& row) {
    Gathered one;
    one.add(row, row.source);
    const bool onEarth = !one.empty();
    return add(one) == 0 && onEarth;
}

size_t HistoryWriter::add(Gathered& rows) {
    if (rows.refused_ > 0) refused_.fetch_add(std::exchange(rows.refused_, 0), std::memory_order_relaxed);
    const size_t n = rows.size();
    if (n == 0) return 0;
    size_t taken = 0;
    bool tell = false, wake = false;
    {
        std::unique_lock lock(mutex_);
        waitForRoom(lock);
        if (!stopping_) {
            // Waiting for room, it takes them all; otherwise what fits.
            const size_t room = settings_.capacity - std::min(queued_, settings_.capacity);
            taken = settings_.waitWhenFull ? n : std::min(n, room);
        }
        const size_t positions = std::min(taken, rows.queue_.rows.size());
        const size_t statics = std::min(taken - positions, rows.statics_.size());
        const size_t messages = taken - positions - statics;
        const size_t before = positions_.rows.size();
        sourceMap_.clear();
        bool sameNumbers = true;  // mostly: one source, or none
        for (const std::string& source : rows.queue_.sources) {
            const uint32_t n = positions_.number(source);
            sameNumbers = sameNumbers && n == sourceMap_.size();
            sourceMap_.push_back(n);
        }
        const auto from = rows.queue_.rows.begin();
        if (sameNumbers) {
            positions_.rows.insert(positions_.rows.end(), from, from + static_cast<ptrdiff_t>(positions));
        } else {
            for (size_t k = 0; k < positions; ++k) {
                QueuedPosition q = rows.queue_.rows[k];
                q.source = sourceMap_[q.source];
                positions_.rows.push_back(q);
            }
        }
        for (size_t k = 0; k < statics; ++k) {
            queue_.statics.push_back(std::move(rows.statics_[k]));
            staticsAt_.push_back(before + std::min(rows.staticsAt_[k], positions));
        }
        std::move(rows.messages_.begin(), rows.messages_.begin() + static_cast<ptrdiff_t>(messages),
                  std::back_inserter(queue_.messages));
        wake = queued_ < chunk() && queued_ + taken >= chunk();
        queued_ += taken;
        if (taken < n) tell = countDropped(n - taken);
    }
    rows.clear();
    if (wake) wake_.notify_one();
    if (tell) notice(kCannotKeepUp);
    return n - taken;
}

void HistoryWriter::unpack() {
    const QueuedPositions& from = taken_;
    QueuedPositions& to = pendingPositions_;
    // The taken rows' sources as numbers of the pending list.
    pendingSources_.clear();
    for (const std::string& source : from.sources) pendingSources_.push_back(to.number(source));
    size_t at = to.rows.size();
    to.rows.resize(at + from.rows.size());
    // The statics queued before the k-th position go through the sieve before it.
    size_t nextStatic = 0;
    const auto staticsBefore = [&](size_t k) {
        for (; nextStatic < takenStatics_.size() && takenStaticsAt_[nextStatic] <= k; ++nextStatic)
            takeStatic(takenStatics_[nextStatic]);
    };
    for (size_t k = 0; k < from.rows.size(); ++k) {
        staticsBefore(k);
        const QueuedPosition& q = from.rows[k];
        if (sieving_ && !sieve_.keep(q)) continue;
        QueuedPosition& r = to.rows[at++];
        r = q;
        r.source = pendingSources_[q.source];
    }
    to.rows.resize(at);
    staticsBefore(from.rows.size());
    takenStatics_.clear();
    takenStaticsAt_.clear();
    thinned_.store(sieve_.thinned(), std::memory_order_relaxed);
}

void HistoryWriter::takeStatic(StaticRow& row) {
    if (!sieving_) {
        pending_.statics.push_back(std::move(row));
    } else if (const StaticRow* changed = sieve_.merge(row)) {
        pending_.statics.push_back(*changed);
    }
}

bool HistoryWriter::add(StaticRow row) {
    Gathered one;
    one.add(std::move(row));
    return add(one) == 0;
}

bool HistoryWriter::add(MessageRow row) {
    Gathered one;
    one.add(std::move(row));
    return add(one) == 0;
}

void HistoryWriter::sieve(const ThinningRule& rule) {
    std::lock_guard lock(mutex_);
    rule_ = rule;
}

void HistoryWriter::seed(std::vector<StaticRow> known, TimeMs now) {
    std::lock_guard lock(mutex_);
    seeds_ = std::move(known);
    seedTime_ = now;
}

void HistoryWriter::stopSoon() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    room_.notify_all();
}

void HistoryWriter::stop() {
    stopSoon();
    if (thread_.joinable()) thread_.join();
}

void HistoryWriter::flushSoon() {
    {
        std::lock_guard lock(mutex_);
        flushNow_ = true;
    }
    wake_.notify_one();
}

WriterCounts HistoryWriter::counts() const {
    return {written_.load(), dropped_.load(), batches_.load(), failures_.load(), refused_.load(), unwritten_.load(),
            thinned_.load()};
}

std::vector<std::string> HistoryWriter::takeNotices() {
    std::vector<std::string> out;
    if (!noticesWaiting_.load(std::memory_order_relaxed)) return out;
    std::lock_guard lock(mutex_);
    out.swap(notices_);
    noticesWaiting_.store(false, std::memory_order_relaxed);
    return out;
}

void HistoryWriter::notice(std::string text) {
    std::lock_guard lock(mutex_);
    notices_.push_back(std::move(text));
    noticesWaiting_.store(true, std::memory_order_relaxed);
}

void HistoryWriter::drain() {
    std::vector<StaticRow> seeds;
    TimeMs seedTime = 0;
    {
        std::lock_guard lock(mutex_);
        // The positions are made rows after the lock is let go.
        taken_.rows.clear();
        taken_.sources.resize(1);
        std::swap(taken_, positions_);
        takenStatics_.swap(queue_.statics);
        takenStaticsAt_.swap(staticsAt_);
        Move(pending_.messages, queue_.messages);
        if (rule_) {
            sieve_.setRule(*std::exchange(rule_, std::nullopt));
            sieving_ = true;
        }
        seeds.swap(seeds_);
        seedTime = seedTime_;
        queued_ = 0;
        room_.notify_all();
    }
    if (!seeds.empty()) sieve_.seed(std::move(seeds), seedTime);
    unpack();
}

void HistoryWriter::writeOnce() {
    drain();
    {
        // While paused, what waits is bounded by the queue's capacity too:
        // the newest rows beyond it are dropped (and counted).
        std::lock_guard lock(mutex_);
        const size_t rows = pendingRows();
        if (paused_ && rows > settings_.capacity) {
            size_t over = rows - settings_.capacity;
            dropped_.fetch_add(static_cast<int64_t>(over), std::memory_order_relaxed);
            const auto trim = [&](auto& v) {
                const size_t cut = std::min(over, v.size());
                v.resize(v.size() - cut);
                over -= cut;
            };
            trim(pendingPositions_.rows);
            trim(pending_.messages);
            trim(pending_.statics);
        } else {
            dropping_ = false;
        }
    }
    if (pendingRows() > 0) {
        const size_t rows = pendingRows();
        const Status s = store_->appendQueued(pendingPositions_, pending_);
        if (s.ok()) {
            written_.fetch_add(static_cast<int64_t>(rows), std::memory_order_relaxed);
            batches_.fetch_add(1, std::memory_order_relaxed);
            // Emptied, not freed: the next swap hands the room back to the
            // queue, which then fills without growing again.
            pendingPositions_.rows.clear();
            pendingPositions_.sources.resize(1);
            pending_.statics.clear();
            pending_.messages.clear();
            if (paused_) notice("History: writing again.");
            paused_ = false;
        } else {
            failures_.fetch_add(1, std::memory_order_relaxed);
            if (!paused_) notice("History paused: " + s.error + ". It goes on by itself when the store can be written.");
            paused_ = true;
        }
    }
    if (settings_.retain && !paused_) {
        const TimeMs now = settings_.now();
        if (now >= nextRetention_) {
            nextRetention_ = now + kRetentionPeriod;
            const Status s = store_->applyRetention(settings_.retention, now);
            if (!s.ok()) notice("History: old reports could not be dropped: " + s.error);
        }
    }
}

void HistoryWriter::run() {
    if (settings_.niceness > 0) {
        // On Linux each thread has a nice value of its own; the thread's id
        // names it. Raising it needs no privilege; a failure only leaves the
        // thread at its priority.
        const pid_t self = gettid();
        errno = 0;
        const int now = getpriority(PRIO_PROCESS, static_cast<id_t>(self));
        if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(self), std::min(now + settings_.niceness, 19));
    }
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(settings_.intervalSeconds));
    Clock::time_point due = Clock::now() + interval;  // of the next append
    for (;;) {
        bool last = false, now = false;
        {
            std::unique_lock lock(mutex_);
            // While paused the queue waits whole for the next try.
            wake_.wait_until(lock, due, [&] { return stopping_ || flushNow_ || (!paused_ && queued_ >= chunk()); });
            last = stopping_;
            now = last || flushNow_ || Clock::now() >= due;
            flushNow_ = false;
        }
        if (!now) {
            // A chunk of rows: taken off the queue while it is still in the
            // cache (the queue stays small), kept until the append is due.
            drain();
            if (pendingRows() < settings_.capacity / 2) continue;
        }
        writeOnce();
        due = Clock::now() + interval;
        if (last) {
            unwritten_.store(static_cast<int64_t>(pendingRows()));
            break;
        }
    }
    // Closed on this thread: a file's last checkpoint runs while the owner
    // goes on with its own work until it joins.
    store_.reset();
}

}  // namespace history
