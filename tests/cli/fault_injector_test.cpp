#include <gtest/gtest.h>

#include <algorithm>

#include "cli/sim/fault_injector.h"
#include "cli/sim/simulator.h"
#include "input/checksum.h"

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

TEST(FaultInjector, LowerCaseAndWrongChecksumsLookTheirPart) {
    Simulator sim(SimulatorOptions{});
    FaultInjector faults({1.0, 5, false});
    Emission e;
    int64_t lower = 0, wrong = 0, reported = 0;
    for (int n = 0; n < 5000; ++n) {
        sim.next(e);
        std::string bytes;
        faults.apply(e.sentences, bytes);
        reported += faults.lastFault() == static_cast<int>(Fault::LowerCaseChecksum);
        for (size_t from = 0, lf; (lf = bytes.find('\n', from)) != std::string::npos; from = lf + 1) {
            const std::string line = bytes.substr(from, lf + 1 - from);
            const size_t star = line.rfind('*');
            if (line.rfind("!AIVD", 0) != 0 || star == std::string::npos || star + 5 != line.size()) continue;
            const std::string sum = line.substr(star + 1, 2);
            const std::string good = input::NMEAChecksum(line);
            if (sum == good) continue;
            std::string upper = sum;
            for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (upper == good) ++lower;
            else ++wrong;
        }
    }
    EXPECT_EQ(lower, faults.counts()[Fault::LowerCaseChecksum]);
    EXPECT_EQ(reported, lower);
    EXPECT_EQ(wrong, faults.counts()[Fault::WrongChecksum]);
    EXPECT_EQ(faults.counts()[Fault::SplitWrite], 0);  // no TCP output, no split writes
}

}  // namespace
}  // namespace sim
