// Runs orvanta-cli inverse / grid / position and checks their printed output.
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"

namespace {

TEST(GeodesyCommands, PrintKeyValueLines) {
    const struct {
        const char* args;
        const char* out;
        int status;
    } rows[] = {
        {"inverse 60 5 60.5 5.8", "distance_m 71175.801\ndistance_nm 38.431858\nbearing_deg 38.147219131\n", 0},
        {"grid 60 5", "zone 31\neasting_m 611544.042\nnorthing_m 6653097.434\n", 0},
        {"grid --inverse 500000 0 --zone 31", "zone 31\nlatitude_deg 0.000000000\nlongitude_deg 3.000000000\npasses 1\n", 0},
        // No convergence: the last estimate, and status 1.
        {"grid --inverse 5000000 5000000 --zone 31",
         "zone 31\nlatitude_deg 34.409573803\nlongitude_deg 50.286995983\npasses 21\n", 1},
        {"position parse '59 30 12,5 n' lat", "value 59.503472222\ntext 59°30'12.5000\"N\n", 0},
        {"position parse '91 N' LAT",
         "value 90.000000000\ntext 90°00'00.0000\"N\nmessage LATITUDE FORMAT ERROR. Max 90 deg allowed\n", 1},
        {"position format -5.335 lon", "005°20'06.0\"W\n", 0},
        // Usage errors print nothing on standard output.
        {"inverse 60 5 60.5", "", 2},
        {"grid --inverse 500000 0", "", 2},
        {"position format abc lat", "", 2},
    };
    for (const auto& row : rows) {
        const clitest::Run r = clitest::Cli(row.args);
        EXPECT_EQ(r.out, row.out) << row.args;
        EXPECT_EQ(r.status, row.status) << row.args;
    }
    for (const char* command : {"inverse", "grid", "position"}) {
        const clitest::Run r = clitest::Cli(std::string(command) + " --help");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind(std::string("usage: orvanta-cli ") + command, 0), 0u) << command;
    }
}

}  // namespace
