// The local spool: batches kept in order over restarts, numbers that never
// run back, a damaged file or record set aside instead of stopping the station.
#include "history/pg/spool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "history/history_store_rows.h"
#include "history/pg/batch_codec.h"
#include "support/temp_dir.h"

namespace history {
namespace {

namespace fs = std::filesystem;

class SpoolTest : public ::testing::Test {
protected:
    std::unique_ptr<Spool> Open() {
        std::string error;
        auto spool = Spool::open(path_, error);
        EXPECT_TRUE(spool) << error;
        return spool;
    }

    testing_support::TempDir dir_;
    const std::string path_ = (dir_ / "HistorySpool.sqlite").string();
};

Batch SampleBatch(int32_t mmsi) {
    PositionRow p = history_test::WithoutMotion(history_test::Position(mmsi, 1'796'601'600'123, -33.5, 151.25));
    p.source = "tab\there\\ 'quoted'", p.sog = 0.1f, p.heading = 511;
    StaticRow s = history_test::Static(mmsi, 0, std::string("NUL\0INSIDE", 10));
    s.imo = 1234567, s.draught = 7.5f, s.eta = "12-24 23:59";
    return {{p, p}, {s}, {history_test::Message(mmsi, 0, "{\"text\":\"'; DROP TABLE waiting; --\"}")}};
}

bool Same(const Batch& a, const Batch& b) {
    return a.positions == b.positions && a.statics == b.statics && a.messages == b.messages;
}

bool Same(const std::optional<Batch>& a, const Batch& b) { return a && Same(*a, b); }

TEST(BatchCodec, RoundTripsAndRefusesEveryCutOrPaddedRecord) {
    const Batch batch = SampleBatch(244123456);
    const std::string bytes = EncodeBatch(batch);
    ASSERT_TRUE(Same(DecodeBatch(bytes), batch));
    EXPECT_TRUE(Same(DecodeBatch(EncodeBatch(Batch{})), Batch{}));
    for (size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(DecodeBatch(bytes.substr(0, n))) << n;
    EXPECT_FALSE(DecodeBatch(bytes + "x"));
    // A count far beyond the bytes that follow is refused before any row is made.
    std::string huge = bytes;
    huge.replace(1, 4, std::string("\xff\xff\xff\x7f", 4));
    EXPECT_FALSE(DecodeBatch(huge));
}

TEST_F(SpoolTest, KeepsBatchesOldestFirstAcrossARestart) {
    {
        auto spool = Open();
        ASSERT_TRUE(spool);
        for (int32_t mmsi : {3, 1, 2}) {
            const auto seq = spool->nextSeq();
            ASSERT_TRUE(seq);
            ASSERT_TRUE(spool->put(*seq, SampleBatch(mmsi)));
        }
        EXPECT_EQ(std::tuple(spool->waitingBatches(), spool->waitingRows()), std::tuple(3, 12));
    }
    auto spool = Open();
    ASSERT_TRUE(spool);
    EXPECT_EQ(std::tuple(spool->waitingBatches(), spool->waitingRows()), std::tuple(3, 12));
    std::vector<int32_t> order;
    while (auto e = spool->oldest()) {
        EXPECT_TRUE(Same(e->batch, SampleBatch(e->batch.positions[0].mmsi)));
        order.push_back(e->batch.positions[0].mmsi);
        ASSERT_TRUE(spool->remove(e->seq));
    }
    EXPECT_EQ(order, (std::vector<int32_t>{3, 1, 2}));
    EXPECT_EQ(std::tuple(spool->waitingBatches(), spool->waitingRows()), std::tuple(0, 0));
}

TEST_F(SpoolTest, NumbersKeepRisingAndTheWriterStaysOverRestarts) {
    // The server drops a batch whose number it has seen from this writer: a
    // number handed out again after a restart would lose that batch.
    int64_t last = 0;
    std::string writer;
    for (int run = 0; run < 3; ++run) {
        auto spool = Open();
        ASSERT_TRUE(spool);
        if (run == 0) writer = spool->writer();
        EXPECT_EQ(spool->writer(), writer);
        for (int i = 0; i < (run == 1 ? 1500 : 3); ++i) {
            const auto seq = spool->nextSeq();
            ASSERT_TRUE(seq);
            ASSERT_GT(*seq, last);
            last = *seq;
        }
    }
    EXPECT_EQ(writer.size(), 32u);
}

TEST_F(SpoolTest, ADamagedFileIsKeptAsideAndANewSpoolBegins) {
    dir_.write("HistorySpool.sqlite", std::string(4096, '\x5a'));
    auto spool = Open();
    ASSERT_TRUE(spool);
    EXPECT_TRUE(fs::exists(path_ + ".bad"));
    EXPECT_NE(spool->notice().find(".bad"), std::string::npos) << spool->notice();
    const auto seq = spool->nextSeq();
    ASSERT_TRUE(seq);
    EXPECT_TRUE(spool->put(*seq, SampleBatch(1)));
    EXPECT_TRUE(Same(spool->oldest()->batch, SampleBatch(1)));
}

TEST_F(SpoolTest, ARecordThatNoLongerDecodesIsSetAsideAndTheNextOneComes) {
    auto spool = Open();
    ASSERT_TRUE(spool);
    ASSERT_TRUE(spool->put(1, SampleBatch(1)));
    ASSERT_TRUE(spool->put(2, SampleBatch(2)));
    // Damage the first record behind the spool's back.
    history_test::SqliteAnswer(path_, "UPDATE waiting SET batch = x'0102' WHERE seq = 1");
    const auto e = spool->oldest();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->seq, 2);
    EXPECT_EQ(spool->rejectedBatches(), 1);
    EXPECT_EQ(spool->waitingBatches(), 1);
}

}  // namespace
}  // namespace history
