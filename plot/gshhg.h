// GSHHG shorelines in GMT's binned netCDF form (binned_GSHHS_{c,l,i,h,f}.nc,
// Debian packages gmt-gshhg-low, gmt-gshhg-high, gmt-gshhg-full).
//
// The files cut the world into square bins (20°, 10°, 5°, 2° and 1° for crude,
// low, intermediate, high and full), numbered row by row from 90°N, 0°E
// eastwards. A bin stores the level at its four corners and the pieces of
// shoreline inside it. A piece either closes on itself inside the bin, or
// enters through one side and leaves through another; walking along a piece
// the dry side (odd level) lies on the left. Points are 16-bit offsets from
// the south-west corner, 65535 being one bin width.
//
// Levels: 0 sea, 1 land, 2 lake, 3 island in a lake, 4 pond on such an island.
//
//   auto file = plot::GshhgFile::open("/usr/share/gmt-gshhg/binned_GSHHS_h.nc");
//   if (!file) puts(file.error().c_str());
//   for (const plot::BinRef& b : file->binsIn(10.2, 59.0, 11.0, 59.5)) {
//       const auto bin = file->readBin(b);          // nullopt when the file is damaged
//       plot::AssembledBin areas = plot::AssembleBin(*bin);  // polygons to fill, lines to draw
//   }
//
// Antarctica comes twice in the data (ice front and grounding line); the ice
// front is used, as the node levels of the bins are meant for it. Damaged
// files give errors as values: indices outside their arrays are refused.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace plot {

struct GeoPoint {
    double lon = 0;  // degrees east
    double lat = 0;  // degrees north
};

inline constexpr int kBinUnits = 65535;  // one bin width in point units

struct BinPoint {
    uint16_t x = 0;  // eastwards from the bin's west side
    uint16_t y = 0;  // northwards from its south side
};

// Sides of a bin, counter-clockwise from the south; kInside for a piece that
// closes inside the bin.
enum BinSide : int { kSouth = 0, kEast = 1, kNorth = 2, kWest = 3, kInside = 4 };

struct BinSegment {
    int level = 1;
    int entry = kInside;
    int exit = kInside;
    std::vector<BinPoint> points;
};

// Corner levels in the order south-west, south-east, north-east, north-west.
struct RawBin {
    int index = 0;
    double west = 0;  // degrees; in the frame the bin was asked for (may be < 0)
    double south = 0;
    double size = 0;  // degrees
    std::array<int, 4> cornerLevel{};
    std::vector<BinSegment> segments;

    GeoPoint toGeo(BinPoint p) const {
        return {west + p.x * size / kBinUnits, south + p.y * size / kBinUnits};
    }
};

struct LevelPolygon {
    int level = 0;
    std::vector<GeoPoint> points;  // closed implicitly
};

// A bin ready to draw: the dry areas as polygons (land and islands in lakes,
// with the wet areas crossing the bin left out of them), the pieces closing
// inside the bin at their own level (islands, lakes, ponds), sorted so that
// filling them in order with the colour of their level gives the right
// picture; and the shoreline pieces as lines (the bin sides are no coast).
struct AssembledBin {
    std::vector<LevelPolygon> areas;
    std::vector<std::vector<GeoPoint>> shore;
};

// The areas on one side of the pieces: dry (odd levels) or wet (even levels),
// made by following each crossing piece and then the bin's border to the
// next one. A bin without crossing pieces is one area at its corner level,
// given only when that level is of the asked side.
std::vector<LevelPolygon> WalkBin(const RawBin& bin, bool dry);
AssembledBin AssembleBin(const RawBin& bin);
// Level at a point inside the bin (degrees in the bin's frame).
int LevelInBin(const RawBin& bin, double lon, double lat);

// Even-odd test of a point against a closed ring.
bool PointInRing(const std::vector<GeoPoint>& ring, double lon, double lat);

// A bin and where its west side lies in the frame of the question.
struct BinRef {
    int index = 0;
    double west = 0;
};

class GshhgFile {
public:
    struct Error {
        std::string text;
    };
    // Opens a binned_GSHHS_?.nc file and reads its bin tables.
    static std::variant<std::unique_ptr<GshhgFile>, Error> open(const std::filesystem::path& path);
    ~GshhgFile();
    GshhgFile(const GshhgFile&) = delete;
    GshhgFile& operator=(const GshhgFile&) = delete;

    double binSize() const { return binMinutes_ / 60.0; }
    int binCount() const { return static_cast<int>(nodeLevels_.size()); }
    // Bins that overlap the box; west <= east, in degrees, west may be
    // negative or east beyond 180 (the bins then carry that frame).
    std::vector<BinRef> binsIn(double west, double south, double east, double north) const;
    // nullopt when the file's tables point outside their arrays or a read fails.
    std::optional<RawBin> readBin(BinRef ref) const;

private:
    GshhgFile() = default;
    int ncid_ = -1;
    int binMinutes_ = 0;
    int columns_ = 0;
    int segmentCount_ = 0;
    int pointCount_ = 0;
    int varSegInfo_ = -1, varSegStart_ = -1, varAntFlag_ = -1, varDx_ = -1, varDy_ = -1;
    std::vector<int16_t> nodeLevels_;
    std::vector<int16_t> segmentsInBin_;
    std::vector<int32_t> firstSegment_;
};

}  // namespace plot
