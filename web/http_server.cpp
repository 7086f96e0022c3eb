#include "web/http_server.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <charconv>

namespace web {

struct HttpServer::Client {
    QTcpSocket* socket = nullptr;
    std::string buffer;
    QElapsedTimer waiting;  // since the last whole request (or the connection)
    bool stream = false;
    bool closing = false;
};

namespace {

// A client that has not read this much is not given more to read: its
// requests wait in its buffer until the socket drains.
constexpr int64_t kPauseReadingAt = 256 * 1024;

int64_t NowMs() { return QDateTime::currentMSecsSinceEpoch(); }

std::string Head(int status, const std::string& contentType, size_t length, bool keepAlive,
                 const std::vector<std::pair<std::string, std::string>>& extra) {
    std::string h = "HTTP/1.1 ";
    h += std::to_string(status);
    h += ' ';
    h += StatusText(status);
    h += "\r\nContent-Type: ";
    h += contentType;
    h += "\r\nContent-Length: ";
    h += std::to_string(length);
    h += "\r\nX-Content-Type-Options: nosniff\r\n";
    bool cacheRule = false;
    for (const auto& [name, value] : extra) {
        h += name + ": " + value + "\r\n";
        cacheRule = cacheRule || name == "Cache-Control";
    }
    // Live answers are never kept by a browser unless the answer says so.
    if (!cacheRule) h += "Cache-Control: no-store\r\n";
    h += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return h;
}

}  // namespace

bool TokenMatches(const std::string& expected, std::string_view given) {
    // Compared in time that depends only on the lengths, so the answer's
    // timing tells nothing of how much of a guess was right.
    unsigned char diff = expected.size() == given.size() ? 0 : 1;
    for (size_t i = 0; i < expected.size(); ++i) {
        diff |= static_cast<unsigned char>(expected[i] ^ (i < given.size() ? given[i] : 0));
    }
    return diff == 0 && !expected.empty();
}

HttpServer::HttpServer(ServerLimits limits, QObject* parent) : QObject(parent), limits_(limits) {
    listener_ = new QTcpServer(this);
    // Connections beyond the limit are accepted and answered 503 at once;
    // the kernel's own queue stays short.
    listener_->setMaxPendingConnections(limits_.maxClients + 16);
    connect(listener_, &QTcpServer::newConnection, this, &HttpServer::accept);
    sweeper_ = new QTimer(this);
    sweeper_->setInterval(std::max(50, limits_.idleMs / 10));
    connect(sweeper_, &QTimer::timeout, this, &HttpServer::sweep);
}

HttpServer::~HttpServer() { close(); }

bool HttpServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (!listener_->listen(address, port)) {
        if (error) *error = listener_->errorString();
        return false;
    }
    sweeper_->start();
    return true;
}

quint16 HttpServer::port() const { return listener_->serverPort(); }

void HttpServer::close() {
    listener_->close();
    sweeper_->stop();
    while (!clients_.empty()) drop(clients_.begin()->first);
}

int HttpServer::streamCount() const {
    int n = 0;
    for (const auto& [socket, client] : clients_) n += client->stream ? 1 : 0;
    return n;
}

void HttpServer::accept() {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        if (static_cast<int>(clients_.size()) >= limits_.maxClients) {
            ++counters_.turnedAway;
            refuse(socket, 503);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->socket = socket;
        client->waiting.start();
        clients_.emplace(socket, std::move(client));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            auto it = clients_.find(socket);
            if (it == clients_.end()) return;
            if (it->second->closing && socket->bytesToWrite() == 0) {
                socket->disconnectFromHost();
            } else if (!it->second->stream && !it->second->buffer.empty()) {
                serve(*it->second);
            }
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
    }
}

void HttpServer::refuse(QTcpSocket* socket, int status) {
    const std::string text = Head(status, "text/plain", 0, false, {});
    socket->write(text.data(), static_cast<qint64>(text.size()));
    socket->disconnectFromHost();
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void HttpServer::drop(QTcpSocket* socket) {
    auto it = clients_.find(socket);
    if (it == clients_.end()) return;
    if (it->second->stream) --streams_;
    clients_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void HttpServer::readFrom(QTcpSocket* socket) {
    auto it = clients_.find(socket);
    if (it == clients_.end()) return;
    Client& client = *it->second;
    if (client.closing || client.stream) {
        socket->readAll();  // nothing more is read from a closing connection or a stream
        return;
    }
    // Never more than one head's worth waits unparsed: the parser refuses
    // anything longer, so the buffer stays bounded.
    const qint64 room = static_cast<qint64>(limits_.http.maxHeaderBytes) * 2 - static_cast<qint64>(client.buffer.size());
    if (room > 0) {
        const QByteArray bytes = socket->read(room);
        client.buffer.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    serve(client);
}

void HttpServer::serve(Client& client) {
    QTcpSocket* socket = client.socket;
    while (!client.closing && !client.stream && socket->bytesToWrite() < kPauseReadingAt) {
        Request request;
        const ParseResult parsed = ParseRequest(client.buffer, limits_.http, request);
        if (parsed.state == ParseState::Incomplete) break;
        ++counters_.requests;
        if (parsed.state == ParseState::Error) {
            Response r{parsed.status, "text/plain", std::string(StatusText(parsed.status)) + "\n", {}, false};
            if (parsed.status == 405) r.headers.emplace_back("Allow", "GET, HEAD");
            send(client, r, false, false, {});
            break;
        }
        client.buffer.erase(0, parsed.consumed);
        client.waiting.restart();
        Response response;
        std::string setCookie;
        if (admitted(client, request, response, setCookie)) {
            response = handler_ ? handler_(request) : Response{404, "text/plain", "Not Found\n", {}, false};
        }
        send(client, response, request.method == "HEAD", request.keepAlive, setCookie);
    }
    // What is left after a refused client is not read again.
    if (socket->bytesAvailable() > 0 && !client.closing && !client.stream &&
        client.buffer.size() < limits_.http.maxHeaderBytes * 2) {
        QMetaObject::invokeMethod(this, [this, socket] { readFrom(socket); }, Qt::QueuedConnection);
    }
}

bool HttpServer::admitted(Client& client, const Request& request, Response& refusal, std::string& setCookie) {
    if (!rateAllows(client.socket->peerAddress())) {
        ++counters_.tooMany;
        refusal = Response{429, "text/plain", "Too Many Requests\n", {{"Retry-After", "1"}}, false};
        return false;
    }
    if (token_.empty()) return true;
    std::string_view auth = request.header("authorization");
    if (auth.size() > 7 && auth.substr(0, 7) == "Bearer " && TokenMatches(token_, auth.substr(7))) return true;
    if (const auto c = request.cookie("orvanta_token"); c && TokenMatches(token_, *c)) return true;
    if (const auto q = request.queryValue("token"); q && TokenMatches(token_, *q)) {
        setCookie = "orvanta_token=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
        return true;
    }
    ++counters_.unauthorized;
    refusal = Response{401, "text/plain", "Unauthorized\n", {{"WWW-Authenticate", "Bearer"}}, false};
    return false;
}

bool HttpServer::rateAllows(const QHostAddress& peer) {
    Rate& r = rates_[peer.toString()];
    const int64_t now = NowMs();
    if (now - r.windowStart >= 1000) {
        r.windowStart = now;
        r.count = 0;
    }
    return ++r.count <= limits_.requestsPerSecond;
}

void HttpServer::send(Client& client, const Response& response, bool head, bool keepAlive,
                      const std::string& setCookie) {
    std::vector<std::pair<std::string, std::string>> extra = response.headers;
    if (!setCookie.empty()) extra.emplace_back("Set-Cookie", setCookie);
    const bool stream = response.eventStream && response.status == 200 && !head;
    keepAlive = keepAlive && response.status < 400;
    std::string text;
    if (stream) {
        text = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
               "X-Content-Type-Options: nosniff\r\n";
        for (const auto& [name, value] : extra) text += name + ": " + value + "\r\n";
        text += "Connection: keep-alive\r\n\r\n" + response.body;
        client.stream = true;
        ++streams_;
    } else {
        text = Head(response.status, response.contentType, response.body.size(), keepAlive, extra);
        if (!head) text += response.body;
    }
    client.socket->write(text.data(), static_cast<qint64>(text.size()));
    if (!stream && !keepAlive) {
        client.closing = true;
        if (client.socket->bytesToWrite() == 0) client.socket->disconnectFromHost();
    }
}

void HttpServer::broadcast(const std::string& event, const std::string& data) {
    // One "data:" line per line of the text, as the event-stream format wants.
    std::string text = "event: " + event + "\n";
    size_t start = 0;
    while (start <= data.size()) {
        const size_t lf = data.find('\n', start);
        text += "data: " + data.substr(start, lf == std::string::npos ? std::string::npos : lf - start) + "\n";
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    text += "\n";
    QMetaObject::invokeMethod(this, [this, text = std::move(text)] { sendToStreams(text); }, Qt::QueuedConnection);
}

void HttpServer::sendToStreams(const std::string& text) {
    std::vector<QTcpSocket*> slow;
    for (auto& [socket, client] : clients_) {
        if (!client->stream) continue;
        if (socket->bytesToWrite() + static_cast<int64_t>(text.size()) > limits_.maxBacklogBytes) {
            slow.push_back(socket);
            continue;
        }
        socket->write(text.data(), static_cast<qint64>(text.size()));
    }
    for (QTcpSocket* s : slow) {
        ++counters_.droppedSlow;
        drop(s);
    }
}

void HttpServer::sweep() {
    std::vector<QTcpSocket*> idle;
    for (auto& [socket, client] : clients_) {
        if (client->stream) continue;
        if (client->waiting.elapsed() >= limits_.idleMs) idle.push_back(socket);
    }
    for (QTcpSocket* s : idle) {
        ++counters_.closedIdle;
        drop(s);
    }
    // Rates of addresses not heard for a while are forgotten.
    const int64_t now = NowMs();
    std::erase_if(rates_, [now](const auto& kv) { return now - kv.second.windowStart > 5000; });
}

}  // namespace web
