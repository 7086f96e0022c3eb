#include "plot/chart_prepare.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

#include "geodesy/grid.h"
#include "plot/chart_loader.h"

namespace plot {
namespace {

// Distance of p from the segment a-b.
double Off(const GridPoint& p, const GridPoint& a, const GridPoint& b) {
    const double de = b.e - a.e, dn = b.n - a.n, len2 = de * de + dn * dn;
    const double t = len2 == 0 ? 0 : std::clamp(((p.e - a.e) * de + (p.n - a.n) * dn) / len2, 0.0, 1.0);
    return std::hypot(p.e - a.e - t * de, p.n - a.n - t * dn);
}

// A wavy ring in metres: radius r with waves of `wave` metres, n points.
std::vector<GridPoint> WavyRing(size_t n, double r, double wave, bool repeatStart = false) {
    std::vector<GridPoint> out;
    for (size_t i = 0; i < n; ++i) {
        const double t = 2 * M_PI * static_cast<double>(i) / static_cast<double>(n);
        const double rr = r + wave * std::sin(61 * t) + wave / 4 * std::sin(977 * t);
        out.push_back({rr * std::cos(t), rr * std::sin(t)});
    }
    if (repeatStart) out.push_back(out.front());
    return out;
}

TEST(ChartSimplify, KeepsWhatATolerancePixelShowsAndNoMore) {
    std::vector<GridPoint> straight;
    for (int i = 0; i <= 1000; ++i) straight.push_back({i * 0.1, 0});
    std::vector<GridPoint> zigzag;  // 1 m teeth
    for (int i = 0; i <= 20; ++i) zigzag.push_back({i * 10.0, i % 2 ? 1.0 : 0.0});
    const std::vector<GridPoint> square = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    const std::vector<GridPoint> speck = {{0, 0}, {0.1, 0}, {0.1, 0.1}, {0, 0.1}, {0, 0}};
    struct Row {
        const char* what;
        const std::vector<GridPoint>& in;
        double tolerance;
        bool closed;
        std::vector<size_t> kept;
    };
    const Row rows[] = {
        {"a dense straight line: its ends", straight, 0.25, false, {0, 1000}},
        {"teeth larger than the tolerance all stay", zigzag, 0.5, false,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
        {"teeth smaller than it go", zigzag, 2, false, {0, 20}},
        {"a square ring: its corners, the start not repeated", square, 1, true, {0, 1, 2, 3}},
        {"a ring smaller than the tolerance: too few to draw", speck, 1, true, {0}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(SimplifyIndices(r.in, r.tolerance, r.closed), r.kept) << r.what;
    }
}

TEST(ChartSimplify, EveryDroppedPointStaysWithinTheToleranceOfALongRing) {
    // 200k points, more than the pieces the work is cut into.
    const std::vector<GridPoint> ring = WavyRing(200000, 20000, 40, true);
    for (double tolerance : {0.25, 4.0, 64.0}) {
        std::vector<size_t> kept = SimplifyIndices(ring, tolerance, true);
        EXPECT_LT(kept.size(), ring.size() / 4) << tolerance;
        ASSERT_TRUE(std::is_sorted(kept.begin(), kept.end()));
        kept.push_back(ring.size() - 1);  // the ring's repeated start closes it
        // Each point dropped lies near the segment that replaces it.
        double worst = 0;
        for (size_t k = 0; k + 1 < kept.size(); ++k) {
            for (size_t i = kept[k] + 1; i < kept[k + 1]; ++i) {
                worst = std::max(worst, Off(ring[i], ring[kept[k]], ring[kept[k + 1]]));
            }
        }
        // The cheap first pass may add half the tolerance.
        EXPECT_LE(worst, 1.5 * tolerance) << tolerance;
    }
}

TEST(ChartBands, CoarsestBandWithinHalfAPixel) {
    struct Row {
        double metresPerPixel;
        int band;
    };
    const Row rows[] = {{0.01, 0}, {0.5, 0}, {2.0, 1}, {132.3, 4}, {1e6, kChartBands - 1}};
    for (const Row& r : rows) {
        EXPECT_EQ(BandFor(r.metresPerPixel), r.band) << r.metresPerPixel;
        if (r.band > 0) {
            EXPECT_LE(BandTolerance(r.band), r.metresPerPixel / 2);
        }
    }
}

// A chart of one area around 52°N 4°E from ring points in metres.
std::shared_ptr<const VectorChart> AreaChart(const std::vector<GridPoint>& metres, const std::string& path) {
    VectorChart chart;
    chart.path = path;
    chart.layers = {"areas"};
    ChartFeature f;
    f.kind = FeatureKind::Area;
    std::vector<GeoPoint> ring;
    for (const GridPoint& p : metres) {
        ring.push_back({4.0 + p.e / (111320.0 * std::cos(52.0 * M_PI / 180)), 52.0 + p.n / 110574.0});
    }
    f.parts.push_back(std::move(ring));
    chart.features.push_back(std::move(f));
    return std::make_shared<const VectorChart>(std::move(chart));
}

geodesy::DatumTable Zone31() {
    geodesy::DatumTable d;
    geodesy::InitDatum(d);
    geodesy::SetZone(d, 31);
    return d;
}

size_t Points(const MapPicture& m) {
    size_t n = 0;
    for (const MapPath& p : m.paths) n += p.points.size();
    return n;
}

TEST(ChartPrepare, BandsShrinkAndTheDrawnPictureStaysSmallAtEveryScale) {
    const auto chart = AreaChart(WavyRing(200000, 20000, 40, true), "wavy.geojson");
    std::vector<double> fractions;
    PrepareControl control;
    control.progress = [&](double f) { fractions.push_back(f); };
    const PrepareResult r = PrepareChart(chart, Zone31(), control);
    ASSERT_TRUE(r.chart) << r.error;
    EXPECT_LT(r.chart->vertices, 200000u);
    for (int band = 1; band < kChartBands; ++band) {
        EXPECT_LE(r.chart->bands[band][0][0].points.size(), r.chart->bands[band - 1][0][0].points.size());
    }
    ASSERT_FALSE(fractions.empty());
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_DOUBLE_EQ(fractions.back(), 1.0);

    ChartSet set;
    set.add(r.chart);
    const GridPoint centre = ToGridPoint(Zone31(), 52.0, 4.0);
    for (int32_t scale : {1000, 50000, 500000, 10000000}) {
        const PlotView view{scale, centre.e + 20000, centre.n, 800, 600, 96 / 2.54};  // on the ring's east side
        MapPicture out;
        set.appendTo(out, view, Zone31(), 10);
        ASSERT_FALSE(out.paths.empty()) << scale;
        // No more than a few points per pixel of the picture's outline and the ring's visible length.
        EXPECT_LT(Points(out), 20000u) << scale;
    }
}

TEST(ChartPrepare, NoiseAboveTheBudgetIsDrawnFromACoarserBandOrRefused) {
    // 20,000 points jumping up to 500 m about a 20 km ring: only the bands
    // of 1 km and more smooth them away.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-500, 500);
    std::vector<GridPoint> noisy = WavyRing(20000, 20000, 0);
    for (GridPoint& p : noisy) p.e += jitter(random), p.n += jitter(random);
    const auto chart = AreaChart(noisy, "noisy.shp");
    PrepareControl control;
    control.budget = 5000;
    const PrepareResult r = PrepareChart(chart, Zone31(), control);
    ASSERT_TRUE(r.chart) << r.error;
    EXPECT_GE(r.chart->finest, 4);
    EXPECT_LE(r.chart->vertices, 5000u);
    ChartSet set;
    set.add(r.chart);
    const GridPoint centre = ToGridPoint(Zone31(), 52.0, 4.0);
    MapPicture fine;
    set.appendTo(fine, PlotView{1000, centre.e + 15000, centre.n, 800, 600, 96 / 2.54}, Zone31(), 10);
    EXPECT_EQ(fine.paths.size(), 1u);  // the picture inside the area, drawn from the finest band kept
    // At 1:500,000 neighbouring points lie pixels apart: only the
    // simplification keeps the painter from getting all of them.
    MapPicture whole;
    set.appendTo(whole, PlotView{500000, centre.e, centre.n, 800, 600, 96 / 2.54}, Zone31(), 10);
    EXPECT_LT(Points(whole), 2000u);

    control.budget = 2;  // not even a triangle
    const PrepareResult refused = PrepareChart(chart, Zone31(), control);
    EXPECT_FALSE(refused.chart);
    EXPECT_FALSE(refused.cancelled);
    EXPECT_EQ(refused.error, "Cannot open chart noisy.shp: it keeps more than 2 points even simplified for the "
                             "smallest scale, too many to draw");

    std::atomic<bool> cancel{true};
    control = {};
    control.cancel = &cancel;
    const PrepareResult stopped = PrepareChart(chart, Zone31(), control);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.chart);
    EXPECT_TRUE(stopped.error.empty());
}

TEST(ChartLoader, WorksOffTheCallersThreadAndHandsBackByValue) {
    const auto chart = AreaChart(WavyRing(200000, 20000, 40, true), "big.shp");
    std::mutex m;
    std::condition_variable cv;
    std::vector<ChartLoader::Outcome> outcomes;
    std::thread::id openedOn, doneOn;
    std::atomic<bool> release{false};
    ChartLoader loader(
        [&](const std::string& path, const std::atomic<bool>* cancelled) {
            openedOn = std::this_thread::get_id();
            // The first chart waits until the test lets it go, or is cancelled.
            while (path == "slow.shp" && !release && !*cancelled) std::this_thread::yield();
            ChartOpenResult r;
            if (path == "missing.shp") r.error = "Cannot open chart missing.shp: it does not exist";
            else if (!*cancelled) r.chart = *chart;
            return r;
        },
        [&](ChartLoader::Outcome o) {
            doneOn = std::this_thread::get_id();
            std::lock_guard lock(m);
            outcomes.push_back(std::move(o));
            cv.notify_all();
        });
    const geodesy::DatumTable datum = Zone31();
    loader.submit({"slow.shp", true, nullptr, datum});
    loader.submit({"queued.shp", true, nullptr, datum});
    EXPECT_EQ(loader.pending(), 2u);  // the caller was not kept waiting
    loader.cancel();
    release = true;
    loader.submit({"big.shp", false, nullptr, datum});
    loader.submit({"missing.shp", true, nullptr, datum});
    std::unique_lock lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(60), [&] { return outcomes.size() == 4; }));
    EXPECT_NE(openedOn, std::this_thread::get_id());
    EXPECT_NE(doneOn, std::this_thread::get_id());
    // The queued one is dropped at once, the running one stops.
    std::map<std::string, const ChartLoader::Outcome*> by;
    for (const auto& o : outcomes) by[o.job.path] = &o;
    EXPECT_TRUE(by["queued.shp"]->cancelled);
    EXPECT_TRUE(by["slow.shp"]->cancelled);
    ASSERT_TRUE(by["big.shp"]->prepared);
    EXPECT_FALSE(by["big.shp"]->job.visible);
    EXPECT_EQ(by["missing.shp"]->error, "Cannot open chart missing.shp: it does not exist");
    EXPECT_FALSE(by["missing.shp"]->refused);
}

}  // namespace
}  // namespace plot
