// Accounting of the whole receive chain on a spoiled feed: simulated traffic
// with faults injected goes through the Receiver as TCP notifications, and
// every sentence must end in exactly one counted outcome, each outcome count
// must equal what the injected faults explain, and every message the faults
// left intact must be decoded, to the same record a clean decode gives and
// attributed to the station that sent it.
//
// ORVANTA_ACCOUNTING_SENTENCES=1000000 runs the long version (a measurement,
// not part of the suite).
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "station/receiver.h"
#include "base/clock.h"
#include "cli/sim/fault_injector.h"
#include "cli/sim/simulator.h"
#include "support/intake_decoder.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"

namespace {

using sim::Fault;

constexpr Fault kDestroying[] = {Fault::WrongChecksum, Fault::LowerCaseChecksum, Fault::LostFragment,
                                 Fault::TruncatedLine, Fault::LongLine};

// The record a clean decode of the message's own sentences gives, starting
// from the record the receiver held before it.
ais::AISMessageRecord cleanDecode(const std::vector<std::string>& sentences, const ais::AISMessageRecord& before,
                                  base::DateTime now, int standard) {
    testing_support::IntakeDecoder dec(standard);
    dec.record = before;
    dec.now = now;
    for (const std::string& s : sentences) dec.feed(s);
    return dec.record;
}

int64_t sentencesToRun() {
    const char* env = std::getenv("ORVANTA_ACCOUNTING_SENTENCES");
    return env ? std::atoll(env) : 30000;
}

TEST(ReceiverAccounting, EverySentenceEndsInOneOutcomeThatTheInjectedFaultsExplain) {
    sim::SimulatorOptions options;
    options.scenario.stations = 400;
    options.scenario.seed = 5;
    sim::Simulator simulator(options);
    sim::FaultInjector faults({0.05, 17, true});

    base::ManualClock clock;
    testing_support::RecordingEvents events;
    app::Receiver rx(clock, events);
    rx.setInputTests({.CheckChecksum = true});

    int64_t expectIncompleteFragments = 0;  // surviving fragments of destroyed messages
    int64_t expectDecodedSentences = 0;
    std::array<int64_t, 64> expectByType{};
    int64_t compared = 0, attributed = 0;

    const int64_t wanted = sentencesToRun();
    sim::Emission e;
    std::string bytes;
    std::vector<size_t> splits;
    double lastTime = 0;
    ais::AISMessageRecord before;
    while (faults.counts().sentencesIn < wanted) {
        simulator.next(e);
        clock.advance(e.time - lastTime);
        lastTime = e.time;
        bytes.clear(), splits.clear();
        faults.apply(e.sentences, bytes, &splits);
        const bool destroyed = std::ranges::any_of(kDestroying, [&](Fault f) { return faults.lastFault() == int(f); });
        if (destroyed) {
            expectIncompleteFragments += static_cast<int64_t>(e.sentences.size()) - 1;
        } else {
            expectDecodedSentences += static_cast<int64_t>(e.sentences.size());
            ++expectByType[static_cast<size_t>(e.messageType)];
        }

        const int64_t decodedBefore = rx.totals().DecodedMessageCount;
        const size_t rowsBefore = events.rows.size();
        before = rx.messageRecord();
        size_t from = 0;
        for (size_t cut : splits) {
            rx.takeBytes(app::Receiver::kMainInput, std::string_view(bytes).substr(from, cut - from));
            from = cut;
        }
        rx.takeBytes(app::Receiver::kMainInput, std::string_view(bytes).substr(from));

        // Exactly this message was decoded: check it against a clean decode
        // and the sending station.
        const bool written = bytes.find(e.sentences.back()) != std::string::npos;
        if (!destroyed && written && rx.totals().DecodedMessageCount == decodedBefore + 1) {
            const ais::AISMessageRecord expected =
                cleanDecode(e.sentences, before, clock.now(), rx.binaryStandard());
            ASSERT_TRUE(testing_support::SameSubRecord(rx.messageRecord(), expected, e.messageType))
                << "type " << e.messageType << " from " << e.mmsi << ": " << e.sentences.front();
            ++compared;
            if (events.rows.size() == rowsBefore + 1) {
                ASSERT_EQ(rx.targets().entry(events.rows.back()).MMSI, e.mmsi) << "type " << e.messageType;
                ++attributed;
            }
        }
        events.shown.clear();
    }
    bytes.clear();
    faults.flush(bytes);
    rx.takeBytes(app::Receiver::kMainInput, bytes);

    const sim::FaultCounts& c = faults.counts();
    const input::ReceiverTotals s = rx.totals();
    int64_t destroyedMessages = 0;
    for (Fault f : kDestroying) destroyedMessages += c[f];
    for (size_t k = 0; k < sim::kFaultKinds; ++k) EXPECT_GT(c.injected[k], 0) << sim::FaultName(static_cast<Fault>(k));

    // Lines: every line written is a sentence, except the overlong ones, which
    // the framer drops whole and counts apart.
    EXPECT_EQ(s.OverflowCount, c.overlongLines);
    EXPECT_EQ(s.SentenceCount, c.linesOut - c.overlongLines);
    EXPECT_EQ(s.IgnoredCount, 0);
    // Outcomes, each against the faults that cause it.
    EXPECT_EQ(s.ChecksumErrorCount, c[Fault::WrongChecksum] + c[Fault::LowerCaseChecksum] + c[Fault::TruncatedLine]);
    EXPECT_EQ(s.NonAISCount, c[Fault::GarbageBytes] + c[Fault::OtherTalker] + c[Fault::LongLine] - c.overlongLines);
    EXPECT_EQ(s.MalformedCount, 0);
    EXPECT_EQ(s.IncompleteFragmentCount + rx.pendingFragments(), expectIncompleteFragments);
    EXPECT_EQ(s.DecodedSentenceCount, expectDecodedSentences);
    EXPECT_EQ(s.DecodedMessageCount, c.messages - destroyedMessages);
    for (size_t t = 0; t < 64; ++t) EXPECT_EQ(s.MessageTypeCount[t], expectByType[t]) << "type " << t;

    EXPECT_GT(compared, (c.messages - destroyedMessages) * 9 / 10);
    EXPECT_GT(attributed, compared / 2);
    // Each message an entry took is counted in that entry's statistics, once.
    std::vector<int32_t> taken(static_cast<size_t>(rx.targets().TargetCount()) + 1, 0);
    for (int n : events.rows) ++taken[static_cast<size_t>(n)];
    for (int n = 1; n <= rx.targets().TargetCount(); ++n) EXPECT_EQ(rx.targets().entry(n).MsgCount[0], taken[n]) << n;
}

}  // namespace
