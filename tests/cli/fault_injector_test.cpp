#include <gtest/gtest.h>

#include <algorithm>

#include "cli/sim/fault_injector.h"
#include "cli/sim/simulator.h"

namespace sim {
namespace {

// What each fault does to the lines written; what the receiver makes of them
// is checked in receiver_accounting_test.cpp.
TEST(FaultInjector, RateKindsAndLinesWritten) {
    Simulator sim(SimulatorOptions{});
    FaultInjector faults({0.25, 99, true});
    std::string bytes;
    std::vector<size_t> splits;
    Emission e;
    const int kMessages = 10000;
    for (int n = 0; n < kMessages; ++n) {
        sim.next(e);
        faults.apply(e.sentences, bytes, &splits);
    }
    faults.flush(bytes);
    const FaultCounts& c = faults.counts();
    for (size_t k = 0; k < kFaultKinds; ++k) EXPECT_GT(c.injected[k], 0) << FaultName(static_cast<Fault>(k));
    EXPECT_GT(c.overlongLines, 0);
    EXPECT_GE(static_cast<int64_t>(splits.size()), c[Fault::SplitWrite]);
    EXPECT_NEAR(static_cast<double>(c.total()) / kMessages, 0.25, 0.02);
    EXPECT_EQ(c.linesOut, c.sentencesIn - c[Fault::LostFragment] + c[Fault::GarbageBytes] + c[Fault::OtherTalker]);
    EXPECT_EQ(c.linesOut, static_cast<int64_t>(std::count(bytes.begin(), bytes.end(), '\n')));
}

}  // namespace
}  // namespace sim
