// The station's read-only HTTP API and page: which path answers what.
//
//   GET /                          the page (its own files, and Leaflet from Debian's libjs-leaflet)
//   GET /api/targets               {"targets": [...]}, the fields of replay's JSON
//   GET /api/targets.geojson       a FeatureCollection of the targets
//   GET /api/targets/{mmsi}        that station's entries with their reception statistics
//   GET /api/targets/{mmsi}/track?from=&to=   its stored positions (history)
//   GET /api/situation?at=         every station at a past moment (history)
//   GET /api/history               the first and last stored time (history)
//   GET /api/stats                 run counters, per input, per message type
//   GET /api/alarms                the dangerous targets
//   GET /api/coverage              per input and forwarding station: messages, farthest report per 10° over 24 h
//   GET /api/coast?w=&s=&e=&n=&z=  land, lakes and islands of a view as GeoJSON, simplified to its zoom
//   GET /api/events                Server-Sent Events: targets (at most once a second each), alarms, notices
//
// The lists are made on the receive thread when asked and kept for a second
// (web/snapshot.h), so a flood of requests costs the receive thread at most
// one build of each a second.
// Any other path is 404; the page's files are a fixed list of names, so no
// path reaches the file system.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "web/http_server.h"
#include "web/snapshot.h"

namespace web {

struct StaticFile {
    std::string contentType;
    std::string body;
};

// The page's own files (built into the program) and Leaflet's files from
// leafletDir (Debian's /usr/share/javascript/leaflet); a Leaflet file that
// cannot be read is left out and answered 404.
std::map<std::string, StaticFile> PageFiles(const std::string& leafletDir);

class Api {
public:
    // Called on the HTTP thread; each must be safe there (the station runs
    // view and targetDetail on the receive thread and waits for the text).
    struct Sources {
        std::function<std::string(View)> view;
        // Optional: starts making a view anew and calls done with its text
        // (and that text as gzip, or empty) from any thread when it is made;
        // an empty text: it could not be. With it, a view asked for again
        // after a second is answered at once with the text of the last
        // making (at most kStaleSeconds old) while the next one is made, so
        // no client waits for a large list to be made.
        std::function<void(View, std::function<void(std::string text, std::string gzip)> done)> refresh;
        // The clock of the views' ages; the steady clock unless given (tests).
        std::function<std::chrono::steady_clock::time_point()> clock;
        // The detail of one MMSI as TargetDetailJson gives it, empty when unknown.
        std::function<std::string(int32_t mmsi)> targetDetail;
        // Answers /api/targets/{mmsi}/track, /api/situation and /api/history
        // (web/history_api.h); none: 503.
        std::function<Response(const Request&)> history;
        // The land of a view (west, south, east, north, zoom) as GeoJSON
        // (web/coast_geojson.h); none: an empty collection.
        std::function<std::string(double, double, double, double, int)> coast;
    };

    Api(std::map<std::string, StaticFile> files, Sources sources);

    static constexpr int kStaleSeconds = 5;

    Response handle(const Request& request);
    // How many times each view was built (the cache's effect).
    int builds(View v) const {
        std::lock_guard lock(mutex_);
        return cache_[static_cast<size_t>(v)].builds;
    }
    // A view made by Sources::refresh; safe from any thread.
    void publish(View v, std::string text, std::string gzip);

private:
    Response view(View v, const char* contentType, const Request& request);
    Response target(const std::string& rest, const Request& request) const;
    Response coast(const Request& request) const;

    struct Cached {
        std::shared_ptr<const std::string> text;
        std::shared_ptr<const std::string> gzip;  // made when first asked for, or with the text
        std::chrono::steady_clock::time_point at;
        int builds = 0;
        bool refreshing = false;
    };
    std::map<std::string, StaticFile> files_;
    Sources sources_;
    mutable std::mutex mutex_;  // guards cache_: publish() comes from other threads
    // Refreshes finishing after the Api is gone find this expired.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
    std::array<Cached, kViewCount> cache_;
};

// A JSON error body: {"error": "text"}.
Response JsonError(int status, const std::string& text);

}  // namespace web
