#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "ais/payload_bits.h"

namespace ais {
namespace {

// Builds a payload from a bit string ("0101...") padded to whole characters.
std::string armour(std::string bits) {
    while (bits.size() % 6) bits.push_back('0');
    std::string out;
    for (size_t i = 0; i < bits.size(); i += 6) {
        int v = std::stoi(bits.substr(i, 6), nullptr, 2);
        out.push_back(static_cast<char>(v < 40 ? v + 48 : v + 56));
    }
    return out;
}

TEST(PayloadBits, DeArmouringOfTheAlphabetAndBeyond) {
    for (int v = 0; v < 64; ++v) {
        const char c = static_cast<char>(v < 40 ? v + 48 : v + 56);
        EXPECT_EQ(CharToSixBit(static_cast<unsigned char>(c)), v);
    }
    // Outside the alphabet the arithmetic still gives a value; sums above 255 set every bit.
    EXPECT_EQ(CharToSixBit(' '), (32 + 80) & 63);
    EXPECT_EQ(CharToSixBit(255), 63);
}

struct ValueRow {
    const char* bits;
    int first, last;
    bool isSigned, allOnes;
    int64_t expected;
};

TEST(PayloadBits, ValueReads) {
    const ValueRow rows[] = {
        {"10000", 1, 5, true, false, -16},
        {"01111", 1, 5, true, false, 15},
        {"10000000", 1, 8, true, false, -128},
        {"11111111", 1, 8, true, false, -1},
        {"11111111", 1, 8, false, true, -9999},
        {"11111110", 1, 8, false, true, 254},
        {"0000001", 7, 7, false, false, 1},                     // crossing into the second character
        {"000111111111111111111111111111111111", 4, 33, false, false, (1 << 30) - 1},
        {"1", 1, 30, false, false, 1 << 29},                    // bits past the end read zero
        {"111", 1, 28, true, false, -(int64_t{1} << 25)},
        {"1", 1008, 1010, false, false, 0},                     // past bit 1008
        {"1", 0, 1, false, false, 1},                           // bit 0 does not exist: zero
    };
    for (const auto& r : rows) {
        PayloadBits b(armour(r.bits));
        EXPECT_EQ(b.value(r.first, r.last, r.isSigned, r.allOnes), r.expected)
            << r.bits << " " << r.first << "-" << r.last;
    }
}

TEST(PayloadBits, RandomReadsAgreeWithBitByBitReading) {
    std::mt19937 rng(7);
    std::string payload;
    for (int i = 0; i < 168; ++i) payload.push_back(static_cast<char>(rng() % 256));
    PayloadBits b(payload);
    for (int n = 0; n < 20000; ++n) {
        const int first = static_cast<int>(rng() % 1010) + 1;
        const int width = static_cast<int>(rng() % 32) + 1;
        const int last = first + width - 1;
        int64_t slow = 0;
        for (int i = first; i <= last; ++i) slow = slow * 2 + (b.bit(i) ? 1 : 0);
        ASSERT_EQ(b.value(first, last), slow) << first << "-" << last;
    }
}

// Every bit of payloads of every length, loaded one after the other into one
// buffer (a longer payload before a shorter one), is its character's bit:
// the loader's whole groups, the rest and the bits past the end (zero).
TEST(PayloadBits, EveryLengthLoadsEveryCharactersBits) {
    std::mt19937 rng(11);
    PayloadBits b;
    for (const int length : {168, 0, 1, 3, 4, 5, 7, 8, 9, 12, 15, 16, 17, 23, 24, 28, 31, 32, 33, 47, 56, 167, 168, 10}) {
        std::string payload;
        for (int i = 0; i < length; ++i) payload.push_back(static_cast<char>(rng() % 256));
        b.load(payload);
        ASSERT_EQ(b.charCount(), length);
        for (int bit = 1; bit <= kMaxPayloadBits; ++bit) {
            const int c = (bit - 1) / 6;
            const bool want = c < length && (CharToSixBit(static_cast<unsigned char>(payload[static_cast<size_t>(c)])) >>
                                             (5 - (bit - 1) % 6)) & 1;
            ASSERT_EQ(b.bit(bit), want) << "length " << length << ", bit " << bit;
        }
    }
}

TEST(PayloadBits, SixBitText) {
    const std::string alphabet = " ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_ !\"#$%&'()*+,-./0123456789:;<=>?";
    for (unsigned v = 0; v < 64; ++v) EXPECT_EQ(SixBitToChar(v), alphabet[v]) << v;
    // Groups at 71, 77, ..., 107: exactly seven characters, even past the end.
    EXPECT_EQ(PayloadBits("").text(71, 112), "       ");
    EXPECT_EQ(PayloadBits("1").text(1, 6), "A");
    EXPECT_EQ(PayloadBits("1").text(1, 2), "A");     // a partial last group reads whole
    EXPECT_EQ(PayloadBits("1").text(7, 1), "");
}

TEST(PayloadBits, TextEndHonoursFillBitsAndTheBufferEnd) {
    PayloadBits b(std::string(10, '0'));  // 60 bits
    EXPECT_EQ(b.textEnd(41, 0), 58);   // groups 41-46, 47-52, 53-58
    EXPECT_EQ(b.textEnd(41, 2), 58);
    EXPECT_EQ(b.textEnd(41, 3), 52);
    EXPECT_EQ(b.textEnd(41, 99), 40);  // nothing left: empty text
    PayloadBits full(std::string(168, '0'));
    EXPECT_EQ(full.textEnd(1, std::numeric_limits<int>::min()), 1008);
    EXPECT_EQ(full.textEnd(1, std::numeric_limits<int>::max()), 0);
}

}  // namespace
}  // namespace ais
