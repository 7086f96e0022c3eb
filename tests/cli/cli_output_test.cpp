// What orvanta-cli prints and how it ends when it cannot print: an output that
// cannot be written is an error, and numbers keep "." under a comma locale.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_run.h"

namespace {

// Every sub-command and every way it prints: its --help, its results and its
// summaries; an output that cannot be written ends it with status 1 and a word
// on standard error.
TEST(CliOutput, AnOutputThatCannotBeWrittenIsAnError) {
    const std::string mix = clitest::Cli("mix 500").out;
    std::vector<std::string> rows = {"--help", "--version", "decode - ", "decode --json-schema",
                                     "replay -", "replay --format csv -", "replay --format json -",
                                     "replay --format geojson -", "replay --bench -", "replay --realtime --rate 1e6 -",
                                     "inverse 59 10 60 11", "grid 59.5 10.25", "position parse \"59 30 N\" lat",
                                     "position format 59.5 lat", "mix 100", "checksum -",
                                     "simulate --stdout --fast --duration 60 --quiet"};
    for (const char* command : {"decode", "replay", "checksum", "inverse", "grid", "position", "mix", "simulate", "render"})
        rows.push_back(std::string(command) + " --help");
    const std::filesystem::path render = std::filesystem::path(ORVANTA_CLI_PATH).parent_path() / "orvanta-render";
    const std::string png = ::testing::TempDir() + "orvanta_cli_output.png";
    if (std::filesystem::exists(render)) rows.push_back("render --centre 51.98 3.95 --size 32x32 " + png);
    for (const std::string& args : rows) {
        const clitest::Run r = clitest::Cli(args + " >/dev/full", &mix);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("cannot write"), std::string::npos) << args << ": " << r.err;
    }
    std::remove(png.c_str());
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
