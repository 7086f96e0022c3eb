// A station's stored track as a file: CSV, JSON, GeoJSON (a LineString with
// the times as a property, or points) and GPX; and the pieces the command
// line's other history answers are written with. Times are UTC in ISO 8601;
// a value the station did not send is an empty CSV cell or null; numbers
// use ".".
//
//   std::string out;
//   history::WriteTrack({.format = "gpx", .mmsi = 244123456}, store->track(244123456, from, to), out);
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/json_writer.h"
#include "history/history_store.h"

namespace history {

struct TrackOutput {
    std::string format = "csv";  // csv, json, geojson, gpx
    bool points = false;         // a GeoJSON track as points
    int32_t mmsi = 0;            // the track's station
};

// Writes the track; false (nothing written) for a format not listed above.
bool WriteTrack(const TrackOutput& o, const std::vector<PositionRow>& track, std::string& out);

// The same, a page at a time, into a buffer that may flush to a file as it
// fills: a track of months needs memory for one page, and for a GeoJSON
// LineString 8 bytes a position for the times written after its coordinates.
//
//   base::OutputBuffer buf(stdout);
//   history::TrackWriter w({.format = "geojson", .mmsi = mmsi}, buf);
//   for (each page) w.add(page.rows);
//   w.finish();
class TrackWriter {
public:
    static bool Knows(std::string_view format);
    // o.format must be one Knows.
    TrackWriter(const TrackOutput& o, base::OutputBuffer& out);
    void add(const std::vector<PositionRow>& page);
    void finish();

private:
    void writeOne(const PositionRow& p);
    void beginLine();
    void lineCoordinate(const PositionRow& p);

    const TrackOutput o_;
    base::OutputBuffer& out_;
    base::JsonWriter j_;
    size_t count_ = 0;
    std::optional<PositionRow> first_;  // a GeoJSON track's first position, until a second makes it a line
    std::vector<TimeMs> times_;          // a GeoJSON line's times
};

// "2026-12-07T14:00:00Z", with ".123" when the milliseconds are not 0.
std::string IsoTime(TimeMs ms);
std::tm UtcCalendar(TimeMs ms);
// The shortest text that reads back as v.
std::string JsonNumber(double v);
// "A", "B", ... as the target list shows it; empty for an unknown class.
std::string ClassCode(StationClass c);

template <typename T>
std::string Cell(const std::optional<T>& v) {
    if (!v) return "";
    if constexpr (std::is_floating_point_v<T>) return JsonNumber(static_cast<double>(*v));
    else return std::to_string(*v);
}

template <typename T>
void OptionalField(base::JsonWriter& j, std::string_view key, const std::optional<T>& v) {
    j.key(key);
    if (!v) j.null();
    else if constexpr (std::is_floating_point_v<T>) j.value(static_cast<double>(*v));
    else j.value(static_cast<int64_t>(*v));
}

// The fields of one position in an open JSON object.
void PositionJson(base::JsonWriter& j, const PositionRow& p);
// A GeoJSON Feature's "geometry": a Point.
void PointGeometry(base::JsonWriter& j, double lat, double lon);
inline constexpr const char* kPositionCsvHeader = "time,mmsi,type,class,lat,lon,sog,cog,heading,status,input,source";
void PositionCsv(const PositionRow& p, std::string& out);
// A track (trk/trkseg) or waypoints named by MMSI; and its three parts.
void WriteGpx(const std::vector<PositionRow>& points, bool track, int32_t mmsi, std::string& out);
void WriteGpxHead(bool track, int32_t mmsi, std::string& out);
void WriteGpxPoint(const PositionRow& p, bool track, std::string& out);
void WriteGpxTail(bool track, std::string& out);
// The JSON written into buf, then a line end.
void FinishJson(base::OutputBuffer& buf, std::string& out);

}  // namespace history
