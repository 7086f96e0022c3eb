// Decoding speed over the benchmark traffic (sim::BenchmarkTraffic): whole
// messages through DecodeAISMessage, and the sentence layer in front of it.
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

// The complete messages of those sentences.
const std::vector<ais::EncodedPayload>& Payloads() {
    static const std::vector<ais::EncodedPayload> payloads = [] {
        std::vector<ais::EncodedPayload> v;
        input::VDMFields fields;
        input::VdmAssembler assembler;
        for (const auto& s : Sentences()) {
            if (input::ExtractVDM(s, fields) == input::ExtractResult::Ok &&
                assembler.add(input::SentenceKind::VDM, fields, 0.0) == input::VdmAssembler::Status::Complete)
                v.push_back({std::string(assembler.payload()), assembler.fillBits()});
        }
        return v;
    }();
    return payloads;
}

void BM_DecodeAISMessage(benchmark::State& state) {
    const auto& payloads = Payloads();
    ais::AISMessageRecord record;
    size_t i = 0;
    for (auto _ : state) {
        const auto& p = payloads[i];
        benchmark::DoNotOptimize(ais::DecodeAISMessage(p.payload, record, p.fillBits, 0, kNow));
        if (++i == payloads.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeAISMessage);

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
