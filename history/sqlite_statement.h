// A prepared SQLite statement with chained binding, for the history store.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace history::sqlite {

// One prepared statement; reset after each use so it can be run again.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK)
            stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(Statement&& o) noexcept : stmt_(std::exchange(o.stmt_, nullptr)) {}
    Statement& operator=(Statement&& o) noexcept {
        std::swap(stmt_, o.stmt_);
        return *this;
    }
    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* handle() const { return stmt_; }

    // Ends a query that was not read to its end: a statement left on a row
    // holds its read transaction, and with it a snapshot that never sees
    // later batches (and keeps the WAL from being folded back).
    void reset() { sqlite3_reset(stmt_); }
    Statement& start() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        index_ = 0;
        return *this;
    }
    Statement& bind(int64_t v) {
        sqlite3_bind_int64(stmt_, ++index_, v);
        return *this;
    }
    Statement& bind(double v) {
        sqlite3_bind_double(stmt_, ++index_, v);
        return *this;
    }
    Statement& bind(std::string_view v) {
        // An empty view may have no data pointer, which SQLite would store as NULL.
        sqlite3_bind_text(stmt_, ++index_, v.empty() ? "" : v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // Not copied: the caller keeps the bytes until the statement has been
    // stepped (the blobs are blocks of positions, copied once per write).
    Statement& bindBlob(std::string_view v) {
        sqlite3_bind_blob(stmt_, ++index_, v.empty() ? "" : v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
        return *this;
    }
    template <typename T>
    Statement& bind(const std::optional<T>& v) {
        if (!v) {
            sqlite3_bind_null(stmt_, ++index_);
            return *this;
        }
        if constexpr (std::is_floating_point_v<T>) return bind(static_cast<double>(*v));
        else return bind(static_cast<int64_t>(*v));
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(stmt_); }

    int64_t integer(int c) const { return sqlite3_column_int64(stmt_, c); }
    double real(int c) const { return sqlite3_column_double(stmt_, c); }
    bool null(int c) const { return sqlite3_column_type(stmt_, c) == SQLITE_NULL; }
    std::string text(int c) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, c))) : std::string();
    }
    template <typename T>
    std::optional<T> optional(int c) const {
        if (null(c)) return std::nullopt;
        if constexpr (std::is_floating_point_v<T>) return static_cast<T>(real(c));
        else return static_cast<T>(integer(c));
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int index_ = 0;
};

}  // namespace history::sqlite
