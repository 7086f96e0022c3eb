// Target table: one entry per station heard, at most 1000, numbered from 1 in
// order of first appearance. Entries are never removed or moved.
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
// Units as in the decoded-message record: degrees, knots, metres; Range in
// metres and Bearing in radians from the reference position. -9999 marks a
// value the station reported as not available; Latitude 0 means no position
// received yet.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ais/message_record.h"
#include "input/run_state.h"
#include "base/date_time.h"
#include "base/operator_messages.h"
#include "input/vdm.h"

namespace targets {

class ShipDatabase;
class FlagIndex;

inline constexpr int kMaxTargets = 1000;
// Per-type statistics slots: slot t-1 for message type t (1..27); slot 26 is never written.
inline constexpr int kTypeSlots = 27;
// MsgCount: slot 0 all messages, slot t type t (1..26), slot 27 any other type.
inline constexpr int kCountSlots = 28;

inline constexpr const char* kTableFullText =
    "Maximum limit AIS targets, more than 1000 targets stored. New targets ignored!";
inline constexpr const char* kTableFullTitle = "Orvanta";

// Reference position modes (index of the option buttons in the main window).
enum ReferenceModeIndex : int16_t {
    kRefNone = 0,     // "No Ref pos"
    kRefFromVDO = 1,  // "From VDO msg"
    kRefManual = 2,   // "Manual "
    kRefFromVDM = 3,  // "From VDM msg, MMSI : "
};

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
// silent too long; Current otherwise.
enum class TargetStatus : uint8_t { Current, New, Old };
// What the list shows: "", "NEW", "OLD".
const char* StatusText(TargetStatus s);

struct TargetRecord {
    int32_t MMSI = 0;
    std::string Country;
    std::string FlagIcon;
    TargetClass Class = TargetClass::Unknown;
    TargetStatus Status = TargetStatus::Current;
    int16_t NavStatus = 0;
    std::string NavStatusText;
    float ROT = 0;
    float SOG = 0;
    int16_t PosAccuracy = 0;
    std::string PosAccuracyText;
    double Longitude = 0;
    double Latitude = 0;
    float COG = 0;
    float TrueHeading = 0;
    int16_t UTCSecond = 0;
    int16_t RAIM = 0;
    int16_t SyncState = 0;
    int16_t SlotTimeout = 0;
    int16_t SubMessage = 0;
    int16_t SlotNumber = 0;
    int16_t SlotOffset = 0;
    int16_t ReceivedStations = 0;
    int16_t UTCYear = 0;
    int16_t UTCMonth = 0;
    int16_t UTCDay = 0;
    int16_t UTCHour = 0;
    int16_t UTCMinute = 0;
    int32_t IMONumber = 0;
    std::string CallSign;
    std::string Name;
    // The name this vessel sent in this run (type 5, 19 or 24 part A), never
    // a placeholder or a name from the ship database; empty until one came.
    // What the ship database keeps of the run.
    std::string ReceivedName;
    int16_t ShipType = 0;
    std::string ShipTypeText;
    std::string CargoTypeText;
    int16_t DimA = 0;
    int16_t DimB = 0;
    int16_t DimC = 0;
    int16_t DimD = 0;
    int16_t EPFDType = 0;
    std::string EPFDTypeText;
    base::DateTime ETA;
    float Draught = 0;
    std::string Destination;
    int16_t DTE = 0;
    int16_t Altitude = 0;
    int16_t RegionalReserved19 = 0;
    int16_t AtoNType = 0;
    std::string AtoNTypeText;
    int16_t OffPosition = 0;
    int16_t VirtualAtoN = 0;
    std::string NameExtension;
    std::string Name24;
    std::string VendorID24;
    std::string CallSign24;
    int16_t ShipType24 = 0;
    std::string ShipTypeText24;
    std::string CargoTypeText24;
    int16_t DimA24 = 0;
    int16_t DimB24 = 0;
    int16_t DimC24 = 0;
    int16_t DimD24 = 0;
    int16_t ListRow = 0;
    double Range = 0;    // metres
    double Bearing = 0;  // radians, true
    base::DateTime FirstMsgTime;
    base::DateTime LastMsgTime;
    int32_t TrackedFor = 0;  // whole seconds from FirstMsgTime to LastMsgTime

    // Reception statistics (statistics.h).
    std::array<int32_t, kCountSlots> MsgCount{};
    std::array<base::DateTime, kTypeSlots> LastRxTime{};
    std::array<double, kTypeSlots> Period{};        // whole seconds, calendar time
    std::array<float, kTypeSlots> Expected{};       // seconds, 0 = no rule
    std::array<float, kTypeSlots> RxTimer{};        // seconds since midnight at the last reception
    std::array<float, kTypeSlots> PrevRxTimer{};
    std::array<float, kTypeSlots> TimerPeriod{};    // seconds between the last two receptions
    std::array<std::string, kTypeSlots> LastChannel{};
    int32_t ChACount = 0;
    int32_t ChBCount = 0;
    int32_t VDMCount = 0;
    int32_t VDOCount = 0;

    float HeightOverKeel = 0;
    int16_t PassengersOnboard = 0;
    std::string LastMessageText;

    // Monotonic clock readings behind TimerPeriod and ageing, so neither goes
    // wrong across midnight or a change of the computer's clock.
    std::array<double, kTypeSlots> RxMonotonic{};
    double LastMsgMonotonic = 0;
};

// What the table needs from the rest of the program while it takes a message.
struct TableContext {
    input::RunState* state = nullptr;             // reference position and mode (may be null: no reference)
    const ShipDatabase* shipData = nullptr;     // pre-fill of new class A/B entries (may be null)
    FlagIndex* flags = nullptr;                 // flag icons (may be null: no flags)
    base::MessageSink* messages = nullptr;       // the table-full message (may be null)
    base::DateTime now;                          // local date-time of the message
    double monotonic = 0;                       // monotonic seconds of the message
};

// What AddOrUpdateTarget did with a message.
enum class TableAction : uint8_t {
    Updated,       // an existing entry took it
    Created,       // a new entry was made for it
    TypeNotTaken,  // skipped: the table attributes no message of this type to a station
    NoMMSI,        // skipped: MMSI 0
    TableFull,     // skipped: a new station while all entries are in use
    NoEntry,       // skipped: a type that makes no entry (27, and those only counted) from an unknown station
};

// How old a long-range report's position is taken to be: under 5 s when it
// says so (PositionLatency 0), otherwise up to the 3-minute interval such
// reports come at.
inline constexpr double kLongRangeFreshAge = 5;
inline constexpr double kLongRangeStaleAge = 180;

struct TargetUpdate {
    TableAction action = TableAction::TypeNotTaken;
    int entry = 0;  // the entry touched (1..TargetCount), 0 when skipped
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

    // Rewrites Status of every entry from its age: Old when stale, New kept
    // while fresh, otherwise Current. Appends to `changed` (when given) the
    // numbers of entries whose Status changed.
    void AgeTargets(double monotonicNow, std::vector<int>* changed = nullptr);

    // Entry n, 1..TargetCount.
    TargetRecord& entry(int n) { return entries_[static_cast<size_t>(n - 1)]; }
    const TargetRecord& entry(int n) const { return entries_[static_cast<size_t>(n - 1)]; }

    // Lowest-numbered entry with this MMSI whose class fits `type`; 0 when none.
    int FindTarget(int32_t mmsi, int type) const;

    int16_t TargetCount = 0;
    // Entry of the latest VDO message (the own ship); the receiver sets it.
    int16_t OwnShipIndex = 0;
    // Entry shown in each row of the list: DisplayOrder[k] for row k (1..1000).
    std::array<int16_t, kMaxTargets + 1> DisplayOrder{};
    bool fullMessageShown() const { return fullMessageShown_; }

private:
    int createTarget(int32_t mmsi, int type, const TableContext& ctx);
    void copyMessage(TargetRecord& t, int type, const ais::AISMessageRecord& rec, const TableContext& ctx);

    std::vector<TargetRecord> entries_;
    // MMSI index: open addressing from MMSI to the first entry holding it, and
    // per entry the next entry with the same MMSI (ascending numbers).
    static constexpr int kIndexSize = 4096;  // power of two, well above 1000
    std::array<int32_t, kIndexSize> indexMMSI_{};
    std::array<int16_t, kIndexSize> indexEntry_{};
    std::array<int16_t, kMaxTargets + 1> nextSameMMSI_{};
    std::array<int16_t, kMaxTargets + 1> lastSameMMSI_{};  // valid for the first entry of each MMSI
    bool fullMessageShown_ = false;
};

// A position was received and lies on the globe: latitude not 0 (none yet)
// and inside ±90°, longitude inside ±180° (91° and 181° mean not available).
bool HasPosition(const TargetRecord& t);

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
