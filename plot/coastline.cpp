#include "plot/coastline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/operator_messages.h"
#include "geodesy/grid.h"

namespace plot {

namespace {

// Beyond this many degrees from the central meridian the grid's series is of
// no use; no coastline is read there.
constexpr double kMaxLongitudeFromMeridian = 45.0;
// Bins kept converted; more than this and the cache starts again.
constexpr size_t kMaxCachedBins = 256;

}  // namespace

char ResolutionLetter(ShoreResolution r) { return "clihf"[static_cast<int>(r)]; }

const char* ResolutionName(ShoreResolution r) {
    static const char* const kNames[] = {"crude", "low", "intermediate", "high", "full"};
    return kNames[static_cast<int>(r)];
}

ShoreResolution WantedResolution(int32_t scale) {
    if (scale > 5000000) return ShoreResolution::Crude;
    if (scale > 1000000) return ShoreResolution::Low;
    if (scale > 250000) return ShoreResolution::Intermediate;
    if (scale > 50000) return ShoreResolution::High;
    return ShoreResolution::Full;
}

std::vector<std::filesystem::path> DefaultGshhgFolders() {
    std::vector<std::filesystem::path> out;
    if (const char* dir = std::getenv("ORVANTA_GSHHG_DIR"); dir && *dir) out.emplace_back(dir);
    for (const char* dir : {"/usr/share/gmt-gshhg", "/usr/share/gmt/coast", "/usr/local/share/gmt-gshhg",
                            "/usr/local/share/gmt/coast"}) {
        out.emplace_back(dir);
    }
    return out;
}

Coastlines::Coastlines(std::vector<std::filesystem::path> folders) : folders_(std::move(folders)) {
    for (int r = 0; r < kShoreResolutions; ++r) {
        const std::string name = std::string("binned_GSHHS_") + ResolutionLetter(static_cast<ShoreResolution>(r)) + ".nc";
        for (const auto& folder : folders_) {
            std::error_code ec;
            if (std::filesystem::is_regular_file(folder / name, ec)) {
                paths_[static_cast<size_t>(r)] = folder / name;
                break;
            }
        }
    }
}

Coastlines::~Coastlines() = default;

bool Coastlines::installed(ShoreResolution r) const {
    const auto i = static_cast<size_t>(r);
    return !paths_[i].empty() && !failed_[i];
}

std::optional<ShoreResolution> Coastlines::resolutionFor(int32_t scale) const {
    const int wanted = static_cast<int>(WantedResolution(scale));
    for (int r = wanted; r >= 0; --r) {
        if (installed(static_cast<ShoreResolution>(r))) return static_cast<ShoreResolution>(r);
    }
    for (int r = wanted + 1; r < kShoreResolutions; ++r) {
        if (installed(static_cast<ShoreResolution>(r))) return static_cast<ShoreResolution>(r);
    }
    return std::nullopt;
}

GshhgFile* Coastlines::file(ShoreResolution r) {
    const auto i = static_cast<size_t>(r);
    if (files_[i]) return files_[i].get();
    if (paths_[i].empty() || failed_[i]) return nullptr;
    auto opened = GshhgFile::open(paths_[i]);
    if (auto* e = std::get_if<GshhgFile::Error>(&opened)) {
        failed_[i] = true;
        error_ = e->text;
        return nullptr;
    }
    files_[i] = std::move(std::get<std::unique_ptr<GshhgFile>>(opened));
    return files_[i].get();
}

const Coastlines::GridBin* Coastlines::gridBin(ShoreResolution r, BinRef ref, const geodesy::DatumTable& datum) {
    const std::pair<int, int> key{static_cast<int>(r), ref.index};
    if (auto it = cache_.find(key); it != cache_.end()) return &it->second;
    GshhgFile* f = file(r);
    if (!f) return nullptr;
    const std::optional<RawBin> raw = f->readBin(ref);
    if (!raw) {
        error_ = paths_[static_cast<size_t>(r)].string() + ": damaged bin " + std::to_string(ref.index);
        return nullptr;
    }
    const AssembledBin assembled = AssembleBin(*raw);
    GridBin& bin = cache_[key];
    auto convert = [&](const std::vector<GeoPoint>& points) {
        GridPath path;
        path.points.reserve(points.size());
        for (const GeoPoint& p : points) path.points.push_back(ToGridPoint(datum, p.lat, p.lon));
        SetBounds(path);
        return path;
    };
    for (const LevelPolygon& area : assembled.areas) bin.areas.emplace_back(area.level, convert(area.points));
    for (const auto& line : assembled.shore) bin.shore.push_back(convert(line));
    return &bin;
}

std::optional<ShoreResolution> Coastlines::appendLand(MapPicture& out, const PlotView& view,
                                                      const geodesy::DatumTable& datum) {
    const std::optional<ShoreResolution> r = resolutionFor(view.scale);
    if (!r || !file(*r)) return std::nullopt;
    const int zone = datum.datumSlots[1].zone;
    if (zone != cacheZone_) {
        cache_.clear();
        cacheZone_ = zone;
    }
    // The geographic box around the picture: its centre and half its diagonal.
    base::NullMessageSink quiet;
    double lat = 0, lon = 0, e = view.centreE, n = view.centreN;
    geodesy::GridConvert(datum, 1, lat, lon, e, n, geodesy::GridDirection::GridToGeog, quiet);
    lat *= geodesy::kRadToDeg;
    lon *= geodesy::kRadToDeg;
    const double reach = std::hypot(view.widthPx, view.heightPx) / 2 * view.metresPerPixel() * 1.05 + 1000;
    const double dLat = reach / 110000.0;
    const double south = std::max(-90.0, lat - dLat), north = std::min(90.0, lat + dLat);
    const double widest = std::min(89.0, std::max(std::fabs(south), std::fabs(north)));
    const double dLon = std::min(kMaxLongitudeFromMeridian, reach / (111000.0 * std::cos(widest * geodesy::kDegToRad)));
    const double meridian = geodesy::CentralMeridian(zone);
    const double west = std::max(lon - dLon, meridian - kMaxLongitudeFromMeridian);
    const double east = std::min(lon + dLon, meridian + kMaxLongitudeFromMeridian);
    if (!(west < east)) return r;

    const std::vector<BinRef> refs = files_[static_cast<size_t>(*r)]->binsIn(west, south, east, north);
    if (cache_.size() + refs.size() > kMaxCachedBins) cache_.clear();
    std::vector<const GridBin*> bins;
    for (const BinRef& ref : refs) {
        if (const GridBin* b = gridBin(*r, ref, datum)) bins.push_back(b);
    }
    for (int level = 1; level <= 4; ++level) {
        const PathStyle style{level % 2 == 1 ? MapColour::Land : MapColour::Water, MapColour::None};
        for (const GridBin* b : bins) {
            for (const auto& [areaLevel, path] : b->areas) {
                if (areaLevel == level) AppendPath(out, view, path, style);
            }
        }
    }
    const PathStyle shore{MapColour::None, MapColour::Shore};
    for (const GridBin* b : bins) {
        for (const GridPath& line : b->shore) AppendPath(out, view, line, shore);
    }
    return r;
}

std::optional<int> Coastlines::levelAt(double lat, double lon, ShoreResolution r) {
    GshhgFile* f = file(r);
    if (!f) return std::nullopt;
    const std::vector<BinRef> refs = f->binsIn(lon, lat, lon, lat);
    if (refs.empty()) return std::nullopt;
    const std::optional<RawBin> bin = f->readBin(refs.front());
    if (!bin) return std::nullopt;
    return LevelInBin(*bin, lon, lat);
}

}  // namespace plot
