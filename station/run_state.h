// The run state shared by the receive path and the windows: counters, flags
// and settings. One instance per Receiver; nothing here is global.
#pragma once

#include <array>
#include <cstdint>

namespace input {

// The counters of one input. Every byte it received is in exactly one of:
// SentenceBytes + IgnoredBytes + OverflowBytes + CutOffBytes + the unfinished
// line its framer holds.
struct InputCounters {
    int64_t Bytes = 0;
    int64_t Sentences = 0;
    int64_t SentenceBytes = 0;
    int64_t ChecksumErrors = 0;
    int64_t Ignored = 0;
    int64_t IgnoredBytes = 0;
    int64_t Overflow = 0;
    int64_t OverflowBytes = 0;
    int64_t CutOff = 0;
    int64_t CutOffBytes = 0;
    double LastData = -1;  // monotonic seconds of the latest bytes, -1 none yet
    // The port monitor's five counters for this input (counted while it is
    // open): sentences, NMEA, AIS, checksum right, checksum wrong.
    std::array<int64_t, 5> Monitor{};
};

struct RunState {
    // Sentences handed to the sentence handler since start (every type).
    int32_t SentenceCount = 0;
    // VDM/VDO sentences rejected by the checksum test.
    int32_t ChecksumErrorCount = 0;
    // Complete sentences discarded by the empty-buffer rule, and their bytes.
    int32_t IgnoredCount = 0;
    int64_t IgnoredBytes = 0;
    // Lines dropped whole because they grew past the input bound without a line feed.
    int32_t OverflowCount = 0;
    // Bytes dropped with those lines.
    int64_t OverflowBytes = 0;
    // Unfinished lines dropped because their input was opened, closed or lost
    // (the rest of such a line never comes), and their bytes.
    int32_t CutOffCount = 0;
    int64_t CutOffBytes = 0;

    // Where each sentence ended. Every sentence handed to the sentence handler
    // ends in exactly one of these (or is still a pending fragment):
    // SentenceCount = DecodedSentenceCount + NonAISCount + TagOnlyCount + ChecksumErrorCount
    //               + MalformedCount + IncompleteFragmentCount + pending fragments.
    int64_t DecodedSentenceCount = 0;     // part of a message that was decoded
    int64_t NonAISCount = 0;              // sentence type other than VDM/VDO
    int64_t TagOnlyCount = 0;             // a tag block alone on its line
    int64_t MalformedCount = 0;           // VDM/VDO that could not be split or numbered
    int64_t IncompleteFragmentCount = 0;  // fragments of messages that never completed
    int64_t IncompleteMessageCount = 0;   // messages given up with those fragments
    int64_t DecodedMessageCount = 0;      // complete messages decoded
    // Decoded messages by message type 0-63.
    std::array<int64_t, 64> MessageTypeCount{};

    bool CheckChecksum = false;
    bool EmptyBuffer = false;
    bool PortMonitorOpen = false;

    int32_t MonitorSentenceCount = 0;
    int32_t MonitorNMEACount = 0;
    int32_t MonitorAISCount = 0;
    int32_t MonitorChecksumOK = 0;
    int32_t MonitorChecksumBad = 0;

    double RefLat = 0.0;
    double RefLon = 0.0;
    int32_t RefMMSI = 0;
    int16_t ReferenceMode = 0;
    // 0 = IMO SN/Circ.236 numbering; any other value = the IALA proposal.
    int16_t BinaryMsgStandard = 0;
};

}  // namespace input
