// orvanta-cli render with chart paths that cannot hold a chart, and the
// texts it answers with. Each run is bounded by timeout(1): a path that makes
// the renderer wait for ever fails the test instead of hanging it.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_run.h"

namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path dir = fs::path(::testing::TempDir()) / ("orvanta_render_" + std::to_string(::getpid()));
    Folder() { fs::create_directories(dir); }
    ~Folder() { fs::remove_all(dir); }
};

// The renderer is built with the window library; a build without it (the
// sanitizer build) has no renderer to ask.
bool RendererBuilt() { return fs::exists(fs::path(ORVANTA_CLI_PATH).parent_path() / "orvanta-render"); }

clitest::Run Render(const std::string& args, const Folder& f) {
    const std::string err = (f.dir / "err.txt").string();
    const std::string command = "HOME=" + (f.dir / "home").string() + " timeout 30 " + ORVANTA_CLI_PATH +
                                " render --centre 52 4 --data-dir " + (f.dir / "data").string() + " " + args + " " +
                                (f.dir / "out.png").string() + " </dev/null 2>" + err;
    clitest::Run r;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) r.out.append(buf, n);
    const int st = ::pclose(pipe);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::ifstream in(err, std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
}

TEST(RenderCommand, ChartPathsThatCannotHoldAChartAreRefusedWithoutReading) {
    if (!RendererBuilt()) GTEST_SKIP() << "orvanta-render is not built";
    Folder f;
    const fs::path fifo = f.dir / "pipe.shp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(f.dir / "empty");
    fs::create_symlink(fifo, f.dir / "link.000");
    std::ofstream(f.dir / "cell.shp") << "x";
    ASSERT_EQ(::mkfifo((f.dir / "cell.dbf").c_str(), 0600), 0);  // a side file that would block
    fs::create_directories(f.dir / "set");
    ASSERT_EQ(::mkfifo((f.dir / "set" / "CELL0001.000").c_str(), 0600), 0);
    struct Row {
        std::string path;
        std::string why;
    };
    const Row rows[] = {
        {fifo.string(), "it is a FIFO, not a regular file"},
        {(f.dir / "link.000").string(), "it is a FIFO, not a regular file"},
        {"/dev/zero", "it is a character device, not a regular file"},
        {(f.dir / "missing.000").string(), "it does not exist"},
        {(f.dir / "cell.shp").string(), "cell.dbf beside it is a FIFO"},
        {(f.dir / "set").string(), "CELL0001.000 in it is a FIFO"},
    };
    for (const Row& r : rows) {
        const clitest::Run run = Render("--chart " + r.path, f);
        EXPECT_EQ(run.status, 1) << r.path;
        EXPECT_EQ(run.err, "orvanta-cli render: Cannot open chart " + r.path + ": " + r.why + "\n") << r.path;
    }
    // A folder without charts is reported, not waited on.
    const clitest::Run empty = Render("--chart " + (f.dir / "empty").string(), f);
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("Cannot open chart " + (f.dir / "empty").string() + ": "), std::string::npos) << empty.err;
}

TEST(RenderCommand, UsageErrorsShowThisCommandsUsage) {
    if (!RendererBuilt()) GTEST_SKIP() << "orvanta-render is not built";
    Folder f;
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
