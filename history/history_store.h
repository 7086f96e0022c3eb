// HistoryStore: what the station heard, kept for later questions — where was
// this ship yesterday at 14:00, what was around us when the alarm rang, when
// did we last hear MMSI 244123456.
//
// One interface, two back ends: a SQLite file in the data folder (the
// default, one desk) and a PostgreSQL/PostGIS server (a network of stations
// writing to one database). The receive pipeline never calls a store
// directly: it hands rows to a writer thread (history/history_writer.h),
// which appends them in batches; readers (the time bar, `orvanta-cli
// history`, the web API) open their own store object on the same location.
//
// Times are UTC, milliseconds since 1970-01-01 (the reception time: the
// sentence's c: tag when it has one, else the station's clock). Every call
// reports failure as a value; nothing here throws across the interface.
//
//   auto store = history::OpenHistoryStore("/var/lib/orvanta/History.sqlite");
//   if (!store.store) fail(store.error);
//   auto track = store.store->track(244123456, from, to);
//   auto page = store.store->trackPage(244123456, {from}, to, 5000);   // a long period, in pages
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/big_buffer.h"

namespace history {

// Milliseconds since 1970-01-01T00:00:00Z.
using TimeMs = int64_t;

// Which kind of station a row comes from, as the target list shows it.
enum class StationClass : char {
    ClassA = 'A',
    ClassB = 'B',
    BaseStation = 'S',
    AidToNavigation = 'N',
    SarAircraft = 'R',
    Unknown = '?',
};

// One position report (types 1-3, 4, 9, 18, 19, 21, 27). A field the report
// marks "not available" is std::nullopt and stored as NULL.
struct PositionRow {
    TimeMs time = 0;
    int32_t mmsi = 0;
    int16_t input = 0;      // the receiver's input number
    std::string source;     // station name of the s: tag, empty when none
    uint8_t type = 0;       // message type
    StationClass stationClass = StationClass::Unknown;
    double latitude = 0;    // degrees, north positive
    double longitude = 0;   // degrees, east positive
    std::optional<float> sog;        // knots
    std::optional<float> cog;        // degrees
    std::optional<int16_t> heading;  // degrees
    std::optional<int16_t> navStatus;
    bool operator==(const PositionRow&) const = default;
};

// A position as it waits in a writer's queue: plain values, half the size
// of a PositionRow and copied without a string; its source is a number in
// the list of sources it came with (QueuedPositions; 0: none). A feed fills
// it directly, and a store may take it as it is.
struct QueuedPosition {
    enum Known : uint8_t { kSog = 1, kCog = 2, kHeading = 4, kNavStatus = 8 };
    static QueuedPosition Of(const PositionRow& row);  // (source 0)

    TimeMs time = 0;
    double latitude = 0, longitude = 0;
    int32_t mmsi = 0;
    float sog = 0, cog = 0;
    int16_t heading = 0, navStatus = 0, input = 0;
    uint8_t type = 0;
    StationClass stationClass = StationClass::Unknown;
    uint8_t known = 0;  // which of sog, cog, heading, navStatus it has (Known)
    uint32_t source = 0;

    std::optional<float> knownSog() const { return known & kSog ? std::optional(sog) : std::nullopt; }
    std::optional<float> knownCog() const { return known & kCog ? std::optional(cog) : std::nullopt; }
    std::optional<int16_t> knownHeading() const { return known & kHeading ? std::optional(heading) : std::nullopt; }
    std::optional<int16_t> knownNavStatus() const {
        return known & kNavStatus ? std::optional(navStatus) : std::nullopt;
    }
};

// Queued positions with the sources they name.
struct QueuedPositions {
    base::BigVector<QueuedPosition> rows;
    std::vector<std::string> sources{std::string()};
    // A source's number in sources (0: none); new when it differs from the last.
    uint32_t number(std::string_view source);
    // Row k as a PositionRow.
    PositionRow row(size_t k) const;
};

// A station's static and voyage data (types 5, 19, 21, 24) as known after a
// report that changed a field of it: the fields of its earlier reports are
// kept (type 24 sends the name and the rest in two parts), so the latest row
// is the whole picture. Texts as decoded (trailing '@' and blanks removed);
// an empty text or nullopt: never sent.
struct StaticRow {
    TimeMs time = 0;
    int32_t mmsi = 0;
    int16_t input = 0;
    std::string source;
    uint8_t type = 0;
    std::string name;
    std::string callSign;
    std::optional<int32_t> imo;
    std::optional<int16_t> shipType;
    std::optional<int16_t> dimA, dimB, dimC, dimD;  // metres
    std::optional<float> draught;                   // metres
    std::string destination;
    std::string eta;  // "MM-DD hh:mm" as sent, empty when not available
    bool operator==(const StaticRow&) const = default;
};

// A text, safety or binary message (types 6, 8, 12, 14, 25, 26), kept whole
// as its decoded JSON object (the fields `orvanta-cli decode` prints).
struct MessageRow {
    TimeMs time = 0;
    int32_t mmsi = 0;
    int16_t input = 0;
    std::string source;
    uint8_t type = 0;
    std::string json;
    bool operator==(const MessageRow&) const = default;
};

// What the writer appends in one transaction.
struct Batch {
    std::vector<PositionRow> positions;
    std::vector<StaticRow> statics;
    std::vector<MessageRow> messages;
    bool empty() const { return positions.empty() && statics.empty() && messages.empty(); }
};

// One station at a past moment: its last position at or before the moment
// (not older than the situation's window) and its last static data before it.
struct SituationEntry {
    PositionRow position;
    std::optional<StaticRow> statics;
};

// Where and when a station was last heard, for a search by MMSI, name or
// call sign.
struct LastSeen {
    int32_t mmsi = 0;
    std::string name;
    std::string callSign;
    TimeMs time = 0;
    std::optional<double> latitude, longitude;
};

struct HourCount {
    TimeMs hour = 0;  // start of the hour
    int64_t positions = 0;
    int64_t statics = 0;
    int64_t messages = 0;
};

// How long rows are kept. A store drops the oldest rows (whole days where it
// can) until both limits hold; 0 means no limit of that kind.
struct Retention {
    int days = 30;
    int64_t maxBytes = int64_t{2} * 1024 * 1024 * 1024;
};

// A call's failure as text for the operator; ok() when empty. A query
// ended by cancel() fails with `cancelled` set.
struct Status {
    std::string error;
    bool cancelled = false;
    bool ok() const { return error.empty(); }
    static Status Cancelled() { return {"the query was cancelled", true}; }
};

// Where the next page of a track starts: at `time`, after the first `skip`
// rows with exactly that time (the page before ended among them).
struct TrackCursor {
    TimeMs time = 0;
    int64_t skip = 0;
    bool operator==(const TrackCursor&) const = default;
};

struct TrackPage {
    std::vector<PositionRow> rows;
    std::optional<TrackCursor> next;  // where the next page starts; nullopt: this was the last
    Status status;                    // a failure or a cancel: the rows are not the whole page
};

class HistoryStore {
public:
    virtual ~HistoryStore() = default;

    // Appends the batch as one transaction: all of it or none. A position
    // outside -90..90 / -180..180 (or not a number) is refused, and with it the batch.
    virtual Status append(const Batch& batch) = 0;
    // The same for `rest` with `positions` as more of its positions (after
    // rest.positions): a writer's queue as it is. This default makes them
    // rows and calls append(); a store may take them without.
    virtual Status appendQueued(const QueuedPositions& positions, const Batch& rest);

    // The stored positions of one station with from <= time <= to, oldest first.
    virtual std::vector<PositionRow> track(int32_t mmsi, TimeMs from, TimeMs to) = 0;
    // The same rows handed to visit one at a time, while it returns true, so
    // a track of months needs no memory for all of it. Ok when the rows ran
    // out or visit stopped them; Status::Cancelled() when cancel() ended it.
    // (This default reads the whole track first; the back ends read a part
    // at a time.)
    virtual Status visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                              const std::function<bool(const PositionRow&)>& visit);
    // At most `limit` rows of the track from `at` to `to`, and where the next
    // page starts: the pages of a period join to its track.
    //   auto page = store.trackPage(mmsi, {from}, to, 10000);
    //   while (page.status.ok() && page.next) page = store.trackPage(mmsi, *page.next, to, 10000);
    TrackPage trackPage(int32_t mmsi, TrackCursor at, TimeMs to, size_t limit);
    // Ends the query that runs on this store object now, from any other
    // thread (the time bar's "stop", a web client gone): it returns what it
    // has with Status::Cancelled(). A query started later runs normally.
    virtual void cancel() {}
    // Every station with a position in (at - window, at], each with its
    // latest such position and the latest static row at or before at.
    virtual std::vector<SituationEntry> situation(TimeMs at, TimeMs window) = 0;
    // Stations whose MMSI (as digits), name or call sign contains text
    // (case-insensitive), the most recently heard first.
    virtual std::vector<LastSeen> lastSeen(std::string_view text, int limit) = 0;
    // Rows per hour with from <= time < to.
    virtual std::vector<HourCount> countsPerHour(TimeMs from, TimeMs to) = 0;
    // The stored messages (types 6, 8, 12, ...) with from <= time <= to.
    virtual std::vector<MessageRow> messages(TimeMs from, TimeMs to) = 0;
    // The earliest and latest stored time; nullopt when the store is empty.
    virtual std::optional<std::pair<TimeMs, TimeMs>> span() = 0;

    // Drops what the retention no longer keeps, measured from now.
    virtual Status applyRetention(const Retention& retention, TimeMs now) = 0;

    // Text of the last failure of any call (a query that failed returns no rows).
    virtual std::string lastError() const = 0;
};

struct OpenResult {
    std::unique_ptr<HistoryStore> store;
    // Without a store: why none could be opened. With one: a notice for the
    // operator (a damaged file was set aside and a new store started), or empty.
    std::string error;
};

// A SQLite file (made when missing) or a "postgresql://" URL. A station that
// writes to a server gives a spool file: batches the server cannot take wait
// there (history/pg/open_pg_store.h); readers give none.
OpenResult OpenHistoryStore(std::string_view location, const std::string& spoolPath = {});

}  // namespace history
