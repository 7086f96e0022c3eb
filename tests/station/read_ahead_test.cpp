#include "station/read_ahead.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "sentence/tag_block.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "targets/statistics.h"

namespace app {
namespace {

using namespace testing_support;

constexpr double kStep = 0.7;  // clock seconds per sentence

// A stream of every kind of outcome, long enough for several batches: position
// reports of a few stations (one our own ship by VDO), two-part static data,
// a tag block with a source, a broken checksum, a line that is no AIS, a
// lone second fragment, and a last line without its line feed.
std::string mixedStream(int rounds = 200) {
    std::string s;
    for (int round = 0; round < rounds; ++round) {
        for (int ship = 0; ship < 4; ++ship) {
            const auto report = ClassAReport(257000001 + ship, 59.0 + 0.01 * round, 5.0 + 0.02 * ship,
                                             static_cast<float>(3 + ship + round % 5));
            s += Join(Sentences(report, ship % 2 ? 'B' : 'A', ship == 3));
        }
        if (round % 10 == 0) s += Join(Sentences(StaticData(257000002, "SECOND", "LA2")));
        if (round % 7 == 0) {
            const std::string line = Sentences(ClassAReport(257000009, 58.5, 4.5, 9))[0];
            s += input::FormatTagBlock("rcvr" + std::to_string(round), 1700000000 + round) + line;
        }
        if (round % 11 == 0) s += "!AIVDM,1,1,,A,13u`T7@020P=MdpMla@torB005P0,0*00\r\n";
        if (round % 13 == 0) s += "$GPGGA,120000,5900.0,N,00500.0,E,1,08,0.9,10.0,M,,,,*47\r\n";
        if (round % 17 == 0) s += Sentences(StaticData(257000004, "LONE", "LA4"))[1];
    }
    return s + Sentences(ClassAReport(257000001, 60.0, 5.0, 4))[0].substr(0, 40);
}

// What a run leaves: counters, and per entry what the table and its statistics hold.
struct Outcome {
    std::vector<int64_t> counts;
    std::vector<std::tuple<int32_t, int32_t, int32_t, double, double, std::string, float, double>> entries;
    std::vector<int> rows;
    std::vector<double> observed;  // clock readings at each sentence observer call
    bool operator==(const Outcome&) const = default;
};

Outcome outcomeOf(const Receiver& rx, const testing_support::RecordingEvents& events, std::vector<double> observed) {
    Outcome o;
    const input::ReceiverTotals t = rx.totals();
    o.counts = {t.SentenceCount,           t.ChecksumErrorCount,     t.NonAISCount,
                t.TagOnlyCount,            t.MalformedCount,         t.DecodedSentenceCount,
                t.IncompleteFragmentCount, t.IncompleteMessageCount, t.DecodedMessageCount,
                t.MessageTypeCount[1],     t.MessageTypeCount[5],    t.CutOffCount,
                rx.pendingFragments()};
    const auto& table = rx.targets();
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const targets::TargetRecord& e = table.entry(n);
        o.entries.emplace_back(e.MMSI, e.MsgCount[0], e.VDOCount, e.Fix.Latitude, e.Stats[0].RxMonotonic,
                               e.LastSource + "/" + std::to_string(e.LastTagTime) + "/" + e.Id.Name, e.Stats[0].TimerPeriod,
                               e.LongestGap);
    }
    o.rows = events.rows;
    o.observed = std::move(observed);
    return o;
}

// The stream handed over in pieces of `piece` bytes (0: at once), on one
// thread or through a ReadAheadFeed whose reading clock moves on in step.
Outcome run(const std::string& stream, size_t piece, bool readAhead) {
    base::ManualClock clock;
    testing_support::RecordingEvents events;
    Receiver rx(clock, events);
    rx.setInputTests({.CheckChecksum = true});
    std::vector<double> observed;
    rx.setAfterSentence([&] {
        observed.push_back(clock.monotonicSeconds());
        clock.advance(kStep);
    });
    base::ManualClock reading = clock;
    std::optional<ReadAheadFeed> feed;
    if (readAhead) feed.emplace(rx, reading, [&] { reading.advance(kStep); });
    const size_t step = piece == 0 ? stream.size() : piece;
    for (size_t at = 0; at < stream.size(); at += step) {
        if (feed) {
            feed->takeBytes(Receiver::kMainInput, stream.substr(at, step));
        } else {
            rx.takeBytes(Receiver::kMainInput, stream.substr(at, step));
        }
    }
    if (feed) {
        feed->endOfStream(Receiver::kMainInput);
        feed->finish();
        feed.reset();
    } else {
        rx.endOfStream(Receiver::kMainInput);
    }
    return outcomeOf(rx, events, observed);
}

TEST(ReadAheadFeed, BuildsWhatOneThreadBuilds) {
    const std::string stream = mixedStream();
    for (const size_t piece : {size_t{0}, size_t{7}, size_t{4096}}) {
        const Outcome one = run(stream, piece, false);
        ASSERT_GT(one.counts[0], static_cast<int64_t>(2 * ReadAheadFeed::kBatchSentences)) << "several batches";
        EXPECT_GT(one.counts[1] * one.counts[2] * one.counts[6], 0) << "every kind of outcome occurs";
        EXPECT_TRUE(one == run(stream, piece, true)) << "pieces of " << piece;
    }
    // Long enough that the reading side fills every slot and waits for room
    // again and again, and ends with the slots part full.
    const std::string longStream = mixedStream(3000);
    const Outcome one = run(longStream, 0, false);
    ASSERT_GT(one.counts[0], static_cast<int64_t>((ReadAheadFeed::kBatchesAhead * 3 + 1) * ReadAheadFeed::kBatchSentences));
    EXPECT_TRUE(one == run(longStream, 4096, true));
}

}  // namespace
}  // namespace app
