#include "web/history_api.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <deque>
#include <future>

#include "base/json_writer.h"
#include "history/situation_target.h"
#include "history/time_text.h"
#include "history/track_output.h"
#include "targets/target_export.h"
#include "web/api.h"
#include "web/snapshot.h"

namespace web {
namespace {

using history::TimeMs;

constexpr TimeMs kDayMs = 86400000;

int64_t SystemNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A time parameter: absent gives `fallback`; present but not a time, nullopt.
std::optional<TimeMs> TimeParameter(const Request& request, std::string_view name, std::optional<TimeMs> fallback) {
    const auto text = request.queryValue(name);
    if (!text) return fallback;
    return history::ParseHistoryTime(*text);
}

// The query failed when it gave nothing and the store says why.
bool Failed(const history::HistoryStore& store) { return !store.lastError().empty(); }

Response Json(std::string body, const char* type = "application/json") {
    return Response{200, type, std::move(body), {{"Cache-Control", "no-store"}}, false};
}

}  // namespace

Response TrackAnswer(history::HistoryStore& store, int32_t mmsi, const Request& request, int64_t nowMs) {
    const auto to = TimeParameter(request, "to", nowMs);
    const auto from = to ? TimeParameter(request, "from", *to - kDayMs) : std::nullopt;
    if (!to || !from) return JsonError(400, "from and to are times: ISO 8601 with a zone, or UNIX seconds");
    if (*from > *to) return JsonError(400, "from is after to");
    if (*to - *from > HistoryApi::kMaxTrackDays * kDayMs) {
        return JsonError(400, "a track covers at most " + std::to_string(HistoryApi::kMaxTrackDays) +
                                  " days; ask for it in parts");
    }
    const std::string format = request.queryValue("format").value_or("json");
    static const std::pair<const char*, const char*> kFormats[] = {{"json", "application/json"},
                                                                   {"geojson", "application/geo+json"},
                                                                   {"gpx", "application/gpx+xml"},
                                                                   {"csv", "text/csv; charset=utf-8"}};
    const auto known = std::find_if(std::begin(kFormats), std::end(kFormats),
                                    [&](const auto& f) { return format == f.first; });
    if (known == std::end(kFormats)) return JsonError(400, "format is json, geojson, gpx or csv");

    // A station that reported very often: the newest points, which a viewer
    // wants first, kept as the track is read, so a month of it never sits
    // in memory whole.
    std::deque<history::PositionRow> newest;
    const history::Status read = store.visitTrack(mmsi, *from, *to, [&newest](const history::PositionRow& p) {
        if (newest.size() == HistoryApi::kMaxTrackPoints) newest.pop_front();
        newest.push_back(p);
        return true;
    });
    if (!read.ok()) return JsonError(503, "history: " + read.error);
    const std::vector<history::PositionRow> track(newest.begin(), newest.end());
    std::string body;
    history::WriteTrack({.format = format, .points = false, .mmsi = mmsi}, track, body);
    return Json(std::move(body), known->second);
}

Response SituationAnswer(history::HistoryStore& store, const Request& request) {
    const auto at = TimeParameter(request, "at", std::nullopt);
    if (!at) return JsonError(400, "at is a time: ISO 8601 with a zone, or UNIX seconds");
    int windowSeconds = 600;
    if (const auto w = request.queryValue("window")) {
        const auto r = std::from_chars(w->data(), w->data() + w->size(), windowSeconds);
        if (r.ec != std::errc() || r.ptr != w->data() + w->size() || windowSeconds < 1 || windowSeconds > 86400) {
            return JsonError(400, "window is 1 to 86400 seconds");
        }
    }
    const bool compact = request.queryValue("form").value_or("") == "compact";
    const std::vector<history::SituationEntry> entries = store.situation(*at, TimeMs{windowSeconds} * 1000);
    if (entries.empty() && Failed(store)) return JsonError(503, "history: " + store.lastError());

    base::OutputBuffer out;
    base::JsonWriter j(out);
    j.beginObject();
    j.field("at", history::IsoTime(*at));
    j.key("targets");
    j.beginArray();
    int number = 0;
    for (const history::SituationEntry& e : entries) {
        const targets::TargetRecord t = history::TargetOfSituation(e);
        if (compact) {
            WriteCompactTarget(j, t, false, static_cast<double>(*at - e.position.time) / 1000.0);
        } else {
            targets::WriteTargetJson(j, t, ++number, 0);
        }
    }
    j.endArray();
    j.endObject();
    return Json(std::string(out.view()));
}

Response SpanAnswer(history::HistoryStore& store) {
    const auto span = store.span();
    if (!span && Failed(store)) return JsonError(503, "history: " + store.lastError());
    base::OutputBuffer out;
    base::JsonWriter j(out);
    j.beginObject();
    j.key("first");
    if (span) j.value(history::IsoTime(span->first));
    else j.null();
    j.key("last");
    if (span) j.value(history::IsoTime(span->second));
    else j.null();
    j.endObject();
    return Json(std::string(out.view()));
}

struct HistoryApi::Job {
    Query query;
    std::promise<Response> answer;
};

HistoryApi::HistoryApi(std::string location, std::function<int64_t()> nowMs)
    : location_(std::move(location)), nowMs_(nowMs ? std::move(nowMs) : SystemNowMs) {
    worker_ = std::thread([this] { work(); });
}

HistoryApi::~HistoryApi() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
    // Whoever still waits gets an answer rather than a broken promise.
    for (auto& job : jobs_) job->answer.set_value(JsonError(503, "history closed"));
}

void HistoryApi::work() {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        if (!store_) {
            history::OpenResult opened = history::OpenHistoryStore(location_);
            if (!opened.store) {
                job->answer.set_value(JsonError(503, "history: " + opened.error));
                continue;
            }
            store_ = std::move(opened.store);
        }
        Response r = job->query(*store_);
        // A store that failed is opened afresh for the next question.
        if (r.status == 503) store_.reset();
        job->answer.set_value(std::move(r));
    }
}

Response HistoryApi::run(Query query) {
    auto job = std::make_shared<Job>();
    job->query = std::move(query);
    std::future<Response> answer = job->answer.get_future();
    {
        std::lock_guard lock(mutex_);
        if (jobs_.size() >= kMaxWaiting) return JsonError(503, "history busy; ask again");
        jobs_.push_back(job);
    }
    wake_.notify_one();
    if (answer.wait_for(std::chrono::milliseconds(kWaitMs)) != std::future_status::ready) {
        return JsonError(503, "history query took too long");
    }
    return answer.get();
}

Response HistoryApi::handle(const Request& request) {
    const std::string& path = request.path;
    if (path == "/api/history") return run([](history::HistoryStore& s) { return SpanAnswer(s); });
    if (path == "/api/situation") {
        return run([request](history::HistoryStore& s) { return SituationAnswer(s, request); });
    }
    static const std::string kPrefix = "/api/targets/", kSuffix = "/track";
    if (path.size() > kPrefix.size() + kSuffix.size() && path.compare(0, kPrefix.size(), kPrefix) == 0 &&
        path.compare(path.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0) {
        const std::string digits = path.substr(kPrefix.size(), path.size() - kPrefix.size() - kSuffix.size());
        int32_t mmsi = 0;
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), mmsi);
        if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || mmsi <= 0 || mmsi > 999999999) {
            return JsonError(404, "no such target");
        }
        const int64_t now = nowMs_();
        return run([request, mmsi, now](history::HistoryStore& s) { return TrackAnswer(s, mmsi, request, now); });
    }
    return JsonError(404, "no such path");
}

}  // namespace web
