// The target list at the largest capacity: the full rewrite of 20,000 rows
// after a sort, their CPA cells after the own ship moved, and the list kept
// sorted by CPA once a second; each followed by reading a screenful of rows,
// as the list view does when it repaints. BM_ListPaintScreenful paints the
// screenful itself (offscreen) after the own ship moved, with the list's own
// cell delegate (Arg 1) or the standard one (Arg 0) for comparison.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <QImage>
#include <QStyledItemDelegate>
#include <QHeaderView>
#include <QTableView>
#include <string>
#include <vector>

#include "simulated_station.h"
#include "cli/sim/simulator.h"
#include "station/receiver.h"
#include "targets/target_sort.h"
#include "targets/watch.h"
#include "windows/targets/list_cell_delegate.h"
#include "windows/targets/target_list_model.h"

namespace {

constexpr int kScreenful = 40;

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

// What the list view reads when it repaints: the cells of the rows it shows.
void readScreenful(const targets::TargetListModel& model, int firstRow = 0) {
    for (int r = firstRow; r < firstRow + kScreenful && r < model.rowCount(); ++r) {
        for (int c = 0; c < targets::kListColumns; ++c) {
            benchmark::DoNotOptimize(model.data(model.index(r, c)));
            benchmark::DoNotOptimize(model.data(model.index(r, c), Qt::ForegroundRole));
        }
    }
}

void BM_ListSortAndRefresh20000(benchmark::State& state) {
    Full f;
    targets::TargetListModel model(f.rx.targets(), f.rx.reference());
    model.flush();
    int column = targets::kColSOG;
    for (auto _ : state) {
        targets::SortTargets(f.rx.targets(), column, false, 0);
        model.RefreshTargetList();
        readScreenful(model);
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
        readScreenful(model);
    }
}
BENCHMARK(BM_ListApproachCells20000)->Unit(benchmark::kMillisecond);

using WithOwnShip = bench_support::SimulatedStation;

// The once-a-second pass of a list kept sorted by CPA while the own ship
// moves: the CPA cells owed to every row, the re-sort, the rows reordered,
// and the screenful shown. The approaches themselves are computed outside
// the timing (bench_watch measures them).
void BM_ListKeptSortedByCPA20000(benchmark::State& state) {
    WithOwnShip f;
    targets::TargetTable& table = f.rx.targets();
    targets::TargetListModel model(table, f.rx.reference());
    model.flush();
    targets::SortTargets(table, targets::kColCPA, false, f.rx.reference().mode());
    model.RefreshTargetList();
    const int own = targets::OwnShipEntry(table, f.rx.reference());
    targets::AlarmEpisodes episodes;
    for (auto _ : state) {
        state.PauseTiming();
        table.entry(own).Fix.Latitude += 0.0005;  // about 100 m north since the last pass
        targets::UpdateAllApproaches(table, own, f.rx.alarmSettings(), f.rx.clock().monotonicSeconds(), episodes);
        episodes.clear();
        state.ResumeTiming();
        model.UpdateApproachCells();
        model.flush();
        if (targets::SortTargets(table, targets::kColCPA, false, f.rx.reference().mode(), /*endNewMarks=*/false)) {
            model.RowsReordered();
        }
        readScreenful(model);
    }
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_ListKeptSortedByCPA20000)->Unit(benchmark::kMillisecond);

void BM_ListPaintScreenful(benchmark::State& state) {
    WithOwnShip f;
    targets::TargetTable& table = f.rx.targets();
    targets::TargetListModel model(table, f.rx.reference());
    model.flush();
    targets::SortTargets(table, targets::kColCPA, false, f.rx.reference().mode());
    model.RefreshTargetList();
    QTableView view;
    view.setModel(&model);
    if (state.range(0) == 1) view.setItemDelegate(new targets::ListCellDelegate(&view));
    view.resize(1340, kScreenful * view.verticalHeader()->defaultSectionSize());
    view.resizeColumnsToContents();
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    const int own = targets::OwnShipEntry(table, f.rx.reference());
    targets::AlarmEpisodes episodes;
    double renderNs = 0;
    int renders = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table.entry(own).Fix.Latitude += 0.0005;  // new CPA and TCPA texts in every row
        targets::UpdateAllApproaches(table, own, f.rx.alarmSettings(), f.rx.clock().monotonicSeconds(), episodes);
        episodes.clear();
        model.UpdateApproachCells();
        model.flush();
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        view.render(&image);
        renderNs += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
        ++renders;
    }
    state.counters["render_ms"] = renderNs / renders / 1e6;
}
BENCHMARK(BM_ListPaintScreenful)->ArgName("cached")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
