#include "history/pg/pg_store.h"

#include <charconv>
#include <cmath>

#include "history/pg/pg_rows.h"

namespace history {

namespace {

std::string Text(int64_t value) { return std::to_string(value); }

std::string Text(double value) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, value);
    return std::string(text, r.ptr);
}

// A COPY that found no partition for a row: another station's retention
// dropped a day we thought was there.
bool MissingPartition(const PgConnection& db) {
    return db.sqlState() == "23514" && db.error().find("partition") != std::string::npos;
}

}  // namespace

PgStore::PgStore(std::string url, const Options& options)
    : db_({std::move(url), options.connectTimeoutSeconds, options.statementTimeoutMs}) {}

std::unique_ptr<PgStore> PgStore::open(std::string url, const Options& options, std::string& error) {
    std::unique_ptr<PgStore> store(new PgStore(std::move(url), options));
    if (!store->ready()) {
        error = store->error_;
        return nullptr;
    }
    return store;
}

std::unique_ptr<PgStore> PgStore::openLater(std::string url, const Options& options) {
    std::unique_ptr<PgStore> store(new PgStore(std::move(url), options));
    store->ready();
    return store;
}

Status PgStore::append(const Batch& batch) {
    if (writeBatch(batch, {}, 0) == Outcome::Failed) return {error_};
    return {};
}

PgStore::Outcome PgStore::appendOnce(const Batch& batch, std::string_view writer, int64_t seq) {
    return writeBatch(batch, writer.empty() ? std::string_view("-") : writer, seq);
}

bool PgStore::copyRows(const Batch& batch) {
    std::string data;
    std::string error;
    const auto copy = [&](const char* table, const char* columns, auto append, const auto& rows) {
        if (rows.empty()) return true;
        data.clear();
        if (!append(data, rows, error)) return failed(error, PgFailure::Data);
        const std::string sql = std::string("COPY ") + table + " (" + columns + ") FROM STDIN";
        return db_.copyIn(sql, data) || failedQuery();
    };
    return copy("positions", kPositionColumns, AppendPositionsCopy, batch.positions) &&
           copy("statics", kStaticColumns, AppendStaticsCopy, batch.statics) &&
           copy("messages", kMessageColumns, AppendMessagesCopy, batch.messages);
}

// One transaction: the writer's batch number (when there is a writer), the
// partitions of the batch's days, then its rows by COPY.
PgStore::Outcome PgStore::writeBatch(const Batch& batch, std::string_view writer, int64_t seq) {
    if (batch.empty() && writer.empty()) return Outcome::Stored;
    const std::set<int64_t> days = DaysOf(batch);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ready()) return Outcome::Failed;
        if (!db_.exec("BEGIN").ok()) {
            failedQuery();
            return Outcome::Failed;
        }
        if (!writer.empty()) {
            PgRows taken = db_.exec(
                "INSERT INTO orvanta_writers (writer, last_seq) VALUES ($1, $2) "
                "ON CONFLICT (writer) DO UPDATE SET last_seq = EXCLUDED.last_seq, updated = now() "
                "WHERE orvanta_writers.last_seq < EXCLUDED.last_seq",
                {std::string(writer), Text(seq)});
            if (!taken.ok()) {
                failedQuery();
                rollback();
                return Outcome::Failed;
            }
            if (taken.affected() == 0) {
                rollback();
                return Outcome::AlreadyStored;
            }
        }
        if (makePartitions(days) && copyRows(batch)) {
            if (db_.exec("COMMIT").ok()) {
                knownDays_.insert(days.begin(), days.end());
                failure_ = PgFailure::None;
                return Outcome::Stored;
            }
            failedQuery();
            return Outcome::Failed;
        }
        const bool retry = MissingPartition(db_);
        rollback();
        if (!retry) return Outcome::Failed;
        knownDays_.clear();
    }
    return Outcome::Failed;
}

// A station's positions in a fixed order: by time, reports with the same
// time by their other columns, so pages of a track meet without a gap.
constexpr const char* kTrackOrder = " ORDER BY time, input, source, latitude, longitude, type, sog, cog";

std::vector<PositionRow> PgStore::track(int32_t mmsi, TimeMs from, TimeMs to) {
    std::vector<PositionRow> out;
    if (!ready()) return out;
    const std::string sql = std::string("SELECT ") + kPositionSelect +
                            " FROM positions WHERE mmsi = $1 AND time >= " + TimeParam(2) +
                            " AND time <= " + TimeParam(3) + kTrackOrder;
    PgRows rows = db_.exec(sql, {Text(int64_t{mmsi}), Text(from), Text(to)});
    if (!rows.ok()) {
        failedQuery();
        return out;
    }
    out.reserve(static_cast<size_t>(rows.rows()));
    for (int r = 0; r < rows.rows(); ++r) out.push_back(ReadPosition(rows, r));
    return out;
}

void PgStore::cancel() {
    cancelled_.store(true);
    db_.cancelRunning();
}

Status PgStore::visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                           const std::function<bool(const PositionRow&)>& visit) {
    cancelled_.store(false);
    if (!ready()) return {error_};
    // Pages of a few thousand rows: from the last row's time on, past the
    // rows with that time already handed on.
    constexpr int kPage = 5000;
    const std::string sql = std::string("SELECT ") + kPositionSelect +
                            " FROM positions WHERE mmsi = $1 AND time >= " + TimeParam(2) +
                            " AND time <= " + TimeParam(3) + kTrackOrder + " LIMIT $4 OFFSET $5";
    TimeMs at = from;
    int64_t skip = 0;
    for (;;) {
        if (cancelled_.load()) return Status::Cancelled();
        PgRows rows = db_.exec(sql, {Text(int64_t{mmsi}), Text(at), Text(to), Text(int64_t{kPage}), Text(skip)});
        if (!rows.ok()) {
            if (cancelled_.load() || db_.sqlState() == "57014") return Status::Cancelled();
            failedQuery();
            return {error_};
        }
        for (int r = 0; r < rows.rows(); ++r) {
            const PositionRow p = ReadPosition(rows, r);
            if (cancelled_.load(std::memory_order_relaxed)) return Status::Cancelled();
            if (!visit(p)) return {};
            skip = p.time == at ? skip + 1 : 1;
            at = p.time;
        }
        if (rows.rows() < kPage) return cancelled_.load() ? Status::Cancelled() : Status{};
    }
}

std::vector<SituationEntry> PgStore::situation(TimeMs at, TimeMs window) {
    std::vector<SituationEntry> out;
    if (!ready()) return out;
    // Each station's latest position in the window, then its latest static
    // row at or before the moment, however old.
    const std::string sql = std::string("SELECT p.*, s.* FROM (SELECT DISTINCT ON (mmsi) ") + kPositionSelect +
                            " FROM positions WHERE time > " + TimeParam(1) + " - $2::bigint * interval "
                            "'1 millisecond' AND time <= " + TimeParam(1) +
                            " ORDER BY mmsi, time DESC) p LEFT JOIN LATERAL (SELECT " + kStaticSelect +
                            " FROM statics WHERE statics.mmsi = p.mmsi AND time <= " + TimeParam(1) +
                            " ORDER BY time DESC LIMIT 1) s ON true ORDER BY p.mmsi";
    PgRows rows = db_.exec(sql, {Text(at), Text(window)});
    if (!rows.ok()) {
        failedQuery();
        return out;
    }
    out.reserve(static_cast<size_t>(rows.rows()));
    for (int r = 0; r < rows.rows(); ++r) {
        SituationEntry e;
        e.position = ReadPosition(rows, r);
        if (!rows.isNull(r, kPositionSelectColumns)) e.statics = ReadStatic(rows, r, kPositionSelectColumns);
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<LastSeen> PgStore::lastSeen(std::string_view text, int limit) {
    std::vector<LastSeen> out;
    if (limit <= 0 || !ready()) return out;
    // Stations are found by their MMSI's digits among those with positions
    // (walking the (mmsi, time) index one MMSI at a time) or with static
    // rows, and by any name or call sign they have sent; each is then given
    // its latest name, call sign and position, and the time last heard.
    const char* sql = R"SQL(
WITH RECURSIVE heard(mmsi) AS (
    (SELECT mmsi FROM positions ORDER BY mmsi LIMIT 1)
    UNION ALL
    SELECT (SELECT p.mmsi FROM positions p WHERE p.mmsi > heard.mmsi ORDER BY p.mmsi LIMIT 1)
    FROM heard WHERE heard.mmsi IS NOT NULL
), found AS (
    SELECT mmsi FROM heard WHERE mmsi IS NOT NULL AND strpos(mmsi::text, $1) > 0
    UNION
    SELECT mmsi FROM statics
    WHERE strpos(mmsi::text, $1) > 0 OR strpos(lower(name), lower($1)) > 0
       OR strpos(lower(call_sign), lower($1)) > 0
)
SELECT f.mmsi, n.name, c.call_sign,
       (extract(epoch FROM greatest(lp.time, ls.time)) * 1000)::bigint, lp.latitude, lp.longitude
FROM found f
LEFT JOIN LATERAL (SELECT time, latitude, longitude FROM positions
                   WHERE mmsi = f.mmsi ORDER BY time DESC LIMIT 1) lp ON true
LEFT JOIN LATERAL (SELECT time FROM statics WHERE mmsi = f.mmsi ORDER BY time DESC LIMIT 1) ls ON true
LEFT JOIN LATERAL (SELECT name FROM statics WHERE mmsi = f.mmsi AND name <> ''
                   ORDER BY time DESC LIMIT 1) n ON true
LEFT JOIN LATERAL (SELECT call_sign FROM statics WHERE mmsi = f.mmsi AND call_sign <> ''
                   ORDER BY time DESC LIMIT 1) c ON true
ORDER BY greatest(lp.time, ls.time) DESC, f.mmsi
LIMIT $2
)SQL";
    PgRows rows = db_.exec(sql, {std::string(text), Text(int64_t{limit})});
    if (!rows.ok()) {
        failedQuery();
        return out;
    }
    for (int r = 0; r < rows.rows(); ++r) {
        LastSeen s;
        s.mmsi = static_cast<int32_t>(rows.int64(r, 0));
        s.name = std::string(rows.text(r, 1));
        s.callSign = std::string(rows.text(r, 2));
        s.time = rows.int64(r, 3);
        s.latitude = rows.optionalFloat(r, 4);
        s.longitude = rows.optionalFloat(r, 5);
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<HourCount> PgStore::countsPerHour(TimeMs from, TimeMs to) {
    std::vector<HourCount> out;
    if (!ready()) return out;
    std::string inner;
    const char* tables[] = {"positions", "statics", "messages"};
    for (int i = 0; i < 3; ++i) {
        if (i) inner += " UNION ALL ";
        inner += std::string("SELECT date_trunc('hour', time) AS hour, ") + (i == 0 ? "count(*)" : "0") + " AS p, " +
                 (i == 1 ? "count(*)" : "0") + " AS s, " + (i == 2 ? "count(*)" : "0") + " AS m FROM " + tables[i] +
                 " WHERE time >= " + TimeParam(1) + " AND time < " + TimeParam(2) + " GROUP BY 1";
    }
    const std::string sql = "SELECT (extract(epoch FROM hour) * 1000)::bigint, sum(p), sum(s), sum(m) FROM (" +
                            inner + ") x GROUP BY hour ORDER BY hour";
    PgRows rows = db_.exec(sql, {Text(from), Text(to)});
    if (!rows.ok()) {
        failedQuery();
        return out;
    }
    for (int r = 0; r < rows.rows(); ++r)
        out.push_back({rows.int64(r, 0), rows.int64(r, 1), rows.int64(r, 2), rows.int64(r, 3)});
    return out;
}

std::vector<MessageRow> PgStore::messages(TimeMs from, TimeMs to) {
    std::vector<MessageRow> out;
    if (!ready()) return out;
    const std::string sql = std::string("SELECT ") + kMessageSelect + " FROM messages WHERE time >= " +
                            TimeParam(1) + " AND time <= " + TimeParam(2) + " ORDER BY time";
    PgRows rows = db_.exec(sql, {Text(from), Text(to)});
    if (!rows.ok()) {
        failedQuery();
        return out;
    }
    for (int r = 0; r < rows.rows(); ++r) out.push_back(ReadMessage(rows, r));
    return out;
}

std::optional<std::pair<TimeMs, TimeMs>> PgStore::span() {
    if (!ready()) return std::nullopt;
    PgRows rows = db_.exec(
        "SELECT (extract(epoch FROM least((SELECT min(time) FROM positions), (SELECT min(time) FROM statics), "
        "(SELECT min(time) FROM messages))) * 1000)::bigint, "
        "(extract(epoch FROM greatest((SELECT max(time) FROM positions), (SELECT max(time) FROM statics), "
        "(SELECT max(time) FROM messages))) * 1000)::bigint");
    if (!rows.ok()) {
        failedQuery();
        return std::nullopt;
    }
    if (rows.isNull(0, 0)) return std::nullopt;
    return std::make_pair(rows.int64(0, 0), rows.int64(0, 1));
}

std::vector<PositionRow> PgStore::near(double latitude, double longitude, double metres, TimeMs from, TimeMs to) {
    std::vector<PositionRow> out;
    if (!ready()) return out;
    const std::string sql =
        std::string("SELECT ") + kPositionSelect + " FROM (SELECT DISTINCT ON (mmsi) * FROM positions "
        "WHERE ST_DWithin(position, ST_SetSRID(ST_MakePoint($2, $1), 4326)::geography, $3) AND time >= " +
        TimeParam(4) + " AND time <= " + TimeParam(5) +
        " ORDER BY mmsi, time DESC) p ORDER BY ST_Distance(position, "
        "ST_SetSRID(ST_MakePoint($2, $1), 4326)::geography), mmsi";
    PgRows rows = db_.exec(sql, {Text(latitude), Text(longitude), Text(metres), Text(from), Text(to)});
    if (!rows.ok()) {
        failedQuery();
        return out;
    }
    for (int r = 0; r < rows.rows(); ++r) out.push_back(ReadPosition(rows, r));
    return out;
}

}  // namespace history
