// A past situation as a target table: the stations a history store knew at
// a moment (HistoryStore::situation) become the entries the live table would
// hold after their reports, so the target list and the plot can show the
// past with the code that shows the present.
//
//   targets::TargetTable past;
//   history::FillSituationTable(past, store->situation(at, window), at, receiver.reference());
//   listModel.TableReplaced();
//
// Each station's position row becomes a report of its class (1 for class A,
// 18 or 19 for class B, 4, 9, 21), its static row a type 5 (class A) or the
// two parts of a type 24 (class B); the reception times are the rows' times,
// so the entries age against the moment as live ones do against now (Old,
// Lost). Ranges and bearings are measured from a copy of the reference: a
// reference that follows a vessel stands where that vessel was then.
#pragma once

#include <vector>

#include "history/history_store.h"
#include "targets/reference.h"
#include "targets/target_table.h"

namespace history {

// The table's monotonic clock reads this many seconds at the moment shown;
// a row's reception is that much before it.
inline constexpr double kSituationClockAt = 1.0e6;

struct SituationFill {
    int stations = 0;  // entries made
    int skipped = 0;   // rows the table did not take (no MMSI, beyond its capacity)
};

// Fills `table`, which starts empty, with the stations of `entries`, in
// MMSI order; `at` is the moment they are seen from.
SituationFill FillSituationTable(targets::TargetTable& table, const std::vector<SituationEntry>& entries, TimeMs at,
                                 const targets::Reference& reference);

}  // namespace history
