// orvanta-cli render with chart paths that cannot hold a chart, and the
// texts it answers with. Each run is bounded by timeout(1): a path that makes
// the renderer wait for ever fails the test instead of hanging it.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_run.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Folder = testing_support::TempDir;

// The renderer is built with the window library; a build without it (the
// sanitizer build) has no renderer to ask.
bool RendererBuilt() { return fs::exists(fs::path(ORVANTA_CLI_PATH).parent_path() / "orvanta-render"); }

clitest::Run Render(const std::string& args, const Folder& f) {
    const std::string none;
    return clitest::Cli("render --centre 52 4 --data-dir " + (f / "data").string() + " " + args + " " +
                            (f / "out.png").string(),
                        &none, "HOME=" + (f / "home").string() + " timeout 30");
}

TEST(RenderCommand, ChartPathsThatCannotHoldAChartAreRefusedWithoutReadingAndUsageErrorsSaySo) {
    if (!RendererBuilt()) GTEST_SKIP() << "orvanta-render is not built";
    Folder f;
    const fs::path fifo = f / "pipe.shp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(f / "empty");
    fs::create_symlink(fifo, f / "link.000");
    std::ofstream(f / "cell.shp") << "x";
    ASSERT_EQ(::mkfifo((f / "cell.dbf").c_str(), 0600), 0);  // a side file that would block
    fs::create_directories(f / "set");
    ASSERT_EQ(::mkfifo((f / "set" / "CELL0001.000").c_str(), 0600), 0);
    struct Row {
        std::string path;
        std::string why;
    };
    const Row rows[] = {
        {fifo.string(), "it is a FIFO, not a regular file"},
        {(f / "link.000").string(), "it is a FIFO, not a regular file"},
        {"/dev/zero", "it is a character device, not a regular file"},
        {(f / "missing.000").string(), "it does not exist"},
        {(f / "cell.shp").string(), "cell.dbf beside it is a FIFO"},
        {(f / "set").string(), "CELL0001.000 in it is a FIFO"},
    };
    for (const Row& r : rows) {
        const clitest::Run run = Render("--chart " + r.path, f);
        EXPECT_EQ(run.status, 1) << r.path;
        EXPECT_EQ(run.err, "orvanta-cli render: Cannot open chart " + r.path + ": " + r.why + "\n") << r.path;
    }
    // A folder without charts is reported, not waited on.
    const clitest::Run empty = Render("--chart " + (f / "empty").string(), f);
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("Cannot open chart " + (f / "empty").string() + ": "), std::string::npos) << empty.err;
    // A usage error shows this command's usage, not the renderer's.
    for (const std::string args : {"--bogus", "--size 3x3"}) {
        const clitest::Run run = Render(args, f);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.err.rfind("orvanta-cli render: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("usage: orvanta-cli render --centre"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("--simulate SECONDS"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("orvanta-render"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("--nmea"), std::string::npos) << run.err;
    }
}

}  // namespace
