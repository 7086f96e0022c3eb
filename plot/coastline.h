// Built-in coastlines: the GSHHG shorelines on the plot's grid, cached.
//
// The resolution follows the scale (crude beyond 1:5,000,000, low to
// 1:1,000,000, intermediate to 1:250,000, high to 1:50,000, full at 1:50,000
// and larger); when that one is not installed the next coarser installed one
// is used, else the next finer. Bins are read once and converted once to
// grid metres with slot 1 of the plot's datum; panning and zooming only
// re-project the cached bins. A change of zone empties the cache.
//
//   plot::Coastlines coast;                       // looks in DefaultGshhgFolders()
//   plot::MapPicture map;
//   coast.appendLand(map, view, plot.datum);      // land, lakes, islands in lakes, coastline
//   coast.levelAt(58.9, 13.3, ShoreResolution::High);   // 2: a lake
//
// Without any installed file nothing is drawn and levelAt gives nullopt.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geodesy/geodetic.h"
#include "plot/gshhg.h"
#include "plot/map_layer.h"
#include "plot/plot_geometry.h"

namespace plot {

enum class ShoreResolution { Crude, Low, Intermediate, High, Full };
inline constexpr int kShoreResolutions = 5;

// 'c', 'l', 'i', 'h', 'f': the letter in the file names.
char ResolutionLetter(ShoreResolution r);
const char* ResolutionName(ShoreResolution r);
ShoreResolution WantedResolution(int32_t scale);

// $ORVANTA_GSHHG_DIR when set, then the folders Debian's and GMT's own
// packages install to.
std::vector<std::filesystem::path> DefaultGshhgFolders();

class Coastlines {
public:
    explicit Coastlines(std::vector<std::filesystem::path> folders = DefaultGshhgFolders());
    ~Coastlines();

    bool installed(ShoreResolution r) const;
    // The resolution drawn at this scale; nullopt when none is installed.
    std::optional<ShoreResolution> resolutionFor(int32_t scale) const;

    // Land of the view: areas filled by level (land, lakes, islands in lakes,
    // ponds), then the coastline. Returns the resolution drawn.
    std::optional<ShoreResolution> appendLand(MapPicture& out, const PlotView& view, const geodesy::DatumTable& datum);

    // Level at a place (0 sea, 1 land, 2 lake, 3 island in a lake, 4 pond);
    // nullopt when that resolution is not installed or cannot be read.
    std::optional<int> levelAt(double lat, double lon, ShoreResolution r);

    size_t cachedBins() const { return cache_.size(); }
    // Why a file could not be used, empty when all went well.
    const std::string& lastError() const { return error_; }

private:
    struct GridBin {
        std::vector<std::pair<int, GridPath>> areas;  // level, outline
        std::vector<GridPath> shore;
    };
    GshhgFile* file(ShoreResolution r);
    const GridBin* gridBin(ShoreResolution r, BinRef ref, const geodesy::DatumTable& datum);

    std::vector<std::filesystem::path> folders_;
    std::array<std::filesystem::path, kShoreResolutions> paths_;
    std::array<std::unique_ptr<GshhgFile>, kShoreResolutions> files_;
    std::array<bool, kShoreResolutions> failed_{};
    std::map<std::pair<int, int>, GridBin> cache_;  // (resolution, bin)
    int cacheZone_ = -1;
    std::string error_;
};

}  // namespace plot
