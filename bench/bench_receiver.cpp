// The whole receive pipeline per sentence: framing, type and field split,
// reassembly, decoding, the target table and its statistics, over the
// benchmark traffic of 1500 stations (sim::BenchmarkTraffic). The table fills
// up to its 1000 entries early and stays full, as on a busy coast.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "station/receiver.h"
#include "cli/sim/simulator.h"

namespace {

const std::string& Stream(size_t& sentenceCount) {
    static size_t count = 0;
    static const std::string stream = [] {
        const std::vector<std::string> v = sim::BenchmarkSentences(200000, 11);
        count = v.size();
        std::string s;
        for (const auto& line : v) s += line;
        return s;
    }();
    sentenceCount = count;
    return stream;
}

void BM_ReceivePipeline(benchmark::State& state) {
    size_t sentences = 0;
    const std::string& stream = Stream(sentences);
    const size_t block = static_cast<size_t>(state.range(0));
    base::ManualClock clock;
    app::ReceiverEvents events;
    app::Receiver rx(clock, events);
    rx.setInputTests({.CheckChecksum = true});
    for (auto _ : state) {
        for (size_t pos = 0; pos < stream.size(); pos += block) {
            rx.takeBytes(app::Receiver::kMainInput, std::string_view(stream).substr(pos, block));
            clock.advance(1);
        }
        rx.ageTargets();
    }
    benchmark::DoNotOptimize(rx.totals().DecodedMessageCount);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * sentences));
    state.counters["targets"] = rx.targets().TargetCount();
}
// Block sizes: a serial port's notification, a socket read, a file block.
BENCHMARK(BM_ReceivePipeline)->Arg(256)->Arg(4096)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
