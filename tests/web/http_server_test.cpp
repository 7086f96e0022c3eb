#include "web/http_server.h"

#include <QMetaObject>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace web {
namespace {

// The server on a thread of its own, as the station runs it; the test talks
// to it through plain blocking loopback sockets.
class ServerOnThread {
public:
    explicit ServerOnThread(ServerLimits limits, std::string token = {}) {
        thread_.start();
        server_ = new HttpServer(limits);
        server_->setAccessToken(std::move(token));
        server_->setHandler([](const Request& r) {
            if (r.path == "/events") return Response{200, "", "retry: 1000\n\n", {}, true};
            if (r.path == "/big") return Response{200, "text/plain", std::string(300000, 'x'), {}, false};
            return Response{200, "text/plain", "path " + r.path + "\n", {}, false};
        });
        server_->moveToThread(&thread_);
        QMetaObject::invokeMethod(server_, [this] { listening_ = server_->listen(QHostAddress::LocalHost, 0, nullptr); },
                                  Qt::BlockingQueuedConnection);
    }
    ~ServerOnThread() {
        QMetaObject::invokeMethod(server_, [this] { delete server_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    template <class F>
    auto on(F f) {
        decltype(f()) out{};
        QMetaObject::invokeMethod(server_, [&] { out = f(); }, Qt::BlockingQueuedConnection);
        return out;
    }
    quint16 port() { return on([this] { return server_->port(); }); }
    HttpServer* server() { return server_; }
    bool listening() const { return listening_; }

private:
    QThread thread_;
    HttpServer* server_ = nullptr;
    bool listening_ = false;
};

struct Socket {
    int fd = -1;
    explicit Socket(quint16 port) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~Socket() {
        if (fd >= 0) ::close(fd);
    }
    void send(const std::string& s) const { (void)!::write(fd, s.data(), s.size()); }
    // Everything that arrives within the time, or until the peer closes.
    std::string read(int ms, size_t enough = std::string::npos, bool* closed = nullptr) const {
        std::string out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < enough) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char buf[65536];
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                if (closed) *closed = true;
                break;
            }
            out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }
    // The status of the first response that arrives.
    int status(const std::string& request, int ms = 2000) const {
        send(request);
        const std::string r = read(ms, 12);
        return r.size() >= 12 ? std::stoi(r.substr(9, 3)) : 0;
    }
};

std::string Get(const std::string& target, const std::string& extra = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: station\r\n" + extra + "\r\n";
}

TEST(HttpServer, AnswersGetAndHeadOnOneKeptConnectionAndRefusesWhatItDoesNotServe) {
    ServerOnThread s(ServerLimits{});
    ASSERT_TRUE(s.listening());
    Socket c(s.port());
    c.send(Get("/a") + "HEAD /b HTTP/1.1\r\nHost: x\r\n\r\n" + Get("/c", "Connection: close\r\n"));
    bool closed = false;
    const std::string all = c.read(2000, std::string::npos, &closed);
    EXPECT_TRUE(closed);
    EXPECT_NE(all.find("Content-Length: 8\r\n"), std::string::npos);
    EXPECT_NE(all.find("\r\n\r\npath /a\n"), std::string::npos);
    // HEAD: the length of the body it would have, and no body.
    EXPECT_EQ(all.find("path /b"), std::string::npos);
    EXPECT_NE(all.find("\r\n\r\npath /c\n"), std::string::npos);
    EXPECT_NE(all.find("X-Content-Type-Options: nosniff"), std::string::npos);
    // What it does not serve is refused and the connection closed.
    struct Row {
        std::string request;
        int status;
    } rows[] = {
        {"POST /api/targets HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\n\r\nabcd", 413},
        {Get("/", "X-Pad: " + std::string(9000, 'p') + "\r\n"), 431},
        {"GARBAGE\r\n\r\n", 400},
    };
    for (const Row& r : rows) {
        Socket refused(s.port());
        EXPECT_EQ(refused.status(r.request), r.status) << r.request.substr(0, 40);
        closed = false;
        refused.read(2000, std::string::npos, &closed);
        EXPECT_TRUE(closed) << r.request.substr(0, 40);
    }
}

TEST(HttpServer, TurnsAwayTheClientBeyondTheLimitAndAdmitsAgainWhenOneLeaves) {
    ServerLimits limits;
    limits.maxClients = 8;
    ServerOnThread s(limits);
    std::vector<std::unique_ptr<Socket>> held;
    for (int k = 0; k < limits.maxClients; ++k) {
        held.push_back(std::make_unique<Socket>(s.port()));
        EXPECT_EQ(held.back()->status(Get("/x")), 200) << k;
    }
    Socket extra(s.port());
    EXPECT_EQ(extra.status(Get("/x")), 503);
    held.pop_back();
    for (int tries = 0; tries < 100 && s.on([&] { return s.server()->clientCount(); }) >= limits.maxClients; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Socket again(s.port());
    EXPECT_EQ(again.status(Get("/x")), 200);
    EXPECT_EQ(s.on([&] { return s.server()->counters().turnedAway; }), 1);
}

TEST(HttpServer, MoreThanTheRateFromOneAddressGets429) {
    ServerLimits limits;
    limits.requestsPerSecond = 5;
    ServerOnThread s(limits);
    int ok = 0, refused = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < 8; ++k) {
        Socket c(s.port());
        const int st = c.status(Get("/x"));
        ok += st == 200;
        refused += st == 429;
    }
    // Each window of a second admits five; a slow machine may spread the
    // eight requests over more than one window.
    const auto windows = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count() + 1;
    EXPECT_EQ(ok + refused, 8);
    EXPECT_LE(ok, 5 * windows);
    if (windows == 1) {
        EXPECT_EQ(ok, 5);
    }
}

TEST(HttpServer, SlowHeadersAndIdleConnectionsAreClosed) {
    ServerLimits limits;
    limits.idleMs = 300;
    ServerOnThread s(limits);
    Socket slow(s.port());
    slow.send("GET / HTTP/1.1\r\nHo");
    bool closed = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    slow.send("st: x\r\n");  // still trickling: no whole request yet
    EXPECT_EQ(slow.read(1500, std::string::npos, &closed), "");
    EXPECT_TRUE(closed);
    Socket idle(s.port());
    EXPECT_EQ(idle.status(Get("/x")), 200);
    closed = false;
    idle.read(1500, std::string::npos, &closed);
    EXPECT_TRUE(closed);
    EXPECT_EQ(s.on([&] { return s.server()->counters().closedIdle; }), 2);
}

TEST(HttpServer, TheTokenIsNeededAndTheQueryFormSetsACookie) {
    ServerOnThread s(ServerLimits{}, "s3cret-token");
    struct Row {
        std::string request;
        int status;
    } rows[] = {
        {Get("/api/targets", "Authorization: Bearer s3cret-tokeN\r\n"), 401},
        {Get("/api/targets", "Cookie: orvanta_token=s3cret-token\r\n"), 200},
        {Get("/api/targets", "Cookie: orvanta_token=s3cret\r\n"), 401},
        {Get("/?token="), 401},
    };
    for (const Row& r : rows) {
        Socket c(s.port());
        EXPECT_EQ(c.status(r.request), r.status) << r.request;
    }
    Socket c(s.port());
    c.send(Get("/?token=s3cret-token", "Connection: close\r\n"));
    EXPECT_NE(c.read(2000).find("Set-Cookie: orvanta_token=s3cret-token; Path=/; HttpOnly; SameSite=Strict"),
              std::string::npos);
    EXPECT_FALSE(TokenMatches("", ""));
    EXPECT_FALSE(TokenMatches("abc", "abcd"));
}

TEST(HttpServer, EventStreamsGetBroadcastsAndAClientThatDoesNotReadIsDropped) {
    ServerLimits limits;
    limits.maxBacklogBytes = 64 * 1024;
    ServerOnThread s(limits);
    Socket reader(s.port()), stalled(s.port());
    reader.send(Get("/events"));
    stalled.send(Get("/events"));
    EXPECT_NE(reader.read(2000, 10).find("text/event-stream"), std::string::npos);
    for (int tries = 0; tries < 200 && s.on([&] { return s.server()->streamCount(); }) < 2; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.read(200);
    s.server()->broadcast("target", "{\"mmsi\": 1}\nsecond line");
    EXPECT_EQ(reader.read(2000, 50), "event: target\ndata: {\"mmsi\": 1}\ndata: second line\n\n");
    // The stalled client never reads: once its backlog passes the limit it goes,
    // and the reading client keeps getting every event.
    const std::string chunk(16 * 1024, 'e');
    size_t got = 0;
    for (int k = 0; k < 1200 && s.on([&] { return s.server()->streamCount(); }) == 2; ++k) {
        s.server()->broadcast("fill", chunk);
        got += reader.read(20).size();
    }
    EXPECT_EQ(s.on([&] { return s.server()->streamCount(); }), 1);
    EXPECT_EQ(s.on([&] { return s.server()->counters().droppedSlow; }), 1);
    EXPECT_GT(got, 0u);
}

}  // namespace
}  // namespace web
