// Test helper: runs orvanta-cli as a program and keeps what it writes.
//
//   const clitest::Run r = clitest::Cli("decode --time", &nmeaText);   // text on standard input
//   r.status, r.out, r.err, r.lines()
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace clitest {

struct Run {
    int status = -1;
    std::string out, err;
    // Standard output cut at line feeds, each line without its line end.
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        for (size_t from = 0, lf; (lf = out.find('\n', from)) != std::string::npos; from = lf + 1)
            v.push_back(out.substr(from, (lf > from && out[lf - 1] == '\r' ? lf - 1 : lf) - from));
        return v;
    }
};

// `orvanta-cli ARGS`, with `input` (when given) on standard input. ctest runs
// test programs side by side: the files are named after the process.
// `wrapper` goes in front of the program ("timeout 60").
inline Run Cli(const std::string& args, const std::string* input = nullptr, const std::string& wrapper = "") {
    const std::string base = ::testing::TempDir() + "orvanta_cli_" + std::to_string(::getpid());
    if (input) std::ofstream(base + ".in", std::ios::binary) << *input;
    const std::string command = (wrapper.empty() ? "" : wrapper + " ") + std::string(ORVANTA_CLI_PATH) + " " + args + (input ? " <" + base + ".in" : "") +
                                " 2>" + base + ".err";
    Run r;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buf[65536];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) r.out.append(buf, n);
    const int st = ::pclose(pipe);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::ifstream err(base + ".err", std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(err), {});
    std::remove((base + ".in").c_str());
    std::remove((base + ".err").c_str());
    return r;
}

}  // namespace clitest
