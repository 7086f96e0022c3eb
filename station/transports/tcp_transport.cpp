#include "station/transports/tcp_transport.h"
#include "station/transports/kinds_transport.h"

#include <QTimer>

namespace input {

std::unique_ptr<Transport> MakeTcpTransport() { return std::make_unique<TcpTransport>(); }

TcpTransport::TcpTransport(QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {
    socket_->setObjectName("Winsock1");
    socket_->setReadBufferSize(kReadBufferSize);
    connect(socket_, &QTcpSocket::readyRead, this, &TcpTransport::onReadyRead);
    connect(socket_, &QTcpSocket::connected, this, [this] { reportOpened(); });
    connect(socket_, &QTcpSocket::errorOccurred, this, &TcpTransport::onError);
}

int TcpTransport::StateNumber(QAbstractSocket::SocketState state) {
    switch (state) {
        case QAbstractSocket::UnconnectedState: return kSocketClosed;
        case QAbstractSocket::HostLookupState: return kSocketResolvingHost;
        case QAbstractSocket::ConnectingState: return kSocketConnecting;
        case QAbstractSocket::ConnectedState: return kSocketConnected;
        case QAbstractSocket::BoundState: return kSocketOpen;
        case QAbstractSocket::ListeningState: return kSocketListening;
        case QAbstractSocket::ClosingState: return kSocketClosing;
    }
    return kSocketError;
}

int TcpTransport::stateNumber() const { return StateNumber(socket_->state()); }

std::string TcpTransport::peer() const {
    QString host = socket_->peerAddress().toString();
    if (host.isEmpty()) host = socket_->peerName();
    return host.toStdString();
}

void TcpTransport::close() { socket_->abort(); }

bool TcpTransport::open(const InputSetting& setting, std::string& error) {
    close();
    return connectTo(setting.Address, setting.Port, error);
}

TransportStatus TcpTransport::status() const {
    switch (socket_->state()) {
        case QAbstractSocket::ConnectedState: return TransportStatus::Open;
        case QAbstractSocket::UnconnectedState: return TransportStatus::Closed;
        default: return TransportStatus::Opening;
    }
}

bool TcpTransport::connectTo(const std::string& host, int port, std::string& error) {
    // An address the socket refuses outright reports its error inside this
    // call; that is the caller's failure, not a later notification.
    inConnectCall_ = true;
    connectCallError_.clear();
    socket_->connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
    inConnectCall_ = false;
    if (!connectCallError_.isEmpty()) {
        error = connectCallError_.toStdString();
        socket_->abort();
        return false;
    }
    return true;
}

void TcpTransport::onReadyRead() {
    // A feed of many small packets is handed on in pieces gathered over a
    // short while: each hand-over has a cost of its own, whatever its size.
    if (morePosted_) return;
    morePosted_ = true;
    QTimer::singleShot(kGatherMs, this, &TcpTransport::deliverAvailable);
}

void TcpTransport::deliverAvailable() {
    morePosted_ = false;
    // A bounded piece per turn of the event loop: a backlog never holds up
    // the window, and the bounded read buffer lets TCP slow the sender down.
    const QByteArray data = socket_->read(kMaxChunk);
    if (!data.isEmpty()) deliver(std::string_view(data.constData(), static_cast<size_t>(data.size())));
    if (socket_->bytesAvailable() > 0 && !morePosted_) {
        morePosted_ = true;
        QTimer::singleShot(0, this, &TcpTransport::deliverAvailable);
    }
}

void TcpTransport::onError(QAbstractSocket::SocketError error) {
    if (inConnectCall_) {
        connectCallError_ = socket_->errorString();
        return;
    }
    if (error == QAbstractSocket::RemoteHostClosedError) {
        // Whatever arrived with the close is still input (at most the read buffer).
        while (socket_->bytesAvailable() > 0) {
            const QByteArray data = socket_->read(kMaxChunk);
            if (data.isEmpty()) break;
            deliver(std::string_view(data.constData(), static_cast<size_t>(data.size())));
        }
        reportLost({"closed by the server", static_cast<int>(error), true});
        return;
    }
    reportLost({socket_->errorString().toStdString(), static_cast<int>(error), false});
}

}  // namespace input
