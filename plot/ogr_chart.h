// Reads a vector chart through GDAL/OGR: any vector source OGR knows (S-57
// ENC cells *.000, shapefiles, GeoPackage, GeoJSON, KML, ...). Coordinates in
// any coordinate system OGR knows are transformed to WGS84 longitude and
// latitude; a layer without one is taken as WGS84.
//
//   plot::ChartOpenResult r = plot::OpenVectorChart("/charts/NL1NL001.000");
//   if (!r.chart) show(r.error);   // "Cannot open chart ...: <why>"
//
// S-57 cells keep their object classes (the layer names) and the depth and
// colour attributes the plot draws with (DRVAL1, DRVAL2, VALDCO, COLOUR).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "plot/chart_set.h"

namespace plot {

struct ChartOpenResult {
    std::optional<VectorChart> chart;
    std::string error;  // when there is no chart
};

ChartOpenResult OpenVectorChart(const std::filesystem::path& path);

}  // namespace plot
