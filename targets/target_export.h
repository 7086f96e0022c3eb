// The target table written out for other programs (spreadsheets, QGIS, web
// maps); File > Export targets... and orvanta-cli replay use these.
//
//   std::string csv = targets::TargetListCsv(table, ctx);  // the list: header, one line per row
//   std::string geo = targets::TargetsGeoJson(table, now);  // FeatureCollection, one feature per target
//
// CSV: the list's columns in its order and its rows in its order, for
// programs: numbers as numbers with "." whatever the locale and the unit in
// the header ("SOG (kn)", "CPA (nm)", "TCPA (min)"), latitude and longitude
// always in their own columns in signed decimal degrees, and in a reference
// mode "Range (nm)" and "Bearing (°)" beside them; the time as
// yyyy-mm-dd hh:mm:ss. A value the list shows as unknown is an empty cell.
// Text cells (name, class, time, status; "stb"/"port" for a turn rate beyond
// the scale) never start a formula. GeoJSON: a point at the target's position (null geometry for a
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

// One target as a GeoJSON Feature: a Point (null without a position) with
// WriteTargetJson's fields as its properties.
void WriteTargetFeature(base::JsonWriter& j, const TargetRecord& t, int number, double monotonicNow);
std::string TargetsGeoJson(const TargetTable& table, double monotonicNow);

}  // namespace targets
