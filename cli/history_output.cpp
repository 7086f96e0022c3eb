#include "cli/history_output.h"

#include "history/situation_target.h"

#include <cstdio>
#include <ctime>

#include "ais/code_tables.h"
#include "ais/encoder.h"
#include "base/json_writer.h"
#include "base/number_format.h"
#include "base/text_escape.h"
#include "sentence/sentence_builder.h"
#include "sentence/tag_block.h"
#include "targets/target_export.h"
#include "targets/target_table.h"

namespace cli {
namespace {

using history::PositionRow;
using history::StaticRow;
using history::TimeMs;
using history::ClassCode;
using history::PointGeometry;
using history::PositionCsv;
using history::PositionJson;

std::tm Utc(TimeMs ms) { return history::UtcCalendar(ms); }
void Finish(base::OutputBuffer& buf, std::string& out) { history::FinishJson(buf, out); }
void Gpx(const std::vector<PositionRow>& points, bool track, int32_t mmsi, std::string& out) {
    history::WriteGpx(points, track, mmsi, out);
}
using history::Cell;
using history::OptionalField;
constexpr const char* kPositionHeader = history::kPositionCsvHeader;

// The tag block of a stored row: c: in seconds, or milliseconds when the
// time has a fraction; s: without the characters that would end the block.
std::string Tags(TimeMs time, const std::string& source) {
    std::string s;
    for (char c : source) {
        if (c > ' ' && c < 127 && c != ',' && c != '*' && c != '\\' && c != '!' && c != '$') s += c;
    }
    return input::FormatTagBlock(s, time % 1000 == 0 ? time / 1000 : time);
}

ais::EncodedPayload EncodePosition(const PositionRow& p) {
    const float na = static_cast<float>(base::kNotAvailable);
    const float sog = p.sog.value_or(na), cog = p.cog.value_or(na), heading = p.heading ? *p.heading : na;
    const int16_t second = static_cast<int16_t>(Utc(p.time).tm_sec);
    switch (p.type) {
        case 4: {
            ais::BaseStationReport r;
            r.MessageID = 4;
            r.MMSI = p.mmsi;
            const std::tm u = Utc(p.time);
            r.UTCYear = static_cast<int16_t>(u.tm_year + 1900);
            r.UTCMonth = static_cast<int16_t>(u.tm_mon + 1);
            r.UTCDay = static_cast<int16_t>(u.tm_mday);
            r.UTCHour = static_cast<int16_t>(u.tm_hour);
            r.UTCMinute = static_cast<int16_t>(u.tm_min);
            r.UTCSecond = second;
            r.Latitude = p.latitude;
            r.Longitude = p.longitude;
            return ais::EncodePayload(r);
        }
        case 9: {
            ais::SARPositionReport r;
            r.MessageID = 9;
            r.MMSI = p.mmsi;
            r.SOG = sog;
            r.COG = cog;
            r.Latitude = p.latitude;
            r.Longitude = p.longitude;
            return ais::EncodePayload(r);
        }
        case 18: case 19: {
            ais::ClassBPositionReport r;
            r.MessageID = 18;
            r.MMSI = p.mmsi;
            r.SOG = sog;
            r.COG = cog;
            r.TrueHeading = heading;
            r.TimeStamp = second;
            r.Latitude = p.latitude;
            r.Longitude = p.longitude;
            return ais::EncodePayload(r);
        }
        case 21: {
            ais::AtoNReport r;
            r.MessageID = 21;
            r.MMSI = p.mmsi;
            r.Latitude = p.latitude;
            r.Longitude = p.longitude;
            r.TimeStamp = second;
            return ais::EncodePayload(r);
        }
        case 27: {
            ais::LongRangeReport r;
            r.MessageID = 27;
            r.MMSI = p.mmsi;
            r.NavStatus = p.navStatus.value_or(15);
            r.SOG = sog;
            r.COG = cog;
            r.Latitude = p.latitude;
            r.Longitude = p.longitude;
            return ais::EncodePayload(r);
        }
        default: {
            ais::PositionReport r;
            r.MessageID = static_cast<int16_t>(p.type >= 1 && p.type <= 3 ? p.type : 1);
            r.MMSI = p.mmsi;
            r.NavStatus = p.navStatus.value_or(15);
            r.ROT = static_cast<float>(base::kNotAvailable);
            r.SOG = sog;
            r.COG = cog;
            r.TrueHeading = heading;
            r.TimeStamp = second;
            r.Latitude = p.latitude;
            r.Longitude = p.longitude;
            return ais::EncodePayload(r);
        }
    }
}

// Type 5 for a class A station, parts A and B of type 24 for any other.
std::vector<ais::EncodedPayload> EncodeStatic(const StaticRow& s, history::StationClass c) {
    if (c == history::StationClass::ClassA) {
        ais::StaticVoyageData r;
        r.MessageID = 5;
        r.MMSI = s.mmsi;
        r.IMONumber = s.imo.value_or(0);
        r.CallSign = s.callSign;
        r.Name = s.name;
        r.ShipType = s.shipType.value_or(0);
        r.DimA = s.dimA.value_or(0);
        r.DimB = s.dimB.value_or(0);
        r.DimC = s.dimC.value_or(0);
        r.DimD = s.dimD.value_or(0);
        r.Draught = s.draught.value_or(0);
        r.Destination = s.destination;
        int month = 0, day = 0, hour = 24, minute = 60;
        if (std::sscanf(s.eta.c_str(), "%d-%d %d:%d", &month, &day, &hour, &minute) == 4 && month >= 1 &&
            month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60) {
            r.ETA = base::DateTime::fromCalendar(Utc(s.time).tm_year + 1900, month, day, hour, minute, 0);
        }
        return {ais::EncodePayload(r)};
    }
    ais::StaticDataReport a;
    a.MessageID = 24;
    a.MMSI = s.mmsi;
    a.PartNumber = 0;
    a.Name = s.name;
    ais::StaticDataReport b = a;
    b.PartNumber = 1;
    b.CallSign = s.callSign;
    b.ShipType = s.shipType.value_or(0);
    b.DimA = s.dimA.value_or(0);
    b.DimB = s.dimB.value_or(0);
    b.DimC = s.dimC.value_or(0);
    b.DimD = s.dimD.value_or(0);
    return {ais::EncodePayload(a), ais::EncodePayload(b)};
}

void AppendSentences(const ais::EncodedPayload& e, TimeMs time, const std::string& source,
                     input::SentenceBuilder& nmea, std::string& out) {
    const std::string tags = Tags(time, source);
    for (const std::string& s : nmea.build(e.payload, e.fillBits, 'A')) out += tags + s;
}

}  // namespace

void WriteNmea(const std::vector<PositionRow>& positions, const std::vector<StaticRow>& statics, std::string& out) {
    input::SentenceBuilder nmea;
    for (size_t k = 0; k < positions.size(); ++k) {
        const PositionRow& p = positions[k];
        AppendSentences(EncodePosition(p), p.time, p.source, nmea, out);
        if (k < statics.size() && statics[k].mmsi == p.mmsi) {
            for (const auto& e : EncodeStatic(statics[k], p.stationClass))
                AppendSentences(e, p.time, statics[k].source, nmea, out);
        }
    }
}

void WriteTrack(const HistoryOutput& o, const std::vector<PositionRow>& track, std::string& out) {
    if (!history::WriteTrack({o.format, o.points, o.mmsi}, track, out)) WriteNmea(track, {}, out);
}

void WriteSituation(const HistoryOutput& o, const std::vector<history::SituationEntry>& entries, std::string& out) {
    base::OutputBuffer buf;
    base::JsonWriter j(buf);
    std::vector<PositionRow> positions;
    for (const auto& e : entries) positions.push_back(e.position);
    if (o.format == "csv") {
        out += std::string(kPositionHeader) + ",name,callsign,shiptype,destination\n";
        for (const auto& e : entries) {
            PositionCsv(e.position, out);
            out += ',';
            if (e.statics) {
                base::AppendCsvText(out, e.statics->name);
                out += ',';
                base::AppendCsvText(out, e.statics->callSign);
                out += ',' + Cell(e.statics->shipType) + ',';
                base::AppendCsvText(out, e.statics->destination);
            } else {
                out += ",,";
            }
            out += '\n';
        }
    } else if (o.format == "json") {
        j.beginObject();
        j.key("targets");
        j.beginArray();
        int number = 0;
        for (const auto& e : entries) targets::WriteTargetJson(j, history::TargetOfSituation(e), ++number, 0);
        j.endArray();
        j.endObject();
        Finish(buf, out);
    } else if (o.format == "geojson") {
        history::WriteTrack({.format = "geojson", .points = true, .mmsi = o.mmsi}, positions, out);
    } else if (o.format == "gpx") {
        Gpx(positions, false, 0, out);
    } else {
        std::vector<StaticRow> statics;
        for (const auto& e : entries) statics.push_back(e.statics.value_or(StaticRow{}));
        WriteNmea(positions, statics, out);
    }
}

void WriteLastSeen(const HistoryOutput& o, const std::vector<history::LastSeen>& stations, std::string& out) {
    if (o.format == "csv") {
        out += "mmsi,name,callsign,time,lat,lon\n";
        for (const auto& l : stations) {
            out += std::to_string(l.mmsi) + ',';
            base::AppendCsvText(out, l.name);
            out += ',';
            base::AppendCsvText(out, l.callSign);
            out += ',' + IsoTime(l.time) + ',' + Cell(l.latitude) + ',' + Cell(l.longitude) + '\n';
        }
        return;
    }
    base::OutputBuffer buf;
    base::JsonWriter j(buf);
    const bool geo = o.format == "geojson";
    j.beginObject();
    if (geo) j.field("type", "FeatureCollection");
    j.key(geo ? "features" : "stations");
    j.beginArray();
    for (const auto& l : stations) {
        j.beginObject();
        if (geo) {
            j.field("type", "Feature");
            if (l.latitude && l.longitude) {
                PointGeometry(j, *l.latitude, *l.longitude);
            } else {
                j.key("geometry");
                j.null();
            }
            j.key("properties");
            j.beginObject();
        }
        j.field("mmsi", int64_t{l.mmsi});
        j.field("name", l.name);
        j.field("callsign", l.callSign);
        j.field("time", IsoTime(l.time));
        OptionalField(j, "lat", l.latitude);
        OptionalField(j, "lon", l.longitude);
        if (geo) j.endObject();
        j.endObject();
    }
    j.endArray();
    j.endObject();
    Finish(buf, out);
}

void WriteStats(const HistoryOutput& o, history::HistoryStore& store, TimeMs from, TimeMs to, std::string& out) {
    const auto hours = store.countsPerHour(from, to);
    const auto span = store.span();
    int64_t positions = 0, statics = 0, messages = 0;
    for (const auto& h : hours) {
        positions += h.positions;
        statics += h.statics;
        messages += h.messages;
    }
    if (o.format == "csv") {
        out += "hour,positions,statics,messages\n";
        for (const auto& h : hours) {
            out += IsoTime(h.hour) + ',' + std::to_string(h.positions) + ',' + std::to_string(h.statics) + ',' +
                   std::to_string(h.messages) + '\n';
        }
        out += "total," + std::to_string(positions) + ',' + std::to_string(statics) + ',' + std::to_string(messages) +
               '\n';
        if (span) out += "span," + IsoTime(span->first) + ',' + IsoTime(span->second) + ",\n";
        return;
    }
    base::OutputBuffer buf;
    base::JsonWriter j(buf);
    j.beginObject();
    j.key("span");
    if (span) {
        j.beginObject();
        j.field("first", IsoTime(span->first));
        j.field("last", IsoTime(span->second));
        j.endObject();
    } else {
        j.null();
    }
    j.key("rows");
    j.beginObject();
    j.field("positions", positions);
    j.field("statics", statics);
    j.field("messages", messages);
    j.endObject();
    j.key("hours");
    j.beginArray();
    for (const auto& h : hours) {
        j.beginObject();
        j.field("hour", IsoTime(h.hour));
        j.field("positions", h.positions);
        j.field("statics", h.statics);
        j.field("messages", h.messages);
        j.endObject();
    }
    j.endArray();
    j.endObject();
    Finish(buf, out);
}

}  // namespace cli
