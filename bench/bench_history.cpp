// The SQLite history's queries over 10 million stored positions: one
// station's 24-hour track, the situation at a moment (10-minute window),
// and the latest heard stations.
//
// The store (1,000 stations, a position every 10 s each, 10,000 per station)
// is filled once into a cache file and reused by later runs:
// $ORVANTA_BENCH_HISTORY, else bench_history_10m.sqlite in the working folder
// (run it from build/). Its size per position is reported as a counter.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "history/situation_table.h"
#include "history/sqlite_store.h"
#include "targets/reference.h"

namespace {

using history::TimeMs;

constexpr TimeMs T0 = 1'796'601'600'000;  // 2026-12-07T00:00:00Z
constexpr int kStations = 1000;
constexpr int kPerStation = 10000;
constexpr TimeMs kStep = 10'000;
constexpr TimeMs kDay = 86'400'000;

std::string CachePath() {
    const char* env = std::getenv("ORVANTA_BENCH_HISTORY");
    return env && *env ? env : "bench_history_10m.sqlite";
}

int32_t Mmsi(int station) { return 244000000 + station; }

// Fills the store a hundred steps (100,000 positions) per batch; a station
// moves along its own line, so its rows differ as a live feed's do.
bool Fill(history::HistoryStore& store) {
    for (int step = 0; step < kPerStation; step += 100) {
        history::Batch b;
        b.positions.reserve(100 * kStations);
        for (int k = step; k < step + 100; ++k) {
            for (int s = 0; s < kStations; ++s) {
                history::PositionRow p;
                p.time = T0 + k * kStep + s * 7;
                p.mmsi = Mmsi(s);
                p.input = 1;
                p.type = s % 5 == 0 ? 18 : 1;
                p.stationClass = s % 5 == 0 ? history::StationClass::ClassB : history::StationClass::ClassA;
                p.latitude = 50 + (s % 100) * 0.05 + k * 1e-5;
                p.longitude = 2 + (s / 100) * 0.3 + k * 2e-5;
                p.sog = static_cast<float>((s + k) % 200) / 10.0f;
                p.cog = static_cast<float>((s * 7 + k) % 3600) / 10.0f;
                p.heading = static_cast<int16_t>((s + k / 10) % 360);
                p.navStatus = static_cast<int16_t>(s % 3 == 0 ? 0 : 15);
                b.positions.push_back(p);
            }
        }
        if (const auto status = store.append(b); !status.ok()) {
            std::fprintf(stderr, "bench_history: %s\n", status.error.c_str());
            return false;
        }
    }
    return true;
}

history::HistoryStore* Store() {
    static std::unique_ptr<history::HistoryStore> store = [] {
        const std::string path = CachePath();
        const bool filled = std::filesystem::exists(path);
        std::string error;
        auto s = history::OpenSqliteStore(path, nullptr, &error);
        if (!s) {
            std::fprintf(stderr, "bench_history: %s\n", error.c_str());
            std::exit(1);
        }
        if (!filled && !Fill(*s)) {
            s.reset();
            std::filesystem::remove(path);
            std::exit(1);
        }
        return s;
    }();
    return store.get();
}

void BM_Track24h(benchmark::State& state) {
    auto* store = Store();
    int station = 0;
    size_t rows = 0;
    for (auto _ : state) {
        station = (station + 337) % kStations;
        const TimeMs from = T0 + (station % 3) * 3600'000;
        const auto track = store->track(Mmsi(station), from, from + kDay);
        rows = track.size();
        benchmark::DoNotOptimize(track.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
    const auto bytes = std::filesystem::file_size(CachePath());
    state.counters["file_bytes_per_position"] = static_cast<double>(bytes) / (kStations * double{kPerStation});
}
BENCHMARK(BM_Track24h)->Unit(benchmark::kMillisecond);

void BM_SituationAt(benchmark::State& state) {
    auto* store = Store();
    int k = 0;
    size_t rows = 0;
    for (auto _ : state) {
        k = (k + 1231) % kPerStation;
        const auto situation = store->situation(T0 + k * kStep + 5000, 600'000);
        rows = situation.size();
        benchmark::DoNotOptimize(situation.data());
    }
    state.counters["stations"] = static_cast<double>(rows);
}
BENCHMARK(BM_SituationAt)->Unit(benchmark::kMillisecond);

// The find box's history search: the latest 20 of every station (each
// brought up to date from its newest blocks), and one station by its MMSI.
void BM_LastSeen(benchmark::State& state) {
    auto* store = Store();
    const char* text = state.range(0) == 0 ? "" : "244000777";
    size_t rows = 0;
    for (auto _ : state) {
        const auto seen = store->lastSeen(text, 20);
        rows = seen.size();
        benchmark::DoNotOptimize(seen.data());
    }
    state.counters["stations"] = static_cast<double>(rows);
}
BENCHMARK(BM_LastSeen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The time bar's step into the past at the table's largest size: a
// situation of 20,000 stations, each last heard somewhere in the ten minutes
// before the moment, becomes a target table.
void BM_FillSituationTable20000(benchmark::State& state) {
    constexpr int kMany = 20000;
    const TimeMs at = T0 + kDay / 2;
    std::vector<history::SituationEntry> entries(kMany);
    for (int s = 0; s < kMany; ++s) {
        history::PositionRow& p = entries[static_cast<size_t>(s)].position;
        p.mmsi = Mmsi(s);
        p.time = at - (static_cast<TimeMs>(s) * 7919 % 600) * 1000;  // in no order by MMSI
        p.type = 1;
        p.stationClass = history::StationClass::ClassA;
        p.latitude = 50 + (s % 200) * 0.01;
        p.longitude = 2 + (s / 200) * 0.01;
        p.sog = 10;
        p.cog = static_cast<float>(s % 360);
    }
    targets::Reference reference;
    for (auto _ : state) {
        targets::TargetTable table;
        const history::SituationFill fill = history::FillSituationTable(table, entries, at, reference);
        benchmark::DoNotOptimize(fill.stations);
        state.counters["stations"] = fill.stations;
    }
}
BENCHMARK(BM_FillSituationTable20000)->Unit(benchmark::kMillisecond);

}  // namespace
