// A receiver fed on two threads: the caller's thread frames, counts and
// decodes (Receiver::ReadAhead) into batches of a few hundred sentences; a
// worker thread takes the batches in order to the table (applyBatch). The
// table, its statistics, the watch, the events and the sentence observer all
// run on the worker, in the order and with the clock readings a feed on one
// thread gives, so the outcome is the same; the two halves just overlap.
//
//   base::ManualClock reading = clock;         // moves on in step with `clock`
//   app::ReadAheadFeed feed(rx, reading, [&] { reading.advance(0.01); });
//   feed.takeBytes(app::Receiver::kMainInput, block);   // as often as needed
//   feed.endOfStream(app::Receiver::kMainInput);
//   feed.finish();                              // every sentence applied
//
// For a headless run: the receiver must not be touched from elsewhere until
// finish() returned (the destructor finishes too).
#pragma once

#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

#include "base/clock.h"
#include "station/receiver.h"
#include "station/sentence_batch.h"

namespace app {

class ReadAheadFeed {
public:
    // `readingClock` is what the reading side reads; `afterSentence` runs
    // there after each sentence (where a caller moves that clock on).
    ReadAheadFeed(Receiver& rx, const base::Clock& readingClock, std::function<void()> afterSentence);
    ~ReadAheadFeed();
    ReadAheadFeed(const ReadAheadFeed&) = delete;
    ReadAheadFeed& operator=(const ReadAheadFeed&) = delete;

    void takeBytes(int input, std::string_view bytes);
    void endOfStream(int input);
    // Hands over the last batch and waits until the worker applied all.
    void finish();
    // Sentences read so far (the reading side's count).
    int64_t sentencesRead() const { return rx_.sentencesRead(); }

    // Sentences per batch, and batches read ahead at most (bounds memory).
    static constexpr size_t kBatchSentences = 256;
    static constexpr size_t kBatchesAhead = 16;

private:
    void afterSentence();
    void handOver();
    void work();

    Receiver& rx_;
    const base::Clock& readingClock_;
    std::function<void()> after_;
    SentenceBatch current_;  // being filled by the reading side
    // Batches handed over, applied in turn: slots_[head_], ... (count_ of
    // them). Contents move in and out by swapping, so no batch is ever
    // allocated again once every slot has been used.
    std::array<SentenceBatch, kBatchesAhead> slots_;
    size_t head_ = 0;
    size_t count_ = 0;
    std::mutex mutex_;
    std::condition_variable filled_;   // a batch is ready, or the end
    std::condition_variable emptied_;  // the worker is done with one
    bool ended_ = false;
    bool finished_ = false;
    std::thread worker_;
};

}  // namespace app
