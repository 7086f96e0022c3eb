#include <gtest/gtest.h>
#include <netcdf.h>

#include <cmath>

#include "geodesy/grid.h"
#include "plot/coastline.h"
#include "plot/gshhg.h"

namespace plot {
namespace {

constexpr uint16_t U = kBinUnits, H = kBinUnits / 2;

// A 1° bin at 0..1°E, 50..51°N with the given corners and pieces.
RawBin Bin(std::array<int, 4> corners, std::vector<BinSegment> segments) {
    RawBin b;
    b.west = 0, b.south = 50, b.size = 1, b.cornerLevel = corners, b.segments = std::move(segments);
    return b;
}

BinSegment Closed(int level, uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    return {level, kInside, kInside, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
}

// Hand-made bins: the dry side lies left of each piece, the border walk must
// give every place its level.
TEST(GshhgBin, LevelsFromPiecesAndCorners) {
    // A coast from south to north through the middle: land to the west.
    const BinSegment coast{1, kSouth, kNorth, {{H, 0}, {H, U}}};
    // A lake shore cutting off the south-west corner (lake there, land beyond).
    const BinSegment lakeShore{2, kWest, kSouth, {{0, U / 4}, {U / 4, 0}}};
    struct Row {
        const char* what;
        RawBin bin;
        double lon, lat;
        int level;
    };
    const Row rows[] = {
        {"west of the coast", Bin({1, 0, 0, 1}, {coast}), 0.2, 50.5, 1},
        {"lake inside the land", Bin({1, 0, 0, 1}, {coast, Closed(2, U / 8, U / 4, U / 4, U / 2)}), 0.2, 50.4, 2},
        {"island in that lake", Bin({1, 0, 0, 1}, {coast, Closed(2, U / 8, U / 4, U / 4, U / 2),
                                                  Closed(3, U / 6, U / 3, U / 5, U / 2 - U / 10)}),
         0.18, 50.36, 3},
        {"lake across the border", Bin({2, 1, 1, 1}, {lakeShore}), 0.05, 50.05, 2},
        {"island in the sea", Bin({0, 0, 0, 0}, {Closed(1, H, H, U - 100, U - 100)}), 0.8, 50.8, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(LevelInBin(r.bin, r.lon, r.lat), r.level);
    }
}

// ---------------------------------------------------------------- installed data

const std::filesystem::path kHigh = "/usr/share/gmt-gshhg/binned_GSHHS_h.nc";

TEST(GshhgData, LandAndWaterAtKnownPlaces) {
    Coastlines coast;
    struct Row {
        const char* place;
        double lat, lon;
        int level;
    };
    const Row rows[] = {
        {"North Sea", 53.0, 3.0, 0}, {"Amsterdam", 52.37, 4.89, 1}, {"Lake Huron", 44.5, -82.5, 2},
        {"Manitoulin Island", 45.9, -82.3, 3}, {"Lake Manitou", 45.78, -81.98, 4},
    };
    for (ShoreResolution res : {ShoreResolution::Low, ShoreResolution::Intermediate, ShoreResolution::High}) {
        if (!coast.installed(res)) GTEST_SKIP() << ResolutionName(res) << " coastlines not installed";
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(r.place) + " " + ResolutionName(res));
            EXPECT_EQ(coast.levelAt(r.lat, r.lon, res), r.level);
        }
    }
}

// A vertex of the high-resolution file read straight from its netCDF
// variables, without the reader under test: the middle point of the first
// piece of the 2° bin at 50-52°N, 4-6°E (the Dutch coast).
GeoPoint VertexFromFile() {
    int nc = -1;
    EXPECT_EQ(nc_open(kHigh.c_str(), NC_NOWRITE, &nc), NC_NOERR);
    auto var = [&](const char* name) {
        int id = -1;
        EXPECT_EQ(nc_inq_varid(nc, name, &id), NC_NOERR) << name;
        return id;
    };
    const size_t bin[1] = {19 * 180 + 2};  // row 19 from the north, column 2 from 0°
    int firstSegment = 0, info = 0, firstPoint = 0;
    nc_get_var1_int(nc, var("Id_of_first_segment_in_a_bin"), bin, &firstSegment);
    const size_t seg[1] = {static_cast<size_t>(firstSegment)};
    nc_get_var1_int(nc, var("Embedded_npts_levels_exit_entry_for_a_segment"), seg, &info);
    nc_get_var1_int(nc, var("Id_of_first_point_in_a_segment"), seg, &firstPoint);
    const size_t point[1] = {static_cast<size_t>(firstPoint + (info >> 9) / 2)};
    short dx = 0, dy = 0;
    nc_get_var1_short(nc, var("Relative_longitude_from_SW_corner_of_bin"), point, &dx);
    nc_get_var1_short(nc, var("Relative_latitude_from_SW_corner_of_bin"), point, &dy);
    nc_close(nc);
    return {4.0 + static_cast<uint16_t>(dx) * 2.0 / 65535, 50.0 + static_cast<uint16_t>(dy) * 2.0 / 65535};
}

double DistanceToSegment(PlotView::Point p, PlotView::Point a, PlotView::Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

TEST(GshhgData, DrawnCoastPassesTheFilesVertexWithinAPixelAt1To50000) {
    if (!std::filesystem::exists(kHigh)) GTEST_SKIP() << "high coastlines not installed";
    const GeoPoint v = VertexFromFile();
    ASSERT_TRUE(v.lat > 51.0 && v.lat < 52.0);  // on the Dutch coast, as that bin holds it
    geodesy::DatumTable datum;
    geodesy::InitDatum(datum);
    geodesy::SetZone(datum, geodesy::ZoneFromLongitude(v.lon));
    // The vertex off the centre, so the test does not lean on the centre pixel.
    const GridPoint g = ToGridPoint(datum, v.lat, v.lon);
    PlotView view{50000, g.e + 1234, g.n - 987, 800, 600, 96 / 2.54};
    Coastlines coast;
    MapPicture map;
    ASSERT_TRUE(coast.appendLand(map, view, datum));
    const PlotView::Point at = GridToPixel(view, g);
    double nearest = 1e9;
    for (const MapPath& p : map.paths) {
        if (p.style.line != MapColour::Shore) continue;
        for (size_t i = 1; i < p.points.size(); ++i) {
            nearest = std::min(nearest, DistanceToSegment(at, p.points[i - 1], p.points[i]));
        }
    }
    EXPECT_LE(nearest, 1.0);
}

}  // namespace
}  // namespace plot
