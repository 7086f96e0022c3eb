// Target table: one entry per station heard, numbered from 1. Up to the
// capacity (1000 by default, at most 20,000) stations are held at a time.
//
// Lifecycle: a station not heard for its lost-after time is Lost (no CPA, not
// drawn); after the remove-after time its entry is freed (record and
// statistics reset, its row leaves DisplayOrder) and the number is given to a
// later new station. Each freeing bumps the entry's generation, so a holder of
// an entry number (an open window) can tell that its station is gone, and
// takes a vessel's static data into the run's list (run_vessels.h), which a
// later entry of the same vessel gets back. When the table is full, the
// longest-unheard Lost entry makes room for a new station; with none Lost,
// the entry silent longest does, provided it has been silent for the
// displace-after time: only when every station was heard within that time is
// the new station ignored. Our own ship (a VDO message) is never ignored: it
// takes the longest-unheard entry then.
//
// An entry made by a message that tells no class (a binary message, message
// 24) takes the class of the station's first report that tells one, unless
// an entry of that class exists already: one station, one row.
//
// Every decoded message goes through three steps, in this order, each taking
// what the one before returned:
//   const TargetUpdate u = table.AddOrUpdateTarget(kind, type, record, ctx);
//   if (u.taken()) {
//       UpdateStatistics(table.entry(u.entry), kind, channel, type, ...);   // statistics.h
//       ... the list redraws the row of u.entry
//   }
//
// Finding goes through an MMSI index: the result is the lowest-numbered entry
// with the MMSI whose class fits the message type, exactly what a search of
// entries 1..TargetCount in number order gives, without scanning the table.
//
// Units as in the decoded-message record: degrees, knots, metres; the range
// from the reference position in metres, its bearing in radians. -9999 marks a
// value the station reported as not available; Latitude 0 means no position
// received yet.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "ais/message_record.h"
#include "targets/range_bearing.h"
#include "targets/reference.h"
#include "base/date_time.h"
#include "base/operator_messages.h"
#include "geodesy/geodetic.h"
#include "sentence/vdm.h"
#include "targets/run_vessels.h"

namespace targets {

class ShipDatabase;
class FlagIndex;

// Default capacity of the table, and the highest capacity that can be set.
inline constexpr int kMaxTargets = 1000;
inline constexpr int kMaxCapacity = 20000;
// Per-type statistics slots: slot t-1 for message type t (1..27); slot 26 is never written.
inline constexpr int kTypeSlots = 27;
// MsgCount: slot 0 all messages, slot t type t (1..26), slot 27 any other type.
inline constexpr int kCountSlots = 28;

// The table-full message: the capacity, and the displace-after time within
// which every station of the table was heard.
std::string TableFullText(int capacity, int displaceAfter);
inline constexpr const char* kTableFullTitle = "Orvanta";

using SentenceKind = input::SentenceKind;

// A position that ranges are measured from or to: latitude within +-90 and
// neither 0 nor -9999 (both mean "not available"), longitude within +-180.
// Latitude 91 and longitude 181 are the air's "not available".
inline bool IsValidPosition(double latitude, double longitude) {
    return latitude >= -90.0 && latitude <= 90.0 && latitude != 0.0 && longitude >= -180.0 && longitude <= 180.0;
}

// Class an entry was created as; decides which message types it takes.
enum class TargetClass : uint8_t { Unknown, A, BS, SAR, B, AtoN };
// What the list shows: "A", "BS", "SAR", "B", "AtoN", "" for Unknown.
const char* ClassCode(TargetClass c);
// What the detail window shows: "Class A Vessel", "Base Station", "SAR Aircraft",
// "Class B Vessel", "Aids to Navigation", "unknown".
const char* ClassText(TargetClass c);

// New until the first sort or ageing after a fresh report ends it; Old once
// silent too long; Lost once silent for the lost-after time; Current otherwise.
enum class TargetStatus : uint8_t { Current, New, Old, Lost };
// What the list shows: "", "NEW", "OLD", "LOST".
const char* StatusText(TargetStatus s);

// What the latest message of one type left in an entry's statistics. One
// struct per type, not one array per figure: a message updates every figure
// of its type, and together they share one or two cache lines instead of
// nine (the table of a busy receiver outgrows the processor's caches).
struct TypeStatistics {
    base::DateTime LastRxTime;
    double Period = 0;       // whole seconds, calendar time
    // Monotonic clock reading of the latest message, behind TimerPeriod, so
    // that does not go wrong across midnight or a change of the computer's clock.
    double RxMonotonic = 0;
    float Expected = 0;      // seconds, 0 = no rule
    float RxTimer = 0;       // seconds since midnight at the last reception
    float PrevRxTimer = 0;
    float TimerPeriod = 0;   // seconds between the last two receptions
    // The sentence's channel character; meaningful once a message of the type
    // was counted (LastChannelText).
    char LastChannel = 0;
};

struct TargetRecord {
    // The first cache line holds what the passes over the whole table read
    // (ageing, the whereabouts, the approaches at each report of the own
    // ship): a pass reads one line of most entries rather than three.
    int32_t MMSI = 0;
    TargetClass Class = TargetClass::Unknown;
    TargetStatus Status = TargetStatus::Current;
    // Inside the collision alarm's limits (or a distress beacon); see
    // AlarmAcknowledged.
    bool Dangerous = false;
    // One of the whereabouts (see RangeKnown): the latest position is no
    // older than the lost time.
    bool PositionKnown = false;
    // Monotonic clock readings behind ageing, so it does not go wrong across
    // midnight or a change of the computer's clock: of the latest message,
    // and of the latest report with a position (-1 none).
    double LastMsgMonotonic = 0;
    double PositionMonotonic = -1;
    // The groups a message type carries reach the entry whole (target_copy.cpp).
    ais::PositionFix Fix;
    ais::NavigationStatus Nav;
    float ROT = 0;
    ais::Motion Motion;
    float TrueHeading = 0;
    int16_t UTCSecond = 0;
    ais::CommState Comm;
    int16_t UTCYear = 0;
    int16_t UTCMonth = 0;
    int16_t UTCDay = 0;
    int16_t UTCHour = 0;
    int16_t UTCMinute = 0;
    int16_t ListRow = 0;
    // From the reference position: range() in metres, bearing() in radians true.
    RangeBearing FromReference;
    base::DateTime FirstMsgTime;
    base::DateTime LastMsgTime;
    int32_t TrackedFor = 0;  // whole seconds from FirstMsgTime to LastMsgTime

    // Reception statistics (statistics.h): the counts, and per type slot
    // what the latest message of that type left.
    std::array<int32_t, kCountSlots> MsgCount{};
    int32_t ChACount = 0;
    int32_t ChBCount = 0;
    int32_t VDMCount = 0;
    int32_t VDOCount = 0;

    // Tag block of the latest message: its source (s:, empty none) and
    // reception time (c:, UNIX seconds, -1 none).
    std::string LastSource;
    int64_t LastTagTime = -1;

    // Monotonic clock reading of the first message (LastMsgMonotonic above).
    double FirstMsgMonotonic = 0;
    // Reception quality (statistics.h): reports of kinds with an expected
    // interval, received and expected, and the longest silence in seconds.
    int32_t ReceivedReports = 0;
    double ExpectedReports = 0;
    double LongestGap = 0;

    // Order of first appearance in the run (1, 2, ...): the "unsorted" order
    // of the list, which entry numbers stop giving once freed ones are reused.
    uint32_t Arrival = 0;

    // Closest approach to the own ship (watch.h); HasCPA false when there is
    // none (no own ship, no motion, lost, or this is the own ship).
    bool HasCPA = false;
    // The figures are the plane's estimate (far from the alarm's limits),
    // made exact by RefineApproaches.
    bool CPAEstimated = false;
    // Left by DeferApproach: the figures are older than the entry's last
    // report and stand for the estimate against the own ship's plane of then.
    bool CPADeferred = false;
    double CPA = 0;        // nautical miles
    double TCPA = 0;       // minutes, negative when past
    double OwnRange = 0;   // nautical miles from the own ship
    double OwnBearing = 0; // degrees true from the own ship
    double CPALatitude = 0;   // where the target is at the closest point
    double CPALongitude = 0;
    // Sine and cosine of the course the approach was last computed with
    // (CourseTermsOf, NaN none), kept for the own ship's next report.
    double CourseTermsOf = std::numeric_limits<double>::quiet_NaN();
    double CourseSin = 0, CourseCos = 1;
    // The last time the approach was found clearly beyond the alarm's range
    // (watch.cpp): a range below the estimate's then (nm, 0 none), where the
    // target and the own ship were, and the cosines of those latitudes.
    // Until the two have moved far enough to close the margin, a report
    // needs no new range to be left to the refinement.
    double FarRange = 0;
    double FarLatitude = 0, FarLongitude = 0, FarCos = 1;
    double FarOwnLatitude = 0, FarOwnLongitude = 0, FarOwnCos = 1;
    // Whether the operator has acknowledged the alarm since the entry became
    // Dangerous (above).
    bool AlarmAcknowledged = false;

    // What the watch (watch.h) knows of the entry's whereabouts, kept by the
    // receiver after each message, each ageing and each change of reference:
    // PositionMonotonic and PositionKnown (above), and whether FromReference
    // are measured from the reference in use to that position.
    bool RangeKnown = false;
    // The own ship's range and bearing (OwnRange, OwnBearing) hold also
    // where there is no approach (a target lying still); the guard zone
    // reads them.
    bool HasOwnRange = false;
    // When the latest alarm episode ended (monotonic seconds, -1 none): a
    // new one may begin only after the target was clear for a while.
    double AlarmClearedAt = -1;

    // Above, what every report reads or writes, kept together so a report
    // touches few cache lines of the entry; below, what its type slot and
    // the rarer messages (names, static data, texts) change.
    std::array<TypeStatistics, kTypeSlots> Stats{};
    std::string Country;
    std::string FlagIcon;
    ais::VesselId Id;
    // The name this vessel sent in this run (type 5, 19 or 24 part A), never
    // a placeholder or a name from the ship database; empty until one came.
    // What the ship database keeps of the run.
    std::string ReceivedName;
    ais::ShipKind Ship;
    ais::Dimensions Dim;
    ais::EPFD Epfd;
    ais::Voyage Voyage;
    int16_t DTE = 0;
    int16_t Altitude = 0;
    int16_t RegionalReserved19 = 0;
    int16_t AtoNType = 0;
    ais::CodeText AtoNTypeText;
    int16_t OffPosition = 0;
    int16_t VirtualAtoN = 0;
    std::string NameExtension;
    // What the latest message 24 told: part A the name, part B the rest.
    std::string Name24;
    std::string VendorID24;
    std::string CallSign24;
    ais::ShipKind Ship24;
    ais::Dimensions Dim24;
    float HeightOverKeel = 0;
    int16_t PassengersOnboard = 0;
    std::string LastMessageText;
};

// The channel of the latest message in type slot `slot` as text: "A", "B",
// " " (no channel field), or empty before a message of that type. Slot 26
// stays empty: MsgCount[27] counts the types outside 1-26, which keep no channel.
inline std::string LastChannelText(const TargetRecord& t, int slot) {
    const auto s = static_cast<size_t>(slot);
    return s < 26 && t.MsgCount[s + 1] > 0 ? std::string(1, t.Stats[s].LastChannel) : std::string();
}

// How long stations stay: seconds of silence until Lost (moving class A/B
// vessels, SAR aircraft and others; anchored or moored class A vessels, base
// stations and aids to navigation) and until the entry is freed, and how many
// stations the table holds. A full table with no Lost entry gives the entry
// silent longest to a new station once it has been silent displaceAfter seconds.
struct LifecycleSettings {
    int lostAfterMoving = 360;
    int lostAfterFixed = 1080;
    int removeAfter = 1800;
    int capacity = kMaxTargets;
    int displaceAfter = 60;
    bool operator==(const LifecycleSettings&) const = default;
};
// Range of the displace-after time, seconds.
inline constexpr int kMinDisplaceAfter = 10;
inline constexpr int kMaxDisplaceAfter = 24 * 3600;
// The settings with every value inside its range (times 60 s..24 h, capacity
// 1..kMaxCapacity, remove-after at least the longer lost-after, displace-after
// 10 s..24 h).
LifecycleSettings ClampLifecycle(LifecycleSettings s);

// An entry freed by the lifecycle and the list row (1-based) it had.
struct RemovedTarget {
    int entry = 0;
    int row = 0;
    bool operator==(const RemovedTarget&) const = default;
};

// What the table needs from the rest of the program while it takes a message.
struct TableContext {
    Reference* reference = nullptr;             // reference position and mode (may be null: no reference)
    const ShipDatabase* shipData = nullptr;     // pre-fill of new class A/B entries (may be null)
    FlagIndex* flags = nullptr;                 // flag icons (may be null: no flags)
    base::DateTime now;                          // local date-time of the message
    double monotonic = 0;                       // monotonic seconds of the message
    int binaryStandard = 0;                     // numbering of binary messages (0 IMO, 1 IALA)
};

// What AddOrUpdateTarget did with a message.
enum class TableAction : uint8_t {
    Updated,       // an existing entry took it
    Created,       // a new entry was made for it
    TypeNotTaken,  // skipped: the table attributes no message of this type to a station
    NoMMSI,        // skipped: MMSI 0
    TableFull,     // skipped: a new station while all entries are in use, every one heard within displace-after
    NoEntry,       // skipped: a type that makes no entry (27, and those only counted) from an unknown station
};

// How old a long-range report's position is taken to be: under 5 s when it
// says so (PositionLatency 0), otherwise up to the 3-minute interval such
// reports come at.
inline constexpr double kLongRangeFreshAge = 5;
inline constexpr double kLongRangeStaleAge = 180;

struct TargetUpdate {
    TableAction action = TableAction::TypeNotTaken;
    int entry = 0;  // the entry touched (1..EntryCount()), 0 when skipped
    // A station whose entry was freed to make room (Lost, or silent for the
    // displace-after time; entry 0 when none); `entry` may be the same
    // number, now holding the new station.
    RemovedTarget evicted;
    // The evicted station as it was, when it was dangerous: its alarm
    // episode ends with it and is logged from this copy (the table's, valid
    // until its next AddOrUpdateTarget; null when none). A pointer, not a
    // copy in here: an optional record would be cleared, kilobytes of it,
    // for every message.
    const TargetRecord* evictedDangerous = nullptr;
    // The message moved the reference position (its vessel is followed).
    bool referenceMoved = false;
    bool taken() const { return entry != 0; }
};

class TargetTable {
public:
    TargetTable();

    // Message types the table attributes to a station.
    static bool TakesType(int type);

    // Finds or creates the entry for a decoded message of `type` and copies the
    // message's fields into it; says which entry, or why the message belongs
    // to none.
    TargetUpdate AddOrUpdateTarget(SentenceKind kind, int type, const ais::AISMessageRecord& rec,
                                   const TableContext& ctx);

    // Rewrites Status of every entry from its age: Lost after its lost-after
    // time, Old when stale, New kept while fresh, otherwise Current. Appends
    // to `changed` (when given) the numbers of entries whose Status changed,
    // frees the entries silent for the remove-after time and appends them to
    // `removed` (when given), with the rows they had, in ascending rows.
    void AgeTargets(double monotonicNow, std::vector<int>* changed = nullptr,
                    std::vector<RemovedTarget>* removed = nullptr);

    // Entry n, 1..EntryCount (a freed entry reads as an empty record).
    TargetRecord& entry(int n) { return entries_[static_cast<size_t>(n - 1)]; }
    const TargetRecord& entry(int n) const { return entries_[static_cast<size_t>(n - 1)]; }
    // Entry n holds a station (n in 1..EntryCount() and not freed).
    bool InUse(int n) const { return n >= 1 && n <= entryCount_ && entry(n).MMSI != 0; }
    // Bumped each time entry n is freed; 0 for a number never used.
    uint32_t Generation(int n) const {
        return n >= 1 && n <= entryCount_ ? generation_[static_cast<size_t>(n)] : 0;
    }

    // Lowest-numbered entry with this MMSI whose class fits `type`; 0 when none.
    int FindTarget(int32_t mmsi, int type) const;
    // Bumped whenever an entry is made, freed or given a class: what
    // FindTarget answers can change only then, so a caller that asks the
    // same question for every message may keep the answer until this moves.
    uint32_t Membership() const { return membership_; }

    const LifecycleSettings& lifecycle() const { return lifecycle_; }
    // Takes effect for the next ageing and the next new station; a lower
    // capacity frees nothing by itself.
    void setLifecycle(const LifecycleSettings& s);
    // Seconds of silence after which entry t counts as Lost.
    int LostAfter(const TargetRecord& t) const;

    // Stations held: the rows of the list, DisplayOrder()[1..TargetCount()].
    int TargetCount() const { return targetCount_; }
    // Highest entry number in use so far; entries 1..EntryCount(), some may be freed.
    int EntryCount() const { return entryCount_; }
    // Entry of the latest VDO message (the own ship), 0 none; the receiver names it.
    int OwnShipIndex() const { return ownShipIndex_; }
    void setOwnShip(int n) { ownShipIndex_ = static_cast<int16_t>(n); }
    // Entry shown in each row of the list: DisplayOrder()[k] for row k (1..TargetCount()).
    const std::vector<int16_t>& DisplayOrder() const { return displayOrder_; }
    // Shows entry n in list row k (1..TargetCount()) and tells the entry its
    // row; what a sort does for every row.
    void placeInRow(int k, int n);
    // Static data of the vessels whose entries were freed in this run.
    const RunVessels& runVessels() const { return runVessels_; }
    // Vessels freed a day ago and not back, kept until taken.
    std::vector<VesselStatic> takeRetiredVessels() { return runVessels_.takeRetired(); }

private:
    int createTarget(int32_t mmsi, int type, const TableContext& ctx);
    // Takes the rows of `removed` (ascending) out of DisplayOrder and renumbers the rows below them.
    void compactRows(const std::vector<RemovedTarget>& removed);
    // Gives entry t the class the message `type` tells, with what goes with
    // it: expected intervals, the name of a base station or SAR aircraft, the
    // ship database's and the run's static data of a vessel, country and flag.
    // For a new entry and for one of no class that a station's report adopts.
    void giveClass(TargetRecord& t, int type, const TableContext& ctx);
    // Lowest-numbered entry with this MMSI and no class; 0 when none.
    int findClassless(int32_t mmsi) const;
    // The entry a new station may take in a full table: the longest-unheard
    // Lost one, else the one silent longest when silent for displace-after
    // (any, for our own ship); 0 when none.
    int roomFor(SentenceKind kind, double monotonic);
    void copyMessage(TargetRecord& t, int type, const ais::AISMessageRecord& rec, const TableContext& ctx);
    // Frees entry n: out of the MMSI index, record reset, generation bumped.
    // The caller takes it out of DisplayOrder.
    void freeEntry(int n);
    void indexInsert(int32_t mmsi, int n);
    void indexErase(int32_t mmsi, int n);
    size_t indexSlot(int32_t mmsi) const;
    // The entry in use heard longest ago, of the Lost ones only or of all; 0 when none.
    int longestUnheard(bool lostOnly);
    // The entries in use in order of their last message (LastMsgMonotonic,
    // then number, as a search of the whole table would rank them): a full
    // table's newcomer takes its place from the front instead of searching
    // every entry. heard(n) puts entry n at the back, where its new time
    // almost always belongs (else the chain is marked out of order);
    // unheard(n) takes it out; orderHeard() puts a chain out of order right
    // before it is read. 0 ends the chain, -1 marks an entry not in it.
    void heard(int n);
    void unheard(int n);
    void orderHeard();
    // Makes `after` follow `before` in the chain (0 at either side: that end).
    void joinHeard(int before, int after);
    std::vector<int16_t> heardBefore_, heardAfter_;
    int heardFirst_ = 0, heardLast_ = 0;
    bool heardUnordered_ = false;

    int16_t targetCount_ = 0;
    int16_t entryCount_ = 0;
    int16_t ownShipIndex_ = 0;
    uint32_t membership_ = 0;
    std::vector<int16_t> displayOrder_;
    // A deque: entries never move, so references to a record stay valid
    // while the table grows.
    std::deque<TargetRecord> entries_;
    std::vector<uint32_t> generation_;
    std::vector<int16_t> freeEntries_;  // freed numbers, reused before new ones
    // MMSI index: open addressing (linear probing) from MMSI to the first
    // entry holding it, and per entry the next entry with the same MMSI
    // (ascending numbers).
    // A power of two at least four times the capacity (4096 for 1000), so
    // the index of the usual table stays small enough for the fastest cache.
    void resizeIndex(int capacity);
    int indexBits_ = 12;
    size_t indexMask_ = 4095;
    std::vector<int32_t> indexMMSI_;
    std::vector<int16_t> indexEntry_;
    std::vector<int16_t> nextSameMMSI_;
    LifecycleSettings lifecycle_;
    int lostCount_ = 0;  // entries whose Status is Lost
    uint32_t arrivals_ = 0;  // Arrival of the latest new entry
    // No entry can have been silent for displace-after before this time (the
    // oldest last-heard time plus displace-after, found by the last search);
    // spares a full table's flood of newcomers a search each.
    double noRoomBefore_ = 0;
    double lastMonotonic_ = 0;
    RunVessels runVessels_;
    TargetRecord evictedCopy_;  // what TargetUpdate::evictedDangerous points to
    // The reference's reduced latitude, for the range of every position
    // report: it moves only when the own ship or the chosen vessel reports.
    double refReducedLat_ = std::numeric_limits<double>::quiet_NaN();
    geodesy::ReducedLatitude refReduced_;
};

// A position was received and lies on the globe: latitude not 0 (none yet)
// and inside ±90°, longitude inside ±180° (91° and 181° mean not available).
// Inline: the watch asks it several times for every report.
inline bool HasPosition(const TargetRecord& t) {
    return t.Fix.Latitude != 0 && std::fabs(t.Fix.Latitude) < 90 && std::fabs(t.Fix.Longitude) <= 180;
}

// Fills a new class A or B entry from the ship database: name, call sign, IMO
// number, dimensions, EPFD and ship type, with the ship type and EPFD range rules.
// Returns false (entry unchanged) when the database has no item for the MMSI.
bool LookupShipData(TargetRecord& entry, const ShipDatabase& db);

// Maritime identification digits of a new entry: for a base station the
// 00MIDxxxx form (0 when the MMSI has more than seven digits); otherwise the
// first three of nine digits.
int TargetMID(int32_t mmsi, bool baseStation);

// A name or call sign without the blanks that pad it to its field width, for
// showing; the record keeps the text as received.
std::string WithoutTrailingBlanks(const std::string& text);

}  // namespace targets
