// What the reading side of a receiver made of a run of sentences, for the
// table side to take in the same order (Receiver::ReadAhead, applyBatch): one
// item per sentence, and for a sentence that completed a message its decoded
// message, the time it was taken at and where it came from.
//
// The decoded messages sit in record slots that later batches reuse, so their
// strings keep their capacity; only the sub-record of the message's type is
// filled in a slot (the table reads no other for that type).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <deque>
#include <vector>

#include "ais/message_record.h"
#include "base/date_time.h"
#include "sentence/intake.h"

namespace app {

struct BatchItem {
    bool message = false;  // the sentence completed a message
    int type = 0;          // the decoder's message type
    input::SentenceKind kind = input::SentenceKind::VDM;
    char channel = ' ';
    int64_t time = -1;          // c: time of the message, -1 none
    uint32_t sourceAt = 0;      // its s: source: sources[sourceAt, sourceAt + sourceLength)
    uint32_t sourceLength = 0;
    uint32_t record = 0;        // slot of the decoded message
    base::DateTime now;         // clock readings the message was taken at
    double monotonic = 0;
};

class SentenceBatch {
public:
    const std::vector<BatchItem>& items() const { return items_; }
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    // A sentence that ended without a message.
    void addSentence() { items_.emplace_back(); }
    // A sentence that completed a message of `type`: the sub-record of that
    // type is copied from `decoded` into a slot.
    void addMessage(int type, const ais::AISMessageRecord& decoded, input::SentenceKind kind, char channel,
                    std::string_view source, int64_t time, base::DateTime now, double monotonic);

    const ais::AISMessageRecord& record(const BatchItem& item) const { return records_[item.record]; }
    std::string_view source(const BatchItem& item) const {
        return std::string_view(sources_).substr(item.sourceAt, item.sourceLength);
    }

    // Empty again; the record slots stay for reuse.
    void clear() {
        items_.clear();
        sources_.clear();
        used_ = 0;
    }

private:
    std::vector<BatchItem> items_;
    std::deque<ais::AISMessageRecord> records_;  // a deque: growing moves no record
    size_t used_ = 0;  // record slots in use
    std::string sources_;
};

// Copies the sub-record of message type `type` (1-27) from `from` to `to`;
// nothing for another type.
void CopySubRecord(int type, const ais::AISMessageRecord& from, ais::AISMessageRecord& to);

}  // namespace app
