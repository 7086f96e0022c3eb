// The counters of the receive road, as values: what one input received and
// what became of it (InputCounters), and what the receiver made of every
// sentence of every input (ReceiverTotals). The receiver keeps them; the
// status bar, the port monitor and `orvanta-cli replay` read copies.
#pragma once

#include <array>
#include <cstdint>

#include "sentence/framer.h"

namespace input {

// The settings that decide how an input's sentences are taken.
struct InputTests {
    bool CheckChecksum = false;  // VDM/VDO with a wrong checksum are rejected
    bool EmptyBuffer = false;    // of a notification's complete sentences only the first is taken
    bool operator==(const InputTests&) const = default;
};

// The port monitor's five counters (counted while it is open): sentences,
// NMEA, AIS, checksum right, checksum wrong.
using MonitorCounts = std::array<int64_t, 5>;

// The counters of one input. Every byte it received is in exactly one of:
// SentenceBytes + IgnoredBytes + OverflowBytes + CutOffBytes + the unfinished
// line its framer holds. What the framer dropped itself (Ignored, Overflow,
// CutOff and their bytes) are its FramerCounts.
struct InputCounters : FramerCounts {
    int64_t Bytes = 0;
    int64_t Sentences = 0;
    int64_t SentenceBytes = 0;
    int64_t ChecksumErrors = 0;
    double LastData = -1;  // monotonic seconds of the latest bytes, -1 none yet
    MonitorCounts Monitor{};
    bool operator==(const InputCounters&) const = default;
};

// Every input together. Every sentence ends in exactly one outcome (or is
// still a pending fragment):
// SentenceCount = DecodedSentenceCount + NonAISCount + TagOnlyCount + ChecksumErrorCount
//               + MalformedCount + IncompleteFragmentCount + pending fragments.
struct ReceiverTotals {
    int64_t SentenceCount = 0;       // sentences handed over by the framers
    int64_t ChecksumErrorCount = 0;  // VDM/VDO rejected by the checksum test
    // What the framers dropped themselves (InputCounters of every input).
    int64_t IgnoredCount = 0;
    int64_t IgnoredBytes = 0;
    int64_t OverflowCount = 0;
    int64_t OverflowBytes = 0;
    int64_t CutOffCount = 0;
    int64_t CutOffBytes = 0;

    int64_t DecodedSentenceCount = 0;     // part of a message that was decoded
    int64_t NonAISCount = 0;              // sentence type other than VDM/VDO
    int64_t TagOnlyCount = 0;             // a tag block alone on its line
    int64_t MalformedCount = 0;           // VDM/VDO that could not be split or numbered
    int64_t IncompleteFragmentCount = 0;  // fragments of messages that never completed
    int64_t IncompleteMessageCount = 0;   // messages given up with those fragments
    int64_t DecodedMessageCount = 0;      // complete messages decoded, from sentences or not
    std::array<int64_t, 64> MessageTypeCount{};  // decoded messages by type 0-63
    MonitorCounts Monitor{};              // the port monitor's counters of every input
    bool operator==(const ReceiverTotals&) const = default;
};

}  // namespace input
