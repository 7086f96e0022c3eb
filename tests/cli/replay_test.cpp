// Runs orvanta-cli replay on streams made with the encoder and checks the
// printed table, the counters and the ship database it leaves behind.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "ais/encoder.h"
#include "input/sentence_builder.h"

namespace {

namespace fs = std::filesystem;

std::string runReplay(const std::string& args, int& status) {
    const std::string command = std::string(ORVANTA_CLI_PATH) + " replay " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "";
    std::string out;
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    const int st = pclose(pipe);
    status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

ais::PositionReport position(int32_t mmsi, double lat, double lon) {
    ais::PositionReport p;
    p.MessageID = 1;
    p.MMSI = mmsi;
    p.SOG = 10;
    p.Latitude = lat;
    p.Longitude = lon;
    return p;
}

ais::StaticVoyageData staticData(int32_t mmsi, const std::string& name) {
    ais::StaticVoyageData s;
    s.MessageID = 5;
    s.MMSI = mmsi;
    s.Name = name;
    s.CallSign = "LA" + std::to_string(mmsi % 1000);
    s.ShipType = 70;
    return s;
}

template <class Rec>
void write(std::ofstream& out, input::SentenceBuilder& b, const Rec& rec) {
    const auto e = ais::EncodePayload(rec);
    for (const auto& s : b.build(e.payload, e.fillBits, 'A')) out << s;
}

// MMSI -> number of records in Shipdata.dat.
std::map<int64_t, int> shipDataRecords(const fs::path& dir) {
    std::map<int64_t, int> count;
    std::ifstream in(dir / "Shipdata.dat");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) count[std::stoll(line.substr(0, line.find(',')))]++;
    }
    return count;
}

class ReplayCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("orvanta_replay_test_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "data");
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(ReplayCommand, TwoRunsKeepOneShipRecordPerVesselAndPrefillTheSecond) {
    input::SentenceBuilder b;
    {
        std::ofstream f(dir / "run1.nmea", std::ios::binary);
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 20; ++i) {
                write(f, b, position(257000100 + i, 60 + i * 0.01, 5));
                if (i % 2 == 0) write(f, b, staticData(257000100 + i, "VESSEL " + std::to_string(i)));
            }
        }
        f << "$GPGGA,1*00\r\n";
    }
    {
        std::ofstream f(dir / "run2.nmea", std::ios::binary);
        for (int i = 0; i < 20; ++i) write(f, b, position(257000100 + i, 60, 5));
    }
    const std::string data = "--data-dir " + (dir / "data").string();
    int status = -1;
    const std::string out1 = runReplay((dir / "run1.nmea").string() + " " + data + " --format json", status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(out1.find("\"SentenceCount\":121"), std::string::npos) << out1.substr(out1.find("counters"));
    EXPECT_NE(out1.find("\"NonAISCount\":1"), std::string::npos);
    EXPECT_NE(out1.find("\"DecodedMessageCount\":90"), std::string::npos);
    EXPECT_NE(out1.find("\"TargetCount\":20"), std::string::npos);

    auto records = shipDataRecords(dir / "data");
    EXPECT_EQ(records.size(), 10u);  // only the named vessels
    for (const auto& [mmsi, n] : records) EXPECT_EQ(n, 1) << mmsi;

    // The second run hears only position reports: names come from the database.
    const std::string out2 = runReplay((dir / "run2.nmea").string() + " " + data + " --format csv", status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(out2.find("257000100,vessel 0"), std::string::npos) << out2;
    records = shipDataRecords(dir / "data");
    EXPECT_EQ(records.size(), 10u);
    for (const auto& [mmsi, n] : records) EXPECT_EQ(n, 1) << mmsi;
}

TEST_F(ReplayCommand, ReferencePositionGivesRangeAndBearing) {
    input::SentenceBuilder b;
    {
        std::ofstream f(dir / "ref.nmea", std::ios::binary);
        write(f, b, position(257000001, 60.5, 5.8));
    }
    int status = -1;
    const std::string out = runReplay((dir / "ref.nmea").string() + " --ref 60 5", status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(out.find("38.4 nm"), std::string::npos) << out;
    EXPECT_NE(out.find("038.1 °"), std::string::npos) << out;
    runReplay("--format xml", status);
    EXPECT_EQ(status, 2);
}

}  // namespace
