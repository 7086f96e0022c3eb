#include "station/transports/forward_transport.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>

namespace input {

UdpForwardTransport::UdpForwardTransport(QObject* parent) : QObject(parent), socket_(new QUdpSocket(this)) {}

bool UdpForwardTransport::open(const std::string& address, int port, std::string& error) {
    if (!address_.setAddress(QString::fromStdString(address)) || port < 1 || port > 65535) {
        error = "Not an address to forward to: " + address + ":" + std::to_string(port);
        return false;
    }
    port_ = static_cast<quint16>(port);
    return true;
}

void UdpForwardTransport::forward(std::string_view bytes) {
    if (port_ == 0) return;
    // A datagram that cannot go (no route, a full buffer) is lost, as UDP is.
    socket_->writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), address_, port_);
}

TcpForwardServer::TcpForwardServer(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &TcpForwardServer::onNewConnection);
}

bool TcpForwardServer::listen(const std::string& address, int port, std::string& error) {
    QHostAddress host;
    if (!host.setAddress(QString::fromStdString(address))) {
        error = "Not an address to listen on: " + address;
        return false;
    }
    if (!server_->listen(host, static_cast<quint16>(port))) {
        error = server_->errorString().toStdString();
        return false;
    }
    return true;
}

void TcpForwardServer::onNewConnection() {
    while (QTcpSocket* c = server_->nextPendingConnection()) {
        clients_.push_back({c, 0});
        connect(c, &QTcpSocket::disconnected, this, [this, c] {
            std::erase_if(clients_, [c](const Client& k) { return k.socket == c; });
            c->deleteLater();
        });
        // Clients only listen; what they send is thrown away.
        connect(c, &QTcpSocket::readyRead, c, [c] { c->readAll(); });
    }
}

qint64 TcpForwardServer::Backlog(QTcpSocket& client) {
    int unsent = 0;
    const qintptr fd = client.socketDescriptor();
    if (fd < 0 || ::ioctl(static_cast<int>(fd), SIOCOUTQ, &unsent) != 0) unsent = 0;
    return client.bytesToWrite() + unsent;
}

void TcpForwardServer::drop(size_t i) {
    QTcpSocket* c = clients_[i].socket;
    clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(i));
    ++dropped_;
    c->disconnect(this);
    c->abort();
    c->deleteLater();
}

void TcpForwardServer::forward(std::string_view bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    for (size_t i = 0; i < clients_.size();) {
        QTcpSocket* socket = clients_[i].socket;
        if (clients_[i].kernelQueued + socket->bytesToWrite() + size > kMaxBacklog) {
            drop(i);
            continue;
        }
        socket->write(bytes.data(), size);
        // A long event (a burst of datagrams, a play back chunk) does not wait
        // for its end to pass what it brings on.
        if (socket->bytesToWrite() >= kFlushAt) {
            socket->flush();
            // A failed write ends the client (disconnected) in there.
            if (i >= clients_.size() || clients_[i].socket != socket) continue;
            clients_[i].kernelQueued = Backlog(*socket) - socket->bytesToWrite();
        }
        ++i;
    }
    if (clients_.empty() || flushPosted_) return;
    // The socket writes on its own only when the event loop next looks at it;
    // what this event brought goes to the kernel as soon as it is handled.
    flushPosted_ = true;
    QMetaObject::invokeMethod(this, &TcpForwardServer::flush, Qt::QueuedConnection);
}

void TcpForwardServer::flush() {
    flushPosted_ = false;
    // A failed write may end a client (disconnected) while this runs.
    const std::vector<Client> now = clients_;
    for (const Client& c : now) {
        c.socket->flush();
        const qint64 backlog = Backlog(*c.socket);
        for (Client& k : clients_) {
            if (k.socket == c.socket) k.kernelQueued = backlog - c.socket->bytesToWrite();
        }
    }
}

}  // namespace input
