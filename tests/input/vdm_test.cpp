#include <gtest/gtest.h>

#include "input/vdm.h"

namespace input {
namespace {

TEST(ReadFieldValue, Table) {
    struct Row {
        const char* field;
        int16_t value;
        bool ok;
    } rows[] = {
        {"", -9999, true},   {"1", 1, true},       {"12abc", 12, true}, {"abc", 0, true},
        {"2.5", 2, true},    {"3.5", 4, true},     {"-2.5", -2, true},  {"0.51", 1, true},
        {" 7", 7, true},     {"32767", 32767, true}, {"32768", 0, false}, {"-32769", 0, false},
        {"99999999999999", 0, false},
    };
    for (const auto& r : rows) {
        bool ok = true;
        EXPECT_EQ(ReadFieldValue(r.field, ok), r.value) << r.field;
        EXPECT_EQ(ok, r.ok) << r.field;
    }
}

TEST(ExtractVDM, RegularSentence) {
    VDMFields f;
    ASSERT_EQ(ExtractVDM("!AIVDM,2,1,3,B,55P5TL01VIaAL@7WKO,0*3E\r\n", f), ExtractResult::Ok);
    EXPECT_EQ(f.FragmentCount, 2);
    EXPECT_EQ(f.FragmentNumber, 1);
    EXPECT_EQ(f.SequentialMessageID, 3);
    EXPECT_EQ(f.Channel, 'B');
    EXPECT_EQ(f.Payload, "55P5TL01VIaAL@7WKO");
    EXPECT_EQ(f.FillBits, 0);
}

TEST(ExtractVDM, EmptyFieldsAndMissingChecksum) {
    VDMFields f;
    ASSERT_EQ(ExtractVDM("!AIVDM,1,1,,,13aG,\r\n", f), ExtractResult::Ok);
    EXPECT_EQ(f.SequentialMessageID, -9999);
    EXPECT_EQ(f.Channel, ' ');
    EXPECT_EQ(f.FillBits, -9999);
    ASSERT_EQ(ExtractVDM("!AIVDM,1,1,,AB,13aG,2\r\n", f), ExtractResult::Ok);
    EXPECT_EQ(f.Channel, 'A');
    EXPECT_EQ(f.FillBits, 2);
}

TEST(ExtractVDM, BadLayoutsLeaveFieldsUntouched) {
    VDMFields f;
    ASSERT_EQ(ExtractVDM("!AIVDM,1,1,,A,KEEP,0*00\r\n", f), ExtractResult::Ok);
    std::string error;
    const struct {
        const char* sentence;
        ExtractResult result;
    } rows[] = {
        {"!AIVDM,1,1,,A,X,0,extra*00\r\n", ExtractResult::Malformed},
        {"!AIVDM,1,1,,A,X,0,,,,\r\n", ExtractResult::Malformed},
        {"!AIVDM,1,1,,A\r\n", ExtractResult::Malformed},
        {"!AIVDM\r\n", ExtractResult::Malformed},
        {"", ExtractResult::Malformed},
        {"!AIVDM,99999,1,,A,X,0*00\r\n", ExtractResult::ConversionError},
        {"!AIVDM,1,1,,A,X,70000*00\r\n", ExtractResult::ConversionError},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ExtractVDM(r.sentence, f, &error), r.result) << r.sentence;
        EXPECT_EQ(f.Payload, "KEEP") << r.sentence;
    }
    ExtractVDM("!AIVDM,99999,1,,A,X,0*00\r\n", f, &error);
    EXPECT_EQ(error, "Error 6 : Overflow  VDM-message : !AIVDM,99999,1,,A,X,0*00\r\n");
}

VDMFields frag(int count, int number, int seq, char channel, const std::string& payload, int fill = 0) {
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

TEST(VdmAssembler, TwoPartMessageJoinsWithTheLastFillBits) {
    VdmAssembler a;
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(2, 1, 3, 'A', "abc", 0), 0), S::Pending);
    EXPECT_EQ(a.pendingCount(), 1);
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 3, 'A', "def", 2), 0.1), S::Complete);
    EXPECT_EQ(a.payload(), "abcdef");
    EXPECT_EQ(a.fillBits(), 2);
    EXPECT_EQ(a.pendingCount(), 0);
}

TEST(VdmAssembler, SingleSentenceNeverMixesWithPendingFragments) {
    VdmAssembler a;
    a.add(SentenceKind::VDM, frag(2, 1, 3, 'A', "lost"), 0);
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(1, 1, -9999, 'A', "single"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "single");
    // Both fragment fields empty: decoded at once on its own.
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(-9999, -9999, -9999, ' ', "x"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "x");
}

TEST(VdmAssembler, SecondPartWithoutFirstIsDroppedNotDecoded) {
    VdmAssembler a;
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 3, 'A', "orphan"), 0), S::Dropped);
    EXPECT_EQ(a.incompleteMessages(), 1);
    EXPECT_EQ(a.incompleteFragments(), 1);
}

TEST(VdmAssembler, InterleavedMessagesAreKeptApart) {
    VdmAssembler a;
    a.add(SentenceKind::VDM, frag(2, 1, 3, 'A', "a1"), 0);
    a.add(SentenceKind::VDM, frag(2, 1, 4, 'A', "b1"), 0);
    a.add(SentenceKind::VDO, frag(2, 1, 3, 'A', "o1"), 0);
    a.add(SentenceKind::VDM, frag(2, 1, 3, 'B', "c1"), 0);
    ASSERT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 3, 'A', "a2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "a1a2");
    ASSERT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 4, 'A', "b2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "b1b2");
    ASSERT_EQ(a.add(SentenceKind::VDO, frag(2, 2, 3, 'A', "o2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "o1o2");
    ASSERT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 3, 'B', "c2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "c1c2");
    EXPECT_EQ(a.incompleteMessages(), 0);
}

TEST(VdmAssembler, LostMiddleFragmentDiscardsTheMessage) {
    VdmAssembler a;
    a.add(SentenceKind::VDM, frag(3, 1, 1, 'A', "p1"), 0);
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(3, 3, 1, 'A', "p3"), 0), S::Dropped);
    EXPECT_EQ(a.incompleteMessages(), 2);   // the pending part and the stray fragment
    EXPECT_EQ(a.incompleteFragments(), 2);
    EXPECT_EQ(a.pendingCount(), 0);
    // A different count under the same key does not continue the message either.
    a.add(SentenceKind::VDM, frag(2, 1, 1, 'A', "q1"), 0);
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(3, 2, 1, 'A', "q2"), 0), S::Dropped);
}

TEST(VdmAssembler, RepeatedFirstFragmentRestartsTheKey) {
    VdmAssembler a;
    a.add(SentenceKind::VDM, frag(2, 1, 5, 'A', "old"), 0);
    a.add(SentenceKind::VDM, frag(2, 1, 5, 'A', "new"), 0);
    ASSERT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 5, 'A', "2"), 0), S::Complete);
    EXPECT_EQ(a.payload(), "new2");
    EXPECT_EQ(a.incompleteMessages(), 1);
}

TEST(VdmAssembler, PendingPartsAreBoundedInKeysAndAge) {
    VdmAssembler a;
    for (int seq = 0; seq < 20; ++seq) a.add(SentenceKind::VDM, frag(2, 1, seq, 'A', "x"), seq * 0.01);
    EXPECT_EQ(a.pendingCount(), VdmAssembler::kMaxKeys);
    EXPECT_EQ(a.incompleteMessages(), 20 - VdmAssembler::kMaxKeys);
    // The newest keys survive.
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 19, 'A', "y"), 0.5), S::Complete);
    // Everything older than the age bound is given up.
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(2, 2, 18, 'A', "y"), 100.0), S::Dropped);
    EXPECT_EQ(a.pendingCount(), 0);
}

TEST(VdmAssembler, ImpossibleFragmentNumbersAreMalformed) {
    VdmAssembler a;
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(2, 3, 1, 'A', "x"), 0), S::Malformed);
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(2, 0, 1, 'A', "x"), 0), S::Malformed);
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(12, 1, 1, 'A', "x"), 0), S::Malformed);
    EXPECT_EQ(a.add(SentenceKind::VDM, frag(0, -9999, 1, 'A', "x"), 0), S::Malformed);
    EXPECT_EQ(a.pendingCount(), 0);
}

}  // namespace
}  // namespace input
