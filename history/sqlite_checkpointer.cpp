#include "history/sqlite_checkpointer.h"

namespace history::sqlite {
namespace {

constexpr int kSqliteDefaultPages = 1000;  // SQLITE_DEFAULT_WAL_AUTOCHECKPOINT

std::string FileOf(sqlite3* db) {
    const char* name = sqlite3_db_filename(db, "main");
    return name ? std::string(name) : std::string();
}

}  // namespace

WalCheckpointer::WalCheckpointer(sqlite3* writer, Limits limits)
    : writer_(writer), limits_(limits), path_(FileOf(writer)) {
    // Replaces SQLite's own hook, the one that checkpoints on the committing
    // connection.
    sqlite3_wal_hook(writer_, &WalCheckpointer::onCommit, this);
    if (path_.empty()) failed_ = true;
}

WalCheckpointer::~WalCheckpointer() {
    sqlite3_wal_autocheckpoint(writer_, kSqliteDefaultPages);  // SQLite's own hook back
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

int WalCheckpointer::onCommit(void* self, sqlite3*, const char*, int pages) {
    static_cast<WalCheckpointer*>(self)->committed(pages);
    return SQLITE_OK;
}

void WalCheckpointer::committed(int pages) {
    if (pages < limits_.wakePages) return;
    if (failed_.load(std::memory_order_relaxed) || pages >= limits_.inlinePages) {
        // As SQLite's own hook does; a failure leaves the log to the next try.
        sqlite3_wal_checkpoint_v2(writer_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        due_ = true;
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
}

void WalCheckpointer::run() {
    sqlite3* db = nullptr;
    // A connection of the thread's own; a read makes it take the file's
    // journal mode, without which it would not see the log at all.
    if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
        failed_ = true;
        sqlite3_close_v2(db);
        return;
    }
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || due_; });
            if (stopping_) break;
            due_ = false;
        }
        int log = 0, copied = 0;
        if (sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &log, &copied) == SQLITE_OK &&
            log >= 0) {
            checkpoints_.fetch_add(1, std::memory_order_relaxed);
        }
    }
    sqlite3_close_v2(db);
}

}  // namespace history::sqlite
