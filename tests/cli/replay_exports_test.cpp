// orvanta-cli replay's exports opened with GDAL's ogrinfo, as QGIS would
// open them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli_run.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    for (char buf[4096]; size_t n = std::fread(buf, 1, sizeof buf, pipe);) out.append(buf, n);
    ::pclose(pipe);
    return out;
}

bool Have(const char* program) { return std::system(("command -v " + std::string(program) + " >/dev/null").c_str()) == 0; }

// Five targets with positions, class A and B, and one heard only by its name.
std::string Traffic() {
    using namespace testing_support;
    std::string nmea;
    for (int i = 0; i < 3; ++i) nmea += Join(Sentences(ClassAReport(257000001 + i, 59.5 + i * 0.01, 5.25, 10)));
    for (int i = 0; i < 2; ++i) nmea += Join(Sentences(ClassBReport(257100001 + i, 59.4, 5.0 + i * 0.01, 5), 'B'));
    return nmea + Join(Sentences(StaticData(257200001, "NO FIX", "LXYZ")));
}

TEST(ReplayExports, GeoJsonAndGpxOpenInOgrWithAFeatureAndATrackPerTarget) {
    if (!Have("ogrinfo")) GTEST_SKIP() << "ogrinfo (Debian's gdal-bin) is not installed";
    TempDir dir;
    dir.write("in.nmea", Traffic());
    const std::string geojson = (dir / "targets.geojson").string(), gpx = (dir / "tracks.gpx").string();
    const clitest::Run r = clitest::Cli("replay " + (dir / "in.nmea").string() + " --format geojson --tracks " + gpx);
    ASSERT_EQ(r.status, 0) << r.err;
    dir.write("targets.geojson", r.out);
    EXPECT_NE(Output("ogrinfo -ro -so -al " + geojson).find("Feature Count: 6"), std::string::npos);
    const std::string tracks = Output("ogrinfo -ro -al " + gpx + " tracks");
    EXPECT_NE(tracks.find("Feature Count: 5"), std::string::npos) << tracks;
    EXPECT_NE(tracks.find("desc (String) = MMSI 257100002"), std::string::npos) << tracks;
}

}  // namespace
