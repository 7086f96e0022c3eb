// Rows for the history tests, with every field set so a lost column shows.
#pragma once

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

}  // namespace history_test
