// Scenario: the stations of a simulated sea area and their true state.
//
// BuildScenario places stations around a centre: class A vessels of several
// ship types (some at anchor or moored), class B pleasure craft, base
// stations, aids to navigation (one virtual, one off position), SAR aircraft
// and one own ship that reports in !AIVDO. The mix and the area grow with the
// station count; everything is drawn from the seed, so the same options give
// the same scenario.
//
//   sim::ScenarioOptions o;  o.stations = 60;  o.seed = 7;
//   sim::Scenario sc = sim::BuildScenario(o);
//   sim::AdvanceStation(sc.stations[3], 30.0, sc);   // state at t = 30 s
//
// Vessels start at sea and sail legs towards points inside the area that do
// not cross land (sea_routes.h). At the end of a leg they
// turn onto the next course at a steady rate of turn (ROT non-zero while
// turning, zero on a steady course); positions move along the WGS84 ellipsoid.
// Units: degrees, knots, degrees per minute, metres, seconds of scenario time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "cli/sim/geodesic_step.h"
#include "cli/sim/random.h"
#include "cli/sim/sea_routes.h"

namespace sim {

enum class StationKind : uint8_t { ClassA, ClassB, BaseStation, AtoN, SarAircraft };

struct Station {
    StationKind kind = StationKind::ClassA;
    bool ownShip = false;  // reports in !AIVDO
    int32_t mmsi = 0;

    // Static and voyage data.
    std::string name;
    std::string callSign;
    std::string destination;
    std::string vendorId;  // class B
    int32_t imo = 0;
    int16_t shipType = 0;
    int16_t dimA = 0, dimB = 0, dimC = 0, dimD = 0;
    float draught = 0;
    int16_t etaMonth = 0, etaDay = 0, etaHour = 24, etaMinute = 60;
    bool sendsExtendedB = false;  // class B that also sends type 19

    // True kinematic state at `updated`.
    int16_t navStatus = 0;  // class A
    GeoPoint pos;
    double sog = 0;      // knots
    double cog = 0;      // degrees
    double heading = 0;  // degrees
    double rot = 0;      // degrees per minute, + = turning right; 0 on a steady course
    int16_t altitude = 0;  // SAR aircraft, metres
    double updated = 0;

    // Steering.
    bool moving = false;
    double cruiseSpeed = 0;   // knots
    double turnRate = 0;      // magnitude of ROT while turning, degrees per minute
    double targetCourse = 0;  // course being turned onto
    double legEnds = 0;       // scenario time at which the next course is chosen
    double headingOffset = 0; // heading minus course on a steady course (leeway, current)
    double legMinSeconds = 300, legMaxSeconds = 1800;
    double resumeSpeed = 0;   // knots once a turn on the spot is done (0: none)

    // Aids to navigation.
    int16_t atonType = 0;
    bool virtualAtoN = false;
    bool offPosition = false;
    GeoPoint assigned;  // where the aid should be

    uint32_t transmissions = 0;  // alternates the channel
    Rng rng{1};                  // this station's own choices of course and speed
};

struct ScenarioOptions {
    GeoPoint centre{51.98, 3.95};  // approaches to a busy North Sea port
    int stations = 60;
    uint64_t seed = 1;
    // Vessels start and sail at sea, by the coastlines found in these folders
    // (empty: plot::DefaultGshhgFolders()); without any, the area is all sea.
    bool keepAtSea = true;
    std::vector<std::filesystem::path> coastlineFolders;
};

struct Scenario {
    GeoPoint centre;
    double radiusM = 0;  // vessels stay within this distance of the centre
    std::vector<Station> stations;
    std::shared_ptr<const SeaMap> sea;  // nullptr: no land anywhere
};

Scenario BuildScenario(const ScenarioOptions& options);

// Moves the station's state forward to time t (never backwards).
void AdvanceStation(Station& s, double t, const Scenario& scenario);

// A vessel leaves the area and another takes its place: a new MMSI (one not
// in `used`, which gains it), name and call sign; a moving vessel comes in at
// a new point of the area. Its kind, ship type and way of moving and
// reporting stay.
void RenewStation(Station& s, const Scenario& scenario, Rng& rng, std::unordered_set<int32_t>& used);

// The area radius for a station count: about 12 nautical miles for the
// default 60, growing with the square root of the count, at most 300 nm.
double AreaRadiusMetres(int stations);

}  // namespace sim
