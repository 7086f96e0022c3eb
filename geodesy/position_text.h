// Position text: how latitudes and longitudes are typed, shown and stored.
//
// Display form (one decimal of seconds):   59°30'12.3"N    005°20'06.0"W
// File form: the same with "ø" (U+00F8, the old 8-bit code 248) as degree mark.
//
//   FormatPosition(59.503417, "LAT", "form", 1)   -> 59°30'12.3"N
//   std::string t = "59 30 12,5 n";
//   ParsePosition(t, "lat", sink)                  -> 59.503472..., t == 59°30'12.5000"N
//
// Positions are signed decimal degrees (north and east positive). Kinds are
// "LAT" or "LON" in any letter case; every kind other than "LAT" is a longitude.
// Texts are UTF-8; one "character" is one Unicode character, so the degree
// marks and the hemisphere letters Ø/ø (east) and V/v (west) count as one.
// Bytes that are not valid UTF-8 are read as Latin-1, so text from an 8-bit
// file parses the same.
//
// ParsePosition never refuses: each fault is reported to the operator through
// the sink, repaired, and parsing goes on. Only a count that cannot be held
// (a degree or minute count above 32767, a seconds value beyond single
// precision) abandons the text: one message, result 0, text left as it was.
// The other functions show nothing and never fail.
#pragma once

#include <string>
#include <string_view>

#include "base/operator_messages.h"

namespace geodesy {

// Title of the message boxes raised while parsing a typed position.
inline constexpr const char* kPositionMessageTitle = "Orvanta";

// Reads a typed latitude or longitude; rewrites `text` in canonical form
// (seconds with four decimals, hemisphere letter) unless the text is abandoned.
double ParsePosition(std::string& text, std::string_view kind, base::MessageSink& sink);

// Writes a position. `style` "FILE" (any case) picks the file-form degree mark,
// anything else the display form. `decimals` 0-4 sets the decimals of the
// seconds; any other count leaves the seconds field empty. Seconds that would
// round up to 60 carry into the minutes (59.999999 shows as 60°00'00.0"N).
// A value that is not a finite number shows as "n/a".
std::string FormatPosition(double value, std::string_view kind, std::string_view style, int decimals);

// Writes a number of seconds as hh:mm:ss with 1-4 decimals of seconds (any
// other count: none). Hours take more digits above 99. The total is rounded to
// the shown decimals before it is split, so 119.9999 s reads 00:02:00, never
// 00:01:60. A negative count is written with a leading minus sign.
std::string FormatDuration(double seconds, int decimals);

}  // namespace geodesy
