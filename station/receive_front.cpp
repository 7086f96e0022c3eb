#include "station/receive_front.h"

#include "ais/decoder.h"

namespace app {

const StepExtra StepBatch::kNone;

StepRing::StepRing(size_t batches, size_t stepsPerBatch)
    : batches_(batches < 2 ? 2 : batches), perBatch_(stepsPerBatch < 1 ? 1 : stepsPerBatch) {
    for (StepBatch& b : batches_) b.steps_.resize(perBatch_);
}

ReceiveStep& StepRing::add() {
    StepBatch* b = &batches_[filling_ % batches_.size()];
    if (b->count_ == perBatch_) {
        handOver(false);
        b = &batches_[filling_ % batches_.size()];
    }
    return b->steps_[b->count_++];
}

void StepRing::keepMessage(ReceiveStep& step, int type, const ais::AISMessageRecord& message) {
    StepBatch& b = batches_[filling_ % batches_.size()];
    uint32_t& used = b.used_[static_cast<size_t>(type) < b.used_.size() ? static_cast<size_t>(type) : 0];
    step.type = type;
    step.record = used;
    // An entry of an earlier batch is assigned over: its texts keep their room.
    const bool kept = ais::WithSubRecords(b.records, message, type, [&](auto& list, const auto& sub) {
        if (used < list.size()) {
            list[used] = sub;
        } else {
            list.push_back(sub);
        }
    });
    if (kept) ++used;
}

StepExtra& StepRing::extra(ReceiveStep& step) {
    StepBatch& b = batches_[filling_ % batches_.size()];
    if (b.extrasUsed_ == b.extras_.size()) b.extras_.emplace_back();
    step.extra = ++b.extrasUsed_;
    return b.extras_[step.extra - 1];
}

void StepRing::close() { handOver(true); }

bool StepRing::cancelled() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

// The batch being filled goes to the applier; unless this was the last, the
// filler goes on with the next batch once the applier has given it back.
void StepRing::handOver(bool last) {
    std::unique_lock<std::mutex> lock(mutex_);
    StepBatch& b = batches_[filling_ % batches_.size()];
    if (b.count_ > 0 && !cancelled_) ++handedOver_;
    if (last) {
        closed_ = true;
        ready_.notify_one();
        return;
    }
    if (applierWaits_) ready_.notify_one();
    if (!cancelled_ && handedOver_ - givenBack_ >= batches_.size()) {
        fillerWaits_ = true;
        room_.wait(lock, [&] { return cancelled_ || handedOver_ - givenBack_ < batches_.size(); });
        fillerWaits_ = false;
    }
    // Once cancelled nobody reads any more: the same batch is filled again.
    if (!cancelled_) filling_ = handedOver_;
    StepBatch& next = batches_[filling_ % batches_.size()];
    next.count_ = 0;
    next.used_.fill(0);
    next.extrasUsed_ = 0;
}

const StepBatch* StepRing::next() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (holding_) {
        ++givenBack_;
        holding_ = false;
        if (fillerWaits_ && handedOver_ - givenBack_ <= batches_.size() / 2) room_.notify_one();
    }
    if (givenBack_ == handedOver_ && !closed_) {
        applierWaits_ = true;
        ready_.wait(lock, [&] { return givenBack_ < handedOver_ || closed_; });
        applierWaits_ = false;
    }
    if (givenBack_ == handedOver_) return nullptr;
    holding_ = true;
    return &batches_[givenBack_ % batches_.size()];
}

void StepRing::cancel() {
    const std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    room_.notify_one();
}

ReceiveFront::ReceiveFront(const base::ManualClock& clock, double secondsPerSentence, const input::InputTests& tests,
                           int16_t binaryStandard, StepRing& ring)
    : clock_(clock),
      step_(secondsPerSentence),
      checkChecksum_(tests.CheckChecksum),
      binaryStandard_(binaryStandard),
      ring_(ring),
      framer_(*this) {
    framer_.setEmptyBuffer(tests.EmptyBuffer);
}

void ReceiveFront::take(std::string_view bytes) {
    ReceiveStep& begin = ring_.add();
    begin.kind = ReceiveStep::Kind::Notification;
    begin.bytes = static_cast<int64_t>(bytes.size());
    framer_.receive(bytes);
    ReceiveStep& done = ring_.add();
    done.kind = ReceiveStep::Kind::NotificationDone;
    ring_.extra(done).framer = framer_.counts();
}

void ReceiveFront::endOfStream() {
    if (framer_.lineUnfinished()) take("\n");
}

void ReceiveFront::handleSentence(std::string_view sentence) {
    ReceiveStep& s = ring_.add();
    s.kind = ReceiveStep::Kind::Sentence;
    s.bytes = static_cast<int64_t>(sentence.size());
    const int64_t fragments = intake_.incompleteFragments(), messages = intake_.incompleteMessages();
    const input::IntakeOutcome in = intake_.take(sentence, clock_.monotonicSeconds(), checkChecksum_);
    s.result = in.result;
    s.sentenceKind = in.kind;
    s.channel = in.channel;
    s.sentences = in.sentences;
    s.time = in.time;
    s.incompleteFragments = intake_.incompleteFragments() - fragments;
    s.incompleteMessages = intake_.incompleteMessages() - messages;
    s.extra = 0;
    if (in.result == input::IntakeResult::Malformed && !in.errorText.empty()) {
        ring_.extra(s).errorText.assign(in.errorText);
    }
    if (in.result == input::IntakeResult::Message) {
        if (!in.source.empty()) ring_.extra(s).source.assign(in.source);
        const int type = ais::DecodeAISMessage(in.payload, record_, in.fillBits, binaryStandard_, clock_.now());
        ring_.keepMessage(s, type, record_);
    }
    clock_.advance(step_);
}

void ReceiveFront::sentenceIgnored() {
    ReceiveStep& s = ring_.add();
    s.kind = ReceiveStep::Kind::Ignored;
    ring_.extra(s).framer = framer_.counts();
}

}  // namespace app
