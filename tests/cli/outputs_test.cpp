#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "cli/sim/outputs.h"
#include "socket_support.h"

namespace sim {
namespace {

auto AtLeast(size_t n) {
    return [n](const std::string& text) { return text.size() >= n; };
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
    const int a = socktest::Connect(server.port());
    const int b = socktest::Connect(server.port());
    ASSERT_EQ(waitForClients(2), 2u);

    const std::string line = "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*23\r\n";
    server.write(line + line, {10, line.size() + 3});  // split writes arrive joined
    EXPECT_EQ(socktest::ReadUntil(a, AtLeast(2 * line.size()), service, 100), line + line);
    EXPECT_EQ(socktest::ReadUntil(b, AtLeast(2 * line.size()), service, 100), line + line);

    // One leaves without a word; the next writes notice and carry on.
    ::close(a);
    for (int i = 0; i < 50 && server.clientCount() == 2; ++i) {
        server.write(line);
        server.service(5);
    }
    EXPECT_EQ(server.clientCount(), 1u);
    EXPECT_EQ(server.dropped(), 1);

    // A newcomer gets what is written after it joined.
    const int c = socktest::Connect(server.port());
    waitForClients(2);
    socktest::ReadUntil(b, AtLeast(1 << 20), service, 100);  // drain b
    server.write(line);
    EXPECT_EQ(socktest::ReadUntil(c, AtLeast(line.size()), service, 100), line);
    EXPECT_EQ(server.accepted(), 3);
    ::close(b);
    ::close(c);
}

}  // namespace
}  // namespace sim
