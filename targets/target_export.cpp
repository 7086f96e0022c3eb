#include "targets/target_export.h"

#include <array>
#include <type_traits>

#include "base/number_format.h"
#include "base/text_escape.h"
#include "targets/statistics.h"

namespace targets {

namespace {

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

std::string TargetListCsv(const TargetTable& table, const RowContext& ctx) {
    const base::PointSeparatorScope point;  // the list's texts, with "." whatever the user's locale
    std::string out;
    for (int c = 0; c < kListColumns; ++c) {
        if (c) out += ',';
        base::AppendCsvField(out, base::TrimSpaces(ListTitle(c, ctx.referenceMode)));
    }
    out += '\n';
    ListRowText row;
    for (int k = 1; k <= table.TargetCount; ++k) {
        WriteTargetRow(table.entry(table.DisplayOrder[static_cast<size_t>(k)]), ctx, RowWrite::Update, row);
        row.cells[kColNo] = std::to_string(k);
        for (int c = 0; c < kListColumns; ++c) {
            if (c) out += ',';
            const std::string_view cell = base::TrimSpaces(row.cells[static_cast<size_t>(c)]);
            // The name comes from the air: it must not reach a spreadsheet as a formula.
            const bool text = c == kColName || c == kColClass || c == kColStatus || c == kColTime;
            text ? base::AppendCsvText(out, cell) : base::AppendCsvField(out, cell);
        }
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
    i("NavStatus", t.NavStatus);
    s("NavStatusText", t.NavStatusText);
    f("ROT", t.ROT);
    f("SOG", t.SOG);
    i("PosAccuracy", t.PosAccuracy);
    s("PosAccuracyText", t.PosAccuracyText);
    optional("Longitude", position, t.Longitude);
    optional("Latitude", position, t.Latitude);
    f("COG", t.COG);
    f("TrueHeading", t.TrueHeading);
    i("UTCSecond", t.UTCSecond);
    i("RAIM", t.RAIM);
    i("SyncState", t.SyncState);
    i("SlotTimeout", t.SlotTimeout);
    i("SubMessage", t.SubMessage);
    i("SlotNumber", t.SlotNumber);
    i("SlotOffset", t.SlotOffset);
    i("ReceivedStations", t.ReceivedStations);
    i("UTCYear", t.UTCYear);
    i("UTCMonth", t.UTCMonth);
    i("UTCDay", t.UTCDay);
    i("UTCHour", t.UTCHour);
    i("UTCMinute", t.UTCMinute);
    i("IMONumber", t.IMONumber);
    s("CallSign", t.CallSign);
    s("Name", t.Name);
    i("ShipType", t.ShipType);
    s("ShipTypeText", t.ShipTypeText);
    s("CargoTypeText", t.CargoTypeText);
    i("DimA", t.DimA);
    i("DimB", t.DimB);
    i("DimC", t.DimC);
    i("DimD", t.DimD);
    i("EPFDType", t.EPFDType);
    s("EPFDTypeText", t.EPFDTypeText);
    dateField(j, "ETA", t.ETA);
    f("Draught", t.Draught);
    s("Destination", t.Destination);
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
    i("ShipType24", t.ShipType24);
    s("ShipTypeText24", t.ShipTypeText24);
    s("CargoTypeText24", t.CargoTypeText24);
    i("DimA24", t.DimA24);
    i("DimB24", t.DimB24);
    i("DimC24", t.DimC24);
    i("DimD24", t.DimD24);
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
    for (int k = 1; k <= table.TargetCount; ++k) {
        const TargetRecord& t = table.entry(table.DisplayOrder[static_cast<size_t>(k)]);
        j.beginObject();
        j.field("type", "Feature");
        j.key("geometry");
        if (HasPosition(t)) {
            j.beginObject();
            j.field("type", "Point");
            j.key("coordinates");
            j.beginArray();
            j.value(t.Longitude);
            j.value(t.Latitude);
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
