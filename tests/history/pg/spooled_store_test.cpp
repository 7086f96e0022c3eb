// Never lose a row: the server is stopped while a station writes, the
// station keeps writing, the server comes back, and every row is there once,
// in the order written.
#include "history/pg/spooled_store.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <thread>

#include "history/history_store_rows.h"
#include "history/pg/open_pg_store.h"
#include "history/pg/pg_cluster.h"
#include "support/temp_dir.h"

namespace history {
namespace {

constexpr TimeMs T0 = 1'796'601'600'000;  // 2026-12-07T00:00:00Z
constexpr int kStations = 10;

// Batch i: one position of each station, at T0 + i seconds.
Batch NumberedBatch(int i) {
    Batch b;
    for (int s = 0; s < kStations; ++s)
        b.positions.push_back(history_test::Position(200000000 + s, T0 + i * 1000, 57 + i * 1e-4, 11));
    return b;
}

class SpooledStoreTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (paused_) PgTestCluster::resume();
    }

    std::unique_ptr<SpooledStore> OpenSpooled(const std::string& url, int statementTimeoutMs = 0) {
        std::string error;
        auto spool = Spool::open((dir_ / "HistorySpool.sqlite").string(), error);
        EXPECT_TRUE(spool) << error;
        if (!spool) return nullptr;
        SpooledStore::Options fast;
        fast.firstRetry = fast.longestRetry = std::chrono::milliseconds(50);
        return std::make_unique<SpooledStore>(PgStore::openLater(url, {2, statementTimeoutMs}),
                                              std::move(spool), fast);
    }

    void Pause() {
        ASSERT_TRUE(PgTestCluster::pause());
        paused_ = true;
    }
    void Resume() {
        ASSERT_TRUE(PgTestCluster::resume());
        paused_ = false;
    }

    // Sends what waits until nothing does (the server is up).
    static void SendAll(SpooledStore& store) {
        for (int i = 0; i < 1000 && store.counters().waitingBatches > 0; ++i) {
            store.sendWaiting();
            if (store.counters().waitingBatches > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(store.counters().waitingBatches, 0) << store.lastError();
    }

    // Every batch 0..count-1 stored exactly once per station, and committed in
    // the order written (a later batch's rows carry a later transaction id).
    static void ExpectEveryRowOnceInOrder(const std::string& url, int count) {
        PGconn* db = PQconnectdb(url.c_str());
        PGresult* r = PQexec(db,
                             "SELECT mmsi, (extract(epoch FROM time) * 1000)::bigint, xmin::text::bigint "
                             "FROM positions ORDER BY mmsi, time, xmin::text::bigint");
        ASSERT_EQ(PQresultStatus(r), PGRES_TUPLES_OK) << PQerrorMessage(db);
        ASSERT_EQ(PQntuples(r), count * kStations);
        std::vector<int64_t> firstStationXids;
        for (int row = 0; row < PQntuples(r); ++row) {
            const int station = row / count;
            const int i = row % count;
            ASSERT_EQ(std::stoll(PQgetvalue(r, row, 0)), 200000000 + station) << row;
            ASSERT_EQ(std::stoll(PQgetvalue(r, row, 1)), T0 + i * 1000) << "station " << station << " batch " << i;
            if (station == 0) firstStationXids.push_back(std::stoll(PQgetvalue(r, row, 2)));
        }
        EXPECT_TRUE(std::is_sorted(firstStationXids.begin(), firstStationXids.end()))
            << "batches reached the server out of order";
        PQclear(r);
        PQfinish(db);
    }

    testing_support::TempDir dir_;
    bool paused_ = false;
};

TEST_F(SpooledStoreTest, ServerStoppedWhileWritingLosesNothingAndDoublesNothing) {
    PG_TEST_DATABASE(url);
    auto store = OpenSpooled(url);
    ASSERT_TRUE(store);
    // The server is stopped and started again by another thread while this
    // one writes without pause, so the stop can fall in the middle of a batch.
    std::atomic<int> phase{0};
    std::thread operatorThread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        PgTestCluster::pause();
        phase = 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        PgTestCluster::resume();
        phase = 2;
    });
    int written = 0;
    bool spooled = false;
    for (; phase < 2 || written < 400; ++written) {
        const Status s = store->append(NumberedBatch(written));
        ASSERT_TRUE(s.ok()) << s.error;
        if (store->counters().waitingBatches > 0) spooled = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    operatorThread.join();
    EXPECT_TRUE(spooled) << "the outage never reached the spool";
    SendAll(*store);
    EXPECT_GT(store->counters().sentFromSpool, 0);
    EXPECT_TRUE(store->counters().serverReachable);
    ExpectEveryRowOnceInOrder(url, written);
}

TEST_F(SpooledStoreTest, AServerTooSlowToAnswerIsTreatedAsAway) {
    PG_TEST_DATABASE(url);
    auto store = OpenSpooled(url, 300);
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->append(NumberedBatch(0)).ok());
    // Another session holds the positions table: the station's COPY waits
    // until the statement timeout cancels it.
    PGconn* other = PQconnectdb(url.c_str());
    PGresult* lock = PQexec(other, "BEGIN; LOCK TABLE positions IN ACCESS EXCLUSIVE MODE");
    ASSERT_EQ(PQresultStatus(lock), PGRES_COMMAND_OK) << PQerrorMessage(other);
    PQclear(lock);
    for (int i = 1; i < 3; ++i) ASSERT_TRUE(store->append(NumberedBatch(i)).ok());
    EXPECT_GE(store->counters().waitingBatches, 1);
    EXPECT_FALSE(store->counters().serverReachable);
    PQclear(PQexec(other, "COMMIT"));
    PQfinish(other);
    SendAll(*store);
    ExpectEveryRowOnceInOrder(url, 3);
}

TEST_F(SpooledStoreTest, ABatchCommittedButNotHeardOfIsNotStoredTwice) {
    PG_TEST_DATABASE(url);
    std::string error;
    auto direct = PgStore::open(url, {}, error);
    ASSERT_TRUE(direct) << error;
    {
        auto spool = Spool::open((dir_ / "HistorySpool.sqlite").string(), error);
        ASSERT_TRUE(spool);
        // The server committed batch 0, then the connection dropped before the
        // station heard so: the station still has it in its spool.
        const int64_t seq = *spool->nextSeq();
        ASSERT_EQ(direct->appendOnce(NumberedBatch(0), spool->writer(), seq), PgStore::Outcome::Stored);
        ASSERT_TRUE(spool->put(seq, NumberedBatch(0)));
    }
    auto store = OpenSpooled(url);
    ASSERT_TRUE(store);
    for (int i = 1; i < 5; ++i) ASSERT_TRUE(store->append(NumberedBatch(i)).ok());
    SendAll(*store);
    ExpectEveryRowOnceInOrder(url, 5);
}

TEST_F(SpooledStoreTest, AStationStartedWhileTheServerIsDownSendsItsBacklogLater) {
    PG_TEST_DATABASE(url);
    Pause();
    {
        PgOpenOptions options;
        options.spoolPath = (dir_ / "HistorySpool.sqlite").string();
        auto opened = OpenPgHistoryStore(url, options);
        ASSERT_TRUE(opened.store) << opened.error;
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(opened.store->append(NumberedBatch(i)).ok());
        EXPECT_TRUE(opened.store->track(200000000, T0, T0 + 10'000).empty());
        EXPECT_NE(opened.store->lastError().find("cannot connect"), std::string::npos) << opened.store->lastError();
    }
    Resume();
    // A restarted station: the backlog goes first, new batches after it.
    auto store = OpenSpooled(url);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->counters().waitingBatches, 3);
    for (int i = 3; i < 6; ++i) ASSERT_TRUE(store->append(NumberedBatch(i)).ok());
    SendAll(*store);
    ExpectEveryRowOnceInOrder(url, 6);
}

TEST_F(SpooledStoreTest, ABatchTheServerRefusesIsSetAsideAndTheRestFlows) {
    PG_TEST_DATABASE(url);
    Pause();
    auto store = OpenSpooled(url);
    ASSERT_TRUE(store);
    Batch poison = NumberedBatch(1);
    poison.positions[3].time = 400'000'000'000'000;  // no server can hold this time
    ASSERT_TRUE(store->append(NumberedBatch(0)).ok());
    ASSERT_TRUE(store->append(poison).ok());
    ASSERT_TRUE(store->append(NumberedBatch(2)).ok());
    Resume();
    SendAll(*store);
    EXPECT_EQ(store->counters().setAside, 1);
    // Straight to the server, the refusal is reported.
    EXPECT_FALSE(store->append(poison).ok());
    EXPECT_EQ(store->counters().setAside, 2);
    EXPECT_EQ(store->track(200000000, T0, T0 + 10'000).size(), 2u);  // batches 0 and 2
}

}  // namespace
}  // namespace history
