// orvanta-cli simulate run as a program: options, bytes, pacing by scenario
// time, faults summary, and the TCP server with clients that come and go.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "input/checksum.h"
#include "support/intake_decoder.h"

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

Result Simulate(const std::string& args) {
    // ctest runs tests side by side: one stderr file per process.
    const std::string errFile = ::testing::TempDir() + "simulate_stderr_" + std::to_string(::getpid()) + ".txt";
    const std::string cmd = std::string(ORVANTA_CLI_PATH) + " simulate " + args + " 2>" + errFile;
    Result r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    if (FILE* e = std::fopen(errFile.c_str(), "r")) {
        while ((n = std::fread(buf, 1, sizeof buf, e)) > 0) r.err.append(buf, n);
        std::fclose(e);
    }
    std::remove(errFile.c_str());
    return r;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t from = 0, lf; (lf = text.find('\n', from)) != std::string::npos; from = lf + 1)
        lines.push_back(text.substr(from, lf + 1 - from));
    return lines;
}

TEST(SimulateCommand, HelpExplainsEveryOption) {
    const Result r = Simulate("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--centre", "--stations", "--seed", "--standard", "--start", "--tcp", "--udp",
                               "--stdout", "--out", "--pty", "--speed", "--fast", "--count", "--duration",
                               "--faults", "--quiet"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST(SimulateCommand, BadOptionsAreRefused) {
    for (const char* args : {"--stations 0", "--centre 95 3", "--faults 2", "--standard xyz", "--tcp nowhere",
                             "--speed 0", "--start 2026-13-01T00:00:00", "--bogus"}) {
        const Result r = Simulate(std::string(args) + " --stdout --fast --count 1");
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST(SimulateCommand, SameSeedSameBytesAndEverySentenceDecodes) {
    const Result a = Simulate("--fast --count 20000 --stdout --quiet --seed 4 --stations 400");
    const Result b = Simulate("--fast --count 20000 --stdout --quiet --seed 4 --stations 400");
    const Result c = Simulate("--fast --count 20000 --stdout --quiet --seed 5 --stations 400");
    ASSERT_EQ(a.status, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out, c.out);

    const auto lines = Lines(a.out);
    ASSERT_EQ(lines.size(), 20000u);
    testing_support::IntakeDecoder dec;
    int decoded = 0;
    for (const auto& line : lines) {
        ASSERT_TRUE(input::ChecksumValid(line)) << line;
        if (dec.feed(line) > 0) ++decoded;
    }
    EXPECT_GT(decoded, 19000);
    EXPECT_EQ(dec.intake.incompleteMessages(), 0);
}

TEST(SimulateCommand, DurationIsScenarioTime) {
    // Ten minutes of scenario time: the base station reports every 10 s.
    const Result r = Simulate("--fast --duration 600 --stdout");
    ASSERT_EQ(r.status, 0);
    testing_support::IntakeDecoder dec;
    std::map<int, int> types;
    for (const auto& line : Lines(r.out)) ++types[dec.feed(line)];
    EXPECT_EQ(types[4], 60);
    EXPECT_EQ(types[9], 60);
    EXPECT_NE(r.err.find("sentences/s"), std::string::npos);
}

TEST(SimulateCommand, FaultCountsGoToStandardError) {
    const Result r = Simulate("--fast --count 20000 --stdout --faults 0.2 --seed 8");
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
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

int ConnectWithRetry(uint16_t port) {
    for (int i = 0; i < 1000; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
        ::close(fd);
        ::usleep(10000);
    }
    return -1;
}

// Reads until n complete lines arrived (or a few seconds passed).
std::vector<std::string> ReadLines(int fd, size_t n) {
    std::string text;
    for (int i = 0; i < 500 && Lines(text).size() < n; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        char buf[4096];
        const ssize_t got = ::recv(fd, buf, sizeof buf, 0);
        if (got <= 0) break;
        text.append(buf, static_cast<size_t>(got));
    }
    return Lines(text);
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
        const int fd = ConnectWithRetry(port);
        ASSERT_GE(fd, 0);
        const auto lines = ReadLines(fd, 20);
        EXPECT_GE(lines.size(), 20u);
        // A client joins mid-stream: its first line may be cut, the rest are whole.
        for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(input::ChecksumValid(lines[i])) << lines[i];
        ::close(fd);  // leaves abruptly; the server must carry on
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "the simulator ended early";
    ::kill(child, SIGTERM);
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
