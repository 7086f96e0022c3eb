#include <gtest/gtest.h>

#include "app/receiver.h"
#include "base/clock.h"

namespace app {
namespace {

// A fragment given up while the next sentence is rejected as malformed is
// counted at once, not only when a later sentence happens to complete or
// continue a message: the counters add up after every sentence.
TEST(ReceiverOutcomes, FragmentsGivenUpBeforeAMalformedSentenceAreCountedAtOnce) {
    base::ManualClock clock;
    ReceiverEvents events;
    Receiver rx(clock, events);
    rx.receive(input::InputKind::Tcp, "!AIVDM,2,1,3,A,55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53,0*3E\r\n");
    EXPECT_EQ(rx.pendingFragments(), 1);
    clock.advance(input::VdmAssembler::kMaxAgeSeconds + 1);
    rx.receive(input::InputKind::Tcp, "!AIVDM,2,0,4,A,55P5TL01VIaAL,0*00\r\n");  // fragment number 0
    const input::RunState& s = rx.state();
    EXPECT_EQ(s.MalformedCount, 1);
    EXPECT_EQ(s.IncompleteFragmentCount, 1);
    EXPECT_EQ(s.IncompleteMessageCount, 1);
    EXPECT_EQ(rx.pendingFragments(), 0);
}

}  // namespace
}  // namespace app
