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

namespace input {

class TcpTransport : public QObject, public SocketControl {
    Q_OBJECT
public:
    using BytesHandler = std::function<void(std::string_view)>;
    // Bytes handed over per notification, and kept waiting in the socket at most.
    static constexpr qint64 kMaxChunk = 64 * 1024;
    static constexpr qint64 kReadBufferSize = 1024 * 1024;

    explicit TcpTransport(QObject* parent = nullptr);

    void setBytesHandler(BytesHandler handler) { bytes_ = std::move(handler); }

    int state() const override;
    void close() override;
    bool connectTo(const std::string& host, int port, std::string& error) override;

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
    BytesHandler bytes_;
    bool inConnectCall_ = false;
    bool morePosted_ = false;
    QString connectCallError_;
};

}  // namespace input
