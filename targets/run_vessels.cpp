#include "targets/run_vessels.h"

#include <algorithm>

#include "targets/ship_database.h"
#include "targets/target_table.h"

namespace targets {

namespace {

bool isVessel(TargetClass c) { return c == TargetClass::A || c == TargetClass::B; }

// Part B of message 24 has reached the entry.
bool hasPartB(const TargetRecord& t) {
    return !t.CallSign24.empty() || !t.VendorID24.empty() || t.Ship24.ShipType != 0 || t.Dim24 != ais::Dimensions{};
}

ShipDataItem shipDataItem(const VesselStatic& v, const ShipDataItem* known) {
    // What the database knew stays where the run heard nothing better.
    ShipDataItem item = known ? *known : ShipDataItem{};
    item.MMSI = v.MMSI;
    item.Name = v.ReceivedName;
    if (!v.Id.CallSign.empty() && v.Id.CallSign != "n/a") {
        item.CallSign = v.Id.CallSign;
    } else if (!v.CallSign24.empty()) {
        item.CallSign = v.CallSign24;
    }
    item.IMONumber = v.Id.IMONumber;
    item.ShipType = v.Ship.ShipType;
    item.Dim = v.Dim;
    item.EPFDType = v.Epfd.EPFDType;
    return item;
}

}  // namespace

bool HasRunStaticData(const TargetRecord& t) {
    // A station heard only by its message 24 (no position report yet, so no
    // class) is a class B vessel all the same.
    if (t.Class == TargetClass::Unknown) return !t.ReceivedName.empty();
    if (!isVessel(t.Class)) return false;
    return !t.ReceivedName.empty() || t.MsgCount[5] > 0 || t.MsgCount[19] > 0 || t.MsgCount[24] > 0;
}

VesselStatic TakeStatic(const TargetRecord& t) {
    VesselStatic v;
    v.MMSI = t.MMSI;
    v.Class = t.Class;
    v.Arrival = t.Arrival;
    v.Id = t.Id;
    v.ReceivedName = t.ReceivedName;
    v.Ship = t.Ship;
    v.Dim = t.Dim;
    v.Epfd = t.Epfd;
    v.Voyage = t.Voyage;
    v.Name24 = t.Name24;
    v.VendorID24 = t.VendorID24;
    v.CallSign24 = t.CallSign24;
    v.Ship24 = t.Ship24;
    v.Dim24 = t.Dim24;
    return v;
}

void GiveStatic(TargetRecord& t, const VesselStatic& v) {
    // The fields of messages 5 and 19: an entry without a class has heard
    // neither, so they are the kept ones (newer than the database's).
    t.Id.CallSign = v.Id.CallSign;
    t.Id.IMONumber = v.Id.IMONumber;
    t.Ship = v.Ship;
    t.Dim = v.Dim;
    t.Epfd = v.Epfd;
    t.Voyage = v.Voyage;
    // A name or message 24 part the entry heard itself is newer still.
    if (t.ReceivedName.empty() && !v.ReceivedName.empty()) {
        t.Id.Name = v.Id.Name;
        t.ReceivedName = v.ReceivedName;
    }
    if (t.Name24.empty()) t.Name24 = v.Name24;
    if (!hasPartB(t)) {
        t.VendorID24 = v.VendorID24;
        t.CallSign24 = v.CallSign24;
        t.Ship24 = v.Ship24;
        t.Dim24 = v.Dim24;
    }
}

void RunVessels::keep(const TargetRecord& t) {
    if (!HasRunStaticData(t)) return;
    VesselStatic v = TakeStatic(t);
    v.KeptAt = now_;
    byMMSI_.insert_or_assign(t.MMSI, std::move(v));
    order_.push_back({t.MMSI, now_});
}

void RunVessels::age(double monotonicNow) {
    now_ = monotonicNow;
    while (!order_.empty() && order_.front().at < monotonicNow - kKeptFor) {
        const Kept k = order_.front();
        order_.pop_front();
        const auto it = byMMSI_.find(k.mmsi);
        // A vessel kept again since waits for its later keep.
        if (it == byMMSI_.end() || it->second.KeptAt != k.at) continue;
        if (!it->second.ReceivedName.empty()) retired_.push_back(std::move(it->second));
        byMMSI_.erase(it);
    }
}

const VesselStatic* RunVessels::find(int32_t mmsi) const {
    const auto it = byMMSI_.find(mmsi);
    return it == byMMSI_.end() ? nullptr : &it->second;
}

std::vector<ShipDataItem> ShipDataOfRun(const TargetTable& table, const ShipDatabase& known) {
    // The table's entries first: a vessel there is newer than what was kept
    // of an earlier entry of it.
    std::unordered_map<int32_t, VesselStatic> vessels;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const TargetRecord& t = table.entry(n);
        if (table.InUse(n) && HasRunStaticData(t)) vessels.try_emplace(t.MMSI, TakeStatic(t));
    }
    for (const auto& [mmsi, v] : table.runVessels().all()) vessels.try_emplace(mmsi, v);
    for (const VesselStatic& v : table.runVessels().retired()) vessels.try_emplace(v.MMSI, v);

    std::vector<const VesselStatic*> order;
    order.reserve(vessels.size());
    for (const auto& [mmsi, v] : vessels) order.push_back(&v);
    return ShipDataOf(std::move(order), known);
}

std::vector<ShipDataItem> ShipDataOf(std::vector<const VesselStatic*> vessels, const ShipDatabase& known) {
    // Only a name the vessel sent: a placeholder ("Class B vessel") or a
    // name taken from the database is not news to store.
    std::erase_if(vessels, [](const VesselStatic* v) { return v->ReceivedName.empty(); });
    std::sort(vessels.begin(), vessels.end(), [](const VesselStatic* a, const VesselStatic* b) {
        return a->Arrival != b->Arrival ? a->Arrival < b->Arrival : a->MMSI < b->MMSI;
    });
    std::vector<ShipDataItem> out;
    out.reserve(vessels.size());
    for (const VesselStatic* v : vessels) out.push_back(shipDataItem(*v, known.LookupShipData(v->MMSI)));
    return out;
}

}  // namespace targets
