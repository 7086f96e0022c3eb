// VDM/VDO sentences: splitting a sentence into its fields and collecting the
// payloads of multi-sentence messages.
//
//   !AIVDM,2,1,3,B,55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53,0*3E
//    ^addr ^count ^number ^sequential id ^channel ^payload ^fill bits *checksum
//
// Fragments are collected per message, keyed by sentence kind (VDM/VDO),
// sequential message identifier and channel. A message is complete only when
// fragments 1..n of one key arrive in order with the same count. A fragment
// that does not continue its key's pending message discards that pending part;
// a fragment numbered above 1 with nothing pending is dropped; a one-sentence
// message never mixes with pending fragments. Pending parts are bounded in
// number of keys, in age and in distance: a receiver writes the fragments of
// one message together, so a pending message whose next fragment has not come
// within kMaxSentencesBetween further VDM/VDO sentences is given up. Without
// that bound, the first fragment of a message whose second was lost would
// join the second fragment of a later message that reuses the identifier (and
// lost its own first), and a message made of two would be decoded.
//
// Sentences that carry a tag block group (g:) are keyed by kind and group id
// instead: the group id names the message whatever the sequential identifier
// and channel say, so such a message may be interleaved with any other
// traffic (only the age bound applies to it).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace input {

struct VDMFields {
    int16_t FragmentCount = 0;
    int16_t FragmentNumber = 0;
    int16_t SequentialMessageID = 0;
    char Channel = ' ';
    std::string_view Payload;  // a view of the sentence the fields came from
    int16_t FillBits = 0;
};

// A numeric field: empty gives -9999; otherwise the leading decimal number
// (0 when there is none) rounded to the nearest whole number, halves to even.
// ok is false when the value does not fit into 16 bits.
int16_t ReadFieldValue(std::string_view field, bool& ok);

enum class ExtractResult {
    Ok,
    Malformed,        // seven or more commas: not a VDM/VDO layout
    ConversionError,  // a numeric field out of range
};

// Splits sentence into fields. With fewer than six commas the text after the
// last one is the last field given and the fields after it are empty (so an
// empty fill-bit field gives -9999). On anything but Ok, fields is left unchanged
// and errorText (when given) receives a one-line description.
ExtractResult ExtractVDM(std::string_view sentence, VDMFields& fields, std::string* errorText = nullptr);

// The usual sentence in one pass: "!AIVDM,1,1,,A,<payload>,0*hh" with
// fragment count, number, sequential identifier and fill bits each one digit
// or empty, a channel of at most one character, no '*' before the checksum
// and nothing after it but "\n" or "\r\n". Fills fields as ExtractVDM does
// and sets checksumValid as ChecksumValid (checksum.h) would; returns false,
// leaving both alone, for a sentence of any other form (take the general way).
bool ReadPlainVDM(std::string_view sentence, VDMFields& fields, bool& checksumValid);

enum class SentenceKind : uint8_t { VDM = 0, VDO = 1 };

// What a message keeps of its sentences' tag blocks: the source and reception
// time of the first sentence that names them.
struct MessageTags {
    std::string source;
    int64_t time = -1;
    void fillFrom(std::string_view s, int64_t t) {
        if (source.empty()) source.assign(s);
        if (time < 0) time = t;
    }
};

class VdmAssembler {
public:
    static constexpr int kMaxKeys = 8;             // messages being collected at once
    static constexpr double kMaxAgeSeconds = 10.0; // a message's fragments arrive within this
    static constexpr int kMaxFragments = 9;
    static constexpr int kMaxSentencesBetween = 16; // other sentences between two fragments of one message

    enum class Status {
        Complete,     // payload()/fillBits() hold a whole message
        Pending,      // fragment stored, message not complete yet
        Dropped,      // fragment did not fit any pending message (counted as incomplete)
        Malformed,    // fragment numbers impossible (0, above the count, count above 9)
    };

    // Adds one sentence's fields. monotonicSeconds drives the age bound;
    // group is the tag block's group id (-1 without one); tags are the
    // sentence's own tag parameters.
    Status add(SentenceKind kind, const VDMFields& fields, double monotonicSeconds, int64_t group = -1,
               std::string_view source = {}, int64_t time = -1);

    // Valid after Complete until the next add(); a one-sentence message's
    // payload is the one of the fields added (a view of its sentence, not a copy).
    std::string_view payload() const { return payload_; }
    int fillBits() const { return fillBits_; }
    const MessageTags& tags() const { return tags_; }

    // Gives up every pending message (its input went away); counted as incomplete.
    void discardAll();

    // Messages whose fragments were discarded before completion, and the
    // sentences (fragments) discarded with them.
    int64_t incompleteMessages() const { return incompleteMessages_; }
    int64_t incompleteFragments() const { return incompleteFragments_; }
    int pendingCount() const;
    // Fragments held for messages not complete yet.
    int pendingFragments() const;

private:
    struct Pending {
        bool used = false;
        SentenceKind kind = SentenceKind::VDM;
        int16_t sequence = 0;
        char channel = ' ';
        int64_t group = -1;
        int16_t count = 0;
        int16_t received = 0;  // fragments 1..received are in text
        double started = 0;
        int64_t last = 0;      // sentence number of the latest fragment
        std::string text;
        MessageTags tags;
    };
    void discard(Pending& p);
    void expire(double now);

    std::array<Pending, kMaxKeys> pending_{};
    int inUse_ = 0;  // entries of pending_ used
    std::string joined_;  // the payload of the last message of several sentences
    std::string_view payload_;
    int fillBits_ = 0;
    MessageTags tags_;
    int64_t sentences_ = 0;  // sentences added so far
    int64_t incompleteMessages_ = 0;
    int64_t incompleteFragments_ = 0;
};

}  // namespace input
