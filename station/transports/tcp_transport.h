// TcpTransport: the TCP client input. A QTcpSocket on the GUI thread whose
// received bytes go to a handler (the receiver), gathered for kGatherMs
// after the first of them arrives. Connect, error and remote-close notifications come out as
// the transport's opened and lost (with the socket library's error number);
// states use the numbering of input::SocketState (0 closed ... 6 connecting,
// 7 connected, 8 closing).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <functional>
#include <string_view>

#include "station/connection.h"
#include "station/transport.h"

namespace input {

class TcpTransport : public QObject, public Transport {
    Q_OBJECT
public:
    // Bytes handed over per notification, and kept waiting in the socket at most.
    static constexpr qint64 kMaxChunk = 64 * 1024;
    static constexpr qint64 kReadBufferSize = 1024 * 1024;
    // Bytes that arrive are handed on this long after the first of them, with
    // what came meanwhile (well inside the read buffer at any feed's rate).
    static constexpr int kGatherMs = 40;

    explicit TcpTransport(QObject* parent = nullptr);

    int state() const { return stateNumber(); }
    int stateNumber() const override;
    std::string peer() const override;
    void close() override;
    // Starts connecting and returns at once; false only when the call itself
    // is refused (the outcome of a started attempt comes as opened or lost).
    bool connectTo(const std::string& host, int port, std::string& error);
    // Transport: connects to the setting's Address and Port in the background;
    // a refusal, an error or the server's close is reported as lost.
    bool open(const InputSetting& setting, std::string& error) override;
    TransportStatus status() const override;

    QTcpSocket* socket() const { return socket_; }
    static int StateNumber(QAbstractSocket::SocketState state);

private:
    void onReadyRead();
    void deliverAvailable();
    void onError(QAbstractSocket::SocketError error);

    QTcpSocket* socket_;
    bool inConnectCall_ = false;
    bool morePosted_ = false;
    QString connectCallError_;
};

}  // namespace input
