// What `orvanta-cli history` prints for each question, in each format (a
// track's csv, json, geojson and gpx by history/track_output.h).
// Times are UTC in ISO 8601; a value the station did not send is an empty
// CSV cell or null; numbers use ".".
#pragma once

#include <string>
#include <vector>

#include "history/history_store.h"
#include "history/track_output.h"

namespace cli {

struct HistoryOutput {
    std::string format = "csv";  // csv, json, geojson, gpx, nmea
    bool points = false;         // a GeoJSON track as points
    int32_t mmsi = 0;            // the track's station
};

// "2026-12-07T14:00:00Z", with ".123" when the milliseconds are not 0.
using history::IsoTime;

void WriteTrack(const HistoryOutput& o, const std::vector<history::PositionRow>& track, std::string& out);
void WriteSituation(const HistoryOutput& o, const std::vector<history::SituationEntry>& entries, std::string& out);
void WriteLastSeen(const HistoryOutput& o, const std::vector<history::LastSeen>& stations, std::string& out);
void WriteStats(const HistoryOutput& o, history::HistoryStore& store, history::TimeMs from, history::TimeMs to,
                std::string& out);
// The positions (and static data) as !AIVDM sentences behind c: (and s:) tag blocks.
void WriteNmea(const std::vector<history::PositionRow>& positions, const std::vector<history::StaticRow>& statics,
               std::string& out);

}  // namespace cli
