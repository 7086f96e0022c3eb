#include "input/forward_transport.h"

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

bool TcpForwardServer::listen(int port, std::string& error) {
    if (!server_->listen(QHostAddress::Any, static_cast<quint16>(port))) {
        error = server_->errorString().toStdString();
        return false;
    }
    return true;
}

void TcpForwardServer::onNewConnection() {
    while (QTcpSocket* c = server_->nextPendingConnection()) {
        clients_.push_back(c);
        connect(c, &QTcpSocket::disconnected, this, [this, c] {
            std::erase(clients_, c);
            c->deleteLater();
        });
        // Clients only listen; what they send is thrown away.
        connect(c, &QTcpSocket::readyRead, c, [c] { c->readAll(); });
    }
}

void TcpForwardServer::forward(std::string_view bytes) {
    for (size_t i = 0; i < clients_.size();) {
        QTcpSocket* c = clients_[i];
        if (c->bytesToWrite() + static_cast<qint64>(bytes.size()) > kMaxBacklog) {
            clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(i));
            ++dropped_;
            c->disconnect(this);
            c->abort();
            c->deleteLater();
            continue;
        }
        c->write(bytes.data(), static_cast<qint64>(bytes.size()));
        ++i;
    }
}

}  // namespace input
