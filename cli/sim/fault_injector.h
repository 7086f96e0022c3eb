// FaultInjector: spoils a clean sentence stream the way real feeds are
// spoiled, and counts every fault it injects so a test can hold the
// receiver's counters against them.
//
//   sim::FaultInjector f({.rate = 0.05, .seed = 7, .splitWrites = true});
//   std::string bytes;  std::vector<size_t> splits;
//   f.apply(emission.sentences, bytes, &splits);   // bytes to write, TCP write boundaries
//   f.flush(bytes);                                // at the end: a held-back message
//   f.counts()[sim::Fault::WrongChecksum]
//
// Each message gets at most one fault, with probability `rate`, chosen evenly
// among the kinds that can apply to it:
//   WrongChecksum        one sentence's checksum replaced by another value
//   LowerCaseChecksum    one sentence's checksum letters written in lower case
//                        (only when the checksum has a letter)
//   LostFragment         one fragment of a multi-sentence message left out
//   InterleavedFragments the fragments of this multi-sentence message and the
//                        next one alternate (this one is held back until then;
//                        released unchanged and uncounted after 64 messages)
//   TruncatedLine        one sentence cut after its type field, before its
//                        checksum, and ended with CR LF
//   GarbageBytes         a line of random bytes (no line feed, never a VDM/VDO
//                        type) before the message
//   LongLine             printable text without a line feed before the
//                        message, glued to its first sentence; one in 16 is
//                        longer than 64 KiB (OverlongLines counts those)
//   OtherTalker          a $GPGGA or !AIVDR sentence with a valid checksum
//                        before the message
//   SplitWrite           the message's bytes written in two to four TCP writes
//                        at random points (only with splitWrites)
// Everything else is passed through byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/sim/random.h"

namespace sim {

enum class Fault : uint8_t {
    WrongChecksum,
    LowerCaseChecksum,
    LostFragment,
    InterleavedFragments,
    TruncatedLine,
    GarbageBytes,
    LongLine,
    OtherTalker,
    SplitWrite,
};
inline constexpr size_t kFaultKinds = 9;

// Short name of a fault kind ("wrong-checksum", ...).
const char* FaultName(Fault f);

struct FaultCounts {
    std::array<int64_t, kFaultKinds> injected{};
    int64_t overlongLines = 0;       // LongLine faults longer than 64 KiB
    int64_t messages = 0;            // messages that went through apply()
    int64_t sentencesIn = 0;         // their sentences
    int64_t linesOut = 0;            // line feeds written
    int64_t bytesOut = 0;

    int64_t operator[](Fault f) const { return injected[static_cast<size_t>(f)]; }
    int64_t total() const {
        int64_t n = 0;
        for (int64_t v : injected) n += v;
        return n;
    }
};

struct FaultOptions {
    double rate = 0;           // 0 to 1: share of messages that get a fault
    uint64_t seed = 1;
    bool splitWrites = false;  // there is a TCP output whose writes may be split
};

class FaultInjector {
public:
    static constexpr size_t kOverlongBytes = 70 * 1024;
    static constexpr int kMaxHold = 64;

    explicit FaultInjector(const FaultOptions& options);

    // Appends the bytes of one message (its sentences, in order, each with its
    // line end) to out. When splits is given, offsets into out at which a TCP
    // write should end are appended to it.
    void apply(const std::vector<std::string>& sentences, std::string& out, std::vector<size_t>* splits = nullptr);

    // Releases a message held back for interleaving.
    void flush(std::string& out);

    const FaultCounts& counts() const { return counts_; }
    // The fault the last apply() injected, -1 when none. A message held back
    // for interleaving reports -1 at first; the call that releases it with its
    // partner reports InterleavedFragments.
    int lastFault() const { return lastFault_; }
    bool enabled() const { return options_.rate > 0; }

private:
    void count(Fault f) {
        ++counts_.injected[static_cast<size_t>(f)];
        lastFault_ = static_cast<int>(f);
    }
    void write(std::string& out, const std::string& bytes);
    void spoilChecksum(std::string& sentence, bool lowerCase);
    std::string otherTalker();
    // The kind of fault for this message, from those that can apply to it.
    Fault choose(const std::vector<std::string>& sentences);
    // Writes the message with the fault in sentence `victim`; false when the
    // message is held back for interleaving.
    // `start` is where the message began in out (split points lie after it).
    bool inject(Fault fault, size_t victim, const std::vector<std::string>& sentences, std::string& out, size_t start,
                std::vector<size_t>* splits);
    std::string truncated(const std::string& sentence);
    std::string garbage();
    std::string longLine();

    FaultOptions options_;
    Rng rng_;
    FaultCounts counts_;
    std::vector<std::string> held_;  // multi-sentence message waiting for a partner
    int heldFor_ = 0;
    int lastFault_ = -1;
};

}  // namespace sim
