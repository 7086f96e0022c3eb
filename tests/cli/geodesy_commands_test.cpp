// Runs orvanta-cli inverse / grid / position and checks their printed output.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct CliRun {
    std::string out;
    int status;
};

CliRun run(const std::string& args) {
    const std::string command = std::string(ORVANTA_CLI_PATH) + " " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {"", -1};
    std::string out;
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    const int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(GeodesyCommands, PrintKeyValueLines) {
    struct Row {
        const char* args;
        const char* out;
        int status;
    };
    const Row rows[] = {
        {"inverse 60 5 60.5 5.8", "distance_m 71175.801\ndistance_nm 38.431858\nbearing_deg 38.147219131\n", 0},
        {"inverse 60 5 60 5", "distance_m 0.000\ndistance_nm 0.000000\nbearing_deg 0.000000000\n", 0},
        {"grid 60 5", "zone 31\neasting_m 611544.042\nnorthing_m 6653097.434\n", 0},
        {"grid 60 9 --zone 32", "zone 32\neasting_m 500000.000\nnorthing_m 6651411.189\n", 0},
        {"grid --inverse 500000 0 --zone 31",
         "zone 31\nlatitude_deg 0.000000000\nlongitude_deg 3.000000000\npasses 1\n", 0},
        {"position parse '59 30 12,5 n' lat", "value 59.503472222\ntext 59°30'12.5000\"N\n", 0},
        {"position parse '91 N' LAT",
         "value 90.000000000\ntext 90°00'00.0000\"N\nmessage LATITUDE FORMAT ERROR. Max 90 deg allowed\n", 1},
        {"position format -5.335 lon", "005°20'06.0\"W\n", 0},
        {"position format 59.503417 lat 2 --file", "59ø30'12.30\"N\n", 0},
    };
    for (const auto& row : rows) {
        const CliRun r = run(row.args);
        EXPECT_EQ(r.out, row.out) << row.args;
        EXPECT_EQ(r.status, row.status) << row.args;
    }
}

TEST(GeodesyCommands, RejectBadArguments) {
    for (const char* args : {"inverse 60 5 60.5", "inverse 91 0 0 0", "inverse a b c d", "grid 60",
                             "grid --inverse 500000 0", "grid 60 5 --zone 61", "position parse x north",
                             "position format abc lat", "position turn 1 lat"}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
    }
    for (const char* command : {"inverse", "grid", "position"}) {
        const CliRun r = run(std::string(command) + " --help");
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("usage: orvanta-cli"), std::string::npos) << command;
    }
}

TEST(GeodesyCommands, GridInverseThatDoesNotConvergeFails) {
    const CliRun r = run("grid --inverse 5000000 5000000 --zone 31");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("passes 21"), std::string::npos);
}

}  // namespace
