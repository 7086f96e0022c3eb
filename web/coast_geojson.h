// The coastlines and land the desktop's plot reads (GSHHG), as GeoJSON for
// the page's map: the bins a view covers at the resolution its zoom wants,
// their land, lakes and islands as polygons with their level and the
// shoreline as lines ({"shore": 1}), simplified to
// about half a pixel of that zoom. A bin is made once and kept (up to a
// bound), so panning costs little; a view that would need more than
// kMaxBins bins is answered at a coarser resolution.
//
//   web::CoastGeoJson coast;     // looks where plot::DefaultGshhgFolders() says
//   std::string geo = coast.view(-5, 50, 10, 60, 7);   // west, south, east, north, Leaflet zoom
//
// Not thread-safe (netCDF is not): one object, used from one thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plot/coastline.h"
#include "plot/gshhg.h"

namespace web {

class CoastGeoJson {
public:
    static constexpr int kMaxBins = 64;
    static constexpr size_t kCacheBytes = size_t{64} << 20;

    explicit CoastGeoJson(std::vector<std::filesystem::path> folders = plot::DefaultGshhgFolders());
    ~CoastGeoJson();

    // {"type": "FeatureCollection", "resolution": "l", "features": [...]};
    // no features when no shoreline file is installed.
    std::string view(double west, double south, double east, double north, int zoom);

    // The resolution a Leaflet zoom wants, before falling back to what is installed.
    static plot::ShoreResolution ResolutionForZoom(int zoom);
    size_t cachedBins() const { return cache_.size(); }

private:
    plot::GshhgFile* file(plot::ShoreResolution r);
    const std::string& bin(plot::ShoreResolution r, plot::BinRef ref, double tolerance);

    std::vector<std::filesystem::path> folders_;
    std::map<int, std::unique_ptr<plot::GshhgFile>> files_;
    std::map<int, bool> missing_;
    // (resolution, bin index, west of the frame in whole degrees) -> features text
    using Key = std::tuple<int, int, int>;
    std::map<Key, std::pair<std::string, std::list<Key>::iterator>> cache_;
    std::list<Key> recent_;  // most recently used first
    size_t bytes_ = 0;
};

// Douglas-Peucker simplification of a closed ring (keeping at least 4
// points) and of an open line (keeping both ends): no point farther than
// tolerance degrees from what is kept is left out.
std::vector<plot::GeoPoint> SimplifyRing(const std::vector<plot::GeoPoint>& ring, double tolerance);
std::vector<plot::GeoPoint> SimplifyLine(const std::vector<plot::GeoPoint>& line, double tolerance);

}  // namespace web
