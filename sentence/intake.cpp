#include "sentence/intake.h"

#include "sentence/checksum.h"
#include "sentence/tag_block.h"

namespace input {

void Intake::reset() {
    assembler_.discardAll();
    carrying_ = false;
}

IntakeOutcome Intake::take(std::string_view line, double monotonicSeconds, bool checkChecksum) {
    IntakeOutcome o;
    std::string_view sentence = line;
    TagBlock tags;
    bool tagChecksumValid = true;
    if (!line.empty() && line[0] == '\\') {
        const TaggedLine split = SplitTagBlock(line);
        if (split.tags.present) {
            // Only a tag block with its checksum right stands for a sentence
            // of its own; anything else on its own line is not AIS.
            if (IsTagOnly(split) && split.tags.checksumValid) {
                carried_.source.assign(split.tags.source);
                carried_.time = split.tags.time;
                carriedGroup_ = split.tags.groupId;
                carrying_ = true;
                o.result = IntakeResult::TagOnly;
                return o;
            }
            tags = split.tags;
            sentence = split.sentence;
            tagChecksumValid = split.tags.checksumValid;
        }
    }
    if (carrying_ && (carriedGroup_ < 0 || carriedGroup_ == tags.groupId)) {
        // A tag-only line without a group names the next sentence; with a
        // group, every sentence of that group up to its last.
        if (tags.source.empty()) tags.source = carried_.source;
        if (tags.time < 0) tags.time = carried_.time;
        if (carriedGroup_ < 0 || tags.groupNumber == tags.groupSize) carrying_ = false;
    }
    if (sentence.size() < 6) {
        o.reason = IntakeReason::TooShort;
        return o;
    }
    const std::string_view type = sentence.substr(3, 3);
    if (type == "VDM") {
        o.kind = SentenceKind::VDM;
    } else if (type == "VDO") {
        o.kind = SentenceKind::VDO;
    } else {
        o.reason = IntakeReason::OtherSentence;
        return o;
    }

    // The usual form in one pass; anything else the general way, the
    // checksum first.
    bool checksumValid = false;
    const bool plain = ReadPlainVDM(sentence, fields_, checksumValid);
    if (checkChecksum && (!tagChecksumValid || !(plain ? checksumValid : ChecksumValid(sentence)))) {
        o.result = IntakeResult::ChecksumError;
        return o;
    }

    const ExtractResult extracted = plain ? ExtractResult::Ok : ExtractVDM(sentence, fields_, &errorText_);
    if (extracted != ExtractResult::Ok) {
        o.result = IntakeResult::Malformed;
        if (extracted == ExtractResult::ConversionError) {
            o.reason = IntakeReason::FieldOverflow;  // ExtractVDM wrote the whole line
        } else {
            o.reason = IntakeReason::FieldCount;
            errorText_.insert(0, "Error : ");
            errorText_.append("  VDM-message : ");
            errorText_.append(sentence);
        }
        o.errorText = errorText_;
        return o;
    }
    o.channel = fields_.Channel;

    switch (assembler_.add(o.kind, fields_, monotonicSeconds, tags.groupId, tags.source, tags.time)) {
        case VdmAssembler::Status::Pending:
            o.result = IntakeResult::FragmentPending;
            break;
        case VdmAssembler::Status::Dropped:
            o.result = IntakeResult::FragmentDropped;
            break;
        case VdmAssembler::Status::Malformed:
            o.result = IntakeResult::Malformed;
            o.reason = IntakeReason::FragmentNumbers;
            break;
        case VdmAssembler::Status::Complete:
            o.result = IntakeResult::Message;
            o.payload = assembler_.payload();
            o.fillBits = assembler_.fillBits();
            o.sentences = fields_.FragmentCount > 1 ? fields_.FragmentCount : 1;
            o.source = assembler_.tags().source;
            o.time = assembler_.tags().time;
            break;
    }
    return o;
}

}  // namespace input
