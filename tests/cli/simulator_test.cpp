#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "ais/binary_layout.h"
#include "ais/message_fields.h"
#include "cli/sim/simulator.h"
#include "sentence/checksum.h"
#include "support/intake_decoder.h"

namespace sim {
namespace {

// Bits of the message the sentences of one emission carry.
int PayloadBits(const std::vector<std::string>& sentences) {
    int bits = 0, fill = 0;
    for (const std::string& s : sentences) {
        size_t at = 0;
        for (int comma = 0; comma < 5; ++comma) at = s.find(',', at) + 1;
        const size_t end = s.find(',', at);
        bits += 6 * static_cast<int>(end - at);
        fill = s[end + 1] - '0';
    }
    return bits - fill;
}

// The fields a message decoded to, by name: numbers and trimmed texts.
struct Fields final : ais::FieldVisitor {
    std::map<std::string, double, std::less<>> number;
    std::map<std::string, std::string, std::less<>> texts;
    void integer(std::string_view n, int64_t v) override { number[std::string(n)] = static_cast<double>(v); }
    void single(std::string_view n, float v) override { number[std::string(n)] = v; }
    void real(std::string_view n, double v) override { number[std::string(n)] = v; }
    void text(std::string_view n, std::string_view v) override { texts[std::string(n)] = testing_support::Trim(std::string(v)); }
    void dateTime(std::string_view, base::DateTime) override {}
};

// Every message is framed as the receive side expects and decodes to the
// sending station's identity, place and name, under both numberings of binary
// applications. (Field by field the encoder has round trips of its own.)
class RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RoundTrip, EveryMessageDecodesToItsStation) {
    SimulatorOptions o;
    o.standard = GetParam();
    o.scenario.seed = 11;
    o.occasionalRate = 5;  // more of the rare types in a short run
    Simulator sim(o);
    testing_support::IntakeDecoder dec(o.standard);
    std::set<int> types, apps;
    Emission e;
    for (int n = 0; n < 6000 && !HasFatalFailure(); ++n) {
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
        EXPECT_LE(PayloadBits(e.sentences), ais::MaxMessageBits(type)) << "type " << type;
        types.insert(type);
        const Station& st = sim.scenario().stations.at(static_cast<size_t>(e.station));
        SCOPED_TRACE("type " + std::to_string(type) + " mmsi " + std::to_string(e.mmsi));
        EXPECT_EQ(std::tie(e.mmsi, e.ownShip), std::tie(st.mmsi, st.ownShip));
        Fields f;
        ais::VisitDecodedFields(dec.record, type, f, false);
        EXPECT_EQ(f.number.at("MMSI"), st.mmsi);
        if (f.number.count("Latitude")) {
            // Half of the last step: 1/10000 minute, 1/10 minute for types 17 and 27.
            const double step = (type == 17 || type == 27 ? 1.0 / 1200 : 1.0 / 1200000) + 1e-9;
            EXPECT_NEAR(f.number["Latitude"], st.pos.lat, step);
            EXPECT_NEAR(f.number["Longitude"], st.pos.lon, step);
        }
        if (f.texts.count("Name")) {
            EXPECT_EQ(f.texts["Name"], st.name);
        }
        if (type == 3 || type == 1) {
            EXPECT_EQ(type == 3, e.truth.positionReport(type)->ROT != 0);  // 3 while turning
        }
        if (type == 24) {
            EXPECT_EQ(f.number.at("PartNumber"), e.partNumber);
        }
        if (type == 6 || type == 8) {
            const ais::BinaryMessage& m = type == 6 ? e.truth.Type6 : e.truth.Type8;
            EXPECT_NE(ais::SelectBinaryApp(type, m.DAC, m.FI, o.standard), ais::BinaryApp::NotDecoded) << m.FI;
            apps.insert(m.DAC * 100 + m.FI);
        }
        if ((type == 25 || type == 26) && f.number.at("Structured") != 0) {
            EXPECT_EQ(f.texts.at("Description"), "FI 10 - Inland Ship Static & Voyage Related Data");
            EXPECT_EQ(f.number.at("Length") > 0, true);
        }
        if (type == 4) {
            const base::CalendarTime c = sim.utcAt(e.time);
            for (const auto& [name, value] : {std::pair{"UTCYear", c.year}, {"UTCMonth", c.month}, {"UTCDay", c.day},
                                              {"UTCHour", c.hour}, {"UTCMinute", c.minute}, {"UTCSecond", c.second}})
                EXPECT_EQ(f.number.at(name), value) << name;
        }
    }
    EXPECT_TRUE(types.size() == 27 && *types.begin() == 1 && *types.rbegin() == 27) << types.size();  // 1 to 27
    for (int app : {131, 122, 124, 20010}) EXPECT_TRUE(apps.count(app)) << app;
}

INSTANTIATE_TEST_SUITE_P(Standards, RoundTrip, ::testing::Values(0, 1));

// A long run of every kind of traffic: no message is longer than its type
// may be on the air (a receiver rejects one that is).
TEST(Simulator, EveryMessageFitsItsType) {
    for (int standard : {0, 1}) {
        SimulatorOptions o;
        o.standard = standard;
        o.scenario.stations = 400;
        o.occasionalRate = 3;
        Simulator sim(o);
        std::map<int, int> longest;
        Emission e;
        for (int n = 0; n < 200000; ++n) {
            sim.next(e);
            int& most = longest[e.messageType];
            most = std::max(most, PayloadBits(e.sentences));
        }
        EXPECT_EQ(longest.size(), 27u);
        for (const auto& [type, bits] : longest) EXPECT_LE(bits, ais::MaxMessageBits(type)) << "type " << type;
    }
}

// The rhythm of every task and the replies: each station's regular reports
// come at the interval of their kind, part B of a class B static report
// follows part A, occasional messages come from the kind of station that
// sends them, and every addressed message that asks for a reply gets it from
// its addressee, 1 to 4 s later, addressed back.
TEST(Simulator, TasksKeepTheirRhythmAndRepliesReachTheAsker) {
    SimulatorOptions o;
    o.occasionalRate = 5;
    Simulator sim(o);
    const auto& stations = sim.scenario().stations;
    const struct {
        int type;
        double interval;
    } regular[] = {{4, 10}, {9, 10}, {21, 180}, {5, 360}, {19, 360}};
    std::map<std::pair<int32_t, int>, double> last;  // (MMSI, type or 24 part) -> time
    struct Ask {
        double time;
        int32_t from, to;
        int reply;
    };
    std::vector<Ask> asks;
    std::multimap<std::tuple<int32_t, int, int32_t>, double> replies;  // (from, type, to) -> time
    std::map<int, int> checked;
    Emission e;
    double end = 0;
    for (int n = 0; n < 40000; ++n) {
        sim.next(e);
        end = e.time;
        const Station& st = stations.at(static_cast<size_t>(e.station));
        const int key = e.messageType == 24 ? 240 + e.partNumber : e.messageType;
        const auto before = last.find({e.mmsi, key});
        for (const auto& r : regular) {
            if (r.type != e.messageType || before == last.end()) continue;
            EXPECT_NEAR(e.time - before->second, r.interval, 1e-6) << "type " << r.type;
            ++checked[r.type];
        }
        if (key == 241) {
            EXPECT_NEAR(e.time - last.at({e.mmsi, 240}), 0.5 + (e.mmsi % 16) / 10.0, 1e-6);
            ++checked[24];
        }
        last[{e.mmsi, key}] = e.time;
        const auto& t = e.truth;
        switch (e.messageType) {
            case 14: case 17: case 22: case 23: EXPECT_EQ(st.kind, StationKind::BaseStation); break;
            case 6:
                if (t.Type6.FI == ais::BinaryAppFI(ais::BinaryApp::DangerousCargo, 0)) {
                    EXPECT_EQ(st.shipType / 10, 8) << "a tanker's cargo";
                }
                asks.push_back({e.time, e.mmsi, t.Type6.DestinationMMSI, 7});
                break;
            case 12: asks.push_back({e.time, e.mmsi, t.Type12.DestinationMMSI, 13}); break;
            case 10: asks.push_back({e.time, e.mmsi, t.Type10.DestinationMMSI, 11}); break;
            case 7: replies.insert({{e.mmsi, 7, t.Type7.DestinationMMSI1}, e.time}); break;
            case 13: replies.insert({{e.mmsi, 13, t.Type13.DestinationMMSI1}, e.time}); break;
            case 11: replies.insert({{e.mmsi, 11, 0}, e.time}); break;
            default: break;
        }
    }
    for (const Ask& a : asks) {
        if (a.time > end - 5) continue;
        const auto [first, stop] = replies.equal_range({a.to, a.reply, a.reply == 11 ? 0 : a.from});
        const bool answered = std::any_of(first, stop, [&](const auto& r) {
            return r.second >= a.time + 1 && r.second <= a.time + 4;
        });
        EXPECT_TRUE(answered) << "type " << a.reply << " from " << a.to << " to " << a.from << " at " << a.time;
        ++checked[a.reply];
    }
    for (int type : {4, 9, 21, 5, 19, 24, 7, 13, 11}) EXPECT_GT(checked[type], 0) << "type " << type;
}

}  // namespace
}  // namespace sim
