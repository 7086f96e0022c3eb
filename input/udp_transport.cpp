#include "input/udp_transport.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTimer>

namespace input {

UdpTransport::UdpTransport(QObject* parent) : QObject(parent), socket_(new QUdpSocket(this)) {
    connect(socket_, &QUdpSocket::readyRead, this, &UdpTransport::onReadyRead);
}

bool UdpTransport::listen(const std::string& address, int port, std::string& error) {
    socket_->close();
    QHostAddress host;
    if (!host.setAddress(QString::fromStdString(address))) {
        error = "Not an address to listen on: " + address;
        return false;
    }
    if (!socket_->bind(host, static_cast<quint16>(port), QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        error = socket_->errorString().toStdString();
        return false;
    }
    return true;
}

void UdpTransport::onReadyRead() {
    // A bounded number per turn: a flood never holds up the window.
    for (int n = 0; n < kMaxPerTurn && socket_->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram d = socket_->receiveDatagram();
        if (!d.isValid()) continue;
        const QByteArray data = d.data();
        if (datagram_) datagram_(std::string_view(data.constData(), static_cast<size_t>(data.size())));
    }
    if (socket_->hasPendingDatagrams() && !morePosted_) {
        morePosted_ = true;
        QTimer::singleShot(0, this, [this] {
            morePosted_ = false;
            onReadyRead();
        });
    }
}

}  // namespace input
