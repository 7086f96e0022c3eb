// Opens and prepares charts on a thread of its own, one after the other, so
// the window that asked keeps answering while a chart of millions of points
// is read and simplified. Results come back by value through `done`, called
// on the loader's thread (the window posts them to its own).
//
//   plot::ChartLoader loader(opener, [](plot::ChartLoader::Outcome o) { post(o); },
//                            [](plot::ChartLoader::Progress p) { post(p); });
//   loader.submit({"/charts/big.shp", true, nullptr, plot.datum});
//   loader.cancel();      // drops what waits, stops what runs; each gets a cancelled outcome
//
// The opener is OpenVectorChart in the program; tests give their own.
// Destroying the loader cancels and waits for its thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "plot/chart_prepare.h"
#include "plot/gdal/ogr_chart.h"

namespace plot {

class ChartLoader {
public:
    struct Job {
        std::string path;
        bool visible = true;
        // Set: prepare this chart again (for another zone) instead of opening the path.
        std::shared_ptr<const VectorChart> chart;
        geodesy::DatumTable datum;
    };
    struct Outcome {
        Job job;
        std::shared_ptr<const PreparedChart> prepared;
        std::string error;  // refused or unreadable; empty when prepared or cancelled
        bool cancelled = false;
        bool refused = false;  // read, but too detailed to draw
    };
    struct Progress {
        std::string path;
        double fraction = 0;  // 0..1; reading counts as 0
        size_t waiting = 0;   // jobs queued behind it
    };
    using Opener = std::function<ChartOpenResult(const std::string& path, const std::atomic<bool>* cancel)>;

    ChartLoader(Opener opener, std::function<void(Outcome)> done, std::function<void(Progress)> progress = {},
                size_t budget = kChartVertexBudget);
    ~ChartLoader();
    ChartLoader(const ChartLoader&) = delete;
    ChartLoader& operator=(const ChartLoader&) = delete;

    void submit(Job job);
    void cancel();
    // Jobs queued or running.
    size_t pending() const;

private:
    void run();
    Outcome work(Job job);

    Opener opener_;
    std::function<void(Outcome)> done_;
    std::function<void(Progress)> progress_;
    size_t budget_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    size_t running_ = 0;
    bool stopping_ = false;
    std::atomic<bool> cancel_{false};
    std::thread thread_;  // last: started once everything above is in place
};

}  // namespace plot
