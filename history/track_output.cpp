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

void PositionCsv(const PositionRow& p, std::string& out) {
    out += IsoTime(p.time) + ',' + std::to_string(p.mmsi) + ',' + std::to_string(p.type) + ',' +
           ClassCode(p.stationClass) + ',' + JsonNumber(p.latitude) + ',' + JsonNumber(p.longitude) + ',' + Cell(p.sog) +
           ',' + Cell(p.cog) + ',' + Cell(p.heading) + ',' + Cell(p.navStatus) + ',' + std::to_string(p.input) + ',';
    base::AppendCsvText(out, p.source);
}

void WriteGpxHead(bool track, int32_t mmsi, std::string& out) {
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"Orvanta\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    if (track) out += " <trk>\n  <name>" + std::to_string(mmsi) + "</name>\n  <trkseg>\n";
}

void WriteGpxPoint(const PositionRow& p, bool track, std::string& out) {
    out += track ? "   <trkpt" : " <wpt";
    out += " lat=\"" + JsonNumber(p.latitude) + "\" lon=\"" + JsonNumber(p.longitude) + "\"><time>" + IsoTime(p.time) +
           "</time>";
    if (!track) out += "<name>" + std::to_string(p.mmsi) + "</name>";
    out += track ? "</trkpt>\n" : "</wpt>\n";
}

void WriteGpxTail(bool track, std::string& out) {
    if (track) out += "  </trkseg>\n </trk>\n";
    out += "</gpx>\n";
}

void WriteGpx(const std::vector<PositionRow>& points, bool track, int32_t mmsi, std::string& out) {
    WriteGpxHead(track, mmsi, out);
    for (const PositionRow& p : points) WriteGpxPoint(p, track, out);
    WriteGpxTail(track, out);
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

bool TrackWriter::Knows(std::string_view format) {
    return format == "csv" || format == "json" || format == "geojson" || format == "gpx";
}

TrackWriter::TrackWriter(const TrackOutput& o, base::OutputBuffer& out) : o_(o), out_(out), j_(out) {
    if (o_.format == "csv") {
        out_.append(kPositionCsvHeader);
        out_.push('\n');
    } else if (o_.format == "json") {
        j_.beginObject();
        j_.field("mmsi", int64_t{o_.mmsi});
        j_.key("positions");
        j_.beginArray();
    } else if (o_.format == "geojson") {
        j_.beginObject();
        j_.field("type", "FeatureCollection");
        j_.key("features");
        j_.beginArray();
    } else if (o_.format == "gpx") {
        std::string head;
        WriteGpxHead(true, o_.mmsi, head);
        out_.append(head);
    }
}

void TrackWriter::add(const std::vector<PositionRow>& page) {
    for (const PositionRow& p : page) {
        if (o_.format == "geojson" && !o_.points) {
            // One position alone is a point; two or more a line, whose
            // times follow its coordinates.
            if (count_ == 0) {
                first_ = p;
            } else {
                if (count_ == 1) beginLine();
                lineCoordinate(p);
            }
        } else {
            writeOne(p);
        }
        ++count_;
        out_.maybeFlush();
    }
}

void TrackWriter::writeOne(const PositionRow& p) {
    if (o_.format == "csv") {
        std::string line;
        PositionCsv(p, line);
        line += '\n';
        out_.append(line);
    } else if (o_.format == "json") {
        j_.beginObject();
        PositionJson(j_, p);
        j_.endObject();
    } else if (o_.format == "geojson") {
        j_.beginObject();
        j_.field("type", "Feature");
        PointGeometry(j_, p.latitude, p.longitude);
        j_.key("properties");
        j_.beginObject();
        PositionJson(j_, p);
        j_.endObject();
        j_.endObject();
    } else if (o_.format == "gpx") {
        std::string point;
        WriteGpxPoint(p, true, point);
        out_.append(point);
    }
}

void TrackWriter::beginLine() {
    j_.beginObject();
    j_.field("type", "Feature");
    j_.key("geometry");
    j_.beginObject();
    j_.field("type", "LineString");
    j_.key("coordinates");
    j_.beginArray();
    lineCoordinate(*first_);
}

void TrackWriter::lineCoordinate(const PositionRow& p) {
    j_.beginArray();
    j_.value(p.longitude);
    j_.value(p.latitude);
    j_.endArray();
    times_.push_back(p.time);
}

void TrackWriter::finish() {
    if (o_.format == "csv") {
        // nothing to close
    } else if (o_.format == "json") {
        j_.endArray();
        j_.endObject();
        out_.push('\n');
    } else if (o_.format == "geojson") {
        if (count_ == 1 && !o_.points) writeOne(*first_);
        if (count_ > 1 && !o_.points) {
            j_.endArray();
            j_.endObject();
            j_.key("properties");
            j_.beginObject();
            j_.field("mmsi", int64_t{o_.mmsi});
            j_.key("times");
            j_.beginArray();
            for (const TimeMs t : times_) {
                j_.value(IsoTime(t));
                out_.maybeFlush();
            }
            j_.endArray();
            j_.endObject();
            j_.endObject();
        }
        j_.endArray();
        j_.endObject();
        out_.push('\n');
    } else if (o_.format == "gpx") {
        std::string tail;
        WriteGpxTail(true, tail);
        out_.append(tail);
    }
}

bool WriteTrack(const TrackOutput& o, const std::vector<PositionRow>& track, std::string& out) {
    if (!TrackWriter::Knows(o.format)) return false;
    base::OutputBuffer buf;
    TrackWriter writer(o, buf);
    writer.add(track);
    writer.finish();
    out.append(buf.view());
    return true;
}

}  // namespace history
