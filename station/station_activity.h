// The status bar's words for a recording and a play back under way.
//
//   RecordingText(754, 1234567)            -> "REC 00:12:34 · 1.2 MB"
//   PlaybackText(10, false, 52327, 0.374)  -> "Playing 10× — 14:32:07 (37 %)"
#pragma once

#include <cstdint>
#include <string>

namespace input {

// Elapsed seconds as hh:mm:ss (hours go past 99 as they must), and the bytes
// written so far in B, kB, MB or GB (powers of 1000, one decimal from kB on).
std::string RecordingText(double seconds, int64_t bytes);
std::string ByteSizeText(int64_t bytes);

// speed: times real time, 0 as fast as possible; secondsOfDay: the feed's
// time of day (-1 when its lines carry no time); fraction: of the file played.
std::string PlaybackText(double speed, bool paused, int secondsOfDay, double fraction);

}  // namespace input
