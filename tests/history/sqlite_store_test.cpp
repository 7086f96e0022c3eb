// The SQLite back end: the store contract, and what only a file can show
// (a damaged file set aside, size retention measured in the file's pages).
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

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

TEST(SqliteStore, GoodFileIsOpenedWithoutNotice) {
    testing_support::TempDir dir;
    const std::string path = (dir / "h.sqlite").string();
    ASSERT_TRUE(history::OpenSqliteStore(path, nullptr, nullptr)->append({{Position(1, 5)}, {}, {}}).ok());
    std::string notice;
    auto again = history::OpenSqliteStore(path, &notice, nullptr);
    ASSERT_TRUE(again);
    EXPECT_EQ(notice, "");
    EXPECT_EQ(again->track(1, 0, 10).size(), 1u);
}

TEST(SqliteStore, SizeRetentionDropsWholeOldDaysUntilTheFileFits) {
    testing_support::TempDir dir;
    const std::string path = (dir / "h.sqlite").string();
    auto store = history::OpenSqliteStore(path, nullptr, nullptr);
    constexpr history::TimeMs kDay = 86400000, kT0 = 1796601600000;
    for (int day = 0; day < 4; ++day) {
        history::Batch b;
        for (int i = 0; i < 5000; ++i) b.positions.push_back(Position(1000 + i % 50, kT0 + day * kDay + i * 1000));
        ASSERT_TRUE(store->append(b).ok());
    }
    store.reset();  // the last connection's close moves the WAL into the file
    const auto before = std::filesystem::file_size(path);
    store = history::OpenSqliteStore(path, nullptr, nullptr);
    // Room for about two and a half days: the two oldest go, the two newest stay whole.
    ASSERT_TRUE(store->applyRetention({0, static_cast<int64_t>(before * 5 / 8)}, kT0 + 4 * kDay).ok());
    EXPECT_EQ(store->span()->first, kT0 + 2 * kDay);
    EXPECT_EQ(store->track(1000, kT0, kT0 + 5 * kDay).size(), 2u * 100);
}

}  // namespace
}  // namespace history_test
