// orvanta-cli render: the plot as a PNG, headless.
//
//   orvanta-cli render --centre 51.98 3.95 --scale 250000 --size 800x600 out.png
//       [--chart FILE]... [--simulate SECONDS] [--data-dir DIR]
//
// The drawing is done by orvanta-render (installed in libexec/orvanta), the
// plot window's painting code on an offscreen image; keeping it a program of
// its own spares the other sub-commands Qt's start-up. With --simulate the
// built-in simulator's traffic around the centre (the demo scenario) runs
// for that many seconds of scenario time and is drawn as the plot would show
// it. Exit status: orvanta-render's, 2 on a usage error. orvanta-render is
// told it runs for this command, so its messages name it and a usage error
// it finds shows this command's usage, not its own.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/number_format.h"
#include "cli/command.h"
#include "cli/options.h"
#include "cli/sim/simulator.h"

extern char** environ;

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli render --centre LAT LON [--scale N] [--size WxH] OUT.png\n"
    "                          [--chart FILE]... [--simulate SECONDS] [--data-dir DIR]\n"
    "                          [--safety-depth M]\n"
    "\n"
    "Draws the plot into a PNG without a window: built-in coastlines (GSHHG), the\n"
    "charts given (any vector source GDAL/OGR reads, S-57 cells included), the\n"
    "landmarks of DIR/Database, range rings around the centre, and with --simulate\n"
    "the simulator's traffic around the centre after SECONDS of scenario time.\n"
    "Defaults: scale 250000, size 800x600, safety depth 10 m.\n";

void usage(FILE* out) { std::fwrite(kUsage.data(), 1, kUsage.size(), out); }

// $ORVANTA_RENDER, else orvanta-render beside this program (a build folder)
// or in its installed place (PREFIX/libexec/orvanta beside PREFIX/bin), else
// on the PATH.
std::string renderProgram() {
    if (const char* env = std::getenv("ORVANTA_RENDER"); env && *env) return env;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const auto folder = self.parent_path();
        for (const auto& candidate : {folder / "orvanta-render", folder.parent_path() / "libexec/orvanta/orvanta-render"}) {
            if (std::filesystem::exists(candidate, ec)) return candidate.string();
        }
    }
    return "orvanta-render";
}

bool writeTraffic(const std::string& path, double lat, double lon, double seconds) {
    sim::SimulatorOptions options;
    options.scenario.centre = {lat, lon};
    options.occasionalRate = 0;  // positions and names are what a picture shows
    sim::Simulator simulator(options);
    std::ofstream out(path, std::ios::binary);
    sim::Emission e;
    for (;;) {
        simulator.next(e);
        if (e.time > seconds) break;
        for (const std::string& s : e.sentences) out << s;
    }
    return static_cast<bool>(out.flush());
}

int runRender(int argc, char** argv) {
    // Every option but --simulate is orvanta-render's and goes to it as given.
    std::vector<std::string> args;
    double seconds = -1, lat = 0, lon = 0;
    bool haveCentre = false;
    cli::OptionTable options(kUsage, 0);
    options.missing = cli::MissingValue::ToSetter;
    options.options = {
        {"--simulate", "SECONDS", "",
         [&](const cli::Values& v) {
             const auto parsed = v[0] ? base::ParseDecimal(v[0]) : std::nullopt;
             seconds = parsed ? *parsed : -1;
             if (!(seconds >= 0) || seconds > 86400) {
                 std::fprintf(stderr, "orvanta-cli render: --simulate needs 0 to 86400 seconds\n\n");
                 usage(stderr);
                 return 2;
             }
             return cli::kGoOn;
         }},
        cli::HelpOption(""),
    };
    options.other = [&](const char* arg) {
        args.emplace_back(arg);
        return cli::kGoOn;
    };
    if (const int rc = options.parse(argc, argv); rc != cli::kGoOn) return rc;
    // The centre the simulated traffic sails around, read as orvanta-render reads it.
    for (int i = 1; i + 2 < argc; ++i) {
        if (std::strcmp(argv[i], "--centre") != 0) continue;
        haveCentre = true;
        lat = base::ParseDecimal(argv[i + 1]).value_or(0);
        lon = base::ParseDecimal(argv[i + 2]).value_or(0);
    }
    std::string traffic;
    if (seconds >= 0) {
        if (!haveCentre) {
            std::fprintf(stderr, "orvanta-cli render: --simulate needs --centre\n\n");
            usage(stderr);
            return 2;
        }
        const auto dir = std::filesystem::temp_directory_path() / ("orvanta-render-" + std::to_string(getpid()));
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        traffic = (dir / "traffic.nmea").string();
        if (ec || !writeTraffic(traffic, lat, lon, seconds)) {
            std::fprintf(stderr, "orvanta-cli render: cannot write the simulated traffic to %s\n", traffic.c_str());
            return 1;
        }
        args.push_back("--nmea");
        args.push_back(traffic);
    }
    const std::string program = renderProgram();
    std::vector<char*> childArgv;
    childArgv.push_back(const_cast<char*>(program.c_str()));
    std::string calledByCli = "--called-by-cli";
    childArgv.push_back(calledByCli.data());
    for (std::string& a : args) childArgv.push_back(a.data());
    childArgv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    const int rc = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, childArgv.data(), environ);
    if (rc == 0) waitpid(pid, &status, 0);
    if (!traffic.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(traffic).parent_path(), ec);
    }
    if (rc != 0) {
        std::fprintf(stderr, "orvanta-cli render: cannot run %s: %s\n", program.c_str(), std::strerror(rc));
        return 1;
    }
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    if (exitStatus == 2) usage(stderr);
    return exitStatus;
}

const cli::Registration reg{"render", "the plot as a PNG, headless (coastlines, charts, targets)", runRender};

}  // namespace
