// Round trips: random messages of every decoded layout are decoded into field
// values, encoded back into NMEA sentences, reassembled and decoded again; the
// second decode must give the same record. Values are drawn over each field's
// whole raw range, so not-available codes, extremes and texts with fill
// characters all come up.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ais/bit_writer.h"
#include "ais/decoder.h"
#include "ais/encoder.h"
#include "sentence/checksum.h"
#include "sentence/sentence_builder.h"
#include "sentence/vdm.h"
#include "support/sample_sentences.h"

namespace ais {
namespace {

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 7, 1, 9, 30, 0);

// A message of `type` with random bits, `bits` long.
std::string RandomPayload(std::mt19937& rng, int type, int bits, int& fill) {
    BitWriter w;
    std::uniform_int_distribution<int> bit(0, 1);
    for (int i = 7; i <= bits; ++i) w.put(i, i, bit(rng));
    w.put(1, 6, type);
    if (type == 5) {
        // ETA within a calendar year: month 0-12, day 1-28, hour 0-23, minute 0-59.
        w.put(275, 278, std::uniform_int_distribution<int>(0, 12)(rng));
        w.put(279, 283, std::uniform_int_distribution<int>(1, 28)(rng));
        w.put(284, 288, std::uniform_int_distribution<int>(0, 23)(rng));
        w.put(289, 294, std::uniform_int_distribution<int>(0, 59)(rng));
    }
    return w.armoured(fill);
}

// Encoded payload -> sentences -> fields -> assembled payload.
EncodedPayload ThroughSentences(const EncodedPayload& e, input::SentenceBuilder& builder) {
    const auto sentences = builder.build(e.payload, e.fillBits, 'B');
    input::VdmAssembler assembler;
    EncodedPayload out;
    for (size_t i = 0; i < sentences.size(); ++i) {
        const std::string& s = sentences[i];
        EXPECT_LE(s.size(), 82u) << s;
        EXPECT_TRUE(input::ChecksumValid(s)) << s;
        input::VDMFields f;
        EXPECT_EQ(input::ExtractVDM(s, f), input::ExtractResult::Ok) << s;
        const auto status = assembler.add(input::SentenceKind::VDM, f, 0.0);
        EXPECT_EQ(status, i + 1 == sentences.size() ? input::VdmAssembler::Status::Complete
                                                    : input::VdmAssembler::Status::Pending);
        if (status == input::VdmAssembler::Status::Complete) {
            out.payload.assign(assembler.payload());
            out.fillBits = assembler.fillBits();
        }
    }
    return out;
}

struct LayoutCase {
    int type;
    int minBits, maxBits;
};

class RoundTrip : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(RoundTrip, RandomMessagesSurviveEncodeAndDecode) {
    const LayoutCase c = GetParam();
    std::mt19937 rng(1000u + static_cast<unsigned>(c.type));
    input::SentenceBuilder builder;
    for (int n = 0; n < 300; ++n) {
        const int bits = std::uniform_int_distribution<int>(c.minBits, c.maxBits)(rng);
        int fill = 0;
        const std::string original = RandomPayload(rng, c.type, bits, fill);
        AISMessageRecord first;
        ASSERT_EQ(DecodeAISMessage(original, first, fill, 0, kNow), c.type);
        EncodedPayload e;
        ASSERT_TRUE(testing_support::Reencode(first, c.type, e));
        // What the encoder writes fits the data link.
        EXPECT_LE(6 * static_cast<int>(e.payload.size()) - e.fillBits, MaxMessageBits(c.type)) << e.payload;
        const EncodedPayload received = ThroughSentences(e, builder);
        EXPECT_EQ(received.payload, e.payload);
        AISMessageRecord second;
        ASSERT_EQ(DecodeAISMessage(received.payload, second, received.fillBits, 0, kNow), c.type);
        ASSERT_EQ(second, first) << original << " -> " << received.payload;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, RoundTrip,
                         ::testing::Values(LayoutCase{1, 168, 168}, LayoutCase{2, 168, 168},
                                           LayoutCase{3, 168, 168}, LayoutCase{4, 168, 168},
                                           LayoutCase{5, 424, 424}, LayoutCase{9, 168, 168},
                                           LayoutCase{10, 72, 72}, LayoutCase{12, 72, 1008},
                                           LayoutCase{14, 40, 1008}, LayoutCase{18, 168, 168},
                                           LayoutCase{19, 312, 312}, LayoutCase{20, 72, 160},
                                           LayoutCase{21, 272, 360}, LayoutCase{24, 160, 168},
                                           LayoutCase{7, 72, 168}, LayoutCase{11, 168, 168}, LayoutCase{13, 72, 168},
                                           LayoutCase{15, 88, 160}, LayoutCase{16, 96, 144}, LayoutCase{17, 80, 816},
                                           LayoutCase{22, 168, 168}, LayoutCase{23, 160, 160},
                                           LayoutCase{25, 88, 168}, LayoutCase{26, 106, 1008}, LayoutCase{27, 96, 96}),
                         [](const auto& info) { return "Type" + std::to_string(info.param.type); });

TEST(Encoder, WritesNotAvailableCodesAndScaledValues) {
    // ROT, SOG, longitude, latitude, COG and heading as raw values.
    const auto raw = [](const PositionReport& p) {
        const PayloadBits b(EncodePayload(p).payload);
        return std::vector<int64_t>{b.value(43, 50, true), b.value(51, 60),   b.value(62, 89, true),
                                    b.value(90, 116, true), b.value(117, 128), b.value(129, 137)};
    };
    PositionReport p;
    p.MessageID = 1, p.MMSI = 257000001;
    p.ROT = p.SOG = p.COG = -9999, p.Longitude = p.Latitude = -9999, p.TrueHeading = -9999;
    EXPECT_EQ(EncodePayload(p).payload.size(), 28u);
    EXPECT_EQ(raw(p), (std::vector<int64_t>{-128, 1023, 108600000, 54600000, 3600, 511}));
    p.ROT = 720.0f, p.SOG = 12.34f, p.Longitude = -122.4194, p.Latitude = 37.7749, p.COG = 0, p.TrueHeading = 0;
    EXPECT_EQ(raw(p), (std::vector<int64_t>{127, 123, -73451640, 22664940, 0, 0}));

    StaticVoyageData v;
    v.MessageID = 5;
    const PayloadBits b5(EncodePayload(v).payload);  // no ETA: month 0, day 0, hour 24, minute 60
    EXPECT_EQ(b5.value(275, 294), (0 << 16) | (0 << 11) | (24 << 6) | 60);
}

}  // namespace
}  // namespace ais
