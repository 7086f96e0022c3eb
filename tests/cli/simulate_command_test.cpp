// orvanta-cli simulate run as a program: options, bytes, pacing by scenario
// time, faults summary, and the TCP server with clients that come and go.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "cli_run.h"
#include "input/checksum.h"
#include "support/intake_decoder.h"
#include "socket_support.h"

namespace {

using clitest::Cli;

clitest::Run Simulate(const std::string& args) { return Cli("simulate " + args); }

TEST(SimulateCommand, OptionsAndHelp) {
    const clitest::Run help = Simulate("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--centre", "--stations", "--seed", "--standard", "--start", "--tcp", "--udp",
                               "--stdout", "--out", "--pty", "--speed", "--fast", "--count", "--duration",
                               "--faults", "--quiet"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    for (const std::string args : {"simulate --stations 0", "simulate --centre 95 3", "simulate --faults 2",
                                   "simulate --standard xyz", "simulate --tcp nowhere", "simulate --speed 0",
                                   "simulate --start 2026-13-01T00:00:00", "simulate --bogus", "mix", "mix abc",
                                   "mix -5", "mix 10 20", "mix 7 --seed"}) {
        const clitest::Run r = Cli(args + (args[0] == 's' ? " --stdout --fast --count 1" : ""));
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST(SimulateCommand, SameSeedSameBytesAndEverySentenceDecodes) {
    const clitest::Run a = Simulate("--fast --count 3000 --stdout --quiet --seed 4 --stations 400");
    ASSERT_EQ(a.status, 0);
    EXPECT_EQ(a.out, Simulate("--fast --count 3000 --stdout --quiet --seed 4 --stations 400").out);
    EXPECT_NE(a.out, Simulate("--fast --count 3000 --stdout --quiet --seed 5 --stations 400").out);
    const auto lines = a.lines();
    ASSERT_EQ(lines.size(), 3000u);
    testing_support::IntakeDecoder dec;
    int decoded = 0, continuations = 0;
    for (const auto& line : lines) {
        ASSERT_TRUE(input::ChecksumValid(line + "\r\n")) << line;
        decoded += dec.feed(line) > 0;
        continuations += line.compare(7, 3, "2,2") == 0;
    }
    EXPECT_EQ(decoded + continuations, 3000);  // whole messages only, every one decodes
}

// mix is the simulator's busy coast in fast mode: exactly COUNT sentences.
TEST(SimulateCommand, MixIsTheBenchmarkTraffic) {
    const clitest::Run mix = Cli("mix 1000 --seed 5");
    ASSERT_EQ(mix.status, 0);
    EXPECT_EQ(mix.lines().size(), 1000u);
    EXPECT_EQ(mix.out, Simulate("--fast --stdout --quiet --stations 1500 --seed 5 --count 1000").out);
    EXPECT_TRUE(mix.err.empty()) << mix.err;
}

TEST(SimulateCommand, DurationIsScenarioTime) {
    // Ten minutes of scenario time: the base station reports every 10 s.
    const clitest::Run r = Simulate("--fast --duration 600 --stdout");
    ASSERT_EQ(r.status, 0);
    testing_support::IntakeDecoder dec;
    std::map<int, int> types;
    for (const auto& line : r.lines()) ++types[dec.feed(line)];
    EXPECT_EQ(types[4], 60);
    EXPECT_EQ(types[9], 60);
    EXPECT_NE(r.err.find("sentences/s"), std::string::npos);
}

TEST(SimulateCommand, FaultCountsGoToStandardError) {
    const clitest::Run r = Simulate("--fast --count 20000 --stdout --faults 0.2 --seed 8");
    ASSERT_EQ(r.status, 0);
    for (const char* name : {"wrong-checksum", "lower-case-checksum", "lost-fragment", "interleaved-fragments",
                             "truncated-line", "garbage-bytes", "long-line", "other-talker"}) {
        const size_t at = r.err.find(std::string(name) + "=");
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(std::atoi(r.err.c_str() + at + std::strlen(name) + 1), 0) << name;
    }
    EXPECT_NE(r.err.find("split-write=0"), std::string::npos);  // no TCP output
    EXPECT_NE(r.out.find("$GPGGA"), std::string::npos);
}

uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = socktest::Loopback(0);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

TEST(SimulateCommand, TcpClientsComeAndGo) {
    const uint16_t port = FreePort();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string hp = "127.0.0.1:" + std::to_string(port);
        ::execl(ORVANTA_CLI_PATH, ORVANTA_CLI_PATH, "simulate", "--tcp", hp.c_str(), "--speed", "50", "--duration",
                "3600", "--quiet", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int round = 0; round < 3; ++round) {
        const int fd = socktest::Connect(port);
        ASSERT_GE(fd, 0);
        const auto lines = clitest::Run{0, socktest::ReadUntil(fd, [](const std::string& t) {
                                             return std::count(t.begin(), t.end(), '\n') >= 20;
                                         }), {}}.lines();
        EXPECT_GE(lines.size(), 20u);
        // A client joins mid-stream: its first line may be cut, the rest are whole.
        for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(input::ChecksumValid(lines[i] + "\r\n")) << lines[i];
        ::close(fd);  // leaves abruptly; the server must carry on
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "the simulator ended early";
    ::kill(child, SIGTERM);
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
