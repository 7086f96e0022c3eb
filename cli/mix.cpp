// orvanta-cli mix: writes the benchmark traffic mix (sim::TrafficMix) as NMEA
// sentences, so decoding speed can be measured on the same file by any tool.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/sim/traffic_mix.h"
#include "cli/command.h"

namespace {

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: orvanta-cli mix COUNT [--seed N]\n"
                 "\n"
                 "Writes at least COUNT !AIVDM sentences (a two-sentence message is not cut) of a\n"
                 "realistic message mix to standard output: about 55%% types 1-3, 12%% type 18,\n"
                 "8%% two-sentence type 5, 6%% type 24 and the rest types 4, 21, 8, 6, 9, 14, 19.\n"
                 "The same COUNT and seed always give the same text (default seed 12345).\n");
}

int runMix(int argc, char** argv) {
    long count = -1;
    unsigned long seed = 12345;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        }
        if (a == "--seed" && i + 1 < argc) {
            seed = std::strtoul(argv[++i], nullptr, 10);
        } else if (count < 0 && !a.empty() && a[0] != '-') {
            count = std::strtol(argv[i], nullptr, 10);
        } else {
            usage(stderr);
            return 2;
        }
    }
    if (count < 0) {
        usage(stderr);
        return 2;
    }
    sim::TrafficMix mix(static_cast<uint32_t>(seed));
    std::vector<std::string> sentences;
    std::string out;
    long written = 0;
    while (written < count) {
        sentences.clear();
        mix.nextSentences(sentences);
        for (const auto& s : sentences) out += s;
        written += static_cast<long>(sentences.size());
        if (out.size() >= (1u << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

const cli::Registration kMix{"mix", "benchmark traffic mix: COUNT NMEA sentences of realistic message types", runMix};

}  // namespace
