// Reads a vector chart through GDAL/OGR: any vector source OGR knows (S-57
// ENC cells *.000, shapefiles, GeoPackage, GeoJSON, KML, ...). Coordinates in
// any coordinate system OGR knows are transformed to WGS84 longitude and
// latitude; a layer without one is taken as WGS84.
//
//   plot::ChartOpenResult r = plot::OpenVectorChart("/charts/NL1NL001.000");
//   if (!r.chart) show(r.error);   // "Cannot open chart ...: <why>"
//
// Only regular files are opened (and folders of them, as an S-57 exchange
// set or a folder of shapefiles): a FIFO, a device or a socket given as a
// chart, or lying beside it as one of its side files (a shapefile's .dbf, a
// cell's updates .001...), is refused before anything reads from it, since
// reading would wait for ever or never end.
//
// S-57 cells keep their object classes (the layer names) and the depth and
// colour attributes the plot draws with (DRVAL1, DRVAL2, VALDCO, COLOUR).
#pragma once

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>

#include "plot/chart_set.h"

namespace plot {

struct ChartOpenResult {
    std::optional<VectorChart> chart;
    std::string error;  // when there is no chart
};

// `cancel`, when set, ends the reading between features (result without chart
// and without error).
ChartOpenResult OpenVectorChart(const std::filesystem::path& path, const std::atomic<bool>* cancel = nullptr);

// Why a path cannot hold a chart ("it does not exist", "it is not a regular
// file"), empty when it may be opened. Checked without opening anything.
std::string ChartPathProblem(const std::filesystem::path& path);

}  // namespace plot
