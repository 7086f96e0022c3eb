#include "history/pg/pg_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/shared_library.h"
#include "base/text_escape.h"
#include "base/text_file.h"

namespace history {

namespace {

// libpq's functions, from the library loaded at the first connection
// (base/shared_library.h): a program that never opens a postgresql:// store
// does not load it, nor the libraries it brings.
#define ORVANTA_LIBPQ_FUNCTIONS(X) \
    X(PQcancel) X(PQclear) X(PQcmdTuples) X(PQconnectdbParams) X(PQerrorMessage) X(PQexec) \
    X(PQexecParams) X(PQfinish) X(PQfreeCancel) X(PQgetCancel) X(PQgetResult) X(PQgetisnull) \
    X(PQgetlength) X(PQgetvalue) X(PQntuples) X(PQputCopyData) X(PQputCopyEnd) X(PQresultErrorField) \
    X(PQresultErrorMessage) X(PQresultStatus) X(PQsetNoticeProcessor) X(PQstatus)

ORVANTA_SHARED_FUNCTIONS(Libpq, ORVANTA_LIBPQ_SONAME, ORVANTA_LIBPQ_FUNCTIONS)

// The functions once a connection was made (nothing calls them before).
const Libpq& pq() { return *LoadLibpq(nullptr); }

// Failures worth trying again later: the connection, the server's resources
// (disk full), an operator's or the statement timeout's cancel, lock and
// serialization conflicts, the server's internal and I/O errors, and a schema
// missing or changed under us (made again on the next connection). Anything
// else (bad values, a constraint) would fail the same way again.
PgFailure Classify(std::string_view sqlState) {
    if (sqlState.size() != 5) return PgFailure::Connection;
    const std::string_view cls = sqlState.substr(0, 2);
    if (cls == "22" || cls == "23") return PgFailure::Data;
    return PgFailure::Connection;
}

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

}  // namespace

PgRows::PgRows(pg_result* result) : result_(result) {}

void PgRows::Clear::operator()(pg_result* result) const { pq().PQclear(result); }

int PgRows::rows() const { return result_ ? pq().PQntuples(result_.get()) : 0; }

bool PgRows::isNull(int row, int column) const { return pq().PQgetisnull(result_.get(), row, column) != 0; }

std::string_view PgRows::text(int row, int column) const {
    return {pq().PQgetvalue(result_.get(), row, column),
            static_cast<size_t>(pq().PQgetlength(result_.get(), row, column))};
}

int64_t PgRows::int64(int row, int column) const {
    const std::string_view t = text(row, column);
    int64_t value = 0;
    std::from_chars(t.data(), t.data() + t.size(), value);
    return value;
}

double PgRows::float64(int row, int column) const {
    const std::string_view t = text(row, column);
    double value = 0;
    std::from_chars(t.data(), t.data() + t.size(), value);
    return value;
}

std::optional<int64_t> PgRows::optionalInt(int row, int column) const {
    if (isNull(row, column)) return std::nullopt;
    return int64(row, column);
}

std::optional<double> PgRows::optionalFloat(int row, int column) const {
    if (isNull(row, column)) return std::nullopt;
    return float64(row, column);
}

int64_t PgRows::affected() const {
    if (!result_) return 0;
    const char* t = pq().PQcmdTuples(result_.get());
    int64_t value = 0;
    std::from_chars(t, t + std::strlen(t), value);
    return value;
}

PgConnection::PgConnection(Settings settings) : settings_(std::move(settings)) {}

PgConnection::~PgConnection() { close(); }

void PgConnection::close() {
    {
        std::lock_guard lock(cancelMutex_);
        if (canceller_) pq().PQfreeCancel(canceller_);
        canceller_ = nullptr;
    }
    if (conn_) pq().PQfinish(conn_);
    conn_ = nullptr;
}

void PgConnection::cancelRunning() {
    std::lock_guard lock(cancelMutex_);
    char why[256];
    if (canceller_) pq().PQcancel(canceller_, why, sizeof why);
}

bool PgConnection::connected() const { return conn_ && pq().PQstatus(conn_) == CONNECTION_OK; }

bool PgConnection::ensure() {
    if (connected()) return true;
    close();
    // Our defaults come before the URL so that what the URL says wins; the
    // client encoding comes after it: every text we send and read is UTF-8.
    const std::string timeout = std::to_string(settings_.connectTimeoutSeconds);
    // A server that vanishes (a cut cable, a crashed machine) is noticed by
    // the keepalives when idle and by the TCP user timeout while sending.
    const char* keys[] = {"connect_timeout",  "application_name", "keepalives_idle", "keepalives_interval",
                          "keepalives_count", "tcp_user_timeout", "dbname",          "client_encoding",
                          nullptr};
    const char* values[] = {timeout.c_str(), "orvanta", "30", "10", "3", "20000", settings_.url.c_str(), "UTF8",
                            nullptr};
    std::string unloaded;
    if (!LoadLibpq(&unloaded)) {
        error_ = "cannot connect to the history server: " + unloaded;
        sqlState_.clear();
        failure_ = PgFailure::Connection;
        return false;
    }
    conn_ = pq().PQconnectdbParams(keys, values, 1);
    if (!conn_ || pq().PQstatus(conn_) != CONNECTION_OK) {
        error_ = "cannot connect to the history server: " + Trimmed(conn_ ? pq().PQerrorMessage(conn_) : "out of memory");
        sqlState_.clear();
        failure_ = PgFailure::Connection;
        close();
        return false;
    }
    // The server's notices ("already exists, skipping") are not for the operator.
    pq().PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
    // Days and hours are UTC days and hours, whatever the server's zone.
    std::string setup = "SET TimeZone = 'UTC'";
    if (settings_.statementTimeoutMs > 0)
        setup += "; SET statement_timeout = " + std::to_string(settings_.statementTimeoutMs);
    pg_result* done = pq().PQexec(conn_, setup.c_str());
    const bool set = done && pq().PQresultStatus(done) == PGRES_COMMAND_OK;
    if (!set) {
        fail("cannot set up the history connection: " + Trimmed(done ? pq().PQresultErrorMessage(done) : ""), done);
        failure_ = PgFailure::Connection;
        pq().PQclear(done);
        close();
        return false;
    }
    pq().PQclear(done);
    {
        std::lock_guard lock(cancelMutex_);
        canceller_ = pq().PQgetCancel(conn_);
    }
    failure_ = PgFailure::None;
    return true;
}

void PgConnection::fail(std::string text, pg_result* result) {
    const char* state = result ? pq().PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    sqlState_ = state ? state : "";
    if (!connected()) {
        failure_ = PgFailure::Connection;
    } else {
        failure_ = Classify(sqlState_);
    }
    error_ = std::move(text);
}

PgRows PgConnection::exec(std::string_view sql, const std::vector<PgParam>& params) {
    if (!ensure()) return {};
    std::vector<const char*> values;
    std::vector<int> lengths;
    values.reserve(params.size());
    lengths.reserve(params.size());
    for (const PgParam& p : params) {
        values.push_back(p ? p->c_str() : nullptr);
        lengths.push_back(p ? static_cast<int>(p->size()) : 0);
    }
    const std::string statement(sql);
    pg_result* result = pq().PQexecParams(conn_, statement.c_str(), static_cast<int>(params.size()), nullptr,
                                     values.data(), lengths.data(), nullptr, 0);
    const ExecStatusType status = result ? pq().PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return PgRows(result);
    fail(Trimmed(result ? pq().PQresultErrorMessage(result) : pq().PQerrorMessage(conn_)), result);
    pq().PQclear(result);
    return {};
}

bool PgConnection::execScript(std::string_view sql) {
    if (!ensure()) return false;
    const std::string statements(sql);
    pg_result* result = pq().PQexec(conn_, statements.c_str());
    const bool ok = result && pq().PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok) fail(Trimmed(result ? pq().PQresultErrorMessage(result) : pq().PQerrorMessage(conn_)), result);
    pq().PQclear(result);
    return ok;
}

bool PgConnection::sendCopyData(std::string_view data) {
    // libpq takes an int length; large batches go in pieces.
    constexpr size_t kPiece = size_t{1} << 20;
    for (size_t at = 0; at < data.size(); at += kPiece) {
        const size_t n = std::min(kPiece, data.size() - at);
        if (pq().PQputCopyData(conn_, data.data() + at, static_cast<int>(n)) != 1) return false;
    }
    return true;
}

bool PgConnection::copyIn(std::string_view copySql, std::string_view data) {
    if (!ensure()) return false;
    const std::string statement(copySql);
    pg_result* start = pq().PQexec(conn_, statement.c_str());
    if (!start || pq().PQresultStatus(start) != PGRES_COPY_IN) {
        fail(Trimmed(start ? pq().PQresultErrorMessage(start) : pq().PQerrorMessage(conn_)), start);
        pq().PQclear(start);
        return false;
    }
    pq().PQclear(start);
    const bool sent = sendCopyData(data);
    pq().PQputCopyEnd(conn_, sent ? nullptr : "the client could not send the rows");
    // The COPY's outcome, then the end of results.
    bool ok = true;
    while (pg_result* result = pq().PQgetResult(conn_)) {
        if (pq().PQresultStatus(result) != PGRES_COMMAND_OK) {
            if (ok) fail(Trimmed(pq().PQresultErrorMessage(result)), result);
            ok = false;
        }
        pq().PQclear(result);
        if (!connected()) break;
    }
    if (ok && !sent) {
        fail(Trimmed(pq().PQerrorMessage(conn_)), nullptr);
        ok = false;
    }
    return ok;
}

void AppendCopyText(std::string& out, std::string_view text) {
    while (!text.empty()) {
        const unsigned char c = static_cast<unsigned char>(text.front());
        if (c < 0x80) {
            switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += base::kReplacementCharacter; break;
            default: out += static_cast<char>(c);
            }
            text.remove_prefix(1);
            continue;
        }
        const size_t n = base::Utf8SequenceLength(text);
        if (n == 0) {
            out += base::kReplacementCharacter;
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, n));
            text.remove_prefix(n);
        }
    }
}

}  // namespace history
