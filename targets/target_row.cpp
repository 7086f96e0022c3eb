#include "targets/target_row.h"

#include "base/number_format.h"
#include "geodesy/position_text.h"
#include "targets/statistics.h"
#include "targets/watch.h"

namespace targets {

namespace {

constexpr double kMetresPerNm = 1852.0;
constexpr double kDegreesPerRadian = 57.29577951307855;
constexpr const char* kNotAvailableCell = "    n/a";

bool HasCoordinate(double v) { return v != base::kNotAvailable && v != 0.0; }

}  // namespace

const char* ListTitle(int column, int referenceMode) {
    if (referenceMode != 0 && column == kColLat) return kRangeTitle;
    if (referenceMode != 0 && column == kColLon) return kBearingTitle;
    return column >= 0 && column < kListColumns ? kListTitles[static_cast<size_t>(column)] : "";
}

bool IsOwnShip(const TargetRecord& t) { return t.VDOCount > 0 && t.VDMCount == 0; }

void WriteTargetRow(const TargetRecord& t, const RowContext& ctx, RowWrite kind, ListRowText& row) {
    const bool update = kind == RowWrite::Update;
    auto& c = row.cells;
    c[kColMMSI] = std::to_string(t.MMSI);

    if (!update) row.blueName = false;
    c[kColName] = WithoutTrailingBlanks(update ? t.Id.Name + t.NameExtension : t.Id.Name);
    if (IsOwnShip(t)) {
        row.blueName = true;
        c[kColName] += kOwnShipSuffix;
    }

    const bool showPositions = ctx.referenceMode == 0 || (ctx.refLat == 0.0 && ctx.refLon == 0.0) ||
                               (!update && ctx.referenceChanged);
    const char* noPosition = update ? "n/a" : "";
    // Range and bearing only where they are known: never to a position older
    // than the lost time, nor one the reference in use has not measured.
    const bool noRange = !showPositions && (!t.RangeKnown || !IsValidPosition(t.Fix.Latitude, t.Fix.Longitude));
    if (!HasCoordinate(t.Fix.Latitude) || noRange) {
        c[kColLat] = noPosition;
    } else {
        c[kColLat] = showPositions ? geodesy::FormatPosition(t.Fix.Latitude, "LAT", "display", 1)
                                   : base::formatNumber(t.FromReference.range() / kMetresPerNm, "0.0 nm");
    }
    if (!HasCoordinate(t.Fix.Longitude) || noRange) {
        c[kColLon] = noPosition;
    } else {
        c[kColLon] = showPositions ? geodesy::FormatPosition(t.Fix.Longitude, "LON", "display", 1)
                                   : base::formatNumber(t.FromReference.bearing() * kDegreesPerRadian, "000.0 °");
    }

    const bool fixed = t.Class == TargetClass::BS || t.Class == TargetClass::AtoN;
    const bool noHeading = fixed || t.Class == TargetClass::SAR;
    c[kColSOG] = fixed ? kNotAvailableCell : "    " + base::FormatAvailable(t.Motion.SOG, "0.0");
    c[kColCOG] = fixed ? kNotAvailableCell : "    " + base::FormatAvailable(t.Motion.COG, "000.0");
    c[kColHDG] = noHeading ? kNotAvailableCell : "    " + base::FormatAvailable(t.TrueHeading, "000");
    if (noHeading) {
        c[kColROT] = kNotAvailableCell;
    } else if (t.ROT >= 720.0f) {
        c[kColROT] = update ? "    stb" : " stb";
    } else if (t.ROT <= -720.0f && t.ROT != base::kNotAvailable) {
        c[kColROT] = update ? "   port" : " port";
    } else {
        c[kColROT] = "    " + base::FormatAvailable(t.ROT, "0.0");
    }

    c[kColClass] = ClassCode(t.Class);
    c[kColTime] = t.LastMsgTime.format("dd mmm hh:mm:ss");
    c[kColNoOfMsg] = base::formatNumber(t.MsgCount[0], "0");
    WriteStatusCell(t, row);
    WriteApproachCells(t, row);
    // As of the target's last message: the row changes with its messages.
    c[kColRx] = "  " + RxPercentText(t, t.LastMsgMonotonic);
}

void WriteApproachCells(const TargetRecord& t, ListRowText& row) {
    row.cells[kColCPA] = "  " + CPAText(t);
    row.cells[kColTCPA] = "  " + TCPAText(t);
    row.dangerous = t.Dangerous;
}

}  // namespace targets
