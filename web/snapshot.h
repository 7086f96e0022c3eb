// What the web side shows of the live table, as ready texts: made on the
// receive thread (the only one that may read the table), served by the HTTP
// thread.
//
//   std::string text = web::BuildView(receiver, web::View::Targets, nowMs);   // receive thread
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/json_writer.h"

namespace app {
class Receiver;
}
namespace targets {
class Coverage;
struct TargetRecord;
}

namespace web {

// The texts the API serves from the live table, each made on the receive
// thread when a client asks and kept for a second, so however many clients
// ask, each costs the receive thread at most one build a second; with no
// client it costs nothing.
enum class View {
    Targets,       // {"targets": [...]}, the fields of replay's JSON, in the list's order
    Compact,       // {"targets": [...]}, what the page's map and table need of each target
    GeoJson,       // a FeatureCollection, one point per target
    Stats,         // run counters, per input, per message type
    Alarms,        // the dangerous targets, soonest closest approach first
    Coverage,      // per input and forwarding station: messages and the farthest report per 10° sector
};
inline constexpr int kViewCount = 6;

// coverage: what the receiver notes of where messages come from (null: the
// coverage view is empty).
std::string BuildView(const app::Receiver& rx, View view, int64_t nowMs, const targets::Coverage* coverage = nullptr);

// A list view (Targets, Compact or GeoJson) made a slice of targets at a
// time, so that a large table never holds the receive thread for long: at
// 20,000 targets the full list is ~40 MB of JSON and a few hundred
// milliseconds of work, which in slices of a few hundred targets lets the
// intake run in between. The targets are those of the list when the build
// began, in its order; one freed meanwhile is left out. Made in one step it
// is the text BuildView gives.
//
//   auto build = std::make_unique<web::ListBuild>(rx, web::View::Targets);   // receive thread
//   while (!build->step(500)) { let the event loop run }
//   std::string text = build->take();
class ListBuild {
public:
    ListBuild(const app::Receiver& rx, View view);
    ListBuild(const ListBuild&) = delete;
    ListBuild& operator=(const ListBuild&) = delete;
    // Writes up to `count` more targets; true when the text is whole.
    bool step(size_t count);
    std::string take();

    static bool IsList(View v) { return v == View::Targets || v == View::Compact || v == View::GeoJson; }

private:
    const app::Receiver& rx_;
    View view_;
    std::vector<int> entries_;
    size_t next_ = 0;
    base::OutputBuffer out_;
    base::JsonWriter j_{out_};
};

// One target with its reception statistics, or empty when no entry has that
// MMSI.
// With a coverage, also which inputs and stations heard it and when ("heard_by").
std::string TargetDetailJson(const app::Receiver& rx, int32_t mmsi, const targets::Coverage* coverage = nullptr);

// The changed entries in the compact form, as {"targets": [...]}, for the
// event stream (an entry freed since is left out).
std::string ChangedTargetsJson(const app::Receiver& rx, const std::vector<int>& entries);

// What the page's map and table show of one target (a tenth of the full form),
// as one object.
void WriteCompactTarget(base::JsonWriter& j, const targets::TargetRecord& t, bool own, double heardSecondsAgo);

}  // namespace web
