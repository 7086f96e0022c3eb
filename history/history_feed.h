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

    int64_t positionsThinned() const { return writer_.counts().thinned; }

private:
    // The rarer reports, kept out of take() so that the path of every
    // position report stays short.
    [[gnu::noinline]] void takeStaticOrMessage(int type, const ais::AISMessageRecord& record, TimeMs time,
                                               const FeedOrigin& origin);
    void takeMessage(int type, const ais::AISMessageRecord& record, MessageRow row);
    void passNotices();

    HistoryWriter& writer_;
    const base::Clock& clock_;
    base::MessageSink* notices_;
    HistoryWriter::Gathered gathered_;
};

}  // namespace history
