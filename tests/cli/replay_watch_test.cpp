// orvanta-cli replay --format json: the approach, alarm, lifecycle and
// reception fields at the end of each target, with the own ship chosen by
// --own-mmsi.
#include <gtest/gtest.h>

#include "cli/cli_run.h"
#include "support/sample_sentences.h"

namespace {

using testing_support::ClassAReport;
using testing_support::Join;
using testing_support::Sentences;

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

TEST(ReplayWatch, JsonCarriesTheApproachOfEveryTarget) {
    const std::string in = Encounter();
    const std::string target = "\"MMSI\":257000001";
    const clitest::Run own = clitest::Cli("replay --format json --own-mmsi 257999998", &in);
    ASSERT_EQ(own.status, 0);
    EXPECT_EQ(Field(own.out, target, "cpa").substr(0, 1), "0");
    EXPECT_NEAR(std::stod(Field(own.out, target, "tcpa")), 9.0, 0.1);
    EXPECT_EQ(Field(own.out, target, "dangerous") + Field(own.out, target, "lost") + Field(own.out, target, "rx_percent"),
              "truefalsenull");  // one report only: no reception percentage
    EXPECT_EQ(Field(own.out, "\"MMSI\":257999998", "cpa"), "null");  // the own ship itself
    // Without an own ship no approach is known.
    const clitest::Run none = clitest::Cli("replay --format json", &in);
    EXPECT_EQ(Field(none.out, target, "cpa") + Field(none.out, target, "dangerous"), "nullfalse");
    EXPECT_EQ(clitest::Cli("replay --ref 59 10 --own-mmsi 257999998", &in).status, 2);
}

}  // namespace
