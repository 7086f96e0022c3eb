// WalCheckpointer: copies a SQLite file's write-ahead log back into the file
// on a thread of its own, so the connection that writes the batches never
// waits for the disk.
//
// A checkpoint syncs the log and the file; on a busy disk that takes tens to
// hundreds of milliseconds, and SQLite runs it on the committing connection
// (by default after the commit that grows the log past 1000 pages). Here the
// writer's commits only wake a thread that runs a passive checkpoint on a
// connection of its own: the writer goes on with the next batch meanwhile,
// readers are never blocked, and what a checkpoint cannot copy yet (pages a
// reader still sees) is copied by the next one.
//
//   sqlite::WalCheckpointer checkpointer(db);  // db: the writing connection, in WAL mode
//   ... commits ...
//   // destroyed before db is closed (the close runs the last checkpoint)
//
// When the thread cannot work (no file name, its connection cannot be
// opened) or falls far behind, the writer checkpoints itself after the
// commit, as SQLite would: the log never grows without bound.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace history::sqlite {

class WalCheckpointer {
public:
    struct Limits {
        int wakePages = 256;      // log pages after a commit that wake the thread
        int inlinePages = 8000;   // log pages at which the writer checkpoints itself
    };

    explicit WalCheckpointer(sqlite3* writer) : WalCheckpointer(writer, Limits{}) {}
    WalCheckpointer(sqlite3* writer, Limits limits);
    ~WalCheckpointer();  // stops the thread; the writer gets SQLite's own hook back
    WalCheckpointer(const WalCheckpointer&) = delete;
    WalCheckpointer& operator=(const WalCheckpointer&) = delete;

    // Checkpoints the thread has run (for tests and the curious).
    int64_t checkpoints() const { return checkpoints_.load(std::memory_order_relaxed); }

private:
    static int onCommit(void* self, sqlite3* db, const char* schema, int pages);
    void committed(int pages);
    void run();

    sqlite3* writer_;
    const Limits limits_;
    const std::string path_;  // the file; empty for one without a name (no thread)

    std::mutex mutex_;
    std::condition_variable wake_;
    bool due_ = false;
    bool stopping_ = false;
    std::atomic<bool> failed_{false};  // the thread cannot work: the writer checkpoints itself
    std::atomic<int64_t> checkpoints_{0};
    std::thread thread_;  // started by the first commit that needs it
};

}  // namespace history::sqlite
