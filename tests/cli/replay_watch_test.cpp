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
    struct Row {
        const char* args;
        const char* cpa;
        const char* dangerous;
    } rows[] = {
        {"replay --format json --own-mmsi 257999998", "0", "true"},
        {"replay --format json", "null", "false"},
    };
    for (const Row& r : rows) {
        const clitest::Run run = clitest::Cli(r.args, &in);
        ASSERT_EQ(run.status, 0) << r.args;
        const std::string target = "\"MMSI\":257000001";
        EXPECT_EQ(Field(run.out, target, "cpa").substr(0, 1), std::string(r.cpa).substr(0, 1)) << r.args;
        EXPECT_EQ(Field(run.out, target, "dangerous"), r.dangerous) << r.args;
        EXPECT_EQ(Field(run.out, target, "lost"), "false") << r.args;
        EXPECT_EQ(Field(run.out, target, "rx_percent"), "null") << r.args;  // one report only
        EXPECT_EQ(Field(run.out, "\"MMSI\":257999998", "cpa"), "null") << r.args;  // the own ship itself
    }
    const std::string tcpa = Field(clitest::Cli(rows[0].args, &in).out, "\"MMSI\":257000001", "tcpa");
    EXPECT_NEAR(std::stod(tcpa), 9.0, 0.1);
    EXPECT_EQ(clitest::Cli("replay --ref 59 10 --own-mmsi 257999998", &in).status, 2);
}

}  // namespace
