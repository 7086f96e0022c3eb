#include "station/read_ahead.h"

#include <utility>

namespace app {

ReadAheadFeed::ReadAheadFeed(Receiver& rx, const base::Clock& readingClock, std::function<void()> afterSentence)
    : rx_(rx), readingClock_(readingClock), after_(std::move(afterSentence)), worker_([this] { work(); }) {}

ReadAheadFeed::~ReadAheadFeed() { finish(); }

void ReadAheadFeed::takeBytes(int input, std::string_view bytes) {
    const Receiver::ReadAhead ahead(rx_, current_, readingClock_, [this] { afterSentence(); });
    rx_.takeBytes(input, bytes);
}

void ReadAheadFeed::endOfStream(int input) {
    const Receiver::ReadAhead ahead(rx_, current_, readingClock_, [this] { afterSentence(); });
    rx_.endOfStream(input);
}

void ReadAheadFeed::afterSentence() {
    if (after_) after_();
    if (current_.size() >= kBatchSentences) handOver();
}

void ReadAheadFeed::handOver() {
    std::unique_lock lock(mutex_);
    emptied_.wait(lock, [this] { return ready_.size() < kBatchesAhead; });
    ready_.push_back(std::move(current_));
    if (spare_.empty()) {
        current_ = SentenceBatch();
    } else {
        current_ = std::move(spare_.back());
        spare_.pop_back();
    }
    current_.clear();
    filled_.notify_one();
}

void ReadAheadFeed::finish() {
    if (finished_) return;
    finished_ = true;
    if (!current_.empty()) handOver();
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
    }
    filled_.notify_one();
    worker_.join();
}

void ReadAheadFeed::work() {
    for (;;) {
        SentenceBatch batch;
        {
            std::unique_lock lock(mutex_);
            filled_.wait(lock, [this] { return !ready_.empty() || ended_; });
            if (ready_.empty()) return;
            batch = std::move(ready_.front());
            ready_.pop_front();
        }
        emptied_.notify_one();
        rx_.applyBatch(batch);
        batch.clear();
        const std::lock_guard lock(mutex_);
        spare_.push_back(std::move(batch));
    }
}

}  // namespace app
