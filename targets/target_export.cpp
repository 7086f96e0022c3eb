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

// One figure of every type slot of the statistics, as an array.
template <class Get>
auto perType(const TargetRecord& t, Get get) {
    std::array<std::decay_t<decltype(get(t.Stats[0]))>, kTypeSlots> a{};
    for (size_t s = 0; s < a.size(); ++s) a[s] = get(t.Stats[s]);
    return a;
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
            number(range, t.FromReference.range() / kMetresPerNm, 3);
            number(range, WrapBearing(t.FromReference.bearing() * kDegreesPerRadian), 1);
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

namespace {

// One target's JSON members; a figure that is not known is null, never a 0
// that reads as a place or a range.
struct JsonFields {
    base::JsonWriter& j;
    void i(const char* k, int64_t v) { j.field(k, v); }
    void s(const char* k, std::string_view v) { j.field(k, v); }
    void f(const char* k, float v) { j.field(k, v); }
    void optional(const char* k, bool has, double v) {
        j.key(k);
        if (has) {
            j.value(v);
        } else {
            j.null();
        }
    }
};

// What the position reports and base station reports tell.
void writeReportJson(JsonFields& o, const TargetRecord& t) {
    o.i("MMSI", t.MMSI);
    o.s("Country", t.Country);
    o.s("FlagIcon", t.FlagIcon);
    o.s("ClassText", ClassText(t.Class));
    o.s("Class", ClassCode(t.Class));
    o.s("Status", StatusText(t.Status));
    o.i("NavStatus", t.Nav.NavStatus);
    o.s("NavStatusText", t.Nav.NavStatusText);
    o.f("ROT", t.ROT);
    o.f("SOG", t.Motion.SOG);
    o.i("PosAccuracy", t.Fix.PosAccuracy);
    o.s("PosAccuracyText", t.Fix.PosAccuracyText);
    o.optional("Longitude", HasPosition(t), t.Fix.Longitude);
    o.optional("Latitude", HasPosition(t), t.Fix.Latitude);
    o.f("COG", t.Motion.COG);
    o.f("TrueHeading", t.TrueHeading);
    o.i("UTCSecond", t.UTCSecond);
    o.i("RAIM", t.Fix.RAIM);
    o.i("SyncState", t.Comm.SyncState);
    o.i("SlotTimeout", t.Comm.SlotTimeout);
    o.i("SubMessage", t.Comm.SubMessage);
    o.i("SlotNumber", t.Comm.SlotNumber);
    o.i("SlotOffset", t.Comm.SlotOffset);
    o.i("ReceivedStations", t.Comm.ReceivedStations);
    o.i("UTCYear", t.UTCYear);
    o.i("UTCMonth", t.UTCMonth);
    o.i("UTCDay", t.UTCDay);
    o.i("UTCHour", t.UTCHour);
    o.i("UTCMinute", t.UTCMinute);
}

// What the static and voyage reports (types 5, 19, 21, 24) tell.
void writeStaticJson(JsonFields& o, const TargetRecord& t) {
    o.i("IMONumber", t.Id.IMONumber);
    o.s("CallSign", t.Id.CallSign);
    o.s("Name", t.Id.Name);
    o.i("ShipType", t.Ship.ShipType);
    o.s("ShipTypeText", t.Ship.ShipTypeText);
    o.s("CargoTypeText", t.Ship.CargoTypeText);
    o.i("DimA", t.Dim.DimA);
    o.i("DimB", t.Dim.DimB);
    o.i("DimC", t.Dim.DimC);
    o.i("DimD", t.Dim.DimD);
    o.i("EPFDType", t.Epfd.EPFDType);
    o.s("EPFDTypeText", t.Epfd.EPFDTypeText);
    dateField(o.j, "ETA", t.Voyage.ETA);
    o.f("Draught", t.Voyage.Draught);
    o.s("Destination", t.Voyage.Destination);
    o.i("DTE", t.DTE);
    o.i("Altitude", t.Altitude);
    o.i("RegionalReserved19", t.RegionalReserved19);
    o.i("AtoNType", t.AtoNType);
    o.s("AtoNTypeText", t.AtoNTypeText);
    o.i("OffPosition", t.OffPosition);
    o.i("VirtualAtoN", t.VirtualAtoN);
    o.s("NameExtension", t.NameExtension);
    o.s("Name24", t.Name24);
    o.s("VendorID24", t.VendorID24);
    o.s("CallSign24", t.CallSign24);
    o.i("ShipType24", t.Ship24.ShipType);
    o.s("ShipTypeText24", t.Ship24.ShipTypeText);
    o.s("CargoTypeText24", t.Ship24.CargoTypeText);
    o.i("DimA24", t.Dim24.DimA);
    o.i("DimB24", t.Dim24.DimB);
    o.i("DimC24", t.Dim24.DimC);
    o.i("DimD24", t.Dim24.DimD);
}

// The list row, range and bearing, reception statistics and the watch.
void writeReceptionJson(JsonFields& o, const TargetRecord& t, double monotonicNow) {
    o.i("ListRow", t.ListRow);
    o.optional("Range", t.RangeKnown, t.FromReference.range());
    o.optional("Bearing", t.RangeKnown, t.FromReference.bearing());
    dateField(o.j, "FirstMsgTime", t.FirstMsgTime);
    dateField(o.j, "LastMsgTime", t.LastMsgTime);
    o.i("TrackedFor", t.TrackedFor);
    arrayField(o.j, "MsgCount", t.MsgCount);
    arrayField(o.j, "LastRxTime", perType(t, [](const TypeStatistics& s) { return s.LastRxTime; }));
    arrayField(o.j, "Period", perType(t, [](const TypeStatistics& s) { return s.Period; }));
    arrayField(o.j, "Expected", perType(t, [](const TypeStatistics& s) { return s.Expected; }));
    arrayField(o.j, "RxTimer", perType(t, [](const TypeStatistics& s) { return s.RxTimer; }));
    arrayField(o.j, "PrevRxTimer", perType(t, [](const TypeStatistics& s) { return s.PrevRxTimer; }));
    arrayField(o.j, "TimerPeriod", perType(t, [](const TypeStatistics& s) { return s.TimerPeriod; }));
    std::array<std::string, kTypeSlots> channels;
    for (int slot = 0; slot < kTypeSlots; ++slot) channels[static_cast<size_t>(slot)] = LastChannelText(t, slot);
    arrayField(o.j, "LastChannel", channels);
    o.i("ChACount", t.ChACount);
    o.i("ChBCount", t.ChBCount);
    o.i("VDMCount", t.VDMCount);
    o.i("VDOCount", t.VDOCount);
    o.f("HeightOverKeel", t.HeightOverKeel);
    o.i("PassengersOnboard", t.PassengersOnboard);
    o.s("LastMessageText", t.LastMessageText);
    o.optional("cpa", t.HasCPA, t.CPA);
    o.optional("tcpa", t.HasCPA, t.TCPA);
    o.j.key("dangerous");
    o.j.value(t.Dangerous);
    o.j.key("lost");
    o.j.value(t.Status == TargetStatus::Lost);
    const auto rx = RxPercent(t, monotonicNow);
    o.optional("rx_percent", rx.has_value(), rx.value_or(0));
}

}  // namespace

void WriteTargetJson(base::JsonWriter& j, const TargetRecord& t, int number, double monotonicNow) {
    JsonFields o{j};
    j.beginObject();
    o.i("Number", number);
    writeReportJson(o, t);
    writeStaticJson(o, t);
    writeReceptionJson(o, t, monotonicNow);
    j.endObject();
}

void WriteTargetFeature(base::JsonWriter& j, const TargetRecord& t, int number, double monotonicNow) {
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
    WriteTargetJson(j, t, number, monotonicNow);
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
        WriteTargetFeature(j, table.entry(table.DisplayOrder()[static_cast<size_t>(k)]), k, monotonicNow);
    }
    j.endArray();
    j.endObject();
    std::string text(out.view());
    text += '\n';
    return text;
}

}  // namespace targets
