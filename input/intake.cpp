#include "input/intake.h"

#include "input/checksum.h"

namespace input {

IntakeOutcome Intake::take(std::string_view sentence, double monotonicSeconds, bool checkChecksum) {
    IntakeOutcome o;
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

    if (checkChecksum && !ChecksumValid(sentence)) {
        o.result = IntakeResult::ChecksumError;
        return o;
    }

    const ExtractResult extracted = ExtractVDM(sentence, fields_, &errorText_);
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

    switch (assembler_.add(o.kind, fields_, monotonicSeconds)) {
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
            break;
    }
    return o;
}

}  // namespace input
