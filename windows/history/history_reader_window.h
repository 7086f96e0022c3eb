// HistoryReader: asks the history store off the window thread. One worker
// thread with its own store object (never the writer's); the window hands it
// work and gets the answer back on its own thread, and never waits for it.
//
//   reader.ask("track", location, [=](history::HistoryStore* store, const std::string& error,
//                                      const history::Cancelled& cancelled) {
//       auto answer = history::ReadTrack(*store, mmsi, from, to, cancelled);   // on the worker
//       return [=] { show(answer); };                                          // on the window thread
//   });
//
// Requests run one after the other. A newer request with the same key
// supersedes the older one: a queued one never runs, a running one is told
// through `cancelled` and its answer is dropped. The store is opened on the
// worker at the first request (a server may be slow to answer) and kept
// while the location stays; a SQLite file that does not exist is not made.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "history/history_store.h"

namespace history {

using Cancelled = std::function<bool()>;

// The most reports a track asks for: about a week of a class A vessel
// reporting every 10 s (the writer's default thinning) and a fraction of the
// memory a plot can paint quickly.
inline constexpr size_t kMaxTrackRows = 100000;

struct TrackAnswer {
    std::vector<PositionRow> rows;  // oldest first
    bool cut = false;               // the period held more: these are the latest
    bool cancelled = false;
    std::string error;
};

// The track of one station, read newest first in slices of `slice` ms so a
// huge period neither holds more than `cap` rows nor keeps a superseded
// request running: between slices `cancelled` is asked.
TrackAnswer ReadTrack(HistoryStore& store, int32_t mmsi, TimeMs from, TimeMs to, const Cancelled& cancelled,
                      size_t cap = kMaxTrackRows, TimeMs slice = TimeMs{6} * 3600 * 1000);

class HistoryReader : public QObject {
    Q_OBJECT
public:
    // Runs on the worker with the store (null when none could be opened,
    // error then says why); returns what runs on the window thread.
    using Work = std::function<std::function<void()>(HistoryStore* store, const std::string& error,
                                                     const Cancelled& cancelled)>;

    explicit HistoryReader(QObject* parent = nullptr);
    ~HistoryReader() override;  // cancels what waits or runs, ends the worker

    // location: a SQLite file or a "postgresql://" URL; empty: no store.
    void ask(const std::string& key, const std::string& location, Work work);
    // Requests asked and not yet answered (nor superseded).
    int waiting() const;

private:
    struct Request {
        std::string key;
        std::string location;
        Work work;
        std::shared_ptr<std::atomic<bool>> cancelled;
    };
    void run();
    HistoryStore* storeFor(const std::string& location, std::string& error);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> queue_;
    std::shared_ptr<std::atomic<bool>> running_;  // the request on the worker
    std::string runningKey_;
    bool stopping_ = false;
    int unanswered_ = 0;  // asked, not yet answered nor superseded (under mutex_)

    // The worker's own.
    std::string openLocation_;
    std::unique_ptr<HistoryStore> store_;

    std::thread thread_;
};

}  // namespace history
