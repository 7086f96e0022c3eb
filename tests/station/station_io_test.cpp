// What goes on to the outputs, and when a played-back line is due.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "sentence/checksum.h"
#include "station/forwarder.h"
#include "station/playback.h"
#include "station/port_monitor.h"
#include "sentence/tag_block.h"
#include "station/station_activity.h"

namespace input {
namespace {

using R = IntakeResult;

std::string sum(const std::string& text) { return text + "*" + NMEAChecksum(text) + "\r\n"; }

TEST(Forwarder, PassesValidSentencesAsReceivedOrBare) {
    const std::string vdm = sum("!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0");
    const std::string tag = FormatTagBlock("r1", 1700000000);
    const std::string badTag = "\\s:r1*00\\";
    const std::string gga = sum("$GPGGA,120000,5930.000,N");
    std::string wrong = vdm;
    wrong[wrong.size() - 3] ^= 1;
    struct Row {
        std::string sentence;
        R result;
        std::string kept, stripped;
    } rows[] = {
        {vdm, R::Message, vdm, vdm},
        {tag + vdm, R::FragmentPending, tag + vdm, vdm},
        {tag + vdm, R::FragmentDropped, tag + vdm, vdm},
        {badTag + vdm, R::Message, "", vdm},  // checksum test off: the bad tag block does not go on
        {wrong, R::Message, "", ""},         // nor a wrong checksum
        {tag + vdm, R::ChecksumError, "", ""},
        {vdm, R::Malformed, "", ""},
        {gga, R::NotAIS, gga, gga},
        {"noise\r\n", R::NotAIS, "", ""},
        {tag + "\r\n", R::TagOnly, tag + "\r\n", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Forwarder::Forwarded(r.sentence, r.result, false), r.kept) << r.sentence;
        EXPECT_EQ(Forwarder::Forwarded(r.sentence, r.result, true), r.stripped) << r.sentence;
    }
}

// A station that names itself stamps what arrives without a tag block with
// its name and the time; what carries its own origin goes on unchanged.
TEST(Forwarder, ANamedStationTagsWhatItForwards) {
    struct Sink : ForwardSink {
        std::vector<std::string> lines;
        void forward(std::string_view bytes) override { lines.emplace_back(bytes); }
    } sink;
    Forwarder f;
    f.addSink(&sink);
    f.setStationName("north,pier*\\1", [] { return int64_t{1700000000}; });
    const std::string vdm = sum("!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0");
    const std::string tagged = FormatTagBlock("far", 1600000000) + vdm;
    f.sentenceTaken(0, vdm, R::Message);
    f.sentenceTaken(0, tagged, R::Message);
    ASSERT_EQ(sink.lines.size(), 2u);
    const TaggedLine stamped = SplitTagBlock(sink.lines[0]);
    EXPECT_TRUE(stamped.tags.checksumValid);
    EXPECT_EQ(std::tuple(std::string(stamped.tags.source), stamped.tags.time, std::string(stamped.sentence)),
              std::tuple(std::string("north_pier__1"), int64_t{1700000000}, vdm));
    EXPECT_EQ(sink.lines[1], tagged);
    f.setStripTags(true);
    f.sentenceTaken(0, tagged, R::Message);
    EXPECT_EQ(sink.lines[2], vdm);
}

// A line is due at its c: time (counted from the first), a line without one
// at the rate after the line before; time never runs backwards. A jump of
// more than the longest gap is a break: skipped and reported once, the pace
// going on from the line after it.
TEST(Playback, LinesAreDueByTheirTimesOrTheRateAndBreaksAreSkipped) {
    constexpr int64_t T = 1700000000;
    constexpr int64_t kNone = -1;
    const struct Row {
        const char* name;
        std::vector<int64_t> times;  // kNone: a line without a tag block
        double rate, maxGap;
        std::vector<double> due, gaps;
    } rows[] = {
        {"times and rate", {kNone, T + 100, kNone, T + 103, T + 101, T * 1000 + 110500}, 4, 600,
         {0, 0.25, 0.5, 3.25, 3.25, 10.75}, {}},
        {"far future once", {T, 2700000000, T + 1, T + 2}, 10, 600, {0, 0.1, 0.1, 1.1}, {1e9}},
        {"at the limit waits", {T, T + 600, T + 601}, 10, 600, {0, 600, 601}, {}},
        {"beyond it skips", {T, T + 601, T + 602}, 10, 600, {0, 0.1, 1.1}, {601}},
        {"each gap once", {T, T + 3600, T + 3601, T + 7200, T + 7201}, 10, 600, {0, 0.1, 1.1, 1.2, 2.2},
         {3600, 3599}},
        {"a little back is held", {T, T + 10, T + 8, T + 11}, 10, 600, {0, 10, 10, 11}, {}},
        {"far back sets the pace", {T + 1000, T, T + 1}, 10, 600, {0, 0, 1}, {}},
        {"untimed lines after a gap", {T, kNone, T + 5000, kNone}, 10, 600, {0, 0.1, 0.2, 0.3}, {4999.9}},
        {"a shorter limit", {T, T + 6, T + 9}, 10, 5, {0, 0.1, 3.1}, {6}},
    };
    for (const Row& r : rows) {
        PlaybackPacer pacer(r.rate, r.maxGap);
        std::vector<double> due, gaps;
        for (int64_t t : r.times) {
            due.push_back(pacer.due((t == kNone ? std::string() : FormatTagBlock("", t)) + "!AIVDM\r\n"));
            if (pacer.skipped() > 0) gaps.push_back(pacer.skipped());
        }
        ASSERT_EQ(due.size(), r.due.size()) << r.name;
        for (size_t k = 0; k < due.size(); ++k) EXPECT_NEAR(due[k], r.due[k], 1e-6) << r.name << " line " << k;
        ASSERT_EQ(gaps.size(), r.gaps.size()) << r.name;
        for (size_t k = 0; k < gaps.size(); ++k) EXPECT_NEAR(gaps[k], r.gaps[k], 1e-6) << r.name;
    }
}

// Seeking goes on at the start of the line after the offset (a line that
// begins right there is kept), its pace afresh, and the position counts the
// bytes handed over.
TEST(Playback, SeekResumesAtTheNextLineStart) {
    std::string file;
    std::vector<size_t> starts;
    for (int64_t t = 1700000000; t < 1700000010; ++t) {
        starts.push_back(file.size());
        file += FormatTagBlock("", t) + "!AIVDM,1,1,,A," + std::to_string(t) + ",0\r\n";
    }
    starts.push_back(file.size());  // line 10: the end
    struct Case {
        const char* name;
        int64_t offset;
        size_t firstLine;  // index of the first line handed over after the seek
    };
    const Case cases[] = {
        {"the start", 0, 0},
        {"inside line 0", 5, 1},
        {"right at line 3", static_cast<int64_t>(starts[3]), 3},
        {"on the line end of 3", static_cast<int64_t>(starts[4]) - 1, 4},
        {"before the start", -7, 0},
        {"inside the last line", static_cast<int64_t>(starts[9]) + 2, 10},
        {"beyond the end", static_cast<int64_t>(file.size()) + 100, 10},
    };
    for (const Case& c : cases) {
        std::FILE* in = ::fmemopen(file.data(), file.size(), "rb");
        ASSERT_NE(in, nullptr);
        PlaybackReader reader(10);
        reader.attach(in);
        EXPECT_EQ(reader.size(), static_cast<int64_t>(file.size()));
        std::string handed;
        reader.take(3.5, handed);  // lines 0..3 played
        EXPECT_EQ(reader.position(), static_cast<int64_t>(starts[4])) << c.name;
        ASSERT_TRUE(reader.seek(c.offset)) << c.name;
        handed.clear();
        // Due from file second 0 again: the first line at once, the next a second later.
        reader.take(0, handed);
        const size_t from = starts[c.firstLine], next = starts[std::min<size_t>(c.firstLine + 1, 10)];
        EXPECT_EQ(handed, file.substr(from, next - from)) << c.name;
        reader.take(1e9, handed);
        EXPECT_EQ(handed, file.substr(from)) << c.name;
        EXPECT_EQ(reader.position(), static_cast<int64_t>(file.size())) << c.name;
        std::fclose(in);
    }
}

TEST(StationActivity, RecordingText) {
    struct Case {
        double seconds;
        int64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "REC 00:00:00 \u00B7 0 B"},
        {754.9, 999, "REC 00:12:34 \u00B7 999 B"},
        {59, 1000, "REC 00:00:59 \u00B7 1.0 kB"},
        {3600, 1234567, "REC 01:00:00 \u00B7 1.2 MB"},
        {3600 * 125 + 61, 999960, "REC 125:01:01 \u00B7 1.0 MB"},
        {-3, 5000000000, "REC 00:00:00 \u00B7 5.0 GB"},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordingText(c.seconds, c.bytes), c.text) << c.seconds;
}

TEST(StationActivity, PlaybackText) {
    struct Case {
        double speed;
        bool paused;
        int secondsOfDay;
        double fraction;
        const char* text;
    };
    const Case cases[] = {
        {10, false, 14 * 3600 + 32 * 60 + 7, 0.374, "Playing 10\u00D7 \u2014 14:32:07 (37 %)"},
        {1, false, 0, 0, "Playing 1\u00D7 \u2014 00:00:00 (0 %)"},
        {100, false, -1, 0.999, "Playing 100\u00D7 (99 %)"},
        {0, false, 86399, 1, "Playing as fast as possible \u2014 23:59:59 (100 %)"},
        {10, true, 3600, 0.5, "Paused \u2014 01:00:00 (50 %)"},
        {10, false, 60, 1.7, "Playing 10\u00D7 \u2014 00:01:00 (100 %)"},
    };
    for (const Case& c : cases) EXPECT_EQ(PlaybackText(c.speed, c.paused, c.secondsOfDay, c.fraction), c.text) << c.text;
}

std::string Line(int n) { return "!AIVDM," + std::to_string(n) + "\r\n"; }

TEST(MonitorText, BoxOf2550TwipsTakesElevenSentencesAndTheTwelfthStartsAgain) {
    MonitorText box;
    box.setCapacity(MonitorCapacity(2550));
    ASSERT_EQ(box.capacity(), 10);
    std::string expected;
    for (int n = 1; n <= 11; ++n) {
        box.add(Line(n));
        expected += Line(n);
    }
    EXPECT_EQ(box.text(), expected);
    EXPECT_EQ(box.shownCount(), 11);
    box.add(Line(12));
    EXPECT_EQ(box.text(), Line(12));
    EXPECT_EQ(box.shownCount(), 1);
}

TEST(MonitorText, StaysBoundedOnLongGarbageLines) {
    MonitorText box;
    box.setCapacity(3);
    const std::string garbage(64 * 1024, 'x');
    for (int i = 0; i < 100; ++i) box.add(garbage + "\r\n");
    EXPECT_LE(box.text().size(), 4 * (MonitorText::kMaxShownSentence + 5));
    EXPECT_EQ(box.text().substr(box.text().size() - 5), "...\r\n");
    EXPECT_LE(box.takeUpdate().appended.size(), box.text().size());
    EXPECT_EQ(ShownInputBuffer(garbage).size(), kMaxShownInputBuffer);
}

// "All inputs" in the port monitor adds the inputs' counters: every count,
// the framer's own drops included, is the sum; the latest data wins.
TEST(InputCountersSum, EveryCountIsTheSumOfTheInputs) {
    InputCounters a, b;
    int64_t InputCounters::*const counts[] = {
        &InputCounters::Bytes,    &InputCounters::Sentences,     &InputCounters::SentenceBytes,
        &InputCounters::ChecksumErrors, &InputCounters::Ignored, &InputCounters::IgnoredBytes,
        &InputCounters::Overflow, &InputCounters::OverflowBytes, &InputCounters::CutOff,
        &InputCounters::CutOffBytes};
    for (int64_t k = 0; auto field : counts) {
        a.*field = ++k;
        b.*field = 100 * k;
    }
    a.LastData = 7.0;
    a.Monitor = {1, 2, 3, 4, 5};
    b.Monitor = {10, 20, 30, 40, 50};
    InputCounters sum;
    sum += a;
    sum += b;
    for (auto field : counts) EXPECT_EQ(sum.*field, a.*field + b.*field);
    EXPECT_EQ(sum.LastData, 7.0);
    EXPECT_EQ(sum.Monitor, (MonitorCounts{11, 22, 33, 44, 55}));
    EXPECT_EQ(InputCountersText(sum, 9.0), "Sentences 202  Bytes 101  Checksum errors 404  Overflow 707  Last data 2 s ago");
}

}  // namespace
}  // namespace input
