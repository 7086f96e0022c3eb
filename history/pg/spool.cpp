#include "history/pg/spool.h"

#include <sqlite3.h>

#include <cstdio>
#include <random>

#include "history/pg/batch_codec.h"
#include "history/sqlite_schema.h"

namespace history {

namespace {

// Numbers are recorded as handed out in blocks, so a batch costs no extra write.
constexpr int64_t kSeqBlock = 1000;

constexpr const char* kSchema = R"SQL(
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS waiting (seq INTEGER PRIMARY KEY, rows INTEGER NOT NULL, batch BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS rejected (seq INTEGER PRIMARY KEY, reason TEXT NOT NULL, batch BLOB NOT NULL);
)SQL";

// A statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return stmt_ != nullptr; }
    Statement& bind(int i, int64_t v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, std::string_view text) {
        sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& blob(int i, const std::string& bytes) {
        sqlite3_bind_blob(stmt_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        return *this;
    }
    int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    int64_t int64(int c) const { return sqlite3_column_int64(stmt_, c); }
    std::string text(int c) const {
        const void* p = sqlite3_column_blob(stmt_, c);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(stmt_, c)))
                 : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

std::string RandomWriterName() {
    std::random_device random;
    char text[40];
    std::snprintf(text, sizeof text, "%08x%08x%08x%08x", random(), random(), random(), random());
    return text;
}

sqlite3* OpenFile(const std::string& path) {
    sqlite::ConfigureLibrary();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    return db;
}

}  // namespace

Spool::Spool(sqlite3* db) : db_(db) {}

Spool::~Spool() { sqlite3_close(db_); }

bool Spool::fail(const char* what) {
    error_ = std::string("history spool: ") + what + ": " + sqlite3_errmsg(db_);
    return false;
}

bool Spool::exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK || fail("cannot write");
}

bool Spool::prepare() {
    if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=NORMAL") || !exec(kSchema)) return false;
    {
        Statement get(db_, "SELECT value FROM meta WHERE key = 'writer'");
        if (get.step() == SQLITE_ROW) writer_ = get.text(0);
    }
    if (writer_.empty()) {
        writer_ = RandomWriterName();
        Statement put(db_, "INSERT INTO meta VALUES ('writer', ?1)");
        if (put.bind(1, writer_).step() != SQLITE_DONE) return fail("cannot write");
    }
    Statement reserved(db_, "SELECT value FROM meta WHERE key = 'reserved'");
    if (reserved.step() == SQLITE_ROW) reserved_ = std::stoll("0" + reserved.text(0));
    nextSeq_ = reserved_ + 1;
    reserved_ = nextSeq_;
    Statement count(db_, "SELECT count(*), coalesce(sum(rows), 0) FROM waiting");
    if (count.step() != SQLITE_ROW) return fail("cannot read");
    waitingBatches_ = count.int64(0);
    waitingRows_ = count.int64(1);
    return true;
}

std::unique_ptr<Spool> Spool::open(const std::string& path, std::string& error) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite3* db = OpenFile(path);
        if (!db) {
            error = "history spool: cannot open " + path;
            return nullptr;
        }
        std::unique_ptr<Spool> spool(new Spool(db));
        if (spool->prepare()) {
            if (attempt > 0) {
                spool->notice_ = "the history spool " + path + " was damaged (" + error +
                                 "); it is kept as " + path + ".bad and a new spool was begun";
            }
            return spool;
        }
        const int code = sqlite3_errcode(db);
        error = spool->error_;
        spool.reset();
        if (code != SQLITE_NOTADB && code != SQLITE_CORRUPT) return nullptr;
        // Not a spool: kept aside for a look, and a new one begun.
        std::rename(path.c_str(), (path + ".bad").c_str());
        std::remove((path + "-wal").c_str());
        std::remove((path + "-shm").c_str());
    }
    return nullptr;
}

std::optional<int64_t> Spool::nextSeq() {
    if (nextSeq_ >= reserved_) {
        Statement put(db_, "INSERT OR REPLACE INTO meta VALUES ('reserved', ?1)");
        if (put.bind(1, std::to_string(nextSeq_ + kSeqBlock)).step() != SQLITE_DONE) {
            fail("cannot write");
            return std::nullopt;
        }
        reserved_ = nextSeq_ + kSeqBlock;
    }
    return nextSeq_++;
}

bool Spool::put(int64_t seq, const Batch& batch) {
    const std::string bytes = EncodeBatch(batch);
    Statement put(db_, "INSERT OR REPLACE INTO waiting VALUES (?1, ?2, ?3)");
    const int64_t rows = static_cast<int64_t>(RowCount(batch));
    if (put.bind(1, seq).bind(2, rows).blob(3, bytes).step() != SQLITE_DONE) return fail("cannot write");
    ++waitingBatches_;
    waitingRows_ += rows;
    return true;
}

std::optional<Spool::Entry> Spool::oldest() {
    while (waitingBatches_ > 0) {
        Statement get(db_, "SELECT seq, batch FROM waiting ORDER BY seq LIMIT 1");
        const int rc = get.step();
        if (rc == SQLITE_DONE) {
            waitingBatches_ = waitingRows_ = 0;
            return std::nullopt;
        }
        if (rc != SQLITE_ROW) {
            fail("cannot read");
            return std::nullopt;
        }
        const int64_t seq = get.int64(0);
        if (auto batch = DecodeBatch(get.text(1))) return Entry{seq, std::move(*batch)};
        Statement aside(db_, "INSERT OR REPLACE INTO rejected SELECT seq, 'damaged in the spool', batch "
                             "FROM waiting WHERE seq = ?1");
        aside.bind(1, seq).step();
        if (!remove(seq)) return std::nullopt;
    }
    return std::nullopt;
}

bool Spool::remove(int64_t seq) {
    Statement get(db_, "DELETE FROM waiting WHERE seq = ?1 RETURNING rows");
    get.bind(1, seq);
    int rc = get.step();
    if (rc == SQLITE_ROW) {
        --waitingBatches_;
        waitingRows_ -= get.int64(0);
        rc = get.step();
    }
    return rc == SQLITE_DONE || fail("cannot write");
}

bool Spool::reject(int64_t seq, const Batch& batch, std::string_view reason) {
    const std::string bytes = EncodeBatch(batch);
    Statement put(db_, "INSERT OR REPLACE INTO rejected VALUES (?1, ?2, ?3)");
    if (put.bind(1, seq).bind(2, reason).blob(3, bytes).step() != SQLITE_DONE) return fail("cannot write");
    return remove(seq);
}

int64_t Spool::rejectedBatches() {
    Statement count(db_, "SELECT count(*) FROM rejected");
    return count.step() == SQLITE_ROW ? count.int64(0) : 0;
}

}  // namespace history
