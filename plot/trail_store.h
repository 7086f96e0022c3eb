// Where every target has been: its positions, taken once a second for the
// whole run, whether the plot window is open or not, so File > Export
// tracks... has them.
//
//   plot::TrailStore trails;
//   trails.record(table, clock.now());            // once a second
//   std::string gpx = plot::TracksGpx(table, trails);
//
// A point is added only when the target's position differs from its last
// point, so a target at anchor adds nothing. A trail keeps at most
// TrailLimit() points: when full, every second point is dropped (the first
// and the newest stay), so a trail always spans the whole run, coarser the
// longer the run. All trails together stay within kTrailPointBudget points
// (about 25 MB): up to 1000 targets keep 1024 points each, more targets
// fewer each (64 at 16,000 and more). A trail belongs to its station, not to
// its entry number: when an entry is freed, its trail and memory go.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "targets/target_table.h"

namespace plot {

struct TrailPoint {
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    base::DateTime time;   // local time of the pass that found the target there
};

class TrailStore {
public:
    static constexpr size_t kMaxTrailPoints = 1024;
    static constexpr size_t kMinTrailPoints = 64;
    static constexpr size_t kTrailPointBudget = 1024 * 1024;
    // The points a trail keeps while `targets` targets are in the table.
    static size_t TrailLimit(int targets);

    // The trail pass: the position of every target that has one.
    void record(const targets::TargetTable& table, base::DateTime now);
    // The trail of entry n (1-based), oldest first; empty when it has none or
    // the entry now holds another station than the one the trail is of.
    const std::vector<TrailPoint>& trail(const targets::TargetTable& table, int entry) const;

private:
    struct Trail {
        uint32_t generation = 0;  // the entry's generation the points belong to
        std::vector<TrailPoint> points;
    };
    std::vector<Trail> trails_;  // entry n at n - 1
};

// GPX 1.1: one track per target with at least one trail point, in entry
// order, named by the target's name (its MMSI when it has none), with the
// MMSI in the description and the class as the type; the points' times in
// UTC. Texts are escaped for XML.
std::string TracksGpx(const targets::TargetTable& table, const TrailStore& trails);

}  // namespace plot
