// UdpTransport: a UDP listener input (an SDR decoder or a second receiver
// sending to port 10110). Each datagram goes to the handler whole, as one
// notification; the receiver ends its sentences there. Whatever a datagram
// holds (garbage, an empty one, one larger than a sentence) is input like
// any other and never stops the listener; read errors are skipped.
#pragma once

#include <QObject>
#include <QUdpSocket>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "station/transport.h"

namespace input {

class UdpTransport : public QObject, public Transport {
    Q_OBJECT
public:
    // Datagrams handed over per turn of the event loop.
    static constexpr int kMaxPerTurn = 256;
    // Larger than any UDP datagram.
    static constexpr int kMaxDatagram = 65536;

    explicit UdpTransport(QObject* parent = nullptr);

    // Listens on address:port ("0.0.0.0" for every interface); false with
    // the reason when the port cannot be bound.
    bool listen(const std::string& address, int port, std::string& error);
    // Transport: listens on the setting's Address and Port.
    bool open(const InputSetting& setting, std::string& error) override { return listen(setting.Address, setting.Port, error); }
    void close() override { socket_->close(); }
    TransportStatus status() const override { return isListening() ? TransportStatus::Open : TransportStatus::Closed; }
    bool isListening() const { return socket_->state() == QAbstractSocket::BoundState; }
    quint16 localPort() const { return socket_->localPort(); }

private:
    void onReadyRead();

    QUdpSocket* socket_;
    bool morePosted_ = false;
    std::vector<char> buffer_;
};

}  // namespace input
