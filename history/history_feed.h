// HistoryFeed: turns the decoded messages that reached the target table into
// history rows and hands them to the writer thread.
//
//   history::HistoryFeed feed(writer, clock, &events);   // events: notices for the operator
//   feed.seed(*readerStore);                              // the static data stored before
//   receiver.setHistory(&feed);                           // the Receiver calls take()
//
// What is kept:
// - position reports (types 1-3, 4, 9, 18, 19, 21, 27) with a position,
//   thinned per station by ThinningRule (KeepPosition);
// - static and voyage data (types 5, 19, 21, 24): the station's data as known
//   after the report (fields of its earlier reports kept, as type 24 sends
//   its name and the rest in two parts), stored only when the report changed
//   a field (MergeStatic);
// - text, safety and binary messages (6, 8, 12, 14, 25, 26) as the JSON object
//   `orvanta-cli decode` prints for them.
// The time is the sentence's c: time when it has one, else the clock's UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "ais/message_record.h"
#include "base/clock.h"
#include "base/operator_messages.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "history/station_slots.h"
#include "targets/target_table.h"

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
bool KeepPosition(const LastKept* last, const PositionRow& row, const ThinningRule& rule);

// Writes the fields `report` carries (a non-empty text, a value) into
// `known`, with the report's time, input, source and type; true when one of
// them differed from what `known` held.
bool MergeStatic(StaticRow& known, const StaticRow& report);

// Where a message came from.
struct FeedOrigin {
    int input = 0;
    std::string_view source;   // s: tag, may be empty
    int64_t tagTime = -1;      // c: tag as received (UNIX seconds, or milliseconds), -1 none
};

class HistoryFeed {
public:
    HistoryFeed(HistoryWriter& writer, const base::Clock& clock, base::MessageSink* notices = nullptr);

    void setRule(const ThinningRule& rule) { rule_ = rule; }
    // The latest stored static data of the stations heard in the last day, so
    // a restart stores none again that did not change.
    void seed(HistoryStore& store);

    // A decoded message of `type` in `record`; entry is the table entry it
    // updated (null when the table did not take it).
    void take(int type, const ais::AISMessageRecord& record, const FeedOrigin& origin,
              const targets::TargetRecord* entry);

    // Hands the positions gathered since the last call to the writer. The
    // feed gathers them to take the writer's lock once per many rows; its
    // caller flushes after each piece of input it handled (and before the
    // writer stops), so none waits longer than that piece.
    void flush();

    int64_t positionsThinned() const { return thinned_; }
    // Entries of per-station state (thinning, static data) the feed keeps:
    // those of stations heard within the last hour of report time.
    size_t stateEntries() const { return stations_.size() + known_.size(); }

private:
    // What the feed keeps of a station heard lately: small, as every
    // report looks it up; its static data lives apart (fewer reports need it).
    struct Station {
        TimeMs heard = 0;
        bool hasKept = false;
        bool hasStatic = false;
        LastKept kept;
    };
    void takePosition(Station& s, const PositionRow& row, std::string_view source);
    void takeStatic(Station& s, StaticRow report);
    void takeMessage(int type, const ais::AISMessageRecord& record, MessageRow row);
    void forgetSilentStations(TimeMs now);
    void passNotices();

    HistoryWriter& writer_;
    const base::Clock& clock_;
    base::MessageSink* notices_;
    ThinningRule rule_;
    StationSlots<Station> stations_;
    std::unordered_map<int32_t, StaticRow> known_;  // of stations in stations_
    HistoryWriter::Positions gathered_;
    TimeMs nextSweep_ = 0;
    int64_t thinned_ = 0;
};

}  // namespace history
