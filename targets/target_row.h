// Texts of the target list: the column titles and widths, and what one row of
// the list shows for a target. The list model keeps these texts per row, the
// way a grid keeps its cells, and rewrites them in two ways:
//
//   Update   after a message for the target (UpdateTargetRow): name with its
//            extension, "n/a" where there is no position (or, in a reference
//            mode, no known range: RangeKnown), "    stb"/"   port";
//   Refresh  when the whole list is rewritten (RefreshTargetList): name alone,
//            an empty cell where there is no position, " stb"/" port", and
//            positions for every row right after the reference was changed.
//
//   targets::ListRowText row;
//   targets::WriteTargetRow(table.entry(n), ctx, targets::RowWrite::Update, row);
//   row.cells[targets::kColSOG]   // "    12.3"
//
// Column 0 (the row number) is written by the list, not here.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "targets/target_table.h"

namespace targets {

enum ListColumn : int {
    kColNo = 0,
    kColMMSI,
    kColName,
    kColLat,
    kColLon,
    kColSOG,
    kColCOG,
    kColHDG,
    kColROT,
    kColClass,
    kColTime,
    kColNoOfMsg,
    kColStatus,
    kColCPA,   // nautical miles to the closest point of approach to the own ship
    kColTCPA,  // minutes to it, negative when past
    kColRx,    // reports received as a percentage of those expected
    kListColumns
};

inline constexpr std::array<const char*, kListColumns> kListTitles = {
    "No", " MMSI", " Name", "  Lat", "  Lon", "  SOG", "  COG", "  HDG", "  ROT", "Class", "Time last msg", "NoOfMsg",
    "STATUS", "  CPA", " TCPA", "Rx %"};
inline constexpr const char* kRangeTitle = "  Range(or Lat)";
inline constexpr const char* kBearingTitle = "  Bearing(or Lon)";
// Column widths in twips; 0 keeps the list's default width (the MMSI column).
inline constexpr std::array<int, kListColumns> kListWidthsTwips = {500, 0,   3200, 1100, 1150, 700, 700, 700,
                                                                   700, 500, 1300, 750,  750,  700, 700, 600};
inline constexpr const char* kOwnShipSuffix = " (Own ship)";

// Title of column 3 or 4 for a reference mode (0 = none: latitude, longitude).
const char* ListTitle(int column, int referenceMode);

struct ListRowText {
    std::array<std::string, kListColumns> cells;
    bool blueName = false;  // the own ship's name is drawn in blue
    bool lost = false;      // a lost station's row is drawn in grey
    bool dangerous = false; // a dangerous target's row is drawn in red
    bool operator==(const ListRowText&) const = default;
};

struct RowContext {
    int16_t referenceMode = 0;
    double refLat = 0;
    double refLon = 0;
    bool referenceChanged = false;  // only read by a Refresh
};

enum class RowWrite { Update, Refresh };

// An entry heard only as VDO (from our own transponder).
bool IsOwnShip(const TargetRecord& t);

// Writes columns 1..15 of a row.
void WriteTargetRow(const TargetRecord& t, const RowContext& ctx, RowWrite kind, ListRowText& row);
// Writes the CPA and TCPA cells alone (the own ship moved).
void WriteApproachCells(const TargetRecord& t, ListRowText& row);
// Writes the STATUS cell alone (the ageing timer).
inline void WriteStatusCell(const TargetRecord& t, ListRowText& row) {
    row.cells[kColStatus] = StatusText(t.Status);
    row.lost = t.Status == TargetStatus::Lost;
}

}  // namespace targets
