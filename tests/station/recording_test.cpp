// Recording the received sentences and playing them back builds the same
// table as the live run.
#include <gtest/gtest.h>

#include <tuple>

#include "station/receiver.h"
#include "cli/sim/simulator.h"
#include "station/playback.h"
#include "station/recorder.h"
#include "sentence/tag_block.h"
#include "support/recording_events.h"
#include "support/temp_dir.h"

namespace app {
namespace {

auto tableOf(const Receiver& rx) {
    std::vector<std::tuple<int32_t, std::string, std::array<int32_t, 28>, double, double, float, int32_t>> rows;
    const targets::TargetTable& t = rx.targets();
    for (int k = 1; k <= t.TargetCount(); ++k) {
        const targets::TargetRecord& e = t.entry(t.DisplayOrder()[static_cast<size_t>(k)]);
        std::array<int32_t, 28> counts{};
        std::copy_n(e.MsgCount.begin(), std::min(counts.size(), e.MsgCount.size()), counts.begin());
        rows.emplace_back(e.MMSI, e.Id.Name, counts, e.Fix.Latitude, e.Fix.Longitude, e.Stats[0].TimerPeriod, e.ChACount);
    }
    return rows;
}

TEST(Recording, PlayedBackGivesTheTableOfTheLiveRun) {
    testing_support::TempDir dir;
    const std::string file = (dir / "rec.nmea").string();
    const base::DateTime start = base::DateTime::fromCalendar(2026, 12, 6, 12, 0, 0);
    const std::vector<std::string> sentences = sim::BenchmarkSentences(400, 3);

    base::ManualClock liveClock(start);
    testing_support::RecordingEvents events;
    Receiver live(liveClock, events);
    const int udp = live.addInput(input::InputKind::Udp);
    input::Recorder recorder([&] { return int64_t{1700000000} + static_cast<int64_t>(liveClock.monotonicSeconds()); });
    std::string error;
    ASSERT_TRUE(recorder.open(file, true, false, error)) << error;
    live.addTap(&recorder);
    std::string expected;
    bool overUdp = false;
    for (size_t i = 0; i < sentences.size(); ++i) {
        // Every third message comes in over UDP already tagged by its sender.
        std::string s = sentences[i];
        if (s[9] == '1') overUdp = i % 3 == 0;
        if (overUdp) {
            s.insert(0, input::FormatTagBlock("rx2", int64_t{1700000000} + static_cast<int64_t>(liveClock.monotonicSeconds())));
            live.takeBytes(udp, s);
        } else {
            live.takeBytes(app::Receiver::kMainInput, s);
            s.insert(0, input::FormatTagBlock({}, int64_t{1700000000} + static_cast<int64_t>(liveClock.monotonicSeconds())));
        }
        expected += s;
        liveClock.advance(1.0);
    }
    ASSERT_TRUE(recorder.close());
    EXPECT_EQ(recorder.sentences(), static_cast<int64_t>(sentences.size()));
    EXPECT_EQ(dir.read("rec.nmea"), expected);

    base::ManualClock playClock(start);
    Receiver played(playClock, events);
    const int n = played.addInput(input::InputKind::Playback);
    input::PlaybackReader reader;
    ASSERT_TRUE(reader.open(file, error)) << error;
    std::string chunk;
    double elapsed = 0;
    for (double due = reader.nextDue(); std::isfinite(due); due = reader.nextDue()) {
        playClock.advance(due - elapsed);
        elapsed = due;
        chunk.clear();
        reader.take(due, chunk);
        played.takeBytes(n, chunk);
    }
    EXPECT_EQ(tableOf(played), tableOf(live));
    EXPECT_EQ(played.totals().DecodedMessageCount, live.totals().DecodedMessageCount);
    EXPECT_GT(live.targets().TargetCount(), 50);
}

// A recording whose file cannot be written stops and says why.
TEST(Recording, FailureStopsTheRecording) {
    input::Recorder recorder([] { return int64_t{0}; });
    std::string error;
    EXPECT_FALSE(recorder.open("/nonexistent/dir/rec.nmea", false, false, error));
    EXPECT_NE(error.find("/nonexistent/dir/rec.nmea"), std::string::npos);
    ASSERT_TRUE(recorder.open("/dev/full", false, true, error));
    recorder.sentenceTaken(0, "!AIVDM\r\n", input::IntakeResult::NotAIS);
    EXPECT_FALSE(recorder.flush());
    EXPECT_FALSE(recorder.isOpen());
    EXPECT_NE(recorder.error().find("stopped"), std::string::npos);
}

}  // namespace
}  // namespace app
