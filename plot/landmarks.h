// Landmarks of the plot: towns and offshore platforms listed in two text files
// of the data folder, read once at start and converted to grid coordinates.
//
//   Database/City Database.txt       name,latDeg,latMin,lonDeg,lonMin
//   Database/Platform Database.txt   name,latDeg,latMin,lonDeg,lonMin,type
//
//   Portville,60,23.5,5,19.8          -> 60.391667 N, 5.33 E, type "A"
//   "Troll A, gas",60,38.7,3,43.6,G   -> a quoted name may hold commas
//
// Degrees carry the sign (negative for south and west); minutes are added with
// the sign of the degrees, so a position with 0 degrees keeps only the degrees.
// Each list holds at most 100 landmarks. The platform file is read only when
// the city file exists. Lines that hold no usable landmark (too few fields, a
// number that does not read, a position off the globe) are skipped and
// counted; nothing is ever reported to the operator.
//
//   geodesy::DatumTable datum;  geodesy::InitDatum(datum);
//   const plot::LandmarkDatabases db = plot::LoadDatabases(dataDir, datum);
//   for (const auto& city : db.Cities) draw(city.easting, city.northing, city.name);
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geodesy/geodetic.h"
#include "plot/label_placement.h"
#include "plot/map_layer.h"

namespace plot {

inline constexpr const char* kDatabaseFolder = "Database";
inline constexpr const char* kCityFileName = "City Database.txt";
inline constexpr const char* kPlatformFileName = "Platform Database.txt";
inline constexpr const char* kCoastlineFileName = "North Sea Coastline.cht";
inline constexpr int kMaxLandmarks = 100;

enum class LandmarkKind { City, Platform };

struct Landmark {
    std::string name;
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    double northing = 0;   // grid metres, datum slot 1 in the zone of load time
    double easting = 0;
    std::string type;      // one character: "A" for a city, a platform's own letter or " "
};

// How one file went.
struct LandmarkFileResult {
    bool found = false;       // the file existed
    bool readFailed = false;  // it existed but could not be read
    int records = 0;          // landmarks now in the list
    int malformedLines = 0;   // non-blank lines without a usable landmark
    int beyondCapacity = 0;   // good landmarks left out because the list was full
};

struct LandmarkDatabases {
    std::vector<Landmark> Cities;     // at most kMaxLandmarks
    std::vector<Landmark> Platforms;  // at most kMaxLandmarks
    LandmarkFileResult cityFile;
    LandmarkFileResult platformFile;
    std::filesystem::path chartPath;  // coastline chart; recorded, not read
};

// One line of either file, without the grid coordinates; nullopt when it does
// not hold a landmark. Fields after the last one of the kind are ignored; a
// platform line may leave out its type (it becomes " ").
std::optional<Landmark> ParseLandmarkLine(std::string_view line, LandmarkKind kind);

// Reads the city file and then the platform file of dataDir/Database and
// converts every landmark to grid coordinates with slot 1 of datum.
LandmarkDatabases LoadDatabases(const std::filesystem::path& dataDir, const geodesy::DatumTable& datum);

// Scales (denominators) beyond which platforms, then all landmarks, are not drawn.
inline constexpr int32_t kPlatformScaleLimit = 2000000;
inline constexpr int32_t kLandmarkScaleLimit = 10000000;
// A landmark whose symbol comes closer than this (pixels) to one already drawn is left out.
inline constexpr double kLandmarkSpacing = 10;

// The landmarks of a view on the plot's grid: towns as small squares,
// platforms as their type character (a diamond without one), each named;
// towns first, then platforms, so at small scales the platforms give way.
// Labels overlap no other label (a landmark whose label finds no room keeps
// its symbol only).
void AppendLandmarks(MapPicture& out, const LandmarkDatabases& db, const PlotView& view,
                     const geodesy::DatumTable& datum, const TextMeasure& measure);

}  // namespace plot
