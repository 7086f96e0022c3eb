// NMEA 0183 checksums.
//
//   NMEAChecksum("!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0*71\r\n")  -> "71"
//   ChecksumValid("!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0*71\r\n") -> true
//
// The checked part runs from the second character up to the first '*' (or to
// the end, line end included, when there is none). An empty checked part gives
// "XX". The comparison is exact: lower-case hex digits do not match.
#pragma once

#include <string>
#include <string_view>

namespace input {

std::string NMEAChecksum(std::string_view sentence);

// True when the sentence (at least 6 characters with its line end) ends in the
// checksum of its own text. A final line feed, with or without a carriage return
// before it, is removed before the comparison.
bool ChecksumValid(std::string_view sentence);

}  // namespace input
