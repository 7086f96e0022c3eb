#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "cli/sim/outputs.h"

namespace sim {
namespace {

int Connect(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    return fd;
}

// Reads until `want` bytes arrived or a second passed.
std::string ReadSome(int fd, size_t want, TcpServer* server = nullptr) {
    std::string got;
    for (int i = 0; i < 100 && got.size() < want; ++i) {
        if (server) server->service(0);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

void WaitForClients(TcpServer& server, size_t n) {
    for (int i = 0; i < 200 && server.clientCount() != n; ++i) server.service(5);
}

TEST(ParseHostPort, Rows) {
    struct Row {
        const char* text;
        bool ok;
        const char* host;
        uint16_t port;
    } rows[] = {
        {"127.0.0.1:8040", true, "127.0.0.1", 8040}, {"localhost:0", true, "localhost", 0},
        {"[::1]:9000", true, "::1", 9000},           {"127.0.0.1", false, "", 0},
        {"127.0.0.1:", false, "", 0},                {"host:70000", false, "", 0},
        {"host:12x", false, "", 0},
    };
    for (const auto& r : rows) {
        std::string host;
        uint16_t port = 0;
        EXPECT_EQ(ParseHostPort(r.text, host, port), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(host, r.host);
            EXPECT_EQ(port, r.port);
        }
    }
}

TEST(TcpServer, ClientsComeAndGoWhileTheServerWrites) {
    ::signal(SIGPIPE, SIG_IGN);
    TcpServer server;
    std::string error;
    ASSERT_TRUE(server.listen("127.0.0.1", 0, error)) << error;
    ASSERT_NE(server.port(), 0);

    const int a = Connect(server.port());
    const int b = Connect(server.port());
    WaitForClients(server, 2);
    ASSERT_EQ(server.clientCount(), 2u);

    const std::string line = "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*23\r\n";
    server.write(line + line, {10, line.size() + 3});  // split writes arrive joined
    EXPECT_EQ(ReadSome(a, 2 * line.size(), &server), line + line);
    EXPECT_EQ(ReadSome(b, 2 * line.size(), &server), line + line);

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
    WaitForClients(server, 2);
    ReadSome(b, 1 << 20, &server);  // drain b
    server.write(line);
    EXPECT_EQ(ReadSome(c, line.size(), &server), line);
    EXPECT_EQ(server.accepted(), 3);
    ::close(b);
    ::close(c);
}

TEST(UdpSender, PacksWholeLinesIntoDatagrams) {
    const int rx = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(rx, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(rx, reinterpret_cast<sockaddr*>(&a), &len);

    UdpSender tx;
    std::string error;
    ASSERT_TRUE(tx.open("127.0.0.1", ntohs(a.sin_port), error)) << error;
    std::string bytes;
    for (int i = 0; i < 100; ++i) bytes += "!AIVDM,1,1,,B,15MgK45P3@G?fl0E`JbR0OwT0@MS,0*4E\r\n";
    bytes += std::string(3000, 'x') + "\r\n";  // one line longer than a datagram
    tx.write(bytes);

    std::string got;
    int datagrams = 0;
    for (;;) {
        pollfd p{rx, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) break;
        char buf[65536];
        const ssize_t n = ::recv(rx, buf, sizeof buf, 0);
        ASSERT_GT(n, 0);
        ASSERT_LE(static_cast<size_t>(n), UdpSender::kMaxDatagram);
        ++datagrams;
        got.append(buf, static_cast<size_t>(n));
        // Datagrams of whole lines end in a line feed, except pieces of the long one.
        if (got.size() < 100 * 51) {
            EXPECT_EQ(buf[n - 1], '\n');
        }
    }
    EXPECT_EQ(got, bytes);
    EXPECT_GE(datagrams, 6);
    ::close(rx);
}

TEST(PtyOutput, CarriesLineEndsUnchanged) {
    PtyOutput pty;
    std::string error;
    ASSERT_TRUE(pty.open(error)) << error;
    ASSERT_FALSE(pty.path().empty());
    const int fd = ::open(pty.path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const std::string line = "!AIVDO,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*21\r\n";
    pty.write(line);
    std::string got;
    for (int i = 0; i < 100 && got.size() < line.size(); ++i) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, line);
    ::close(fd);

    // Nobody reading: bytes are dropped, not queued without bound.
    const std::string block(64 * 1024, 'x');
    for (int i = 0; i < 4; ++i) pty.write(block);
    EXPECT_GT(pty.droppedBytes(), 0);
}

}  // namespace
}  // namespace sim
