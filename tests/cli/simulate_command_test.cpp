// orvanta-cli simulate run as a program: options, bytes and the faults
// summary. (Its TCP server: outputs_test.cpp and the demo window test.)
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"
#include "input/checksum.h"
#include "support/intake_decoder.h"

namespace {

using clitest::Cli;

clitest::Run Simulate(const std::string& args) { return Cli("simulate " + args); }

TEST(SimulateCommand, OptionsAndHelp) {
    EXPECT_EQ(Simulate("--help").status, 0);
    for (const std::string args : {"simulate --stations 0", "simulate --centre 95 3", "simulate --faults 2",
                                   "simulate --tcp nowhere", "simulate --start 2026-13-01T00:00:00", "mix abc",
                                   "mix 10 20", "mix 7 --seed"}) {
        const clitest::Run r = Cli(args + (args[0] == 's' ? " --stdout --fast --count 1" : ""));
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST(SimulateCommand, SameSeedSameBytesAndEverySentenceDecodes) {
    const clitest::Run a = Simulate("--fast --count 3000 --stdout --quiet --seed 4 --stations 400");
    ASSERT_EQ(a.status, 0);
    EXPECT_EQ(a.out, Simulate("--fast --count 3000 --stdout --quiet --seed 4 --stations 400").out);
    EXPECT_NE(a.out, Simulate("--fast --count 3000 --stdout --quiet --seed 5 --stations 400").out);
    const auto lines = a.lines();
    ASSERT_EQ(lines.size(), 3000u);
    testing_support::IntakeDecoder dec;
    int decoded = 0, continuations = 0;
    for (const auto& line : lines) {
        ASSERT_TRUE(input::ChecksumValid(line + "\r\n")) << line;
        decoded += dec.feed(line) > 0;
        continuations += line.compare(7, 3, "2,2") == 0;
    }
    EXPECT_EQ(decoded + continuations, 3000);  // whole messages only, every one decodes
}

TEST(SimulateCommand, FaultCountsGoToStandardError) {
    const clitest::Run r = Simulate("--fast --count 20000 --stdout --faults 0.2 --seed 8");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("wrong-checksum="), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("wrong-checksum=0"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("split-write=0"), std::string::npos);  // no TCP output
    EXPECT_NE(r.out.find("$GPGGA"), std::string::npos);
}

}  // namespace
