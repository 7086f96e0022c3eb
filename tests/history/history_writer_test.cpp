// The writer thread: a full queue drops and counts instead of waiting, a
// refusing store pauses and resumes without losing what waited, stop()
// writes everything, and a SIGKILL while writing leaves a sound file with
// all but the last moments in it.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>

#include <gtest/gtest.h>

#include "history/history_writer.h"
#include "history/sqlite_store.h"
#include "history_store_rows.h"
#include "support/temp_dir.h"
#include "support/write_only_store.h"

namespace history_test {
namespace {

using namespace std::chrono_literals;

// A store that records what it is given; append can be held or made to fail.
class FakeStore final : public testing_support::WriteOnlyStore {
public:
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        bool hold = false, inside = false;
        int failuresLeft = 0;
        std::chrono::milliseconds slow{0};  // each append takes this long
        std::vector<history::PositionRow> rows;
        std::vector<history::StaticRow> statics;
        int appends = 0;
    };
    explicit FakeStore(Shared& s) : s_(s) {}
    history::Status append(const history::Batch& b) override {
        std::unique_lock lock(s_.m);
        s_.inside = true;
        s_.cv.notify_all();
        s_.cv.wait(lock, [&] { return !s_.hold; });
        s_.inside = false;
        ++s_.appends;
        std::this_thread::sleep_for(s_.slow);
        if (s_.failuresLeft > 0) {
            --s_.failuresLeft;
            return {"disk full"};
        }
        s_.rows.insert(s_.rows.end(), b.positions.begin(), b.positions.end());
        s_.statics.insert(s_.statics.end(), b.statics.begin(), b.statics.end());
        return {};
    }

private:
    Shared& s_;
};

history::WriterSettings Settings(size_t capacity, double interval) {
    history::WriterSettings s;
    s.capacity = capacity;
    s.intervalSeconds = interval;
    return s;
}

// Rows reach the queue one by one (add(row)) or gathered apart and handed
// over in pieces (add(Gathered&), the feed's way); both must behave alike.
enum class Way { Single, Gathered };

class HistoryWriterWays : public testing::TestWithParam<Way> {
protected:
    // Hands rows over in the test's way, gathered ones `piece` at a time;
    // returns how many the queue took.
    static size_t Hand(history::HistoryWriter& writer, const std::vector<history::PositionRow>& rows, size_t piece = 3) {
        size_t taken = 0;
        history::HistoryWriter::Gathered gathered;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (GetParam() == Way::Single) {
                taken += writer.add(rows[i]);
                continue;
            }
            gathered.add(rows[i], rows[i].source);
            if (gathered.size() == piece || i + 1 == rows.size()) {
                const size_t handed = gathered.size();
                taken += handed - writer.add(gathered);
                EXPECT_TRUE(gathered.empty());
            }
        }
        if (GetParam() == Way::Gathered) writer.add(gathered);  // what only refused rows left
        return taken;
    }
};

INSTANTIATE_TEST_SUITE_P(Ways, HistoryWriterWays, testing::Values(Way::Single, Way::Gathered));

TEST_P(HistoryWriterWays, FullQueueDropsAndCountsWithOneNotice) {
    FakeStore::Shared shared;
    shared.hold = true;
    history::HistoryWriter writer(std::make_unique<FakeStore>(shared), Settings(10, 0.01));
    ASSERT_TRUE(writer.add(Position(1, 1)));
    {
        std::unique_lock lock(shared.m);
        shared.cv.wait(lock, [&] { return shared.inside; });  // the thread is stuck in the store
    }
    std::vector<history::PositionRow> rows;
    for (int i = 0; i < 25; ++i) rows.push_back(Position(2, 100 + i));
    EXPECT_EQ(Hand(writer, rows, 7), 10u);  // returns at once
    EXPECT_EQ(writer.counts().dropped, 15);
    EXPECT_EQ(writer.takeNotices().size(), 1u);
    {
        std::lock_guard lock(shared.m);
        shared.hold = false;
    }
    shared.cv.notify_all();
    writer.stop();
    EXPECT_EQ(shared.rows.size(), 11u);
    EXPECT_EQ(writer.counts().written, 11);
    EXPECT_FALSE(writer.add(Position(3, 1)));  // after stop: dropped, no crash
}

// Row i of a run whose fields vary: sources that change, repeat and go
// missing, values known or not, so every field's way through the queue shows.
history::PositionRow VariedRow(int i) {
    history::PositionRow p = Position(1 + i % 3, i, -89.5 + i, 179.25 - i);
    const char* sources[] = {"", "a", "a", "b", "", "b", "a;'--"};
    p.source = sources[i % 7];
    p.input = static_cast<int16_t>(i % 4);
    p.type = static_cast<uint8_t>(i % 2 ? 18 : 3);
    p.stationClass = i % 2 ? history::StationClass::ClassB : history::StationClass::ClassA;
    if (i % 2) p.sog.reset();
    if (i % 3) p.cog.reset();
    if (i % 5 == 1) p.heading.reset();
    if (i % 4 == 2) p.navStatus.reset();
    return p;
}

std::vector<history::PositionRow> VariedRows(int from, int to) {
    std::vector<history::PositionRow> rows;
    for (int i = from; i < to; ++i) rows.push_back(VariedRow(i));
    return rows;
}

TEST_P(HistoryWriterWays, RefusingStorePausesThenResumesWithNothingLost) {
    FakeStore::Shared shared;
    shared.failuresLeft = 3;
    history::HistoryWriter writer(std::make_unique<FakeStore>(shared), Settings(1000, 0.01));
    Hand(writer, VariedRows(0, 5));
    for (int spins = 0; spins < 500 && writer.counts().written < 5; ++spins) std::this_thread::sleep_for(10ms);
    Hand(writer, VariedRows(5, 12));
    writer.stop();
    ASSERT_EQ(shared.rows.size(), 12u);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(shared.rows[static_cast<size_t>(i)], VariedRow(i)) << i;
    const auto notices = writer.takeNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[0].find("History paused: disk full"), std::string::npos);
    EXPECT_NE(notices[1].find("writing again"), std::string::npos);
    EXPECT_EQ(writer.counts().failures, 3);
}

// Filling from a file: add() waits for room while a slow store catches up,
// and every row arrives once, in order.
TEST_P(HistoryWriterWays, FillingFromAFileWaitsForRoomAndLosesNothing) {
    FakeStore::Shared shared;
    shared.slow = 3ms;
    history::WriterSettings settings = Settings(64, 0.02);
    settings.waitWhenFull = true;
    history::HistoryWriter writer(std::make_unique<FakeStore>(shared), settings);
    constexpr int kRows = 5000;
    std::vector<history::PositionRow> rows;
    for (int i = 0; i < kRows; ++i) rows.push_back(Position(1 + i % 7, i));
    EXPECT_EQ(Hand(writer, rows, 100), static_cast<size_t>(kRows));  // pieces larger than the queue
    writer.stop();
    EXPECT_EQ(writer.counts().dropped, 0);
    EXPECT_EQ(writer.counts().unwritten, 0);
    ASSERT_EQ(shared.rows.size(), static_cast<size_t>(kRows));
    for (int i = 0; i < kRows; ++i) ASSERT_EQ(shared.rows[static_cast<size_t>(i)].time, i);
}

TEST_P(HistoryWriterWays, ImpossiblePositionNeverReachesTheStore) {
    FakeStore::Shared shared;
    history::HistoryWriter writer(std::make_unique<FakeStore>(shared), {});
    EXPECT_EQ(Hand(writer, {Position(1, 1, 91, 0), Position(1, 2, 0, 181), Position(1, 3)}, 2), 1u);
    writer.stop();
    EXPECT_EQ(shared.rows.size(), 1u);
    EXPECT_EQ(writer.counts().refused, 2);
}

// The child writes one position per ~0.2 ms, numbered by mmsi, timed by the
// wall clock, until it is killed.
[[noreturn]] void WriteUntilKilled(const std::string& path) {
    auto store = history::OpenSqliteStore(path, nullptr, nullptr);
    if (!store) _exit(3);
    history::HistoryWriter writer(std::move(store), Settings(100000, 0.5));
    for (int32_t n = 1;; ++n) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        writer.add(Position(n, std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        std::this_thread::sleep_for(200us);
    }
}

// A feed's rows go through the sieve in the order they were queued, though
// positions and statics wait in separate queues: a station silent for two
// hours is forgotten when a later report moves the time on, so its unchanged
// static data is stored again; had the positions gone first, the station's
// earlier static data would have come after the sweep and counted as known.
TEST_P(HistoryWriterWays, SieveTakesRowsInTheOrderTheyCame) {
    FakeStore::Shared shared;
    history::HistoryWriter writer(std::make_unique<FakeStore>(shared), Settings(1000, 60));
    writer.sieve({});
    history::HistoryWriter::Gathered gathered;  // the gathered way: all in one handover
    const auto add = [&](auto row) {
        if constexpr (std::is_same_v<decltype(row), history::PositionRow>) {
            if (GetParam() == Way::Gathered) gathered.add(row, row.source); else writer.add(row);
        } else {
            if (GetParam() == Way::Gathered) gathered.add(std::move(row)); else writer.add(std::move(row));
        }
    };
    const history::TimeMs later = 2 * 3600 * 1000;
    add(Position(1, 0));
    add(Static(1, 0, "FIRST"));
    add(Position(1, 1000));  // nothing changed: thinned
    add(Position(2, later));
    add(Static(1, later + 1, "FIRST"));
    add(Static(1, later + 2, "FIRST"));  // known again now: not stored
    EXPECT_EQ(writer.add(gathered), 0u);
    writer.stop();  // one append of everything
    EXPECT_EQ(shared.appends, 1);
    EXPECT_EQ(shared.rows.size(), 2u);
    ASSERT_EQ(shared.statics.size(), 2u);
    EXPECT_EQ(shared.statics[1].time, later + 1);
    EXPECT_EQ(writer.counts().thinned, 1);
}

// A writer told to yield lowers its own thread's priority, not the one of
// the thread that made it.
TEST(HistoryWriter, NicenessLowersTheWritersThreadOnly) {
    const auto nice = [] { return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); };
    const int before = nice();
    if (before > 14) GTEST_SKIP() << "already at nice " << before;
    std::atomic<int> writers{-100};
    struct NiceStore final : testing_support::WriteOnlyStore {
        std::function<void()> seen;
        history::Status append(const history::Batch&) override {
            seen();
            return {};
        }
    };
    auto store = std::make_unique<NiceStore>();
    store->seen = [&] { writers = nice(); };
    history::WriterSettings settings = Settings(100, 60);
    settings.niceness = 5;
    history::HistoryWriter writer(std::move(store), settings);
    writer.add(Position(1, 0));
    writer.stop();
    EXPECT_EQ(writers.load(), before + 5);
    EXPECT_EQ(nice(), before);
}

TEST(HistoryWriter, SigkillWhileWritingLosesAtMostTheLastMoment) {
    testing_support::TempDir dir;
    const std::string path = (dir / "History.sqlite").string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) WriteUntilKilled(path);
    std::this_thread::sleep_for(2500ms);
    const auto killedAt = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch()).count();
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;

    EXPECT_EQ(SqliteAnswer(path, "PRAGMA integrity_check"), "ok\n");
    // Numbered 1..n without a gap, and the last one less than a second and a
    // bit (the batch interval plus scheduling on a busy machine) before the kill.
    const std::string counted = SqliteAnswer(path, "SELECT count(*), min(mmsi), max(mmsi) = count(*) FROM positions");
    EXPECT_GT(std::stoll(counted), 100);
    EXPECT_TRUE(counted.ends_with(",1,1\n")) << counted;
    const auto span = history::OpenSqliteStore(path, nullptr, nullptr)->span();
    ASSERT_TRUE(span.has_value());
    EXPECT_GT(span->second, killedAt - 1500);
}

// The child's checks of a store on a full disk; its exit code says which failed.
[[noreturn]] void WriteOnAFullDisk(const std::string& path) {
    auto store = history::OpenSqliteStore(path, nullptr, nullptr);
    if (!store) _exit(3);
    history::HistoryWriter writer(std::move(store), Settings(1000000, 0.01));
    constexpr int kRows = 40000;
    {
        const testing_support::FileSizeLimit full(256 * 1024);
        for (int i = 0; i < kRows; ++i) {
            // The live side never waits: every row is taken at once while the store fails.
            if (!writer.add(Position(100 + i % 50, 1000 + i))) _exit(5);
            if (i % 1000 == 999) std::this_thread::sleep_for(5ms);
        }
        for (int spins = 0; spins < 500 && writer.counts().failures < 3; ++spins) std::this_thread::sleep_for(10ms);
        if (writer.counts().failures < 3) _exit(6);
    }
    // It goes on by itself once there is room again.
    for (int spins = 0; spins < 1000 && writer.counts().written < kRows; ++spins) std::this_thread::sleep_for(10ms);
    if (writer.counts().written != kRows) _exit(8);
    writer.stop();
    auto reread = history::OpenSqliteStore(path, nullptr, nullptr);
    size_t stored = 0;
    for (int m = 100; m < 150; ++m) stored += reread->track(m, 0, 1000 + kRows).size();
    _exit(stored == kRows ? 0 : 10);
}

TEST(HistoryWriter, FullDiskPausesAndResumesWithNothingLost) {
    testing_support::TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) WriteOnAFullDisk((dir / "History.sqlite").string());
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3 open, 5 add refused, 6 no failure, 8 not all written, 10 rows lost";
}

}  // namespace
}  // namespace history_test
