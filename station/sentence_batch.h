// What the reading side of a receiver made of a run of sentences, for the
// table side to take in the same order (Receiver::ReadAhead, applyBatch): one
// item per sentence, and for a sentence that completed a message its decoded
// message, the time it was taken at and where it came from.
//
// A message keeps only the sub-record of its type (the table reads no other
// for that type), in a pool per sub-record kind: a whole decoded-message
// record is some 13 kB, a position report 160 bytes. The pools' entries stay
// for later batches, so their strings keep their capacity.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <deque>
#include <tuple>
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
    int16_t input = 0;          // the receiver's number of its input
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
    // type is copied from `decoded`.
    void addMessage(int type, const ais::AISMessageRecord& decoded, input::SentenceKind kind, char channel,
                    std::string_view source, int64_t time, base::DateTime now, double monotonic, int input);
    // Copies the item's message into the sub-record of its type in `to`.
    void loadMessage(const BatchItem& item, ais::AISMessageRecord& to) const;

    std::string_view source(const BatchItem& item) const {
        return std::string_view(sources_).substr(item.sourceAt, item.sourceLength);
    }

    // Empty again; the pools' entries stay for reuse.
    void clear();
    // Exchanges the contents, allocating nothing (a hand-over between threads).
    void swap(SentenceBatch& other);

private:
    template <class T>
    struct Pool {
        std::deque<T> entries;  // a deque: growing moves no entry
        size_t used = 0;
    };
    std::vector<BatchItem> items_;
    std::tuple<Pool<ais::PositionReport>, Pool<ais::BaseStationReport>, Pool<ais::StaticVoyageData>,
               Pool<ais::BinaryMessage>, Pool<ais::Acknowledgement>, Pool<ais::SARPositionReport>,
               Pool<ais::UTCInquiry>, Pool<ais::AddressedSafetyMessage>, Pool<ais::BroadcastSafetyMessage>,
               Pool<ais::Interrogation>, Pool<ais::AssignedModeCommand>, Pool<ais::DGNSSBroadcast>,
               Pool<ais::ClassBPositionReport>, Pool<ais::ClassBExtendedReport>, Pool<ais::DataLinkManagement>,
               Pool<ais::AtoNReport>, Pool<ais::ChannelManagement>, Pool<ais::GroupAssignment>,
               Pool<ais::StaticDataReport>, Pool<ais::SlotBinaryMessage>, Pool<ais::LongRangeReport>>
        pools_;
    std::string sources_;
};

// Calls f with the sub-record of message type `type` (1-27) of `record`;
// returns false (f not called) for another type.
template <class Record, class F>
bool WithSubRecord(int type, Record& record, F&& f) {
    switch (type) {
        case 1: f(record.Type1); return true;
        case 2: f(record.Type2); return true;
        case 3: f(record.Type3); return true;
        case 4: f(record.Type4); return true;
        case 5: f(record.Type5); return true;
        case 6: f(record.Type6); return true;
        case 7: f(record.Type7); return true;
        case 8: f(record.Type8); return true;
        case 9: f(record.Type9); return true;
        case 10: f(record.Type10); return true;
        case 11: f(record.Type11); return true;
        case 12: f(record.Type12); return true;
        case 13: f(record.Type13); return true;
        case 14: f(record.Type14); return true;
        case 15: f(record.Type15); return true;
        case 16: f(record.Type16); return true;
        case 17: f(record.Type17); return true;
        case 18: f(record.Type18); return true;
        case 19: f(record.Type19); return true;
        case 20: f(record.Type20); return true;
        case 21: f(record.Type21); return true;
        case 22: f(record.Type22); return true;
        case 23: f(record.Type23); return true;
        case 24: f(record.Type24); return true;
        case 25: f(record.Type25); return true;
        case 26: f(record.Type26); return true;
        case 27: f(record.Type27); return true;
        default: return false;
    }
}

}  // namespace app
