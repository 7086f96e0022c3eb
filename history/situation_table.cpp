#include "history/situation_table.h"

#include <algorithm>
#include <ctime>

#include "ais/code_tables.h"
#include "ais/message_record.h"
#include "base/number_format.h"
#include "targets/watch.h"

namespace history {
namespace {

// The local date and time of a UTC moment, as the list shows reception times.
base::DateTime LocalTime(TimeMs ms) {
    const TimeMs seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return {};
    return base::DateTime::fromCalendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                        local.tm_min, local.tm_sec, static_cast<int>(ms - seconds * 1000));
}

template <typename T>
float OrNotAvailable(const std::optional<T>& v) {
    return v ? static_cast<float>(*v) : static_cast<float>(base::kNotAvailable);
}

// The report type a station of this class sends its position with.
int PositionType(const PositionRow& p) {
    switch (p.stationClass) {
        case StationClass::ClassA: return p.type >= 1 && p.type <= 3 ? p.type : 1;
        case StationClass::ClassB: return p.type == 19 ? 19 : 18;
        case StationClass::BaseStation: return 4;
        case StationClass::AidToNavigation: return 21;
        case StationClass::SarAircraft: return 9;
        case StationClass::Unknown: break;
    }
    switch (p.type) {
        case 1: case 2: case 3: case 4: case 9: case 18: case 19: case 21: return p.type;
        default: return 1;  // a long-range report (27) comes from a class A vessel
    }
}

template <typename R>
void SetFix(R& r, const PositionRow& p) {
    r.MMSI = p.mmsi;
    r.Latitude = p.latitude;
    r.Longitude = p.longitude;
}

// Speed, course and heading of a report that carries all three.
template <typename R>
void SetMotion(R& r, const PositionRow& p) {
    r.SOG = OrNotAvailable(p.sog);
    r.COG = OrNotAvailable(p.cog);
    r.TrueHeading = OrNotAvailable(p.heading);
}

void SetNavStatus(ais::NavigationStatus& n, const std::optional<int16_t>& status) {
    n.NavStatus = status.value_or(15);  // 15: not defined
    n.NavStatusText = ais::codeTables().NavStatusText[static_cast<size_t>(n.NavStatus & 15)];
}

void SetShipType(ais::ShipKind& k, const std::optional<int16_t>& type) {
    const ais::ShipTypeTexts texts = ais::ShipTypeRule(type.value_or(0));
    k.ShipType = texts.ShipType;
    k.ShipTypeText = texts.ShipTypeText;
    k.CargoTypeText = texts.CargoTypeText;
}

// Twenty blanks are how a report says it carries no name: the table then
// shows its placeholder ("Class B vessel", "Aid to Navigation").
std::string NameOrBlanks(const std::string& name) { return name.empty() ? std::string(20, ' ') : name; }

void SetDimensions(ais::Dimensions& d, const StaticRow& s) {
    d.DimA = s.dimA.value_or(0);
    d.DimB = s.dimB.value_or(0);
    d.DimC = s.dimC.value_or(0);
    d.DimD = s.dimD.value_or(0);
}

// The position report of `type` that gave the row (and, for types 19 and
// 21, which carry them, the static fields).
void PositionReport(int type, const SituationEntry& e, ais::AISMessageRecord& rec) {
    const PositionRow& p = e.position;
    const StaticRow none;
    const StaticRow& s = e.statics ? *e.statics : none;
    if (ais::PositionReport* r = rec.positionReport(type)) {
        *r = {};
        SetFix(*r, p);
        SetMotion(*r, p);
        SetNavStatus(*r, p.navStatus);
    } else if (type == 4) {
        rec.Type4 = {};
        SetFix(rec.Type4, p);
    } else if (type == 9) {
        rec.Type9 = {};
        SetFix(rec.Type9, p);
        rec.Type9.SOG = OrNotAvailable(p.sog);
        rec.Type9.COG = OrNotAvailable(p.cog);
    } else if (type == 18) {
        rec.Type18 = {};
        SetFix(rec.Type18, p);
        SetMotion(rec.Type18, p);
    } else if (type == 19) {
        rec.Type19 = {};
        SetFix(rec.Type19, p);
        SetMotion(rec.Type19, p);
        rec.Type19.Name = NameOrBlanks(s.name);
        SetShipType(rec.Type19, s.shipType);
        SetDimensions(rec.Type19, s);
    } else if (type == 21) {
        rec.Type21 = {};
        SetFix(rec.Type21, p);
        rec.Type21.Name = NameOrBlanks(s.name);
        SetDimensions(rec.Type21, s);
    }
}

struct Taker {
    targets::TargetTable& table;
    targets::Reference& reference;
    targets::TableContext ctx;
    ais::AISMessageRecord rec;

    // The table takes the report of `type` now in `rec`; the entry, 0 none.
    int take(int type) {
        const targets::TargetUpdate u = table.AddOrUpdateTarget(targets::SentenceKind::VDM, type, rec, ctx);
        if (u.taken()) targets::NoteMessage(table, u.entry, type, reference, ctx.monotonic);
        return u.entry;
    }

    void takeStatic(int positionType, const StaticRow& s) {
        if (positionType >= 1 && positionType <= 3) {
            ais::StaticVoyageData& v = rec.Type5;
            v = {};
            v.MMSI = s.mmsi;
            v.Name = s.name;
            v.CallSign = s.callSign;
            v.IMONumber = s.imo.value_or(0);
            SetShipType(v, s.shipType);
            SetDimensions(v, s);
            v.Draught = s.draught.value_or(0);
            v.Destination = s.destination;
            take(5);
        } else if (positionType == 18 || positionType == 19) {
            ais::StaticDataReport& r = rec.Type24;
            r = {};
            r.MMSI = s.mmsi;
            r.Name = s.name;
            take(24);
            r = {};
            r.MMSI = s.mmsi;
            r.PartNumber = 1;
            r.CallSign = s.callSign;
            SetShipType(r, s.shipType);
            SetDimensions(r, s);
            take(24);
        }
    }
};

}  // namespace

SituationFill FillSituationTable(targets::TargetTable& table, const std::vector<SituationEntry>& entries, TimeMs at,
                                 const targets::Reference& reference) {
    SituationFill fill;
    std::vector<const SituationEntry*> order;
    order.reserve(entries.size());
    for (const SituationEntry& e : entries) order.push_back(&e);
    std::stable_sort(order.begin(), order.end(),
                     [](const SituationEntry* a, const SituationEntry* b) { return a->position.mmsi < b->position.mmsi; });

    targets::LifecycleSettings lifecycle = table.lifecycle();
    lifecycle.capacity = std::clamp(static_cast<int>(entries.size()), targets::kMaxTargets, targets::kMaxCapacity);
    table.setLifecycle(lifecycle);

    targets::Reference ref = reference;
    Taker taker{table, ref, {}, {}};
    taker.ctx.reference = &ref;
    for (const SituationEntry* e : order) {
        const PositionRow& p = e->position;
        const int type = PositionType(p);
        taker.ctx.now = LocalTime(p.time);
        taker.ctx.monotonic = kSituationClockAt - static_cast<double>(at - p.time) / 1000.0;
        PositionReport(type, *e, taker.rec);
        const int entry = taker.take(type);
        if (entry == 0) {
            ++fill.skipped;
            continue;
        }
        ++fill.stations;
        if (e->statics && e->statics->mmsi == p.mmsi) taker.takeStatic(type, *e->statics);
    }
    // A station is as old as its last report was at the moment: no NEW
    // marks, Old and Lost as the live table would have them then.
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (table.InUse(n)) table.entry(n).Status = targets::TargetStatus::Current;
    }
    table.AgeTargets(kSituationClockAt);
    std::vector<int> changed;
    targets::MeasureAllRanges(table, ref, kSituationClockAt, changed);
    return fill;
}

}  // namespace history
