// TcpTransport: the TCP client input. A QTcpSocket on the GUI thread whose
// received bytes go straight to a handler (the receiver), one notification's
// bytes at a time. Connect, error and remote-close notifications come out as
// signals for the connection manager; states use the socket numbering of
// input::SocketState (0 closed ... 6 connecting, 7 connected, 8 closing).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <functional>
#include <string_view>

#include "station/connection.h"
#include "station/transport.h"

namespace input {

class TcpTransport : public QObject, public SocketControl, public Transport {
    Q_OBJECT
public:
    // Bytes handed over per notification, and kept waiting in the socket at most.
    static constexpr qint64 kMaxChunk = 64 * 1024;
    static constexpr qint64 kReadBufferSize = 1024 * 1024;

    explicit TcpTransport(QObject* parent = nullptr);


    int state() const override;
    void close() override;
    bool connectTo(const std::string& host, int port, std::string& error) override;
    // Transport: connects to the setting's Address and Port in the background;
    // a refusal, an error or the server's close is reported as lost.
    bool open(const InputSetting& setting, std::string& error) override;
    TransportStatus status() const override;

    QTcpSocket* socket() const { return socket_; }
    static int StateNumber(QAbstractSocket::SocketState state);

signals:
    void connected();
    // number is the socket library's error code, description its text.
    void errorOccurred(int number, const QString& description);
    void closedByPeer();

private:
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);

    QTcpSocket* socket_;
    bool inConnectCall_ = false;
    bool morePosted_ = false;
    QString connectCallError_;
};

}  // namespace input
