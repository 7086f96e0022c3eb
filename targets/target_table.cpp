#include "targets/target_table.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "ais/code_tables.h"
#include "geodesy/geodetic.h"
#include "targets/flags.h"
#include "targets/ship_database.h"

namespace targets {

namespace {

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

std::string TableFullText(int capacity, int displaceAfter) {
    return "Maximum limit AIS targets, more than " + std::to_string(capacity) +
           " targets stored. New targets ignored! Every target was heard within the last " +
           std::to_string(displaceAfter) +
           " s. Options \xE2\x96\xB8 Targets sets the maximum number of targets and how long a target must be "
           "silent before a new one takes its place.";
}

LifecycleSettings ClampLifecycle(LifecycleSettings s) {
    constexpr int kMinSeconds = 60, kMaxSeconds = 24 * 3600;
    s.lostAfterMoving = std::clamp(s.lostAfterMoving, kMinSeconds, kMaxSeconds);
    s.lostAfterFixed = std::clamp(s.lostAfterFixed, kMinSeconds, kMaxSeconds);
    s.removeAfter = std::clamp(s.removeAfter, std::max(s.lostAfterMoving, s.lostAfterFixed), kMaxSeconds);
    s.capacity = std::clamp(s.capacity, 1, kMaxCapacity);
    s.displaceAfter = std::clamp(s.displaceAfter, kMinDisplaceAfter, kMaxDisplaceAfter);
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
    : heardBefore_(kMaxCapacity + 1, -1),
      heardAfter_(kMaxCapacity + 1, -1),
      displayOrder_(kMaxCapacity + 1, 0),
      generation_(kMaxCapacity + 1, 0),
      nextSameMMSI_(kMaxCapacity + 1, 0) {
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
    for (int n = 1; n <= entryCount_; ++n) {
        if (InUse(n)) indexInsert(entry(n).MMSI, n);
    }
}

void TargetTable::setLifecycle(const LifecycleSettings& s) {
    lifecycle_ = ClampLifecycle(s);
    noRoomBefore_ = 0;
    // Entries in use above a lowered capacity stay: the index keeps room for them.
    resizeIndex(std::max(lifecycle_.capacity, static_cast<int>(entryCount_)));
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
                       (t.Class == TargetClass::A && (t.Nav.NavStatus == 1 || t.Nav.NavStatus == 5));
    return fixed ? lifecycle_.lostAfterFixed : lifecycle_.lostAfterMoving;
}

void TargetTable::freeEntry(int n) {
    TargetRecord& t = entry(n);
    if (t.Status == TargetStatus::Lost) --lostCount_;
    indexErase(t.MMSI, n);
    unheard(n);
    runVessels_.keep(t);
    t = TargetRecord{};
    ++generation_[static_cast<size_t>(n)];
    if (ownShipIndex_ == n) ownShipIndex_ = 0;
    ++membership_;
    freeEntries_.push_back(static_cast<int16_t>(n));
    std::push_heap(freeEntries_.begin(), freeEntries_.end(), std::greater<>());
}

int TargetTable::longestUnheard(bool lostOnly) {
    if (lostOnly && lostCount_ <= 0) return 0;
    orderHeard();
    int n = heardFirst_;
    while (n != 0 && lostOnly && entry(n).Status != TargetStatus::Lost) n = heardAfter_[static_cast<size_t>(n)];
    return n;
}

void TargetTable::unheard(int n) {
    const auto at = static_cast<size_t>(n);
    const int before = heardBefore_[at], after = heardAfter_[at];
    if (before < 0) return;
    joinHeard(before, after);
    heardBefore_[at] = heardAfter_[at] = -1;
}

void TargetTable::joinHeard(int before, int after) {
    if (before == 0) {
        heardFirst_ = after;
    } else {
        heardAfter_[static_cast<size_t>(before)] = static_cast<int16_t>(after);
    }
    if (after == 0) {
        heardLast_ = before;
    } else {
        heardBefore_[static_cast<size_t>(after)] = static_cast<int16_t>(before);
    }
}

void TargetTable::heard(int n) {
    unheard(n);
    // Almost always the newest: it goes last. Heard before the last one (a
    // clock set back, a table filled from a past moment, several entries at
    // one reading) it goes last all the same, and the chain is put in order
    // once when it is next read: placing each where it belongs would walk
    // the chain, which made filling a table of 20,000 stations from a past
    // moment take seconds.
    if (heardLast_ != 0) {
        const double last = entry(heardLast_).LastMsgMonotonic, time = entry(n).LastMsgMonotonic;
        if (last > time || (last == time && heardLast_ > n)) heardUnordered_ = true;
    }
    joinHeard(heardLast_, n);
    joinHeard(n, 0);
}

void TargetTable::orderHeard() {
    if (!heardUnordered_) return;
    heardUnordered_ = false;
    std::vector<int> chain;
    for (int n = heardFirst_; n != 0; n = heardAfter_[static_cast<size_t>(n)]) chain.push_back(n);
    std::sort(chain.begin(), chain.end(), [&](int a, int b) {
        const double ta = entry(a).LastMsgMonotonic, tb = entry(b).LastMsgMonotonic;
        return ta < tb || (ta == tb && a < b);
    });
    heardFirst_ = heardLast_ = 0;
    for (const int n : chain) {
        joinHeard(heardLast_, n);
        joinHeard(n, 0);
    }
}

void TargetTable::placeInRow(int k, int n) {
    displayOrder_[static_cast<size_t>(k)] = static_cast<int16_t>(n);
    entry(n).ListRow = static_cast<int16_t>(k);
}

void TargetTable::compactRows(const std::vector<RemovedTarget>& removed) {
    if (removed.empty()) return;
    size_t next = 0;
    int to = removed.front().row;
    for (int from = removed.front().row; from <= targetCount_; ++from) {
        if (next < removed.size() && removed[next].row == from) {
            ++next;
            continue;
        }
        placeInRow(to, displayOrder_[static_cast<size_t>(from)]);
        ++to;
    }
    for (int k = to; k <= targetCount_; ++k) displayOrder_[static_cast<size_t>(k)] = 0;
    targetCount_ = static_cast<int16_t>(to - 1);
}

int TargetTable::createTarget(int32_t mmsi, int type, const TableContext& ctx) {
    int n = 0;
    if (!freeEntries_.empty()) {
        std::pop_heap(freeEntries_.begin(), freeEntries_.end(), std::greater<>());
        n = freeEntries_.back();
        freeEntries_.pop_back();
    } else {
        entries_.emplace_back();
        n = ++entryCount_;
    }
    TargetRecord& t = entry(n);
    indexInsert(mmsi, n);
    ++membership_;

    placeInRow(++targetCount_, n);
    t.MMSI = mmsi;
    t.Arrival = ++arrivals_;
    t.FirstMsgTime = ctx.now;
    t.FirstMsgMonotonic = ctx.monotonic;
    t.Status = TargetStatus::New;
    giveClass(t, type, ctx);
    return n;
}

void TargetTable::giveClass(TargetRecord& t, int type, const TableContext& ctx) {
    const TargetClass cls = requiredClass(type);
    t.Class = cls;
    ++membership_;
    bool lookup = false;
    switch (type) {
        case 1: case 2: case 3:
            t.Stats[4].Expected = ais::intervals::StaticVoyage;
            lookup = true;
            break;
        case 4:
            t.Stats[3].Expected = ais::intervals::BaseStation;
            if (t.Id.Name.empty()) t.Id.Name = ClassText(cls);
            break;
        case 5:
            t.Stats[4].Expected = ais::intervals::StaticVoyage;
            break;
        case 9:
            t.Stats[8].Expected = ais::intervals::SARAircraft;
            if (t.Id.Name.empty()) t.Id.Name = ClassText(cls);
            break;
        case 18:
            lookup = true;
            break;
        case 19:
            t.Stats[18].Expected = ais::intervals::ExtendedClassB;
            break;
        case 21:
            t.Stats[20].Expected = ais::intervals::AtoN;
            break;
        default:
            break;
    }

    if (lookup && ctx.shipData) {
        // A name the station sent before its entry had a class (message 24
        // part A) is newer than the database's.
        const std::string name = t.Id.Name;
        if (LookupShipData(t, *ctx.shipData) && !t.ReceivedName.empty()) t.Id.Name = name;
    }
    // A vessel heard earlier in this run gets its last static data back.
    // (A vessel known only by its message 24 has no class yet either.)
    if (const VesselStatic* v = runVessels_.find(t.MMSI);
        v && (v->Class == cls || (v->Class == TargetClass::Unknown && cls == TargetClass::B))) {
        GiveStatic(t, *v);
    }

    const int mid = TargetMID(t.MMSI, cls == TargetClass::BS);
    const auto& countries = ais::codeTables().Country;
    if (mid >= 0 && mid < static_cast<int>(countries.size()) && !countries[static_cast<size_t>(mid)].empty()) {
        t.Country = countries[static_cast<size_t>(mid)];
        t.FlagIcon = ctx.flags ? ctx.flags->FindFlagIcon(mid) : std::string();
    } else {
        t.Country = "unknown";
        t.FlagIcon.clear();
    }
}

int TargetTable::findClassless(int32_t mmsi) const {
    const size_t h = indexSlot(mmsi);
    for (int n = indexEntry_[h]; n != 0; n = nextSameMMSI_[static_cast<size_t>(n)]) {
        if (entry(n).Class == TargetClass::Unknown) return n;
    }
    return 0;
}

int TargetTable::roomFor(SentenceKind kind, double monotonic) {
    if (const int lost = longestUnheard(true)) return lost;
    const bool own = kind == SentenceKind::VDO;
    // Times run forward; a clock set back makes the remembered bound unsafe.
    if (monotonic < lastMonotonic_) noRoomBefore_ = 0;
    lastMonotonic_ = monotonic;
    if (!own && monotonic < noRoomBefore_) return 0;
    const int oldest = longestUnheard(false);
    if (oldest == 0) return 0;
    const double heard = entry(oldest).LastMsgMonotonic;
    if (own || monotonic - heard >= lifecycle_.displaceAfter) return oldest;
    // Entries are only ever heard again or replaced by newcomers, so none
    // can be silent long enough before the oldest one is.
    noRoomBefore_ = heard + lifecycle_.displaceAfter;
    return 0;
}

TargetUpdate TargetTable::AddOrUpdateTarget(SentenceKind kind, int type, const ais::AISMessageRecord& rec,
                                            const TableContext& ctx) {
    if (!TakesType(type)) return {TableAction::TypeNotTaken, 0, {}};
    const int32_t mmsi = messageMMSI(type, rec);
    if (mmsi == 0) return {TableAction::NoMMSI, 0, {}};

    TargetUpdate done{TableAction::Updated, FindTarget(mmsi, type), {}};
    if (done.entry == 0 && (countsOnly(type) || type == 27)) return {TableAction::NoEntry, 0, {}};
    // The first report that tells the station's class adopts the entry a
    // binary message or message 24 made before it, with its counters and name.
    if (done.entry == 0 && requiredClass(type) != TargetClass::Unknown) {
        done.entry = findClassless(mmsi);
        if (done.entry != 0) giveClass(entry(done.entry), type, ctx);
    }
    if (done.entry == 0) {
        if (targetCount_ >= lifecycle_.capacity) {
            // A station gone for a while, or silent for the displace-after
            // time, gives way to one that is here now; our own ship (VDO)
            // always has a place, if need be the longest unheard station's.
            const int victim = roomFor(kind, ctx.monotonic);
            if (victim == 0) {
                return {TableAction::TableFull, 0, {}};
            }
            done.evicted = {victim, entry(victim).ListRow};
            if (entry(victim).Dangerous) {
                evictedCopy_ = entry(victim);
                done.evictedDangerous = &evictedCopy_;
            }
            freeEntry(victim);
            compactRows({done.evicted});
        }
        done.action = TableAction::Created;
        done.entry = createTarget(mmsi, type, ctx);
    }
    TargetRecord& t = entry(done.entry);

    if (done.action == TableAction::Updated) t.LongestGap = std::max(t.LongestGap, ctx.monotonic - t.LastMsgMonotonic);
    t.LastMsgTime = ctx.now;
    t.LastMsgMonotonic = ctx.monotonic;
    heard(done.entry);
    if (t.Status == TargetStatus::Lost) --lostCount_;
    if (t.Status == TargetStatus::Old || t.Status == TargetStatus::Lost) t.Status = TargetStatus::Current;
    if (const auto tracked = t.LastMsgTime.wholeSecondsSince(t.FirstMsgTime)) t.TrackedFor = *tracked;

    copyMessage(t, type, rec, ctx);
    if (type == 20 || countsOnly(type)) return done;

    // The reference position follows the own ship or the chosen vessel, but
    // only to a position it reported: a report without one leaves it where it was.
    if (ctx.reference) {
        Reference& ref = *ctx.reference;
        const bool valid = IsValidPosition(t.Fix.Latitude, t.Fix.Longitude);
        const bool follow = (ref.mode() == kRefFromVDO && kind == SentenceKind::VDO) ||
                            (ref.mode() == kRefFromVDM && kind == SentenceKind::VDM && t.MMSI == ref.mmsi());
        if (follow && valid) {
            ref.moveTo(t.Fix.Latitude, t.Fix.Longitude);
            done.referenceMoved = true;
        }
        // A reference still at 0°, 0° has no position yet: every reader shows
        // positions instead of ranges then, and the ranges are all measured
        // afresh (MeasureAllRanges) when it gets one. Measuring from it would
        // cost a geodesic per message for nothing (an own ship named by
        // --own-mmsi that reports by VDO leaves it there for the whole run).
        const bool refPlaced = ref.lat() != 0.0 || ref.lon() != 0.0;
        if (ref.mode() != kRefNone && valid && refPlaced) {
            const double refLat = ref.lat() * geodesy::kDegToRad;
            if (!(refLat == refReducedLat_)) {
                refReduced_ = geodesy::ReducedLatitudeOf(refLat, geodesy::kWgs84F);
                refReducedLat_ = refLat;
            }
            t.FromReference.measureLater(refReduced_, refLat, ref.lon() * geodesy::kDegToRad,
                                         t.Fix.Latitude * geodesy::kDegToRad, t.Fix.Longitude * geodesy::kDegToRad);
        }
    }
    return done;
}

void TargetTable::AgeTargets(double monotonicNow, std::vector<int>* changed, std::vector<RemovedTarget>* removed) {
    runVessels_.age(monotonicNow);
    // Heard less than this long ago, an entry's whole-second age is below 32
    // and below both lost times: a New or Current one stays as it is. Most
    // of a busy table, at every tick.
    const double surelyFresh =
        std::min(31.0, std::min(lifecycle_.lostAfterMoving, lifecycle_.lostAfterFixed) - 1.0);
    std::vector<RemovedTarget> gone;
    for (int n = 1; n <= entryCount_; ++n) {
        TargetRecord& t = entry(n);
        if (t.MMSI == 0) continue;
        if (monotonicNow - t.LastMsgMonotonic < surelyFresh &&
            (t.Status == TargetStatus::New || t.Status == TargetStatus::Current)) {
            continue;
        }
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
        const bool lying = t.Nav.NavStatus == 1 || t.Nav.NavStatus == 5;
        if (!fresh && t.Class == TargetClass::A && lying && age < 360.0f) fresh = true;
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
    compactRows(gone);
    if (removed) removed->insert(removed->end(), gone.begin(), gone.end());
}

std::string WithoutTrailingBlanks(const std::string& text) {
    const size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

bool LookupShipData(TargetRecord& t, const ShipDatabase& db) {
    const ShipDataItem* item = db.LookupShipData(t.MMSI);
    if (!item) return false;
    t.Id = {item->IMONumber, item->CallSign, item->Name};
    t.Dim = item->Dim;
    const ais::ShipTypeTexts st = ais::ShipTypeRule(item->ShipType);
    t.Ship = {st.ShipType, st.ShipTypeText, st.CargoTypeText};
    t.Epfd.EPFDType = (item->EPFDType >= 1 && item->EPFDType <= 15) ? item->EPFDType : int16_t{0};
    t.Epfd.EPFDTypeText = ais::codeTables().EPFDTypeText[static_cast<size_t>(t.Epfd.EPFDType)];
    return true;
}

}  // namespace targets
