#include <gtest/gtest.h>

#include "sentence/checksum.h"
#include "sentence/sentence_builder.h"
#include "sentence/vdm.h"

namespace input {
namespace {

TEST(ReadFieldValue, Table) {
    struct Row {
        const char* field;
        int16_t value;
        bool ok;
    } rows[] = {
        {"", -9999, true}, {"12abc", 12, true},     {"abc", 0, true},     {"2.5", 2, true},
        {"3.5", 4, true},  {"-2.5", -2, true},      {"32767", 32767, true}, {"32768", 0, false},
    };
    for (const auto& r : rows) {
        bool ok = true;
        EXPECT_EQ(ReadFieldValue(r.field, ok), r.value) << r.field;
        EXPECT_EQ(ok, r.ok) << r.field;
    }
}

TEST(ExtractVDM, FieldsAndEmptyFields) {
    struct Row {
        const char* sentence;
        int16_t count, number, id;
        char channel;
        const char* payload;
        int16_t fill;
    } rows[] = {
        {"!AIVDM,2,1,3,B,55P5TL01VIaAL@7WKO,0*3E\r\n", 2, 1, 3, 'B', "55P5TL01VIaAL@7WKO", 0},
        {"!AIVDM,1,1,,,13aG,\r\n", 1, 1, -9999, ' ', "13aG", -9999},
        {"!AIVDM,,,,AB,13aG,2\r\n", -9999, -9999, -9999, 'A', "13aG", 2},
        // Fewer than six commas: the rest is the next field, cut at the checksum.
        {"!AIVDM,1,1,,A,13aG*5C\r\n", 1, 1, -9999, 'A', "13aG", -9999},
        {"!AIVDM,1,1,,A\r\n", 1, 1, -9999, 'A', "", -9999},
    };
    for (const auto& r : rows) {
        VDMFields f;
        ASSERT_EQ(ExtractVDM(r.sentence, f), ExtractResult::Ok) << r.sentence;
        EXPECT_EQ(std::tie(f.FragmentCount, f.FragmentNumber, f.SequentialMessageID, f.Channel, f.Payload, f.FillBits),
                  std::tuple(r.count, r.number, r.id, r.channel, r.payload, r.fill))
            << r.sentence;
    }
}

// The fields are found eight bytes at a time: a comma at each place in a
// word and in the last, partial word must count, and a seventh one anywhere
// (also in the line end's word, or after the checksum) makes too many fields.
TEST(ExtractVDM, CommasAtEveryPlaceOfAWord) {
    for (size_t n = 0; n <= 24; ++n) {
        const std::string payload = std::string("13aG?P0P00PD;88MD5MTDww@").substr(0, n);
        const std::string sentence = "!AIVDM,1,1,,A," + payload + ",2";
        for (const char* end : {"*00\r\n", "\n", ""}) {
            const std::string line = sentence + end;  // the fields are views of it
            VDMFields f;
            ASSERT_EQ(ExtractVDM(line, f), ExtractResult::Ok) << line;
            EXPECT_EQ(std::tuple(f.Channel, f.Payload, f.FillBits), std::tuple('A', payload, int16_t{2})) << line;
            EXPECT_EQ(ExtractVDM(line + ",", f), ExtractResult::Malformed) << line;
        }
    }
}

TEST(ExtractVDM, BadLayoutsLeaveFieldsUntouched) {
    VDMFields f;
    ASSERT_EQ(ExtractVDM("!AIVDM,1,1,,A,KEEP,0*00\r\n", f), ExtractResult::Ok);
    const struct {
        const char* sentence;
        ExtractResult result;
    } rows[] = {
        {"!AIVDM,1,1,,A,X,0,extra*00\r\n", ExtractResult::Malformed},
        {"!AIVDM,1,1,,A,X,0,,,,\r\n", ExtractResult::Malformed},
        {"!AIVDM,1,1,,A,X,70000*00\r\n", ExtractResult::ConversionError},
        {"!AIVDM,99999,1,,A,X,0*00\r\n", ExtractResult::ConversionError},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ExtractVDM(r.sentence, f), r.result) << r.sentence;
        EXPECT_EQ(f.Payload, "KEEP") << r.sentence;
    }
}

VDMFields frag(int count, int number, int seq, std::string_view payload, char channel = 'A', int fill = 0) {
    VDMFields f;
    f.FragmentCount = static_cast<int16_t>(count);
    f.FragmentNumber = static_cast<int16_t>(number);
    f.SequentialMessageID = static_cast<int16_t>(seq);
    f.Channel = channel;
    f.Payload = payload;
    f.FillBits = static_cast<int16_t>(fill);
    return f;
}

using S = VdmAssembler::Status;
constexpr SentenceKind VDM = SentenceKind::VDM;

void singles(VdmAssembler& a, int n) {
    for (int i = 0; i < n; ++i) ASSERT_EQ(a.add(VDM, frag(1, 1, -9999, "single"), 0), S::Complete);
}

TEST(VdmAssembler, TwoPartMessageJoinsWithTheLastFillBits) {
    VdmAssembler a;
    EXPECT_EQ(a.add(VDM, frag(2, 1, 3, "abc", 'A', 0), 0), S::Pending);
    EXPECT_EQ(a.pendingCount(), 1);
    EXPECT_EQ(a.add(VDM, frag(2, 2, 3, "def", 'A', 2), 0.1), S::Complete);
    EXPECT_EQ(std::tuple(a.payload(), a.fillBits(), a.pendingCount()), std::tuple("abcdef", 2, 0));
    // A single sentence never mixes with pending fragments, nor does one without fragment fields.
    a.add(VDM, frag(2, 1, 3, "lost"), 0);
    EXPECT_EQ(a.add(VDM, frag(1, 1, -9999, "single"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "single");
    EXPECT_EQ(a.add(VDM, frag(-9999, -9999, -9999, "x", ' '), 0), S::Complete);
    EXPECT_EQ(a.payload(), "x");
}

TEST(VdmAssembler, InterleavedMessagesAreKeptApart) {
    VdmAssembler a;
    a.add(VDM, frag(2, 1, 3, "a1"), 0);
    a.add(VDM, frag(2, 1, 4, "b1"), 0);
    a.add(SentenceKind::VDO, frag(2, 1, 3, "o1"), 0);
    a.add(VDM, frag(2, 1, 3, "c1", 'B'), 0);
    ASSERT_EQ(a.add(VDM, frag(2, 2, 3, "a2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "a1a2");
    ASSERT_EQ(a.add(VDM, frag(2, 2, 4, "b2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "b1b2");
    ASSERT_EQ(a.add(SentenceKind::VDO, frag(2, 2, 3, "o2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "o1o2");
    ASSERT_EQ(a.add(VDM, frag(2, 2, 3, "c2", 'B'), 0), S::Complete);
    EXPECT_EQ(a.payload(), "c1c2");
    EXPECT_EQ(a.incompleteMessages(), 0);
}

TEST(VdmAssembler, FragmentsThatDoNotContinueAMessageAreDroppedAndCounted) {
    VdmAssembler a;
    auto lost = [&] { return std::tuple(a.incompleteMessages(), a.incompleteFragments(), a.pendingCount()); };
    EXPECT_EQ(a.add(VDM, frag(2, 2, 3, "orphan"), 0), S::Dropped);
    EXPECT_EQ(lost(), std::tuple(1, 1, 0));
    // A lost middle fragment: the pending part and the stray fragment.
    a.add(VDM, frag(3, 1, 1, "p1"), 0);
    EXPECT_EQ(a.add(VDM, frag(3, 3, 1, "p3"), 0), S::Dropped);
    EXPECT_EQ(lost(), std::tuple(3, 3, 0));
    // A different count under the same key does not continue the message either.
    a.add(VDM, frag(2, 1, 1, "q1"), 0);
    EXPECT_EQ(a.add(VDM, frag(3, 2, 1, "q2"), 0), S::Dropped);
    // A repeated first fragment restarts the key; the two fragments of the old message count.
    a.add(VDM, frag(3, 1, 5, "o1"), 0);
    a.add(VDM, frag(3, 2, 5, "o2"), 0);
    a.add(VDM, frag(2, 1, 5, "new"), 0);
    ASSERT_EQ(a.add(VDM, frag(2, 2, 5, "2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "new2");
    EXPECT_EQ(lost(), std::tuple(6, 7, 0));
}

TEST(VdmAssembler, PendingPartsAreBoundedInKeysAndAge) {
    VdmAssembler a;
    for (int seq = 0; seq < 10; ++seq) a.add(VDM, frag(2, 1, seq, "x"), seq * 0.01);
    EXPECT_EQ(a.pendingCount(), VdmAssembler::kMaxKeys);
    EXPECT_EQ(a.incompleteMessages(), 10 - VdmAssembler::kMaxKeys);
    // The newest keys survive, the oldest were given up.
    EXPECT_EQ(a.add(VDM, frag(2, 2, 9, "y"), 0.5), S::Complete);
    EXPECT_EQ(a.add(VDM, frag(2, 2, 0, "y"), 0.5), S::Dropped);
    // Everything older than the age bound is given up.
    EXPECT_EQ(a.add(VDM, frag(2, 2, 8, "y"), 100.0), S::Dropped);
    EXPECT_EQ(a.pendingCount(), 0);
}

// The first fragment of a message whose second was lost must not join the
// second fragment of a later message that reuses the identifier and lost its
// own first: that would decode one message made of two. Fragments interleaved
// with other traffic still join within the bound, counted from the latest.
TEST(VdmAssembler, FragmentsJoinOnlyWithinTheDistanceBound) {
    VdmAssembler a;
    ASSERT_EQ(a.add(VDM, frag(2, 1, 3, "first-of-X"), 0), S::Pending);
    singles(a, VdmAssembler::kMaxSentencesBetween + 1);
    EXPECT_EQ(a.add(VDM, frag(2, 2, 3, "second-of-Z"), 0), S::Dropped);
    EXPECT_EQ(std::tuple(a.incompleteMessages(), a.incompleteFragments(), a.pendingCount()), std::tuple(2, 2, 0));

    ASSERT_EQ(a.add(VDM, frag(3, 1, 4, "aa"), 0), S::Pending);
    ASSERT_EQ(a.add(VDM, frag(2, 1, 5, "xx"), 0), S::Pending);
    singles(a, VdmAssembler::kMaxSentencesBetween - 1);
    ASSERT_EQ(a.add(VDM, frag(3, 2, 4, "bb"), 0), S::Pending);
    ASSERT_EQ(a.add(VDM, frag(2, 2, 5, "yy"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "xxyy");
    singles(a, VdmAssembler::kMaxSentencesBetween - 1);
    ASSERT_EQ(a.add(VDM, frag(3, 3, 4, "cc"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "aabbcc");
    EXPECT_EQ(a.incompleteMessages(), 2);
}

const std::string kSentence = "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0";

TEST(NMEAChecksum, OverTheTextBetweenFirstCharacterAndStar) {
    const struct {
        std::string text;
        const char* sum;
    } rows[] = {
        {kSentence + "*5C\r\n", "5C"}, {"$A", "41"},    {"$\x0f", "0F"},  // one hex digit gets a leading zero
        {"$A*", "41"},                 {"", "XX"},      {"!", "XX"},      {"!*XX\r\n", "XX"}, {"*AB", "XX"},
    };
    for (const auto& r : rows) EXPECT_EQ(NMEAChecksum(r.text), r.sum) << r.text;
    // Without a star the line end is part of the checked text.
    EXPECT_NE(NMEAChecksum("$A\r\n"), NMEAChecksum("$A"));
}

TEST(ChecksumValid, Table) {
    const struct {
        std::string sentence;
        bool valid;
        const char* why;
    } rows[] = {
        {kSentence + "*5C\r\n", true, "CR LF"},
        {kSentence + "*5C\n", true, "LF only"},
        {kSentence + "*5C", true, "no line end"},
        {kSentence + "*5c\r\n", false, "lower-case hex"},
        {kSentence + "*5D\r\n", false, "wrong"},
        {kSentence + "\r\n", false, "no checksum"},
        {kSentence + "*5C\r", false, "bare CR stays"},
        {"!*XX\r\n", true, "empty checked part and XX, six characters"},
        {"!*XX\n", false, "five characters"},
        {"", false, "empty"},
        {"\n\n\n\n\n\n", false, "line feeds"},
    };
    for (const auto& r : rows) EXPECT_EQ(ChecksumValid(r.sentence), r.valid) << r.why;
    std::string every = "!";
    for (int c = 0; c < 256; ++c) every.push_back(static_cast<char>(c));
    EXPECT_TRUE(ChecksumValid(every + "*" + NMEAChecksum(every + "*") + "\r\n"));
}

// The one-pass reading of the usual form must say what ExtractVDM and
// ChecksumValid say: payloads of every length (the payload's end is found
// sixteen bytes a step, the checksum taken eight bytes a step with a last
// partial word), every line end, right and wrong checksums. Forms it does not
// read must be left to the general way.
TEST(ReadPlainVDM, AgreesWithTheGeneralWay) {
    const std::string payloads = "177KQJ5000G?tO`K>RA1wUbN0TKH55P5TL01VIaAL@7WKO";
    int plain = 0;
    for (size_t n = 0; n <= payloads.size(); ++n) {
        for (const char* head : {"!AIVDM,1,1,,B,", "!AIVDO,2,1,7,A,", "!AIVDM,,,,,"}) {
            const std::string body = head + payloads.substr(0, n) + ",2";
            const std::string sum = NMEAChecksum(body + "*");
            for (const std::string& checksum : {sum, std::string(sum[0] == '0' ? "1" : "0") + sum[1]}) {
                for (const char* end : {"", "\n", "\r\n"}) {
                    const std::string line = body + "*" + checksum + end;
                    VDMFields quick, general;
                    bool valid = false;
                    ASSERT_TRUE(ReadPlainVDM(line, quick, valid)) << line;
                    ASSERT_EQ(ExtractVDM(line, general), ExtractResult::Ok) << line;
                    EXPECT_EQ(valid, ChecksumValid(line)) << line;
                    EXPECT_EQ(std::tie(quick.FragmentCount, quick.FragmentNumber, quick.SequentialMessageID,
                                       quick.Channel, quick.Payload, quick.FillBits),
                              std::tie(general.FragmentCount, general.FragmentNumber, general.SequentialMessageID,
                                       general.Channel, general.Payload, general.FillBits))
                        << line;
                    ++plain;
                }
            }
        }
    }
    EXPECT_GT(plain, 0);
    // Forms where the general way reads other fields or another checksum.
    for (const std::string& line : {kSentence + "*5C\r", kSentence + "*5C\r\n,", kSentence + "*5C \r\n",
                                    kSentence + "\r\n", kSentence + "*5\r\n", kSentence + "*5G\r\n",
                                    std::string("!AIVDM,10,1,,B,13aG,0*00"), std::string("!AIVDM,1,1,,*,13aG,0*00"),
                                    std::string("!AIVDM,1,1,,AB,13aG,0*00"), std::string("!AIVDM,1,1,,A,13*G,0*00"),
                                    std::string("!AIVDM,1,1, ,A,13aG,0*00"), std::string("!AIVDM,1,1,,A,13aG,12*00"),
                                    std::string("!AIVDM,1,1,,A,13aG*00"), std::string("!AIVDMX1,1,,A,13aG,0*00")}) {
        VDMFields f;
        bool valid = false;
        EXPECT_FALSE(ReadPlainVDM(line, f, valid)) << line;
    }
}

}  // namespace
}  // namespace input
