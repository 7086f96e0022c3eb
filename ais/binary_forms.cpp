#include "ais/binary_forms.h"

#include "base/number_format.h"
#include "geodesy/position_text.h"

namespace ais {
namespace {

const std::string kListNA = "                n/a";

std::string pattern(double value, std::string_view picture) { return base::formatNumber(value, picture); }

// Display form with one decimal of the seconds; a position that was not sent
// shows "n/a" rather than 9999 degrees.
std::string position(double degrees, const char* kind) {
    if (degrees == base::kNotAvailable) return "n/a";
    return geodesy::FormatPosition(degrees, kind, "DISPLAY", 1);
}

// dd.mm  hh:mm
std::string dayMonthTime(int day, int month, int hour, int minute) {
    return pattern(day, "00.") + pattern(month, "00  ") + pattern(hour, "00:") + pattern(minute, "00");
}

std::string hourMinute(int hour, int minute) { return pattern(hour, "00:") + pattern(minute, "00"); }

// Selected index of a code list whose last item is "n/a": codes 0..count-2
// select their own item, anything else (the not-available marker among
// them) selects the last.
int codeOrLast(int value, std::size_t count) {
    return value >= 0 && value < static_cast<int>(count) - 1 ? value : static_cast<int>(count) - 1;
}

// Selected index of a list without an "n/a" item; none for an unknown code.
int codeOrNone(int value, std::size_t count) { return value >= 0 && value < static_cast<int>(count) ? value : -1; }

class Builder {
public:
    Builder(const char* objectName, const char* caption) {
        form_.objectName = objectName;
        form_.caption = caption;
    }
    Builder& group(std::string g) {
        group_ = std::move(g);
        return *this;
    }
    Builder& add(FormItemKind kind, std::string name, std::string label, std::string text) {
        FormItem item;
        item.kind = kind;
        item.objectName = std::move(name);
        item.label = std::move(label);
        item.text = std::move(text);
        item.group = group_;
        form_.items.push_back(std::move(item));
        return *this;
    }
    Builder& text(std::string name, std::string label, std::string text) {
        return add(FormItemKind::Text, std::move(name), std::move(label), std::move(text));
    }
    Builder& date(std::string name, std::string label, std::string text) {
        return add(FormItemKind::DateButton, std::move(name), std::move(label), std::move(text));
    }
    Builder& note(std::string label) { return add(FormItemKind::Note, "", std::move(label), ""); }
    Builder& list(std::string name, std::string label, std::vector<std::string> items, int selected) {
        add(FormItemKind::List, std::move(name), std::move(label), selected >= 0 ? items[selected] : "");
        form_.items.back().items = std::move(items);
        form_.items.back().selected = selected;
        return *this;
    }
    BinaryForm take() { return std::move(form_); }

private:
    BinaryForm form_;
    std::string group_;
};

std::vector<std::string> trendItems() {
    return {"     0-Steady", "     1-Decreasing", "     2-Increasing", kListNA};
}

// " 0-xx" ... " last-xx", then "n/a".
std::vector<std::string> codeItems(int last) {
    std::vector<std::string> items;
    for (int i = 0; i <= last; ++i) {
        std::string item(" ");
        item += std::to_string(i);
        item += "-xx";
        items.push_back(std::move(item));
    }
    items.push_back(kListNA);
    return items;
}

}  // namespace

const FormItem* BinaryForm::find(const std::string& name) const {
    for (const FormItem& item : items) {
        if (!name.empty() && item.objectName == name) return &item;
    }
    return nullptr;
}

BinaryForm MeteorologicalForm(const BinaryMessage& m) {
    const MetHydroData& d = m.MetHydro;
    // The IMO SN.1/Circ.289 layout adds the position's accuracy and the
    // "visibility beyond range" flag, gives the water level in centimetres and
    // names the precipitation types.
    const bool imo289 = m.Application == BinaryApp::MetHydro289;
    Builder b("frmMeteorological",
              imo289 ? "  Meteorological & Hydrographic Data" : "  Meteorological & Hydrological Data");
    b.add(FormItemKind::Value, "lblMMSI_Sender", "Received  from MMSI :", pattern(m.MMSI, "000000000"));
    b.add(FormItemKind::Value, "lblVesselName", "", "");
    if (imo289) b.note(" Binary Msg DAC=1 FI=31, IMO SN.1/Circ.289");
    b.group("Measuring Position")
        .text("txtData_1", "Latitude", position(d.MetLatitude, "LAT"))
        .text("txtData_2", "Longitude", position(d.MetLongitude, "LON"));
    if (imo289)
        b.list("cmbPosAccuracy", "Accuracy", {"     0-Low (>10 m)", "     1-High (<10 m)"},
               codeOrNone(d.MetPosAccuracy, 2));
    b.group("");
    b.date("cmdDate", "Date and Time",
           "Day " + pattern(d.MetDay, "00   ") + pattern(d.MetHour, "00:") + pattern(d.MetMinute, "00"));
    struct Row {
        int element;
        const char* label;
        double value;
        const char* picture;
    };
    const Row wind[] = {
        {3, "Average Wind Speed", double(d.AvgWindSpeed), "0"},
        {4, "Wind Gust", double(d.WindGust), "0"},
        {5, "Wind Direction", double(d.WindDirection), "000"},
        {6, "Wind Gust Direction", double(d.WindGustDirection), "000"},
        {7, "Air temperature", double(d.AirTemperature), "0.0"},
        {8, "Relative humidity", double(d.RelativeHumidity), "0"},
        {9, "Dew Point", double(d.DewPoint), "0.0"},
        {10, "Air Pressure", double(d.AirPressure), "0"},
    };
    auto rows = [&b](const auto& table) {
        for (const Row& r : table) {
            b.text("txtData_" + std::to_string(r.element), r.label, base::FormatAvailable(r.value, r.picture));
        }
    };
    rows(wind);
    b.list("cmbAirPressTend", "Air Pressure Tendency", trendItems(), codeOrLast(d.AirPressureTendency, 4));
    const Row water[] = {
        {12, "Horizontal visibilty", double(d.HorizontalVisibility), "0.0"},
        {13, "Water level (incl tide)", double(d.WaterLevel), imo289 ? "0.00" : "0.0"},
    };
    rows(water);
    if (imo289)
        b.list("cmbVisibilityGreater", "Visibility beyond range", {"                No", "                Yes"},
               codeOrNone(d.VisibilityGreaterThan, 2));
    b.list("cmbWaterLevelTrend", "Water level trend", trendItems(), codeOrLast(d.WaterLevelTrend, 4));
    const Row sea[] = {
        {15, "Surface Current", double(d.SurfaceCurrentSpeed), "0.0"},
        {16, "Surface current Dir", double(d.SurfaceCurrentDirection), "000"},
        {17, "Current Speed #2", double(d.CurrentSpeed2), "0.0"},
        {18, "Current Direction #2", double(d.CurrentDirection2), "000"},
        {19, "Measuring Level #2", double(d.CurrentLevel2), "0"},
        {20, "Current Speed #3", double(d.CurrentSpeed3), "0.0"},
        {21, "Current Direction #3", double(d.CurrentDirection3), "000"},
        {22, "Measuring Level #3", double(d.CurrentLevel3), "0"},
        {23, "Significant Wave Hgt", double(d.WaveHeight), "0.0"},
        {24, "Wave Period", double(d.WavePeriod), "0"},
        {25, "Wave Direction", double(d.WaveDirection), "000"},
        {26, "Swell Height", double(d.SwellHeight), "0.0"},
        {27, "Swell Period", double(d.SwellPeriod), "0"},
        {28, "Swell Direction", double(d.SwellDirection), "000"},
    };
    rows(sea);
    b.list("cmbSeaState", "Sea State", codeItems(12), codeOrLast(d.SeaState, 14));
    const Row temperature[] = {{30, "Water Temperature", double(d.WaterTemperature), "0.0"}};
    rows(temperature);
    if (imo289) {
        b.list("cmbPrecipitation", "Precipitation (type)",
               {" 0-reserved", " 1-rain", " 2-thunderstorm", " 3-freezing rain", " 4-mixed/ice", " 5-snow",
                " 6-reserved", kListNA},
               codeOrLast(d.Precipitation, 8));
    } else {
        b.list("cmbPrecipitation", "Precipitation (type)", codeItems(6), codeOrLast(d.Precipitation, 8));
    }
    const Row salinity[] = {{32, "Salinity", double(d.Salinity), "0.0"}};
    rows(salinity);
    const int ice = d.Ice == 1 ? 0 : d.Ice == 0 ? 1 : 2;
    b.list("cmbIce", "Ice", {"                Yes", "                No", kListNA}, ice);
    return b.take();
}

BinaryForm DangerousCargoForm(const BinaryMessage& m) {
    const DangerousCargoData& d = m.DangerousCargo;
    Builder b("frmDangerousCargo", "  Dangerous Cargo Indication");
    b.note(" Binary Msg Fi=12, IMO SN/Circ.236");
    b.text("txtLastPortOfCall", "Last Port of Call (UN Locode)", d.LastPortOfCall);
    b.date("cmdATD", "  ATD (UTC)", dayMonthTime(d.ATDDay, d.ATDMonth, d.ATDHour, d.ATDMinute));
    b.text("txtNextPortOfCall", "Next Port of Call (UN Locode)", d.NextPortOfCall);
    b.date("cmdETA", "  ETA (UTC)", dayMonthTime(d.ETADay, d.ETAMonth, d.ETAHour, d.ETAMinute));
    b.text("txtMainDangerousGood", " Main Dangerous Goods", d.MainDangerousGood);
    b.text("txtIMDCategory", " IMD Category", d.IMDCategory);
    b.text("txtUNNumber", " UN Number", base::NumberText(d.UNNumber));
    b.text("txtCargoAmount", " Quantity", base::NumberText(d.CargoAmount));
    b.list("cmbUnit", " Unit of Quantity", {"  0- n/a", "  1- kg", "  2- tons", "  3- 1000 tons"},
           codeOrNone(d.CargoUnit, 4));
    return b.take();
}

BinaryForm FairwayClosedForm(const BinaryMessage& m) {
    const FairwayClosedData& d = m.FairwayClosed;
    Builder b("frmFairwayClosed", "  Fairway Closed");
    b.note(" Binary Msg Fi=13, IMO SN/Circ.236");
    b.text("txtClosingReason", " Reason for closing", d.ClosingReason);
    b.text("txtClosingFrom", "  Location of closing from", d.ClosingFrom);
    b.text("txtClosingTo", "  Location of closing to", d.ClosingTo);
    b.text("txtClosingRadius", " Radius of closed area ", base::NumberText(d.ClosingRadius));
    b.list("cmbUnit", " Unit of radius", {"  0- meter", "  1- kilometer", "  2- nautical mile", "  3- cbl"},
           codeOrNone(d.ClosingRadiusUnit, 4));
    b.date("cmdFrom", " Closed from (LT)",
           dayMonthTime(d.ClosedFromDay, d.ClosedFromMonth, d.ClosedFromHour, d.ClosedFromMinute));
    b.date("cmdUntil", " Closed until (LT)",
           dayMonthTime(d.ClosedToDay, d.ClosedToMonth, d.ClosedToHour, d.ClosedToMinute));
    return b.take();
}

BinaryForm TidalWindowForm(const BinaryMessage& m) {
    const TidalWindowData& d = m.TidalWindow;
    Builder b("frmTidalWindow", " Tidal Window,  Binary Msg Fi=14, IMO SN/Circ.236");
    for (int i = 0; i < 3; ++i) {
        const TideEntry& e = d.Entry[static_cast<std::size_t>(i)];
        const std::string n = std::to_string(i + 1);
        b.group("Position #" + n);
        b.text("txtLat_" + n, "Latitude", position(e.TideLatitude, "LAT"));
        b.text("txtLon_" + n, "Longitude", position(e.TideLongitude, "LON"));
        // Only the first position carries the date.
        const std::string from = i == 0 ? dayMonthTime(d.TideDay, d.TideMonth, e.TideFromHour, e.TideFromMinute)
                                        : hourMinute(e.TideFromHour, e.TideFromMinute);
        b.date("cmdFrom_" + n, " From UTC", from);
        b.date("cmdUntil_" + n, " Until UTC", hourMinute(e.TideToHour, e.TideToMinute));
        b.text("txtCurDir_" + n, "Cur Dir #" + n, base::FormatAvailable(e.TideCurrentDirection, "000"));
        b.text("txtCurSpd_" + n, "Cur Spd #" + n, base::FormatAvailable(e.TideCurrentSpeed, "0.0"));
    }
    return b.take();
}

BinaryForm BinaryFormFor(ApplicationWindow window, const BinaryMessage& m) {
    switch (window) {
        case ApplicationWindow::Meteorological: return MeteorologicalForm(m);
        case ApplicationWindow::DangerousCargo: return DangerousCargoForm(m);
        case ApplicationWindow::FairwayClosed: return FairwayClosedForm(m);
        case ApplicationWindow::TidalWindow: return TidalWindowForm(m);
        case ApplicationWindow::None: break;
    }
    return {};
}

}  // namespace ais
