#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "ais/binary_layout.h"
#include "ais/code_tables.h"
#include "cli/sim/simulator.h"
#include "geodesy/geodetic.h"
#include "input/checksum.h"
#include "support/intake_decoder.h"

namespace sim {
namespace {

using testing_support::Trim;

constexpr double kLatLonStep = 1.0 / 600000.0;  // 1/10000 minute in degrees

void ExpectNearRot(float decoded, float truth) {
    // ROT travels as 4.733 sqrt|rot| rounded to whole steps.
    ASSERT_EQ(decoded > 0, truth > 0);
    EXPECT_NEAR(std::sqrt(std::fabs(decoded)), std::sqrt(std::fabs(truth)), 0.5 / 4.733 + 1e-6);
}

void ExpectBinaryEqual(ais::BinaryApp app, const ais::BinaryMessage& got, const ais::BinaryMessage& want) {
    for (const ais::BinaryField& f : ais::ApplicationLayout(app)) {
        if (f.Rule == ais::FieldRule::Text) {
            EXPECT_EQ(Trim(ais::ReadText(f, got)), Trim(ais::ReadText(f, want))) << f.Name;
        } else {
            EXPECT_NEAR(ais::ReadNumber(f, got), ais::ReadNumber(f, want), 0.5 / f.Divisor + 1e-4) << f.Name;
        }
    }
}

// Every message decodes back to the record it was made from, within the
// rounding of its fields, under both numberings of binary applications.
class RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RoundTrip, EveryMessageDecodesToItsTruth) {
    SimulatorOptions o;
    o.standard = GetParam();
    o.scenario.seed = 11;
    o.occasionalRate = 5;  // more of the rare types in a short run
    Simulator sim(o);
    testing_support::IntakeDecoder dec(o.standard);
    std::set<int> types;
    Emission e;
    for (int n = 0; n < 40000; ++n) {
        sim.next(e);
        int type = -1;
        for (size_t i = 0; i < e.sentences.size(); ++i) {
            const std::string& s = e.sentences[i];
            ASSERT_TRUE(input::ChecksumValid(s)) << s;
            ASSERT_LE(s.size(), 82u) << s;
            ASSERT_EQ(s.compare(0, 6, e.ownShip ? "!AIVDO" : "!AIVDM"), 0) << s;
            type = dec.feed(s, e.time);
            ASSERT_EQ(type == -1, i + 1 < e.sentences.size()) << s;
        }
        ASSERT_EQ(type, e.messageType);
        types.insert(type);
        const ais::AISMessageRecord& got = dec.record;
        const ais::AISMessageRecord& want = e.truth;
        SCOPED_TRACE("type " + std::to_string(type) + " mmsi " + std::to_string(e.mmsi));

        // Identity, place and name are the sending station's in the scenario.
        const Station& st = sim.scenario().stations.at(static_cast<size_t>(e.station));
        EXPECT_EQ(e.mmsi, st.mmsi);
        EXPECT_EQ(e.ownShip, st.ownShip);
        const double* lat = nullptr;
        const double* lon = nullptr;
        const std::string* name = nullptr;
        switch (type) {
            case 1: case 2: case 3:
                lat = &got.positionReport(type)->Latitude, lon = &got.positionReport(type)->Longitude;
                break;
            case 4: lat = &got.Type4.Latitude, lon = &got.Type4.Longitude; break;
            case 5: name = &got.Type5.Name; break;
            case 9: lat = &got.Type9.Latitude, lon = &got.Type9.Longitude; break;
            case 18: lat = &got.Type18.Latitude, lon = &got.Type18.Longitude; break;
            case 19: lat = &got.Type19.Latitude, lon = &got.Type19.Longitude, name = &got.Type19.Name; break;
            case 21: lat = &got.Type21.Latitude, lon = &got.Type21.Longitude, name = &got.Type21.Name; break;
            case 24: if (e.partNumber == 0) name = &got.Type24.Name; break;
            default: break;
        }
        if (lat) {
            EXPECT_NEAR(*lat, st.pos.lat, kLatLonStep / 2 + 1e-9);
            EXPECT_NEAR(*lon, st.pos.lon, kLatLonStep / 2 + 1e-9);
        }
        if (name) {
            EXPECT_EQ(Trim(*name), st.name);
        }
        switch (type) {
            case 1: case 2: case 3: {
                const auto& g = *got.positionReport(type);
                const auto& w = *want.positionReport(type);
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_EQ(g.NavStatus, w.NavStatus);
                EXPECT_NEAR(g.Latitude, w.Latitude, kLatLonStep / 2 + 1e-9);
                EXPECT_NEAR(g.Longitude, w.Longitude, kLatLonStep / 2 + 1e-9);
                EXPECT_NEAR(g.SOG, w.SOG, 0.05 + 1e-4);
                EXPECT_NEAR(g.COG, w.COG, 0.05 + 1e-3);
                EXPECT_EQ(g.TrueHeading, w.TrueHeading);
                if (w.ROT == 0) EXPECT_EQ(g.ROT, 0);
                else ExpectNearRot(g.ROT, w.ROT);
                EXPECT_EQ(type == 3, w.ROT != 0);
                break;
            }
            case 4: {
                const auto& g = got.Type4;
                const base::CalendarTime c = sim.utcAt(e.time);
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_EQ(g.UTCYear, c.year);
                EXPECT_EQ(g.UTCMonth, c.month);
                EXPECT_EQ(g.UTCDay, c.day);
                EXPECT_EQ(g.UTCHour, c.hour);
                EXPECT_EQ(g.UTCMinute, c.minute);
                EXPECT_EQ(g.UTCSecond, c.second);
                EXPECT_NEAR(g.Latitude, want.Type4.Latitude, kLatLonStep);
                break;
            }
            case 5: {
                const auto& g = got.Type5;
                const auto& w = want.Type5;
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_EQ(Trim(g.Name), w.Name);
                EXPECT_EQ(Trim(g.CallSign), w.CallSign);
                EXPECT_EQ(Trim(g.Destination), w.Destination);
                EXPECT_EQ(g.IMONumber, w.IMONumber);
                EXPECT_EQ(g.ShipType, w.ShipType);
                EXPECT_EQ(std::tie(g.DimA, g.DimB, g.DimC, g.DimD), std::tie(w.DimA, w.DimB, w.DimC, w.DimD));
                EXPECT_NEAR(g.Draught, w.Draught, 0.05 + 1e-4);
                if (!w.ETA.isNull()) {
                    const auto a = g.ETA.toCalendar(), b = w.ETA.toCalendar();
                    EXPECT_EQ(std::tie(a.month, a.day, a.hour, a.minute), std::tie(b.month, b.day, b.hour, b.minute));
                }
                break;
            }
            case 6: case 8: {
                const auto& g = type == 6 ? got.Type6 : got.Type8;
                const auto& w = type == 6 ? want.Type6 : want.Type8;
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_EQ(g.DestinationMMSI, w.DestinationMMSI);
                EXPECT_EQ(g.DAC, w.DAC);
                EXPECT_EQ(g.FI, w.FI);
                const ais::BinaryApp app = ais::SelectBinaryApp(type, w.FI, o.standard);
                EXPECT_NE(app, ais::BinaryApp::NotDecoded);
                ExpectBinaryEqual(app, g, w);
                break;
            }
            case 9: {
                const auto& g = got.Type9;
                const auto& w = want.Type9;
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_EQ(g.Altitude, w.Altitude);
                EXPECT_EQ(g.SOG, w.SOG);
                EXPECT_NEAR(g.Latitude, w.Latitude, kLatLonStep / 2 + 1e-9);
                EXPECT_NEAR(g.Longitude, w.Longitude, kLatLonStep / 2 + 1e-9);
                break;
            }
            case 10:
                EXPECT_EQ(got.Type10.MMSI, e.mmsi);
                EXPECT_EQ(got.Type10.DestinationMMSI, want.Type10.DestinationMMSI);
                break;
            case 12:
                EXPECT_EQ(got.Type12.MMSI, e.mmsi);
                EXPECT_EQ(got.Type12.DestinationMMSI, want.Type12.DestinationMMSI);
                EXPECT_EQ(Trim(got.Type12.Text), want.Type12.Text);
                break;
            case 14:
                EXPECT_EQ(got.Type14.MMSI, e.mmsi);
                EXPECT_EQ(Trim(got.Type14.Text), want.Type14.Text);
                break;
            case 18: {
                const auto& g = got.Type18;
                const auto& w = want.Type18;
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_NEAR(g.Latitude, w.Latitude, kLatLonStep / 2 + 1e-9);
                EXPECT_NEAR(g.Longitude, w.Longitude, kLatLonStep / 2 + 1e-9);
                EXPECT_NEAR(g.SOG, w.SOG, 0.05 + 1e-4);
                EXPECT_EQ(g.TrueHeading, w.TrueHeading);
                break;
            }
            case 19:
                EXPECT_EQ(got.Type19.MMSI, e.mmsi);
                EXPECT_EQ(Trim(got.Type19.Name), want.Type19.Name);
                EXPECT_NEAR(got.Type19.Latitude, want.Type19.Latitude, kLatLonStep / 2 + 1e-9);
                break;
            case 20: EXPECT_EQ(got.Type20.MMSI, e.mmsi); break;
            case 21: {
                const auto& g = got.Type21;
                const auto& w = want.Type21;
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_EQ(Trim(g.Name), w.Name);
                EXPECT_EQ(g.VirtualAtoN, w.VirtualAtoN);
                EXPECT_EQ(g.OffPosition, w.OffPosition);
                EXPECT_EQ(g.AtoNType, w.AtoNType);
                EXPECT_NEAR(g.Latitude, w.Latitude, kLatLonStep / 2 + 1e-9);
                EXPECT_NEAR(g.Longitude, w.Longitude, kLatLonStep / 2 + 1e-9);
                break;
            }
            case 24: {
                const auto& g = got.Type24;
                const auto& w = want.Type24;
                EXPECT_EQ(g.MMSI, e.mmsi);
                EXPECT_EQ(g.PartNumber, e.partNumber);
                if (e.partNumber == 0) {
                    EXPECT_EQ(Trim(g.Name), w.Name);
                } else {
                    EXPECT_EQ(Trim(g.CallSign), w.CallSign);
                    EXPECT_EQ(Trim(g.VendorID), w.VendorID);
                    EXPECT_EQ(g.ShipType, w.ShipType);
                }
                break;
            }
            default: break;
        }
        if (HasFatalFailure()) return;
    }
    const std::set<int> expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 15, 18, 19, 20, 21, 24, 27};
    EXPECT_EQ(types, expected);
}

INSTANTIATE_TEST_SUITE_P(Standards, RoundTrip, ::testing::Values(0, 1));

TEST(Scenario, DefaultMixAroundTheCentre) {
    ScenarioOptions o;
    const Scenario sc = BuildScenario(o);
    ASSERT_EQ(sc.stations.size(), 60u);
    std::map<StationKind, int> kinds;
    std::set<int32_t> mmsis;
    std::set<int> navStatus, shipTypes;
    int own = 0, virtualAtoN = 0, offPosition = 0;
    for (const Station& s : sc.stations) {
        ++kinds[s.kind];
        mmsis.insert(s.mmsi);
        own += s.ownShip;
        virtualAtoN += s.virtualAtoN;
        offPosition += s.offPosition;
        if (s.kind == StationKind::ClassA) navStatus.insert(s.navStatus), shipTypes.insert(s.shipType / 10);
        EXPECT_LE(RoughDistance(sc.centre, s.pos), sc.radiusM * 1.01);
        EXPECT_LE(s.name.size(), 20u);
    }
    EXPECT_EQ(mmsis.size(), 60u);
    EXPECT_EQ(own, 1);
    EXPECT_EQ(kinds[StationKind::BaseStation], 1);
    EXPECT_EQ(kinds[StationKind::SarAircraft], 1);
    EXPECT_GE(kinds[StationKind::AtoN], 3);
    EXPECT_GE(kinds[StationKind::ClassB], 8);
    EXPECT_GE(kinds[StationKind::ClassA], 30);
    EXPECT_EQ(virtualAtoN, 1);
    EXPECT_EQ(offPosition, 1);
    EXPECT_TRUE(navStatus.count(1) && navStatus.count(5) && navStatus.count(0) && navStatus.count(7));
    // Fishing, tug/pilot, passenger, cargo, tanker.
    for (int group : {3, 4, 5, 6, 7, 8}) EXPECT_TRUE(shipTypes.count(group)) << group;
}

TEST(Scenario, ScalesToThousandsOverAWiderArea) {
    ScenarioOptions o;
    o.stations = 3000;
    const Scenario sc = BuildScenario(o);
    ASSERT_EQ(sc.stations.size(), 3000u);
    std::set<int32_t> mmsis;
    double farthest = 0;
    int own = 0;
    for (const Station& s : sc.stations) {
        mmsis.insert(s.mmsi);
        own += s.ownShip;
        farthest = std::max(farthest, RoughDistance(sc.centre, s.pos));
    }
    EXPECT_EQ(mmsis.size(), 3000u);
    EXPECT_EQ(own, 1);
    EXPECT_GT(farthest, 40 * 1852.0);
}

// The class A/B rules as the receiving side applies them to decoded values.
float ExpectedClassA(int nav, float sog, float rot) {
    const auto& a = ais::intervals::ClassA;
    if (nav == 1 || nav == 5) return sog <= 3 ? a[0] : a[1];
    const bool turning = rot != 0 && rot != -9999;
    const int band = sog <= 14 ? 2 : sog <= 23 ? 4 : 6;
    return a[band + (turning ? 1 : 0)];
}

TEST(Intervals, TableBoundaries) {
    struct Row {
        int nav;
        double sog, rot;
        float seconds;
    } rows[] = {
        {5, 3.0, 0, 180}, {5, 3.1, 0, 10}, {1, 0.2, 0, 180}, {0, 14.0, 0, 10}, {0, 14.0, 2.5, 3.3f},
        {0, 14.1, 0, 6},  {0, 23.0, 5, 2}, {0, 23.1, 0, 2},  {0, 30, -8, 2},   {7, 4, -9999, 10},
    };
    for (const auto& r : rows) EXPECT_EQ(ClassAInterval(r.nav, r.sog, r.rot), r.seconds) << r.nav << " " << r.sog;
    struct BRow {
        double sog;
        float seconds;
    } brows[] = {{1.9, 180}, {2.0, 30}, {14.0, 30}, {14.1, 15}, {23.0, 15}, {23.1, 5}};
    for (const auto& r : brows) EXPECT_EQ(ClassBInterval(r.sog), r.seconds) << r.sog;
}

// Over two scenario hours the gap between a station's reports of one kind is
// the interval the decoded previous report calls for.
TEST(Intervals, ReportsKeepTheirStationsRhythm) {
    SimulatorOptions o;
    o.scenario.seed = 3;
    Simulator sim(o);
    testing_support::IntakeDecoder dec;
    struct Last {
        double time = -1;
        float expected = 0;
    };
    std::map<std::pair<int32_t, int>, Last> last;  // (mmsi, kind)
    std::map<int, int> checked;
    Emission e;
    for (;;) {
        sim.next(e);
        if (e.time > 7200) break;
        int type = -1;
        for (const auto& s : e.sentences) type = dec.feed(s);
        ASSERT_EQ(type, e.messageType);
        float expected = 0;
        int kind = type;
        switch (type) {
            case 1: case 2: case 3: {
                const auto& p = *dec.record.positionReport(type);
                expected = ExpectedClassA(p.NavStatus, p.SOG, p.ROT);
                kind = 1;
                break;
            }
            case 18: {
                const float sog = dec.record.Type18.SOG;
                expected = sog < 2 ? 180 : sog <= 14 ? 30 : sog <= 23 ? 15 : 5;
                break;
            }
            case 4: expected = ais::intervals::BaseStation; break;
            case 5: expected = ais::intervals::StaticVoyage; break;
            case 9: expected = ais::intervals::SARAircraft; break;
            case 21: expected = ais::intervals::AtoN; break;
            case 19: expected = ais::intervals::ExtendedClassB; break;
            case 24: expected = 360; kind = 24 + 100 * e.partNumber; break;
            default: continue;
        }
        Last& l = last[{e.mmsi, kind}];
        if (l.time >= 0) {
            EXPECT_NEAR(e.time - l.time, l.expected, 1e-6) << "type " << type << " mmsi " << e.mmsi;
            ++checked[type];
        }
        l = {e.time, expected};
    }
    for (int t : {1, 3, 4, 5, 9, 18, 21, 24}) EXPECT_GT(checked[t], 0) << t;
}

TEST(Motion, SteadyLegsFollowTheEllipsoidAndTurnsShowRot) {
    SimulatorOptions o;
    o.occasionalRate = 0;
    Simulator sim(o);
    testing_support::IntakeDecoder dec;
    std::map<int32_t, ais::PositionReport> previous;
    std::map<int32_t, double> previousTime;
    int steadyChecked = 0, turnsChecked = 0;
    Emission e;
    for (int n = 0; n < 30000; ++n) {
        sim.next(e);
        int type = -1;
        for (const auto& s : e.sentences) type = dec.feed(s);
        if (type < 1 || type > 3) continue;
        const ais::PositionReport now = *dec.record.positionReport(type);
        auto it = previous.find(e.mmsi);
        if (it != previous.end() && now.SOG > 5) {
            const ais::PositionReport& before = it->second;
            const double dt = e.time - previousTime[e.mmsi];
            if (before.ROT == 0 && now.ROT == 0 && before.COG == now.COG && before.SOG == now.SOG) {
                double dist = 0, brg = 0;
                geodesy::GeodeticInverse(before.Latitude * geodesy::kDegToRad, before.Longitude * geodesy::kDegToRad,
                                         now.Latitude * geodesy::kDegToRad, now.Longitude * geodesy::kDegToRad,
                                         geodesy::kInverseBoth, dist, brg, geodesy::kWgs84B, geodesy::kWgs84F);
                EXPECT_NEAR(dist, before.SOG * 1852.0 / 3600.0 * dt, 0.5 + 0.003 * dist);
                // Positions are rounded to about 0.2 m, which tilts short steps a little.
                EXPECT_NEAR(AngleDifference(brg * geodesy::kRadToDeg, before.COG), 0.0, 0.06 + 0.3 / dist * 57.3);
                ++steadyChecked;
            } else if (before.ROT != 0 && now.ROT != 0 && (before.ROT > 0) == (now.ROT > 0)) {
                // Turning: the course moves the way ROT says, at about its rate.
                const double turned = AngleDifference(now.COG, before.COG);
                EXPECT_EQ(turned > 0, before.ROT > 0);
                EXPECT_NEAR(std::fabs(turned), std::fabs(before.ROT) * dt / 60.0, 0.15 * std::fabs(before.ROT) * dt / 60.0 + 0.2);
                ++turnsChecked;
            }
        }
        previous[e.mmsi] = now;
        previousTime[e.mmsi] = e.time;
    }
    EXPECT_GT(steadyChecked, 1000);
    EXPECT_GT(turnsChecked, 100);
}

// Field k (0 = address) of a sentence.
std::string Field(const std::string& s, int k) {
    size_t from = 0;
    for (int i = 0; i < k; ++i) from = s.find(',', from) + 1;
    return s.substr(from, s.find(',', from) - from);
}

TEST(Channels, AlternatePerStationAndFragmentIdsRotate) {
    Simulator sim(SimulatorOptions{});
    std::map<int32_t, char> lastChannel;
    int lastId = -1, multi = 0;
    Emission e;
    for (int n = 0; n < 5000; ++n) {
        sim.next(e);
        auto it = lastChannel.find(e.mmsi);
        if (it != lastChannel.end()) {
            EXPECT_NE(it->second, e.channel) << e.mmsi;
        }
        lastChannel[e.mmsi] = e.channel;
        for (const auto& s : e.sentences) EXPECT_EQ(Field(s, 4), std::string(1, e.channel)) << s;
        if (e.sentences.size() > 1) {
            const int id = std::stoi(Field(e.sentences[0], 3));
            if (lastId >= 0) {
                EXPECT_EQ(id, (lastId + 1) % 10);
            }
            lastId = id;
            ++multi;
            for (const auto& s : e.sentences) EXPECT_EQ(Field(s, 3), std::to_string(id)) << s;
        }
    }
    EXPECT_GT(multi, 20);
}

TEST(Determinism, SameSeedSameBytesOtherSeedOtherBytes) {
    auto run = [](uint64_t seed, int stations) {
        SimulatorOptions o;
        o.scenario.seed = seed;
        o.scenario.stations = stations;
        Simulator sim(o);
        Emission e;
        std::string all;
        for (int n = 0; n < 3000; ++n) {
            sim.next(e);
            for (const auto& s : e.sentences) all += s;
        }
        return all;
    };
    EXPECT_EQ(run(5, 60), run(5, 60));
    EXPECT_NE(run(5, 60), run(6, 60));
    EXPECT_EQ(run(9, 700), run(9, 700));
}

}  // namespace
}  // namespace sim
