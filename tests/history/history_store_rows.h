// Rows for the history tests, with every field set so a lost column shows.
#pragma once

#include <sqlite3.h>

#include <string>

#include "history/history_store.h"

namespace history_test {

inline history::PositionRow Position(int32_t mmsi, history::TimeMs time, double lat = 51.98, double lon = 3.95) {
    history::PositionRow p;
    p.time = time;
    p.mmsi = mmsi;
    p.input = 2;
    p.source = "rcvr1";
    p.type = 1;
    p.stationClass = history::StationClass::ClassA;
    p.latitude = lat;
    p.longitude = lon;
    p.sog = 12.5f;
    p.cog = 271.3f;
    p.heading = 270;
    p.navStatus = 0;
    return p;
}

// The row with speed, course, heading and status "not available".
inline history::PositionRow WithoutMotion(history::PositionRow p) {
    p.sog.reset();
    p.cog.reset();
    p.heading.reset();
    p.navStatus.reset();
    return p;
}

inline history::StaticRow Static(int32_t mmsi, history::TimeMs time, std::string name, std::string callSign = "") {
    history::StaticRow s;
    s.time = time;
    s.mmsi = mmsi;
    s.input = 1;
    s.type = 5;
    s.name = std::move(name);
    s.callSign = std::move(callSign);
    return s;
}

inline history::MessageRow Message(int32_t mmsi, history::TimeMs time, std::string json) {
    return {time, mmsi, 0, "", 8, std::move(json)};
}

// What SQLite answers to `sql` on the file at `path`, behind the store's
// back: rows one a line, columns joined by ",".
inline std::string SqliteAnswer(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string rows;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, sql.c_str(), [](void* out, int n, char** values, char**) {
        std::string& text = *static_cast<std::string*>(out);
        for (int i = 0; i < n; ++i) text += std::string(i ? "," : "") + (values[i] ? values[i] : "");
        text += "\n";
        return 0;
    }, &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

}  // namespace history_test
