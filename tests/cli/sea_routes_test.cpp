// Simulated traffic stays at sea: every reported position of a vessel,
// checked against the GSHHG polygons themselves (not the simulator's grid).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "cli/sim/simulator.h"
#include "plot/coastline.h"
#include "plot/gshhg.h"

namespace sim {
namespace {

// The level at a place straight from the file's polygons, as
// plot::LevelInBin decides it (the highest level of an area that holds the
// point), by even-odd ray casting over the edges of the point's latitude band.
class ExactLevels {
public:
    ExactLevels(const plot::GshhgFile& file, double west, double south, double east, double north) {
        for (const plot::BinRef& ref : file.binsIn(west, south, east, north)) {
            const std::optional<plot::RawBin> bin = file.readBin(ref);
            if (!bin) continue;
            for (bool dry : {true, false}) {
                for (const plot::LevelPolygon& p : plot::WalkBin(*bin, dry)) add(p);
            }
            for (const plot::BinSegment& s : bin->segments) {
                if (s.entry != plot::kInside && s.exit != plot::kInside) continue;
                plot::LevelPolygon p{s.level, {}};
                for (plot::BinPoint q : s.points) p.points.push_back(bin->toGeo(q));
                add(p);
            }
        }
    }

    int level(double lat, double lon) const {
        int best = 0;
        for (const Polygon& p : polygons_) {
            if (p.level <= best || lat < p.south || lat >= p.north || lon < p.west || lon > p.east) continue;
            const auto band = static_cast<size_t>(std::min(kBands - 1.0, (lat - p.south) / (p.north - p.south) * kBands));
            bool inside = false;
            for (const auto& [a, b] : p.bands[band]) {
                if ((a.lat > lat) != (b.lat > lat) && lon < (b.lon - a.lon) * (lat - a.lat) / (b.lat - a.lat) + a.lon)
                    inside = !inside;
            }
            if (inside) best = p.level;
        }
        return best;
    }

private:
    static constexpr double kBands = 256;
    struct Polygon {
        int level = 0;
        double south = 90, north = -90, west = 360, east = -360;
        std::vector<std::vector<std::pair<plot::GeoPoint, plot::GeoPoint>>> bands;
    };
    void add(const plot::LevelPolygon& lp) {
        if (lp.points.size() < 3) return;
        Polygon p;
        p.level = lp.level;
        for (const plot::GeoPoint& q : lp.points) {
            p.south = std::min(p.south, q.lat), p.north = std::max(p.north, q.lat);
            p.west = std::min(p.west, q.lon), p.east = std::max(p.east, q.lon);
        }
        p.north += 1e-9;
        p.bands.resize(static_cast<size_t>(kBands));
        const double h = (p.north - p.south) / kBands;
        for (size_t i = 0, j = lp.points.size() - 1; i < lp.points.size(); j = i++) {
            const plot::GeoPoint a = lp.points[i], b = lp.points[j];
            const auto lo = static_cast<size_t>(std::max(0.0, (std::min(a.lat, b.lat) - p.south) / h));
            const auto hi = static_cast<size_t>(std::min(kBands - 1, (std::max(a.lat, b.lat) - p.south) / h));
            for (size_t k = lo; k <= hi; ++k) p.bands[k].emplace_back(a, b);
        }
        polygons_.push_back(std::move(p));
    }
    std::vector<Polygon> polygons_;
};

std::unique_ptr<plot::GshhgFile> OpenResolution(char letter) {
    for (const auto& folder : plot::DefaultGshhgFolders()) {
        auto opened = plot::GshhgFile::open(folder / (std::string("binned_GSHHS_") + letter + ".nc"));
        if (auto* f = std::get_if<std::unique_ptr<plot::GshhgFile>>(&opened)) return std::move(*f);
    }
    return nullptr;
}

// Where the message puts its sender, as a receiver decodes it; false for a
// message without a vessel's position.
bool ReportedPosition(const Emission& e, double& lat, double& lon) {
    if (const ais::PositionReport* p = e.truth.positionReport(e.messageType)) {
        lat = p->Latitude, lon = p->Longitude;
    } else if (e.messageType == 18) {
        lat = e.truth.Type18.Latitude, lon = e.truth.Type18.Longitude;
    } else if (e.messageType == 19) {
        lat = e.truth.Type19.Latitude, lon = e.truth.Type19.Longitude;
    } else if (e.messageType == 27) {  // in tenths of a minute
        lat = std::round(e.truth.Type27.Latitude * 600) / 600, lon = std::round(e.truth.Type27.Longitude * 600) / 600;
    } else {
        return false;
    }
    return true;
}

// An hour of 1,000 stations around the default centre, whose area reaches
// well into the Dutch mainland: no vessel reports a position on land or in a
// lake. Moored and anchored vessels lie at least a cell or two off the
// shore; those under way keep further off. Without the land map the same
// scenario puts vessels ashore, so the check is not empty.
TEST(SeaRoutes, AnHourOfAThousandStationsStaysAtSea) {
    struct Row {
        bool keepAtSea;
        bool landExpected;
    };
    for (const Row row : {Row{true, false}, Row{false, true}}) {
        SCOPED_TRACE(row.keepAtSea ? "kept at sea" : "without the land map");
        SimulatorOptions o;
        o.scenario.stations = 1000;
        o.scenario.keepAtSea = row.keepAtSea;
        Simulator sim(o);
        std::shared_ptr<const SeaMap> sea = sim.scenario().sea;
        if (row.keepAtSea && !sea) GTEST_SKIP() << "no GSHHG coastlines installed";
        const std::unique_ptr<plot::GshhgFile> file = OpenResolution(row.keepAtSea ? sea->resolution() : 'h');
        ASSERT_TRUE(file);
        const GeoPoint c = sim.scenario().centre;
        const double reach = 1.6 * sim.scenario().radiusM / 111000.0;
        const ExactLevels exact(*file, c.lon - 2 * reach, c.lat - reach, c.lon + 2 * reach, c.lat + reach);

        std::map<bool, int> checked, ashore;  // by under way
        Emission e;
        for (sim.next(e); e.time < 3600; sim.next(e)) {
            double lat = 0, lon = 0;
            if (e.station < 0 || !ReportedPosition(e, lat, lon)) continue;
            const Station& st = sim.scenario().stations[static_cast<size_t>(e.station)];
            if (st.kind != StationKind::ClassA && st.kind != StationKind::ClassB) continue;
            ++checked[st.moving];
            if (exact.level(lat, lon) != 0) {
                if (row.keepAtSea && ashore[st.moving] < 5)
                    ADD_FAILURE() << st.name << " (" << st.mmsi << ") type " << e.messageType << " at " << lat << ","
                                  << lon << " at t=" << e.time;
                ++ashore[st.moving];
            }
        }
        EXPECT_GT(checked[true], 100000);
        EXPECT_GT(checked[false], 2000);
        if (row.landExpected) {
            EXPECT_GT(ashore[true] + ashore[false], 1000);
        } else {
            EXPECT_EQ(ashore[true], 0);
            EXPECT_EQ(ashore[false], 0);
        }
    }
}

// Without coastline files the simulator makes exactly the traffic it made
// before it knew of land.
TEST(SeaRoutes, NoCoastlinesNoChange) {
    SimulatorOptions missing, off;
    missing.scenario.coastlineFolders = {"/nonexistent/gshhg"};
    off.scenario.keepAtSea = false;
    Simulator a(missing), b(off);
    EXPECT_EQ(a.scenario().sea, nullptr);
    Emission ea, eb;
    for (int i = 0; i < 20000; ++i) {
        a.next(ea), b.next(eb);
        ASSERT_EQ(ea.sentences, eb.sentences) << i;
    }
}

}  // namespace
}  // namespace sim
