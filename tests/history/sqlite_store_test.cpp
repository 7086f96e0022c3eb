// The SQLite back end: the store contract, and what only a file can show
// (a damaged file set aside, size retention measured in the file's pages).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "history/sqlite_schema.h"
#include "history/sqlite_store.h"
#include "history_store_rows.h"
#include "store_contract.h"
#include "support/temp_dir.h"

namespace history_test {
namespace {

testing_support::TempDir& Folder() {
    static testing_support::TempDir dir;
    return dir;
}

std::unique_ptr<history::HistoryStore> NewSqliteStore() {
    static std::atomic<int> n{0};
    std::string error;
    auto store = history::OpenSqliteStore((Folder() / ("store" + std::to_string(++n) + ".sqlite")).string(), nullptr,
                                          &error);
    if (!store) ADD_FAILURE() << error;
    return store;
}

INSTANTIATE_TEST_SUITE_P(Sqlite, StoreContract, ::testing::Values(StoreFactory{"sqlite", NewSqliteStore}));

TEST(SqliteStore, DamagedFileIsKeptAsBadAndANewStoreStarts) {
    testing_support::TempDir dir;
    struct Case { const char* name; std::string bytes; };
    const Case cases[] = {
        {"garbage header", std::string(4096, '\x5a')},
        {"text", "not a database at all\n"},
        {"truncated", ""},  // filled below: the first page of a real store
    };
    for (const Case& c : cases) {
        const std::string path = (dir / "History.sqlite").string();
        std::filesystem::remove(path + ".bad");
        std::string bytes = c.bytes;
        if (bytes.empty()) {
            {
                auto store = history::OpenSqliteStore(path, nullptr, nullptr);
                history::Batch b;
                for (int i = 0; i < 5000; ++i) b.positions.push_back(Position(i, 1000 + i));
                ASSERT_TRUE(store->append(b).ok());
            }
            std::ifstream in(path, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
            bytes.resize(bytes.size() / 3);
            for (const char* side : {"-wal", "-shm"}) std::filesystem::remove(path + side);
        }
        dir.write("History.sqlite", bytes);
        std::string notice, error;
        auto store = history::OpenSqliteStore(path, &notice, &error);
        ASSERT_TRUE(store) << c.name << ": " << error;
        EXPECT_NE(notice.find("History.sqlite.bad"), std::string::npos) << c.name;
        EXPECT_EQ(dir.read("History.sqlite.bad"), bytes) << c.name;
        EXPECT_TRUE(store->append({{Position(1, 5)}, {}, {}}).ok()) << c.name;
        EXPECT_EQ(store->span(), std::make_pair(history::TimeMs{5}, history::TimeMs{5})) << c.name;
    }
}

TEST(SqliteStore, SizeRetentionDropsWholeOldDaysUntilTheFileFits) {
    testing_support::TempDir dir;
    const std::string path = (dir / "h.sqlite").string();
    auto store = history::OpenSqliteStore(path, nullptr, nullptr);
    constexpr history::TimeMs kDay = 86400000, kT0 = 1796601600000;
    for (int day = 0; day < 4; ++day) {
        history::Batch b;
        // Few stations, moving, so a station's day fills whole pages of the (mmsi, time) table.
        for (int i = 0; i < 20000; ++i) {
            b.positions.push_back(Position(1000 + i % 5, kT0 + day * kDay + i * 2000, 50 + i * 1e-4, 3 - i * 1e-4));
        }
        ASSERT_TRUE(store->append(b).ok());
    }
    store.reset();  // the last connection's close moves the WAL into the file
    const auto before = std::filesystem::file_size(path);
    store = history::OpenSqliteStore(path, nullptr, nullptr);
    // Room for about two and a half days: the two oldest go, the two newest stay whole.
    ASSERT_TRUE(store->applyRetention({0, static_cast<int64_t>(before * 5 / 8)}, kT0 + 4 * kDay).ok());
    EXPECT_EQ(store->span()->first, kT0 + 2 * kDay);
    EXPECT_EQ(store->track(1000, kT0, kT0 + 5 * kDay).size(), 2u * 4000);
}

// Reports of one station with the same time are all kept, in order; each
// packed field at the ends of what the air sends comes back exactly.
TEST(SqliteStore, SameTimeReportsAreAllKeptAndFieldsAtTheEndsOfTheirRangesComeBackExactly) {
    testing_support::TempDir dir;
    auto store = history::OpenSqliteStore((dir / "h.sqlite").string(), nullptr, nullptr);
    std::vector<history::PositionRow> rows;
    for (int i = 0; i < 3; ++i) rows.push_back(Position(7, 5000, 50 + i, 3));
    rows[1].input = 4;
    rows[1].source = "other";
    // Two in one batch, the third in a later one.
    ASSERT_TRUE(store->append({{rows[0], rows[1]}, {}, {}}).ok()) << store->lastError();
    ASSERT_TRUE(store->append({{rows[2]}, {}, {}}).ok()) << store->lastError();
    EXPECT_EQ(store->track(7, 0, 10000), rows);
    ASSERT_EQ(store->situation(5000, 1000).size(), 1u);
    EXPECT_EQ(store->situation(5000, 1000)[0].position, rows[2]);
    struct Case {
        uint8_t type;
        history::StationClass cls;
        double lat, lon;
        std::optional<float> sog, cog;
        std::optional<int16_t> heading, status;
    };
    using C = history::StationClass;
    const Case cases[] = {
        {1, C::ClassA, 90, 180, 102.2f, 359.9f, 359, 15},
        {3, C::ClassA, -90, -180, 0.0f, 0.0f, 0, 0},
        {9, C::SarAircraft, 0, 0, 1022.0f, 0.1f, std::nullopt, std::nullopt},
        {18, C::ClassB, 1 / 600000.0, -1 / 600000.0, 0.1f, std::nullopt, 510, std::nullopt},
        {21, C::AidToNavigation, 45, -45, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {27, C::ClassA, 12.345, 67.89, 62.0f, 359.0f, std::nullopt, 14},
        {4, C::BaseStation, -12.345, -67.89, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    history::Batch b;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        auto p = Position(100 + static_cast<int32_t>(i), 1000, c.lat, c.lon);
        p.type = c.type, p.stationClass = c.cls;
        p.sog = c.sog, p.cog = c.cog, p.heading = c.heading, p.navStatus = c.status;
        p.input = static_cast<int16_t>(i % 3), p.source = i % 2 ? "" : "st" + std::to_string(i);
        b.positions.push_back(p);
    }
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    for (const auto& p : b.positions) EXPECT_EQ(store->track(p.mmsi, 0, 2000), std::vector{p}) << p.mmsi;
}

// A file of the first layout (one real column per field, no version) is
// converted when opened, every row kept.
TEST(SqliteStore, FileOfTheFirstLayoutIsConvertedWithEveryRow) {
    testing_support::TempDir dir;
    const std::string path = (dir / "old.sqlite").string();
    SqliteAnswer(path, R"sql(
CREATE TABLE positions(time INTEGER NOT NULL, mmsi INTEGER NOT NULL, input INTEGER NOT NULL, source TEXT NOT NULL,
  type INTEGER NOT NULL, class TEXT NOT NULL, lat REAL NOT NULL, lon REAL NOT NULL,
  sog REAL, cog REAL, heading INTEGER, status INTEGER);
CREATE INDEX positions_mmsi_time ON positions(mmsi, time);
CREATE INDEX positions_time ON positions(time);
CREATE TABLE stations(mmsi INTEGER PRIMARY KEY, time INTEGER NOT NULL, lat REAL, lon REAL,
  name TEXT NOT NULL, callsign TEXT NOT NULL);
INSERT INTO positions VALUES(1000, 9, 2, 'rcvr1', 1, 'A', 51.98, 3.95, 12.5, 271.3, 270, 0);
INSERT INTO positions VALUES(1000, 9, 3, '', 18, 'B', -33.5, -70.25, NULL, NULL, NULL, NULL);
INSERT INTO positions VALUES(2000, 9, 2, 'rcvr1', 1, 'A', 52.0, 4.0, 0.0, 0.0, 0, 15);
INSERT INTO stations VALUES(9, 2000, 52.0, 4.0, 'OLD', '');
)sql");
    std::string notice, error;
    auto store = history::OpenSqliteStore(path, &notice, &error);
    ASSERT_TRUE(store) << error;
    EXPECT_TRUE(notice.empty()) << notice;
    auto a = Position(9, 1000, 51.98, 3.95);
    auto b = WithoutMotion(Position(9, 1000, -33.5, -70.25));
    b.input = 3, b.source = "", b.type = 18, b.stationClass = history::StationClass::ClassB;
    auto c = Position(9, 2000, 52.0, 4.0);
    c.sog = 0, c.cog = 0, c.heading = 0, c.navStatus = 15;
    EXPECT_EQ(store->track(9, 0, 5000), (std::vector{a, b, c}));
    EXPECT_EQ(store->span(), (std::pair<history::TimeMs, history::TimeMs>(1000, 2000)));
    // Opened again, the converted file is taken as it is, without a notice.
    store.reset();
    store = history::OpenSqliteStore(path, &notice, &error);
    ASSERT_TRUE(store) << error;
    EXPECT_TRUE(notice.empty()) << notice;
    EXPECT_EQ(store->track(9, 0, 5000).size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(path + ".bad"));
}

// A file of the second layout (a row per position under its (mmsi, time
// key) is converted into blocks when opened, every row kept in its order.
TEST(SqliteStore, FileOfTheSecondLayoutIsConvertedWithEveryRow) {
    testing_support::TempDir dir;
    const std::string path = (dir / "rows.sqlite").string();
    std::vector<history::PositionRow> rows;
    for (int i = 0; i < 150; ++i) rows.push_back(Position(9, 1000 + (i / 2) * 1000, 50 + i * 1e-3, 4 - i * 1e-3));
    rows[3].source = "other";
    rows[3].input = 3;
    std::string sql = R"sql(BEGIN;
CREATE TABLE sources(id INTEGER PRIMARY KEY, input INTEGER NOT NULL, source TEXT NOT NULL, UNIQUE(input, source));
CREATE TABLE positions(mmsi INTEGER NOT NULL, time INTEGER NOT NULL, place INTEGER NOT NULL, info INTEGER NOT NULL,
  PRIMARY KEY(mmsi, time)) WITHOUT ROWID;
CREATE TABLE statics(time INTEGER NOT NULL, mmsi INTEGER NOT NULL, input INTEGER NOT NULL, source TEXT NOT NULL,
  type INTEGER NOT NULL, name TEXT NOT NULL, callsign TEXT NOT NULL, imo INTEGER, shiptype INTEGER,
  dim_a INTEGER, dim_b INTEGER, dim_c INTEGER, dim_d INTEGER, draught REAL, destination TEXT NOT NULL, eta TEXT NOT NULL);
CREATE TABLE messages(time INTEGER NOT NULL, mmsi INTEGER NOT NULL, input INTEGER NOT NULL, source TEXT NOT NULL,
  type INTEGER NOT NULL, json TEXT NOT NULL);
CREATE TABLE stations(mmsi INTEGER PRIMARY KEY, time INTEGER NOT NULL, lat REAL, lon REAL,
  name TEXT NOT NULL, callsign TEXT NOT NULL);
INSERT INTO sources VALUES(1, 2, 'rcvr1'), (2, 3, 'other');
INSERT INTO stations VALUES(9, 75000, 50.149, 3.851, '', '');
PRAGMA user_version = 2;
)sql";
    for (size_t i = 0; i < rows.size(); ++i) {
        int64_t place = 0;
        history::sqlite::PackPlace(rows[i].latitude, rows[i].longitude, place);
        history::sqlite::UnpackPlace(place, rows[i]);  // as stored: in 1/10000 minute
        sql += "INSERT INTO positions VALUES(9, " +
               std::to_string(history::sqlite::TimeKey(rows[i].time, static_cast<int64_t>(i % 2))) + ", " +
               std::to_string(place) + ", " +
               std::to_string(history::sqlite::PackInfo(rows[i], rows[i].source == "other" ? 2 : 1)) + ");\n";
    }
    SqliteAnswer(path, sql + "COMMIT;");
    std::string notice, error;
    auto store = history::OpenSqliteStore(path, &notice, &error);
    ASSERT_TRUE(store) << error;
    EXPECT_TRUE(notice.empty()) << notice;
    EXPECT_EQ(store->track(9, 0, 100000), rows);
    ASSERT_EQ(store->situation(75000, 1000).size(), 1u);
    EXPECT_EQ(store->situation(75000, 1000)[0].position, rows.back());
}

// Files of the third and fourth layouts keep their blocks under the key
// (mmsi, time), the fourth with an index on time: opened, the blocks move
// under the time-first key, every query answering as before.
TEST(SqliteStore, BlocksKeyedByStationMoveUnderTheTimeKey) {
    // 3 and 4 keyed blocks by station; 5 had the current layout, with
    // shorter blocks.
    for (const int version : {3, 4, 5}) {
        SCOPED_TRACE(version);
        testing_support::TempDir dir;
        const std::string path = (dir / "h.sqlite").string();
        std::vector<history::SituationEntry> before;
        std::vector<history::PositionRow> track;
        std::optional<std::pair<history::TimeMs, history::TimeMs>> span;
        {
            auto store = history::OpenSqliteStore(path, nullptr, nullptr);
            history::Batch b;
            for (int i = 0; i < 300; ++i) b.positions.push_back(Position(1 + i % 7, 1000 + i * 5000, 50 + i * 1e-3));
            ASSERT_TRUE(store->append(b).ok());
            before = store->situation(1000 + 200 * 5000, 600000);
            track = store->track(3, 0, 2'000'000);
            span = store->span();
        }
        const auto ask = [&](const std::string& sql) { return SqliteAnswer(path, sql); };
        if (version < 5) {
            ask("CREATE TABLE old(mmsi INTEGER NOT NULL, time INTEGER NOT NULL, last INTEGER NOT NULL, data BLOB NOT "
                "NULL, PRIMARY KEY(mmsi, time)) WITHOUT ROWID; INSERT INTO old SELECT mmsi, time, last, data FROM "
                "positions; DROP TABLE positions; ALTER TABLE old RENAME TO positions; " +
                std::string(version == 4 ? "CREATE INDEX positions_time ON positions(time); " : ""));
        }
        ask("PRAGMA user_version = " + std::to_string(version));
        std::string notice, error;
        auto store = history::OpenSqliteStore(path, &notice, &error);
        ASSERT_TRUE(store) << error;
        EXPECT_TRUE(notice.empty()) << notice;
        EXPECT_EQ(ask("SELECT name FROM pragma_index_info('positions_mmsi'); SELECT count(*) FROM sqlite_master "
                      "WHERE name IN ('positions_time', 'positions_by_station'); SELECT name FROM "
                      "pragma_index_info('sqlite_autoindex_positions_1'); PRAGMA user_version"),
                  "mmsi\ntime\n0\ntime\nmmsi\n" + std::to_string(history::sqlite::kSchemaVersion) + "\n");
        const auto after = store->situation(1000 + 200 * 5000, 600000);
        ASSERT_EQ(after.size(), 7u);
        ASSERT_EQ(after.size(), before.size());
        for (size_t k = 0; k < after.size(); ++k) EXPECT_EQ(after[k].position, before[k].position) << k;
        EXPECT_EQ(store->track(3, 0, 2'000'000), track);
        EXPECT_EQ(store->span(), span);
    }
}

// Positions handed over as the writer queues them (a number for the source,
// bits for the fields known) are stored as the same rows handed over whole:
// every field, the source, and each station's latest place in the list.
TEST(SqliteStore, QueuedPositionsAreStoredAsRows) {
    std::vector<history::PositionRow> rows;
    for (int i = 0; i < 60; ++i) {
        auto p = Position(1 + i % 4, 1000 + i * 700, 50 + i * 1e-3, -4 - i * 2e-3);
        p.source = i % 5 == 0 ? "" : i % 3 == 0 ? "north" : "south";
        p.input = static_cast<int16_t>(i % 2);
        if (i % 4 == 1) p = WithoutMotion(p);
        if (i % 7 == 2) p.navStatus.reset();
        if (i % 6 == 3) p.type = 18, p.stationClass = history::StationClass::ClassB;
        rows.push_back(p);
    }
    history::Batch whole, rest;
    whole.positions = rows;
    rest.positions.assign(rows.begin(), rows.begin() + 10);  // some as rows, the rest queued after them
    history::QueuedPositions queued;
    for (size_t k = 10; k < rows.size(); ++k) {
        history::QueuedPosition q = history::QueuedPosition::Of(rows[k]);
        q.source = queued.number(rows[k].source);
        queued.rows.push_back(q);
    }
    auto a = NewSqliteStore(), b = NewSqliteStore();
    ASSERT_TRUE(a->append(whole).ok());
    ASSERT_TRUE(b->appendQueued(queued, rest).ok());
    for (int32_t mmsi = 1; mmsi <= 4; ++mmsi) {
        EXPECT_EQ(b->track(mmsi, 0, 100000), a->track(mmsi, 0, 100000)) << mmsi;
        EXPECT_EQ(b->track(mmsi, 0, 100000).size(), 15u);
    }
    const auto seen = [](history::HistoryStore& s) {
        std::vector<std::tuple<int32_t, history::TimeMs, std::optional<double>, std::optional<double>>> out;
        for (const auto& l : s.lastSeen("", 10)) out.emplace_back(l.mmsi, l.time, l.latitude, l.longitude);
        return out;
    };
    EXPECT_EQ(seen(*b), seen(*a));
    EXPECT_EQ(seen(*b).size(), 4u);
}

// Packing rounds to the nearest step, halves away from zero, as std::llround
// does: places and speeds over a sweep that meets halves and their neighbours.
TEST(SqliteStore, PackingRoundsAsLlroundDoes) {
    constexpr int64_t kUnits = 600000;
    for (int k = -2000; k <= 2000; ++k) {
        for (const double d : {0.0, 0.5, -0.5, 0.4999999, 0.5000001, 0.25}) {
            const double lat = (k * 4500.0 + d) / kUnits, lon = (k * 9000.0 - d) / kUnits;
            int64_t place = 0;
            ASSERT_TRUE(history::sqlite::PackPlace(lat, lon, place));
            const int64_t want = (std::llround(lat * kUnits) + 90 * kUnits) << 28 | (std::llround(lon * kUnits) + 180 * kUnits);
            ASSERT_EQ(place, want) << lat << " " << lon;
        }
    }
    history::PositionRow row;
    row.type = 1;
    for (int k = -3; k <= 2100; ++k) {
        row.sog = k * 0.05f;
        const int64_t sog = history::sqlite::PackInfo(row, 1) >> 8 & 0x7ff;
        ASSERT_EQ(sog, std::clamp<int64_t>(std::llround(static_cast<double>(*row.sog) * 10), 0, 2046)) << *row.sog;
    }
}

}  // namespace
}  // namespace history_test
