// Watch-keeping over the target table: which entry is the own ship, where
// each target is as far as the watch knows, the closest approach of every
// other target to the own ship, and the collision alarm.
//
//   const int own = targets::OwnShipEntry(table, state);
//   targets::AlarmEpisodes episodes;
//   targets::UpdateApproach(table, own, n, alarm, now, episodes);   // after entry n moved
//   targets::UpdateAllApproaches(table, own, alarm, now, episodes); // after the own ship moved
//   for (int n : episodes.started) ...   // log AlarmLogLine, sound the alarm
//   for (int n : episodes.ended) ...     // log AlarmEndLogLine
//
// Whereabouts: a position is known while it is no older than the entry's
// lost time; a range and bearing are known for a known position once the
// reference is established (a manual position, or the own ship's or the
// chosen vessel's position). Without them the list, the exports and the
// approach show nothing rather than a stale or a zero figure.
//
// Alarm episodes: a target becomes dangerous when its closest approach lies
// ahead inside the CPA and TCPA limits and it is inside the range limit (or,
// with a guard zone, when a vessel under way comes inside it); it stays
// dangerous until it is clearly outside again (CPA or range beyond its limit
// by 10 %, TCPA behind or beyond its limit by a minute, or out of the guard
// zone by 10 %), so figures wobbling around a limit make one episode. After an
// episode a target alarms again only when it has been clear for a minute. A
// lost target, an anchored/moored class A vessel or a class B vessel the
// settings ignore is not dangerous by its approach. A distress beacon (SART,
// man overboard, EPIRB: MMSI 970xxxxxx, 972xxxxxx, 974xxxxxx) is dangerous
// whatever its approach, also without an own ship.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "targets/reference.h"
#include "targets/cpa.h"
#include "targets/target_table.h"

namespace targets {

struct AlarmSettings {
    double cpaLimit = 0.5;    // nautical miles
    double tcpaLimit = 12;    // minutes
    double rangeLimit = 12;   // nautical miles
    bool ignoreMoored = true;  // anchored or moored class A vessels
    bool ignoreClassB = false;
    // Any vessel not anchored or moored closer than this alarms (nm; 0 = off).
    double guardZone = 0;
    bool operator==(const AlarmSettings&) const = default;
};

// The own ship: the station of our VDO messages, else the chosen vessel of the
// "From VDM msg, MMSI" reference mode, else none (0).
int OwnShipEntry(const TargetTable& table, const targets::Reference& state);

bool IsDistressBeacon(int32_t mmsi);

// How far beyond a limit a dangerous target must be to be clear again, and
// how long it must have been clear to alarm again.
inline constexpr double kAlarmClearMargin = 0.10;       // of the CPA, range and guard limits
inline constexpr double kAlarmClearTCPAMinutes = 1.0;  // beyond the TCPA limit
inline constexpr double kAlarmRearmSeconds = 60.0;

// Entries whose alarm episode began or ended in one update.
struct AlarmEpisodes {
    std::vector<int> started;
    std::vector<int> ended;
    bool empty() const { return started.empty() && ended.empty(); }
    void clear() {
        started.clear();
        ended.clear();
    }
};

// The figures of entry t (its approach, its range from the own ship, its
// status) are inside every limit, so an episode may begin; or not clearly
// outside them, so a running episode goes on.
bool EntersAlarm(const TargetRecord& t, const AlarmSettings& a);
bool StaysInAlarm(const TargetRecord& t, const AlarmSettings& a);

// Message types that carry a position (when the station has one).
bool CarriesPosition(int type);
// The reference ranges are measured from is there: a manual position, the
// own ship's position ("From VDO msg") or the chosen vessel's ("From VDM
// msg"); never in "No Ref pos".
bool ReferenceEstablished(const TargetTable& table, const targets::Reference& state);
// The entry the reference follows in the "From VDO" and "From VDM" modes; 0
// none. What the two calls above and below look up; a caller that knows it
// (kept while TargetTable::Membership() and OwnShipIndex() stay) gives it.
int ReferenceEntry(const TargetTable& table, const targets::Reference& state);
bool ReferenceEstablished(const TargetTable& table, const targets::Reference& state, int referenceEntry);
// Entry n took a message of `type` at `now` (monotonic seconds): its
// position time, PositionKnown and RangeKnown. The table has already
// measured its range from the reference in use.
void NoteMessage(TargetTable& table, int n, int type, const targets::Reference& state, double now);
void NoteMessage(TargetTable& table, int n, int type, const targets::Reference& state, double now,
                 int referenceEntry);
// The reference changed (another mode, a new manual position, the own ship's
// first position): every entry's range and bearing are measured again (in a
// mode that follows a station, from where it is now); the entries whose
// figures changed are appended to `changed`.
void MeasureAllRanges(TargetTable& table, targets::Reference& state, double now, std::vector<int>& changed);
// Positions that have grown older than their entry's lost time by `now`:
// those entries lose PositionKnown and RangeKnown and are appended to `changed`.
void AgePositions(TargetTable& table, double now, std::vector<int>& changed);

// Recomputes the closest approach of entry n to entry `own` (0 = no own ship)
// and whether it is dangerous, as of `now` (monotonic seconds); an episode
// that begins or ends is added to `episodes`. An entry that stops being
// dangerous forgets its acknowledgement.
// `plane`, when given, is the own ship's side made once (cpa.h) for its
// current report; without it the call makes its own.
void UpdateApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm, double now,
                    AlarmEpisodes& episodes, const ApproachPlane* plane = nullptr);
// The own ship's side of the approach for its current report; none without
// an own ship that has a known position and a speed.
std::optional<ApproachPlane> OwnShipPlane(const TargetTable& table, int own);
// The same after the own ship moved, for every entry in use within twice the
// alarm's range limit (at least 24 nm) and every dangerous one; the others
// keep the figures of their own last report.
void UpdateAllApproaches(TargetTable& table, int own, const AlarmSettings& alarm, double now,
                         AlarmEpisodes& episodes);
// Both of the above give exact figures near or inside the alarm's limits and
// the plane's estimate (cpa.h) where it is clearly outside one, cheap enough
// for every report of a busy feed. This makes every estimate exact; called at
// the display's pace (and before a headless run prints its table), it costs
// one exact computation per target moved since; `plane` is the own ship's
// side (OwnShipPlane). Returns the entries refined.
int RefineApproaches(TargetTable& table, int own, const AlarmSettings& alarm, const ApproachPlane& plane, double now,
                     AlarmEpisodes& episodes);

// For a run that reads the approach figures only after RefineApproaches (a
// headless replay), instead of UpdateApproach after a report of entry n:
// when its estimate lies clearly beyond the alarm's range, so that
// UpdateApproach would leave it not dangerous and start no episode, its
// figures are left for RefineApproaches, it is marked estimated and
// CPADeferred, and true is returned. Otherwise nothing changes and false is
// returned (call UpdateApproach). `plane` is the own ship's side for its
// current report; the one making the figures of a busy feed's far targets.
bool DeferApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm, const ApproachPlane& plane);
// The figures a CPADeferred entry would have had from its last report: the
// estimate against `plane`, the own ship's side it was deferred against
// (for a run that ends with no own ship's plane to refine against).
void EstimateDeferred(TargetTable& table, int n, const ApproachPlane& plane);

// Dangerous entries not acknowledged yet.
int UnacknowledgedAlarms(const TargetTable& table);
// Acknowledges every entry dangerous now.
void AcknowledgeAlarms(TargetTable& table);

// The line of the alarm log that begins an episode (without its line end):
// local time, MMSI, name, CPA (nm), TCPA (min), range (nm), bearing (°),
// numbers with "." always; fields separated by ";", "n/a" where a figure is
// not known.
//   "2026-12-06 14:05:09;257000001;NORDIC STAR;0.31;7.5;2.84;045.2"
std::string AlarmLogLine(base::DateTime when, const TargetRecord& t);
// The line that ends it: the same fields as of the end, then "clear" as an
// eighth field, so a reader of the seven fields can tell it apart.
//   "2026-12-06 14:12:40;257000001;NORDIC STAR;0.62;-0.4;0.63;101.7;clear"
inline constexpr const char* kAlarmEndField = "clear";
std::string AlarmEndLogLine(base::DateTime when, const TargetRecord& t);

// Appends one line to the alarm log `file` with a single write, so lines
// never interleave or break. False, with the reason in `error`, when it fails.
inline constexpr const char* kAlarmLogFileName = "Alarms.txt";
bool AppendAlarmLog(const std::filesystem::path& file, const std::string& line, std::string& error);

// Silence for a while (Options > Silence alarm): the alarm stays shown, only
// its sound stops; an episode that begins later sounds again.
class AlarmSilence {
public:
    static constexpr double kSeconds = 300;
    void silence(double now) { until_ = now + kSeconds; }
    void episodeStarted() { until_ = -1; }
    bool silenced(double now) const { return now < until_; }

private:
    double until_ = -1;
};

// Texts of the list's CPA ("0.00", nm) and TCPA ("00.0", min) cells; "n/a" when none.
std::string CPAText(const TargetRecord& t);
std::string TCPAText(const TargetRecord& t);

}  // namespace targets
