// orvanta-cli replay --format json: the approach, alarm, lifecycle and
// reception fields at the end of each target, with the own ship chosen by
// --own-mmsi.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/cli_run.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace {

using namespace testing_support;

// The own ship heading north at 10 kn, a vessel 3' north heading south at 10 kn.
std::string Encounter() {
    auto own = ClassAReport(257999998, 59.0, 10.0, 10.0f);
    own.COG = 0;
    auto other = ClassAReport(257000001, 59.05, 10.0, 10.0f);
    other.COG = 180;
    return Join(Sentences(own)) + Join(Sentences(other));
}

std::string Field(const std::string& json, const std::string& object, const std::string& key) {
    const size_t at = json.find(object);
    const size_t k = json.find("\"" + key + "\":", at);
    if (at == std::string::npos || k == std::string::npos) return "";
    const size_t from = k + key.size() + 3;
    return json.substr(from, json.find_first_of(",}", from) - from);
}

// With an own ship the JSON carries each target's approach; a station heard
// only by its static data has no position: null, not 0, 0 (a place in the
// Gulf of Guinea), and no range from the reference.
TEST(ReplayWatch, JsonCarriesTheApproachOfEveryTargetAndNullForWhatIsUnknown) {
    const std::string in = Encounter() + Join(Sentences(StaticData(257000009, "NO FIX", "LNOF")));
    const std::string target = "\"MMSI\":257000001";
    const clitest::Run own = clitest::Cli("replay --format json --own-mmsi 257999998", &in);
    ASSERT_EQ(own.status, 0);
    EXPECT_EQ(Field(own.out, target, "cpa").substr(0, 1), "0");
    EXPECT_NEAR(std::stod(Field(own.out, target, "tcpa")), 9.0, 0.1);
    EXPECT_EQ(Field(own.out, target, "dangerous") + Field(own.out, target, "lost") + Field(own.out, target, "rx_percent"),
              "truefalsenull");  // one report only: no reception percentage
    EXPECT_EQ(Field(own.out, "\"MMSI\":257999998", "cpa"), "null");  // the own ship itself
    EXPECT_EQ(clitest::Cli("replay --ref 59 10 --own-mmsi 257999998", &in).status, 2);
    const std::string noFix = "\"MMSI\":257000009";
    for (const char* format : {"json", "geojson"}) {
        const clitest::Run r = clitest::Cli(std::string("replay --ref 59 10 --format ") + format, &in);
        ASSERT_EQ(r.status, 0) << format;
        EXPECT_EQ(Field(r.out, noFix, "Latitude") + Field(r.out, noFix, "Longitude") + Field(r.out, noFix, "Range") +
                      Field(r.out, noFix, "Bearing"),
                  "nullnullnullnull")
            << format;
        EXPECT_NEAR(std::stod(Field(r.out, target, "Range")), 5566, 20) << format;  // 3' north
    }
    // Without an own ship no approach is known; without a reference no range,
    // even for a station with a position.
    const clitest::Run none = clitest::Cli("replay --format json", &in);
    EXPECT_EQ(Field(none.out, target, "cpa") + Field(none.out, target, "dangerous"), "nullfalse");
    EXPECT_EQ(Field(none.out, target, "Range"), "null");
}

// --alarms writes the alarm log's episode lines: one when the vessel heading
// for us becomes dangerous, one with ";clear" when it has turned away.
TEST(ReplayWatch, AlarmsFileHoldsEachEpisodeBeginningAndEnd) {
    testing_support::TempDir dir;
    auto away = ClassAReport(257000001, 59.049, 10.0, 10.0f);
    away.COG = 90;
    const std::string in = Encounter() + Join(Sentences(away));
    const clitest::Run r = clitest::Cli("replay --own-mmsi 257999998 --alarms " + (dir / "alarms.txt").string(), &in);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = dir.lines("alarms.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), ';'), 6) << lines[0];
    EXPECT_NE(lines[0].find(";257000001;;0.00;9.0;"), std::string::npos) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(";clear")) << lines[1];
    const std::string feed = Join(Sentences(ClassAReport(257000001, 59.05, 10.0, 10.0f)));
    const clitest::Run bad = clitest::Cli("replay --alarms " + (dir.path() / "no" / "such.txt").string(), &feed);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("cannot write"), std::string::npos);
}

}  // namespace
