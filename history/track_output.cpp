#include "history/track_output.h"

#include <cstdio>

#include "base/number_format.h"
#include "base/text_escape.h"

namespace history {

std::tm UtcCalendar(TimeMs ms) {
    const std::time_t t = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

std::string JsonNumber(double v) {
    base::OutputBuffer out;
    base::AppendJsonNumber(out, v);
    return std::string(out.view());
}

std::string ClassCode(history::StationClass c) {
    return c == history::StationClass::Unknown ? "" : std::string(1, static_cast<char>(c));
}

void PositionJson(base::JsonWriter& j, const PositionRow& p) {
    j.field("time", IsoTime(p.time));
    j.field("mmsi", int64_t{p.mmsi});
    j.field("type", int64_t{p.type});
    j.field("class", ClassCode(p.stationClass));
    j.field("lat", p.latitude);
    j.field("lon", p.longitude);
    OptionalField(j, "sog", p.sog);
    OptionalField(j, "cog", p.cog);
    OptionalField(j, "heading", p.heading);
    OptionalField(j, "status", p.navStatus);
    j.field("input", int64_t{p.input});
    j.field("source", p.source);
}

void PointGeometry(base::JsonWriter& j, double lat, double lon) {
    j.key("geometry");
    j.beginObject();
    j.field("type", "Point");
    j.key("coordinates");
    j.beginArray();
    j.value(lon);
    j.value(lat);
    j.endArray();
    j.endObject();
}

namespace {

void TrackGeoJson(const TrackOutput& o, const std::vector<PositionRow>& track, base::JsonWriter& j) {
    j.beginObject();
    j.field("type", "FeatureCollection");
    j.key("features");
    j.beginArray();
    if (o.points || track.size() == 1) {
        for (const PositionRow& p : track) {
            j.beginObject();
            j.field("type", "Feature");
            PointGeometry(j, p.latitude, p.longitude);
            j.key("properties");
            j.beginObject();
            PositionJson(j, p);
            j.endObject();
            j.endObject();
        }
    } else if (!track.empty()) {
        j.beginObject();
        j.field("type", "Feature");
        j.key("geometry");
        j.beginObject();
        j.field("type", "LineString");
        j.key("coordinates");
        j.beginArray();
        for (const PositionRow& p : track) {
            j.beginArray();
            j.value(p.longitude);
            j.value(p.latitude);
            j.endArray();
        }
        j.endArray();
        j.endObject();
        j.key("properties");
        j.beginObject();
        j.field("mmsi", int64_t{o.mmsi});
        j.key("times");
        j.beginArray();
        for (const PositionRow& p : track) j.value(IsoTime(p.time));
        j.endArray();
        j.endObject();
        j.endObject();
    }
    j.endArray();
    j.endObject();
}

}  // namespace

void PositionCsv(const PositionRow& p, std::string& out) {
    out += IsoTime(p.time) + ',' + std::to_string(p.mmsi) + ',' + std::to_string(p.type) + ',' +
           ClassCode(p.stationClass) + ',' + JsonNumber(p.latitude) + ',' + JsonNumber(p.longitude) + ',' + Cell(p.sog) +
           ',' + Cell(p.cog) + ',' + Cell(p.heading) + ',' + Cell(p.navStatus) + ',' + std::to_string(p.input) + ',';
    base::AppendCsvText(out, p.source);
}

void WriteGpx(const std::vector<PositionRow>& points, bool track, int32_t mmsi, std::string& out) {
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"Orvanta\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    if (track) out += " <trk>\n  <name>" + std::to_string(mmsi) + "</name>\n  <trkseg>\n";
    for (const PositionRow& p : points) {
        out += track ? "   <trkpt" : " <wpt";
        out += " lat=\"" + JsonNumber(p.latitude) + "\" lon=\"" + JsonNumber(p.longitude) + "\"><time>" + IsoTime(p.time) +
               "</time>";
        if (!track) out += "<name>" + std::to_string(p.mmsi) + "</name>";
        out += track ? "</trkpt>\n" : "</wpt>\n";
    }
    if (track) out += "  </trkseg>\n </trk>\n";
    out += "</gpx>\n";
}

void FinishJson(base::OutputBuffer& buf, std::string& out) {
    out.append(buf.view());
    out += '\n';
}

std::string IsoTime(TimeMs ms) {
    const std::tm tm = UtcCalendar(ms);
    const int millis = static_cast<int>(((ms % 1000) + 1000) % 1000);
    char text[48];
    int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                          tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    if (millis != 0) n += std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ".%03d", millis);
    return std::string(text, static_cast<size_t>(n)) + "Z";
}

bool WriteTrack(const TrackOutput& o, const std::vector<PositionRow>& track, std::string& out) {
    base::OutputBuffer buf;
    base::JsonWriter j(buf);
    if (o.format == "csv") {
        out += std::string(kPositionCsvHeader) + "\n";
        for (const PositionRow& p : track) {
            PositionCsv(p, out);
            out += '\n';
        }
    } else if (o.format == "json") {
        j.beginObject();
        j.field("mmsi", int64_t{o.mmsi});
        j.key("positions");
        j.beginArray();
        for (const PositionRow& p : track) {
            j.beginObject();
            PositionJson(j, p);
            j.endObject();
        }
        j.endArray();
        j.endObject();
        FinishJson(buf, out);
    } else if (o.format == "geojson") {
        TrackGeoJson(o, track, j);
        FinishJson(buf, out);
    } else if (o.format == "gpx") {
        WriteGpx(track, true, o.mmsi, out);
    } else {
        return false;
    }
    return true;
}

}  // namespace history
