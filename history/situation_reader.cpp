#include "history/situation_reader.h"

#include "history/situation_table.h"

namespace history {

SituationReader::SituationReader(Opener open, Deliver deliver)
    : open_(std::move(open)), deliver_(std::move(deliver)), thread_([this] { run(); }) {}

SituationReader::~SituationReader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void SituationReader::setLocation(std::string location) {
    std::lock_guard lock(mutex_);
    location_ = std::move(location);
}

void SituationReader::ask(const Question& q) {
    {
        std::lock_guard lock(mutex_);
        pending_ = q;
    }
    wake_.notify_one();
}

void SituationReader::askSpan() {
    {
        std::lock_guard lock(mutex_);
        spanWanted_ = true;
    }
    wake_.notify_one();
}

void SituationReader::run() {
    for (;;) {
        std::optional<Question> q;
        std::string location;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || pending_ || spanWanted_; });
            if (stopping_) return;
            q = std::exchange(pending_, std::nullopt);
            spanWanted_ = false;
            location = location_;
        }
        deliver_(answer(q, location));
    }
}

SituationReader::Answer SituationReader::answer(const std::optional<Question>& q, const std::string& location) {
    Answer a;
    if (q) a.id = q->id, a.at = q->at;
    if (location != openLocation_ || !store_) {
        store_.reset();
        openLocation_ = location;
        if (location.empty()) {
            a.error = "no history store";
            return a;
        }
        OpenResult opened = open_(location, {});
        store_ = std::move(opened.store);
        if (!store_) {
            a.error = opened.error.empty() ? "cannot open " + location : opened.error;
            return a;
        }
    }
    if (q) {
        a.entries = store_->situation(q->at, q->window);
        if (a.entries.empty() && !store_->lastError().empty()) a.error = store_->lastError();
        a.table = std::make_shared<targets::TargetTable>();
        FillSituationTable(*a.table, a.entries, q->at, q->reference);
    }
    a.span = store_->span();
    return a;
}

}  // namespace history
