#include "station/transports/udp_transport.h"
#include "station/transports/kinds_transport.h"

#include <QHostAddress>
#include <QTimer>

namespace input {

std::unique_ptr<Transport> MakeUdpTransport() { return std::make_unique<UdpTransport>(); }

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
    // A bounded number per turn: a flood never holds up the window. Every
    // turn that is not cut short ends in a read that finds nothing: only a
    // read tells the socket that this notification was answered, so a
    // notification that came when the datagrams were already taken (by the
    // turn before) cannot leave the socket waiting for a read that never
    // comes, and the input silent.
    buffer_.resize(kMaxDatagram);
    int n = 0;
    for (; n < kMaxPerTurn; ++n) {
        const qint64 size = socket_->readDatagram(buffer_.data(), kMaxDatagram);
        if (size < 0) break;
        deliver(std::string_view(buffer_.data(), static_cast<size_t>(size)));
    }
    if (n == kMaxPerTurn && !morePosted_) {
        morePosted_ = true;
        QTimer::singleShot(0, this, [this] {
            morePosted_ = false;
            onReadyRead();
        });
    }
}

}  // namespace input
