// A small HTTP/1.1 server for the station's read-only API and page, built to
// face any network: GET and HEAD only, no request bodies, headers within
// 8 KiB, at most 64 clients, at most 20 requests a second from one address,
// and a connection that has not sent a whole request within 10 s is closed
// (a slow sender cannot hold a place). Event streams (Server-Sent Events) stay
// open and get what broadcast() sends; a stream client that stops reading is
// dropped once 1 MiB waits for it, so no client can make the server grow.
//
// The server runs in the thread its object lives in (the station moves it to a
// thread of its own); the handler is called there and must only read data
// that is safe to read from that thread. broadcast() may be called from any
// thread.
//
//   web::HttpServer server;
//   server.setHandler([](const web::Request& r) { return web::Response{200, "text/plain", "hello"}; });
//   QString error;
//   if (!server.listen(QHostAddress::LocalHost, 8080, &error)) fail(error);
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "web/http_request.h"

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace web {

struct ServerLimits {
    HttpLimits http;
    int maxClients = 64;
    int requestsPerSecond = 20;
    int idleMs = 10000;
    int64_t maxBacklogBytes = 1024 * 1024;  // unsent bytes one client may hold
};

struct Response {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // Keep the connection open as an event stream (text/event-stream).
    bool eventStream = false;
};

using Handler = std::function<Response(const Request&)>;

struct ServerCounters {
    int64_t requests = 0;      // answered, whatever the status
    int64_t tooMany = 0;       // 429
    int64_t turnedAway = 0;    // 503: the client limit was reached
    int64_t closedIdle = 0;    // closed for sending no whole request in time
    int64_t droppedSlow = 0;   // closed for not reading what was sent
    int64_t unauthorized = 0;  // 401
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    explicit HttpServer(ServerLimits limits = {}, QObject* parent = nullptr);
    ~HttpServer() override;

    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const;
    void close();

    void setHandler(Handler handler) { handler_ = std::move(handler); }
    // A token every request must carry (Authorization: Bearer, the cookie a
    // ?token= request sets, or ?token= itself); empty: none needed.
    void setAccessToken(std::string token) { token_ = std::move(token); }

    // An event for every open stream ("event: NAME" and its data lines).
    // Safe from any thread.
    void broadcast(const std::string& event, const std::string& data);

    int clientCount() const { return static_cast<int>(clients_.size()); }
    int streamCount() const;
    // Whether any event stream is open; safe from any thread (so a caller
    // can skip making events nobody would get).
    bool hasStreams() const { return streams_.load(std::memory_order_relaxed) > 0; }
    ServerCounters counters() const { return counters_; }

private:
    struct Client;
    void accept();
    void readFrom(QTcpSocket* socket);
    void serve(Client& client);
    bool admitted(Client& client, const Request& request, Response& refusal, std::string& setCookie);
    void send(Client& client, const Response& response, bool head, bool keepAlive, const std::string& setCookie);
    void refuse(QTcpSocket* socket, int status);
    void drop(QTcpSocket* socket);
    void sendToStreams(const std::string& text);
    void sweep();
    bool rateAllows(const QHostAddress& peer);

    ServerLimits limits_;
    Handler handler_;
    std::string token_;
    QTcpServer* listener_ = nullptr;
    QTimer* sweeper_ = nullptr;
    std::map<QTcpSocket*, std::unique_ptr<Client>> clients_;
    struct Rate {
        int64_t windowStart = 0;
        int count = 0;
    };
    std::map<QString, Rate> rates_;
    ServerCounters counters_;
    std::atomic<int> streams_{0};
};

// The ways a token may come, checked in constant time.
bool TokenMatches(const std::string& expected, std::string_view given);

}  // namespace web
