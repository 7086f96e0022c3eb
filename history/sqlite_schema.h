// The SQLite history file's layout: its schema (versioned in user_version),
// how a position row is packed into a few small integers, and the upgrade of
// files written with the first layout.
//
// A position is kept as the air sends it: latitude and longitude in 1/10000
// minute, SOG and COG in tenths, heading and status as sent; type, class,
// SOG, COG, heading, status and the input/source pair (a number referring to
// the sources table) share one integer. The table has no rowid: its key
// (mmsi, time, seq) is the only index, seq telling apart reports of one
// station with the same time.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "history/history_store.h"

namespace history::sqlite {

constexpr int kSchemaVersion = 2;
constexpr double kUnitsPerDegree = 600000.0;  // 1/10000 minute
// Source numbers that fit beside the other fields of the packed integer.
constexpr int64_t kMaxSourceId = (int64_t{1} << 13) - 1;

// The packed fields of a position, without its source.
int64_t PackInfo(const PositionRow& row, int64_t sourceId);
// Sets type, class, SOG, COG, heading and status of row; returns the source number.
int64_t UnpackInfo(int64_t info, PositionRow& row);
// Degrees to 1/10000 minute, rounded; false when outside -90..90 / -180..180 or not a number.
bool ToAirUnits(double latitude, double longitude, int64_t& lat, int64_t& lon);

// Brings an open file to the current layout: creates the tables of a new
// file, converts a file of the first layout in one transaction (nothing is
// lost when it fails half-way). An SQLite result code; error set on failure.
int PrepareSchema(sqlite3* db, std::string& error);

}  // namespace history::sqlite
