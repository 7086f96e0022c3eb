// What the web view costs the receive thread at the largest capacity: each
// of its texts built from a table of 20,000 simulated stations (two minutes
// of their reports, the own ship among them). The station builds a text at
// most once a second however many clients ask, so each figure is that
// second's share of the receive thread.
#include <benchmark/benchmark.h>

#include "simulated_station.h"
#include "web/snapshot.h"

namespace {

bench_support::SimulatedStation& Full() {
    static bench_support::SimulatedStation station;
    return station;
}

void BM_WebView(benchmark::State& state) {
    const auto view = static_cast<web::View>(state.range(0));
    const app::Receiver& rx = Full().rx;
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = web::BuildView(rx, view, 1796601600000);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.counters["targets"] = rx.targets().TargetCount();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WebView)
    ->ArgName("view")
    ->Arg(static_cast<int>(web::View::Targets))
    ->Arg(static_cast<int>(web::View::Compact))
    ->Arg(static_cast<int>(web::View::GeoJson))
    ->Arg(static_cast<int>(web::View::Stats))
    ->Arg(static_cast<int>(web::View::Alarms))
    ->Unit(benchmark::kMillisecond);

// The longest the receive thread is held at once while a list is served: one
// slice of 256 targets (the station's slice), from the middle of the list.
void BM_WebViewSlice(benchmark::State& state) {
    const auto view = static_cast<web::View>(state.range(0));
    const app::Receiver& rx = Full().rx;
    for (auto _ : state) {
        state.PauseTiming();
        web::ListBuild build(rx, view);
        build.step(10000);
        state.ResumeTiming();
        build.step(256);
    }
}
BENCHMARK(BM_WebViewSlice)
    ->ArgName("view")
    ->Arg(static_cast<int>(web::View::Targets))
    ->Arg(static_cast<int>(web::View::Compact))
    ->Arg(static_cast<int>(web::View::GeoJson))
    ->Unit(benchmark::kMillisecond);

}  // namespace
