// Runs orvanta-cli decode on NMEA text made with the encoder and checks the
// JSON lines it prints and the counts it reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ais/binary_encoder.h"
#include "ais/encoder.h"
#include "cli_run.h"
#include "sentence/sentence_builder.h"

namespace {

clitest::Run Decode(const std::string& input, const std::string& args = "") {
    return clitest::Cli("decode " + args, &input);
}

std::string sentences(const ais::EncodedPayload& e, char channel = 'A') {
    static input::SentenceBuilder builder;
    std::string text;
    for (const auto& s : builder.build(e.payload, e.fillBits, channel)) text += s;
    return text;
}

ais::PositionReport position(float rot = -9999, float sog = 12.3f) {
    ais::PositionReport p;
    p.MessageID = 1;
    p.MMSI = 257000001;
    p.NavStatus = 5;
    p.ROT = rot;
    p.SOG = sog;
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
    ais::BroadcastSafetyMessage text;
    text.MessageID = 14;
    text.MMSI = 3;
    text.Text = "SAY \"HI\" \\ OK";
    const clitest::Run r = Decode(sentences(ais::EncodePayload(position())) + sentences(ais::EncodePayload(text)));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.lines(), (std::vector<std::string>{
                             "{\"MessageID\":1,\"RepeatIndicator\":0,\"MMSI\":257000001,\"NavStatus\":5,\"NavStatusText\":"
                             "\"Moored\",\"ROT\":-9999,\"SOG\":12.3,\"PosAccuracy\":0,\"PosAccuracyText\":\"Low "
                             "accuracy, >10 m\",\"Longitude\":10.5,\"Latitude\":-9999,\"COG\":359.9,\"TrueHeading\":-9999,"
                             "\"TimeStamp\":60,\"ManoeuvreIndicator\":0,\"Spare\":0,\"RAIM\":0,\"SyncState\":0,"
                             "\"SlotTimeout\":1,\"SubMessage\":2188,\"CommUTCHour\":4,\"CommUTCMinute\":35}",
                             "{\"MessageID\":14,\"RepeatIndicator\":0,\"MMSI\":3,\"Text\":\"SAY \\\"HI\\\" \\\\ OK\"}"}));
}

// Each row: input and options, then a text each printed line must contain.
TEST(DecodeCommand, SentenceChainAndOptions) {
    ais::StaticVoyageData a;
    a.MessageID = 5;
    a.MMSI = 111;
    a.Name = "FIRST";
    ais::StaticVoyageData b = a;
    b.MMSI = 222;
    input::SentenceBuilder builder;
    const auto sa = builder.build(ais::EncodePayload(a).payload, 2, 'A');
    const auto sb = builder.build(ais::EncodePayload(b).payload, 2, 'B');
    const std::string good = sentences(ais::EncodePayload(position()));
    std::string bad = good;
    bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
    const std::string headerOnly = sentences(ais::EncodeHeaderOnly(28, 0, 1, 96)) +  // no decoder
                                   sentences(ais::EncodeHeaderOnly(7, 0, 1, 72)) +
                                   sentences(ais::EncodeHeaderOnly(0, 0, 1, 168));   // no decoder
    ais::BinaryMessage met;
    met.MessageID = 8;
    met.DAC = 1;
    met.FI = 11;
    const auto m = ais::EncodeBinaryMessage(met, 0);
    ASSERT_TRUE(m.has_value());
    const std::string binary = sentences({m->Payload, m->FillBits});
    const struct {
        std::string input, args;
        std::vector<std::string> contains;
    } rows[] = {
        // Fragments interleaved by key, then a lone second fragment: input order kept, names untrimmed.
        {sa[0] + sb[0] + sa[1] + sb[1] + sa[1] + good, "",
         {"\"MMSI\":111,\"AISVersion\"", "\"Name\":\"FIRST               \"", "\"MessageID\":1,"}},
        {bad + good.substr(0, good.size() - 2) + "\n$GPGGA,123519,4807.038,N*47\r\n" + good, "",
         {"\"MessageID\":1,", "\"MessageID\":1,"}},
        {good.substr(0, good.size() - 2), "", {"\"MessageID\":1,"}},  // last line without a line end
        {headerOnly, "", {"{\"MessageID\":7,\"RepeatIndicator\":0,\"MMSI\":1,\"DestinationMMSI1\":0,"}},
        {headerOnly, "--time", {"\"SequenceNumber4\":0,\"TimeReceived\":\""}},
        {"", "--json-schema", {"{\"1\":[\"MessageID\","}},
        {binary, "", {"\"Description\":\"FI 11 - Meteorological & Hydrological Data\",\"MetLatitude\""}},
        {binary, "--standard iala", {"\"FI\":11,\"Description\":\"Message with FI (Function Identifier) 11 received."}},
    };
    for (const auto& row : rows) {
        const clitest::Run r = Decode(row.input, row.args);
        const auto lines = r.lines();
        EXPECT_EQ(r.status, 0) << row.args;
        ASSERT_EQ(lines.size(), row.contains.size()) << row.input << row.args;
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_NE(lines[i].find(row.contains[i]), std::string::npos) << lines[i];
    }
    EXPECT_EQ(clitest::Cli("decode --help").lines().at(0),
              "usage: orvanta-cli decode [FILE|-] [--standard imo236|iala] [--no-checksum] [--time]");
}

// Singles are written with up to seven significant digits, as %.7g would.
TEST(DecodeCommand, SinglesHaveSevenSignificantDigits) {
    std::string input;
    std::vector<std::string> want;
    for (int raw = -127; raw <= 127; ++raw) {
        const double r = raw / 4.733;
        const ais::PositionReport p =
            position(static_cast<float>(raw < 0 ? -(r * r) : r * r), static_cast<float>((raw + 127) * 4 / 10.0));
        input += sentences(ais::EncodePayload(p));
        char text[64];
        std::snprintf(text, sizeof text, "\"ROT\":%.7g,\"SOG\":%.7g,", p.ROT, p.SOG);
        want.push_back(text);
    }
    const auto lines = Decode(input).lines();
    ASSERT_EQ(lines.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NE(lines[i].find(want[i]), std::string::npos) << lines[i];
}

// Long lines follow the framer's bound as replay (and the program) do: a
// sentence of 64 KiB before its line feed is decoded, one byte more drops the
// line, also as the last line without a line feed. Each row:
// bytes before the line feed, line end, then printed messages and overlong
// lines; replay of the same text must count the same.
TEST(DecodeCommand, LongLinesFollowTheFramersBound) {
    const std::string head = "!AIVDM,1,1,,A,", tail = ",0*5C";
    const std::string payload = sentences(ais::EncodePayload(position())).substr(head.size());
    const std::string body = payload.substr(0, payload.find(','));
    const struct {
        size_t length;
        std::string end;
        int printed, overlong;
    } rows[] = {
        {65536, "\n", 1, 0},  {65537, "\n", 0, 1}, {65535, "\r\n", 1, 0}, {65537, "\r\n", 0, 1},
        {65536, "", 1, 0},     {65537, "", 0, 1},    {200000, "\n", 0, 1},
    };
    for (const auto& row : rows) {
        const size_t text = row.length - (row.end == "\r\n" ? 1 : 0);
        std::string line = head + body;
        line += std::string(text - line.size() - tail.size(), '0') + tail + row.end;
        const std::string other = sentences(ais::EncodePayload(position()));
        const std::string input = row.end.empty() ? other + line : line + other;
        const clitest::Run r = Decode(input, "--no-checksum");
        const std::string note = std::to_string(row.length) + (row.end.empty() ? " at the end" : "");
        EXPECT_EQ(r.lines().size(), static_cast<size_t>(row.printed + 1)) << note;
        EXPECT_NE(r.err.find(" " + std::to_string(row.overlong) + " overlong lines"), std::string::npos) << note << r.err;
        const clitest::Run replay = clitest::Cli("replay --format json", &input);
        EXPECT_NE(replay.out.find("\"OverflowCount\":" + std::to_string(row.overlong) + ","), std::string::npos) << note;
        EXPECT_NE(replay.out.find("\"DecodedMessageCount\":" + std::to_string(row.printed + 1) + ","), std::string::npos)
            << note;
    }
}

// Decoding runs on other threads in batches; the lines come out in input
// order across many batches and a short last one, and the counts add up.
TEST(DecodeCommand, ManyBatchesKeepInputOrder) {
    constexpr int kMessages = 20'001;
    static input::SentenceBuilder builder;
    std::string input;
    int printed = 0;
    for (int i = 1; i <= kMessages; ++i) {
        if (i % 1000 == 0) {  // type 28: no decoder, nothing printed
            for (const auto& s : builder.build("L0000000000", 0, 'A')) input += s;
            continue;
        }
        ais::PositionReport p = position();
        p.MMSI = i;
        input += sentences(ais::EncodePayload(p));
        ++printed;
    }
    const clitest::Run r = Decode(input);
    const std::vector<std::string> lines = r.lines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(printed));
    size_t line = 0;
    for (int i = 1; i <= kMessages; ++i) {
        if (i % 1000 == 0) continue;
        ASSERT_NE(lines[line++].find("\"MMSI\":" + std::to_string(i) + ","), std::string::npos) << i;
    }
    EXPECT_NE(r.err.find("20001 messages, " + std::to_string(printed) + " printed, 20 of types without a decoder"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.status, 0);
}

}  // namespace
