// Intake: where a framed sentence enters the receive chain. It tells what the
// sentence is and returns that as a value; whoever feeds it (the receiver,
// `orvanta-cli decode`, the tests) counts and acts on the outcome. The steps,
// in this order:
//
//   0. a tag block in front (input/tag_block.h) is split off; with the
//      checksum test on, a tag block whose checksum is wrong makes the line
//      a ChecksumError. A line that is only a tag block is TagOnly: its
//      parameters go with the next sentence (or, with a group, the sentences
//      of that group) that does not name them itself;
//   1. sentence type: characters 4-6 are "VDM" or "VDO" (talker and start
//      character are not looked at), else NotAIS;
//   2. checksum, when the caller asks for the test (input/checksum.h);
//   3. the seven fields (ExtractVDM, input/vdm.h);
//   4. fragment assembly (VdmAssembler): pending, dropped, or a whole message;
//      sentences of a tag block group are assembled by their group id.
//
// Each input has an intake of its own, so fragments of different inputs never
// join.
//
//   input::Intake intake;
//   const input::IntakeOutcome o = intake.take(sentence, clock.monotonicSeconds(), checkChecksum);
//   if (o.result == input::IntakeResult::Message) decode(o.payload, o.fillBits);
//
// The intake owns the field scratch and the assembler, so nothing is
// allocated per sentence once the buffers have grown. Views in an outcome
// (payload, errorText) stay valid until the next take(); the payload of a
// one-sentence message is a view of the sentence given, so it lives no
// longer than that text either. The outcome is only
// read by callers, so what the intake learns about a sentence travels in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sentence/vdm.h"

namespace input {

enum class IntakeResult : uint8_t {
    NotAIS,           // too short, or another sentence type
    ChecksumError,    // the test is on and the checksum is missing or wrong
    Malformed,        // fields unreadable, or fragment numbers impossible
    FragmentPending,  // fragment kept; its message is not complete yet
    FragmentDropped,  // fragment continues no pending message (counted as incomplete)
    Message,          // the sentence completed a message
    TagOnly,          // a tag block alone on its line
};

enum class IntakeReason : uint8_t {
    None,
    TooShort,         // NotAIS: fewer than six characters
    OtherSentence,    // NotAIS: neither VDM nor VDO
    FieldCount,       // Malformed: more than seven fields
    FieldOverflow,    // Malformed: a numeric field beyond 16 bits
    FragmentNumbers,  // Malformed: fragment number 0 or above the count, count above 9
};

struct IntakeOutcome {
    IntakeResult result = IntakeResult::NotAIS;
    IntakeReason reason = IntakeReason::None;
    SentenceKind kind = SentenceKind::VDM;  // from ChecksumError on
    char channel = ' ';                     // channel field of this sentence, from FragmentPending on
    std::string_view payload;               // Message: the payload of all its sentences
    int fillBits = 0;                       // Message: fill bits of its last sentence
    int sentences = 0;                      // Message: the sentences it took
    // Message: source (s:) and reception time (c:, -1 none) from the tag
    // blocks of its sentences.
    std::string_view source;
    int64_t time = -1;
    // Malformed by FieldCount or FieldOverflow: the line the port monitor
    // shows, "Error : too many fields  VDM-message : <sentence>" or
    // "Error 6 : Overflow  VDM-message : <sentence>"; empty otherwise.
    std::string_view errorText;

    bool operator==(const IntakeOutcome&) const = default;
};

// Sees every framed sentence of every input with the intake's result
// (recording, forwarding). Called synchronously; must not feed bytes back.
class SentenceTap {
public:
    virtual ~SentenceTap() = default;
    virtual void sentenceTaken(int input, std::string_view sentence, IntakeResult result) = 0;
};

class Intake {
public:
    IntakeOutcome take(std::string_view sentence, double monotonicSeconds, bool checkChecksum);

    // Messages given up before completion, and the fragments given up with them.
    int64_t incompleteMessages() const { return assembler_.incompleteMessages(); }
    int64_t incompleteFragments() const { return assembler_.incompleteFragments(); }
    // Fragments of messages still being collected (at the end of a file: never completed).
    int64_t pendingFragments() const { return assembler_.pendingFragments(); }
    // The input went away: pending messages are given up (counted as
    // incomplete) and a tag-only line waiting for its sentence is forgotten.
    void reset();

private:
    VDMFields fields_;
    VdmAssembler assembler_;
    std::string errorText_;
    // Parameters of the last tag-only line, for the sentences that follow.
    MessageTags carried_;
    int64_t carriedGroup_ = -1;
    bool carrying_ = false;
};

}  // namespace input
