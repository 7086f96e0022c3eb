// TrafficMix: a reproducible stream of realistic AIS messages for benchmarks,
// load tests and demos, built with the encoder. The message mix follows busy
// coastal traffic: about 55% Class A position reports (types 1-3), 12% Class B
// (18), 8% static and voyage data (5, two sentences), 6% static data reports
// (24, parts A and B), and the rest base stations (4), aids to navigation
// (21), binary broadcasts (8), addressed binary (6), SAR aircraft (9), safety
// broadcasts (14) and extended Class B reports (19). A fleet of vessels moves
// between messages so positions, speeds and names are plausible.
//
//   sim::TrafficMix mix(42);
//   std::vector<std::string> sentences;
//   for (int i = 0; i < 1000; ++i) mix.nextSentences(sentences);   // appends NMEA lines
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ais/encoder.h"
#include "input/sentence_builder.h"

namespace sim {

class TrafficMix {
public:
    explicit TrafficMix(uint32_t seed = 1, int fleetSize = 2000);

    // The next message as a payload; returns its type.
    int nextPayload(ais::EncodedPayload& out);
    // The next message as one or more sentences appended to out; returns its type.
    int nextSentences(std::vector<std::string>& out);

private:
    struct Vessel {
        int32_t mmsi;
        double lat, lon;
        float sog, cog;
        int navStatus;
        int shipType;
        std::string name, callSign, destination;
        bool classB;
    };
    Vessel& pick(bool classB);
    std::string randomName(int words);

    std::mt19937 rng_;
    std::vector<Vessel> fleet_;
    input::SentenceBuilder builder_;
    int tick_ = 0;
};

}  // namespace sim
