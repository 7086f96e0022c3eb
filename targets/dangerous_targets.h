// The dangerous targets as the watch's panel lists them: every entry in use
// whose alarm episode runs (watch.h decides that; this only orders and words
// them), soonest closest approach first.
//
//   for (const targets::DangerousRow& r : targets::DangerousTargets(table)) ...
//
// Order: by TCPA ascending; a target without an approach (a distress beacon
// with no own ship) after every one with one; equal TCPAs by range from the
// own ship, nearer first (an unknown range last); then by entry number, so
// the order does not jump between two refreshes of equal figures.
#pragma once

#include <string>
#include <vector>

#include "targets/target_table.h"

namespace targets {

struct DangerousRow {
    int entry = 0;
    std::string name;      // the name as received, else the MMSI
    std::string cpa;       // "0.31" nm, "n/a"
    std::string tcpa;      // "07.5" min, "n/a"
    std::string range;     // "2.84" nm from the own ship, "" unknown
    std::string bearing;   // "045.2" degrees true from the own ship, "" unknown
};

std::vector<int> DangerousEntries(const TargetTable& table);
std::vector<DangerousRow> DangerousTargets(const TargetTable& table);

}  // namespace targets
