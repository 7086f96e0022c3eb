#include "plot/chart_loader.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plot {

ChartLoader::ChartLoader(Opener opener, std::function<void(Outcome)> done, std::function<void(Progress)> progress,
                         size_t budget)
    : opener_(std::move(opener)),
      done_(std::move(done)),
      progress_(std::move(progress)),
      budget_(budget),
      thread_([this] { run(); }) {}

ChartLoader::~ChartLoader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    cancel_ = true;
    wake_.notify_all();
    thread_.join();
}

void ChartLoader::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void ChartLoader::cancel() {
    std::deque<Job> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(queue_);
        if (running_ > 0) cancel_ = true;
    }
    for (Job& job : dropped) done_({std::move(job), nullptr, {}, true});
}

size_t ChartLoader::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size() + running_;
}

void ChartLoader::run() {
    // Below the window's thread: on a busy machine the window answers first.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            running_ = 1;
            cancel_ = false;
        }
        Outcome outcome = work(std::move(job));
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            outcome.cancelled = outcome.cancelled || cancel_;
            if (outcome.cancelled) outcome.prepared.reset(), outcome.error.clear();
            running_ = 0;
        }
        done_(std::move(outcome));
    }
}

ChartLoader::Outcome ChartLoader::work(Job job) {
    Outcome out;
    auto waiting = [this] {
        std::lock_guard lock(mutex_);
        return queue_.size();
    };
    if (progress_) progress_({job.path, 0, waiting()});
    std::shared_ptr<const VectorChart> chart = job.chart;
    if (!chart) {
        ChartOpenResult r = opener_(job.path, &cancel_);
        if (!r.chart) {
            out.error = r.error;
            out.cancelled = r.error.empty();
            out.job = std::move(job);
            return out;
        }
        chart = std::make_shared<const VectorChart>(std::move(*r.chart));
    }
    PrepareControl control;
    control.cancel = &cancel_;
    control.budget = budget_;
    if (progress_) {
        control.progress = [this, &job, &waiting](double f) { progress_({job.path, f, waiting()}); };
    }
    PrepareResult r = PrepareChart(chart, job.datum, control);
    out.prepared = std::move(r.chart);
    out.error = std::move(r.error);
    out.cancelled = r.cancelled;
    out.refused = !out.error.empty();
    out.job = std::move(job);
    return out;
}

}  // namespace plot
