// The write-ahead log copied back into the file on a thread of its own: the
// thread does the copying, the writer takes over when it is past its limit,
// and stopping at any moment loses nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "history/sqlite_checkpointer.h"
#include "support/temp_dir.h"

namespace {

using history::sqlite::WalCheckpointer;

constexpr int kRowsPerCommit = 20;
constexpr int kBlobBytes = 3000;  // about one 4 KiB page a row

sqlite3* OpenWal(const std::string& path) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "PRAGMA page_size = 4096; PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                           "CREATE TABLE IF NOT EXISTS t(n INTEGER, data BLOB)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    return db;
}

// One transaction of kRowsPerCommit rows numbered from `first`.
void Commit(sqlite3* db, int first) {
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, zeroblob(?))", -1, &s, nullptr), SQLITE_OK);
    for (int k = 0; k < kRowsPerCommit; ++k) {
        sqlite3_bind_int(s, 1, first + k);
        sqlite3_bind_int(s, 2, kBlobBytes);
        ASSERT_EQ(sqlite3_step(s), SQLITE_DONE);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
}

int64_t Int(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) return -1;
    const int64_t v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    return v;
}

using RowsAndSound = std::pair<int64_t, bool>;

// The rows and whether the file is sound, read by a connection of its own.
RowsAndSound Reopened(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    const int64_t rows = Int(db, "SELECT count(*) FROM t");
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
    const bool sound = sqlite3_step(s) == SQLITE_ROW &&
                       std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))) == "ok";
    sqlite3_finalize(s);
    sqlite3_close(db);
    return {rows, sound};
}

uintmax_t Size(const std::string& path) {
    std::error_code ec;
    const uintmax_t n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

TEST(WalCheckpointer, TheLogIsCopiedBackByItsThreadWhileTheWriterGoesOn) {
    testing_support::TempDir dir;
    const std::string path = (dir / "h.sqlite").string();
    sqlite3* db = OpenWal(path);
    const uintmax_t before = Size(path);
    {
        // Never inline: whatever reaches the file got there through the thread.
        WalCheckpointer checkpointer(db, {.wakePages = 50, .inlinePages = 1 << 30});
        for (int c = 0; c < 40; ++c) Commit(db, c * kRowsPerCommit);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        // 800 rows of one page each, all copied by the thread's last pass.
        while ((checkpointer.checkpoints() == 0 || Size(path) < before + 800 * 4096) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_GT(checkpointer.checkpoints(), 0);
        // Without a checkpoint the file would keep its first size until the close.
        EXPECT_GE(Size(path), before + 800 * 4096);
        // More commits while the thread copies.
        for (int c = 40; c < 80; ++c) Commit(db, c * kRowsPerCommit);
    }
    sqlite3_close(db);
    EXPECT_EQ(Reopened(path), RowsAndSound(80 * kRowsPerCommit, true));
}

TEST(WalCheckpointer, WhenTheThreadCannotKeepUpTheWriterCheckpointsItself) {
    testing_support::TempDir dir;
    const std::string path = (dir / "h.sqlite").string();
    sqlite3* db = OpenWal(path);
    {
        // Every commit is past the writer's own limit: the file has the rows
        // as soon as the commit returns, with no thread to wait for.
        WalCheckpointer checkpointer(db, {.wakePages = 10, .inlinePages = 10});
        for (int c = 0; c < 30; ++c) {
            const uintmax_t before = Size(path);
            Commit(db, c * kRowsPerCommit);
            EXPECT_GE(Size(path), before + kRowsPerCommit * 4096 / 2) << "commit " << c;
        }
        EXPECT_EQ(checkpointer.checkpoints(), 0);
        // The log is reused from its start: about one commit's pages.
        EXPECT_LT(Size(path + "-wal"), uintmax_t{4} * kRowsPerCommit * 4096);
    }
    sqlite3_close(db);
    EXPECT_EQ(Reopened(path), RowsAndSound(30 * kRowsPerCommit, true));
}

TEST(WalCheckpointer, StoppingWhileItCopiesLosesNothing) {
    testing_support::TempDir dir;
    const std::string path = (dir / "h.sqlite").string();
    int rows = 0;
    for (int round = 0; round < 12; ++round) {
        sqlite3* db = OpenWal(path);
        {
            // Woken by every commit, and stopped a varying moment after the last.
            WalCheckpointer checkpointer(db, {.wakePages = 1, .inlinePages = 1 << 30});
            for (int c = 0; c < 10; ++c, rows += kRowsPerCommit) Commit(db, rows);
            std::this_thread::sleep_for(std::chrono::microseconds(round * round * 50));
        }
        // A commit after it stopped: the connection's hook is SQLite's own
        // again, nothing calls into the stopped one.
        Commit(db, rows);
        rows += kRowsPerCommit;
        sqlite3_close(db);
        ASSERT_EQ(Reopened(path), RowsAndSound(rows, true)) << "round " << round;
    }
}

}  // namespace
