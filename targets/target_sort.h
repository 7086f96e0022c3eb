// Sorting the target list by a column: puts DisplayOrder (entry shown in
// each row) and every entry's ListRow in the column's order. Entries with equal keys keep their
// entry order, reversed as a whole when sorting descending. Targets without
// the value (no position, no speed, base stations and aids to navigation for
// speed and course, also SAR aircraft for heading and rate of turn) sort last
// ascending and first descending; unnamed targets follow the named ones.
// Sorting by a header click also ends the "NEW" mark: every Status but Old
// becomes Current; a re-sort that keeps a list sorted (endNewMarks false)
// leaves the marks as they are.
//
//   targets::SortTargets(table, targets::kColSOG, /*descending=*/false, state.mode());
//
// Columns 0..11 and the CPA and TCPA columns sort (0 = order of first
// appearance, which entry numbers stop giving once freed numbers are reused;
// targets without an approach last); STATUS does nothing.
#pragma once

#include <cstdint>

#include "targets/target_table.h"

namespace targets {

// True when a row changed its entry.
bool SortTargets(TargetTable& table, int column, bool descending, int16_t referenceMode, bool endNewMarks = true);

}  // namespace targets
