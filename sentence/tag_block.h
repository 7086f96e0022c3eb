// NMEA 4.0 tag blocks: the "\...*hh\" prefix a multiplexer or receiver puts
// in front of a sentence.
//
//   \g:1-2-77,s:rcvr1,c:1700000000*5B\!AIVDM,2,1,3,A,...*hh
//    ^group: sentence 1 of 2, group id 77
//               ^source  ^reception time, UNIX seconds
//
// The tag block's checksum covers the text between the two backslashes up to
// its '*', computed as a sentence's. Parameters other than c:, s: and g: are
// skipped. A tag block may stand on a line of its own (only the tag block and
// the line end): its parameters then belong to the sentence or group that
// follows on the same input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace input {

struct TagBlock {
    bool present = false;        // the line starts with a complete tag block
    bool checksumValid = false;  // it ends in the checksum of its own text
    int64_t time = -1;           // c: as sent (seconds; some senders use milliseconds), -1 none
    std::string_view source;     // s:, empty none
    int groupNumber = 0;         // g: sentence number within the group (1-based), 0 none
    int groupSize = 0;
    int64_t groupId = -1;        // -1: no group
};

struct TaggedLine {
    TagBlock tags;
    std::string_view sentence;  // the line after the tag block (all of it without one)
};

// Splits a line into its tag block and the sentence after it. A line that does
// not start with '\' or has no closing '\' has no tag block.
TaggedLine SplitTagBlock(std::string_view line);

// The line is only line end (and blanks) after a tag block.
bool IsTagOnly(const TaggedLine& line);

// Seconds of a c: value: values beyond the year 5000 in seconds are taken as
// milliseconds.
double TagSeconds(int64_t time);

// "\s:rcvr1,c:1700000000*hh\": a tag block with its checksum. Empty source,
// time -1 or groupSize 0 leave that parameter out.
std::string FormatTagBlock(std::string_view source, int64_t time, int groupNumber = 0, int groupSize = 0,
                           int64_t groupId = -1);

// The line without its tag block (the line itself when it has none).
std::string_view StripTagBlock(std::string_view line);

}  // namespace input
