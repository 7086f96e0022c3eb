#include "targets/target_table.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "ais/binary_message.h"
#include "ais/code_tables.h"
#include "base/number_format.h"
#include "geodesy/geodetic.h"
#include "targets/flags.h"
#include "targets/ship_database.h"

namespace targets {

namespace {

constexpr const char* kNotAvailableText = "n/a";
const std::string kTwentyBlanks(20, ' ');
const std::string kClassBPlaceholder = "Class B vessel";

// A name sent in part A of message 24 that says something (not blanks or the
// "@" padding of an unset name).
bool NameKnown(const std::string& name) { return name.find_first_not_of(" @") != std::string::npos; }

// The name a class B station shows when its own reports carry none: the name
// of its last message 24 part A, else the placeholder.
std::string ClassBName(const TargetRecord& t) { return NameKnown(t.Name24) ? t.Name24 : kClassBPlaceholder; }

// Which classes a message type may be attributed to; Unknown = any class.
TargetClass requiredClass(int type) {
    switch (type) {
        case 1: case 2: case 3: case 5: return TargetClass::A;
        case 4: return TargetClass::BS;
        case 9: return TargetClass::SAR;
        case 18: case 19: return TargetClass::B;
        case 21: return TargetClass::AtoN;
        default: return TargetClass::Unknown;
    }
}

// Whether an entry of class cls may take a message of `type`: a long-range
// report (27) comes from class A and class B vessels alike.
bool classFits(int type, TargetClass cls) {
    if (type == 27) return cls == TargetClass::A || cls == TargetClass::B;
    const TargetClass need = requiredClass(type);
    return need == TargetClass::Unknown || cls == need;
}

// Types that only count toward the entry of a station already known (in its
// statistics' Other row): they make no entry of their own and copy nothing.
// A long-range report (27) makes no entry either but updates the vessel.
bool countsOnly(int type) {
    switch (type) {
        case 7: case 11: case 13: case 15: case 16: case 17: case 22: case 23: case 25: case 26: return true;
        default: return false;
    }
}

// The newest position the entry took from a report of types 1-3, 18 or 19
// (monotonic seconds), or none.
std::optional<double> lastFullPosition(const TargetRecord& t) {
    std::optional<double> newest;
    for (int type : {1, 2, 3, 18, 19}) {
        if (t.MsgCount[static_cast<size_t>(type)] <= 0) continue;
        const double at = t.RxMonotonic[static_cast<size_t>(type - 1)];
        if (!newest || at > *newest) newest = at;
    }
    return newest;
}

// Station identity of the message of `type` (source MMSI for 6, 8, 10, 12).
int32_t messageMMSI(int type, const ais::AISMessageRecord& r) {
    switch (type) {
        case 7: return r.Type7.MMSI;
        case 11: return r.Type11.MMSI;
        case 13: return r.Type13.MMSI;
        case 15: return r.Type15.MMSI;
        case 16: return r.Type16.MMSI;
        case 17: return r.Type17.MMSI;
        case 22: return r.Type22.MMSI;
        case 23: return r.Type23.MMSI;
        case 25: return r.Type25.MMSI;
        case 26: return r.Type26.MMSI;
        case 27: return r.Type27.MMSI;
        case 1: return r.Type1.MMSI;
        case 2: return r.Type2.MMSI;
        case 3: return r.Type3.MMSI;
        case 4: return r.Type4.MMSI;
        case 5: return r.Type5.MMSI;
        case 6: return r.Type6.MMSI;
        case 8: return r.Type8.MMSI;
        case 9: return r.Type9.MMSI;
        case 10: return r.Type10.MMSI;
        case 12: return r.Type12.MMSI;
        case 14: return r.Type14.MMSI;
        case 18: return r.Type18.MMSI;
        case 19: return r.Type19.MMSI;
        case 20: return r.Type20.MMSI;
        case 21: return r.Type21.MMSI;
        case 24: return r.Type24.MMSI;
        default: return 0;
    }
}

// The top `bits` bits of a multiplicative hash.
uint32_t hashMMSI(int32_t mmsi, int bits) { return (static_cast<uint32_t>(mmsi) * 2654435761u) >> (32 - bits); }

template <class Src>
void copyFix(TargetRecord& t, const Src& s) {
    t.PosAccuracy = s.PosAccuracy;
    t.PosAccuracyText = s.PosAccuracyText;
    t.Longitude = s.Longitude;
    t.Latitude = s.Latitude;
    t.RAIM = s.RAIM;
}

template <class Src>
void copyPosition(TargetRecord& t, const Src& s) {
    copyFix(t, s);
    t.UTCSecond = s.TimeStamp;
}

template <class Src>
void copyCommState(TargetRecord& t, const Src& s) {
    t.SyncState = s.SyncState;
    t.SlotTimeout = s.SlotTimeout;
    t.SubMessage = s.SubMessage;
    t.SlotNumber = s.SlotNumber;
    t.SlotOffset = s.SlotOffset;
    t.ReceivedStations = s.ReceivedStations;
}

template <class Src>
void copyCommTime(TargetRecord& t, const Src& s) {
    t.UTCHour = s.CommUTCHour;
    t.UTCMinute = s.CommUTCMinute;
}

template <class Src>
void copyDimensions(TargetRecord& t, const Src& s) {
    t.DimA = s.DimA;
    t.DimB = s.DimB;
    t.DimC = s.DimC;
    t.DimD = s.DimD;
}

}  // namespace

const char* ClassCode(TargetClass c) {
    static constexpr const char* kCodes[] = {"", "A", "BS", "SAR", "B", "AtoN"};
    return kCodes[static_cast<size_t>(c)];
}

const char* ClassText(TargetClass c) {
    static constexpr const char* kTexts[] = {"unknown",        "Class A Vessel", "Base Station",
                                             "SAR Aircraft",   "Class B Vessel", "Aids to Navigation"};
    return kTexts[static_cast<size_t>(c)];
}

const char* StatusText(TargetStatus s) {
    static constexpr const char* kTexts[] = {"", "NEW", "OLD", "LOST"};
    return kTexts[static_cast<size_t>(s)];
}

bool HasPosition(const TargetRecord& t) {
    return t.Latitude != 0 && std::fabs(t.Latitude) < 90 && std::fabs(t.Longitude) <= 180;
}

std::string TableFullText(int capacity) {
    return "Maximum limit AIS targets, more than " + std::to_string(capacity) + " targets stored. New targets ignored!";
}

LifecycleSettings ClampLifecycle(LifecycleSettings s) {
    constexpr int kMinSeconds = 60, kMaxSeconds = 24 * 3600;
    s.lostAfterMoving = std::clamp(s.lostAfterMoving, kMinSeconds, kMaxSeconds);
    s.lostAfterFixed = std::clamp(s.lostAfterFixed, kMinSeconds, kMaxSeconds);
    s.removeAfter = std::clamp(s.removeAfter, std::max(s.lostAfterMoving, s.lostAfterFixed), kMaxSeconds);
    s.capacity = std::clamp(s.capacity, 1, kMaxCapacity);
    return s;
}

int TargetMID(int32_t mmsi, bool baseStation) {
    if (baseStation) return mmsi < 10000000 ? mmsi / 10000 : 0;
    return mmsi / 1000000;
}

bool TargetTable::TakesType(int type) {
    switch (type) {
        case 1: case 2: case 3: case 4: case 5: case 6: case 8: case 9: case 10:
        case 12: case 14: case 18: case 19: case 20: case 21: case 24: case 27:
            return true;
        default:
            return countsOnly(type);
    }
}

TargetTable::TargetTable()
    : DisplayOrder(kMaxCapacity + 1, 0), generation_(kMaxCapacity + 1, 0), nextSameMMSI_(kMaxCapacity + 1, 0) {
    resizeIndex(lifecycle_.capacity);
}

void TargetTable::resizeIndex(int capacity) {
    int bits = 12;
    while ((1 << bits) < 4 * capacity) ++bits;
    if (bits == indexBits_ && !indexEntry_.empty()) return;
    indexBits_ = bits;
    indexMask_ = (size_t{1} << bits) - 1;
    indexMMSI_.assign(indexMask_ + 1, 0);
    indexEntry_.assign(indexMask_ + 1, 0);
    std::fill(nextSameMMSI_.begin(), nextSameMMSI_.end(), 0);
    for (int n = 1; n <= EntryCount; ++n) {
        if (InUse(n)) indexInsert(entry(n).MMSI, n);
    }
}

void TargetTable::setLifecycle(const LifecycleSettings& s) {
    lifecycle_ = ClampLifecycle(s);
    // Entries in use above a lowered capacity stay: the index keeps room for them.
    resizeIndex(std::max(lifecycle_.capacity, static_cast<int>(EntryCount)));
}

size_t TargetTable::indexSlot(int32_t mmsi) const {
    size_t h = hashMMSI(mmsi, indexBits_);
    while (indexEntry_[h] != 0 && indexMMSI_[h] != mmsi) h = (h + 1) & indexMask_;
    return h;
}

int TargetTable::FindTarget(int32_t mmsi, int type) const {
    const size_t h = indexSlot(mmsi);
    for (int n = indexEntry_[h]; n != 0; n = nextSameMMSI_[static_cast<size_t>(n)]) {
        if (classFits(type, entry(n).Class)) return n;
    }
    return 0;
}

// Puts n into the chain of its MMSI, keeping the numbers ascending.
void TargetTable::indexInsert(int32_t mmsi, int n) {
    const size_t h = indexSlot(mmsi);
    const auto e = static_cast<int16_t>(n);
    if (indexEntry_[h] == 0) {
        indexMMSI_[h] = mmsi;
        indexEntry_[h] = e;
        nextSameMMSI_[static_cast<size_t>(n)] = 0;
    } else if (n < indexEntry_[h]) {
        nextSameMMSI_[static_cast<size_t>(n)] = indexEntry_[h];
        indexEntry_[h] = e;
    } else {
        int p = indexEntry_[h];
        while (nextSameMMSI_[static_cast<size_t>(p)] != 0 && nextSameMMSI_[static_cast<size_t>(p)] < n) {
            p = nextSameMMSI_[static_cast<size_t>(p)];
        }
        nextSameMMSI_[static_cast<size_t>(n)] = nextSameMMSI_[static_cast<size_t>(p)];
        nextSameMMSI_[static_cast<size_t>(p)] = e;
    }
}

void TargetTable::indexErase(int32_t mmsi, int n) {
    size_t i = indexSlot(mmsi);
    if (indexEntry_[i] == 0) return;
    const int16_t next = nextSameMMSI_[static_cast<size_t>(n)];
    nextSameMMSI_[static_cast<size_t>(n)] = 0;
    if (indexEntry_[i] != n) {
        int p = indexEntry_[i];
        while (p != 0 && nextSameMMSI_[static_cast<size_t>(p)] != n) p = nextSameMMSI_[static_cast<size_t>(p)];
        if (p != 0) nextSameMMSI_[static_cast<size_t>(p)] = next;
        return;
    }
    if (next != 0) {
        indexEntry_[i] = next;
        return;
    }
    // The MMSI leaves the index: close the gap so every later key of the
    // probe sequence stays reachable from its home slot.
    size_t j = i;
    for (;;) {
        j = (j + 1) & indexMask_;
        if (indexEntry_[j] == 0) break;
        const size_t home = hashMMSI(indexMMSI_[j], indexBits_);
        const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (stays) continue;
        indexMMSI_[i] = indexMMSI_[j];
        indexEntry_[i] = indexEntry_[j];
        i = j;
    }
    indexMMSI_[i] = 0;
    indexEntry_[i] = 0;
}

int TargetTable::LostAfter(const TargetRecord& t) const {
    const bool fixed = t.Class == TargetClass::BS || t.Class == TargetClass::AtoN ||
                       (t.Class == TargetClass::A && (t.NavStatus == 1 || t.NavStatus == 5));
    return fixed ? lifecycle_.lostAfterFixed : lifecycle_.lostAfterMoving;
}

void TargetTable::freeEntry(int n) {
    TargetRecord& t = entry(n);
    if (t.Status == TargetStatus::Lost) --lostCount_;
    indexErase(t.MMSI, n);
    t = TargetRecord{};
    ++generation_[static_cast<size_t>(n)];
    if (OwnShipIndex == n) OwnShipIndex = 0;
    freeEntries_.push_back(static_cast<int16_t>(n));
    std::push_heap(freeEntries_.begin(), freeEntries_.end(), std::greater<>());
}

int TargetTable::longestUnheard(bool lostOnly) const {
    if (lostOnly && lostCount_ <= 0) return 0;
    int oldest = 0;
    for (int n = 1; n <= EntryCount; ++n) {
        const TargetRecord& t = entry(n);
        if (t.MMSI == 0 || (lostOnly && t.Status != TargetStatus::Lost)) continue;
        if (oldest == 0 || t.LastMsgMonotonic < entry(oldest).LastMsgMonotonic) oldest = n;
    }
    return oldest;
}

namespace {

// Takes the rows of `removed` (ascending) out of DisplayOrder and renumbers the rows below them.
void compactRows(TargetTable& table, const std::vector<RemovedTarget>& removed) {
    if (removed.empty()) return;
    size_t next = 0;
    int to = removed.front().row;
    for (int from = removed.front().row; from <= table.TargetCount; ++from) {
        if (next < removed.size() && removed[next].row == from) {
            ++next;
            continue;
        }
        const int e = table.DisplayOrder[static_cast<size_t>(from)];
        table.DisplayOrder[static_cast<size_t>(to)] = static_cast<int16_t>(e);
        table.entry(e).ListRow = static_cast<int16_t>(to);
        ++to;
    }
    for (int k = to; k <= table.TargetCount; ++k) table.DisplayOrder[static_cast<size_t>(k)] = 0;
    table.TargetCount = static_cast<int16_t>(to - 1);
}

}  // namespace

int TargetTable::createTarget(int32_t mmsi, int type, const TableContext& ctx) {
    int n = 0;
    if (!freeEntries_.empty()) {
        std::pop_heap(freeEntries_.begin(), freeEntries_.end(), std::greater<>());
        n = freeEntries_.back();
        freeEntries_.pop_back();
    } else {
        entries_.emplace_back();
        n = ++EntryCount;
    }
    TargetRecord& t = entry(n);
    indexInsert(mmsi, n);

    const int row = ++TargetCount;
    DisplayOrder[static_cast<size_t>(row)] = static_cast<int16_t>(n);
    t.ListRow = static_cast<int16_t>(row);
    t.MMSI = mmsi;
    t.FirstMsgTime = ctx.now;
    t.FirstMsgMonotonic = ctx.monotonic;
    t.Status = TargetStatus::New;

    const TargetClass cls = requiredClass(type);
    t.Class = cls;
    bool lookup = false;
    switch (type) {
        case 1: case 2: case 3:
            t.Expected[4] = ais::intervals::StaticVoyage;
            lookup = true;
            break;
        case 4:
            t.Expected[3] = ais::intervals::BaseStation;
            t.Name = ClassText(cls);
            break;
        case 5:
            t.Expected[4] = ais::intervals::StaticVoyage;
            break;
        case 9:
            t.Expected[8] = ais::intervals::SARAircraft;
            t.Name = ClassText(cls);
            break;
        case 18:
            lookup = true;
            break;
        case 19:
            t.Expected[18] = ais::intervals::ExtendedClassB;
            break;
        case 21:
            t.Expected[20] = ais::intervals::AtoN;
            break;
        default:
            break;
    }

    if (lookup && ctx.shipData) LookupShipData(t, *ctx.shipData);

    const int mid = TargetMID(mmsi, cls == TargetClass::BS);
    const auto& countries = ais::codeTables().Country;
    if (mid >= 0 && mid < static_cast<int>(countries.size()) && !countries[static_cast<size_t>(mid)].empty()) {
        t.Country = countries[static_cast<size_t>(mid)];
        if (ctx.flags) t.FlagIcon = ctx.flags->FindFlagIcon(mid);
    } else {
        t.Country = "unknown";
    }
    return n;
}

TargetUpdate TargetTable::AddOrUpdateTarget(SentenceKind kind, int type, const ais::AISMessageRecord& rec,
                                            const TableContext& ctx) {
    if (!TakesType(type)) return {TableAction::TypeNotTaken, 0, {}};
    const int32_t mmsi = messageMMSI(type, rec);
    if (mmsi == 0) return {TableAction::NoMMSI, 0, {}};

    TargetUpdate done{TableAction::Updated, FindTarget(mmsi, type), {}};
    if (done.entry == 0 && (countsOnly(type) || type == 27)) return {TableAction::NoEntry, 0, {}};
    if (done.entry == 0) {
        if (TargetCount >= lifecycle_.capacity) {
            // A station gone for a while gives way to one that is here now;
            // our own ship (VDO) always has a place, if need be the longest
            // unheard station's.
            int victim = longestUnheard(true);
            if (victim == 0 && kind == SentenceKind::VDO) victim = longestUnheard(false);
            if (victim == 0) {
                if (!fullMessageShown_) {
                    fullMessageShown_ = true;
                    if (ctx.messages) {
                        ctx.messages->operatorMessage(base::MessageIcon::Information, kTableFullTitle,
                                                      TableFullText(lifecycle_.capacity));
                    }
                }
                return {TableAction::TableFull, 0, {}};
            }
            done.evicted = {victim, entry(victim).ListRow};
            freeEntry(victim);
            compactRows(*this, {done.evicted});
        }
        done.action = TableAction::Created;
        done.entry = createTarget(mmsi, type, ctx);
    }
    TargetRecord& t = entry(done.entry);

    if (done.action == TableAction::Updated) t.LongestGap = std::max(t.LongestGap, ctx.monotonic - t.LastMsgMonotonic);
    t.LastMsgTime = ctx.now;
    t.LastMsgMonotonic = ctx.monotonic;
    if (t.Status == TargetStatus::Lost) --lostCount_;
    if (t.Status == TargetStatus::Old || t.Status == TargetStatus::Lost) t.Status = TargetStatus::Current;
    if (const auto tracked = t.LastMsgTime.wholeSecondsSince(t.FirstMsgTime)) t.TrackedFor = *tracked;

    copyMessage(t, type, rec, ctx);
    if (type == 20 || countsOnly(type)) return done;

    // The reference position follows the own ship or the chosen vessel, but
    // only to a position it reported: a report without one leaves it where it was.
    if (ctx.state) {
        input::RunState& s = *ctx.state;
        const bool valid = IsValidPosition(t.Latitude, t.Longitude);
        const bool follow = (s.ReferenceMode == kRefFromVDO && kind == SentenceKind::VDO) ||
                            (s.ReferenceMode == kRefFromVDM && kind == SentenceKind::VDM && t.MMSI == s.RefMMSI);
        if (follow && valid) {
            s.RefLat = t.Latitude;
            s.RefLon = t.Longitude;
        }
        if (s.ReferenceMode != kRefNone && valid) {
            geodesy::GeodeticInverse(s.RefLat * geodesy::kDegToRad, s.RefLon * geodesy::kDegToRad,
                                     t.Latitude * geodesy::kDegToRad, t.Longitude * geodesy::kDegToRad,
                                     geodesy::kInverseBoth, t.Range, t.Bearing, geodesy::kWgs84B, geodesy::kWgs84F);
        }
    }
    return done;
}

void TargetTable::copyMessage(TargetRecord& t, int type, const ais::AISMessageRecord& rec, const TableContext& ctx) {
    switch (type) {
        case 1: case 2: case 3: {
            const ais::PositionReport& s = *rec.positionReport(type);
            t.NavStatus = s.NavStatus;
            t.NavStatusText = s.NavStatusText;
            t.ROT = s.ROT;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            t.TrueHeading = s.TrueHeading;
            copyCommState(t, s);
            copyCommTime(t, s);
            break;
        }
        case 4: {
            const auto& s = rec.Type4;
            t.PosAccuracy = s.PosAccuracy;
            t.PosAccuracyText = s.PosAccuracyText;
            t.Longitude = s.Longitude;
            t.Latitude = s.Latitude;
            t.UTCSecond = s.UTCSecond;
            t.RAIM = s.RAIM;
            copyCommState(t, s);
            t.UTCYear = s.UTCYear;
            t.UTCMonth = s.UTCMonth;
            t.UTCDay = s.UTCDay;
            t.UTCHour = s.UTCHour;
            t.UTCMinute = s.UTCMinute;
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.CallSign = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 5: {
            const auto& s = rec.Type5;
            t.IMONumber = s.IMONumber;
            t.CallSign = s.CallSign;
            t.Name = s.Name;
            if (NameKnown(s.Name)) t.ReceivedName = s.Name;
            t.ShipType = s.ShipType;
            t.ShipTypeText = s.ShipTypeText;
            t.CargoTypeText = s.CargoTypeText;
            copyDimensions(t, s);
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.ETA = s.ETA;
            t.Draught = s.Draught;
            t.Destination = s.Destination;
            t.DTE = s.DTE;
            break;
        }
        case 6: case 8: {
            const ais::BinaryMessage& s = type == 6 ? rec.Type6 : rec.Type8;
            const int standard = ctx.state ? ctx.state->BinaryMsgStandard : 0;
            const ais::BinaryApp app = ais::SelectBinaryApp(type, s.DAC, s.FI, standard);
            if (app == ais::BinaryApp::HeightOverKeel) t.HeightOverKeel = s.HeightOverKeel;
            if (app == ais::BinaryApp::PersonsOnBoard) t.PassengersOnboard = s.PassengersOnboard;
            t.LastMessageText = s.Description;
            break;
        }
        case 9: {
            const auto& s = rec.Type9;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            copyCommState(t, s);
            copyCommTime(t, s);
            t.DTE = s.DTE;
            t.Altitude = s.Altitude;
            t.CallSign = kNotAvailableText;
            t.EPFDTypeText = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 10:
            t.LastMessageText = "Msg 10 - UTC & Date Inquiry received from " + base::NumberText(rec.Type10.MMSI);
            break;
        case 12:
            t.LastMessageText = rec.Type12.Text;
            break;
        case 14:
            t.LastMessageText = rec.Type14.Text;
            break;
        case 18: {
            const auto& s = rec.Type18;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            t.TrueHeading = s.TrueHeading;
            copyCommState(t, s);
            copyCommTime(t, s);
            t.CallSign = kNotAvailableText;
            t.EPFDTypeText = kNotAvailableText;
            t.Destination = kNotAvailableText;
            if (t.Name.empty() || t.Name == kClassBPlaceholder) t.Name = ClassBName(t);
            break;
        }
        case 19: {
            const auto& s = rec.Type19;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            t.TrueHeading = s.TrueHeading;
            t.Name = s.Name == kTwentyBlanks ? ClassBName(t) : s.Name;
            if (NameKnown(s.Name)) t.ReceivedName = s.Name;
            t.ShipType = s.ShipType;
            t.ShipTypeText = s.ShipTypeText;
            t.CargoTypeText = s.CargoTypeText;
            copyDimensions(t, s);
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.DTE = s.DTE;
            t.RegionalReserved19 = s.RegionalReserved;
            t.CallSign = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 21: {
            const auto& s = rec.Type21;
            copyPosition(t, s);
            t.Name = s.Name == kTwentyBlanks ? std::string("Aid to Navigation") : s.Name;
            copyDimensions(t, s);
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.AtoNType = s.AtoNType;
            t.AtoNTypeText = s.AtoNTypeText;
            t.OffPosition = s.OffPosition;
            t.VirtualAtoN = s.VirtualAtoN;
            t.NameExtension = s.NameExtension;
            t.CallSign = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 24: {
            const auto& s = rec.Type24;
            if (s.PartNumber == 0) {
                t.Name24 = s.Name;
                // Part A is where most class B stations send their name: it
                // replaces the placeholder, never a name from message 19.
                if (NameKnown(s.Name) && (t.Name.empty() || t.Name == kClassBPlaceholder)) t.Name = s.Name;
                if (NameKnown(s.Name)) t.ReceivedName = s.Name;
            } else {
                t.ShipType24 = s.ShipType;
                t.ShipTypeText24 = s.ShipTypeText;
                t.CargoTypeText24 = s.CargoTypeText;
                t.VendorID24 = s.VendorID;
                t.CallSign24 = s.CallSign;
                t.DimA24 = s.DimA;
                t.DimB24 = s.DimB;
                t.DimC24 = s.DimC;
                t.DimD24 = s.DimD;
            }
            break;
        }
        case 27: {
            // A long-range report's position may be minutes old: it stands in
            // only when the vessel has sent no full position report since
            // then (PositionLatency 0: under 5 s old, else taken as up to
            // the 3-minute long-range interval).
            const auto& s = rec.Type27;
            const double age = s.PositionLatency == 0 ? kLongRangeFreshAge : kLongRangeStaleAge;
            const std::optional<double> last = lastFullPosition(t);
            if (last && *last > ctx.monotonic - age) break;
            t.NavStatus = s.NavStatus;
            t.NavStatusText = s.NavStatusText;
            copyFix(t, s);
            t.SOG = s.SOG;
            t.COG = s.COG;
            break;
        }
        default:  // 20 and the types that only count: nothing to copy
            break;
    }
}

void TargetTable::AgeTargets(double monotonicNow, std::vector<int>* changed, std::vector<RemovedTarget>* removed) {
    std::vector<RemovedTarget> gone;
    for (int n = 1; n <= EntryCount; ++n) {
        TargetRecord& t = entry(n);
        if (t.MMSI == 0) continue;
        const float age = static_cast<float>(std::floor(monotonicNow - t.LastMsgMonotonic));
        const int lostAfter = LostAfter(t);
        if (age >= static_cast<float>(std::max(lifecycle_.removeAfter, lostAfter))) {
            gone.push_back({n, t.ListRow});
            continue;
        }
        if (age >= static_cast<float>(lostAfter)) {
            if (t.Status != TargetStatus::Lost) {
                t.Status = TargetStatus::Lost;
                ++lostCount_;
                if (changed) changed->push_back(n);
            }
            continue;
        }
        bool fresh = age < 32.0f;
        if (!fresh && t.Class == TargetClass::A && (t.NavStatus == 1 || t.NavStatus == 5) && age < 360.0f) fresh = true;
        if (!fresh && t.Class == TargetClass::AtoN && age < 240.0f) fresh = true;

        const TargetStatus status =
            fresh ? (t.Status == TargetStatus::New ? TargetStatus::New : TargetStatus::Current) : TargetStatus::Old;
        if (t.Status != status) {
            if (t.Status == TargetStatus::Lost) --lostCount_;
            t.Status = status;
            if (changed) changed->push_back(n);
        }
    }
    if (gone.empty()) return;
    std::sort(gone.begin(), gone.end(), [](const RemovedTarget& a, const RemovedTarget& b) { return a.row < b.row; });
    for (const RemovedTarget& r : gone) freeEntry(r.entry);
    compactRows(*this, gone);
    if (removed) removed->insert(removed->end(), gone.begin(), gone.end());
}

std::string WithoutTrailingBlanks(const std::string& text) {
    const size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

bool LookupShipData(TargetRecord& t, const ShipDatabase& db) {
    const ShipDataItem* item = db.LookupShipData(t.MMSI);
    if (!item) return false;
    t.Name = item->Name;
    t.CallSign = item->CallSign;
    t.IMONumber = item->IMONumber;
    t.DimA = item->DimA;
    t.DimB = item->DimB;
    t.DimC = item->DimC;
    t.DimD = item->DimD;
    const ais::ShipTypeTexts st = ais::ShipTypeRule(item->ShipType);
    t.ShipType = st.ShipType;
    t.ShipTypeText = st.ShipTypeText;
    t.CargoTypeText = st.CargoTypeText;
    t.EPFDType = (item->EPFDType >= 1 && item->EPFDType <= 15) ? item->EPFDType : int16_t{0};
    t.EPFDTypeText = ais::codeTables().EPFDTypeText[static_cast<size_t>(t.EPFDType)];
    return true;
}

}  // namespace targets
