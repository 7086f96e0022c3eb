#include "plot/plot_state_symbols.h"

#include <cmath>
#include <limits>

#include "base/number_format.h"

namespace plot {

TypeGroup ShipTypeGroup(int shipType) {
    if (shipType == 30) return TypeGroup::Fishing;
    if (shipType == 36 || shipType == 37) return TypeGroup::Pleasure;
    if ((shipType >= 31 && shipType <= 35) || (shipType >= 50 && shipType <= 59)) return TypeGroup::TugSpecial;
    switch (shipType / 10) {
        case 4: return TypeGroup::HighSpeed;
        case 6: return TypeGroup::Passenger;
        case 7: return TypeGroup::Cargo;
        case 8: return TypeGroup::Tanker;
        default: return TypeGroup::Other;
    }
}

const char* TypeGroupName(TypeGroup g) {
    switch (g) {
        case TypeGroup::Cargo: return "Cargo";
        case TypeGroup::Tanker: return "Tanker";
        case TypeGroup::Passenger: return "Passenger";
        case TypeGroup::Fishing: return "Fishing";
        case TypeGroup::HighSpeed: return "High-speed craft";
        case TypeGroup::TugSpecial: return "Tug, pilot, special craft";
        case TypeGroup::Pleasure: return "Sailing, pleasure craft";
        case TypeGroup::Other: break;
    }
    return "Other";
}

bool DistressBeacon(int32_t mmsi) {
    const int32_t prefix = mmsi / 1000000;
    return prefix == 970 || prefix == 972 || prefix == 974;
}

TargetSymbol SymbolOf(const targets::TargetRecord& t) {
    if (DistressBeacon(t.MMSI)) return TargetSymbol::Distress;
    switch (t.Class) {
        case targets::TargetClass::A: return TargetSymbol::ClassA;
        case targets::TargetClass::B: return TargetSymbol::ClassB;
        case targets::TargetClass::BS: return TargetSymbol::BaseStation;
        case targets::TargetClass::AtoN: return TargetSymbol::AtoN;
        case targets::TargetClass::SAR: return TargetSymbol::SAR;
        case targets::TargetClass::Unknown: break;
    }
    return TargetSymbol::Plain;
}

TypeGroup GroupOf(const targets::TargetRecord& t) {
    return ShipTypeGroup(t.Ship.ShipType != 0 ? t.Ship.ShipType : t.Ship24.ShipType);
}

double SymbolAngle(const targets::TargetRecord& t) {
    auto valid = [](double a) { return std::isfinite(a) && a >= 0 && a < 360; };
    if (valid(t.TrueHeading)) return t.TrueHeading;
    if (valid(t.Motion.COG)) return t.Motion.COG;
    return std::numeric_limits<double>::quiet_NaN();
}

int TargetAtPixel(const PlotState& plot, const targets::TargetTable& table, const PlotView& view, double px,
                  double py, double within) {
    int best = 0;
    double bestDistance = within;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (!table.InUse(n) || !Drawable(table.entry(n))) continue;
        const TrackPoint& p = plot.track[static_cast<size_t>(n)];
        const PlotView::Point at = view.toPixel(p.easting - view.centreE, p.northing - view.centreN);
        const double distance = std::hypot(at.x - px, at.y - py);
        if (distance <= bestDistance && (best == 0 || distance < bestDistance)) {
            best = n;
            bestDistance = distance;
        }
    }
    return best;
}

namespace {

std::string AgeText(double seconds) {
    if (!(seconds >= 0)) seconds = 0;
    const auto whole = static_cast<int64_t>(std::floor(seconds));
    if (whole < 60) return std::to_string(whole) + " s";
    if (whole < 3600) return std::to_string(whole / 60) + " min " + base::formatNumber(whole % 60, "00") + " s";
    return std::to_string(whole / 3600) + " h " + base::formatNumber((whole / 60) % 60, "00") + " min";
}

bool IsVessel(targets::TargetClass c) { return c == targets::TargetClass::A || c == targets::TargetClass::B; }

}  // namespace

std::string TargetTipText(const targets::TargetRecord& t, double nowMonotonic) {
    std::string out;
    std::string name = t.Id.Name;
    while (!name.empty() && (name.back() == ' ' || name.back() == '@')) name.pop_back();
    if (!name.empty()) out += name + "\n";
    out += "MMSI " + base::formatNumber(t.MMSI, "000000000") + "\n";
    out += targets::ClassText(t.Class);
    if (IsVessel(t.Class)) out += std::string(" \u00b7 ") + TypeGroupName(GroupOf(t));
    out += "\n";
    if (t.Class != targets::TargetClass::BS && t.Class != targets::TargetClass::AtoN) {
        const bool sog = t.Motion.SOG >= 0 && t.Motion.SOG < 102.3f;
        const bool cog = t.Motion.COG >= 0 && t.Motion.COG < 360;
        out += "SOG " + (sog ? base::formatNumber(t.Motion.SOG, "0.0") + " kn" : std::string("n/a"));
        out += "  COG " + (cog ? base::formatNumber(t.Motion.COG, "000.0") + "\u00b0" : std::string("n/a")) + "\n";
    }
    if (t.HasCPA && t.RangeKnown && t.PositionKnown) {
        out += "CPA " + base::formatNumber(t.CPA, "0.00") + " nm  TCPA " + base::formatNumber(t.TCPA, "0.0") +
               " min\n";
    }
    out += "Last report " + AgeText(nowMonotonic - t.LastMsgMonotonic) + " ago";
    return out;
}

}  // namespace plot
