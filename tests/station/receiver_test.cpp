#include "station/receiver.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>

#include "ais/encoder.h"
#include "sentence/checksum.h"
#include "support/fed_receiver.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"
#include "station/status_panels.h"

namespace app {
namespace {

using namespace testing_support;

class ReceiverTest : public testing_support::FedReceiver {
protected:
    void feedText(const std::string& text) { rx.takeBytes(Receiver::kMainInput, text); }
    // Sentences, not AIS, malformed, decoded sentences, incomplete fragments and
    // messages, pending fragments.
    std::array<int64_t, 7> counts() const {
        const input::ReceiverTotals s = rx.totals();
        return {s.SentenceCount,           s.NonAISCount,           s.MalformedCount,       s.DecodedSentenceCount,
                s.IncompleteFragmentCount, s.IncompleteMessageCount, rx.pendingFragments()};
    }
    // Every sentence ends in one outcome, or is a fragment still pending.
    void expectBalanced() {
        const input::ReceiverTotals s = rx.totals();
        EXPECT_EQ(s.SentenceCount, s.DecodedSentenceCount + s.NonAISCount + s.TagOnlyCount + s.ChecksumErrorCount +
                                       s.MalformedCount + s.IncompleteFragmentCount + rx.pendingFragments());
        EXPECT_GE(rx.pendingFragments(), 0);
        // Per input, every byte is in one outcome or the unfinished line.
        for (int n : rx.inputs()) {
            const input::InputCounters c = *rx.inputCounters(n);
            EXPECT_EQ(c.Bytes, c.SentenceBytes + c.IgnoredBytes + c.OverflowBytes + c.CutOffBytes +
                                   static_cast<int64_t>(rx.pendingInput(n).size()))
                << "input " << n;
        }
    }
};

TEST_F(ReceiverTest, EveryOutcomeIsCountedOnceAndAtOnce) {
    const auto two = Sentences(StaticData(257000002, "LOST PART", "LALP"));
    std::string stream;
    stream += "$GPGGA,120000,5930.000,N,00515.000,E,1,08,1.0,10.0,M,40.0,M,,*47\r\n";  // not AIS
    stream += "!AIVDR,1,1,,A,13aG,0*00\r\n";                                           // not AIS
    stream += "!AIVDM,1,1,,A,13aG,0,1,2*00\r\n";                                       // seven commas
    stream += "!AIVDM,1,1,\r\n";                                                       // no payload: decoded
    stream += "!AIVDM,99999,1,,A,13aG,0*00\r\n";                                       // count out of range
    stream += two[0];                                                                  // part 2 never comes
    stream += Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    stream += two[1].substr(0, 7) + "2,2,7" + two[1].substr(12);  // part 2 of a message never begun
    stream += "!AIVDM,2,3,5,A,13aG,0*00\r\n";                     // number above count
    feedText(stream);
    EXPECT_EQ(counts(), (std::array<int64_t, 7>{9, 2, 3, 2, 1, 1, 1}));
    EXPECT_EQ(events.rows, std::vector<int>{1});
    EXPECT_EQ(rx.lastExtractError(), "Error 6 : Overflow  VDM-message : !AIVDM,99999,1,,A,13aG,0*00\r\n");
    expectBalanced();
    // The pending part times out; it is counted with the very next sentence,
    // even when that one is rejected as malformed.
    clock.advance(input::VdmAssembler::kMaxAgeSeconds + 1);
    feedText("!AIVDM,2,0,4,A,55P5TL01VIaAL,0*00\r\n");
    EXPECT_EQ(counts(), (std::array<int64_t, 7>{10, 2, 4, 2, 2, 2, 0}));
    EXPECT_EQ(rx.lastExtractError().substr(0, 8), "Error 6 ");  // only field errors replace the text
    expectBalanced();
}

TEST_F(ReceiverTest, ChecksumErrorsAreCountedOnlyWhileTheTestIsOn) {
    const std::string good = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    std::string wrong = good;
    const size_t star = wrong.find('*');
    wrong[star + 1] = wrong[star + 1] == '0' ? '1' : '0';
    feedText(wrong);
    EXPECT_EQ(rx.totals().DecodedMessageCount, 1);
    rx.setInputTests({.CheckChecksum = true});
    feedText(wrong + good);
    EXPECT_EQ(rx.totals().ChecksumErrorCount, 1);
    EXPECT_EQ(rx.totals().DecodedMessageCount, 2);
    EXPECT_EQ(events.panels, (std::vector<std::pair<int, std::string>>{{4, "1"}}));
    expectBalanced();
}

// A message that belongs to no entry is counted as decoded but changes no
// entry, in particular not the one of the message before it; link messages
// from a known station count toward its entry.
TEST_F(ReceiverTest, SkippedMessagesTouchNoEntry) {
    feed(ClassAReport(257000001, 59.5, 5.25, 12.3f));
    for (int type : {7, 11, 13, 15, 22, 27, 40}) feedText(Sentence(ais::EncodeHeaderOnly(type, 0, 257000002, 72)));
    feedText(Sentence(ais::EncodeHeaderOnly(40, 0, 257000001, 72)));
    feed(ClassAReport(0, 59.5, 5.25, 12.3f));  // MMSI 0
    EXPECT_EQ(std::tuple(rx.targets().TargetCount(), rx.targets().entry(1).MsgCount[0],
                         rx.totals().MessageTypeCount[40], rx.totals().DecodedMessageCount),
              std::tuple(1, 1, int64_t{2}, int64_t{10}));
    EXPECT_EQ(events.rows, std::vector<int>{1});
    feedText(Sentence(ais::EncodeHeaderOnly(22, 0, 257000001, 168)));
    EXPECT_EQ(rx.targets().entry(1).MsgCount[22], 1);
    EXPECT_EQ(events.rows, (std::vector<int>{1, 1}));
}

TEST_F(ReceiverTest, TextMessagesComeComposedAndAreLogged) {
    testing_support::TempDir dir;
    ais::BroadcastSafetyMessage m;
    m.MessageID = 14;
    m.MMSI = 257000003;
    m.Text = "TEST";
    feed(StaticData(257000003, "BLUE HERON", "LABH"));
    feed(m);  // no data folder: shown with the default time text, not logged
    rx.setMessageLog(dir.path());
    rx.setNoticeTimeFormat([](base::DateTime t) { return t.format("hh:mm"); });
    feed(m);
    feedText(Sentence(ais::EncodeHeaderOnly(8, 0, 257000003, 72)));
    ASSERT_EQ(events.shown.size(), 3u);
    const MessageToShow& first = events.shown[0];
    EXPECT_EQ(std::tie(first.messageType, first.entry, first.notice.lblName, first.notice.lblTime,
                       events.shown[1].notice.lblTime),
              std::tuple(14, 1, " 257000003 - BLUE HERON          ", "06-12-2026 14:05:09", "14:05"));
    EXPECT_TRUE(events.shown[2].binary && !events.shown[2].logFailed);
    EXPECT_EQ(dir.read("AIS_Messages/AIS_Messages.txt"), ais::FormatMessageLogBlock(events.shown[1].notice) +
                                                              ais::FormatMessageLogBlock(events.shown[2].notice));
    // A log that can not be written is reported with the message, every time.
    testing_support::TempDir blocked;
    blocked.write("AIS_Messages", "a file where the folder belongs");
    rx.setMessageLog(blocked.path());
    feed(m);
    feed(m);
    ASSERT_EQ(events.shown.size(), 5u);
    EXPECT_TRUE(events.shown[3].logFailed && events.shown[4].logFailed);
    EXPECT_NE(events.shown[4].logError.find("AIS_Messages"), std::string::npos) << events.shown[4].logError;
    EXPECT_TRUE(events.messages.empty());
}

// The table only says it is full; the receiver tells the operator, once a run,
// with the capacity and displace-after time in force.
TEST_F(ReceiverTest, AFullTableIsToldOnce) {
    rx.targets().setLifecycle({.capacity = 2, .displaceAfter = 90});
    for (int32_t mmsi : {257000001, 257000002}) feed(ClassAReport(mmsi, 59.5, 5.25, 0));
    EXPECT_TRUE(events.messages.empty());
    feed(ClassAReport(257000003, 59.5, 5.25, 0));
    feed(ClassAReport(257000004, 59.5, 5.25, 0));
    ASSERT_EQ(events.messages.size(), 1u);
    const auto& m = events.messages[0];
    EXPECT_EQ(std::tie(m.icon, m.title, m.text),
              std::tuple(base::MessageIcon::Information, targets::kTableFullTitle, targets::TableFullText(2, 90)));
    EXPECT_EQ(rx.targets().TargetCount(), 2);
}

TEST_F(ReceiverTest, AgeingFollowsTheMonotonicClockAndRaisesStatusChanges) {
    feed(ClassAReport(257000001, 59.5, 5.25, 12.3f));
    feed(ClassAReport(257000002, 59.5, 5.25, 0, 5));
    events.rows.clear();
    clock.advance(15);
    rx.ageTargets();
    EXPECT_TRUE(events.aged.empty());
    clock.advance(30);
    rx.ageTargets();
    EXPECT_EQ(events.aged, std::vector<int>{1});
    EXPECT_TRUE(events.rows.empty());
    // Entry 2 is moored: 360 s allowance.
    EXPECT_EQ(std::pair(rx.targets().entry(1).Status, rx.targets().entry(2).Status),
              std::pair(targets::TargetStatus::Old, targets::TargetStatus::New));
    // A wall clock set back an hour does not make silent targets fresh.
    clock.set(clock.now().addSeconds(-3600));
    clock.advance(400);
    rx.ageTargets();
    EXPECT_EQ(rx.targets().entry(2).Status, targets::TargetStatus::Old);
}

// Periods by the monotonic clock and by whole calendar seconds, across midnight
// and the new year.
TEST_F(ReceiverTest, PeriodsAcrossMidnight) {
    clock.set(base::DateTime::fromCalendar(2027, 12, 31, 23, 59, 55));
    feed(ClassAReport(257000001, 59.5, 5.25, 12.3f));
    clock.advance(10.5);
    feed(ClassAReport(257000001, 59.5, 5.25, 12.3f));
    const auto& t = rx.targets().entry(1);
    EXPECT_NEAR(t.Stats[0].TimerPeriod, 10.5f, 1e-3);
    // 23:59:55 -> 00:00:05.5: eleven whole seconds.
    EXPECT_EQ(std::tuple(t.Stats[0].Period, t.Stats[0].LastRxTime, t.TrackedFor), std::tuple(11, clock.now(), 11));
}

// Two inputs send the parts of two messages that share a sequential
// identifier, interleaved: each input assembles its own.
TEST_F(ReceiverTest, InputsKeepTheirFragmentsAndCountersApart) {
    const int second = rx.addInput(input::InputKind::Tcp);
    auto fresh = [](const ais::EncodedPayload& e) { return input::SentenceBuilder().build(e.payload, e.fillBits); };
    const auto a = fresh(ais::EncodePayload(StaticData(257000001, "ALPHA", "LAAA")));
    const auto b = fresh(ais::EncodePayload(StaticData(257000002, "BRAVO", "LBBB")));
    ASSERT_EQ(a[0].substr(0, 13), b[0].substr(0, 13));  // same identifier and channel
    feedText(a[0]);
    rx.takeBytes(second, b[0]);
    feedText(a[1]);
    rx.takeBytes(second, b[1] + "!AIVDM,1,1");
    EXPECT_EQ(rx.targets().TargetCount(), 2);
    EXPECT_EQ(rx.totals().IncompleteMessageCount, 0);
    const input::InputCounters c = *rx.inputCounters(second);
    EXPECT_EQ(std::tuple(c.Sentences, c.Bytes, c.LastData),
              std::tuple(int64_t{2}, static_cast<int64_t>(b[0].size() + b[1].size() + 10), clock.monotonicSeconds()));
    expectBalanced();
    // A removed input gives up its unfinished line and its pending part, counted.
    rx.takeBytes(second, "\n" + b[0]);
    rx.removeInput(second);
    rx.takeBytes(second, b[1]);
    EXPECT_EQ(std::tuple(rx.totals().IncompleteMessageCount, rx.totals().CutOffCount, rx.inputs()),
              std::tuple(int64_t{1}, 0, std::vector<int>{0}));
    expectBalanced();
}

// The main input reopened as another kind (Setup > Comm switching from the
// serial port to TCP) stays input 0 and keeps counting where it was; only its
// unfinished line goes. It cannot be removed.
TEST_F(ReceiverTest, TheMainInputKeepsItsNumberAndCountersWhenReopened) {
    const std::string one = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    feedText(one + "!AIVDM,1,1");
    rx.setInputKind(Receiver::kMainInput, input::InputKind::Tcp);
    rx.inputRestarted(Receiver::kMainInput);
    rx.removeInput(Receiver::kMainInput);
    EXPECT_EQ(rx.pendingInput(Receiver::kMainInput), "");
    feed(ClassAReport(257000002, 59.5, 5.25, 12.3f));
    const int second = rx.addInput(input::InputKind::Udp);
    const input::InputCounters c = *rx.inputCounters(Receiver::kMainInput);
    EXPECT_EQ(std::tuple(rx.inputs(), second, c.Sentences, c.Bytes, rx.targets().TargetCount()),
              std::tuple(std::vector<int>{0, 1}, 1, int64_t{2}, static_cast<int64_t>(2 * one.size() + 10), 2));
    expectBalanced();
}

// With a coverage, a report that brings a position is noted with its range
// and bearing from the reference under its input and s: station; a static
// report only as heard.
TEST_F(ReceiverTest, CoverageNotesWhereEachReportWasHeardFrom) {
    targets::Coverage coverage;
    rx.setCoverage(&coverage);
    rx.reference().setMode(targets::kRefManual);
    rx.reference().moveTo(59.0, 5.0);
    rx.referenceChanged();
    const int udp = rx.addInput(input::InputKind::Udp);
    rx.takeBytes(udp, "\\s:pier,c:1796652000*" + input::NMEAChecksum("\\s:pier,c:1796652000") + "\\" +
                          Join(Sentences(ClassAReport(257000001, 59.5, 5.0, 3.0f))));
    feed(StaticData(257000002, "EAST", "LEEE"));
    const auto far = coverage.farthest({udp, "pier"}, 1796652000);
    EXPECT_NEAR(far[0].rangeNm, 30.0, 0.2);  // half a degree north
    EXPECT_EQ(far[0].mmsi, 257000001);
    ASSERT_EQ(coverage.heardBy(257000002).size(), 1u);
    EXPECT_EQ(coverage.heardBy(257000002)[0].input, 0);
    EXPECT_EQ(coverage.count({0, ""}), 1);
    rx.setCoverage(nullptr);
    feed(ClassAReport(257000003, 59.5, 5.0, 3.0f));
    EXPECT_TRUE(coverage.heardBy(257000003).empty());
}

// A play back that seeks drops its unfinished line and pending part, counted,
// and goes on as the same input: a second part after the seek makes nothing.
TEST_F(ReceiverTest, ASeekingInputDropsWhatIsPendingAndGoesOn) {
    const int play = rx.addInput(input::InputKind::Playback);
    auto fresh = [](const ais::EncodedPayload& e) { return input::SentenceBuilder().build(e.payload, e.fillBits); };
    const auto a = fresh(ais::EncodePayload(StaticData(257000001, "ALPHA", "LAAA")));
    rx.takeBytes(play, a[0] + "!AIVDM,1,1");
    ASSERT_FALSE(rx.pendingInput(play).empty());
    rx.dropPending(play);
    EXPECT_TRUE(rx.pendingInput(play).empty());
    EXPECT_EQ(std::tuple(rx.totals().IncompleteMessageCount, rx.totals().IncompleteFragmentCount, rx.pendingFragments()),
              std::tuple(1, 1, 0));
    rx.takeBytes(play, a[1]);
    EXPECT_EQ(rx.targets().TargetCount(), 0);
    rx.takeBytes(play, Join(Sentences(ClassAReport(257000002, 59.5, 5.25, 12.3f))));
    EXPECT_EQ(rx.targets().TargetCount(), 1);
    EXPECT_EQ(rx.inputs(), (std::vector<int>{0, play}));
    expectBalanced();
}

// A message that came decoded from a source without sentences takes the
// same road from the table on: an entry with its origin, counted as a decoded
// message of its type but not as a sentence; a removed input takes none.
TEST_F(ReceiverTest, ADecodedMessageEntersWithoutASentence) {
    ais::AISMessageRecord rec;
    rec.Type1 = ClassAReport(257000001, 59.5, 5.25, 12.3f);
    const int gone = rx.addInput(input::InputKind::Tcp);
    rx.removeInput(gone);
    const MessageOrigin origin{input::SentenceKind::VDM, 'B', "gateway", 1700000000};
    rx.takeMessage(Receiver::kMainInput, 1, rec, origin);
    EXPECT_EQ(rx.totals().DecodedMessageCount, 1);
    rx.takeMessage(gone, 1, rec, origin);
    EXPECT_EQ(rx.totals().DecodedMessageCount, 1);
    ASSERT_EQ(rx.targets().TargetCount(), 1);
    const targets::TargetRecord& t = rx.targets().entry(rx.targets().DisplayOrder()[1]);
    EXPECT_EQ(std::tuple(t.MMSI, t.Fix.Latitude, t.Fix.Longitude, t.LastSource, t.LastTagTime, t.ChBCount),
              std::tuple(257000001, 59.5, 5.25, std::string("gateway"), int64_t{1700000000}, 1));
    const input::ReceiverTotals s = rx.totals();
    EXPECT_EQ(std::tuple(s.SentenceCount, s.DecodedSentenceCount, s.MessageTypeCount[1]),
              std::tuple(int64_t{0}, int64_t{0}, int64_t{1}));
    EXPECT_EQ(rx.inputCounters(Receiver::kMainInput)->Bytes, 0);
    EXPECT_EQ(events.rows.size(), 1u);
    expectBalanced();
}

// A datagram's sentences are handed over; its unfinished tail is dropped and
// counted, never joined with the next datagram.
TEST_F(ReceiverTest, DatagramsEndTheirSentences) {
    auto report = [](int32_t mmsi) { return Join(Sentences(ClassAReport(mmsi, 59.5, 5.25, 12.3f))); };
    const std::string one = report(257000001), two = report(257000002), three = report(257000003);
    struct Row {
        std::vector<std::string> datagrams;
        int64_t sentences, messages, cutOff;
    } rows[] = {
        {{one}, 1, 1, 0},
        {{one + two + three}, 3, 3, 0},
        {{one + three.substr(0, 20), three.substr(20)}, 2, 1, 20},
        {{"\r\n\x01\xff garbage", std::string(70000, 'x') + "\n" + two}, 2, 1, 10},
    };
    for (const Row& r : rows) {
        Receiver udp(clock, events);
        const int n = udp.addInput(input::InputKind::Udp);
        for (const std::string& d : r.datagrams) udp.takeBytes(n, d);
        const input::InputCounters c = *udp.inputCounters(n);
        EXPECT_EQ(std::tuple(c.Sentences, udp.totals().DecodedMessageCount, c.CutOffBytes),
                  std::tuple(r.sentences, r.messages, r.cutOff))
            << r.datagrams[0];
        EXPECT_EQ(c.Bytes, c.SentenceBytes + c.OverflowBytes + c.CutOffBytes);
        EXPECT_EQ(udp.totals().OverflowBytes, c.OverflowBytes);  // the run's total is the input's
    }
}

// With several inputs, status panel 6 counts what every input ignored and
// follows each of them; the port monitor's counters are kept per input.
TEST_F(ReceiverTest, PanelAndMonitorCountersFollowEveryInput) {
    rx.setInputTests({.EmptyBuffer = true});
    rx.setMonitoring(true);
    const int udp = rx.addInput(input::InputKind::Udp);
    const std::string one = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)));
    const std::string nmea = "$GPGGA,1,2,3*00\r\n";
    struct Step {
        int input;
        std::string bytes;
        std::string panel6;  // the panel's latest text
    } steps[] = {
        {Receiver::kMainInput, one + one, "1"},   // the main input ignores one
        {udp, one + one + one + nmea, "4"},      // another input ignores three
        {udp, one + nmea, "5"},
    };
    for (const Step& s : steps) {
        events.panels.clear();
        rx.takeBytes(s.input, s.bytes);
        ASSERT_FALSE(events.panels.empty()) << s.bytes;
        EXPECT_EQ(events.panels.back(), std::pair(6, s.panel6));
    }
    // Sentences, NMEA, AIS, checksum right, checksum wrong: the ignored ones
    // never reach the monitor.
    using Counts = std::array<int64_t, 5>;
    EXPECT_EQ(rx.inputCounters(Receiver::kMainInput)->Monitor, (Counts{1, 0, 1, 1, 0}));
    EXPECT_EQ(rx.inputCounters(udp)->Monitor, (Counts{2, 0, 2, 2, 0}));
    EXPECT_EQ(rx.totals().Monitor[0], 3);
    rx.resetMonitorCounters();
    EXPECT_EQ(rx.inputCounters(udp)->Monitor, Counts{});
    EXPECT_EQ(rx.totals().Monitor[0], 0);
}

TEST(StatusPanels, CountsWhileTheirRuleIsOnAndThePercentageHasNoLeadingZero) {
    input::InputTests tests;
    input::ReceiverTotals s;
    s.ChecksumErrorCount = 5;
    s.IgnoredCount = 1;
    s.SentenceCount = 199;
    auto texts = [&] {
        return std::tuple(checksumPanelText(tests, s), ignoredPanelText(tests, s, false), ignoredPanelText(tests, s, true));
    };
    EXPECT_EQ(texts(), std::tuple("n/a", "n/a", "n/a"));
    tests.CheckChecksum = tests.EmptyBuffer = true;
    EXPECT_EQ(texts(), std::tuple("5", "1", "1 (.5%)"));
    s.SentenceCount = 0;
    s.IgnoredCount = 2;
    EXPECT_EQ(ignoredPanelText(tests, s, true), "2 (100.0%)");
}

// A receiver that leaves far approaches to the refinement (a headless run)
// ends with the figures of one that works every report out, also when the
// own ship's last report leaves no plane to refine against (no speed), so
// the deferred ones must come from the planes they were judged against.
TEST(FarApproaches, LeftToTheRefinementEndAsWorkedOutAtEveryReport) {
    struct Row {
        const char* name;
        float ownLastSpeed;
        int ownReports;  // between, far targets deferred against planes long gone
    } rows[] = {{"own ship under way", 10.0f, 1},
                {"own ship's speed gone", base::kNotAvailable, 1},
                {"own ship's speed gone after many reports", base::kNotAvailable, 120}};
    for (const Row& r : rows) {
        struct Run {
            base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 12, 0, 0)};
            testing_support::RecordingEvents events;
            Receiver rx{clock, events};
        } plain, deferring;
        deferring.rx.setDeferFarApproaches(true);
        for (Run* run : {&plain, &deferring}) {
            const auto send = [run](int32_t mmsi, double east, double north, float sog, float cog, bool own = false) {
                run->rx.takeBytes(Receiver::kMainInput,
                                  Join(Sentences(testing_support::ReportNear(mmsi, east, north, sog, cog), 'A', own)));
                run->clock.advance(1);
            };
            send(257999999, 0, 0, 10, 0, true);
            send(257000001, 3, 1, 12, 270);   // near: exact at once
            send(257000002, 0, 18, 15, 200);  // beyond the alarm's range, inside the own ship's 24 nm
            send(257000003, 40, 5, 12, 90);   // far beyond both
            send(257000004, -20, -6, 8, 45);
            for (int i = 1; i < r.ownReports; ++i) {
                send(257999999, 0, 0.001 * i, 10, 0, true);
                send(257000003, 40, 5 + 0.001 * i, 12, 90);  // a plane kept per own report
                if (i == 60) send(257000005, 35, -3, 9, 300);
            }
            send(257999999, 0, 0.3, r.ownLastSpeed, 0, true);  // the own ship moved
            send(257000004, -20, -5.9, 8, 40);                 // reported again after it
            run->rx.refineApproaches();
        }
        // What may be read of an entry: its flags, and each figure only under
        // its flag (figures without their flag are nobody's to read).
        const auto readable = [](const targets::TargetRecord& t) {
            const auto cpa = [&t](double v) { return t.HasCPA ? v : 0.0; };
            const auto own = [&t](double v) { return t.HasOwnRange ? v : 0.0; };
            return std::tuple(t.HasCPA, t.HasOwnRange, t.CPAEstimated, t.Dangerous, t.CPADeferred, cpa(t.CPA),
                              cpa(t.TCPA), cpa(t.CPALatitude), cpa(t.CPALongitude), own(t.OwnRange), own(t.OwnBearing));
        };
        const int entries = plain.rx.targets().EntryCount();
        ASSERT_EQ(entries, r.ownReports > 60 ? 6 : 5) << r.name;
        for (int n = 1; n <= entries; ++n) {
            EXPECT_EQ(readable(plain.rx.targets().entry(n)), readable(deferring.rx.targets().entry(n)))
                << r.name << " " << n;
        }
        // Both rows are what they say: far figures estimated, then refined or not.
        EXPECT_EQ(plain.rx.targets().entry(4).CPAEstimated, r.ownLastSpeed == base::kNotAvailable) << r.name;
    }
}

// The chosen vessel is looked up once per change of the table: an entry a
// message 24 made before the vessel's first position report becomes it when
// that report adopts the entry, and a vessel freed and heard again is found
// in its new entry.
TEST_F(ReceiverTest, TheFollowedVesselIsFoundAfterItsEntryWasAdoptedOrMadeAgain) {
    constexpr int32_t kChosen = 257000009;
    rx.reference().setMode(targets::kRefFromVDM);
    rx.reference().setMMSI(kChosen);
    feed(ReportNear(257000001, 2, 2, 10, 90));
    ais::StaticDataReport name;
    name.MessageID = 24;
    name.MMSI = kChosen;
    name.Name = "CHOSEN";
    feed(name);  // an entry of no class yet: not the vessel
    EXPECT_FALSE(rx.targets().entry(1).RangeKnown);
    feed(ReportNear(kChosen, 0, 0, 10, 0));
    feed(ReportNear(257000001, 2, 2.1, 10, 90));
    EXPECT_TRUE(rx.targets().entry(1).RangeKnown) << "the adopted entry is the reference";

    clock.advance(targets::LifecycleSettings{}.removeAfter + 1.0);
    rx.ageTargets();  // every entry freed; the vessel's old number goes to another station
    feed(ReportNear(257000002, 1, 1, 10, 90));
    feed(ReportNear(257000003, 1, 2, 10, 90));
    const targets::TargetTable& table = rx.targets();
    const targets::TargetRecord& other = table.entry(table.FindTarget(257000002, 1));
    EXPECT_FALSE(other.RangeKnown) << "no reference while the vessel is gone";
    feed(ReportNear(kChosen, 0, 0, 10, 0));
    feed(ReportNear(257000002, 1, 1.1, 10, 90));
    EXPECT_TRUE(other.RangeKnown) << "the vessel's new entry is the reference";
}

}  // namespace
}  // namespace app
