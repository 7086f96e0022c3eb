#include "web/coast_geojson.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "base/json_writer.h"

namespace web {
namespace {

double SegmentDistance(const plot::GeoPoint& p, const plot::GeoPoint& a, const plot::GeoPoint& b) {
    const double dx = b.lon - a.lon, dy = b.lat - a.lat;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.lon - a.lon) * dx + (p.lat - a.lat) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.lon - (a.lon + t * dx), p.lat - (a.lat + t * dy));
}

void Simplify(const std::vector<plot::GeoPoint>& in, size_t first, size_t last, double tolerance,
              std::vector<char>& keep) {
    // An explicit stack: a long shore must not recurse thousands deep.
    std::vector<std::pair<size_t, size_t>> todo{{first, last}};
    while (!todo.empty()) {
        const auto [a, b] = todo.back();
        todo.pop_back();
        double worst = -1;
        size_t at = a;
        for (size_t k = a + 1; k < b; ++k) {
            const double d = SegmentDistance(in[k], in[a], in[b]);
            if (d > worst) worst = d, at = k;
        }
        if (worst > tolerance) {
            keep[at] = 1;
            todo.emplace_back(a, at);
            todo.emplace_back(at, b);
        }
    }
}

// One feature: a polygon (its ring closed) or a line, coordinates to 1e-5 degrees.
void AppendFeature(std::string& text, const char* property, int value, const char* type,
                   const std::vector<plot::GeoPoint>& points, bool ring) {
    base::OutputBuffer out;
    base::JsonWriter j(out);
    j.beginObject();
    j.field("type", "Feature");
    j.key("properties");
    j.beginObject();
    j.field(property, int64_t{value});
    j.endObject();
    j.key("geometry");
    j.beginObject();
    j.field("type", type);
    j.key("coordinates");
    j.beginArray();
    if (ring) j.beginArray();
    const auto point = [&j](const plot::GeoPoint& p) {
        j.beginArray();
        j.value(std::round(p.lon * 1e5) / 1e5);
        j.value(std::round(p.lat * 1e5) / 1e5);
        j.endArray();
    };
    for (const plot::GeoPoint& p : points) point(p);
    if (ring) {
        point(points.front());
        j.endArray();
    }
    j.endArray();
    j.endObject();
    j.endObject();
    if (!text.empty()) text += ',';
    text += out.view();
}

}  // namespace

std::vector<plot::GeoPoint> SimplifyLine(const std::vector<plot::GeoPoint>& line, double tolerance) {
    if (line.size() <= 2) return line;
    std::vector<char> keep(line.size(), 0);
    keep.front() = keep.back() = 1;
    Simplify(line, 0, line.size() - 1, tolerance, keep);
    std::vector<plot::GeoPoint> out;
    for (size_t k = 0; k < line.size(); ++k) {
        if (keep[k]) out.push_back(line[k]);
    }
    return out;
}

std::vector<plot::GeoPoint> SimplifyRing(const std::vector<plot::GeoPoint>& ring, double tolerance) {
    if (ring.size() <= 4) return ring;
    std::vector<char> keep(ring.size(), 0);
    // A ring is split at its first point and the point farthest from it.
    size_t far = 0;
    double farthest = -1;
    for (size_t k = 1; k < ring.size(); ++k) {
        const double d = std::hypot(ring[k].lon - ring[0].lon, ring[k].lat - ring[0].lat);
        if (d > farthest) farthest = d, far = k;
    }
    keep[0] = keep[far] = keep[ring.size() - 1] = 1;
    Simplify(ring, 0, far, tolerance, keep);
    Simplify(ring, far, ring.size() - 1, tolerance, keep);
    std::vector<plot::GeoPoint> out;
    for (size_t k = 0; k < ring.size(); ++k) {
        if (keep[k]) out.push_back(ring[k]);
    }
    if (out.size() < 4) return ring.size() < 4 ? ring : std::vector<plot::GeoPoint>{ring[0], ring[far / 2], ring[far], ring.back()};
    return out;
}

CoastGeoJson::CoastGeoJson(std::vector<std::filesystem::path> folders) : folders_(std::move(folders)) {}
CoastGeoJson::~CoastGeoJson() = default;

plot::ShoreResolution CoastGeoJson::ResolutionForZoom(int zoom) {
    if (zoom <= 4) return plot::ShoreResolution::Crude;
    if (zoom <= 6) return plot::ShoreResolution::Low;
    if (zoom <= 8) return plot::ShoreResolution::Intermediate;
    if (zoom <= 11) return plot::ShoreResolution::High;
    return plot::ShoreResolution::Full;
}

plot::GshhgFile* CoastGeoJson::file(plot::ShoreResolution r) {
    const int i = static_cast<int>(r);
    if (auto it = files_.find(i); it != files_.end()) return it->second.get();
    if (missing_[i]) return nullptr;
    const std::string name = std::string("binned_GSHHS_") + plot::ResolutionLetter(r) + ".nc";
    for (const auto& folder : folders_) {
        std::error_code ec;
        if (!std::filesystem::exists(folder / name, ec)) continue;
        auto opened = plot::GshhgFile::open(folder / name);
        if (auto* f = std::get_if<std::unique_ptr<plot::GshhgFile>>(&opened)) {
            return (files_[i] = std::move(*f)).get();
        }
    }
    missing_[i] = true;
    return nullptr;
}

const std::string& CoastGeoJson::bin(plot::ShoreResolution r, plot::BinRef ref, double tolerance) {
    // The bin's frame (its west side may lie beyond +-180 for a view across
    // the date line) is part of the key: the coordinates are written in it.
    const Key key{static_cast<int>(r), ref.index, static_cast<int>(std::floor(ref.west))};
    if (auto it = cache_.find(key); it != cache_.end()) {
        recent_.splice(recent_.begin(), recent_, it->second.second);
        return it->second.first;
    }
    std::string text;
    if (const std::optional<plot::RawBin> raw = file(r)->readBin(ref)) {
        const plot::AssembledBin assembled = plot::AssembleBin(*raw);
        // Areas are filled without an outline (their sides along the bin
        // edges are no coast); the shoreline comes as lines of its own.
        for (const plot::LevelPolygon& area : assembled.areas) {
            const std::vector<plot::GeoPoint> ring = SimplifyRing(area.points, tolerance);
            if (ring.size() < 3) continue;
            AppendFeature(text, "level", area.level, "Polygon", ring, true);
        }
        for (const std::vector<plot::GeoPoint>& line : assembled.shore) {
            const std::vector<plot::GeoPoint> kept = SimplifyLine(line, tolerance);
            if (kept.size() >= 2) AppendFeature(text, "shore", 1, "LineString", kept, false);
        }
    }
    recent_.push_front(key);
    bytes_ += text.size();
    auto& slot = cache_[key];
    slot = {std::move(text), recent_.begin()};
    // The least recently used bins go once the cache is over its bound (never the one just made).
    while (bytes_ > kCacheBytes && recent_.size() > 1) {
        auto old = cache_.find(recent_.back());
        bytes_ -= old->second.first.size();
        cache_.erase(old);
        recent_.pop_back();
    }
    return slot.first;
}

std::string CoastGeoJson::view(double west, double south, double east, double north, int zoom) {
    zoom = std::clamp(zoom, 0, 20);
    south = std::clamp(south, -90.0, 90.0);
    north = std::clamp(north, south, 90.0);
    if (!(east > west) || east - west > 360) east = west + 360;
    int r = static_cast<int>(ResolutionForZoom(zoom));
    // The wanted resolution, else a coarser one installed, else a finer one;
    // and coarser again while the view needs too many bins.
    plot::GshhgFile* f = nullptr;
    std::vector<plot::BinRef> bins;
    for (int tries = 0; tries < 2 * plot::kShoreResolutions && r >= 0; ++tries) {
        f = file(static_cast<plot::ShoreResolution>(r));
        if (f) {
            bins = f->binsIn(west, south, east, north);
            if (static_cast<int>(bins.size()) <= kMaxBins) break;
            f = nullptr;
        }
        --r;
    }
    if (!f) {
        for (int k = 0; k < plot::kShoreResolutions && !f; ++k) {
            if ((f = file(static_cast<plot::ShoreResolution>(k)))) {
                bins = f->binsIn(west, south, east, north);
                r = k;
                if (static_cast<int>(bins.size()) > kMaxBins) bins.resize(kMaxBins);
            }
        }
    }
    // Half a pixel, in degrees, of the closest zoom this resolution serves,
    // so a bin kept once suits every zoom it is asked for.
    static constexpr int kFinestZoom[plot::kShoreResolutions] = {4, 6, 8, 11, 20};
    const double tolerance = 360.0 / (256.0 * std::pow(2.0, kFinestZoom[std::max(r, 0)])) * 0.5;
    std::string out = "{\"type\":\"FeatureCollection\",\"resolution\":\"";
    if (f) out += plot::ResolutionLetter(static_cast<plot::ShoreResolution>(r));
    out += "\",\"features\":[";
    bool first = true;
    for (const plot::BinRef& ref : bins) {
        const std::string& features = bin(static_cast<plot::ShoreResolution>(r), ref, tolerance);
        if (features.empty()) continue;
        if (!first) out += ',';
        out += features;
        first = false;
    }
    out += "]}";
    return out;
}

}  // namespace web
