// Rows of a history store as an earlier run would have left them, for the
// window tests of the desk's history.
#pragma once

#include <QtTest>
#include <filesystem>
#include <string>

#include "history/history_store.h"

namespace testing_support {

constexpr history::TimeMs kHourMs = 3600 * 1000;
// 2026-12-07 12:00:00 UTC: "now" of the tests.
constexpr history::TimeMs kNoon = 1796644800000;

inline history::PositionRow StoredPosition(int32_t mmsi, history::TimeMs time, double lat, double lon) {
    history::PositionRow p;
    p.time = time, p.mmsi = mmsi, p.type = 1, p.stationClass = history::StationClass::ClassA;
    p.latitude = lat, p.longitude = lon;
    return p;
}

inline history::StaticRow StoredName(int32_t mmsi, history::TimeMs time, const std::string& name, const std::string& call) {
    history::StaticRow s;
    s.time = time, s.mmsi = mmsi, s.type = 5, s.name = name, s.callSign = call;
    return s;
}

// Written as an earlier run would have left it.
inline void StoreHistory(const std::filesystem::path& file, const history::Batch& batch) {
    auto opened = history::OpenHistoryStore(file.string());
    QVERIFY2(opened.store, opened.error.c_str());
    QVERIFY(opened.store->append(batch).ok());
}

}  // namespace testing_support
