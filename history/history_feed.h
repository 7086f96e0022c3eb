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
// The thinning and the merging run on the writer's thread (ReportSieve): the
// feed only turns each message into a row and hands it on.
// The time is the sentence's c: time when it has one, else the clock's UTC.
#pragma once

#include <cstdint>
#include <string_view>

#include "ais/message_record.h"
#include "base/clock.h"
#include "base/operator_messages.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "history/report_sieve.h"
#include "targets/target_table.h"

namespace history {

// Where a message came from.
struct FeedOrigin {
    int input = 0;
    std::string_view source;   // s: tag, may be empty
    int64_t tagTime = -1;      // c: tag as received (UNIX seconds, or milliseconds), -1 none
};

// The time of a message: its c: time when it has one, else the clock's UTC.
TimeMs FeedTime(const FeedOrigin& origin, const base::Clock& clock);
// The station class stored with a position: the table entry's class when
// the table took the message (null: not), else the one its type implies.
StationClass FeedClass(int type, const targets::TargetRecord* entry);
// Adds the rows of a decoded message of `type` to `into` (a position report's
// position with `stationClass`, static data, a text or binary message as its
// JSON); true when it added a position, the last of into's positions. A
// replay's decoding thread makes rows so while the table's thread applies the
// messages, which then only settles each position's class (setClass) before
// the rows go to the writer (HistoryFeed::handOver).
bool MakeHistoryRows(int type, const ais::AISMessageRecord& record, const FeedOrigin& origin, TimeMs time,
                     StationClass stationClass, HistoryWriter::Gathered& into);

class HistoryFeed {
public:
    HistoryFeed(HistoryWriter& writer, const base::Clock& clock, base::MessageSink* notices = nullptr);

    void setRule(const ThinningRule& rule) { writer_.sieve(rule); }
    // The latest stored static data of the stations heard in the last day, so
    // a restart stores none again that did not change.
    void seed(HistoryStore& store);

    // A decoded message of `type` in `record`; entry is the table entry it
    // updated (null when the table did not take it).
    void take(int type, const ais::AISMessageRecord& record, const FeedOrigin& origin,
              const targets::TargetRecord* entry);

    // Hands the rows gathered since the last call to the writer. The
    // feed gathers them to take the writer's lock once per many rows; its
    // caller flushes after each piece of input it handled (and before the
    // writer stops), so none waits longer than that piece.
    void flush();

    // Hands rows made apart (MakeHistoryRows) to the writer, after what
    // take() gathered; empties `rows`.
    void handOver(HistoryWriter::Gathered& rows);

    int64_t positionsThinned() const { return writer_.counts().thinned; }

private:
    void passNotices();

    HistoryWriter& writer_;
    const base::Clock& clock_;
    base::MessageSink* notices_;
    HistoryWriter::Gathered gathered_;
};

}  // namespace history
