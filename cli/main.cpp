// orvanta-cli: the headless companion of the desktop program.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/command.h"

namespace cli {

std::vector<Command>& commands() {
    static std::vector<Command> list;
    return list;
}

namespace {

bool finish(const char* command, int error) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    if (error == 0) error = errno;
    std::fprintf(stderr, "orvanta-cli %s: cannot write the output: %s\n", command,
                 error ? std::strerror(error) : "write error");
    return false;
}

}  // namespace

bool FinishOutput(const char* command) {
    errno = 0;
    return finish(command, 0);
}

bool WriteOutput(std::string_view text, const char* command) {
    errno = 0;
    const bool whole = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return finish(command, whole ? 0 : errno);
}

}  // namespace cli

namespace {

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: orvanta-cli COMMAND [OPTIONS]\n"
                 "       orvanta-cli --version\n"
                 "\n"
                 "The headless companion of Orvanta: decodes and replays NMEA text, simulates\n"
                 "AIS traffic, converts positions and grid coordinates, and draws the plot\n"
                 "into a picture, all without a window.\n"
                 "\n"
                 "commands:\n");
    auto list = cli::commands();
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& c : list) std::fprintf(out, "  %-10s %s\n", c.name.c_str(), c.summary.c_str());
    std::fprintf(out, "\nRun 'orvanta-cli COMMAND --help' for the options of one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        usage(argc < 2 ? stderr : stdout);
        if (argc < 2) return 2;
        return cli::FinishOutput("--help") ? 0 : 1;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("orvanta-cli %s\n", ORVANTA_VERSION);
        return cli::FinishOutput("--version") ? 0 : 1;
    }
    for (const auto& c : cli::commands()) {
        if (c.name != argv[1]) continue;
        const int rc = c.run(argc - 1, argv + 1);
        // Whatever a command printed through stdio (its --help, a schema, a
        // summary) must have reached the output for it to succeed.
        if (rc == 0 && !cli::FinishOutput(argv[1])) return 1;
        return rc;
    }
    std::fprintf(stderr, "orvanta-cli: unknown command '%s'\n", argv[1]);
    usage(stderr);
    return 2;
}
