// What the web side shows of the live table, as ready texts: made on the
// receive thread (the only one that may read the table), served by the HTTP
// thread.
//
//   std::string text = web::BuildView(receiver, web::View::Targets, nowMs);   // receive thread
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {
class Receiver;
}
namespace base {
class JsonWriter;
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
