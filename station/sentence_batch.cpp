#include "station/sentence_batch.h"

namespace app {

void CopySubRecord(int type, const ais::AISMessageRecord& from, ais::AISMessageRecord& to) {
    switch (type) {
        case 1: to.Type1 = from.Type1; break;
        case 2: to.Type2 = from.Type2; break;
        case 3: to.Type3 = from.Type3; break;
        case 4: to.Type4 = from.Type4; break;
        case 5: to.Type5 = from.Type5; break;
        case 6: to.Type6 = from.Type6; break;
        case 7: to.Type7 = from.Type7; break;
        case 8: to.Type8 = from.Type8; break;
        case 9: to.Type9 = from.Type9; break;
        case 10: to.Type10 = from.Type10; break;
        case 11: to.Type11 = from.Type11; break;
        case 12: to.Type12 = from.Type12; break;
        case 13: to.Type13 = from.Type13; break;
        case 14: to.Type14 = from.Type14; break;
        case 15: to.Type15 = from.Type15; break;
        case 16: to.Type16 = from.Type16; break;
        case 17: to.Type17 = from.Type17; break;
        case 18: to.Type18 = from.Type18; break;
        case 19: to.Type19 = from.Type19; break;
        case 20: to.Type20 = from.Type20; break;
        case 21: to.Type21 = from.Type21; break;
        case 22: to.Type22 = from.Type22; break;
        case 23: to.Type23 = from.Type23; break;
        case 24: to.Type24 = from.Type24; break;
        case 25: to.Type25 = from.Type25; break;
        case 26: to.Type26 = from.Type26; break;
        case 27: to.Type27 = from.Type27; break;
        default: break;
    }
}

void SentenceBatch::addMessage(int type, const ais::AISMessageRecord& decoded, input::SentenceKind kind, char channel,
                               std::string_view source, int64_t time, base::DateTime now, double monotonic) {
    if (used_ == records_.size()) records_.emplace_back();
    CopySubRecord(type, decoded, records_[used_]);
    BatchItem item;
    item.message = true;
    item.type = type;
    item.kind = kind;
    item.channel = channel;
    item.time = time;
    item.sourceAt = static_cast<uint32_t>(sources_.size());
    item.sourceLength = static_cast<uint32_t>(source.size());
    sources_.append(source);
    item.record = static_cast<uint32_t>(used_++);
    item.now = now;
    item.monotonic = monotonic;
    items_.push_back(item);
}

}  // namespace app
