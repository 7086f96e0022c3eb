// Runs orvanta-cli decode on NMEA text made with the encoder and checks the
// JSON lines it prints.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ais/binary_encoder.h"
#include "ais/encoder.h"
#include "input/sentence_builder.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::vector<std::string> lines;  // stdout
    std::string err;
};

CliRun runDecode(const std::string& input, const std::string& args = "") {
    const fs::path dir = fs::temp_directory_path() / ("orvanta_decode_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path in = dir / "in.nmea";
    const fs::path err = dir / "err.txt";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command =
        std::string(ORVANTA_CLI_PATH) + " decode " + in.string() + " " + args + " 2>" + err.string();
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::string out;
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    const int st = pclose(pipe);
    run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
    std::ifstream e(err);
    run.err.assign(std::istreambuf_iterator<char>(e), {});
    fs::remove_all(dir);
    return run;
}

std::string sentences(const ais::EncodedPayload& e, char channel = 'A') {
    static input::SentenceBuilder builder;
    std::string text;
    for (const auto& s : builder.build(e.payload, e.fillBits, channel)) text += s;
    return text;
}

ais::PositionReport position() {
    ais::PositionReport p;
    p.MessageID = 1;
    p.MMSI = 257000001;
    p.NavStatus = 5;
    p.ROT = -9999;
    p.SOG = 12.3f;
    p.Longitude = 10.5;
    p.Latitude = -9999;
    p.COG = 359.9f;
    p.TrueHeading = 511;  // written as 511: read back as not available
    p.TimeStamp = 60;
    p.SlotTimeout = 1;
    p.SubMessage = 0x088C;
    return p;
}

TEST(DecodeCommand, PrintsExactlyTheFieldsTheDecoderWrote) {
    const CliRun run = runDecode(sentences(ais::EncodePayload(position())));
    ASSERT_EQ(run.status, 0);
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_EQ(run.lines[0],
              "{\"MessageID\":1,\"RepeatIndicator\":0,\"MMSI\":257000001,\"NavStatus\":5,\"NavStatusText\":"
              "\"Moored\",\"ROT\":-9999,\"SOG\":12.3,\"PosAccuracy\":0,\"PosAccuracyText\":\"Low accuracy, >10 m\","
              "\"Longitude\":10.5,\"Latitude\":-9999,\"COG\":359.9,\"TrueHeading\":-9999,\"TimeStamp\":60,"
              "\"ManoeuvreIndicator\":0,\"Spare\":0,\"RAIM\":0,\"SyncState\":0,\"SlotTimeout\":1,\"SubMessage\":2188,"
              "\"CommUTCHour\":4,\"CommUTCMinute\":35}");
    EXPECT_NE(run.err.find("1 printed"), std::string::npos) << run.err;
}

TEST(DecodeCommand, AssemblesFragmentsPerKeyAndKeepsInputOrder) {
    ais::StaticVoyageData a;
    a.MessageID = 5;
    a.MMSI = 111;
    a.Name = "FIRST";
    ais::StaticVoyageData b = a;
    b.MMSI = 222;
    b.Name = "SECOND";
    input::SentenceBuilder builder;
    const auto sa = builder.build(ais::EncodePayload(a).payload, 2, 'A');
    const auto sb = builder.build(ais::EncodePayload(b).payload, 2, 'B');
    ASSERT_EQ(sa.size(), 2u);
    ASSERT_EQ(sb.size(), 2u);
    // Interleaved, then a lone second fragment, then a one-sentence message.
    const std::string input = sa[0] + sb[0] + sa[1] + sb[1] + sa[1] + sentences(ais::EncodePayload(position()));
    const CliRun run = runDecode(input);
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_NE(run.lines[0].find("\"MMSI\":111,"), std::string::npos);
    EXPECT_NE(run.lines[0].find("\"Name\":\"FIRST               \""), std::string::npos);  // untrimmed
    EXPECT_NE(run.lines[0].find("\"ETA\":null"), std::string::npos);
    EXPECT_NE(run.lines[1].find("\"MMSI\":222,"), std::string::npos);
    EXPECT_NE(run.lines[2].find("\"MessageID\":1,"), std::string::npos);
}

TEST(DecodeCommand, ChecksumTestAndLineEnds) {
    std::string good = sentences(ais::EncodePayload(position()));
    std::string bad = good;
    bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
    std::string lfOnly = good.substr(0, good.size() - 2) + "\n";
    const std::string input = bad + lfOnly + "$GPGGA,123519,4807.038,N*47\r\n" + good;
    EXPECT_EQ(runDecode(input).lines.size(), 2u);
    EXPECT_EQ(runDecode(input, "--no-checksum").lines.size(), 3u);
    // A last line without a line end is still decoded.
    EXPECT_EQ(runDecode(good.substr(0, good.size() - 2)).lines.size(), 1u);
}

TEST(DecodeCommand, TypesWithoutDecoderAndTimeOnlyTypes) {
    const std::string input = sentences(ais::EncodeHeaderOnly(27, 0, 1, 96)) +
                              sentences(ais::EncodeHeaderOnly(7, 0, 1, 72)) +
                              sentences(ais::EncodeHeaderOnly(0, 0, 1, 168));
    const CliRun run = runDecode(input);
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_EQ(run.lines[0], "{}");
    const CliRun timed = runDecode(input, "--time");
    ASSERT_EQ(timed.lines.size(), 1u);
    EXPECT_EQ(timed.lines[0].rfind("{\"TimeReceived\":\"", 0), 0u) << timed.lines[0];
}

TEST(DecodeCommand, TextsAreEscaped) {
    ais::BroadcastSafetyMessage m;
    m.MessageID = 14;
    m.MMSI = 3;
    m.Text = "SAY \"HI\" \\ OK";
    const CliRun run = runDecode(sentences(ais::EncodePayload(m)));
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_EQ(run.lines[0], "{\"MessageID\":14,\"RepeatIndicator\":0,\"MMSI\":3,\"Text\":\"SAY \\\"HI\\\" \\\\ OK\"}");
}

TEST(DecodeCommand, BinaryStandardOption) {
    ais::BinaryMessage m;
    m.MessageID = 8;
    m.MMSI = 2570001;
    m.DAC = 1;
    m.FI = 11;
    const auto p = ais::EncodeBinaryMessage(m, 0);
    ASSERT_TRUE(p.has_value());
    const std::string input = sentences({p->Payload, p->FillBits});
    const CliRun imo = runDecode(input);
    ASSERT_EQ(imo.lines.size(), 1u);
    EXPECT_NE(imo.lines[0].find("\"Description\":\"FI 11 - Meteorological & Hydrological Data\",\"MetLatitude\""),
              std::string::npos);
    const CliRun iala = runDecode(input, "--standard iala");
    ASSERT_EQ(iala.lines.size(), 1u);
    EXPECT_NE(iala.lines[0].find("Message with FI (Function Identifier) 11 received."), std::string::npos);
    EXPECT_EQ(iala.lines[0].find("MetLatitude"), std::string::npos);
    EXPECT_EQ(runDecode(input, "--standard foo").status, 2);
}

TEST(DecodeCommand, GarbageAndOverlongLinesAreSurvived) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    garbage += "\n!AIVDM,1,1,,A,\xff\x01\"\\,0\n";      // payload outside the alphabet
    garbage += std::string(200000, 'x');                  // far past the line bound
    garbage += "\n" + sentences(ais::EncodePayload(position()));
    const CliRun run = runDecode(garbage, "--no-checksum");
    ASSERT_EQ(run.status, 0);
    ASSERT_GE(run.lines.size(), 1u);
    EXPECT_EQ(run.lines.back().rfind("{\"MessageID\":1,", 0), 0u);
    for (const auto& line : run.lines) {
        for (unsigned char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << line;  // escaped, printable
    }
    EXPECT_NE(run.err.find("1 overlong"), std::string::npos) << run.err;
}

// Singles are written with up to seven significant digits, as %.7g would.
TEST(DecodeCommand, SinglesHaveSevenSignificantDigits) {
    std::string input;
    std::vector<std::string> want;
    for (int raw = -127; raw <= 127; ++raw) {
        ais::PositionReport p = position();
        const double r = raw / 4.733;
        p.ROT = static_cast<float>(raw < 0 ? -(r * r) : r * r);
        p.SOG = static_cast<float>((raw + 127) * 4 / 10.0);
        input += sentences(ais::EncodePayload(p));
        char text[64];
        std::snprintf(text, sizeof text, "\"ROT\":%.7g,\"SOG\":%.7g,", p.ROT, p.SOG);
        want.push_back(text);
    }
    const CliRun run = runDecode(input);
    ASSERT_EQ(run.lines.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NE(run.lines[i].find(want[i]), std::string::npos) << run.lines[i];
}

// The benchmark mix decodes completely: no checksum errors, no leftovers.
TEST(DecodeCommand, DecodesTheBenchmarkMix) {
    FILE* pipe = popen((std::string(ORVANTA_CLI_PATH) + " mix 2000").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string mix;
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) mix.append(buf, n);
    pclose(pipe);
    size_t lines = 0, firstFragments = 0;
    for (size_t at = 0; (at = mix.find('\n', at)) != std::string::npos; ++at) ++lines;
    for (size_t at = 0; (at = mix.find("!AIVDM,2,1,", at)) != std::string::npos; ++at) ++firstFragments;
    ASSERT_GE(lines, 2000u);
    const CliRun run = runDecode(mix);
    EXPECT_EQ(run.lines.size() + firstFragments, lines);
    EXPECT_NE(run.err.find(" 0 checksum errors, 0 malformed"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("0 incomplete messages"), std::string::npos) << run.err;
}

TEST(DecodeCommand, Help) {
    const CliRun run = runDecode("", "--help");
    EXPECT_EQ(run.status, 0);
    std::string all;
    for (const auto& l : run.lines) all += l + "\n";
    for (const char* option : {"--standard", "--no-checksum", "--time", "-9999"})
        EXPECT_NE(all.find(option), std::string::npos) << option;
}

}  // namespace
