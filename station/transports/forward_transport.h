// The forwarding outputs: sentences sent to a UDP address, and a TCP server
// that passes them to every connected client (a chart plotter). A client
// that does not keep up (more than kMaxBacklog bytes waiting for it, in the
// program and in the kernel together) is dropped, so it never slows the
// program down or makes its memory grow; one that reads as fast as the feed
// comes is never dropped.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <string>
#include <vector>

#include "station/forwarder.h"

namespace input {

class UdpForwardTransport : public QObject, public ForwardSink {
    Q_OBJECT
public:
    explicit UdpForwardTransport(QObject* parent = nullptr);
    bool open(const std::string& address, int port, std::string& error);
    void forward(std::string_view bytes) override;

private:
    QUdpSocket* socket_;
    QHostAddress address_;
    quint16 port_ = 0;
};

class TcpForwardServer : public QObject, public ForwardSink {
    Q_OBJECT
public:
    static constexpr qint64 kMaxBacklog = 1 << 20;
    // What may wait in a socket object before it goes to the kernel at once.
    static constexpr qint64 kFlushAt = 64 << 10;
    // The listen address by default: this computer only.
    static constexpr const char* kLocalOnly = "127.0.0.1";

    explicit TcpForwardServer(QObject* parent = nullptr);
    // Listens on address ("0.0.0.0" or "::" for every interface) and port
    // (0: any free port).
    bool listen(const std::string& address, int port, std::string& error);
    bool listen(int port, std::string& error) { return listen(kLocalOnly, port, error); }
    quint16 port() const { return server_->serverPort(); }
    QHostAddress address() const { return server_->serverAddress(); }
    int clients() const { return static_cast<int>(clients_.size()); }
    int dropped() const { return dropped_; }
    // Queues bytes for every client and hands them to the kernel once the
    // current event is handled (at once when 64 KiB wait), so the backlog
    // that counts is what the client has not taken yet.
    void forward(std::string_view bytes) override;
    // How far a client is behind: what waits in its socket object and what
    // the kernel holds unsent for it.
    static qint64 Backlog(QTcpSocket& client);

private:
    struct Client {
        QTcpSocket* socket;
        qint64 kernelQueued;  // unsent bytes in the kernel at the last flush
    };
    void onNewConnection();
    void drop(size_t i);
    void flush();

    QTcpServer* server_;
    std::vector<Client> clients_;
    bool flushPosted_ = false;
    int dropped_ = 0;
};

}  // namespace input
