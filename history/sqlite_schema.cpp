#include "history/sqlite_schema.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <type_traits>
#include <utility>

#include "base/big_buffer.h"
#include "history/position_block.h"
#include "history/sqlite_statement.h"

namespace history::sqlite {
namespace {

// Field widths of the packed integer, lowest bits first; the all-ones value
// of a field means "not available".
// Heading 511 and SOG 1023 mean "not available" on the air, so the fields
// need no room for them.
constexpr int kTypeBits = 5, kClassBits = 3, kSogBits = 11, kCogBits = 12, kHeadingBits = 9, kStatusBits = 5;
constexpr int kClassShift = kTypeBits;
constexpr int kSogShift = kClassShift + kClassBits;
constexpr int kCogShift = kSogShift + kSogBits;
constexpr int kHeadingShift = kCogShift + kCogBits;
constexpr int kStatusShift = kHeadingShift + kHeadingBits;
constexpr int kSourceShift = kStatusShift + kStatusBits;

constexpr int64_t Ones(int bits) { return (int64_t{1} << bits) - 1; }

constexpr double kUnitsPerDegree = 600000.0;  // 1/10000 minute
constexpr int kLonBits = 28;
constexpr int64_t kLatOffset = 90 * 600000, kLonOffset = 180 * 600000;

// SAR aircraft (type 9) send their speed in whole knots, the others in tenths.
double SogScale(int type) { return type == 9 ? 1 : 10; }

constexpr char kClasses[] = {'?', 'A', 'B', 'S', 'N', 'R'};

int64_t ClassCode(StationClass c) {
    switch (c) {  // the index in kClasses
        case StationClass::ClassA: return 1;
        case StationClass::ClassB: return 2;
        case StationClass::BaseStation: return 3;
        case StationClass::AidToNavigation: return 4;
        case StationClass::SarAircraft: return 5;
        case StationClass::Unknown: break;
    }
    return 0;
}

// x rounded to the nearest integer, halves away from zero (as std::llround),
// without a library call: the hot path packs several values per position.
// |x| must be below 2^52, where x minus its whole part is exact.
inline int64_t RoundedInt(double x) {
    int64_t whole = static_cast<int64_t>(x);  // towards zero
    const double fraction = x - static_cast<double>(whole);
    if (fraction >= 0.5) ++whole;
    else if (fraction <= -0.5) --whole;
    return whole;
}

// A value in steps of 1/scale, rounded and kept inside the field (its
// all-ones value is "not available").
template <typename T>
int64_t Field(const std::optional<T>& v, double scale, int bits) {
    const int64_t top = Ones(bits) - 1;
    if constexpr (std::is_integral_v<T>) {
        if (!v) return Ones(bits);
        return std::clamp<int64_t>(*v, 0, top);  // whole steps: nothing to round
    }
    if (!v || !std::isfinite(static_cast<double>(*v))) return Ones(bits);
    const double scaled = static_cast<double>(*v) * scale;
    if (!(scaled > 0)) return 0;
    if (scaled >= static_cast<double>(top)) return top;
    return std::min(RoundedInt(scaled), top);
}

int64_t Take(int64_t info, int shift, int bits) { return (info >> shift) & Ones(bits); }

// The tables of the current layout; the text is fixed, no value is ever pasted in.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS sources(
  id INTEGER PRIMARY KEY, input INTEGER NOT NULL, source TEXT NOT NULL, UNIQUE(input, source));
-- Keyed by time first: new blocks go to the end of the tree, and the open
-- blocks rewritten by every batch lie together there, on a few pages.
CREATE TABLE IF NOT EXISTS positions(
  time INTEGER NOT NULL, mmsi INTEGER NOT NULL, last INTEGER NOT NULL, data BLOB NOT NULL,
  PRIMARY KEY(time, mmsi)) WITHOUT ROWID;
-- A station's blocks in time order, for its track: one small entry per block
-- (up to 64 positions), untouched when a block grows.
CREATE INDEX IF NOT EXISTS positions_mmsi ON positions(mmsi, time);
CREATE TABLE IF NOT EXISTS statics(
  time INTEGER NOT NULL, mmsi INTEGER NOT NULL, input INTEGER NOT NULL, source TEXT NOT NULL,
  type INTEGER NOT NULL, name TEXT NOT NULL, callsign TEXT NOT NULL, imo INTEGER, shiptype INTEGER,
  dim_a INTEGER, dim_b INTEGER, dim_c INTEGER, dim_d INTEGER, draught REAL,
  destination TEXT NOT NULL, eta TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS statics_mmsi_time ON statics(mmsi, time);
CREATE INDEX IF NOT EXISTS statics_time ON statics(time);
CREATE TABLE IF NOT EXISTS messages(
  time INTEGER NOT NULL, mmsi INTEGER NOT NULL, input INTEGER NOT NULL, source TEXT NOT NULL,
  type INTEGER NOT NULL, json TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS messages_mmsi_time ON messages(mmsi, time);
CREATE INDEX IF NOT EXISTS messages_time ON messages(time);
-- One row per station, rewritten by every batch that heard it. No index on
-- its time: keeping one cost a third of that rewrite, and the situation
-- reads this small table whole, in key order. (Older files keep theirs.)
CREATE TABLE IF NOT EXISTS stations(
  mmsi INTEGER PRIMARY KEY, time INTEGER NOT NULL, lat REAL, lon REAL,
  name TEXT NOT NULL, callsign TEXT NOT NULL);
)sql";

int Exec(sqlite3* db, const char* sql, std::string& error) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) error = sqlite3_errmsg(db);
    return rc;
}

int64_t ReadInt(sqlite3* db, const char* sql) {
    Statement s(db, sql);
    return s && s.start().step() == SQLITE_ROW ? s.integer(0) : -1;
}

// Writes positions, station by station and in time order, as blocks: the
// conversion of files of the older layouts.
class BlockFiller {
public:
    explicit BlockFiller(sqlite3* db) : insert_(db, "INSERT INTO positions(mmsi, time, last, data) VALUES(?, ?, ?, ?)") {}
    explicit operator bool() const { return static_cast<bool>(insert_); }
    bool add(int64_t mmsi, const PackedPosition& p) {
        if (mmsi != mmsi_ || !block_.fits(p)) {
            if (!flush()) return false;
            mmsi_ = mmsi;
        }
        block_.add(p);
        return true;
    }
    bool flush() {
        if (block_.empty()) return true;
        int64_t key = TimeKey(block_.first());
        // Two blocks of a station starting in one millisecond: the second after the first.
        if (mmsi_ == lastMmsi_ && key <= lastKey_) key = lastKey_ + 1;
        const bool ok = TimeOfKey(key) != block_.first() ||
                        insert_.start().bind(mmsi_).bind(key).bind(block_.last()).bindBlob(block_.bytes()).step() ==
                            SQLITE_DONE;
        lastMmsi_ = mmsi_;
        lastKey_ = key;
        block_ = BlockBuilder();
        return ok;
    }

private:
    Statement insert_;
    BlockBuilder block_;
    int64_t mmsi_ = -1, lastMmsi_ = -1, lastKey_ = 0;
};

int Finish(sqlite3* db, int rc, Statement& read, BlockFiller& fill, const char* oldTable, std::string& error) {
    if (rc == SQLITE_DONE && !fill.flush()) rc = SQLITE_ERROR;
    if (rc != SQLITE_DONE) {
        error = sqlite3_errmsg(db);
        return rc == SQLITE_ROW ? SQLITE_ERROR : rc;
    }
    read.reset();
    return Exec(db, (std::string("DROP TABLE ") + oldTable).c_str(), error);
}

// Copies the positions of the first layout (a rowid table with one column
// per field, degrees as reals) into blocks, then drops the old table.
int ConvertFirstLayout(sqlite3* db, std::string& error) {
    int rc = Exec(db,
                  "ALTER TABLE positions RENAME TO positions_old; DROP INDEX IF EXISTS positions_mmsi_time; "
                  "DROP INDEX IF EXISTS positions_time",
                  error);
    if (rc != SQLITE_OK || (rc = Exec(db, kSchema, error)) != SQLITE_OK) return rc;
    Statement read(db,
                   "SELECT time, mmsi, input, source, type, class, lat, lon, sog, cog, heading, status "
                   "FROM positions_old ORDER BY mmsi, time, rowid");
    Statement addSource(db, "INSERT INTO sources(input, source) VALUES(?, ?)");
    BlockFiller fill(db);
    if (!read || !addSource || !fill) {
        error = sqlite3_errmsg(db);
        return SQLITE_ERROR;
    }
    std::map<std::pair<int64_t, std::string>, int64_t> sources;
    read.start();
    while ((rc = read.step()) == SQLITE_ROW) {
        PositionRow p;
        p.type = static_cast<uint8_t>(read.integer(4));
        const std::string cls = read.text(5);
        p.stationClass = cls.empty() ? StationClass::Unknown : static_cast<StationClass>(cls[0]);
        p.sog = read.optional<float>(8);
        p.cog = read.optional<float>(9);
        p.heading = read.optional<int16_t>(10);
        p.navStatus = read.optional<int16_t>(11);
        const std::pair key(read.integer(2), read.text(3));
        auto [it, added] = sources.try_emplace(key, 0);
        if (added) {
            if (addSource.start().bind(key.first).bind(key.second).step() != SQLITE_DONE) break;
            it->second = sqlite3_last_insert_rowid(db);
            if (it->second > kMaxSourceId) break;
        }
        PackedPosition packed;
        packed.time = read.integer(0);
        PackPlace(read.real(6), read.real(7), packed.place);  // the old table's checks kept them in range
        packed.info = PackInfo(p, it->second);
        if (!fill.add(read.integer(1), packed)) break;
    }
    return Finish(db, rc, read, fill, "positions_old", error);
}

// Copies the positions of the second layout (a row per position under its
// (mmsi, time) key) into blocks, then drops the old table.
int ConvertSecondLayout(sqlite3* db, std::string& error) {
    int rc = Exec(db, "ALTER TABLE positions RENAME TO positions_rows", error);
    if (rc != SQLITE_OK || (rc = Exec(db, kSchema, error)) != SQLITE_OK) return rc;
    Statement read(db, "SELECT mmsi, time, place, info FROM positions_rows ORDER BY mmsi, time");
    BlockFiller fill(db);
    if (!read || !fill) {
        error = sqlite3_errmsg(db);
        return SQLITE_ERROR;
    }
    read.start();
    while ((rc = read.step()) == SQLITE_ROW) {
        if (!fill.add(read.integer(0), {TimeOfKey(read.integer(1)), read.integer(2), read.integer(3)})) break;
    }
    return Finish(db, rc, read, fill, "positions_rows", error);
}

// Moves the blocks of the third and fourth layouts (keyed by station, then
// time) under the time-first key, then drops the old table.
int ConvertBlocksByStation(sqlite3* db, std::string& error) {
    int rc = Exec(db, "DROP INDEX IF EXISTS positions_time; ALTER TABLE positions RENAME TO positions_by_station", error);
    if (rc == SQLITE_OK) rc = Exec(db, kSchema, error);
    if (rc == SQLITE_OK) {
        rc = Exec(db,
                  "INSERT INTO positions(time, mmsi, last, data) SELECT time, mmsi, last, data FROM positions_by_station "
                  "ORDER BY time, mmsi; DROP TABLE positions_by_station",
                  error);
    }
    return rc;
}

}  // namespace

int64_t PackInfo(const QueuedPosition& row, int64_t sourceId) {
    // Source numbers start at 1; the first is kept as 0 so the integer stays short.
    return std::min<int64_t>(row.type, Ones(kTypeBits)) | ClassCode(row.stationClass) << kClassShift |
           Field(row.knownSog(), SogScale(row.type), kSogBits) << kSogShift |
           Field(row.knownCog(), 10, kCogBits) << kCogShift |
           Field(row.knownHeading(), 1, kHeadingBits) << kHeadingShift |
           Field(row.knownNavStatus(), 1, kStatusBits) << kStatusShift | (sourceId - 1) << kSourceShift;
}

int64_t PackInfo(const PositionRow& row, int64_t sourceId) { return PackInfo(QueuedPosition::Of(row), sourceId); }

int64_t UnpackInfo(int64_t info, PositionRow& row) {
    row.type = static_cast<uint8_t>(Take(info, 0, kTypeBits));
    const int64_t cls = Take(info, kClassShift, kClassBits);
    row.stationClass = static_cast<StationClass>(cls < std::ssize(kClasses) ? kClasses[cls] : '?');
    // Tenths as the air sends them; divided in float so the value equals the decoder's.
    const auto steps = [&](int shift, int bits, float scale) -> std::optional<float> {
        const int64_t v = Take(info, shift, bits);
        if (v == Ones(bits)) return std::nullopt;
        return static_cast<float>(v) / scale;
    };
    const auto whole = [&](int shift, int bits) -> std::optional<int16_t> {
        const int64_t v = Take(info, shift, bits);
        if (v == Ones(bits)) return std::nullopt;
        return static_cast<int16_t>(v);
    };
    row.sog = steps(kSogShift, kSogBits, static_cast<float>(SogScale(row.type)));
    row.cog = steps(kCogShift, kCogBits, 10.0f);
    row.heading = whole(kHeadingShift, kHeadingBits);
    row.navStatus = whole(kStatusShift, kStatusBits);
    return (info >> kSourceShift) + 1;
}

bool PackPlace(double latitude, double longitude, int64_t& place) {
    if (!(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180)) return false;
    const int64_t lat = RoundedInt(latitude * kUnitsPerDegree) + kLatOffset;
    const int64_t lon = RoundedInt(longitude * kUnitsPerDegree) + kLonOffset;
    place = lat << kLonBits | lon;
    return true;
}

void UnpackPlace(int64_t place, PositionRow& row) {
    row.latitude = static_cast<double>((place >> kLonBits) - kLatOffset) / kUnitsPerDegree;
    row.longitude = static_cast<double>((place & Ones(kLonBits)) - kLonOffset) / kUnitsPerDegree;
}

int64_t TimeKey(TimeMs time, int64_t seq) {
    constexpr TimeMs kLimit = std::numeric_limits<int64_t>::max() / kSeqPerMs - 1;
    return std::clamp(time, -kLimit, kLimit) * kSeqPerMs + seq;
}

void ConfigureLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        // Room for a writer's cache and half as much again for readers; the
        // block is mapped, not touched, so memory is taken only as pages are used.
        constexpr size_t kLines = size_t{kCacheKiB} * 1024 / kPageSize * 3 / 2;
        int header = 0;
        if (sqlite3_config(SQLITE_CONFIG_PCACHE_HDRSZ, &header) != SQLITE_OK || header <= 0) return;
        const size_t line = (size_t{kPageSize} + static_cast<size_t>(header) + 7) / 8 * 8;
        const size_t bytes = base::BigBufferSize(line * kLines);
        void* block = base::MapBigBuffer(bytes);
        if (!block) return;
        if (sqlite3_config(SQLITE_CONFIG_PAGECACHE, block, static_cast<int>(line), static_cast<int>(bytes / line)) !=
            SQLITE_OK) {
            base::UnmapBigBuffer(block, bytes);
        }
        // Otherwise the block stays SQLite's for the life of the process.
    });
}

int PrepareSchema(sqlite3* db, std::string& error) {
    const int64_t version = ReadInt(db, "PRAGMA user_version");
    if (version > kSchemaVersion) {
        error = "the history file was written by a newer version of this program";
        return SQLITE_ERROR;
    }
    if (version == kSchemaVersion) return Exec(db, "SELECT 1 FROM positions LIMIT 0", error);
    int rc = Exec(db, "BEGIN IMMEDIATE", error);
    if (rc != SQLITE_OK) return rc;
    // The first layout had no version; its positions table has a "class" column.
    const bool firstLayout = ReadInt(db, "SELECT count(*) FROM pragma_table_info('positions') WHERE name = 'class'") > 0;
    const bool byStation = !firstLayout && (version == 3 || version == 4);
    const bool converted = firstLayout || version == 2 || byStation;
    if (firstLayout) rc = ConvertFirstLayout(db, error);
    else if (version == 2) rc = ConvertSecondLayout(db, error);
    else if (byStation) rc = ConvertBlocksByStation(db, error);
    else rc = Exec(db, kSchema, error);
    if (rc == SQLITE_OK) {
        rc = Exec(db, ("PRAGMA user_version = " + std::to_string(kSchemaVersion) + "; COMMIT").c_str(), error);
    }
    if (rc != SQLITE_OK) {
        const std::string why = error;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        error = why;
        return rc;
    }
    // The old table's pages go back to the file system (a converted file is a fraction of its size).
    if (converted) sqlite3_exec(db, "PRAGMA incremental_vacuum", nullptr, nullptr, nullptr);
    return rc;
}

}  // namespace history::sqlite
