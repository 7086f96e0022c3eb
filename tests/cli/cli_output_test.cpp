// What orvanta-cli prints and how it ends when it cannot print: an output that
// cannot be written is an error, a type without a decoder prints nothing,
// fragments left at the end are counted, and numbers keep "." under a
// comma locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ais/encoder.h"
#include "cli_run.h"
#include "input/sentence_builder.h"

namespace {

std::string Sentences(const ais::EncodedPayload& e) {
    static input::SentenceBuilder builder;
    std::string text;
    for (const auto& s : builder.build(e.payload, e.fillBits, 'A')) text += s;
    return text;
}

TEST(CliOutput, AnOutputThatCannotBeWrittenIsAnError) {
    const std::string mix = clitest::Cli("mix 500").out;
    for (const char* args : {"decode - >/dev/full", "replay - >/dev/full", "inverse 59 10 60 11 >/dev/full",
                             "simulate --stdout --fast --duration 60 --quiet >/dev/full"}) {
        const clitest::Run r = clitest::Cli(args, &mix);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("cannot write"), std::string::npos) << args << ": " << r.err;
    }
}

TEST(CliOutput, TypesWithoutADecoderPrintNothingAndPendingFragmentsAreCounted) {
    std::string input;
    for (int type : {0, 28, 63}) input += Sentences(ais::EncodeHeaderOnly(type, 0, 1, 96));
    ais::StaticVoyageData ship;
    ship.MessageID = 5;
    ship.MMSI = 257000001;
    input += Sentences(ais::EncodePayload(ship)).substr(0, Sentences(ais::EncodePayload(ship)).find('\n') + 1);
    for (const char* args : {"decode", "decode --time"}) {
        const clitest::Run r = clitest::Cli(args, &input);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_NE(r.err.find("3 of types without a decoder"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("1 fragments pending at the end"), std::string::npos) << r.err;
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
