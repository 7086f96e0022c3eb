// What orvanta-cli prints and how it ends when it cannot print: an output that
// cannot be written is an error, and numbers keep "." under a comma locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cli_run.h"

namespace {

TEST(CliOutput, AnOutputThatCannotBeWrittenIsAnError) {
    const std::string mix = clitest::Cli("mix 500").out;
    for (const char* args : {"decode - >/dev/full", "replay - >/dev/full", "inverse 59 10 60 11 >/dev/full",
                             "simulate --stdout --fast --duration 60 --quiet >/dev/full"}) {
        const clitest::Run r = clitest::Cli(args, &mix);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("cannot write"), std::string::npos) << args << ": " << r.err;
    }
}

TEST(CliOutput, NumbersKeepThePointUnderACommaLocale) {
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    const clitest::Run r = clitest::Cli("inverse 59.5 10.25 60 11");
    const clitest::Run grid = clitest::Cli("grid 59.5 10.25");
    ::unsetenv("LC_ALL");
    EXPECT_NE(r.out.find("distance_nm 3"), std::string::npos) << r.out;
    for (const auto& line : r.lines()) EXPECT_EQ(line.find(','), std::string::npos) << line;
    for (const auto& line : grid.lines()) EXPECT_EQ(line.find(','), std::string::npos) << line;
}

}  // namespace
