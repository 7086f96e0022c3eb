// Watch-keeping at the largest capacity: a replay of 20,000 stations (own ship
// included, so every report also recomputes a CPA), the ageing pass over a
// full table, the own ship's report recomputing every approach, and making
// every estimated approach exact.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "station/receiver.h"
#include "cli/sim/simulator.h"
#include "targets/watch.h"

namespace {

struct Traffic {
    std::vector<std::string> lines;
    std::vector<double> times;  // scenario seconds of each line
};

// Two minutes of a 20,000-station area: every station heard.
const Traffic& Stations20000() {
    static const Traffic traffic = [] {
        sim::SimulatorOptions o;
        o.scenario.stations = targets::kMaxCapacity;
        o.scenario.seed = 3;
        sim::Simulator s(o);
        Traffic t;
        sim::Emission e;
        for (s.next(e); e.time < 120; s.next(e)) {
            for (const auto& line : e.sentences) {
                t.lines.push_back(line);
                t.times.push_back(e.time);
            }
        }
        return t;
    }();
    return traffic;
}

void replay(app::Receiver& rx, base::ManualClock& clock, const Traffic& t) {
    double last = 0, nextAgeing = 15;
    for (size_t i = 0; i < t.lines.size(); ++i) {
        clock.advance(t.times[i] - last);
        last = t.times[i];
        rx.takeBytes(app::Receiver::kMainInput, t.lines[i]);
        if (last >= nextAgeing) {
            rx.ageTargets();
            nextAgeing += 15;
        }
    }
}

void BM_Replay20000Stations(benchmark::State& state) {
    const Traffic& t = Stations20000();
    int targetsHeld = 0;
    for (auto _ : state) {
        base::ManualClock clock;
        app::ReceiverEvents events;
        app::Receiver rx(clock, events);
        rx.targets().setLifecycle({360, 1080, 1800, targets::kMaxCapacity});
        replay(rx, clock, t);
        targetsHeld = rx.targets().TargetCount();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * t.lines.size()));
    state.counters["targets"] = targetsHeld;
    state.counters["sentences"] = static_cast<double>(t.lines.size());
}
BENCHMARK(BM_Replay20000Stations)->Unit(benchmark::kMillisecond);

struct FullTable {
    base::ManualClock clock;
    app::ReceiverEvents events;
    app::Receiver rx{clock, events};
    FullTable() {
        rx.targets().setLifecycle({360, 1080, 1800, targets::kMaxCapacity});
        replay(rx, clock, Stations20000());
    }
};

void BM_AgeingPass20000(benchmark::State& state) {
    FullTable f;
    for (auto _ : state) f.rx.ageTargets();
    state.counters["targets"] = f.rx.targets().TargetCount();
}
BENCHMARK(BM_AgeingPass20000)->Unit(benchmark::kMicrosecond);

void BM_OwnShipMoves20000(benchmark::State& state) {
    FullTable f;
    const int own = targets::OwnShipEntry(f.rx.targets(), f.rx.reference());
    targets::AlarmEpisodes episodes;
    for (auto _ : state) {
        targets::UpdateAllApproaches(f.rx.targets(), own, f.rx.alarmSettings(), f.rx.clock().monotonicSeconds(), episodes);
        episodes.clear();
    }
    int withCpa = 0;
    for (int n = 1; n <= f.rx.targets().EntryCount(); ++n) withCpa += f.rx.targets().entry(n).HasCPA ? 1 : 0;
    state.counters["with_cpa"] = withCpa;
}
BENCHMARK(BM_OwnShipMoves20000)->Unit(benchmark::kMillisecond);

// The display's once-a-second refinement at its worst: every approach in the
// table an estimate (each target reported since the last pass).
void BM_RefineEveryApproach20000(benchmark::State& state) {
    FullTable f;
    targets::TargetTable& table = f.rx.targets();
    int refined = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int n = 1; n <= table.EntryCount(); ++n) table.entry(n).CPAEstimated = table.entry(n).HasCPA;
        state.ResumeTiming();
        f.rx.refineApproaches();
    }
    for (int n = 1; n <= table.EntryCount(); ++n) refined += table.entry(n).HasCPA ? 1 : 0;
    state.counters["refined"] = refined;
}
BENCHMARK(BM_RefineEveryApproach20000)->Unit(benchmark::kMillisecond);

}  // namespace
