#include <gtest/gtest.h>

#include <string>

#include "input/vdm.h"

namespace input {
namespace {

using Status = VdmAssembler::Status;

VDMFields fragment(int count, int number, int id, const std::string& payload) {
    VDMFields f;
    f.FragmentCount = static_cast<int16_t>(count);
    f.FragmentNumber = static_cast<int16_t>(number);
    f.SequentialMessageID = static_cast<int16_t>(id);
    f.Channel = 'A';
    f.Payload = payload;
    return f;
}

void singles(VdmAssembler& a, int n) {
    for (int i = 0; i < n; ++i) ASSERT_EQ(a.add(SentenceKind::VDM, fragment(1, 1, -9999, "single"), 0), Status::Complete);
}

// The first fragment of a message whose second was lost must not join the
// second fragment of a later message that reuses the identifier and lost its
// own first: that would decode one message made of two.
TEST(FragmentDistance, FragmentsOfTwoMessagesSharingAnIdentifierNeverJoin) {
    VdmAssembler a;
    ASSERT_EQ(a.add(SentenceKind::VDM, fragment(2, 1, 3, "first-of-X"), 0), Status::Pending);
    singles(a, VdmAssembler::kMaxSentencesBetween + 1);
    EXPECT_EQ(a.add(SentenceKind::VDM, fragment(2, 2, 3, "second-of-Z"), 0), Status::Dropped);
    EXPECT_EQ(a.incompleteMessages(), 2);
    EXPECT_EQ(a.incompleteFragments(), 2);
    EXPECT_EQ(a.pendingCount(), 0);
}

// Fragments interleaved with other traffic still join within the bound,
// counted from the latest fragment, however long the message.
TEST(FragmentDistance, InterleavedFragmentsWithinTheBoundStillJoin) {
    VdmAssembler a;
    ASSERT_EQ(a.add(SentenceKind::VDM, fragment(3, 1, 4, "aa"), 0), Status::Pending);
    ASSERT_EQ(a.add(SentenceKind::VDM, fragment(2, 1, 5, "xx"), 0), Status::Pending);
    singles(a, VdmAssembler::kMaxSentencesBetween - 1);
    ASSERT_EQ(a.add(SentenceKind::VDM, fragment(3, 2, 4, "bb"), 0), Status::Pending);
    ASSERT_EQ(a.add(SentenceKind::VDM, fragment(2, 2, 5, "yy"), 0), Status::Complete);
    EXPECT_EQ(a.payload(), "xxyy");
    singles(a, VdmAssembler::kMaxSentencesBetween - 1);
    ASSERT_EQ(a.add(SentenceKind::VDM, fragment(3, 3, 4, "cc"), 0), Status::Complete);
    EXPECT_EQ(a.payload(), "aabbcc");
    EXPECT_EQ(a.incompleteMessages(), 0);
}

}  // namespace
}  // namespace input
