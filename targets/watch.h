// Watch-keeping over the target table: which entry is the own ship, the
// closest approach of every other target to it, and the collision alarm.
//
//   const int own = targets::OwnShipEntry(table, state);
//   targets::UpdateApproach(table, own, n, alarm);   // after entry n moved
//   targets::UpdateAllApproaches(table, own, alarm); // after the own ship moved
//   if (table.entry(n).Dangerous && !table.entry(n).AlarmAcknowledged) ...
//
// A target is dangerous when its closest approach lies ahead within the CPA
// and TCPA limits and it is within the range limit, unless it is lost, or an
// anchored/moored class A vessel or a class B vessel that the settings
// ignore. A distress beacon (SART, man overboard, EPIRB: MMSI 970xxxxxx,
// 972xxxxxx, 974xxxxxx) is dangerous whatever its approach, also without an
// own ship.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "input/run_state.h"
#include "targets/cpa.h"
#include "targets/target_table.h"

namespace targets {

struct AlarmSettings {
    double cpaLimit = 0.5;    // nautical miles
    double tcpaLimit = 12;    // minutes
    double rangeLimit = 12;   // nautical miles
    bool ignoreMoored = true;  // anchored or moored class A vessels
    bool ignoreClassB = false;
    bool operator==(const AlarmSettings&) const = default;
};

// The own ship: the station of our VDO messages, else the chosen vessel of the
// "From VDM msg, MMSI" reference mode, else none (0).
int OwnShipEntry(const TargetTable& table, const input::RunState& state);

bool IsDistressBeacon(int32_t mmsi);

// Recomputes the closest approach of entry n to entry `own` (0 = no own ship)
// and whether it is dangerous. An entry that stops being dangerous forgets its
// acknowledgement, so it alarms again next time. Returns true when it has
// just become dangerous.
// `plane`, when given, is the own ship's side made once (cpa.h) for its
// current report; without it the call makes its own.
bool UpdateApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm,
                    const ApproachPlane* plane = nullptr);
// The own ship's side of the approach for its current report; none without
// an own ship that has a position and a speed.
std::optional<ApproachPlane> OwnShipPlane(const TargetTable& table, int own);
// The same after the own ship moved, for every entry in use within twice the
// alarm's range limit (at least 24 nm) and every dangerous one; the others
// keep the figures of their own last report. Appends to `raised` the entries
// that have just become dangerous.
void UpdateAllApproaches(TargetTable& table, int own, const AlarmSettings& alarm, std::vector<int>& raised);
// Both of the above give exact figures near or inside the alarm's limits and
// the plane's estimate (cpa.h) where it is clearly outside one, cheap enough for every
// report of a busy feed. This makes every estimate exact; called at the
// display's pace (and before a headless run prints its table), it costs one
// exact computation per target moved since; `plane` is the own ship's side
// (OwnShipPlane). Returns the entries refined;
// appends to `raised` those that have just become dangerous.
int RefineApproaches(TargetTable& table, int own, const AlarmSettings& alarm, const ApproachPlane& plane,
                     std::vector<int>& raised);

// Dangerous entries not acknowledged yet.
int UnacknowledgedAlarms(const TargetTable& table);
// Acknowledges every entry dangerous now.
void AcknowledgeAlarms(TargetTable& table);

// One line of the alarm log (without its line end): local time, MMSI, name,
// CPA (nm), TCPA (min), range (nm), bearing (°), numbers with "." always;
// fields separated by ";", "n/a" where there is no approach.
//   "2026-12-06 14:05:09;257000001;NORDIC STAR;0.31;7.5;2.84;045.2"
std::string AlarmLogLine(base::DateTime when, const TargetRecord& t);

// Appends one line to Alarms.txt in `dataDir` with a single write, so lines
// never interleave or break. False, with the reason in `error`, when it fails.
inline constexpr const char* kAlarmLogFileName = "Alarms.txt";
bool AppendAlarmLog(const std::filesystem::path& dataDir, const std::string& line, std::string& error);

// Texts of the list's CPA ("0.00", nm) and TCPA ("00.0", min) cells; "n/a" when none.
std::string CPAText(const TargetRecord& t);
std::string TCPAText(const TargetRecord& t);

}  // namespace targets
