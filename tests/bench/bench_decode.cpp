// Decoding speed over the benchmark traffic (sim::BenchmarkTraffic): the
// sentence layer and the decoder, per sentence.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ais/decoder.h"
#include "cli/sim/simulator.h"
#include "input/checksum.h"
#include "input/vdm.h"

namespace {

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 12, 6, 12, 0, 0);

const std::vector<std::string>& Sentences() {
    static const std::vector<std::string> sentences = sim::BenchmarkSentences(20000, 7);
    return sentences;
}

// Checksum, field extraction, reassembly and decoding, per sentence.
void BM_SentenceToRecord(benchmark::State& state) {
    const auto& sentences = Sentences();
    ais::AISMessageRecord record;
    input::VDMFields fields;
    input::VdmAssembler assembler;
    ais::PayloadBits bits;
    size_t i = 0;
    for (auto _ : state) {
        const std::string& s = sentences[i];
        if (input::ChecksumValid(s) && input::ExtractVDM(s, fields) == input::ExtractResult::Ok &&
            assembler.add(input::SentenceKind::VDM, fields, 0.0) == input::VdmAssembler::Status::Complete) {
            bits.load(assembler.payload());
            benchmark::DoNotOptimize(ais::DecodeAISMessage(bits, record, assembler.fillBits(), 0, kNow));
        }
        if (++i == sentences.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SentenceToRecord);

}  // namespace
