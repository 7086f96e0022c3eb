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
// kMaxTrailPoints points: when full, every second point is dropped (the first
// and the newest stay), so a trail always spans the whole run, coarser the
// longer the run. 1000 targets on the move take at most about 25 MB.
#pragma once

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

    // The trail pass: the position of every target that has one.
    void record(const targets::TargetTable& table, base::DateTime now);
    // The trail of entry n (1-based), oldest first; empty when it has none.
    const std::vector<TrailPoint>& trail(int entry) const;

private:
    std::vector<std::vector<TrailPoint>> trails_;  // entry n at n - 1
};

// GPX 1.1: one track per target with at least one trail point, in entry
// order, named by the target's name (its MMSI when it has none), with the
// MMSI in the description and the class as the type; the points' times in
// UTC. Texts are escaped for XML.
std::string TracksGpx(const targets::TargetTable& table, const TrailStore& trails);

}  // namespace plot
