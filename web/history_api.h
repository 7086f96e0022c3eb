// The history's part of the API, answered from a store of its own:
//
//   GET /api/history                               {"first": T, "last": T} of what is stored (nulls when empty)
//   GET /api/targets/{mmsi}/track?from=&to=&format= the stored positions of one station
//       (json, geojson, gpx or csv; from/to as ISO 8601 with a zone or UNIX
//       seconds; to defaults to now, from to 24 hours before to; at most
//       kMaxTrackDays days and kMaxTrackPoints points, the newest kept)
//   GET /api/situation?at=&window=&form=           every station at a past moment:
//       {"at": T, "targets": [...]} with the fields of replay's JSON, or with
//       form=compact those of the live page's list (the window, in seconds,
//       how old a last position may be: 600 unless given, at most a day)
//
// Queries run on a thread of the history's own, one at a time, so a slow
// store holds neither the receive thread nor the HTTP thread for longer than
// kWaitMs: past that the client gets 503 and the query's answer is dropped
// when it comes. The store is opened there on first use and again after a
// failure (a server that was down, a file that was replaced).
//
//   web::HistoryApi history("/var/lib/orvanta/History.sqlite");
//   sources.history = [&](const web::Request& r) { return history.handle(r); };
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "history/history_store.h"
#include "web/http_server.h"

namespace web {

class HistoryApi {
public:
    static constexpr int kMaxTrackDays = 31;
    static constexpr size_t kMaxTrackPoints = 50000;
    static constexpr int kWaitMs = 5000;
    static constexpr size_t kMaxWaiting = 8;  // queries queued beyond this are answered 503 at once

    // nowMs: the clock "now" of a track without `to`; the system clock unless given.
    explicit HistoryApi(std::string location, std::function<int64_t()> nowMs = {});
    ~HistoryApi();
    HistoryApi(const HistoryApi&) = delete;
    HistoryApi& operator=(const HistoryApi&) = delete;

    // Any of the three paths above; another path is 404. Safe from one thread at a time.
    Response handle(const Request& request);

private:
    using Query = std::function<Response(history::HistoryStore&)>;
    Response run(Query query);
    void work();

    std::string location_;
    std::function<int64_t()> nowMs_;
    std::unique_ptr<history::HistoryStore> store_;  // used on the worker thread only

    struct Job;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> jobs_;
    bool stopping_ = false;
    std::thread worker_;
};

// Builds the parts of an answer; exposed for the tests.
Response TrackAnswer(history::HistoryStore& store, int32_t mmsi, const Request& request, int64_t nowMs);
Response SituationAnswer(history::HistoryStore& store, const Request& request);
Response SpanAnswer(history::HistoryStore& store);

}  // namespace web
