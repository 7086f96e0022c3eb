// The PostgreSQL history store against a real server, beyond the contract
// every back end keeps (pg_contract_test.cpp): exact doubles, text no server
// can hold, names no longer sent, batch numbers sent again, whole days dropped
// for size, the radius query.
#include "history/pg/pg_store.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include "history/history_store_rows.h"
#include "history/pg/pg_cluster.h"

namespace history {
namespace {

using history_test::Message;
using history_test::Position;
using history_test::Static;

constexpr TimeMs kDay = 86'400'000;
constexpr TimeMs kHour = 3'600'000;
constexpr TimeMs T0 = 1'796'601'600'000;  // 2026-12-07T00:00:00Z

std::unique_ptr<PgStore> OpenStore(const std::string& url) {
    std::string error;
    auto store = PgStore::open(url, {}, error);
    EXPECT_TRUE(store) << error;
    return store;
}

#define OPEN_STORE(store)        \
    PG_TEST_DATABASE(url);       \
    auto store = OpenStore(url); \
    ASSERT_TRUE(store)

// Doubles are kept as they are, not in the air's steps: the edges of the
// globe and values no decimal fraction writes exactly come back bit for bit.
TEST(PgStore, PositionsComeBackExactlyToTheLastBit) {
    OPEN_STORE(store);
    Batch batch;
    batch.positions = {Position(2, T0, -90.0, -180.0), Position(3, T0, 0.1 + 0.2, 1.0 / 3.0),
                       Position(4, T0, 89.999999999999, 179.99999999999997)};
    PositionRow& odd = batch.positions.back();
    odd.sog = 102.3f, odd.heading = 511, odd.navStatus = 15, odd.stationClass = StationClass::SarAircraft;
    ASSERT_TRUE(store->append(batch).ok()) << store->lastError();
    for (const PositionRow& p : batch.positions) EXPECT_EQ(store->track(p.mmsi, T0, T0), std::vector{p}) << p.mmsi;
}

TEST(PgStore, TextThatNoServerCanHoldIsStoredWithReplacementCharacters) {
    OPEN_STORE(store);
    Batch batch;
    batch.statics.push_back(Static(5, T0, std::string("NUL\0HERE", 8), "Latin\xE9"));
    ASSERT_TRUE(store->append(batch).ok()) << store->lastError();
    const auto seen = store->lastSeen("nul", 5);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "NUL\xEF\xBF\xBDHERE");
    EXPECT_EQ(seen[0].callSign, "Latin\xEF\xBF\xBD");
}

TEST(PgStore, LastSeenFindsAnyNameEverSentAndShowsTheLatest) {
    OPEN_STORE(store);
    Batch batch;
    batch.positions = {Position(211555000, T0 + 2000, 54.0, 10.0), Position(990000001, T0 + 500)};
    batch.statics = {Static(211555000, T0, "Nordic Star", "DABC"), Static(211555000, T0 + 100, "BALTIC II", ""),
                     Static(311000999, T0 + 4000, "50% OFF", "C6XY")};
    ASSERT_TRUE(store->append(batch).ok()) << store->lastError();
    struct Case {
        const char* text;
        int limit;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {"nordic", 10, {211555000}},  // a name it no longer sends
        {"1", 10, {311000999, 211555000, 990000001}},
        {"1", 2, {311000999, 211555000}},
        {"0%", 10, {311000999}},
        {"1", 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> got;
        for (const auto& s : store->lastSeen(c.text, c.limit)) got.push_back(s.mmsi);
        EXPECT_EQ(got, c.expected) << c.text;
    }
    // The latest name, the latest call sign sent, the time of the latest position.
    const auto seen = store->lastSeen("NORDIC", 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(std::tie(seen[0].name, seen[0].callSign, seen[0].time), std::tuple("BALTIC II", "DABC", T0 + 2000));
}

TEST(PgStore, AFailingBatchLeavesNothingBehind) {
    OPEN_STORE(store);
    Batch bad;
    bad.positions = {Position(1, T0), Position(2, T0 + kDay)};
    bad.statics = {Static(1, T0, "A")};
    bad.messages = {Message(1, T0, "{}"), Message(1, 400'000'000'000'000, "{}")};  // year 14645
    EXPECT_FALSE(store->append(bad).ok());
    EXPECT_EQ(store->lastFailure(), PgFailure::Data);
    EXPECT_FALSE(store->span()) << "rows of a failed batch were kept";
}

TEST(PgStore, ABatchNumberIsStoredOnceEvenWhenSentAgain) {
    OPEN_STORE(store);
    Batch batch;
    batch.positions = {Position(1, T0)};
    using O = PgStore::Outcome;
    struct Step {
        const char* writer;
        int64_t seq;
        O expected;
    };
    const Step steps[] = {{"station-a", 5, O::Stored},         {"station-a", 5, O::AlreadyStored},
                          {"station-a", 4, O::AlreadyStored},  {"station-b", 5, O::Stored},
                          {"station-a", 6, O::Stored}};
    for (const Step& s : steps) EXPECT_EQ(store->appendOnce(batch, s.writer, s.seq), s.expected) << s.writer << s.seq;
    EXPECT_EQ(store->track(1, T0, T0).size(), 3u);
}

TEST(PgStore, TheSizeLimitDropsTheOldestDaysUntilTheRestFits) {
    OPEN_STORE(store);
    Batch batch;
    for (int d = 0; d < 4; ++d) {
        for (int h = 0; h < 24; h += 6) batch.positions.push_back(Position(1, T0 + d * kDay + h * kHour));
        batch.messages.push_back(Message(1, T0 + d * kDay, "{}"));
    }
    ASSERT_TRUE(store->append(batch).ok()) << store->lastError();
    const auto before = store->storedBytes();
    ASSERT_TRUE(before);
    ASSERT_TRUE(store->applyRetention({0, *before - 1}, T0 + 4 * kDay).ok()) << store->lastError();
    EXPECT_EQ(store->span()->first, T0 + kDay);
    EXPECT_LT(*store->storedBytes(), *before);
}

TEST(PgStore, WritesADayAgainAfterAnotherStationDroppedIt) {
    PG_TEST_DATABASE(url);
    auto writer = OpenStore(url);
    auto other = OpenStore(url);
    ASSERT_TRUE(writer && other);
    Batch batch;
    batch.positions = {Position(1, T0)};
    ASSERT_TRUE(writer->append(batch).ok()) << writer->lastError();
    ASSERT_TRUE(other->applyRetention({0, 1}, T0).ok()) << other->lastError();
    ASSERT_TRUE(writer->append(batch).ok()) << writer->lastError();
    EXPECT_EQ(writer->track(1, T0, T0).size(), 1u);
}

TEST(PgStore, NearFindsEachStationsLatestPositionWithinTheRadiusNearestFirst) {
    OPEN_STORE(store);
    Batch batch;
    // About 111 m per 0.001 degree of latitude.
    batch.positions = {Position(1, T0, 57.010, 11.0), Position(1, T0 + 10, 57.002, 11.0),
                       Position(2, T0, 57.001, 11.0), Position(3, T0, 57.020, 11.0)};
    ASSERT_TRUE(store->append(batch).ok()) << store->lastError();
    std::vector<int32_t> got;
    for (const auto& p : store->near(57.0, 11.0, 500, T0, T0 + 10)) got.push_back(p.mmsi);
    EXPECT_EQ(got, (std::vector<int32_t>{2, 1}));
}

TEST(PgStore, OpeningAnUnreachableServerIsAnErrorNotAHang) {
    std::string error;
    auto store = PgStore::open("postgresql://nobody@127.0.0.1:1/none", {.connectTimeoutSeconds = 2}, error);
    EXPECT_FALSE(store);
    EXPECT_NE(error.find("cannot connect"), std::string::npos) << error;
}

}  // namespace
}  // namespace history
