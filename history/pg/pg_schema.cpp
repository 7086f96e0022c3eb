// PgStore's tables: the schema made on first open, the day partitions made on
// demand, and retention, which drops whole days.
#include <algorithm>

#include "history/pg/pg_rows.h"
#include "history/pg/pg_store.h"

namespace history {

namespace {

constexpr int kSchemaVersion = 1;
// Advisory lock keys, so stations opening or writing at the same moment
// make the schema and a day's partitions once.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(4242710001)";
constexpr const char* kPartitionLock = "SELECT pg_advisory_xact_lock(4242710002)";
constexpr int64_t kDayMs = 86'400'000;

constexpr const char* kTables[] = {"positions", "statics", "messages"};

// The position is kept as received (latitude, longitude: exact doubles) and
// as a geography point for the spatial index and distance queries.
constexpr const char* kSchema = R"SQL(
CREATE TABLE positions (
    time timestamptz NOT NULL,
    mmsi integer NOT NULL,
    input smallint NOT NULL,
    source text NOT NULL,
    type smallint NOT NULL,
    class "char" NOT NULL,
    latitude double precision NOT NULL,
    longitude double precision NOT NULL,
    sog real,
    cog real,
    heading smallint,
    nav_status smallint,
    position geography(Point, 4326) NOT NULL GENERATED ALWAYS AS (
        ST_SetSRID(ST_MakePoint(longitude, latitude), 4326)::geography) STORED
) PARTITION BY RANGE (time);
-- A track is read from this index alone (an index-only scan): without the
-- other columns each of its rows cost a page of the table, as a day's rows
-- of one station lie among those of every other station.
CREATE INDEX positions_mmsi_time ON positions (mmsi, time)
    INCLUDE (input, source, type, class, latitude, longitude, sog, cog, heading, nav_status);
CREATE INDEX positions_time ON positions (time);
CREATE INDEX positions_position ON positions USING gist (position);
CREATE TABLE statics (
    time timestamptz NOT NULL,
    mmsi integer NOT NULL,
    input smallint NOT NULL,
    source text NOT NULL,
    type smallint NOT NULL,
    name text NOT NULL,
    call_sign text NOT NULL,
    imo integer,
    ship_type smallint,
    dim_a smallint,
    dim_b smallint,
    dim_c smallint,
    dim_d smallint,
    draught real,
    destination text NOT NULL,
    eta text NOT NULL
) PARTITION BY RANGE (time);
CREATE INDEX statics_mmsi_time ON statics (mmsi, time);
CREATE INDEX statics_time ON statics (time);
CREATE TABLE messages (
    time timestamptz NOT NULL,
    mmsi integer NOT NULL,
    input smallint NOT NULL,
    source text NOT NULL,
    type smallint NOT NULL,
    json text NOT NULL
) PARTITION BY RANGE (time);
CREATE INDEX messages_mmsi_time ON messages (mmsi, time);
CREATE INDEX messages_time ON messages (time);
CREATE TABLE orvanta_writers (
    writer text PRIMARY KEY,
    last_seq bigint NOT NULL,
    updated timestamptz NOT NULL DEFAULT now()
);
)SQL";

std::string PartitionName(std::string_view table, int64_t day) {
    return std::string(table) + "_d" + DaySuffix(day);
}

}  // namespace

bool PgStore::failed(std::string text, PgFailure failure) {
    error_ = std::move(text);
    failure_ = failure;
    return false;
}

bool PgStore::failedQuery() { return failed(db_.error(), db_.failure()); }

void PgStore::rollback() {
    if (db_.connected()) db_.exec("ROLLBACK");
}

// Connected with the schema in place; makes both when needed.
bool PgStore::ready() {
    if (db_.connected() && schemaReady_) return true;
    schemaReady_ = false;
    knownDays_.clear();
    if (!db_.ensure()) return failedQuery();
    if (!makeSchema()) {
        rollback();
        return false;
    }
    schemaReady_ = true;
    return true;
}

bool PgStore::makeSchema() {
    if (!db_.exec("BEGIN").ok() || !db_.exec(kSchemaLock).ok()) return failedQuery();
    PgRows postgis = db_.exec("SELECT 1 FROM pg_extension WHERE extname = 'postgis'");
    if (!postgis.ok()) return failedQuery();
    if (postgis.rows() == 0 && !db_.exec("CREATE EXTENSION postgis").ok()) {
        return failed("the history database has no PostGIS and cannot make it (" + db_.error() +
                          "); as the database's owner: CREATE EXTENSION postgis",
                      PgFailure::Connection);
    }
    if (!db_.exec("CREATE TABLE IF NOT EXISTS orvanta_schema (version integer NOT NULL)").ok()) return failedQuery();
    PgRows version = db_.exec("SELECT max(version) FROM orvanta_schema");
    if (!version.ok()) return failedQuery();
    const int64_t have = version.isNull(0, 0) ? 0 : version.int64(0, 0);
    if (have > kSchemaVersion) {
        return failed("the history database was made by a newer Orvanta (schema " + std::to_string(have) + ")",
                      PgFailure::Connection);
    }
    if (have == 0) {
        if (!db_.execScript(kSchema)) return failedQuery();
        if (!db_.exec("INSERT INTO orvanta_schema VALUES ($1)", {std::to_string(kSchemaVersion)}).ok())
            return failedQuery();
    }
    if (!db_.exec("COMMIT").ok()) return failedQuery();
    return true;
}

// Inside the batch's transaction: the partitions of the days it touches.
bool PgStore::makePartitions(const std::set<int64_t>& days) {
    bool locked = false;
    for (int64_t day : days) {
        if (knownDays_.count(day)) continue;
        if (!locked && !db_.exec(kPartitionLock).ok()) return failedQuery();
        locked = true;
        const std::string from = DayText(day) + " 00:00:00+00";
        const std::string to = DayText(day + 1) + " 00:00:00+00";
        for (const char* table : kTables) {
            // Names and bounds are made from the day number, never from received text.
            const std::string sql = "CREATE TABLE IF NOT EXISTS " + PartitionName(table, day) + " PARTITION OF " +
                                    table + " FOR VALUES FROM ('" + from + "') TO ('" + to + "')";
            if (!db_.exec(sql).ok()) return failedQuery();
        }
    }
    return true;
}

// The size of each stored day (all three tables, indexes included), oldest first.
std::optional<std::vector<std::pair<int64_t, int64_t>>> PgStore::daySizes() {
    PgRows rows = db_.exec(
        "SELECT right(c.relname, 8), pg_total_relation_size(c.oid) FROM pg_inherits i "
        "JOIN pg_class c ON c.oid = i.inhrelid "
        "WHERE i.inhparent IN ('positions'::regclass, 'statics'::regclass, 'messages'::regclass)");
    if (!rows.ok()) {
        failedQuery();
        return std::nullopt;
    }
    std::vector<std::pair<int64_t, int64_t>> sizes;
    for (int r = 0; r < rows.rows(); ++r) {
        const auto day = DayOfSuffix(rows.text(r, 0));
        if (!day) continue;
        auto at = std::find_if(sizes.begin(), sizes.end(), [&](const auto& s) { return s.first == *day; });
        if (at == sizes.end()) {
            sizes.emplace_back(*day, rows.int64(r, 1));
        } else {
            at->second += rows.int64(r, 1);
        }
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

std::optional<int64_t> PgStore::storedBytes() {
    if (!ready()) return std::nullopt;
    const auto sizes = daySizes();
    if (!sizes) return std::nullopt;
    int64_t total = 0;
    for (const auto& [day, bytes] : *sizes) total += bytes;
    return total;
}

bool PgStore::dropDay(int64_t day) {
    for (const char* table : kTables) {
        if (!db_.exec("DROP TABLE IF EXISTS " + PartitionName(table, day)).ok()) return failedQuery();
    }
    knownDays_.erase(day);
    return true;
}

bool PgStore::deleteBefore(TimeMs cutoff) {
    for (const char* table : kTables) {
        const std::string sql = std::string("DELETE FROM ") + table + " WHERE time < " + TimeParam(1);
        if (!db_.exec(sql, {std::to_string(cutoff)}).ok()) return failedQuery();
    }
    return true;
}

Status PgStore::applyRetention(const Retention& retention, TimeMs now) {
    if (!ready()) return {error_};
    auto sizes = daySizes();
    if (!sizes) return {error_};
    if (!db_.exec("BEGIN").ok() || !db_.exec(kPartitionLock).ok()) {
        failedQuery();
        rollback();
        return {error_};
    }
    bool ok = true;
    if (retention.days > 0) {
        const TimeMs cutoff = now - int64_t{retention.days} * kDayMs;
        // Whole days before the cutoff go; the rows of the day it falls in
        // that are older than it are deleted.
        while (ok && !sizes->empty() && (sizes->front().first + 1) * kDayMs <= cutoff) {
            ok = dropDay(sizes->front().first);
            sizes->erase(sizes->begin());
        }
        if (ok) ok = deleteBefore(cutoff);
    }
    if (ok && retention.maxBytes > 0) {
        int64_t total = 0;
        for (const auto& [day, bytes] : *sizes) total += bytes;
        while (ok && !sizes->empty() && total > retention.maxBytes) {
            total -= sizes->front().second;
            ok = dropDay(sizes->front().first);
            sizes->erase(sizes->begin());
        }
    }
    if (ok && !db_.exec("COMMIT").ok()) ok = failedQuery();
    if (!ok) {
        rollback();
        knownDays_.clear();
        return {error_};
    }
    return {};
}

}  // namespace history
