#include <gtest/gtest.h>

#include <random>

#include "ais/encoder.h"
#include "app/receiver.h"
#include "input/checksum.h"
#include "input/sentence_builder.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"

namespace app {
namespace {

using testing_support::Join;
using testing_support::Sentences;

class ReceiverTest : public ::testing::Test {
protected:
    void feed(const std::string& text) { rx.receive(input::InputKind::Tcp, text); }
    // Every sentence ends in one outcome, or is a fragment still pending.
    void expectBalanced() {
        const input::RunState& s = rx.state();
        EXPECT_EQ(s.SentenceCount, s.DecodedSentenceCount + s.NonAISCount + s.ChecksumErrorCount + s.MalformedCount +
                                       s.IncompleteFragmentCount + rx.pendingFragments());
        EXPECT_GE(rx.pendingFragments(), 0);
    }

    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 12, 0, 0)};
    testing_support::RecordingEvents events;
    Receiver rx{clock, events};
};

TEST_F(ReceiverTest, PositionReportReachesTheTableAndTheRow) {
    feed(Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f))));
    ASSERT_EQ(rx.targets().TargetCount, 1);
    const auto& t = rx.targets().entry(1);
    EXPECT_EQ(t.MMSI, 257000001);
    EXPECT_NEAR(t.Latitude, 59.5, 1e-5);
    EXPECT_NEAR(t.SOG, 12.3f, 1e-4);
    EXPECT_EQ(t.MsgCount[1], 1);
    EXPECT_EQ(t.LastChannel[0], "A");
    EXPECT_EQ(t.FirstMsgTime, clock.now());
    EXPECT_EQ(events.rows, std::vector<int>{1});
    EXPECT_EQ(rx.state().MessageTypeCount[1], 1);
    EXPECT_EQ(rx.state().DecodedSentenceCount, 1);
}

TEST_F(ReceiverTest, EveryOutcomeIsCounted) {
    const auto a = Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    const auto two = Sentences(testing_support::StaticData(257000002, "LOST PART", "LALP"));
    std::string stream;
    stream += "$GPGGA,120000,5930.000,N,00515.000,E,1,08,1.0,10.0,M,40.0,M,,*47\r\n";  // not AIS
    stream += "!AIVDR,1,1,,A,13aG,0*00\r\n";                                           // not AIS
    stream += "!AIVDM,1,1,,A,13aG,0,1,2*00\r\n";                                       // seven commas
    stream += "!AIVDM,1,1,\r\n";                                                       // too few fields
    stream += "!AIVDM,99999,1,,A,13aG,0*00\r\n";                                       // count out of range
    stream += two[0];                                                                  // part 2 never comes
    stream += a;
    stream += two[1].substr(0, 7) + "2,2,7" + two[1].substr(12);                        // part 2 of a message never begun
    stream += "!AIVDM,2,3,5,A,13aG,0*00\r\n";                                          // number above count
    feed(stream);
    const input::RunState& s = rx.state();
    EXPECT_EQ(s.SentenceCount, 9);
    EXPECT_EQ(s.NonAISCount, 2);
    EXPECT_EQ(s.MalformedCount, 4);
    EXPECT_EQ(s.DecodedSentenceCount, 1);
    EXPECT_EQ(s.IncompleteFragmentCount, 1);
    EXPECT_EQ(rx.pendingFragments(), 1);
    EXPECT_NE(rx.lastExtractError().find("Error 6 : Overflow  VDM-message : !AIVDM,99999"), std::string::npos);
    expectBalanced();
    // The pending first part times out and is discarded with the next fragment.
    clock.advance(60);
    feed(two[0]);
    EXPECT_EQ(s.IncompleteFragmentCount, 2);
    EXPECT_EQ(s.IncompleteMessageCount, 2);
    expectBalanced();
    EXPECT_EQ(rx.targets().TargetCount, 1);
}

TEST_F(ReceiverTest, ChecksumTest) {
    std::string good = Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    std::string lower = good;
    const size_t star = lower.find('*');
    for (size_t i = star + 1; i < star + 3; ++i) lower[i] = static_cast<char>(std::tolower(lower[i]));
    const bool hasLetter = lower != good;
    std::string wrong = good;
    wrong[star + 1] = wrong[star + 1] == '0' ? '1' : '0';

    feed(wrong);  // test off: processed like any other
    EXPECT_EQ(rx.state().DecodedMessageCount, 1);
    rx.state().CheckChecksum = true;
    feed(wrong);
    feed(good);
    if (hasLetter) feed(lower);
    EXPECT_EQ(rx.state().ChecksumErrorCount, hasLetter ? 2 : 1);
    EXPECT_EQ(rx.state().DecodedMessageCount, 2);
    ASSERT_FALSE(events.panels.empty());
    EXPECT_EQ(events.panels.back(), std::make_pair(4, std::to_string(rx.state().ChecksumErrorCount)));
    expectBalanced();
}

TEST_F(ReceiverTest, PortMonitorCounters) {
    rx.state().PortMonitorOpen = true;
    const std::string good = Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    std::string lf = good;
    lf.erase(lf.size() - 2, 1);  // line feed only
    feed(good + lf + "$GPZDA,1*\r\n!AIVDM,1,1,,A,13aG,0\r\nnoise\r\n");
    const input::RunState& s = rx.state();
    EXPECT_EQ(s.MonitorSentenceCount, 5);
    EXPECT_EQ(s.MonitorAISCount, 3);
    EXPECT_EQ(s.MonitorNMEACount, 1);
    EXPECT_EQ(s.MonitorChecksumOK, 2);
    EXPECT_EQ(s.MonitorChecksumBad, 2);
    EXPECT_EQ(events.seen.size(), 5u);
    rx.state().PortMonitorOpen = false;
    feed(good);
    EXPECT_EQ(s.MonitorSentenceCount, 5);
}

TEST_F(ReceiverTest, TypesTheTableDoesNotTakeAreNotAttributed) {
    feed(Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f))));
    for (int type : {7, 11, 13, 15, 22, 27, 40}) {
        const ais::EncodedPayload e = ais::EncodeHeaderOnly(type, 0, 257000001, 72);
        feed(testing_support::Sentence(e));
    }
    EXPECT_EQ(rx.targets().entry(1).MsgCount[0], 1);
    EXPECT_EQ(rx.state().MessageTypeCount[7], 1);
    EXPECT_EQ(rx.state().MessageTypeCount[40], 1);
    EXPECT_EQ(rx.state().DecodedMessageCount, 8);
    EXPECT_EQ(events.rows.size(), 1u);
}

TEST_F(ReceiverTest, MessagesToShowAndOwnShip) {
    ais::BroadcastSafetyMessage m;
    m.MessageID = 14;
    m.MMSI = 257000003;
    m.Text = "TEST";
    feed(Join(Sentences(m)));
    EXPECT_EQ(events.shown, std::vector<int>{14});
    EXPECT_EQ(rx.targets().entry(1).LastMessageText.substr(0, 4), "TEST");
    feed(Join(Sentences(testing_support::ClassAReport(257000009, 59.5, 5.25, 0), 'B', true)));
    EXPECT_EQ(rx.targets().OwnShipIndex, 2);
    EXPECT_EQ(rx.targets().entry(2).VDOCount, 1);
}

TEST_F(ReceiverTest, AgeingFollowsTheClockAndRaisesRows) {
    feed(Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f))));
    feed(Join(Sentences(testing_support::ClassAReport(257000002, 59.5, 5.25, 0, 5))));
    events.rows.clear();
    clock.advance(15);
    rx.ageTargets();
    EXPECT_TRUE(events.rows.empty());
    clock.advance(30);
    rx.ageTargets();
    EXPECT_EQ(events.rows, std::vector<int>{1});
    EXPECT_EQ(rx.targets().entry(1).Status, "OLD");
    EXPECT_EQ(rx.targets().entry(2).Status, "NEW");  // moored: 360 s allowance
    // A wall clock set back an hour does not make silent targets fresh.
    clock.set(clock.now().addSeconds(-3600));
    clock.advance(400);
    rx.ageTargets();
    EXPECT_EQ(rx.targets().entry(2).Status, "OLD");
}

TEST_F(ReceiverTest, ClockGivesTheETAYearAndPeriodsAcrossMidnight) {
    clock.set(base::DateTime::fromCalendar(2027, 12, 31, 23, 59, 55));
    auto s5 = testing_support::StaticData(257000001, "NEW YEAR", "LANY");
    s5.ETA = base::DateTime::fromCalendar(2020, 6, 15, 8, 30);  // only month, day, hour and minute are sent
    feed(Join(Sentences(s5)));
    EXPECT_NEAR(rx.targets().entry(1).ETA.value(), base::DateTime::fromCalendar(2027, 6, 15, 8, 30).value(), 1e-8);

    const auto report = Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    feed(report);
    clock.advance(10.5);  // into the new year
    feed(report);
    const auto& t = rx.targets().entry(1);
    EXPECT_NEAR(t.TimerPeriod[0], 10.5f, 1e-3);
    EXPECT_EQ(t.Period[0], 11);  // whole seconds by calendar: 23:59:55 -> 00:00:05.5
    EXPECT_EQ(t.LastRxTime[0], clock.now());
    EXPECT_EQ(t.TrackedFor, 11);
}

// Damaged sentences in any number: every one is counted once, nothing
// pending grows beyond the assembler's bounds.
TEST_F(ReceiverTest, DamagedInputStaysCountedAndBounded) {
    std::mt19937 rng(3);
    const auto two = Sentences(testing_support::StaticData(257000002, "DAMAGED", "LADM"));
    const std::string base = two[0] + two[1] + Join(Sentences(testing_support::ClassAReport(257000001, 59, 5, 1)));
    const char alphabet[] = ",*!$0123456789AB\r\n\0\xff";
    for (int i = 0; i < 5000; ++i) {
        std::string s = base;
        for (int k = rng() % 4; k >= 0; --k) s[rng() % s.size()] = alphabet[rng() % (sizeof alphabet - 1)];
        feed(s);
        clock.advance(0.5);
    }
    expectBalanced();
    EXPECT_LE(rx.pendingFragments(), input::VdmAssembler::kMaxKeys * input::VdmAssembler::kMaxFragments);
    EXPECT_GT(rx.state().DecodedMessageCount, 0);
    EXPECT_GT(rx.state().MalformedCount + rx.state().NonAISCount, 0);
}

// A long stream from many stations: types, multi-part messages, a second
// channel and lost fragments, checked against what was sent.
TEST_F(ReceiverTest, LongStream) {
    constexpr int kStations = 300;
    input::SentenceBuilder builder;
    std::string stream;
    int sentences = 0, lost = 0, messages = 0;
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < kStations; ++i) {
            const int32_t mmsi = 257000000 + i;
            const char ch = (i + round) % 2 ? 'A' : 'B';
            std::vector<std::string> out;
            if (i % 10 == 9) {
                builder.build(ais::EncodePayload(testing_support::ClassBReport(mmsi, 60 + i * 1e-3, 5, 7)).payload, 0,
                              ch, false, out);
            } else {
                builder.build(ais::EncodePayload(testing_support::ClassAReport(mmsi, 60 + i * 1e-3, 5, 12)).payload, 0,
                              ch, false, out);
            }
            if (round % 5 == 0 && i % 10 != 9) {
                auto e = ais::EncodePayload(testing_support::StaticData(mmsi, "SHIP " + std::to_string(i), "LA"));
                std::vector<std::string> parts;
                builder.build(e.payload, e.fillBits, ch, false, parts);
                if (i % 50 == 0) {
                    parts.pop_back();  // the second part is lost on the air
                    lost++;
                } else {
                    messages++;
                }
                out.insert(out.end(), parts.begin(), parts.end());
            }
            for (const auto& s : out) stream += s;
            sentences += static_cast<int>(out.size());
            messages++;
        }
        clock.advance(1);
    }
    // Fed in odd-sized chunks, as a socket delivers them.
    for (size_t pos = 0; pos < stream.size(); pos += 1371) feed(stream.substr(pos, 1371));
    clock.advance(30);
    feed(Join(Sentences(testing_support::ClassAReport(257000000, 60, 5, 12))));
    sentences++;
    messages++;

    const input::RunState& s = rx.state();
    EXPECT_EQ(s.SentenceCount, sentences);
    EXPECT_EQ(s.DecodedMessageCount, messages);
    EXPECT_EQ(s.IncompleteMessageCount, lost);
    EXPECT_EQ(rx.targets().TargetCount, kStations);
    expectBalanced();
    const auto& t = rx.targets();
    for (int n = 1; n <= t.TargetCount; ++n) {
        const auto& e = t.entry(n);
        const int i = e.MMSI - 257000000;
        ASSERT_EQ(i, n - 1);
        EXPECT_EQ(e.Class, i % 10 == 9 ? "B" : "A");
        const int positions = 20 + (i == 0 ? 1 : 0);
        EXPECT_EQ(e.MsgCount[i % 10 == 9 ? 18 : 1], positions) << i;
        if (i % 10 != 9) {
            EXPECT_EQ(e.MsgCount[5], i % 50 == 0 ? 0 : 4) << i;
            if (i % 50 != 0) {
                EXPECT_EQ(e.Name.substr(0, 5), "SHIP ");
            }
        }
        EXPECT_EQ(e.ChACount + e.ChBCount, e.MsgCount[0]);
        EXPECT_EQ(e.Country, "Norway");
    }
}

}  // namespace
}  // namespace app
