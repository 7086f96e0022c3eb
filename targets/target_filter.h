// The list's find box: whether a target matches what the operator typed.
// A match is a case-insensitive substring of the name (with its extension),
// the class B name, either call sign, or the MMSI in digits; blanks around
// the typed text do not count, and an empty text matches every target.
//
//   MatchesFilter(t, "heron")   // true for "BLUE HERON"
//   MatchesFilter(t, "2570")    // true for MMSI 257012300
#pragma once

#include <string_view>

#include "targets/target_table.h"

namespace targets {

bool MatchesFilter(const TargetRecord& t, std::string_view typed);

}  // namespace targets
