// The target list at the largest capacity: the full rewrite of 20,000 rows
// after a sort, and their CPA cells after the own ship moved.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <string>

#include "station/receiver.h"
#include "windows/targets/target_list_model.h"
#include "targets/target_sort.h"

namespace {

struct Full {
    base::ManualClock clock;
    app::ReceiverEvents events;
    app::Receiver rx{clock, events};
    Full() {
        targets::TargetTable& t = rx.targets();
        t.setLifecycle({360, 1080, 1800, targets::kMaxCapacity});
        ais::AISMessageRecord rec;
        targets::TableContext ctx;
        for (int i = 0; i < targets::kMaxCapacity; ++i) {
            rec.Type1.MMSI = 200000000 + i;
            rec.Type1.Latitude = 59 + (i % 200) * 0.01;
            rec.Type1.Longitude = 10 + (i / 200) * 0.01;
            rec.Type1.SOG = static_cast<float>(i % 25);
            rec.Type1.COG = static_cast<float>(i % 360);
            t.AddOrUpdateTarget(input::SentenceKind::VDM, 1, rec, ctx);
        }
    }
};

void BM_ListSortAndRefresh20000(benchmark::State& state) {
    Full f;
    targets::TargetListModel model(f.rx.targets(), f.rx.reference());
    model.flush();
    int column = targets::kColSOG;
    for (auto _ : state) {
        targets::SortTargets(f.rx.targets(), column, false, 0);
        model.RefreshTargetList();
        column = column == targets::kColSOG ? targets::kColMMSI : targets::kColSOG;
    }
}
BENCHMARK(BM_ListSortAndRefresh20000)->Unit(benchmark::kMillisecond);

void BM_ListApproachCells20000(benchmark::State& state) {
    Full f;
    targets::TargetListModel model(f.rx.targets(), f.rx.reference());
    model.flush();
    for (auto _ : state) {
        model.UpdateApproachCells();
        model.flush();
    }
}
BENCHMARK(BM_ListApproachCells20000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
