// The PostgreSQL history store against a real server: every query's bounds,
// texts from the air stored exactly, all-or-nothing batches, retention.
#include "history/pg/pg_store.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cmath>

#include "history/pg/pg_cluster.h"

namespace history {
namespace {

constexpr TimeMs kDay = 86'400'000;
constexpr TimeMs kHour = 3'600'000;
constexpr TimeMs T0 = 1'796'601'600'000;  // 2026-12-07T00:00:00Z

PositionRow Position(int32_t mmsi, TimeMs time, double lat = 57.1, double lon = 11.9) {
    PositionRow r;
    r.time = time;
    r.mmsi = mmsi;
    r.type = 1;
    r.stationClass = StationClass::ClassA;
    r.latitude = lat;
    r.longitude = lon;
    r.sog = 10.5f;
    r.cog = 123.4f;
    r.heading = 120;
    r.navStatus = 0;
    return r;
}

StaticRow Static(int32_t mmsi, TimeMs time, std::string name, std::string callSign = "") {
    StaticRow r;
    r.time = time;
    r.mmsi = mmsi;
    r.type = 5;
    r.name = std::move(name);
    r.callSign = std::move(callSign);
    return r;
}

MessageRow Message(int32_t mmsi, TimeMs time, std::string json) {
    MessageRow r;
    r.time = time;
    r.mmsi = mmsi;
    r.type = 8;
    r.json = std::move(json);
    return r;
}

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

std::vector<TimeMs> Times(const std::vector<PositionRow>& rows) {
    std::vector<TimeMs> t;
    for (const auto& r : rows) t.push_back(r.time);
    return t;
}

TEST(PgStore, RowsComeBackExactlyWithNullsExtremesAndHostileText) {
    OPEN_STORE(store);
    // Each text would break a statement or a COPY line written carelessly.
    const std::vector<std::string> texts = {
        "",
        "EVER GIVEN",
        "tab\there",
        "back\\slash \\N \\. \\\\",
        "new\nline and\r\ncarriage",
        "O'Brien \"quoted\"",
        "'; DROP TABLE positions; --",
        "\\.",
        "Ærø Ø ü 北",
        std::string(10'000, 'W'),
        "%_ like * ? [a]",
    };
    Batch batch;
    for (size_t i = 0; i < texts.size(); ++i) {
        const TimeMs t = T0 + static_cast<TimeMs>(i) * 1000 + 1;  // odd milliseconds survive
        PositionRow p = Position(211000000 + static_cast<int32_t>(i), t);
        p.source = texts[i];
        p.input = static_cast<int16_t>(-1 - static_cast<int>(i));
        batch.positions.push_back(p);
        StaticRow s = Static(p.mmsi, t, texts[i], texts[i]);
        s.destination = texts[i];
        s.eta = texts[i];
        s.source = texts[i];
        s.imo = 9'999'999;
        s.shipType = 70;
        s.dimA = 511;
        s.dimB = 0;
        s.dimC = 63;
        s.dimD = 63;
        s.draught = 25.5f;
        batch.statics.push_back(s);
        MessageRow m = Message(p.mmsi, t, texts[i]);
        m.source = texts[i];
        batch.messages.push_back(m);
    }
    // Every field "not available", and the edges of the globe and of the numbers.
    PositionRow bare = Position(1, T0 + 5 * kHour);
    bare.sog = bare.cog = std::nullopt;
    bare.heading = bare.navStatus = std::nullopt;
    bare.stationClass = StationClass::Unknown;
    batch.positions.push_back(bare);
    batch.positions.push_back(Position(2, T0 + 5 * kHour, -90.0, -180.0));
    batch.positions.push_back(Position(3, T0 + 5 * kHour, 0.1 + 0.2, 1.0 / 3.0));
    PositionRow odd = Position(4, T0 + 5 * kHour, 89.999999999999, 179.99999999999997);
    odd.sog = 102.3f;
    odd.cog = 359.9f;
    odd.heading = 511;
    odd.navStatus = 15;
    odd.stationClass = StationClass::SarAircraft;
    batch.positions.push_back(odd);
    batch.statics.push_back(Static(1, T0 + 5 * kHour, ""));
    ASSERT_TRUE(store->append(batch).ok()) << store->lastError();

    for (const PositionRow& p : batch.positions) {
        const auto back = store->track(p.mmsi, p.time, p.time);
        ASSERT_EQ(back.size(), 1u) << p.mmsi;
        EXPECT_EQ(back[0], p) << p.mmsi;
    }
    std::vector<StaticRow> statics;
    for (const auto& e : store->situation(T0 + 6 * kHour, kDay)) {
        if (e.statics) statics.push_back(*e.statics);
    }
    ASSERT_EQ(statics.size(), batch.statics.size());
    for (const StaticRow& s : batch.statics) {
        EXPECT_NE(std::find(statics.begin(), statics.end(), s), statics.end()) << s.mmsi;
    }
    EXPECT_EQ(store->messages(T0, T0 + kDay), batch.messages);
    // The tables are still there after a name that tried to drop them.
    EXPECT_EQ(store->track(211000006, T0, T0 + kDay).size(), 1u);
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

TEST(PgStore, TrackHoldsBothBoundsAcrossDaysInTimeOrder) {
    OPEN_STORE(store);
    const TimeMs from = T0 + kDay - 500;  // the track crosses midnight into a new partition
    const TimeMs to = from + 1000;
    Batch batch;
    for (TimeMs t : {to + 1, from - 1, to, from, from + 500, from + 499}) batch.positions.push_back(Position(7, t));
    batch.positions.push_back(Position(8, from + 10));  // another station
    ASSERT_TRUE(store->append(batch).ok()) << store->lastError();

    struct Case {
        TimeMs from, to;
        std::vector<TimeMs> expected;
    };
    const Case cases[] = {
        {from, to, {from, from + 499, from + 500, to}},
        {from + 1, to - 1, {from + 499, from + 500}},
        {from + 500, from + 500, {from + 500}},
        {to + 2, to + kDay, {}},
        {to, from, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Times(store->track(7, c.from, c.to)), c.expected) << c.from - from;
    EXPECT_TRUE(store->lastError().empty()) << store->lastError();
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
    const auto seen = store->lastSeen("NORDIC", 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "BALTIC II");  // the latest name
    EXPECT_EQ(seen[0].callSign, "DABC");   // the latest call sign sent
    EXPECT_EQ(seen[0].time, T0 + 2000);
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
    for (auto [lat, lon] : {std::pair{91.0, 0.0}, {0.0, 181.0}, {-90.5, 0.0}, {0.0, -180.5}, {std::nan(""), 0.0}}) {
        Batch offGlobe;
        offGlobe.positions = {Position(1, T0), Position(2, T0, lat, lon)};
        EXPECT_FALSE(store->append(offGlobe).ok()) << lat << " " << lon;
        EXPECT_EQ(store->lastFailure(), PgFailure::Data);
    }
    EXPECT_FALSE(store->span()) << "rows of a failed batch were kept";
    // The store goes on after the failure.
    Batch good;
    good.positions = {Position(1, T0)};
    EXPECT_TRUE(store->append(good).ok()) << store->lastError();
    EXPECT_EQ(store->track(1, T0, T0).size(), 1u);
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
