// How the sub-commands read their command lines: spellings, values that
// follow an option, options given without their values, --help, and the
// usage columns printed from the option tables.
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"

namespace {

// Each row: arguments, exit status, a text standard output (status 0) or
// standard error (otherwise) must contain.
TEST(CliOptions, ArgumentsReachTheirOptions) {
    const struct {
        std::string args;
        int status;
        std::string contains;
    } rows[] = {
        // An alias with two values; the values are not taken for options.
        {"simulate --center 60 5 --stdout --fast --count 1 --quiet --seed -5", 0, "!AIVDM,1,1,"},
        {"simulate --centre 60", 2, "--centre needs LAT LON"},
        {"simulate --stations", 2, "--stations needs 1 to 20000"},  // a missing value goes to its option
        {"simulate --stdout stray", 2, "unknown option 'stray'"},
        {"replay --ref 59 10 --format csv -", 0, "Range (nm)"},
        {"replay --capacity", 2, "unknown option '--capacity'"},  // here it is an argument like any other
        {"replay - extra", 2, "unknown option 'extra'"},
        {"replay -h", 0, "usage: orvanta-cli replay"},
        {"decode --standard", 2, "unexpected argument '--standard'"},
        {"decode --standard --time", 2, "unknown standard '--time'"},
        {"decode --bogus --help", 2, "unexpected argument '--bogus'"},
        {"decode --json-schema --bogus", 0, "{\"1\":["},
        {"grid 60 x --help", 0, "usage: orvanta-cli grid"},  // --help wins wherever it stands
        {"grid --zone", 2, "--zone needs a number"},
        {"grid --inverse 500000 6000000 --zone 31", 0, "latitude_deg 54.1"},
        {"inverse -33 151 -34 150", 0, "bearing_deg 219."},  // negative numbers are values
        {"position format 59.5 lat 0 --file", 0, "59"},
        {"mix 3 --seed 5", 0, "!AIVDM"},
        {"mix --seed", 2, "usage: orvanta-cli mix"},
        {"mix 3 4", 2, "usage: orvanta-cli mix"},
        {"render --simulate", 2, "--simulate needs 0 to 86400 seconds"},
    };
    const std::string empty;
    for (const auto& row : rows) {
        const clitest::Run r = clitest::Cli(row.args, &empty);
        EXPECT_EQ(r.status, row.status) << row.args << "\n" << r.err;
        EXPECT_NE((row.status == 0 ? r.out : r.err).find(row.contains), std::string::npos)
            << row.args << "\n" << r.out << r.err;
    }
}

// The usage is printed from the tables: names and value names in the first
// column, descriptions (all their lines) in the second, headings as written.
TEST(CliOptions, UsageColumns) {
    const struct {
        std::string command, contains;
    } rows[] = {
        {"decode", "\n  --standard imo236|iala  numbering of binary application messages (types 6 and 8):\n"
                   "                          IMO SN/Circ.236 (default) or the IALA proposal\n"
                   "  --no-checksum           decode"},
        {"replay", "\n  --ref LAT LON    manual reference position (signed degrees): the table\n"
                   "                   shows range and bearing instead of positions\n"},
        {"replay", "  --help           this text\n\nOperator messages"},
        {"simulate", "\nScenario\n  --centre LAT LON     centre of the area"},
        {"simulate", "(12 nm radius for 60).\n                       Vessels start"},
        {"simulate", "\n\nPace\n  --speed X            run the scenario clock"},
        {"simulate", "until interrupted.\n\nFaults\n  --faults RATE        share"},
        {"simulate", "the end.\n\n  --tags               put"},
    };
    for (const auto& row : rows) {
        const clitest::Run r = clitest::Cli(row.command + " --help");
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find(row.contains), std::string::npos) << row.command << ":\n" << r.out;
    }
    // Options without a description and aliases are not listed.
    EXPECT_EQ(clitest::Cli("simulate --help").out.find("  --center"), std::string::npos);
    EXPECT_EQ(clitest::Cli("mix --help").out.find("  --"), std::string::npos);
}

}  // namespace
