// What reaches the history: the thinning rule, the change rule of static
// data, and the rows a receiver with a feed writes for real sentences.
#include <gtest/gtest.h>

#include <algorithm>

#include "history/history_feed.h"
#include "history/sqlite_store.h"
#include "history_store_rows.h"
#include "sentence/tag_block.h"
#include "station/receiver.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace history_test {
namespace {

using history::LastKept;
using history::StaticRow;

TEST(ThinningRule, KeepsOnTimeCourseSpeedOrStatus) {
    const LastKept last{100000, 10.0f, 90.0f, int16_t{0}};
    const LastKept northward{100000, 10.0f, 358.0f, int16_t{0}};
    struct Case {
        const char* what;
        const LastKept* last;
        history::TimeMs time;
        std::optional<float> sog, cog;
        std::optional<int16_t> status;
        bool keep;
        history::ThinningRule rule = {};
    };
    const history::ThinningRule everyMinute{60, 30, 5, false};
    const Case cases[] = {
        {"first of the station", nullptr, 0, 10.0f, 90.0f, 0, true},
        {"same, 9.999 s later", &last, 109999, 10.0f, 90.0f, 0, false},
        {"same, 10 s later", &last, 110000, 10.0f, 90.0f, 0, true},
        {"speed +1 kn", &last, 101000, 11.0f, 90.0f, 0, false},
        {"speed -1.1 kn", &last, 101000, 8.9f, 90.0f, 0, true},
        {"course +5 deg", &last, 101000, 10.0f, 95.0f, 0, false},
        {"course -5.5 deg", &last, 101000, 10.0f, 84.5f, 0, true},
        {"course across north, 4 deg", &northward, 101000, 10.0f, 2.0f, 0, false},
        {"course across north, 6 deg", &northward, 101000, 10.0f, 4.0f, 0, true},
        {"status changed", &last, 101000, 10.0f, 90.0f, 5, true},
        {"speed became unknown", &last, 101000, std::nullopt, 90.0f, 0, true},
        {"course became unknown", &last, 101000, 10.0f, std::nullopt, 0, true},
        {"older than the last kept (late c: time)", &last, 99000, 30.0f, 270.0f, 5, false},
        {"every minute: turned and status changed, 30 s later", &last, 130000, 10.0f, 110.0f, 5, false, everyMinute},
        {"every minute: 60 s later", &last, 160000, 10.0f, 110.0f, 5, true, everyMinute},
    };
    for (const Case& c : cases) {
        history::PositionRow row = Position(1, c.time);
        row.sog = c.sog;
        row.cog = c.cog;
        row.navStatus = c.status;
        EXPECT_EQ(history::KeepPosition(c.last, row, c.rule), c.keep) << c.what;
    }
}

TEST(StaticChangeRule, StoresOnlyWhatChangedAndKeepsEarlierParts) {
    const auto partA = [](std::string name) {
        StaticRow r;
        r.type = 24;
        r.name = std::move(name);
        return r;
    };
    StaticRow partB;
    partB.type = 24, partB.callSign = "PB123", partB.shipType = 37;
    partB.dimA = 5, partB.dimB = 7, partB.dimC = 2, partB.dimD = 2;
    StaticRow voyage = Static(1, 0, "SEA BREEZE", "PB123");
    voyage.destination = "HOEK VAN HOLLAND", voyage.eta = "12-07 14:00";
    voyage.draught = 2.5f, voyage.shipType = 70;
    StaticRow newDestination = voyage;
    newDestination.destination = "IJMUIDEN";
    StaticRow noDestination = voyage;
    noDestination.destination.clear();

    StaticRow known;
    struct Step { const char* what; StaticRow report; bool changed; };
    const Step steps[] = {
        {"part A, first name", partA("SEA BREEZE"), true},
        {"part A again", partA("SEA BREEZE"), false},
        {"part B", partB, true},
        {"part A again after B", partA("SEA BREEZE"), false},
        {"part B again", partB, false},
        {"voyage data adds destination, ETA, draught", voyage, true},
        {"voyage data again", voyage, false},
        {"new destination", newDestination, true},
        {"no destination sent: the known one stays", noDestination, false},
        {"renamed", partA("SEA BREEZE II"), true},
    };
    for (const Step& s : steps) EXPECT_EQ(history::MergeStatic(known, s.report), s.changed) << s.what;
    // The voyage data's ship type came after part B's.
    EXPECT_EQ(std::tie(known.name, known.callSign, known.shipType, known.destination, known.dimB),
              std::tuple("SEA BREEZE II", "PB123", 70, "IJMUIDEN", 7));
}

// Stations come and go for a day: the sieve holds state for those heard
// within the last hour, not for every station ever heard; a station silent
// longer starts afresh (its unchanged static data is stored again).
TEST(ReportSieve, StateOfStationsLongSilentIsDropped) {
    history::ReportSieve sieve;
    size_t most = 0;
    const history::TimeMs day = 24 * 3600 * 1000;
    for (history::TimeMs t = 0; t < day; t += 600 * 1000) {  // every 10 minutes, 20 new stations
        for (int i = 0; i < 20; ++i) {
            const int32_t mmsi = 211000000 + static_cast<int32_t>(t / 30000) + i;
            EXPECT_TRUE(sieve.keep(Position(mmsi, t)));
            EXPECT_NE(sieve.merge(Static(mmsi, t, "SHIP", "CALL")), nullptr);
        }
        most = std::max(most, sieve.stateEntries());
    }
    // Heard within the hour (and up to one sweep before): at most 8 slots of
    // 20 stations, with their static data: 320 entries; 5,760 without the bound.
    EXPECT_LE(most, 320u);
    EXPECT_GT(most, 0u);
    // The first station of the day is forgotten, the last one is not.
    EXPECT_NE(sieve.merge(Static(211000000, day, "SHIP", "CALL")), nullptr);
    EXPECT_EQ(sieve.merge(Static(211000000 + (day - 600000) / 30000, day, "SHIP", "CALL")), nullptr);
    EXPECT_FALSE(sieve.keep(Position(211000000 + (day - 600000) / 30000, day - 599000)));
    EXPECT_EQ(sieve.thinned(), 1);
}

// A receiver writing through a feed into a real store.
class FeedToStore : public ::testing::Test {
protected:
    void SetUp() override {
        auto store = history::OpenSqliteStore((dir / "h.sqlite").string(), nullptr, nullptr);
        ASSERT_TRUE(store);
        writer = std::make_unique<history::HistoryWriter>(std::move(store), history::WriterSettings{});
        feed = std::make_unique<history::HistoryFeed>(*writer, clock, &events);
        rx.setHistory(feed.get());
    }
    template <class Rec>
    void send(const Rec& rec, std::string_view tags = {}) {
        std::string text;
        for (const auto& s : testing_support::Sentences(rec)) text += std::string(tags) + s;
        rx.takeBytes(app::Receiver::kMainInput, text);
    }
    std::unique_ptr<history::HistoryStore> reopen() {
        writer->stop();
        return history::OpenSqliteStore((dir / "h.sqlite").string(), nullptr, nullptr);
    }

    testing_support::TempDir dir;
    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 7, 15, 0, 0), 1000.0, 1796655600000};
    testing_support::RecordingEvents events;
    app::Receiver rx{clock, events};
    std::unique_ptr<history::HistoryWriter> writer;
    std::unique_ptr<history::HistoryFeed> feed;
};

TEST_F(FeedToStore, ReceivedSentencesBecomeRows) {
    const int32_t ship = 244123456;
    send(testing_support::ClassAReport(ship, 52.0, 4.0, 12.0f));
    clock.advance(2);
    send(testing_support::ClassAReport(ship, 52.001, 4.0, 12.0f));  // 2 s later, nothing changed: thinned
    clock.advance(2);
    send(testing_support::ClassAReport(ship, 52.002, 4.0, 12.0f, 5));  // status changed: kept
    ais::StaticVoyageData voyage = testing_support::StaticData(ship, "NORDIC STAR", "PD1234");
    voyage.ETA = base::DateTime::fromCalendar(2026, 9, 3, 7, 5, 0);
    send(voyage);
    clock.advance(1);
    send(voyage);  // unchanged: not stored
    ais::BroadcastSafetyMessage text;
    text.MessageID = 14, text.MMSI = 2440001, text.Text = "O'HARA'; DROP TABLE messages";
    send(text);
    ais::PositionReport nowhere = testing_support::ClassAReport(211000001, base::kNotAvailable, base::kNotAvailable, 3);
    send(nowhere);  // no position: no row
    // With a c: time and a source, which win over the clock. Sent last: the
    // receiver hands the feed's positions to the writer with the bytes that
    // carried them, not when more arrive.
    send(testing_support::ClassAReport(ship, 52.1, 4.1, 12.0f), input::FormatTagBlock("rcvr7", 1796659200));

    auto store = reopen();
    ASSERT_TRUE(store);
    // Time, status, source, input, class and heading of each stored row.
    std::vector<std::tuple<history::TimeMs, int, std::string, int, history::StationClass, int>> track;
    for (const auto& p : store->track(ship, 0, INT64_MAX)) {
        track.emplace_back(p.time, p.navStatus.value_or(-1), p.source, p.input, p.stationClass, p.heading.value_or(-1));
    }
    const auto A = history::StationClass::ClassA;
    EXPECT_EQ(track, (decltype(track){{1796655600000, 0, "", app::Receiver::kMainInput, A, 44},
                                      {1796655604000, 5, "", app::Receiver::kMainInput, A, 44},
                                      {1796659200000, 0, "rcvr7", app::Receiver::kMainInput, A, 44}}));
    const auto seen = store->lastSeen("nordic", 5);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].callSign, "PD1234");
    const auto now = store->situation(1796659200000, 3600 * 1000);
    ASSERT_EQ(now.size(), 1u);
    ASSERT_TRUE(now[0].statics);
    EXPECT_EQ(now[0].statics->eta, "09-03 07:05");  // month first, each part two digits
    EXPECT_EQ(store->countsPerHour(0, INT64_MAX).at(0).statics, 1);
    const auto messages = store->messages(0, INT64_MAX);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].mmsi, 2440001);
    EXPECT_NE(messages[0].json.find("\"Text\":\"O'HARA'; DROP TABLE MESSAGES\""), std::string::npos)
        << messages[0].json;
    EXPECT_TRUE(store->track(211000001, 0, INT64_MAX).empty());
}

TEST_F(FeedToStore, SeededStaticDataIsNotStoredAgain) {
    send(testing_support::ClassAReport(1234567, 52.0, 4.0, 12.0f));
    send(testing_support::StaticData(1234567, "KEPT", "K1"));
    auto store = reopen();
    // A new run: its feed starts from what the store holds.
    auto writer2 = std::make_unique<history::HistoryWriter>(
        history::OpenSqliteStore((dir / "h.sqlite").string(), nullptr, nullptr), history::WriterSettings{});
    history::HistoryFeed feed2(*writer2, clock, &events);
    feed2.seed(*store);
    rx.setHistory(&feed2);
    clock.advance(60);
    send(testing_support::StaticData(1234567, "KEPT", "K1"));
    send(testing_support::StaticData(1234567, "RENAMED", "K1"));
    writer2->stop();
    const auto counts = store->countsPerHour(0, INT64_MAX);
    int64_t statics = 0;
    for (const auto& h : counts) statics += h.statics;
    EXPECT_EQ(statics, 2);  // the first run's and the rename
}

}  // namespace
}  // namespace history_test
