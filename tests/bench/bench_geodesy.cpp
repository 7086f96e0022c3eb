// Range/bearing and grid conversion speed: every position report recomputes
// its target's range and bearing, and the plot converts every target to grid
// once a second.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "geodesy/geodetic.h"
#include "geodesy/grid.h"

namespace {

struct Pair {
    double lat1, lon1, lat2, lon2;
};

// Targets within radio range of a reference position in the North Sea.
const std::vector<Pair>& Pairs() {
    static const std::vector<Pair> pairs = [] {
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> d(-0.6, 0.6);
        std::vector<Pair> v(4096);
        for (auto& p : v) {
            p = {60 * geodesy::kDegToRad, 5 * geodesy::kDegToRad, (60 + d(rng)) * geodesy::kDegToRad,
                 (5 + d(rng)) * geodesy::kDegToRad};
        }
        return v;
    }();
    return pairs;
}

void BM_GeodeticInverse(benchmark::State& state) {
    const auto& pairs = Pairs();
    size_t i = 0;
    double distance = 0, bearing = 0;
    for (auto _ : state) {
        const Pair& p = pairs[i++ & 4095];
        geodesy::GeodeticInverse(p.lat1, p.lon1, p.lat2, p.lon2, geodesy::kInverseBoth, distance, bearing,
                                 geodesy::kWgs84B, geodesy::kWgs84F);
        benchmark::DoNotOptimize(distance);
        benchmark::DoNotOptimize(bearing);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GeodeticInverse);

// To grid and back, as the plot and a typed grid position do.
void BM_GridForwardAndInverse(benchmark::State& state) {
    const auto& pairs = Pairs();
    geodesy::DatumTable table;
    geodesy::InitDatum(table);
    base::NullMessageSink sink;
    size_t i = 0;
    for (auto _ : state) {
        const Pair& p = pairs[i++ & 4095];
        double lat = p.lat2, lon = p.lon2, e = 0, n = 0;
        geodesy::GridConvert(table, 1, lat, lon, e, n, geodesy::GridDirection::GeogToGrid, sink);
        geodesy::GridConvert(table, 1, lat, lon, e, n, geodesy::GridDirection::GridToGeog, sink);
        benchmark::DoNotOptimize(lat);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GridForwardAndInverse);

}  // namespace
