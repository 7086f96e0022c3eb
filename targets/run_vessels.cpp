#include "targets/run_vessels.h"

#include <algorithm>

#include "targets/ship_database.h"
#include "targets/target_table.h"

namespace targets {

namespace {

bool isVessel(TargetClass c) { return c == TargetClass::A || c == TargetClass::B; }

// Part B of message 24 has reached the entry.
bool hasPartB(const TargetRecord& t) {
    return !t.CallSign24.empty() || !t.VendorID24.empty() || t.ShipType24 != 0 || t.DimA24 != 0 || t.DimB24 != 0 ||
           t.DimC24 != 0 || t.DimD24 != 0;
}

ShipDataItem shipDataItem(const VesselStatic& v, const ShipDataItem* known) {
    // What the database knew stays where the run heard nothing better.
    ShipDataItem item = known ? *known : ShipDataItem{};
    item.MMSI = v.MMSI;
    item.Name = v.ReceivedName;
    if (!v.CallSign.empty() && v.CallSign != "n/a") {
        item.CallSign = v.CallSign;
    } else if (!v.CallSign24.empty()) {
        item.CallSign = v.CallSign24;
    }
    item.IMONumber = v.IMONumber;
    item.ShipType = v.ShipType;
    item.DimA = v.DimA;
    item.DimB = v.DimB;
    item.DimC = v.DimC;
    item.DimD = v.DimD;
    item.EPFDType = v.EPFDType;
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
    v.Name = t.Name;
    v.ReceivedName = t.ReceivedName;
    v.CallSign = t.CallSign;
    v.IMONumber = t.IMONumber;
    v.ShipType = t.ShipType;
    v.ShipTypeText = t.ShipTypeText;
    v.CargoTypeText = t.CargoTypeText;
    v.DimA = t.DimA, v.DimB = t.DimB, v.DimC = t.DimC, v.DimD = t.DimD;
    v.EPFDType = t.EPFDType;
    v.EPFDTypeText = t.EPFDTypeText;
    v.ETA = t.ETA;
    v.Draught = t.Draught;
    v.Destination = t.Destination;
    v.Name24 = t.Name24;
    v.VendorID24 = t.VendorID24;
    v.CallSign24 = t.CallSign24;
    v.ShipType24 = t.ShipType24;
    v.ShipTypeText24 = t.ShipTypeText24;
    v.CargoTypeText24 = t.CargoTypeText24;
    v.DimA24 = t.DimA24, v.DimB24 = t.DimB24, v.DimC24 = t.DimC24, v.DimD24 = t.DimD24;
    return v;
}

void GiveStatic(TargetRecord& t, const VesselStatic& v) {
    // The fields of messages 5 and 19: an entry without a class has heard
    // neither, so they are the kept ones (newer than the database's).
    t.CallSign = v.CallSign;
    t.IMONumber = v.IMONumber;
    t.ShipType = v.ShipType;
    t.ShipTypeText = v.ShipTypeText;
    t.CargoTypeText = v.CargoTypeText;
    t.DimA = v.DimA, t.DimB = v.DimB, t.DimC = v.DimC, t.DimD = v.DimD;
    t.EPFDType = v.EPFDType;
    t.EPFDTypeText = v.EPFDTypeText;
    t.ETA = v.ETA;
    t.Draught = v.Draught;
    t.Destination = v.Destination;
    // A name or message 24 part the entry heard itself is newer still.
    if (t.ReceivedName.empty() && !v.ReceivedName.empty()) {
        t.Name = v.Name;
        t.ReceivedName = v.ReceivedName;
    }
    if (t.Name24.empty()) t.Name24 = v.Name24;
    if (!hasPartB(t)) {
        t.VendorID24 = v.VendorID24;
        t.CallSign24 = v.CallSign24;
        t.ShipType24 = v.ShipType24;
        t.ShipTypeText24 = v.ShipTypeText24;
        t.CargoTypeText24 = v.CargoTypeText24;
        t.DimA24 = v.DimA24, t.DimB24 = v.DimB24, t.DimC24 = v.DimC24, t.DimD24 = v.DimD24;
    }
}

void RunVessels::keep(const TargetRecord& t) {
    if (!HasRunStaticData(t)) return;
    byMMSI_.insert_or_assign(t.MMSI, TakeStatic(t));
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

    std::vector<const VesselStatic*> order;
    order.reserve(vessels.size());
    // Only a name the vessel sent: a placeholder ("Class B vessel") or a
    // name taken from the database is not news to store.
    for (const auto& [mmsi, v] : vessels) {
        if (!v.ReceivedName.empty()) order.push_back(&v);
    }
    std::sort(order.begin(), order.end(), [](const VesselStatic* a, const VesselStatic* b) {
        return a->Arrival != b->Arrival ? a->Arrival < b->Arrival : a->MMSI < b->MMSI;
    });
    std::vector<ShipDataItem> out;
    out.reserve(order.size());
    for (const VesselStatic* v : order) out.push_back(shipDataItem(*v, known.LookupShipData(v->MMSI)));
    return out;
}

}  // namespace targets
