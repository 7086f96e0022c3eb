#include "plot/gshhg.h"

#include <netcdf.h>

#include <mutex>
#include <string>

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/shared_library.h"

namespace plot {

namespace {

// netCDF's functions, from the library loaded when the first shoreline file
// is opened (base/shared_library.h): a program that reads none does not load
// it, nor the libraries it brings (HDF5, curl, XML).
#define ORVANTA_NETCDF_FUNCTIONS(X) \
    X(nc_close) X(nc_get_var1_int) X(nc_get_vara_int) X(nc_get_vara_schar) X(nc_get_vara_short) \
    X(nc_inq_dimlen) X(nc_inq_vardimid) X(nc_inq_varid) X(nc_inq_varndims) X(nc_open) X(nc_strerror)

ORVANTA_SHARED_FUNCTIONS(Netcdf, ORVANTA_NETCDF_SONAME, ORVANTA_NETCDF_FUNCTIONS)

// The functions once a file was opened (nothing calls them before).
const Netcdf& nc() { return *LoadNetcdf(nullptr); }

// The netCDF library keeps global state and is not safe to call from two
// threads at once; the plot (window thread) and the web view (its own
// thread) may both read shorelines, so every call goes through this lock.
std::recursive_mutex& NetcdfLock() {
    static std::recursive_mutex lock;  // open() may close a file it gave up on
    return lock;
}

}  // namespace

namespace {

constexpr int64_t kPerimeter = 4LL * kBinUnits;

int64_t Wrap(int64_t t) { return ((t % kPerimeter) + kPerimeter) % kPerimeter; }

// Position of a border point, counter-clockwise from the south-west corner.
int64_t BorderPosition(int side, BinPoint p) {
    switch (side) {
        case kSouth: return p.x;
        case kEast: return kBinUnits + p.y;
        case kNorth: return 2LL * kBinUnits + (kBinUnits - p.x);
        case kWest: return Wrap(3LL * kBinUnits + (kBinUnits - p.y));
        default: return 0;
    }
}

// Corner k lies at border position k * kBinUnits: SW, SE, NE, NW.
BinPoint Corner(int k) {
    const auto u = static_cast<uint16_t>(kBinUnits);
    switch (k) {
        case 1: return {u, 0};
        case 2: return {u, u};
        case 3: return {0, u};
        default: return {0, 0};
    }
}

bool Crosses(const BinSegment& s) { return s.entry < kInside && s.exit < kInside && !s.points.empty(); }

int SideLevel(int lowest, bool dry) { return dry ? 2 * ((lowest - 1) / 2) + 1 : 2 * (lowest / 2); }

std::vector<GeoPoint> ToGeo(const RawBin& bin, const std::vector<BinPoint>& points) {
    std::vector<GeoPoint> out;
    out.reserve(points.size());
    for (BinPoint p : points) out.push_back(bin.toGeo(p));
    return out;
}

}  // namespace

bool PointInRing(const std::vector<GeoPoint>& ring, double lon, double lat) {
    bool inside = false;
    const size_t n = ring.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const GeoPoint& a = ring[i];
        const GeoPoint& b = ring[j];
        if ((a.lat > lat) != (b.lat > lat) && lon < (b.lon - a.lon) * (lat - a.lat) / (b.lat - a.lat) + a.lon) {
            inside = !inside;
        }
    }
    return inside;
}

std::vector<LevelPolygon> WalkBin(const RawBin& bin, bool dry) {
    std::vector<LevelPolygon> out;
    std::vector<size_t> crossing;
    for (size_t i = 0; i < bin.segments.size(); ++i) {
        if (Crosses(bin.segments[i])) crossing.push_back(i);
    }
    if (crossing.empty()) {
        const int level = bin.cornerLevel[0];
        if ((level % 2 == 1) == dry) {
            LevelPolygon whole{level, {}};
            for (int k = 0; k < 4; ++k) whole.points.push_back(bin.toGeo(Corner(k)));
            out.push_back(std::move(whole));
        }
        return out;
    }
    auto entryAt = [&](size_t i) {
        const BinSegment& s = bin.segments[i];
        return BorderPosition(s.entry, s.points.front());
    };
    auto exitAt = [&](size_t i) {
        const BinSegment& s = bin.segments[i];
        return BorderPosition(s.exit, s.points.back());
    };
    // Distance along the border in the direction of the walk: counter-clockwise
    // keeps the dry side inside, clockwise the wet side.
    auto ahead = [dry](int64_t from, int64_t to) { return dry ? Wrap(to - from) : Wrap(from - to); };
    std::sort(crossing.begin(), crossing.end(), [&](size_t a, size_t b) { return entryAt(a) < entryAt(b); });

    std::vector<bool> used(bin.segments.size(), false);
    for (size_t start : crossing) {
        if (used[start]) continue;
        used[start] = true;
        LevelPolygon area;
        int lowest = std::numeric_limits<int>::max();
        size_t current = start;
        for (size_t steps = 0; steps <= crossing.size(); ++steps) {
            const BinSegment& s = bin.segments[current];
            for (BinPoint p : s.points) area.points.push_back(bin.toGeo(p));
            lowest = std::min(lowest, s.level);
            const int64_t from = exitAt(current);
            size_t next = start;
            int64_t best = ahead(from, entryAt(start));
            for (size_t c : crossing) {
                if (used[c]) continue;
                const int64_t d = ahead(from, entryAt(c));
                if (d < best) {
                    best = d;
                    next = c;
                }
            }
            // The corners passed on the way to the next entry, in walking order.
            std::array<std::pair<int64_t, int>, 4> corners{};
            int passed = 0;
            for (int k = 0; k < 4; ++k) {
                const int64_t d = ahead(from, static_cast<int64_t>(k) * kBinUnits);
                if (d > 0 && d < best) corners[static_cast<size_t>(passed++)] = {d, k};
            }
            std::sort(corners.begin(), corners.begin() + passed);
            for (int i = 0; i < passed; ++i) {
                const int k = corners[static_cast<size_t>(i)].second;
                area.points.push_back(bin.toGeo(Corner(k)));
                lowest = std::min(lowest, bin.cornerLevel[static_cast<size_t>(k)]);
            }
            if (next == start) break;
            used[next] = true;
            current = next;
        }
        area.level = SideLevel(lowest, dry);
        out.push_back(std::move(area));
    }
    return out;
}

AssembledBin AssembleBin(const RawBin& bin) {
    AssembledBin out;
    out.areas = WalkBin(bin, true);
    for (const BinSegment& s : bin.segments) {
        if (s.points.empty()) continue;
        std::vector<GeoPoint> line = ToGeo(bin, s.points);
        if (!Crosses(s)) {
            out.areas.push_back({s.level, line});
            line.push_back(line.front());
        }
        out.shore.push_back(std::move(line));
    }
    std::stable_sort(out.areas.begin(), out.areas.end(),
                     [](const LevelPolygon& a, const LevelPolygon& b) { return a.level < b.level; });
    return out;
}

int LevelInBin(const RawBin& bin, double lon, double lat) {
    int level = -1;
    auto consider = [&](const LevelPolygon& p) {
        if (p.level > level && PointInRing(p.points, lon, lat)) level = p.level;
    };
    for (bool dry : {true, false}) {
        for (const LevelPolygon& p : WalkBin(bin, dry)) consider(p);
    }
    for (const BinSegment& s : bin.segments) {
        if (!Crosses(s) && !s.points.empty()) consider({s.level, ToGeo(bin, s.points)});
    }
    return std::max(level, 0);
}

// ---------------------------------------------------------------- the file

namespace {

bool ReadScalar(int ncid, const char* name, int& value) {
    int var = -1;
    const size_t index[1] = {0};
    return nc().nc_inq_varid(ncid, name, &var) == NC_NOERR && nc().nc_get_var1_int(ncid, var, index, &value) == NC_NOERR;
}

template <typename T>
bool ReadArray(int ncid, const char* name, size_t count, std::vector<T>& out) {
    int var = -1;
    int dims = 0;
    if (nc().nc_inq_varid(ncid, name, &var) != NC_NOERR || nc().nc_inq_varndims(ncid, var, &dims) != NC_NOERR || dims != 1) {
        return false;
    }
    int dim = -1;
    size_t length = 0;
    if (nc().nc_inq_vardimid(ncid, var, &dim) != NC_NOERR || nc().nc_inq_dimlen(ncid, dim, &length) != NC_NOERR ||
        length < count) {
        return false;
    }
    out.resize(count);
    if (count == 0) return true;
    const size_t start[1] = {0};
    const size_t n[1] = {count};
    if constexpr (sizeof(T) == 2) {
        return nc().nc_get_vara_short(ncid, var, start, n, out.data()) == NC_NOERR;
    } else {
        return nc().nc_get_vara_int(ncid, var, start, n, out.data()) == NC_NOERR;
    }
}

}  // namespace

std::variant<std::unique_ptr<GshhgFile>, GshhgFile::Error> GshhgFile::open(const std::filesystem::path& path) {
    const std::lock_guard netcdf(NetcdfLock());
    std::string unloaded;
    if (!LoadNetcdf(&unloaded)) return Error{path.string() + ": " + unloaded};
    std::unique_ptr<GshhgFile> f(new GshhgFile);
    if (const int rc = nc().nc_open(path.c_str(), NC_NOWRITE, &f->ncid_); rc != NC_NOERR) {
        f->ncid_ = -1;
        return Error{path.string() + ": " + nc().nc_strerror(rc)};
    }
    int bins = 0;
    if (!ReadScalar(f->ncid_, "Bin_size_in_minutes", f->binMinutes_) ||
        !ReadScalar(f->ncid_, "N_bins_in_360_longitude_range", f->columns_) ||
        !ReadScalar(f->ncid_, "N_bins_in_file", bins) ||
        !ReadScalar(f->ncid_, "N_segments_in_file", f->segmentCount_) ||
        !ReadScalar(f->ncid_, "N_points_in_file", f->pointCount_)) {
        return Error{path.string() + ": not a binned GSHHG shoreline file"};
    }
    // The bins must tile the globe exactly.
    if (f->binMinutes_ <= 0 || f->columns_ <= 0 || f->columns_ * f->binMinutes_ != 360 * 60 ||
        bins != f->columns_ * (180 * 60 / f->binMinutes_) || f->segmentCount_ < 0 || f->pointCount_ < 0) {
        return Error{path.string() + ": bin tables do not cover the globe"};
    }
    const auto n = static_cast<size_t>(bins);
    if (!ReadArray(f->ncid_, "Embedded_node_levels_in_a_bin", n, f->nodeLevels_) ||
        !ReadArray(f->ncid_, "N_segments_in_a_bin", n, f->segmentsInBin_) ||
        !ReadArray(f->ncid_, "Id_of_first_segment_in_a_bin", n, f->firstSegment_) ||
        nc().nc_inq_varid(f->ncid_, "Embedded_npts_levels_exit_entry_for_a_segment", &f->varSegInfo_) != NC_NOERR ||
        nc().nc_inq_varid(f->ncid_, "Id_of_first_point_in_a_segment", &f->varSegStart_) != NC_NOERR ||
        nc().nc_inq_varid(f->ncid_, "Relative_longitude_from_SW_corner_of_bin", &f->varDx_) != NC_NOERR ||
        nc().nc_inq_varid(f->ncid_, "Relative_latitude_from_SW_corner_of_bin", &f->varDy_) != NC_NOERR) {
        return Error{path.string() + ": bin or segment tables missing"};
    }
    // Older files have a single Antarctica and no flag.
    if (nc().nc_inq_varid(f->ncid_, "Embedded_ANT_flag", &f->varAntFlag_) != NC_NOERR) f->varAntFlag_ = -1;
    return f;
}

GshhgFile::~GshhgFile() {
    const std::lock_guard netcdf(NetcdfLock());
    if (ncid_ >= 0) nc().nc_close(ncid_);
}

std::vector<BinRef> GshhgFile::binsIn(double west, double south, double east, double north) const {
    std::vector<BinRef> out;
    const double size = binSize();
    const int rows = binCount() / columns_;
    if (!(west <= east) || !(south <= north) || !std::isfinite(west + east + south + north)) return out;
    const int firstRow = std::clamp(static_cast<int>(std::floor((90.0 - north) / size)), 0, rows - 1);
    const int lastRow = std::clamp(static_cast<int>(std::ceil((90.0 - south) / size)) - 1, 0, rows - 1);
    const auto firstColumn = static_cast<int64_t>(std::floor(west / size));
    const int64_t lastColumn =
        std::min(static_cast<int64_t>(std::ceil(east / size)) - 1, firstColumn + columns_ - 1);
    for (int r = firstRow; r <= lastRow; ++r) {
        for (int64_t k = firstColumn; k <= lastColumn; ++k) {
            const auto column = static_cast<int>(((k % columns_) + columns_) % columns_);
            out.push_back({r * columns_ + column, static_cast<double>(k) * size});
        }
    }
    return out;
}

std::optional<RawBin> GshhgFile::readBin(BinRef ref) const {
    const std::lock_guard netcdf(NetcdfLock());
    if (ref.index < 0 || ref.index >= binCount()) return std::nullopt;
    const auto i = static_cast<size_t>(ref.index);
    RawBin bin;
    bin.index = ref.index;
    bin.size = binSize();
    bin.west = ref.west;
    bin.south = 90.0 - (ref.index / columns_ + 1) * bin.size;
    const auto corners = static_cast<uint16_t>(nodeLevels_[i]);
    bin.cornerLevel = {(corners >> 9) & 7, (corners >> 6) & 7, (corners >> 3) & 7, corners & 7};

    const int count = segmentsInBin_[i];
    const int first = firstSegment_[i];
    if (count == 0) return bin;
    if (count < 0 || first < 0 || first > segmentCount_ - count) return std::nullopt;
    const size_t start[1] = {static_cast<size_t>(first)};
    const size_t n[1] = {static_cast<size_t>(count)};
    std::vector<int> info(n[0]), firstPoint(n[0]);
    std::vector<signed char> antarctic(n[0], 0);
    if (nc().nc_get_vara_int(ncid_, varSegInfo_, start, n, info.data()) != NC_NOERR ||
        nc().nc_get_vara_int(ncid_, varSegStart_, start, n, firstPoint.data()) != NC_NOERR ||
        (varAntFlag_ >= 0 && nc().nc_get_vara_schar(ncid_, varAntFlag_, start, n, antarctic.data()) != NC_NOERR)) {
        return std::nullopt;
    }
    // The points of a bin's segments lie together: read them in one go.
    int64_t low = std::numeric_limits<int64_t>::max(), high = 0;
    for (size_t s = 0; s < n[0]; ++s) {
        const int64_t points = static_cast<uint32_t>(info[s]) >> 9;
        if (firstPoint[s] < 0 || firstPoint[s] + points > pointCount_) return std::nullopt;
        low = std::min<int64_t>(low, firstPoint[s]);
        high = std::max<int64_t>(high, firstPoint[s] + points);
    }
    std::vector<int16_t> dx, dy;
    if (high > low) {
        dx.resize(static_cast<size_t>(high - low));
        dy.resize(dx.size());
        const size_t pStart[1] = {static_cast<size_t>(low)};
        const size_t pCount[1] = {dx.size()};
        if (nc().nc_get_vara_short(ncid_, varDx_, pStart, pCount, dx.data()) != NC_NOERR ||
            nc().nc_get_vara_short(ncid_, varDy_, pStart, pCount, dy.data()) != NC_NOERR) {
            return std::nullopt;
        }
    }
    for (size_t s = 0; s < n[0]; ++s) {
        const auto word = static_cast<uint32_t>(info[s]);
        BinSegment seg;
        seg.level = static_cast<int>((word >> 6) & 7);
        seg.entry = static_cast<int>((word >> 3) & 7);
        seg.exit = static_cast<int>(word & 7);
        if (seg.entry > kInside || seg.exit > kInside) return std::nullopt;
        if (antarctic[s] != 0) {
            seg.level = 1;  // Antarctica's ice front, drawn as its coast
        } else if (seg.level > 4) {
            continue;  // the grounding line under the ice
        }
        const int64_t points = word >> 9;
        seg.points.resize(static_cast<size_t>(points));
        for (int64_t k = 0; k < points; ++k) {
            const auto at = static_cast<size_t>(firstPoint[s] - low + k);
            seg.points[static_cast<size_t>(k)] = {static_cast<uint16_t>(dx[at]), static_cast<uint16_t>(dy[at])};
        }
        bin.segments.push_back(std::move(seg));
    }
    return bin;
}

}  // namespace plot
