#include "cli/sim/scenario.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <utility>

#include "plot/coastline.h"

namespace sim {
namespace {

constexpr double kKnot = 1852.0 / 3600.0;  // metres per second

// What a station is and does; the default 60-station scenario holds each
// profile in the count given by kWeights.
enum class Profile : uint8_t {
    Cargo, Tanker, Passenger, FastFerry, Fishing, Tug, Pilot, Dredger, Anchored, Moored,
    Pleasure, Sailing, AtoNFixed,
    // Singletons (placed before the weighted share).
    OwnShip, Base, Sar, AtoNVirtual, AtoNOffPosition,
};

struct Weight {
    Profile profile;
    int count;  // in the default scenario
};
constexpr std::array kWeights{
    Weight{Profile::Cargo, 11},   Weight{Profile::Tanker, 6},   Weight{Profile::Passenger, 2},
    Weight{Profile::FastFerry, 1}, Weight{Profile::Fishing, 4}, Weight{Profile::Tug, 3},
    Weight{Profile::Pilot, 2},    Weight{Profile::Dredger, 1},  Weight{Profile::Anchored, 5},
    Weight{Profile::Moored, 4},   Weight{Profile::Pleasure, 7}, Weight{Profile::Sailing, 5},
    Weight{Profile::AtoNFixed, 4},
};

constexpr std::array<int, 15> kVesselMids{244, 245, 246, 257, 258, 219, 211, 235, 636, 538, 477, 563, 209, 255, 265};
constexpr std::array<const char*, 16> kNameFirst{"NORDIC", "ATLANTIC", "BALTIC", "NORTHERN", "OCEAN", "POLAR",
                                                 "STELLA", "AURORA", "CAPE", "SILVER", "GOLDEN", "BLUE",
                                                 "ARCTIC", "EUROPA", "WESTERN", "GRAND"};
constexpr std::array<const char*, 16> kNameSecond{"STAR", "TRADER", "SPIRIT", "PIONEER", "VOYAGER", "EXPLORER",
                                                  "HARMONY", "BREEZE", "FALCON", "WAVE", "GUARDIAN", "CARRIER",
                                                  "MERCHANT", "QUEEN", "ISLANDER", "HORIZON"};
constexpr std::array<const char*, 12> kBoatNames{"MARIANNE", "SEA BREEZE", "WINDSONG", "LADY GREY", "FREYA",
                                                 "BLUE MOON", "SOLVEIG", "ALBATROS", "KITTIWAKE", "NAUTILUS",
                                                 "ZEPHYR", "HAPPY DAYS"};
constexpr std::array<const char*, 10> kPorts{"ROTTERDAM", "HAMBURG", "ANTWERP", "FELIXSTOWE", "OSLO",
                                             "GOTHENBURG", "LE HAVRE", "BREMERHAVEN", "AMSTERDAM", "AARHUS"};
constexpr std::array<const char*, 4> kVendors{"ORVSIM", "MARLINK", "SEATRAC", "NAVBOX"};

std::vector<Profile> Composition(int n) {
    std::vector<Profile> out;
    const std::array<std::pair<Profile, int>, 5> singles{{
        {Profile::OwnShip, 1},
        {Profile::Base, std::max(1, (n + 100) / 200)},
        {Profile::Sar, std::max(1, (n + 250) / 500)},
        {Profile::AtoNVirtual, 1},
        {Profile::AtoNOffPosition, 1},
    }};
    for (const auto& [p, k] : singles)
        for (int i = 0; i < k && static_cast<int>(out.size()) < n; ++i) out.push_back(p);
    const int rest = n - static_cast<int>(out.size());
    if (rest <= 0) return out;

    // Largest-remainder share of the rest by the default counts.
    int total = 0;
    for (const auto& w : kWeights) total += w.count;
    std::array<int, kWeights.size()> share{};
    std::array<double, kWeights.size()> remainder{};
    int given = 0;
    for (size_t i = 0; i < kWeights.size(); ++i) {
        const double exact = static_cast<double>(rest) * kWeights[i].count / total;
        share[i] = static_cast<int>(std::floor(exact));
        remainder[i] = exact - share[i];
        given += share[i];
    }
    while (given < rest) {
        size_t best = 0;
        for (size_t i = 1; i < kWeights.size(); ++i)
            if (remainder[i] > remainder[best]) best = i;
        ++share[best];
        remainder[best] = -1;
        ++given;
    }
    for (size_t i = 0; i < kWeights.size(); ++i)
        for (int k = 0; k < share[i]; ++k) out.push_back(kWeights[i].profile);
    return out;
}

std::string CallSign(int mid, Rng& rng) {
    std::string cs;
    switch (mid / 10) {
        case 24: cs = "PD"; break;
        case 25: cs = "LA"; break;
        case 21: cs = mid == 219 ? "OZ" : "DA"; break;
        case 23: cs = "2E"; break;
        default: cs = "V7"; break;
    }
    const int extra = rng.range(2, 4);
    for (int i = 0; i < extra; ++i) cs += static_cast<char>(i % 2 ? '0' + rng.range(0, 9) : 'A' + rng.range(0, 25));
    return cs;
}

void SetDimensions(Station& s, int lengthLo, int lengthHi, int beamLo, int beamHi, Rng& rng) {
    const int length = rng.range(lengthLo, lengthHi);
    const int beam = std::min(126, rng.range(beamLo, beamHi));
    s.dimA = static_cast<int16_t>(std::min(511, length * rng.range(10, 25) / 100 + 1));
    s.dimB = static_cast<int16_t>(std::min(511, length - s.dimA));
    s.dimC = static_cast<int16_t>(std::min(63, beam / 2));
    s.dimD = static_cast<int16_t>(std::min(63, beam - s.dimC));
}

std::string ShipName(Rng& rng) {
    std::string n = kNameFirst[static_cast<size_t>(rng.range(0, kNameFirst.size() - 1))];
    n += ' ';
    n += kNameSecond[static_cast<size_t>(rng.range(0, kNameSecond.size() - 1))];
    return n;
}

std::string FishingName(Rng& rng) {
    return "FV " + std::string(kNameSecond[static_cast<size_t>(rng.range(0, kNameSecond.size() - 1))]) + " " +
           std::to_string(rng.range(1, 99));
}

std::string BoatName(Rng& rng) { return kBoatNames[static_cast<size_t>(rng.range(0, kBoatNames.size() - 1))]; }

struct Motion {
    double speedLo, speedHi;  // knots
    double turnLo, turnHi;    // degrees per minute
    double legLo, legHi;      // seconds
};

void SetMotion(Station& s, const Motion& m, Rng& rng) {
    s.moving = true;
    s.cruiseSpeed = rng.uniform(m.speedLo, m.speedHi);
    s.sog = s.cruiseSpeed;
    s.turnRate = rng.uniform(m.turnLo, m.turnHi);
    s.legMinSeconds = m.legLo;
    s.legMaxSeconds = m.legHi;
    s.cog = rng.uniform(0, 360);
    s.targetCourse = s.cog;
    s.headingOffset = rng.uniform(-3, 3);
    s.heading = WrapDegrees(s.cog + s.headingOffset);
    s.legEnds = rng.uniform(0, m.legHi);  // stagger the first turns
}

void SetVoyage(Station& s, Rng& rng) {
    s.destination = kPorts[static_cast<size_t>(rng.range(0, kPorts.size() - 1))];
    s.etaMonth = static_cast<int16_t>(rng.range(1, 12));
    s.etaDay = static_cast<int16_t>(rng.range(1, 28));
    s.etaHour = static_cast<int16_t>(rng.range(0, 23));
    s.etaMinute = static_cast<int16_t>(rng.range(0, 11) * 5);
}

// A merchant vessel, ferry, dredger or ship at anchor or moored: Class A with
// voyage data and the motion of its kind. `near` and `nearRadius` are set to the
// area the station is placed anew in when it was found on land.
void SetLargeVessel(Station& s, Profile p, const Scenario& sc, GeoPoint harbour, GeoPoint anchorage, GeoPoint& near,
                    double& nearRadius) {
    Rng& r = s.rng;
    s.callSign = CallSign(s.mmsi / 1000000, r);
    s.imo = 9000000 + r.range(100000, 899999);
    SetVoyage(s, r);
    const bool tanker = p == Profile::Tanker || (p == Profile::Anchored && r.chance(0.5));
    s.shipType = static_cast<int16_t>(tanker ? 80 + r.range(0, 4) : 70 + r.range(0, 4));
    SetDimensions(s, 110, 330, 18, 50, r);
    s.draught = static_cast<float>(r.range(60, 160)) / 10.0f;
    if (p == Profile::OwnShip) {
        s.ownShip = true;
        s.name = "ORVANTA EXPLORER";
        s.shipType = 70;
        s.pos = PointInDisc(sc.centre, 0.1 * sc.radiusM, r);
        nearRadius = 0.1 * sc.radiusM;
        SetMotion(s, {11, 14, 10, 20, 600, 1500}, r);
    } else if (p == Profile::Tanker) {
        SetMotion(s, {9, 15, 8, 20, 1200, 3600}, r);
    } else if (p == Profile::Cargo) {
        SetMotion(s, {10, 18, 10, 25, 1200, 3600}, r);
    } else if (p == Profile::Passenger) {
        s.shipType = 60;
        SetDimensions(s, 120, 220, 20, 32, r);
        s.draught = 6.2f;
        SetMotion(s, {15, 21, 15, 30, 600, 1800}, r);
    } else if (p == Profile::FastFerry) {
        s.shipType = 40;
        SetDimensions(s, 40, 100, 10, 26, r);
        s.draught = 3.1f;
        SetMotion(s, {26, 34, 20, 40, 300, 1200}, r);
    } else if (p == Profile::Dredger) {
        s.shipType = 33;
        s.navStatus = 3;  // restricted manoeuvrability
        SetDimensions(s, 80, 150, 16, 28, r);
        SetMotion(s, {6, 11, 15, 30, 300, 900}, r);
    } else if (p == Profile::Anchored) {
        s.navStatus = 1;
        s.pos = PointInDisc(anchorage, 0.1 * sc.radiusM, r);
        near = anchorage, nearRadius = 0.1 * sc.radiusM;
        s.sog = std::round(r.uniform(0, 0.4) * 10) / 10;
        s.cog = r.uniform(0, 360);
        s.heading = std::round(r.uniform(0, 359));
    } else {
        s.navStatus = 5;
        s.pos = PointInDisc(harbour, 0.03 * sc.radiusM, r);
        near = harbour, nearRadius = 0.03 * sc.radiusM;
        s.heading = std::round(r.uniform(0, 359));
        s.cog = s.heading;
    }
}

// An aid to navigation: the first eight are fairway buoys in pairs west of the
// harbour, larger scenarios scatter the rest; virtual ones mark a wreck.
void SetAtoN(Station& s, Profile p, int atonCount, const Scenario& sc, GeoPoint harbour, double fairwayCourse) {
    Rng& r = s.rng;
    const int k = atonCount - 1;
    const GeoPoint onAxis = k < 8 ? DirectGeodesic(harbour, fairwayCourse, 0.1 * sc.radiusM * (k / 2 + 1)).end
                                  : PointInDisc(sc.centre, sc.radiusM, r);
    s.assigned = DirectGeodesic(onAxis, k % 2 ? 0 : 180, 400).end;
    s.pos = s.assigned;
    if (p == Profile::AtoNVirtual) {
        s.virtualAtoN = true;
        s.atonType = 28;  // isolated danger: marks a new wreck
        s.name = "WRECK MARKER " + std::to_string(atonCount);
        s.assigned = s.pos = PointInDisc(sc.centre, 0.5 * sc.radiusM, r);
    } else {
        s.atonType = static_cast<int16_t>(k % 2 ? 24 : 25);
        s.name = (k % 2 ? "FAIRWAY PORT " : "FAIRWAY STARBOARD ") + std::to_string(k / 2 + 1);
        s.dimA = s.dimB = 1;
        s.dimC = s.dimD = 1;
        if (p == Profile::AtoNOffPosition) {
            // Dragged its mooring: reports where it is, flagged off position.
            s.offPosition = true;
            s.pos = DirectGeodesic(s.assigned, r.uniform(0, 360), r.uniform(150, 400)).end;
        }
    }
}

// A fishing vessel, tug, pilot boat or leisure craft, its MMSI already given.
// Tugs keep near the harbour: `near` and `nearRadius` are set to where one found
// on land is placed anew.
void SetSmallCraft(Station& s, Profile p, int& pilotCount, const Scenario& sc, GeoPoint harbour, GeoPoint& near,
                   double& nearRadius) {
    Rng& r = s.rng;
    switch (p) {
        case Profile::Fishing:
            s.kind = StationKind::ClassA;
            s.name = FishingName(r);
            s.callSign = CallSign(s.mmsi / 1000000, r);
            s.shipType = 30;
            s.navStatus = 7;
            s.destination = "FISHING GROUNDS";
            SetDimensions(s, 15, 45, 6, 11, r);
            s.draught = 3.5f;
            SetMotion(s, {2.5, 7, 25, 60, 120, 480}, r);
            break;
        case Profile::Tug:
            s.kind = StationKind::ClassA;
            s.name = std::string("TUG ") + kNameSecond[static_cast<size_t>(r.range(0, kNameSecond.size() - 1))];
            s.callSign = CallSign(s.mmsi / 1000000, r);
            s.shipType = 52;
            s.destination = "HARBOUR";
            SetDimensions(s, 25, 38, 9, 13, r);
            s.draught = 4.8f;
            s.pos = PointInDisc(harbour, 0.3 * sc.radiusM, r);
            near = harbour, nearRadius = 0.3 * sc.radiusM;
            SetMotion(s, {6, 12, 30, 60, 180, 600}, r);
            break;
        case Profile::Pilot:
            s.kind = StationKind::ClassA;
            s.name = "PILOT " + std::to_string(++pilotCount);
            s.callSign = CallSign(s.mmsi / 1000000, r);
            s.shipType = 50;
            s.destination = "PILOT STATION";
            SetDimensions(s, 15, 25, 5, 7, r);
            s.draught = 1.8f;
            SetMotion(s, {12, 22, 30, 60, 180, 900}, r);
            break;
        case Profile::Pleasure:
        case Profile::Sailing: {
            s.kind = StationKind::ClassB;
            s.name = BoatName(r);
            s.callSign = CallSign(s.mmsi / 1000000, r);
            s.vendorId = kVendors[static_cast<size_t>(r.range(0, kVendors.size() - 1))];
            const bool sailing = p == Profile::Sailing;
            s.shipType = sailing ? 36 : 37;
            SetDimensions(s, sailing ? 8 : 6, sailing ? 18 : 15, 2, 5, r);
            s.sendsExtendedB = r.chance(0.3);
            if (r.chance(0.2)) SetMotion(s, {0.5, 1.8, 20, 40, 300, 900}, r);  // drifting
            else if (sailing) SetMotion(s, {3, 8, 20, 40, 300, 1200}, r);
            else SetMotion(s, {6, 26, 30, 90, 180, 900}, r);
            break;
        }
        default:
            break;
    }
}

}  // namespace

double AreaRadiusMetres(int stations) {
    const double nm = 12.0 * std::sqrt(std::max(1, stations) / 60.0);
    return std::clamp(nm, 12.0, 300.0) * 1852.0;
}

Scenario BuildScenario(const ScenarioOptions& options) {
    Scenario sc;
    sc.centre = {std::clamp(options.centre.lat, -85.0, 85.0), WrapDegrees(options.centre.lon + 180.0) - 180.0};
    sc.radiusM = AreaRadiusMetres(options.stations);
    Rng rng(options.seed);
    if (options.keepAtSea) {
        sc.sea = SeaMap::Build(sc.centre, sc.radiusM,
                               options.coastlineFolders.empty() ? plot::DefaultGshhgFolders() : options.coastlineFolders);
    }

    // Fixed places of the area: a harbour entrance east of the centre (at the
    // shore when the coast is nearer), an anchorage to the north-west and a
    // buoyed fairway between them.
    const GeoPoint harbour = sc.sea ? HarbourOnShore(*sc.sea, sc.centre, 90, 0.35 * sc.radiusM)
                                    : DirectGeodesic(sc.centre, 90, 0.35 * sc.radiusM).end;
    const GeoPoint anchorage = DirectGeodesic(sc.centre, 315, 0.45 * sc.radiusM).end;
    const double fairwayCourse = 270.0;

    std::set<int32_t> used;
    auto uniqueMmsi = [&](int32_t base, int32_t span) {
        for (;;) {
            const int32_t m = base + static_cast<int32_t>(rng.next() % static_cast<uint64_t>(span));
            if (used.insert(m).second) return m;
        }
    };
    auto vesselMmsi = [&] {
        const int mid = kVesselMids[static_cast<size_t>(rng.range(0, kVesselMids.size() - 1))];
        return uniqueMmsi(mid * 1000000 + 100000, 900000);
    };
    auto shipName = [&] { return ShipName(rng); };

    int baseCount = 0, atonCount = 0, sarCount = 0, pilotCount = 0;
    for (Profile p : Composition(options.stations)) {
        Station s;
        s.rng = rng.fork();
        Rng& r = s.rng;
        s.pos = PointInDisc(sc.centre, sc.radiusM, r);
        GeoPoint near = sc.centre;  // where a station found on land is placed anew
        double nearRadius = sc.radiusM;
        switch (p) {
            case Profile::OwnShip:
            case Profile::Cargo:
            case Profile::Tanker:
            case Profile::Passenger:
            case Profile::FastFerry:
            case Profile::Dredger:
            case Profile::Anchored:
            case Profile::Moored: {
                s.kind = StationKind::ClassA;
                s.mmsi = vesselMmsi();
                s.name = shipName();
                SetLargeVessel(s, p, sc, harbour, anchorage, near, nearRadius);
                break;
            }
            case Profile::Fishing:
            case Profile::Tug:
            case Profile::Pilot:
            case Profile::Pleasure:
            case Profile::Sailing:
                s.mmsi = vesselMmsi();
                SetSmallCraft(s, p, pilotCount, sc, harbour, near, nearRadius);
                break;
            case Profile::Base:
                s.kind = StationKind::BaseStation;
                s.mmsi = 2440000 + (++baseCount);  // 00MIDxxxx
                s.name = "BASE STATION " + std::to_string(baseCount);
                s.pos = baseCount == 1 ? harbour : PointInDisc(sc.centre, sc.radiusM, r);
                break;
            case Profile::Sar:
                s.kind = StationKind::SarAircraft;
                s.mmsi = 111244000 + (++sarCount);
                s.name = "RESCUE " + std::to_string(sarCount);
                s.altitude = static_cast<int16_t>(r.range(150, 600));
                SetMotion(s, {110, 140, 120, 240, 60, 240}, r);
                break;
            case Profile::AtoNFixed:
            case Profile::AtoNVirtual:
            case Profile::AtoNOffPosition: {
                s.kind = StationKind::AtoN;
                s.mmsi = 992440000 + (++atonCount);
                SetAtoN(s, p, atonCount, sc, harbour, fairwayCourse);
                break;
            }
        }
        PlaceAtSea(s, sc, near, nearRadius);
        s.heading = WrapDegrees(std::round(s.heading));
        sc.stations.push_back(std::move(s));
    }
    return sc;
}

void RenewStation(Station& s, const Scenario& sc, Rng& rng, std::unordered_set<int32_t>& used) {
    const int mid = kVesselMids[static_cast<size_t>(rng.range(0, kVesselMids.size() - 1))];
    do {
        s.mmsi = mid * 1000000 + 100000 + static_cast<int32_t>(rng.next() % 900000);
    } while (!used.insert(s.mmsi).second);
    s.name = s.kind == StationKind::ClassB ? BoatName(rng) : s.shipType == 30 ? FishingName(rng) : ShipName(rng);
    s.callSign = CallSign(mid, rng);
    if (s.imo != 0) s.imo = 9000000 + rng.range(100000, 899999);
    if (s.moving) {
        // Comes in somewhere else and sets a course of its own; a vessel at
        // anchor or moored takes the place the other one left.
        s.pos = PointInDisc(sc.centre, sc.radiusM, rng);
        if (sc.sea && s.kind != StationKind::SarAircraft) {
            if (const auto p = SeaPointInDisc(*sc.sea, sc.centre, sc.radiusM, rng, true)) s.pos = *p;
            s.rot = 0;  // no turn of the vessel that left: the new one's first leg is checked from here
        }
        s.resumeSpeed = 0;
        s.legEnds = s.updated;
    }
}

void AdvanceStation(Station& s, double t, const Scenario& sc) {
    if (!(t > s.updated)) return;
    if (!s.moving) {
        s.updated = t;
        return;
    }
    constexpr double kMaxStep = 30.0;  // keeps each straight piece short
    while (s.updated < t) {
        const double now = s.updated;
        if (s.rot == 0 && now >= s.legEnds) StartLeg(s, sc, now);

        double end = std::min(t, now + kMaxStep);
        bool turnDone = false;
        if (s.rot != 0) {
            const double remaining = std::fabs(AngleDifference(s.targetCourse, s.cog));
            const double turnEnd = now + remaining / std::fabs(s.rot) * 60.0;
            if (turnEnd <= end) {
                end = turnEnd;
                turnDone = true;
            }
        } else if (s.legEnds > now) {
            end = std::min(end, s.legEnds);
        }
        const double dt = end - now;
        const double turned = s.rot * dt / 60.0;
        const double distance = s.sog * kKnot * dt;
        if (distance > 0) s.pos = DirectGeodesic(s.pos, s.cog + turned / 2, distance).end;
        if (turnDone) {
            s.cog = s.targetCourse;
            s.rot = 0;
            if (s.resumeSpeed > 0) s.sog = std::exchange(s.resumeSpeed, 0.0);  // turned on the spot
        } else {
            s.cog = WrapDegrees(s.cog + turned);
        }
        s.heading = WrapDegrees(s.cog + s.headingOffset);
        s.updated = end;
    }
}

}  // namespace sim
