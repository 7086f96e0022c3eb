// Rng: the simulator's own pseudo-random generator (xoshiro256**, seeded via
// splitmix64). The standard library's distributions differ between library
// versions, so every draw here is computed by this file alone: the same seed
// gives the same scenario and the same bytes on every build.
//
//   sim::Rng rng(42);
//   double u = rng.uniform();            // [0, 1)
//   int k = rng.range(3, 7);             // 3..7 inclusive
//   double d = rng.exponential(120.0);   // mean 120
#pragma once

#include <cmath>
#include <cstdint>

namespace sim {

class Rng {
public:
    explicit Rng(uint64_t seed = 1) { reseed(seed); }

    void reseed(uint64_t seed) {
        uint64_t x = seed;
        for (auto& s : s_) s = splitmix(x);
    }

    uint64_t next() {
        const uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    // Uniform in [0, 1), 53 bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [lo, hi].
    int range(int lo, int hi) {
        if (hi <= lo) return lo;
        const uint64_t span = static_cast<uint64_t>(hi - lo) + 1;
        return lo + static_cast<int>(next() % span);
    }
    bool chance(double p) { return uniform() < p; }
    // Exponentially distributed with the given mean (a Poisson process's gaps).
    double exponential(double mean) { return -mean * std::log(1.0 - uniform()); }

    // A child generator whose stream does not overlap this one's in practice.
    Rng fork() { return Rng(next() ^ 0x9E3779B97F4A7C15ULL); }

private:
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static uint64_t splitmix(uint64_t& x) {
        uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    uint64_t s_[4];
};

}  // namespace sim
