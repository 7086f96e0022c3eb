// PgConnection: one libpq connection to the history server, with statements
// that take their values only as parameters and COPY for bulk rows.
//
//   history::PgConnection db({.url = "postgresql://ais@db.example/orvanta"});
//   if (!db.ensure()) report(db.error());
//   auto rows = db.exec("SELECT mmsi FROM positions WHERE mmsi = $1", {"244123456"});
//
// The URL (or "key=value" string) goes to libpq as it is, so a password comes
// from ~/.pgpass or a service file and never from our settings. A call that
// fails leaves its text in error() and says what kind of failure it was: the
// connection (the server is down, restarting, timed out, out of space — worth
// trying again later) or the data (the same rows would fail again).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;
struct pg_cancel;

namespace history {

enum class PgFailure { None, Connection, Data };

// A query's rows as text, as libpq returns them (NULL as nullopt).
class PgRows {
public:
    PgRows() = default;
    explicit PgRows(pg_result* result);
    bool ok() const { return result_ != nullptr; }
    int rows() const;
    bool isNull(int row, int column) const;
    std::string_view text(int row, int column) const;
    int64_t int64(int row, int column) const;
    double float64(int row, int column) const;
    std::optional<int64_t> optionalInt(int row, int column) const;
    std::optional<double> optionalFloat(int row, int column) const;
    // The count of rows an INSERT, UPDATE or DELETE touched.
    int64_t affected() const;

private:
    struct Clear {
        void operator()(pg_result* result) const;
    };
    std::unique_ptr<pg_result, Clear> result_;
};

using PgParam = std::optional<std::string>;

class PgConnection {
public:
    struct Settings {
        std::string url;
        int connectTimeoutSeconds = 5;
        // Longest a statement may run before the server cancels it (0: no limit).
        int statementTimeoutMs = 0;
    };

    explicit PgConnection(Settings settings);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects when not connected (again after a lost connection); false,
    // with error(), when the server cannot be reached.
    bool ensure();
    bool connected() const;
    void close();

    // Runs one statement with its values as parameters; a result that is not
    // ok() has failed (error(), failure()).
    PgRows exec(std::string_view sql, const std::vector<PgParam>& params = {});
    // Runs statements that take no values (the schema), several at once.
    bool execScript(std::string_view sql);
    // Runs a "COPY ... FROM STDIN" statement and sends data as its rows.
    bool copyIn(std::string_view copySql, std::string_view data);

    // Asks the server to end the statement running on this connection now;
    // for another thread (the statement then fails with SQLSTATE 57014).
    void cancelRunning();

    const std::string& error() const { return error_; }
    PgFailure failure() const { return failure_; }
    // The SQLSTATE of the last failure reported by the server ("" otherwise).
    const std::string& sqlState() const { return sqlState_; }

private:
    void fail(std::string text, pg_result* result);
    bool sendCopyData(std::string_view data);

    Settings settings_;
    pg_conn* conn_ = nullptr;
    std::mutex cancelMutex_;          // guards canceller_ against close() on the owner's thread
    pg_cancel* canceller_ = nullptr;  // of conn_
    std::string error_;
    std::string sqlState_;
    PgFailure failure_ = PgFailure::None;
};

// COPY's text format: a value with its backslashes, tabs, newlines and
// carriage returns escaped, so no text can end a column or a row early. Bytes
// that are not UTF-8, and NUL, which no server text can hold, become U+FFFD.
void AppendCopyText(std::string& out, std::string_view text);

}  // namespace history
