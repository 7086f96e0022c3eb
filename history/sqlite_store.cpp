#include "history/sqlite_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <queue>
#include <unordered_map>

#include "history/position_block.h"
#include "history/sqlite_schema.h"
#include "history/sqlite_statement.h"
#include "history/sqlite_store_connection.h"

namespace history {
namespace {

using sqlite::Statement;

constexpr TimeMs kHourMs = 3600 * 1000;
constexpr TimeMs kDayMs = 24 * kHourMs;

// `at - window` without running past the smallest time.
TimeMs SaturatingMinus(TimeMs at, TimeMs window) {
    if (window < 0) return at;
    if (at < std::numeric_limits<TimeMs>::min() + window) return std::numeric_limits<TimeMs>::min();
    return at - window;
}

StaticRow ReadStatic(const Statement& s) {
    StaticRow r;
    r.time = s.integer(0);
    r.mmsi = static_cast<int32_t>(s.integer(1));
    r.input = static_cast<int16_t>(s.integer(2));
    r.source = s.text(3);
    r.type = static_cast<uint8_t>(s.integer(4));
    r.name = s.text(5);
    r.callSign = s.text(6);
    r.imo = s.optional<int32_t>(7);
    r.shipType = s.optional<int16_t>(8);
    r.dimA = s.optional<int16_t>(9);
    r.dimB = s.optional<int16_t>(10);
    r.dimC = s.optional<int16_t>(11);
    r.dimD = s.optional<int16_t>(12);
    r.draught = s.optional<float>(13);
    r.destination = s.text(14);
    r.eta = s.text(15);
    return r;
}


}  // namespace

bool SqliteStore::prepare() {
    const std::string sta = kStaticColumns;
    const std::string upsert =
        "INSERT INTO stations(mmsi, time, lat, lon, name, callsign) VALUES(?, ?, ?, ?, ?, ?) "
        "ON CONFLICT(mmsi) DO UPDATE SET "
        "lat = CASE WHEN excluded.lat IS NOT NULL AND excluded.time >= stations.time THEN excluded.lat ELSE stations.lat END, "
        "lon = CASE WHEN excluded.lat IS NOT NULL AND excluded.time >= stations.time THEN excluded.lon ELSE stations.lon END, "
        "name = CASE WHEN excluded.name <> '' THEN excluded.name ELSE stations.name END, "
        "callsign = CASE WHEN excluded.callsign <> '' THEN excluded.callsign ELSE stations.callsign END, "
        "time = max(stations.time, excluded.time)";
    const std::string texts[kCount] = {
        "BEGIN IMMEDIATE",
        "COMMIT",
        "ROLLBACK",
        "INSERT INTO positions(mmsi, time, last, data) VALUES(?, ?, ?, ?)",
        "UPDATE positions SET last = ?, data = ? WHERE mmsi = ? AND time = ?",
        "SELECT max(time) FROM positions WHERE mmsi = ? AND time BETWEEN ? AND ?",
        "INSERT OR IGNORE INTO sources(input, source) VALUES(?, ?)",
        "SELECT id FROM sources WHERE input = ? AND source = ?",
        "SELECT id, input, source FROM sources",
        "INSERT INTO statics(" + sta + ") VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        "INSERT INTO messages(time, mmsi, input, source, type, json) VALUES(?, ?, ?, ?, ?, ?)",
        upsert,
        "UPDATE stations SET time = ?2, lat = ?3, lon = ?4 WHERE mmsi = ?1 AND time <= ?2",
        "SELECT time, data FROM positions WHERE mmsi = ? AND time BETWEEN ? AND ? ORDER BY time",
        // The stations with a block that begins in a time range.
        "SELECT DISTINCT mmsi FROM positions WHERE time BETWEEN ? AND ? ORDER BY mmsi",
        "SELECT time, data FROM positions WHERE mmsi = ? AND time BETWEEN ? AND ? ORDER BY time DESC",
        "SELECT " + sta + " FROM statics WHERE mmsi = ? AND time <= ? ORDER BY time DESC, rowid DESC LIMIT 1",
        "SELECT mmsi, name, callsign, time, lat, lon FROM stations WHERE instr(CAST(mmsi AS TEXT), ?1) > 0 "
        "OR instr(lower(name), lower(?1)) > 0 OR instr(lower(callsign), lower(?1)) > 0 "
        "ORDER BY time DESC, mmsi",
        "SELECT time, mmsi, input, source, type, json FROM messages WHERE time BETWEEN ? AND ? ORDER BY time, rowid",
        // The positions' first and last time: the first block's key, and the
        // latest last time of the blocks that can reach past the newest
        // block's start (a block spans at most kBlockSpanMs).
        "SELECT (SELECT time FROM positions ORDER BY time LIMIT 1), "
        "(SELECT max(last) FROM positions WHERE time >= (SELECT time FROM positions ORDER BY time DESC LIMIT 1) - " +
            std::to_string((sqlite::kBlockSpanMs + 1) * sqlite::kSeqPerMs) + "), "
        "min(t0), max(t1) FROM (SELECT min(time) t0, max(time) t1 FROM statics UNION ALL "
        "SELECT min(time), max(time) FROM messages)",
        "SELECT (SELECT page_count FROM pragma_page_count()) - (SELECT freelist_count FROM pragma_freelist_count()), "
        "(SELECT page_size FROM pragma_page_size())",
    };
    for (const auto& t : texts) {
        statements_.emplace_back(db_, t);
        if (!statements_.back()) return !fail("cannot prepare a statement").ok();
    }
    // The blocks of the period in key order, decoded here.
    counts_.emplace_back(db_, "SELECT time, data FROM positions WHERE time >= ? AND time < ?");
    for (const char* from : {"statics p", "messages p"}) {
        counts_.emplace_back(db_, std::string("SELECT p.time / 3600000, count(*) FROM ") + from +
                                      " WHERE p.time >= ? AND p.time < ? GROUP BY 1");
    }
    for (const Statement& c : counts_) {
        if (!c) return !fail("cannot prepare a statement").ok();
    }
    return true;
}

Status SqliteStore::fail(const char* what) {
    lastError_ = std::string(what) + ": " + sqlite3_errmsg(db_);
    return {lastError_};
}

bool SqliteStore::run(Id id, const char* what) {
    const int rc = st(id).step();
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    fail(what);
    return false;
}

PositionRow SqliteStore::unpack(int32_t mmsi, const sqlite::PackedPosition& packed) {
    PositionRow p;
    p.mmsi = mmsi;
    p.time = packed.time;
    sqlite::UnpackPlace(packed.place, p);
    const int64_t source = sqlite::UnpackInfo(packed.info, p);
    auto it = sources_.find(source);
    if (it == sources_.end()) {
        // Added by another connection since this one last looked.
        Statement& q = st(kSources);
        while (q.step() == SQLITE_ROW) {
            const std::pair key(static_cast<int16_t>(q.integer(1)), q.text(2));
            sources_[q.integer(0)] = key;
            sourceIds_[key] = q.integer(0);
        }
        q.reset();
        it = sources_.find(source);
    }
    if (it != sources_.end()) std::tie(p.input, p.source) = it->second;
    return p;
}

template <typename Visit>
bool SqliteStore::forEachBlock(Id id, int64_t mmsi, int64_t low, int64_t high, Visit&& visit) {
    Statement& s = st(id);
    s.bind(mmsi).bind(low).bind(high);
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(s.handle(), 1));
        const std::string_view bytes(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(s.handle(), 1)));
        if (!visit(sqlite::TimeOfKey(s.integer(0)), bytes)) {
            s.reset();
            return true;
        }
    }
    s.reset();
    return rc == SQLITE_DONE;
}

// The lowest key of a block that may hold a position at or after `from`.
namespace {
int64_t FirstKeyReaching(TimeMs from) { return sqlite::TimeKey(SaturatingMinus(from, sqlite::kBlockSpanMs)); }
}  // namespace

std::vector<PositionRow> SqliteStore::track(int32_t mmsi, TimeMs from, TimeMs to) {
    std::vector<PositionRow> out;
    if (!visitTrack(mmsi, from, to, [&](const PositionRow& p) {
            out.push_back(p);
            return true;
        }).ok()) {
        out.clear();
    }
    return out;
}

Status SqliteStore::visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                               const std::function<bool(const PositionRow&)>& visit) {
    cancelled_.store(false);
    if (to < from) return {};
    // Blocks overlap only when older reports were stored after newer ones:
    // those that overlap are put in order together before they are handed
    // on (usually each block alone).
    std::vector<PositionRow> group;
    TimeMs groupEnd = std::numeric_limits<TimeMs>::min();
    bool more = true;
    const auto flush = [&] {
        if (!std::is_sorted(group.begin(), group.end(), [](const auto& a, const auto& b) { return a.time < b.time; }))
            std::stable_sort(group.begin(), group.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
        for (const PositionRow& p : group) {
            if (!(more = visit(p))) break;
        }
        group.clear();
    };
    const bool ok = forEachBlock(kBlocks, mmsi, FirstKeyReaching(from), sqlite::TimeKey(to, sqlite::kSeqPerMs - 1),
                                 [&](TimeMs first, std::string_view bytes) {
        if (first >= groupEnd) flush();
        if (!more || cancelled_.load(std::memory_order_relaxed)) return false;
        sqlite::ForEachInBlock(bytes, first, [&](const sqlite::PackedPosition& p) {
            groupEnd = std::max(groupEnd, p.time);
            if (p.time > to) return false;
            if (p.time >= from) group.push_back(unpack(mmsi, p));
            return true;
        });
        return true;
    });
    if (cancelled_.load() || (!ok && sqlite3_errcode(db_) == SQLITE_INTERRUPT)) return Status::Cancelled();
    if (!ok) return fail("cannot read a track");
    if (more) flush();
    return cancelled_.load() ? Status::Cancelled() : Status{};
}

bool SqliteStore::newestPosition(int64_t mmsi, int64_t low, int64_t high, TimeMs after, TimeMs at,
                                 std::optional<sqlite::PackedPosition>& best) {
    best.reset();
    return forEachBlock(kBlocksBackwards, mmsi, low, high, [&](TimeMs first, std::string_view bytes) {
        // Newest block first; an older one can hold a later position only while it reaches that far.
        if (best && first < SaturatingMinus(best->time, sqlite::kBlockSpanMs)) return false;
        const bool newest = !best;
        sqlite::ForEachInBlock(bytes, first, [&](const sqlite::PackedPosition& p) {
            if (p.time > at) return false;
            // Of reports with the same time, the one stored last.
            if (p.time > after && (!best || p.time > best->time || (newest && p.time == best->time))) best = p;
            return true;
        });
        return true;
    });
}

std::vector<SituationEntry> SqliteStore::situation(TimeMs at, TimeMs window) {
    // Each station with a block that may hold a position in the window (one
    // begun at most a block's span before it), then its latest position in
    // the window from its newest blocks: a few look-ups per station of the
    // window, however many positions and stations the store holds.
    const TimeMs from = SaturatingMinus(at, window);
    const int64_t high = sqlite::TimeKey(at, sqlite::kSeqPerMs - 1);
    const int64_t low = from == std::numeric_limits<TimeMs>::min() ? std::numeric_limits<int64_t>::min()
                                                                    : FirstKeyReaching(from + 1);
    std::vector<int64_t> stations;
    Statement& s = st(kStationsAfter);
    s.bind(low).bind(high);  // low: the first key of a block that can reach the window
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) stations.push_back(s.integer(0));
    if (rc != SQLITE_DONE) {
        fail("cannot read the situation");
        return {};
    }
    std::vector<SituationEntry> out;
    for (const int64_t mmsi : stations) {
        std::optional<sqlite::PackedPosition> best;
        if (!newestPosition(mmsi, low, high, from, at, best)) {
            fail("cannot read the situation");
            return {};
        }
        if (best) out.push_back({unpack(static_cast<int32_t>(mmsi), *best), std::nullopt});
    }
    for (SituationEntry& e : out) {
        Statement& q = st(kStaticAt);
        q.bind(int64_t{e.position.mmsi}).bind(at);
        rc = q.step();
        if (rc == SQLITE_ROW) e.statics = ReadStatic(q);
        else if (rc != SQLITE_DONE) fail("cannot read static data");
        q.reset();
    }
    return out;
}

std::vector<LastSeen> SqliteStore::lastSeen(std::string_view text, int limit) {
    // The stations found, latest first by their rows' times. A row's
    // position may be up to kStationRowLagMs older than the station's newest
    // one, which its blocks hold: each station is brought up to date from
    // them, until no row further down can reach the `limit` best times.
    std::vector<LastSeen> out;
    if (limit <= 0) return out;
    const auto later = [](const LastSeen& a, const LastSeen& b) {
        return a.time != b.time ? a.time > b.time : a.mmsi < b.mmsi;
    };
    std::priority_queue<TimeMs, std::vector<TimeMs>, std::greater<>> best;  // the `limit` latest times
    Statement& s = st(kLastSeen);
    s.bind(text);
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) {
        LastSeen l;
        l.mmsi = static_cast<int32_t>(s.integer(0));
        l.name = s.text(1);
        l.callSign = s.text(2);
        l.time = s.integer(3);
        l.latitude = s.optional<double>(4);
        l.longitude = s.optional<double>(5);
        if (std::ssize(best) == limit && l.time + kStationRowLagMs <= best.top()) break;
        std::optional<sqlite::PackedPosition> newest;
        if (!newestPosition(l.mmsi, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(),
                            std::numeric_limits<TimeMs>::min(), std::numeric_limits<TimeMs>::max(), newest)) {
            s.reset();
            fail("cannot search the stations");
            return {};
        }
        if (newest) {
            // As the station's track gives it (the row holds it as it came, before its rounding to the stored steps).
            PositionRow p;
            sqlite::UnpackPlace(newest->place, p);
            l.time = std::max(l.time, newest->time);
            l.latitude = p.latitude;
            l.longitude = p.longitude;
        }
        best.push(l.time);
        if (std::ssize(best) > limit) best.pop();
        out.push_back(std::move(l));
    }
    s.reset();
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) fail("cannot search the stations");
    std::sort(out.begin(), out.end(), later);
    if (std::ssize(out) > limit) out.resize(static_cast<size_t>(limit));
    return out;
}

std::vector<HourCount> SqliteStore::countsPerHour(TimeMs from, TimeMs to) {
    std::map<TimeMs, HourCount> hours;
    const auto hourOf = [](TimeMs t) { return (t >= 0 ? t : t - kHourMs + 1) / kHourMs; };
    if (from < to) {
        Statement& s = counts_[0].start();
        s.bind(FirstKeyReaching(from)).bind(sqlite::TimeKey(to));
        int rc;
        while ((rc = s.step()) == SQLITE_ROW) {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(s.handle(), 1));
            const std::string_view bytes(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(s.handle(), 1)));
            sqlite::ForEachInBlock(bytes, sqlite::TimeOfKey(s.integer(0)), [&](const sqlite::PackedPosition& p) {
                if (p.time >= to) return false;
                if (p.time >= from) ++hours[hourOf(p.time)].positions;
                return true;
            });
        }
        s.reset();
        if (rc != SQLITE_DONE) fail("cannot count the rows");
    }
    for (size_t table = 1; table < counts_.size(); ++table) {
        Statement& s = counts_[table].start();
        s.bind(from).bind(to);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW) (table == 1 ? hours[s.integer(0)].statics : hours[s.integer(0)].messages) = s.integer(1);
        if (rc != SQLITE_DONE) fail("cannot count the rows");
    }
    std::vector<HourCount> out;
    for (auto& [k, h] : hours) {
        h.hour = k * kHourMs;
        out.push_back(h);
    }
    return out;
}

std::vector<MessageRow> SqliteStore::messages(TimeMs from, TimeMs to) {
    std::vector<MessageRow> out;
    Statement& s = st(kMessages);
    s.bind(from).bind(to);
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) {
        out.push_back({s.integer(0), static_cast<int32_t>(s.integer(1)), static_cast<int16_t>(s.integer(2)),
                       s.text(3), static_cast<uint8_t>(s.integer(4)), s.text(5)});
    }
    if (rc != SQLITE_DONE) fail("cannot read the messages");
    return out;
}

std::optional<std::pair<TimeMs, TimeMs>> SqliteStore::span() {
    Statement& s = st(kSpan);
    if (s.step() != SQLITE_ROW) {
        fail("cannot read the span");
        s.reset();
        return std::nullopt;
    }
    std::optional<std::pair<TimeMs, TimeMs>> range;
    if (!s.null(0)) range = std::pair(sqlite::TimeOfKey(s.integer(0)), s.integer(1));
    if (!s.null(2)) {
        const std::pair<TimeMs, TimeMs> other(s.integer(2), s.integer(3));
        range = range ? std::pair(std::min(range->first, other.first), std::max(range->second, other.second)) : other;
    }
    s.reset();
    return range;
}

bool SqliteStore::deleteBefore(TimeMs cutoff, bool wholeBlocks) {
    if (!run(kBegin, "cannot begin a transaction")) return false;
    bool ok = true;
    // Positions go a block at a time, when its last position is older (or,
    // to free room, when its first is); the stations go last, a station's
    // time being its latest row's. A station's row may lag its newest
    // position by up to kStationRowLagMs: one that recent goes only when
    // none of its positions are left.
    const std::string stations = "stations WHERE (time < ?1 - " + std::to_string(kStationRowLagMs) +
                                 " OR NOT EXISTS (SELECT 1 FROM positions p WHERE p.mmsi = stations.mmsi)) AND";
    for (const std::string& table : {std::string("positions WHERE last < ?2 AND"), std::string("statics WHERE"),
                                     std::string("messages WHERE"), stations}) {
        // The text is one of four fixed ones; the cutoff is bound.
        Statement s(db_, "DELETE FROM " + table + " time < ?1");
        if (!s) { ok = false; fail("cannot prepare a deletion"); break; }
        s.start().bind(table[0] == 'p' ? sqlite::TimeKey(cutoff) : cutoff);
        if (table[0] == 'p') s.bind(wholeBlocks ? cutoff : std::numeric_limits<TimeMs>::max());
        if (s.step() != SQLITE_DONE) { ok = false; fail("cannot drop old rows"); break; }
    }
    if (ok && run(kCommit, "cannot commit")) return true;
    const std::string error = lastError_;
    st(kRollback).step();
    lastError_ = error;
    return false;
}

int64_t SqliteStore::usedBytes() {
    Statement& s = st(kUsedBytes);
    if (s.step() != SQLITE_ROW) return -1;
    const int64_t used = s.integer(0) * s.integer(1);
    s.reset();
    return used;
}

Status SqliteStore::applyRetention(const Retention& retention, TimeMs now) {
    if (retention.days > 0 && !deleteBefore(SaturatingMinus(now, int64_t{retention.days} * kDayMs), true))
        return {lastError_};
    // Whole days, oldest first, while the file's pages in use are over the
    // limit; when one day is left, the older half of what remains.
    for (int round = 0; retention.maxBytes > 0 && round < 100000; ++round) {
        const int64_t used = usedBytes();
        if (used < 0) return fail("cannot measure the store");
        if (used <= retention.maxBytes) break;
        const auto range = span();
        if (!range) break;
        const auto [first, last] = *range;
        TimeMs cutoff = (first >= 0 ? first / kDayMs : (first - kDayMs + 1) / kDayMs) * kDayMs + kDayMs;
        if (cutoff > last) cutoff = first + (last - first) / 2 + 1;
        if (!deleteBefore(cutoff, false)) return {lastError_};
    }
    // Blocks kept open may be gone, and station rows with them; hand the
    // freed pages back to the file system.
    open_.clear();
    stationWritten_.clear();
    sqlite3_exec(db_, "PRAGMA incremental_vacuum", nullptr, nullptr, nullptr);
    return {};
}

namespace {

// Opens and checks the file: a database whose schema and tables read.
// Returns the SQLite result code of the first step that failed.
int OpenChecked(const std::string& path, sqlite3** out, std::string& error) {
    sqlite::ConfigureLibrary();
    sqlite3* db = nullptr;
    error.clear();
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 0);
        sqlite3_busy_timeout(db, 5000);
        // Pages of 8 KiB for a new file (an existing one keeps its own): a
        // batch's blocks go out in half the writes, and the file is a little
        // smaller (fewer page headers).
        const std::string pageSize = "PRAGMA page_size = " + std::to_string(sqlite::kPageSize);
        const std::string cacheSize = "PRAGMA cache_size = -" + std::to_string(sqlite::kCacheKiB);
        for (const std::string& sql : {pageSize, std::string("PRAGMA auto_vacuum = INCREMENTAL"),
                                       std::string("PRAGMA journal_mode = WAL"), std::string("PRAGMA synchronous = NORMAL"),
                                       // A cache of 8 MiB holds the pages of the blocks still growing
                                       // and the station index's pages that batches touch (and bounds
                                       // this connection's memory however large the file grows).
                                       cacheSize,
                                       // The WAL file is cut back after a checkpoint rather than kept
                                       // at its largest size.
                                       std::string("PRAGMA journal_size_limit = 16777216")}) {
            rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK) break;
        }
        if (rc == SQLITE_OK) rc = sqlite::PrepareSchema(db, error);
        if (rc == SQLITE_OK) {
            // Both ends of every table's key: a few pages each, however large
            // the file (a max over the positions' time would read them all).
            rc = sqlite3_exec(db,
                              "SELECT time, mmsi FROM positions ORDER BY time, mmsi LIMIT 1; "
                              "SELECT time, mmsi FROM positions ORDER BY time DESC, mmsi DESC LIMIT 1; "
                              "SELECT max(time) FROM statics; SELECT max(time) FROM messages; "
                              "SELECT max(mmsi) FROM stations",
                              nullptr, nullptr, nullptr);
        }
        if (rc != SQLITE_OK && error.empty()) error = sqlite3_errmsg(db);
    }
    if (rc != SQLITE_OK) {
        if (error.empty()) error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return rc;
    }
    *out = db;
    return SQLITE_OK;
}

}  // namespace

std::unique_ptr<HistoryStore> OpenSqliteStore(const std::string& path, std::string* notice, std::string* error) {
    sqlite3* db = nullptr;
    std::string why;
    int rc = OpenChecked(path, &db, why);
    if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) {
        // Keep the damaged file for whoever wants to look at it, start anew.
        std::error_code ec;
        std::filesystem::rename(path, path + ".bad", ec);
        for (const char* side : {"-wal", "-shm"}) std::filesystem::remove(path + side, ec);
        if (notice) {
            *notice = "The history file " + path + " could not be read (" + why + "); it was kept as " + path +
                      ".bad and a new history was started.";
        }
        rc = OpenChecked(path, &db, why);
    }
    if (rc != SQLITE_OK) {
        if (error) *error = "cannot open the history file " + path + ": " + why;
        return nullptr;
    }
    auto store = std::make_unique<SqliteStore>(db);
    if (!store->prepare()) {
        if (error) *error = "cannot open the history file " + path + ": " + store->lastError();
        return nullptr;
    }
    return store;
}

}  // namespace history
