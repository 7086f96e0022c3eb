// The SQLite history file's layout: its schema (versioned in user_version),
// how a position row is packed into a few small integers, and the upgrade of
// files written with the earlier layouts.
//
// A position is kept as the air sends it: latitude and longitude in 1/10000
// minute (both in one integer), SOG in tenths (whole knots for type 9, as it
// is sent), COG in tenths, heading and status as sent; type, class, SOG, COG,
// heading, status and the input/source pair (a number referring to the
// sources table) share another integer. A station's positions are kept in
// blocks of a few dozen (history/position_block.h). The table has no rowid:
// its key is (time, mmsi), the time column holding the block's first time
// times 32 plus a number telling apart blocks of one station starting in the
// same millisecond; `last` is its last time. An index on (mmsi, time) finds a
// station's blocks.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "history/history_store.h"

namespace history::sqlite {

// 6: blocks reach over up to 30 minutes, and a station's row may lag its
// newest position by as much (before: 10 each). A file of version 5 needs
// no conversion; a program of version 5 refuses a file of 6, as its queries
// would look back too little for the longer blocks and rows.
constexpr int kSchemaVersion = 6;
// The page size of a new file and the cache of a store's connection: the
// library's cache block (ConfigureLibrary) is cut to these pages and sized
// for a writer's cache and some readers'.
constexpr int kPageSize = 8192;
constexpr int kCacheKiB = 8192;
// Source numbers that fit beside the other fields of the packed integer.
constexpr int64_t kMaxSourceId = int64_t{1} << 17;
// Reports of one station with the same millisecond the key tells apart.
constexpr int64_t kSeqPerMs = 32;

// The packed fields of a position, without its place.
int64_t PackInfo(const PositionRow& row, int64_t sourceId);
int64_t PackInfo(const QueuedPosition& row, int64_t sourceId);
// Sets type, class, SOG, COG, heading and status of row; returns the source number.
int64_t UnpackInfo(int64_t info, PositionRow& row);
// Latitude and longitude in 1/10000 minute, rounded, in one integer; false
// when outside -90..90 / -180..180 or not a number.
bool PackPlace(double latitude, double longitude, int64_t& place);
void UnpackPlace(int64_t place, PositionRow& row);
// The key's time column: the time and the report's number within its millisecond.
// Times far outside the years of AIS are clamped so the product stays in range.
int64_t TimeKey(TimeMs time, int64_t seq = 0);
inline TimeMs TimeOfKey(int64_t key) { return key >= 0 ? key / kSeqPerMs : (key - kSeqPerMs + 1) / kSeqPerMs; }

// Sets the library up once per process, before its first connection: no
// memory statistics (the program reads none, and keeping them takes a global
// lock on every allocation), and cache pages of up to 8 KiB taken from one
// block in huge pages (allocated one by one, each cache page cost two or
// three page faults when first used: 1,500 of a replay's 5,800). Pages beyond
// the block come from the heap as before. Does nothing when SQLite is already
// in use.
void ConfigureLibrary();

// Brings an open file to the current layout: creates the tables of a new
// file, converts a file of an older layout in one transaction (nothing is
// lost when it fails half-way). An SQLite result code; error set on failure.
int PrepareSchema(sqlite3* db, std::string& error);

}  // namespace history::sqlite
