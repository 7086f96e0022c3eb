// What the plot says about its targets: the symbol and fill colour group of
// each, which target lies under a pixel, and the tool tip a target shows.
//
//   plot::SymbolOf(t);                       // TargetSymbol::ClassA, ...
//   plot::ShipTypeGroup(70);                 // TypeGroup::Cargo
//   int n = plot::TargetAtPixel(plot, table, view, 412, 300);   // 0: none there
//   std::string tip = plot::TargetTipText(t, clock.monotonicSeconds());
#pragma once

#include <cstdint>
#include <string>

#include "plot/plot_geometry.h"
#include "plot/plot_state.h"
#include "targets/target_table.h"

namespace plot {

// Group of an ITU ship and cargo type (0..99); 0 and the unknown are Other.
TypeGroup ShipTypeGroup(int shipType);
const char* TypeGroupName(TypeGroup g);
// SART (970), man overboard (972) and EPIRB (974) transmitters.
bool DistressBeacon(int32_t mmsi);
TargetSymbol SymbolOf(const targets::TargetRecord& t);
// The group of the type the target reported (type 5, or 24 part B).
TypeGroup GroupOf(const targets::TargetRecord& t);
// Direction a symbol points: the heading, else the course over ground, else NaN.
double SymbolAngle(const targets::TargetRecord& t);

// How far from a target's centre, in pixels, the pointer still hits it.
inline constexpr double kHitRadius = 8;
// The drawn target whose symbol centre lies nearest to pixel (px, py) and no
// further than `within` pixels; 0 when none. Positions are the last trail
// pass's, as drawn.
int TargetAtPixel(const PlotState& plot, const targets::TargetTable& table, const PlotView& view, double px,
                  double py, double within = kHitRadius);

// The tool tip of a target, one fact a line: name (when it sent one), MMSI,
// class (and type group of a vessel), SOG and COG, CPA and TCPA (only where
// the approach is known), and how long ago its last report came.
std::string TargetTipText(const targets::TargetRecord& t, double nowMonotonic);

}  // namespace plot
