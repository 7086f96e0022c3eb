// Keeping simulated traffic at sea: a land and sea map of the scenario's area
// made once from the GSHHG coastlines the plot draws, and the choice of where
// vessels start and which legs they sail so that no leg crosses land.
//
//   auto sea = sim::SeaMap::Build(centre, radiusM, plot::DefaultGshhgFolders());
//   if (sea && !sea->navigable(p)) ...          // nullptr: no coastline installed, all sea
//   sim::StartLeg(station, scenario, now);       // the next leg, checked against the map
//
// The map is a grid of cells over the area (about 600 across) holding, per
// cell, how many cells away the nearest cell with any land, lake or
// shoreline in it lies. A cell holding land either has its centre on land or
// a piece of shoreline in it, and both are marked; so a point whose cell is
// two cells clear of every mark is surely at sea, and a path sampled every
// half cell whose samples are all four cells clear never touches land. Things
// that stay put (anchored and moored vessels, aids) need the first; vessels
// under way need the second and some hundred metres more, so that the turns
// and the reported positions' rounding keep off the beach too.
//
// A leg is the turn onto the new course at the vessel's rate of turn and the
// straight run after it, exactly as AdvanceStation will sail it; a candidate
// leg that would touch land is refused and another goal drawn. When no goal
// will do, the vessel turns on the spot (speed 0 while turning) onto a course
// that is clear, or else waits a while and tries again. Aircraft fly where
// they like. All draws come from the station's own generator, so the same
// options and seed still give the same bytes; without a map the draws are the
// ones the simulator always made.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "cli/sim/geodesic_step.h"
#include "cli/sim/random.h"

namespace sim {

struct Scenario;
struct Station;

class SeaMap {
public:
    // The map of the area within about 1.3 radius of the centre; nullptr when
    // no coastline file is installed in `folders` or none can be read.
    static std::shared_ptr<const SeaMap> Build(GeoPoint centre, double radiusM,
                                               const std::vector<std::filesystem::path>& folders);

    // Cells between the point's cell and the nearest marked one (0: marked,
    // or outside the map).
    int clearance(GeoPoint p) const;
    // Surely at sea, perhaps right at the shore: for things that stay put.
    bool atSea(GeoPoint p) const { return clearance(p) >= 2; }
    // Clear enough of land for a vessel under way.
    bool navigable(GeoPoint p) const { return clearance(p) >= need_; }
    // Every point of the path is navigable; consecutive points are joined
    // straight in latitude and longitude, so keep them a few km apart at most.
    bool pathNavigable(const std::vector<GeoPoint>& points) const;

    double cellMetres() const { return cellM_; }
    // The GSHHG file letter the map was made from ('c', 'l', 'i', 'h', 'f').
    char resolution() const { return letter_; }

private:
    SeaMap() = default;
    double u(double lon) const;  // fractional column of a longitude
    double v(double lat) const { return (lat - south_) / dLat_; }
    int at(double col, double row) const;

    char letter_ = 'h';
    double west_ = 0, south_ = 0, dLon_ = 1, dLat_ = 1, cellM_ = 0;
    int cols_ = 0, rows_ = 0, need_ = 4;
    std::vector<uint8_t> clear_;  // row by row from the south
};

// A point uniformly distributed in the disc of radius r around c.
GeoPoint PointInDisc(GeoPoint c, double r, Rng& rng);

// A point of the disc that is at sea (navigable when `underWay`), drawn from
// rng; nullopt when a few dozen draws found none.
std::optional<GeoPoint> SeaPointInDisc(const SeaMap& sea, GeoPoint c, double r, Rng& rng, bool underWay);

// The harbour entrance of an area: `distanceM` from the centre on the
// bearing, or at the shore when land comes first on the way.
GeoPoint HarbourOnShore(const SeaMap& sea, GeoPoint centre, double bearing, double distanceM);

// Chooses the moving vessel's next leg at time `now`: course, speed, turn
// and when the leg ends.
void StartLeg(Station& s, const Scenario& sc, double now);

// A station of a new scenario that would start on land is placed anew: a
// vessel in the disc around `near` (else anywhere in the area), an aid near
// where it was. A vessel under way whose first run on the course it was
// given meets land chooses a checked leg at once. Base stations stay ashore
// and aircraft where they are.
void PlaceAtSea(Station& s, const Scenario& sc, GeoPoint near, double nearRadiusM);

}  // namespace sim
