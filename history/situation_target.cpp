#include "history/situation_target.h"

#include <ctime>

#include "ais/code_tables.h"
#include "base/number_format.h"

namespace history {

targets::TargetRecord TargetOfSituation(const SituationEntry& e) {
    const PositionRow& p = e.position;
    targets::TargetRecord t;
    t.MMSI = p.mmsi;
    switch (p.stationClass) {
        case history::StationClass::ClassA: t.Class = targets::TargetClass::A; break;
        case history::StationClass::ClassB: t.Class = targets::TargetClass::B; break;
        case history::StationClass::BaseStation: t.Class = targets::TargetClass::BS; break;
        case history::StationClass::AidToNavigation: t.Class = targets::TargetClass::AtoN; break;
        case history::StationClass::SarAircraft: t.Class = targets::TargetClass::SAR; break;
        case history::StationClass::Unknown: break;
    }
    t.Nav.NavStatus = p.navStatus.value_or(15);
    t.Nav.NavStatusText = ais::codeTables().NavStatusText[static_cast<size_t>(t.Nav.NavStatus & 15)];
    t.Motion.SOG = p.sog.value_or(static_cast<float>(base::kNotAvailable));
    t.Motion.COG = p.cog.value_or(static_cast<float>(base::kNotAvailable));
    t.TrueHeading = p.heading ? *p.heading : static_cast<float>(base::kNotAvailable);
    t.ROT = static_cast<float>(base::kNotAvailable);
    t.Fix.Latitude = p.latitude;
    t.Fix.Longitude = p.longitude;
    t.PositionKnown = true;  // the store keeps valid positions only
    // The table keeps local date-times.
    const std::time_t secs = static_cast<std::time_t>(p.time / 1000);
    std::tm local{};
    localtime_r(&secs, &local);
    t.LastMsgTime = base::DateTime::fromCalendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                                 local.tm_min, local.tm_sec);
    if (e.statics) {
        const StaticRow& s = *e.statics;
        t.Id.Name = s.name;
        t.Id.CallSign = s.callSign;
        t.Id.IMONumber = s.imo.value_or(0);
        t.Ship.ShipType = s.shipType.value_or(0);
        t.Dim = {s.dimA.value_or(0), s.dimB.value_or(0), s.dimC.value_or(0), s.dimD.value_or(0)};
        t.Voyage.Draught = s.draught.value_or(0);
        t.Voyage.Destination = s.destination;
    }
    return t;
}

}  // namespace history
