// ReportSieve: decides which of a feed's reports a history stores. Positions
// are thinned per station by a ThinningRule; static data is stored only when
// a report changed a field of what is known of the station. It keeps state
// only for stations heard within the last hour of report time.
//
//   history::ReportSieve sieve;
//   sieve.setRule(rule);
//   if (sieve.keep(position)) store(position);
//   if (const StaticRow* s = sieve.merge(report)) store(*s);
//
// The writer thread runs it, so the receive pipeline only hands reports on;
// it sees each station's reports in the order they were received.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "history/history_store.h"
#include "history/station_slots.h"

namespace history {

// A station's next position is kept when any of these holds.
struct ThinningRule {
    double minSeconds = 10;     // at least this long after the last kept one
    double courseDegrees = 5;   // the course changed by more (either way round)
    double speedKnots = 1;      // the speed changed by more
    bool statusChange = true;   // the navigational status changed
};

// What the rule compares a new position with: the station's last kept one.
struct LastKept {
    TimeMs time = 0;
    std::optional<float> sog, cog;
    std::optional<int16_t> navStatus;
};

// Whether the rule keeps `row` after `last` (null: the station's first).
// A speed, course or status that becomes known or unknown is a change; a
// position older than the last kept one (a late c: time) is not kept.
bool KeepPosition(const LastKept* last, const QueuedPosition& row, const ThinningRule& rule);
bool KeepPosition(const LastKept* last, const PositionRow& row, const ThinningRule& rule);

// Writes the fields `report` carries (a non-empty text, a value) into
// `known`, with the report's time, input, source and type; true when one of
// them differed from what `known` held.
bool MergeStatic(StaticRow& known, const StaticRow& report);

class ReportSieve {
public:
    void setRule(const ThinningRule& rule) { rule_ = rule; }
    // The latest stored static data of stations (heard as of `now`), so a
    // restart stores none again that did not change.
    void seed(std::vector<StaticRow> known, TimeMs now);

    // Whether `row` is stored; it becomes the station's last kept position.
    bool keep(const QueuedPosition& row);
    bool keep(const PositionRow& row) { return keep(QueuedPosition::Of(row)); }
    // `report` merged into what is known of its station: the row to store
    // when it changed a field, else null. Valid until the next call.
    const StaticRow* merge(const StaticRow& report);

    int64_t thinned() const { return thinned_; }
    // Entries of per-station state: those of stations heard within the last
    // hour of report time (and up to one sweep more).
    size_t stateEntries() const { return stations_.size() + known_.size(); }

private:
    // What is kept of a station heard lately: small, as every position
    // looks it up; its static data lives apart (fewer reports need it).
    struct Station {
        TimeMs heard = 0;
        bool hasKept = false;
        bool hasStatic = false;
        LastKept kept;
    };
    // The station's entry (made when missing), heard at `time`.
    Station& heard(int32_t mmsi, TimeMs time);
    // Drops the state of stations silent for an hour by `now` (every ten
    // minutes of report time).
    void forgetSilentStations(TimeMs now);

    ThinningRule rule_;
    StationSlots<Station> stations_;
    std::unordered_map<int32_t, StaticRow> known_;  // of stations in stations_
    TimeMs nextSweep_ = 0;
    int64_t thinned_ = 0;
};

}  // namespace history
