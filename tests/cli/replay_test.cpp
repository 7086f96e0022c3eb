// Runs orvanta-cli replay on streams made with the encoder and checks the
// printed table, the counters and the ship database it leaves behind.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/number_format.h"
#include "cli_run.h"
#include "sentence/tag_block.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace {

using namespace testing_support;

std::string position(int32_t mmsi, double lat, double lon) {
    return Join(Sentences(ClassAReport(mmsi, lat, lon, 10)));
}

// MMSI -> number of records in Shipdata.dat.
std::map<int64_t, int> shipDataRecords(const TempDir& dir) {
    std::map<int64_t, int> count;
    const std::string text = dir.read("data/Shipdata.dat");
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        count[std::stoll(text.substr(at, text.find(',', at) - at))]++;
    }
    return count;
}

TEST(ReplayCommand, TwoRunsKeepOneShipRecordPerVesselAndPrefillTheSecond) {
    TempDir dir;
    std::filesystem::create_directory(dir / "data");
    std::string run1, run2;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 20; ++i) {
            run1 += position(257000100 + i, 60 + i * 0.01, 5);
            if (i % 2 == 1) continue;
            ais::StaticVoyageData s;
            s.MessageID = 5, s.MMSI = 257000100 + i, s.Name = "VESSEL " + std::to_string(i);
            run1 += Join(Sentences(s));
        }
    }
    for (int i = 0; i < 20; ++i) run2 += position(257000100 + i, 60, 5);
    dir.write("run1.nmea", run1 + "$GPGGA,1*00\r\n");
    dir.write("run2.nmea", run2);
    const std::string data = " --data-dir " + (dir / "data").string();
    const clitest::Run r1 = clitest::Cli("replay " + (dir / "run1.nmea").string() + data + " --format json");
    ASSERT_EQ(r1.status, 0);
    for (const char* counter : {"\"SentenceCount\":121", "\"NonAISCount\":1", "\"DecodedMessageCount\":90",
                                "\"TargetCount\":20"}) {
        EXPECT_NE(r1.out.find(counter), std::string::npos) << counter;
    }
    for (int run = 1; run <= 2; ++run) {
        const auto records = shipDataRecords(dir);
        EXPECT_EQ(records.size(), 10u);  // only the named vessels
        for (const auto& [mmsi, n] : records) EXPECT_EQ(n, 1) << mmsi;
        if (run == 2) break;
        // The second run hears only position reports: names come from the database.
        const clitest::Run r2 = clitest::Cli("replay " + (dir / "run2.nmea").string() + data + " --format csv");
        EXPECT_NE(r2.out.find("257000100,vessel 0,A,Class A Vessel,Norway"), std::string::npos) << r2.out;
    }
}

// A reference position gives range and bearing. The table shows them in
// place of the position; the CSV is for programs: numbers without units, the
// position in degrees with range and bearing beside it, an unknown value
// empty (also a turn rate not available, once shown as "port").
TEST(ReplayCommand, ReferencePositionGivesRangeAndBearingAndTheCsvKeepsThePosition) {
    TempDir dir;
    ais::PositionReport p;
    p.MessageID = 1, p.MMSI = 257000002, p.SOG = base::kNotAvailable, p.ROT = base::kNotAvailable;
    p.COG = base::kNotAvailable, p.TrueHeading = base::kNotAvailable, p.Latitude = 60.25, p.Longitude = 5.5;
    ais::StaticVoyageData v;  // a name from the air reaches the CSV as text, never as a formula
    v.MessageID = 5, v.MMSI = 257000002, v.Name = "=1+2", v.CallSign = "LABC";
    dir.write("ref.nmea", position(257000001, 60.5, 5.8) + Join(Sentences(p)) + Join(Sentences(v)));
    const std::string file = (dir / "ref.nmea").string();
    const clitest::Run table = clitest::Cli("replay " + file + " --ref 60 5");
    ASSERT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("38.4 nm"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("038.1 °"), std::string::npos) << table.out;
    EXPECT_EQ(clitest::Cli("replay --format xml").status, 2);
    const clitest::Run r = clitest::Cli("replay --format csv " + file + " --ref 60 5");
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("No,MMSI,Name,Class,ClassText,Country,Lat (\xC2\xB0),Lon (\xC2\xB0),Range (nm),"
                                  "Bearing (\xC2\xB0),SOG (kn),COG (\xC2\xB0),HDG (\xC2\xB0),ROT (\xC2\xB0/min),Status,"))
        << r.out;
    EXPECT_NE(r.out.find(",60.500000,5.800000,38.4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",60.250000,5.500000,21.2"), std::string::npos) << r.out;
    const size_t unknown = r.out.find(",60.250000,5.500000,");
    // SOG, COG, HDG and ROT of the second vessel: four empty cells before its status.
    EXPECT_NE(r.out.find(",,,,,", unknown), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(" nm"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",257000002,'=1+2,A,"), std::string::npos) << r.out;
    const clitest::Run plain = clitest::Cli("replay --format csv " + file);
    EXPECT_EQ(plain.out.find("Range"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find(",60.500000,5.800000,10.0,"), std::string::npos) << plain.out;
}

// One far-future c: time costs replay --realtime no waiting: the break is
// skipped with one notice, the lines after it keep their pace, and the table
// is the one an unpaced replay builds.
TEST(ReplayCommand, RealtimeSkipsABreakInTheTimes) {
    TempDir dir;
    std::string text;
    int32_t mmsi = 257000001;
    for (int64_t t : {int64_t{1700000000}, int64_t{2700000000}, int64_t{1700000001}, int64_t{1700000001}})
        text += input::FormatTagBlock("", t) + position(mmsi++, 60.5, 5.8);
    dir.write("future.nmea", text);
    const std::string file = (dir / "future.nmea").string();
    // A run that waits for the far-future time is cut off after a minute.
    for (const char* pace : {"--realtime", "--speed 1000000", "--realtime --max-gap 0.5"}) {
        const clitest::Run r = clitest::Cli(std::string("replay ") + pace + " " + file, nullptr, "timeout 60");
        ASSERT_EQ(r.status, 0) << pace;
        EXPECT_EQ(r.err, "orvanta-cli replay: gap of 1000000000 s skipped\n") << pace;
        EXPECT_EQ(r.out, clitest::Cli("replay " + file).out) << pace;
    }
    EXPECT_EQ(clitest::Cli("replay --max-gap 0 " + file).status, 2);
}

// The simulator's traffic with tag blocks builds the table it builds without
// them, also paced by the tags' times; decode passes the tags on.
TEST(ReplayCommand, TaggedTrafficGivesTheTableOfUntagged) {
    TempDir dir;
    const std::string sim = "simulate --fast --count 3000 --quiet --out ";
    ASSERT_EQ(clitest::Cli(sim + (dir / "plain.nmea").string()).status, 0);
    ASSERT_EQ(clitest::Cli(sim + (dir / "tagged.nmea").string() + " --tags").status, 0);
    const clitest::Run plain = clitest::Cli("replay " + (dir / "plain.nmea").string());
    ASSERT_EQ(plain.status, 0);
    for (const char* options : {"", " --speed 100000"}) {
        const clitest::Run tagged = clitest::Cli("replay " + (dir / "tagged.nmea").string() + options);
        EXPECT_EQ(tagged.out, plain.out) << options;
    }
    const clitest::Run decoded = clitest::Cli("decode --tags " + (dir / "tagged.nmea").string());
    EXPECT_NE(decoded.out.find("\"TagSource\":\"sim\",\"TagTime\":1781524800}"), std::string::npos);
}

}  // namespace
