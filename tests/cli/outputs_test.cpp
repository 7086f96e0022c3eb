// The simulator's outputs, read back through loopback sockets.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "cli/sim/outputs.h"

namespace sim {
namespace {

// A TCP connection to a loopback port, retried for up to ten seconds; -1 when none came about.
int Connect(uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET, a.sin_port = htons(port), a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < 1000; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return fd;
        ::close(fd);
        ::usleep(10000);
    }
    return -1;
}

// Reads until `n` bytes came, the peer closed or a second of 10 ms polls passed;
// idle() services the server before each poll.
std::string ReadAtLeast(int fd, size_t n, const std::function<void()>& idle) {
    std::string text;
    for (int i = 0; i < 100 && text.size() < n; ++i) {
        idle();
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        char buf[4096];
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got <= 0) break;
        text.append(buf, static_cast<size_t>(got));
    }
    return text;
}

TEST(ParseHostPort, Rows) {
    const struct {
        const char* text;
        bool ok;
        const char* host;
        uint16_t port;
    } rows[] = {
        {"127.0.0.1:8040", true, "127.0.0.1", 8040}, {"[::1]:9000", true, "::1", 9000},
        {"127.0.0.1", false, "", 0},                 {"host:70000", false, "", 0},
        {"host:12x", false, "", 0},
    };
    for (const auto& r : rows) {
        std::string host;
        uint16_t port = 0;
        EXPECT_EQ(ParseHostPort(r.text, host, port), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(host + ":" + std::to_string(port), std::string(r.host) + ":" + std::to_string(r.port));
        }
    }
}

TEST(TcpServer, ClientsComeAndGoWhileTheServerWrites) {
    ::signal(SIGPIPE, SIG_IGN);
    TcpServer server;
    std::string error;
    ASSERT_TRUE(server.listen("127.0.0.1", 0, error)) << error;
    const auto service = [&] { server.service(0); };
    const auto waitForClients = [&](size_t n) {
        for (int i = 0; i < 200 && server.clientCount() != n; ++i) server.service(5);
        return server.clientCount();
    };
    const int a = Connect(server.port());
    const int b = Connect(server.port());
    ASSERT_EQ(waitForClients(2), 2u);

    const std::string line = "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*23\r\n";
    server.write(line + line, {10, line.size() + 3});  // split writes arrive joined
    EXPECT_EQ(ReadAtLeast(a, 2 * line.size(), service), line + line);
    EXPECT_EQ(ReadAtLeast(b, 2 * line.size(), service), line + line);

    // One leaves without a word; the next writes notice and carry on.
    ::close(a);
    for (int i = 0; i < 50 && server.clientCount() == 2; ++i) {
        server.write(line);
        server.service(5);
    }
    EXPECT_EQ(server.clientCount(), 1u);
    EXPECT_EQ(server.dropped(), 1);

    // A newcomer gets what is written after it joined.
    const int c = Connect(server.port());
    waitForClients(2);
    ReadAtLeast(b, 1 << 20, service);  // drain b
    server.write(line);
    EXPECT_EQ(ReadAtLeast(c, line.size(), service), line);
    EXPECT_EQ(server.accepted(), 3);
    ::close(b);
    ::close(c);
}

}  // namespace
}  // namespace sim
