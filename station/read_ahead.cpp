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
    // Full: wait until the worker has taken half, not just one, so the two
    // sides run in long stretches instead of waking each other for every
    // batch. (The worker wakes this side as the count falls to half.)
    if (count_ == kBatchesAhead) emptied_.wait(lock, [this] { return count_ <= kBatchesAhead / 2; });
    // The free slot holds an applied, cleared batch: its pools come back to
    // the reading side.
    slots_[(head_ + count_) % kBatchesAhead].swap(current_);
    ++count_;
    // An idle worker waits for half the slots: it is woken as they fill.
    if (count_ == kBatchesAhead / 2) filled_.notify_one();
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
        size_t slot = 0;
        {
            std::unique_lock lock(mutex_);
            if (count_ == 0 && !ended_) filled_.wait(lock, [this] { return count_ >= kBatchesAhead / 2 || ended_; });
            if (count_ == 0) return;
            slot = head_;
        }
        // The reading side fills only slots after the ones handed over, so
        // this one is the worker's until count_ says otherwise.
        rx_.applyBatch(slots_[slot]);
        slots_[slot].clear();
        bool wake = false;
        {
            const std::lock_guard lock(mutex_);
            head_ = (head_ + 1) % kBatchesAhead;
            --count_;
            wake = count_ == kBatchesAhead / 2;
        }
        if (wake) emptied_.notify_one();
    }
}

}  // namespace app
