// The plot's drawing, painted as the window paints it (offscreen, 800x600):
//
//   BM_RedrawAfterZoom      the static layer after a change of scale or centre
//                           at 1:50,000 in the skerries of the outer Oslofjord
//                           (59.0-59.5°N, 10.2-11.0°E): coastline bins from the
//                           cache, projected, clipped, painted
//   BM_PerSecondRefresh     the once-a-second pass with 1000 targets: trail dots
//                           onto the persistent layer, the moving layer with its
//                           labels placed, and the paint of both; the land is not
//                           touched
//   BM_PerSecondRefresh20000  the same at 1:500,000 with the 20,000 stations of
//                           the simulator's largest area (two minutes in)
//   BM_StaticLayerAt500000  the static layer at 1:500,000 over that area: the
//                           coastlines, rings and grid after a change of view
//   BM_PlaceLabels1500      label placement alone: 1,500 labels in the picture
//                           among 6,000 symbol and vector boxes
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>

#include "station/receiver.h"
#include "base/clock.h"
#include "cli/sim/simulator.h"
#include "geodesy/grid.h"
#include "windows/plot/plot_paint_window.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

plot::PlotState PlotAt(double lat, double lon, int32_t scale) {
    plot::PlotState plot;
    geodesy::SetZone(plot.datum, geodesy::ZoneFromLongitude(lon));
    base::NullMessageSink quiet;
    plot::SetupPlot(plot, lat, lon, kWidth, kHeight, quiet);
    plot.scale = scale;
    plot::SetupPlot(plot, lat, lon, kWidth, kHeight, quiet);
    return plot;
}

// Views at 1:50,000 across the area, one after another as the operator pans and zooms.
std::vector<plot::PlotView> ArchipelagoViews(const plot::PlotState& plot) {
    std::vector<plot::PlotView> views;
    for (double lat = 59.05; lat < 59.5; lat += 0.1) {
        for (double lon = 10.3; lon < 11.0; lon += 0.15) {
            const plot::GridPoint g = plot::ToGridPoint(plot.datum, lat, lon);
            views.push_back({50000, g.e, g.n, kWidth, kHeight, 96 / 2.54});
        }
    }
    return views;
}

void BM_RedrawAfterZoom(benchmark::State& state) {
    plot::PlotState plot = PlotAt(59.25, 10.6, 50000);
    plot::PlotMap map;
    if (!map.coastlines().installed(plot::ShoreResolution::High)) {
        state.SkipWithError("high coastlines not installed");
        return;
    }
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    const plot::TextMeasure measure = plot::MeasureWith(painter.font());
    const std::vector<plot::PlotView> views = ArchipelagoViews(plot);
    for (const plot::PlotView& v : views) plot::PaintStaticLayer(painter, map, plot, v, measure);  // fills the cache
    size_t i = 0;
    for (auto _ : state) {
        const plot::PlotView& v = views[i++ % views.size()];
        plot.centreE = v.centreE, plot.centreN = v.centreN;
        benchmark::DoNotOptimize(plot::PaintStaticLayer(painter, map, plot, v, measure));
    }
    state.counters["views"] = static_cast<double>(views.size());
}
BENCHMARK(BM_RedrawAfterZoom)->Unit(benchmark::kMillisecond);

// Targets of the simulator around a centre after some minutes.
struct Quiet final : app::ReceiverEvents {
    void operatorMessage(base::MessageIcon, const std::string&, const std::string&) override {}
};

struct Traffic {
    base::ManualClock clock{base::SystemClock().now()};
    Quiet events;
    app::Receiver rx{clock, events};
    double lat, lon;
    Traffic(double centreLat, double centreLon, int stations, double seconds) : lat(centreLat), lon(centreLon) {
        rx.targets().setLifecycle({360, 1080, 1800, targets::kMaxCapacity});
        sim::SimulatorOptions options;
        options.scenario.centre = {lat, lon};
        options.scenario.stations = stations;
        options.occasionalRate = 0;
        sim::Simulator simulator(options);
        sim::Emission e;
        // The clock runs with the scenario, as at a receiver: reports heard
        // at one clock reading would make the table order them one by one.
        double at = 0;
        for (simulator.next(e); e.time < seconds; simulator.next(e)) {
            clock.advance(e.time - at);
            at = e.time;
            for (const std::string& s : e.sentences) rx.takeBytes(app::Receiver::kMainInput, s);
        }
        rx.reference().setMode(targets::kRefManual);
        rx.reference().moveTo(lat, lon);
    }
};

// The default scenario's centre (the approaches to a North Sea port).
const Traffic& Stations20000() {
    static const Traffic traffic(51.98, 3.95, targets::kMaxCapacity, 120);
    return traffic;
}

void perSecondRefresh(benchmark::State& state, const Traffic& traffic) {
    plot::PlotState plot = PlotAt(traffic.lat, traffic.lon, 500000);
    plot::PlotMap map;
    QImage persistent(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QImage screen(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&persistent);
    const plot::TextMeasure measure = plot::MeasureWith(p.font());
    const plot::PlotView view = plot.view(kWidth, kHeight, 96 / 2.54);
    const std::vector<plot::LabelBox> taken = plot::PaintStaticLayer(p, map, plot, view, measure);
    base::NullMessageSink quiet;
    const targets::TargetTable& table = traffic.rx.targets();
    size_t labels = 0;
    for (auto _ : state) {
        std::vector<plot::Shape> dots;
        plot::StoreTracks(plot, table, dots, quiet, &view);
        plot::PaintShapes(p, dots, view);
        std::vector<plot::Shape> moving = plot::MovingLayer(plot, table, traffic.rx.reference(), {}, view, measure, taken);
        QPainter s(&screen);
        s.drawImage(0, 0, persistent);
        s.setRenderHint(QPainter::Antialiasing);
        plot::PaintShapes(s, moving, view);
        labels = static_cast<size_t>(std::count_if(moving.begin(), moving.end(), [](const plot::Shape& x) {
            return x.kind == plot::Shape::Kind::Text;
        }));
    }
    state.counters["targets"] = table.TargetCount();
    state.counters["labels"] = static_cast<double>(labels);
}

void BM_PerSecondRefresh(benchmark::State& state) {
    static const Traffic traffic(59.25, 10.6, 1000, 600);
    perSecondRefresh(state, traffic);
}
BENCHMARK(BM_PerSecondRefresh)->Unit(benchmark::kMillisecond);

void BM_PerSecondRefresh20000(benchmark::State& state) { perSecondRefresh(state, Stations20000()); }
BENCHMARK(BM_PerSecondRefresh20000)->Unit(benchmark::kMillisecond);

// Views at 1:500,000 a few miles apart, as the picture follows the own ship.
void BM_StaticLayerAt500000(benchmark::State& state) {
    const Traffic& traffic = Stations20000();
    plot::PlotState plot = PlotAt(traffic.lat, traffic.lon, 500000);
    plot::PlotMap map;
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    const plot::TextMeasure measure = plot::MeasureWith(painter.font());
    const double e0 = plot.centreE, n0 = plot.centreN;
    int k = 0;
    for (auto _ : state) {
        plot.centreE = e0 + (k % 5) * 3000.0, plot.centreN = n0 + (k / 5 % 5) * 3000.0;
        ++k;
        benchmark::DoNotOptimize(plot::PaintStaticLayer(painter, map, plot, plot.view(kWidth, kHeight, 96 / 2.54), measure));
    }
    state.counters["coastlines"] = map.coastlines().installed(plot::ShoreResolution::High) ? 1 : 0;
}
BENCHMARK(BM_StaticLayerAt500000)->Unit(benchmark::kMillisecond);

// As many labels as a busy picture at 1:500,000 asks for, among the boxes of
// their symbols and speed vectors.
void BM_PlaceLabels1500(benchmark::State& state) {
    std::vector<plot::LabelRequest> requests;
    std::vector<plot::LabelBox> obstacles;
    uint32_t seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>((seed >> 8) % static_cast<uint32_t>(range));
    };
    for (int i = 0; i < 1500; ++i) {
        const double x = next(kWidth + 128) - 64, y = next(kHeight + 128) - 64;
        requests.push_back({x, y, 40 + next(50), 13, 1 + i % 3, i == 0});
        for (int k = 0; k < 4; ++k) obstacles.push_back({x + 3 * k - 1.5, y - 1.5, x + 3 * k + 1.5, y + 1.5});
    }
    size_t placed = 0;
    for (auto _ : state) {
        const std::vector<plot::LabelPlacement> spots = plot::PlaceLabels(requests, obstacles);
        placed = static_cast<size_t>(std::count_if(spots.begin(), spots.end(), [](const plot::LabelPlacement& p) {
            return p.spot != plot::LabelSpot::Dropped;
        }));
    }
    state.counters["placed"] = static_cast<double>(placed);
}
BENCHMARK(BM_PlaceLabels1500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
