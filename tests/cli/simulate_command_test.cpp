// orvanta-cli simulate run as a program: the bytes it writes. (Its TCP
// server: outputs_test.cpp and the demo window test.)
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"
#include "sentence/checksum.h"
#include "support/intake_decoder.h"

namespace {

using clitest::Cli;

clitest::Run Simulate(const std::string& args) { return Cli("simulate " + args); }

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

}  // namespace
