// The target table written out for other programs (spreadsheets, QGIS, web
// maps); File > Export targets... and orvanta-cli replay use these.
//
//   std::string csv = targets::TargetListCsv(table, ctx);  // the list: header, one line per row
//   std::string geo = targets::TargetsGeoJson(table, now);  // FeatureCollection, one feature per target
//
// CSV: the list's columns with its titles (the range and bearing titles in a
// reference mode), its rows in the list's order, each cell as a message writes
// it into the list but with "." as the decimal separator, without the padding
// spaces. GeoJSON: a point at the target's position (null geometry for a
// target without one, so every target is there), in the list's order, with
// every field of the target as a property, under the same names as
// WriteTargetJson. A latitude and longitude the station never sent, and a
// range and bearing that are not known (RangeKnown), are null. Numbers use "." whatever the locale; texts are escaped and
// turned into valid UTF-8.
#pragma once

#include <string>

#include "base/json_writer.h"
#include "targets/target_row.h"
#include "targets/target_table.h"

namespace targets {

std::string TargetListCsv(const TargetTable& table, const RowContext& ctx);

// Every field of one target as a JSON object, with its list row number first
// and, last, its approach to the own ship (cpa in nm, tcpa in minutes,
// dangerous), lost, and rx_percent as of `monotonicNow` (null where there is
// none).
void WriteTargetJson(base::JsonWriter& j, const TargetRecord& t, int number, double monotonicNow);

std::string TargetsGeoJson(const TargetTable& table, double monotonicNow);

}  // namespace targets
