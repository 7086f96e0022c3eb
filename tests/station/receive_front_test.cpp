// The receive pipeline split over two threads (a front that frames, checks
// and decodes; the receiver applying its steps) must build what the receiver
// builds alone, to the byte: counters, the target table, the last record and
// the error text, on a spoiled feed of every message type, whatever the
// ring's size and the input tests.
#include "station/receive_front.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>

#include "cli/sim/fault_injector.h"
#include "cli/sim/simulator.h"
#include "sentence/checksum.h"
#include "station/receiver.h"
#include "support/recording_events.h"
#include "targets/target_export.h"

namespace app {
namespace {

constexpr double kStep = 0.01;  // clock seconds per sentence, as a replay's

// A VDM sentence with a good checksum and a fragment count beyond 16 bits.
std::string Malformed() {
    const std::string body = "!AIVDM,70000,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*";
    return body + input::NMEAChecksum(body) + "\r\n";
}

// Busy traffic of every type, one message in ten spoiled (bad checksums,
// lost and interleaved fragments, cut lines, garbage, lines beyond 64 KiB),
// every third from one of three tagged sources, and now and then a malformed
// sentence.
std::string SpoiledTraffic(int messages) {
    sim::Simulator simulator(sim::BenchmarkTraffic(11));
    sim::FaultInjector faults({.rate = 0.1, .seed = 5});
    sim::Emission e;
    std::string bytes;
    int64_t group = 0;
    for (int i = 0; i < messages; ++i) {
        simulator.next(e);
        if (i % 3 == 0) sim::AddTagBlocks(e.sentences, "rx" + std::to_string(i % 9 / 3), 1765000000 + i, group);
        faults.apply(e.sentences, bytes);
        if (i % 700 == 0) bytes += Malformed();
    }
    faults.flush(bytes);
    bytes += "!AIVDM,2,1,7,A,55NBXqP00001L@O7W?0<tSF0l4Q@00000000000P00000000000000";  // no line end
    return bytes;
}

struct Built {
    input::ReceiverTotals totals;
    input::InputCounters counters;
    int64_t pending = 0;
    std::string table, lastError;
    std::string sources;  // every entry's tag-block source and time
    ais::AISMessageRecord record;
};

class Run {
public:
    explicit Run(const input::InputTests& tests) {
        rx.setInputTests(tests);
        rx.setAfterSentence([this] { clock.advance(kStep); });
    }
    Built built() {
        std::string sources;
        const targets::TargetTable& table = rx.targets();
        for (int n = 1; n <= table.EntryCount(); ++n) {
            const targets::TargetRecord& t = table.entry(n);
            sources += std::to_string(t.MMSI) + " " + t.LastSource + " " + std::to_string(t.LastTagTime) + "\n";
        }
        return {rx.totals(), *rx.inputCounters(Receiver::kMainInput), rx.pendingFragments(),
                targets::TargetsGeoJson(rx.targets(), clock.monotonicSeconds()), rx.lastExtractError(),
                sources, rx.messageRecord()};
    }
    base::ManualClock clock;
    testing_support::RecordingEvents events;
    Receiver rx{clock, events};
};

// The bytes in notifications of `block` bytes (a line may span two).
template <typename Take>
void InBlocks(const std::string& bytes, size_t block, Take take) {
    for (size_t at = 0; at < bytes.size(); at += block) take(std::string_view(bytes).substr(at, block));
}

Built OnOneThread(const std::string& bytes, const input::InputTests& tests, size_t block) {
    Run run(tests);
    InBlocks(bytes, block, [&](std::string_view b) { run.rx.takeBytes(Receiver::kMainInput, b); });
    run.rx.endOfStream(Receiver::kMainInput);
    return run.built();
}

Built OnTwoThreads(const std::string& bytes, const input::InputTests& tests, size_t block, size_t batches,
                   size_t steps) {
    Run run(tests);
    StepRing ring(batches, steps);
    ReceiveFront front(run.clock, kStep, tests, run.rx.binaryStandard(), ring);
    std::thread reader([&] {
        InBlocks(bytes, block, [&](std::string_view b) { front.take(b); });
        front.endOfStream();
        ring.close();
    });
    while (const StepBatch* batch = ring.next()) {
        EXPECT_LE(batch->steps().size(), steps);
        for (const ReceiveStep& step : batch->steps()) run.rx.takeStep(Receiver::kMainInput, step, *batch);
    }
    reader.join();
    return run.built();
}

TEST(ReceiveFront, TwoThreadsBuildWhatOneBuilds) {
    const std::string bytes = SpoiledTraffic(6000);
    const struct {
        input::InputTests tests;
        size_t block, batches, steps;
    } cases[] = {
        {{}, 4096, 8, 256},
        {{}, 1 << 20, 2, 1},  // every step a hand-over
        {{.CheckChecksum = true}, 777, 3, 7},
        {{.CheckChecksum = true, .EmptyBuffer = true}, 300, 4, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "checksum " << c.tests.CheckChecksum << ", empty buffer "
                                        << c.tests.EmptyBuffer << ", ring " << c.batches << " x " << c.steps);
        const Built one = OnOneThread(bytes, c.tests, c.block);
        const Built two = OnTwoThreads(bytes, c.tests, c.block, c.batches, c.steps);
        // The feed reached every outcome the comparison is about.
        EXPECT_GT(one.totals.DecodedMessageCount, 500);
        EXPECT_GT(one.totals.IncompleteFragmentCount + one.totals.OverflowCount, 0);
        EXPECT_GT(one.totals.NonAISCount, 0);
        EXPECT_TRUE(c.tests.CheckChecksum ? one.totals.ChecksumErrorCount > 0 : true);
        EXPECT_TRUE(c.tests.EmptyBuffer ? one.totals.IgnoredCount > 0 : true);
        EXPECT_GT(one.totals.MalformedCount, 0);
        EXPECT_FALSE(one.lastError.empty());
        EXPECT_TRUE(one.totals == two.totals);
        EXPECT_TRUE(one.counters == two.counters);
        EXPECT_EQ(one.pending, two.pending);
        EXPECT_EQ(one.table, two.table);
        EXPECT_EQ(one.lastError, two.lastError);
        EXPECT_NE(one.sources.find(" rx2 "), std::string::npos);
        EXPECT_EQ(one.sources, two.sources);
        EXPECT_TRUE(one.record == two.record);
    }
}

// The applier may stop early (an exception on its side): the filler then
// neither waits for room nor hands anything over, and finishes.
TEST(StepRing, CancelledRingLetsTheFillerFinish) {
    StepRing ring(2, 4);
    int filled = 0;
    std::thread filler([&] {
        for (; filled < 10000; ++filled) ring.add().bytes = filled;
        ring.close();
    });
    const StepBatch* first = ring.next();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->steps().size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(first->steps()[static_cast<size_t>(i)].bytes, i);
    ring.cancel();
    filler.join();
    EXPECT_EQ(filled, 10000);
    EXPECT_TRUE(ring.cancelled());
}

}  // namespace
}  // namespace app
