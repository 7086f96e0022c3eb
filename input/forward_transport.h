// The forwarding outputs: sentences sent to a UDP address, and a TCP server
// that passes them to every connected client (a chart plotter). A client
// that does not keep up (more than kMaxBacklog bytes waiting) is dropped, so
// it never slows the program down or makes its memory grow.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <string>
#include <vector>

#include "input/forwarder.h"

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

    explicit TcpForwardServer(QObject* parent = nullptr);
    // Listens on every interface (port 0: any free port).
    bool listen(int port, std::string& error);
    quint16 port() const { return server_->serverPort(); }
    int clients() const { return static_cast<int>(clients_.size()); }
    int dropped() const { return dropped_; }
    void forward(std::string_view bytes) override;

private:
    void onNewConnection();

    QTcpServer* server_;
    std::vector<QTcpSocket*> clients_;
    int dropped_ = 0;
};

}  // namespace input
