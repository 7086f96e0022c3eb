#include "targets/target_export.h"

#include <array>
#include <cmath>
#include <type_traits>

#include "base/number_format.h"
#include "base/text_escape.h"
#include "targets/statistics.h"

namespace targets {

namespace {

constexpr double kMetresPerNm = 1852.0;
constexpr double kDegreesPerRadian = 57.29577951307855;

// A bearing in [0, 360) to a tenth of a degree: 359.96 is written 0.0, not 360.0.
double WrapBearing(double degrees) {
    const double tenths = std::round(degrees * 10.0) / 10.0;
    return tenths >= 360.0 ? tenths - 360.0 : tenths < 0 ? tenths + 360.0 : tenths;
}

void dateValue(base::JsonWriter& j, base::DateTime t) {
    if (t.isNull()) {
        j.null();
    } else {
        j.value(std::string_view(t.format("yyyy-mm-dd hh:mm:ss")));
    }
}

void dateField(base::JsonWriter& j, const char* name, base::DateTime t) {
    j.key(name);
    dateValue(j, t);
}

template <class T, size_t N>
void arrayField(base::JsonWriter& j, const char* name, const std::array<T, N>& a) {
    j.key(name);
    j.beginArray();
    for (const T& v : a) {
        if constexpr (std::is_same_v<T, std::string>) {
            j.value(std::string_view(v));
        } else if constexpr (std::is_same_v<T, base::DateTime>) {
            dateValue(j, v);
        } else if constexpr (std::is_integral_v<T>) {
            j.value(static_cast<int64_t>(v));
        } else {
            j.value(v);
        }
    }
    j.endArray();
}

}  // namespace

namespace {

// A cell the list shows as unknown ("n/a", or empty after a refresh).
bool Unknown(std::string_view cell) { return cell.empty() || cell == "n/a"; }

// Headers of the CSV: the list's column, with the unit of its number.
constexpr std::array<const char*, kListColumns> kCsvTitles = {
    "No",      "MMSI",          "Name",    "Lat (\xC2\xB0)", "Lon (\xC2\xB0)", "SOG (kn)",   "COG (\xC2\xB0)", "HDG (\xC2\xB0)",
    "ROT (\xC2\xB0/min)", "Class", "Time last msg", "NoOfMsg", "STATUS",  "CPA (nm)",   "TCPA (min)", "Rx (%)"};
constexpr const char* kCsvRangeTitle = "Range (nm)";
constexpr const char* kCsvBearingTitle = "Bearing (\xC2\xB0)";

}  // namespace

std::string TargetListCsv(const TargetTable& table, const RowContext& ctx) {
    // Range and bearing get columns of their own beside the position when the
    // list shows them (a reference mode), so latitude and longitude are
    // always where a program looks for them.
    const bool ranges = ctx.referenceMode != 0;
    std::string out;
    for (int c = 0; c < kListColumns; ++c) {
        if (c) out += ',';
        base::AppendCsvField(out, kCsvTitles[static_cast<size_t>(c)]);
        if (c == kColLon && ranges) out += std::string(",") + kCsvRangeTitle + "," + kCsvBearingTitle;
    }
    out += '\n';
    ListRowText row;
    for (int k = 1; k <= table.TargetCount(); ++k) {
        const TargetRecord& t = table.entry(table.DisplayOrder()[static_cast<size_t>(k)]);
        WriteTargetRow(t, ctx, RowWrite::Update, row);
        const auto shown = [&](int c) { return !Unknown(base::TrimSpaces(row.cells[static_cast<size_t>(c)])); };
        // A number where the list shows one, with "." whatever the locale;
        // an empty cell where the list has none.
        const auto number = [&](bool known, double value, int decimals) {
            out += ',';
            if (known && std::isfinite(value)) out += base::FixedText(value, decimals);
        };
        const auto text = [&](std::string_view cell) {
            out += ',';
            // Names come from the air: none may reach a spreadsheet as a formula.
            base::AppendCsvText(out, cell);
        };
        out += std::to_string(k);
        out += ',' + std::to_string(t.MMSI);
        text(base::TrimSpaces(row.cells[kColName]));
        const bool position = HasPosition(t);
        number(position, t.Fix.Latitude, 6);
        number(position, t.Fix.Longitude, 6);
        if (ranges) {
            // The list shows range and bearing only to a known reference and position.
            const bool range = position && !(ctx.refLat == 0.0 && ctx.refLon == 0.0) && shown(kColLat);
            number(range, t.Range / kMetresPerNm, 3);
            number(range, WrapBearing(t.Bearing * kDegreesPerRadian), 1);
        }
        number(shown(kColSOG), t.Motion.SOG, 1);
        number(shown(kColCOG), t.Motion.COG, 1);
        number(shown(kColHDG), t.TrueHeading, 0);
        const std::string_view rot = base::TrimSpaces(row.cells[kColROT]);
        if (rot == "stb" || rot == "port") {
            text(rot);  // turning at more than 5 degrees in 30 s, rate not known
        } else {
            number(shown(kColROT), t.ROT, 1);
        }
        text(base::TrimSpaces(row.cells[kColClass]));
        text(t.LastMsgTime.isNull() ? std::string() : t.LastMsgTime.format("yyyy-mm-dd hh:mm:ss"));
        out += ',' + std::to_string(t.MsgCount[0]);
        text(base::TrimSpaces(row.cells[kColStatus]));
        number(shown(kColCPA), t.CPA, 3);
        number(shown(kColTCPA), t.TCPA, 2);
        const auto rx = RxPercent(t, t.LastMsgMonotonic);
        number(rx.has_value() && shown(kColRx), rx.value_or(0), 0);
        out += '\n';
    }
    return out;
}

void WriteTargetJson(base::JsonWriter& j, const TargetRecord& t, int number, double monotonicNow) {
    auto i = [&](const char* k, int64_t v) { j.field(k, v); };
    auto s = [&](const char* k, std::string_view v) { j.field(k, v); };
    auto f = [&](const char* k, float v) { j.field(k, v); };
    // A figure that is not known is null, never a 0 that reads as a place or a range.
    const auto optional = [&](const char* k, bool has, double v) {
        j.key(k);
        if (has) {
            j.value(v);
        } else {
            j.null();
        }
    };
    const bool position = HasPosition(t);
    j.beginObject();
    i("Number", number);
    i("MMSI", t.MMSI);
    s("Country", t.Country);
    s("FlagIcon", t.FlagIcon);
    s("ClassText", ClassText(t.Class));
    s("Class", ClassCode(t.Class));
    s("Status", StatusText(t.Status));
    i("NavStatus", t.Nav.NavStatus);
    s("NavStatusText", t.Nav.NavStatusText);
    f("ROT", t.ROT);
    f("SOG", t.Motion.SOG);
    i("PosAccuracy", t.Fix.PosAccuracy);
    s("PosAccuracyText", t.Fix.PosAccuracyText);
    optional("Longitude", position, t.Fix.Longitude);
    optional("Latitude", position, t.Fix.Latitude);
    f("COG", t.Motion.COG);
    f("TrueHeading", t.TrueHeading);
    i("UTCSecond", t.UTCSecond);
    i("RAIM", t.Fix.RAIM);
    i("SyncState", t.Comm.SyncState);
    i("SlotTimeout", t.Comm.SlotTimeout);
    i("SubMessage", t.Comm.SubMessage);
    i("SlotNumber", t.Comm.SlotNumber);
    i("SlotOffset", t.Comm.SlotOffset);
    i("ReceivedStations", t.Comm.ReceivedStations);
    i("UTCYear", t.UTCYear);
    i("UTCMonth", t.UTCMonth);
    i("UTCDay", t.UTCDay);
    i("UTCHour", t.UTCHour);
    i("UTCMinute", t.UTCMinute);
    i("IMONumber", t.Id.IMONumber);
    s("CallSign", t.Id.CallSign);
    s("Name", t.Id.Name);
    i("ShipType", t.Ship.ShipType);
    s("ShipTypeText", t.Ship.ShipTypeText);
    s("CargoTypeText", t.Ship.CargoTypeText);
    i("DimA", t.Dim.DimA);
    i("DimB", t.Dim.DimB);
    i("DimC", t.Dim.DimC);
    i("DimD", t.Dim.DimD);
    i("EPFDType", t.Epfd.EPFDType);
    s("EPFDTypeText", t.Epfd.EPFDTypeText);
    dateField(j, "ETA", t.Voyage.ETA);
    f("Draught", t.Voyage.Draught);
    s("Destination", t.Voyage.Destination);
    i("DTE", t.DTE);
    i("Altitude", t.Altitude);
    i("RegionalReserved19", t.RegionalReserved19);
    i("AtoNType", t.AtoNType);
    s("AtoNTypeText", t.AtoNTypeText);
    i("OffPosition", t.OffPosition);
    i("VirtualAtoN", t.VirtualAtoN);
    s("NameExtension", t.NameExtension);
    s("Name24", t.Name24);
    s("VendorID24", t.VendorID24);
    s("CallSign24", t.CallSign24);
    i("ShipType24", t.Ship24.ShipType);
    s("ShipTypeText24", t.Ship24.ShipTypeText);
    s("CargoTypeText24", t.Ship24.CargoTypeText);
    i("DimA24", t.Dim24.DimA);
    i("DimB24", t.Dim24.DimB);
    i("DimC24", t.Dim24.DimC);
    i("DimD24", t.Dim24.DimD);
    i("ListRow", t.ListRow);
    optional("Range", t.RangeKnown, t.Range);
    optional("Bearing", t.RangeKnown, t.Bearing);
    dateField(j, "FirstMsgTime", t.FirstMsgTime);
    dateField(j, "LastMsgTime", t.LastMsgTime);
    i("TrackedFor", t.TrackedFor);
    arrayField(j, "MsgCount", t.MsgCount);
    arrayField(j, "LastRxTime", t.LastRxTime);
    arrayField(j, "Period", t.Period);
    arrayField(j, "Expected", t.Expected);
    arrayField(j, "RxTimer", t.RxTimer);
    arrayField(j, "PrevRxTimer", t.PrevRxTimer);
    arrayField(j, "TimerPeriod", t.TimerPeriod);
    arrayField(j, "LastChannel", t.LastChannel);
    i("ChACount", t.ChACount);
    i("ChBCount", t.ChBCount);
    i("VDMCount", t.VDMCount);
    i("VDOCount", t.VDOCount);
    f("HeightOverKeel", t.HeightOverKeel);
    i("PassengersOnboard", t.PassengersOnboard);
    s("LastMessageText", t.LastMessageText);
    optional("cpa", t.HasCPA, t.CPA);
    optional("tcpa", t.HasCPA, t.TCPA);
    j.key("dangerous");
    j.value(t.Dangerous);
    j.key("lost");
    j.value(t.Status == TargetStatus::Lost);
    const auto rx = RxPercent(t, monotonicNow);
    optional("rx_percent", rx.has_value(), rx.value_or(0));
    j.endObject();
}

std::string TargetsGeoJson(const TargetTable& table, double monotonicNow) {
    base::OutputBuffer out;
    base::JsonWriter j(out);
    j.beginObject();
    j.field("type", "FeatureCollection");
    j.key("features");
    j.beginArray();
    for (int k = 1; k <= table.TargetCount(); ++k) {
        const TargetRecord& t = table.entry(table.DisplayOrder()[static_cast<size_t>(k)]);
        j.beginObject();
        j.field("type", "Feature");
        j.key("geometry");
        if (HasPosition(t)) {
            j.beginObject();
            j.field("type", "Point");
            j.key("coordinates");
            j.beginArray();
            j.value(t.Fix.Longitude);
            j.value(t.Fix.Latitude);
            j.endArray();
            j.endObject();
        } else {
            j.null();
        }
        j.key("properties");
        WriteTargetJson(j, t, k, monotonicNow);
        j.endObject();
    }
    j.endArray();
    j.endObject();
    std::string text(out.view());
    text += '\n';
    return text;
}

}  // namespace targets
