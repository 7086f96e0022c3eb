// A chart made ready for drawing: its geometry in grid metres, simplified
// once per scale band so that no more points reach the painter than a pixel
// can show, whatever the source held (a shoreline of millions of points).
//
//   auto source = std::make_shared<const plot::VectorChart>(std::move(chart));
//   plot::PrepareResult r = plot::PrepareChart(source, plot.datum, {});
//   if (!r.chart) report(r.error);          // refused: too many points even simplified
//   r.chart->bands[plot::BandFor(view.metresPerPixel())]   // what to draw at this scale
//
// Band k keeps every point that lies more than 0.25 m * 4^k off the
// simplified line (Douglas-Peucker); the plot draws the coarsest band whose
// tolerance is at most half a pixel. The bands are worked out in local
// metres, each from the one before, and only the points drawn are converted
// to the grid. A band that keeps more points than the budget is not kept:
// larger scales draw the finest band within it (noise finer than that is
// smoothed away), and a chart above the budget even at the coarsest band is
// refused. The work is cancellable and reports its progress, so it can run
// off the window thread.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geodesy/geodetic.h"
#include "plot/chart_set.h"
#include "plot/map_layer.h"

namespace plot {

inline constexpr int kChartBands = 8;
inline constexpr double kFinestTolerance = 0.25;  // metres, band 0
// Points a band of a chart may keep.
inline constexpr size_t kChartVertexBudget = 1'000'000;

// 0.25 m * 4^band.
double BandTolerance(int band);
// The coarsest band whose tolerance is at most half a pixel (band 0 below that).
int BandFor(double metresPerPixel);

// The indices of the points kept: every point of the result lies within
// `tolerance` of the input's line and the other way round. The first point is
// always kept, the last too for an open line. A closed ring (its last point
// may repeat the first or not) gives no repeated end; fewer than 3 points
// when the whole ring is smaller than the tolerance. Long inputs are done
// in pieces so that no input costs more than linear time times a constant.
std::vector<size_t> SimplifyIndices(const std::vector<GridPoint>& points, double tolerance, bool closed);
std::vector<GridPoint> Simplify(const std::vector<GridPoint>& points, double tolerance, bool closed);

struct PreparedChart {
    std::shared_ptr<const VectorChart> source;
    int zone = -1;  // the grid zone the points are in
    // bands[band][feature][part]; a part simplified away is empty. Bands
    // finer than `finest` are above the budget and empty.
    std::array<std::vector<std::vector<GridPath>>, kChartBands> bands;
    int finest = 0;
    size_t vertices = 0;  // points of the finest band
    // The band drawn at this many metres per pixel.
    const std::vector<std::vector<GridPath>>& drawn(double metresPerPixel) const {
        return bands[static_cast<size_t>(std::max(finest, BandFor(metresPerPixel)))];
    }
};

struct PrepareControl {
    const std::atomic<bool>* cancel = nullptr;  // set: stop as soon as possible
    std::function<void(double)> progress;       // 0..1, now and then
    size_t budget = kChartVertexBudget;
};

struct PrepareResult {
    std::shared_ptr<const PreparedChart> chart;
    std::string error;  // when there is no chart and it was not cancelled
    bool cancelled = false;
};

PrepareResult PrepareChart(std::shared_ptr<const VectorChart> source, const geodesy::DatumTable& datum,
                           const PrepareControl& control);

}  // namespace plot
