// The TCP and serial transports against real loopback and pseudo-terminal peers.
#include <pty.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <algorithm>
#include <string>

#include "input/serial_transport.h"
#include "input/tcp_transport.h"

class TestTransports : public QObject {
    Q_OBJECT
private slots:
    void tcpDeliversBytesAndReportsStates() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        input::TcpTransport tcp;
        std::string received;
        tcp.setBytesHandler([&](std::string_view b) { received.append(b); });
        QCOMPARE(tcp.state(), input::kSocketClosed);
        QSignalSpy connected(&tcp, &input::TcpTransport::connected);
        std::string error;
        QVERIFY(tcp.connectTo("127.0.0.1", server.serverPort(), error));
        QVERIFY(tcp.state() == input::kSocketConnecting || tcp.state() == input::kSocketResolvingHost);
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        QVERIFY(connected.wait(5000) || connected.count() == 1);
        QCOMPARE(tcp.state(), input::kSocketConnected);

        peer->write("!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24\r\n");
        peer->flush();
        QTRY_COMPARE_WITH_TIMEOUT(received, std::string("!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24\r\n"), 5000);

        QSignalSpy closed(&tcp, &input::TcpTransport::closedByPeer);
        QSignalSpy errors(&tcp, &input::TcpTransport::errorOccurred);
        peer->write("tail\r\n");
        peer->disconnectFromHost();
        QVERIFY(closed.wait(5000));
        QCOMPARE(errors.count(), 0);
        QVERIFY(received.size() >= 6 && received.substr(received.size() - 6) == "tail\r\n");
        tcp.close();
        QCOMPARE(tcp.state(), input::kSocketClosed);
    }

    void tcpBacklogComesInBoundedPiecesWithTheEventLoopRunning() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        input::TcpTransport tcp;
        qint64 total = 0, largest = 0;
        int pieces = 0, ticksBetween = 0, ticks = 0, ticksAtLastPiece = 0;
        tcp.setBytesHandler([&](std::string_view b) {
            total += static_cast<qint64>(b.size());
            largest = std::max<qint64>(largest, static_cast<qint64>(b.size()));
            if (pieces++ > 0 && ticks > ticksAtLastPiece) ++ticksBetween;
            ticksAtLastPiece = ticks;
        });
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start();
        std::string error;
        QVERIFY(tcp.connectTo("127.0.0.1", server.serverPort(), error));
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        const QByteArray line("!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24\r\n");
        const qint64 size = 4 * 1024 * 1024;
        QByteArray bulk;
        while (bulk.size() < size) bulk += line;
        peer->write(bulk);
        QTRY_COMPARE_WITH_TIMEOUT(total, static_cast<qint64>(bulk.size()), 20000);
        QVERIFY(largest <= input::TcpTransport::kMaxChunk);
        QVERIFY(pieces >= bulk.size() / input::TcpTransport::kMaxChunk);
        QVERIFY(ticksBetween > 0);
    }

    void tcpRefusedConnectionIsAnErrorNotification() {
        // A port nobody listens on: take a free one and close it again.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        input::TcpTransport tcp;
        QSignalSpy errors(&tcp, &input::TcpTransport::errorOccurred);
        std::string error;
        QVERIFY(tcp.connectTo("127.0.0.1", port, error));
        QVERIFY(errors.wait(5000));
        QCOMPARE(errors[0][0].toInt(), static_cast<int>(QAbstractSocket::ConnectionRefusedError));
        QVERIFY(!errors[0][1].toString().isEmpty());
    }

    void stateNumbers() {
        using S = QAbstractSocket::SocketState;
        QCOMPARE(input::TcpTransport::StateNumber(S::UnconnectedState), 0);
        QCOMPARE(input::TcpTransport::StateNumber(S::HostLookupState), 4);
        QCOMPARE(input::TcpTransport::StateNumber(S::ConnectingState), 6);
        QCOMPARE(input::TcpTransport::StateNumber(S::ConnectedState), 7);
        QCOMPARE(input::TcpTransport::StateNumber(S::ClosingState), 8);
    }

    void serialDeliversBytesFromAPseudoTerminal() {
        int master = -1, slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) QSKIP("no pseudo-terminals here");
        input::SerialTransport serial;
        serial.setDeviceResolver([&](int port) { return port == 3 ? QString::fromLocal8Bit(name) : QString(); });
        std::string received;
        serial.setBytesHandler([&](std::string_view b) { received.append(b); });
        std::string error;
        QVERIFY(!serial.open(1, input::SerialLine{38400, 8, 'n', 1}, error));
        QCOMPARE(error, std::string("Port COM1 not found."));
        QVERIFY2(serial.open(3, input::SerialLine{38400, 8, 'n', 1}, error), error.c_str());
        QVERIFY(serial.isOpen());
        const std::string line = "!AIVDM,1,1,,B,B52K>;h00Fc>jpUlNV@ikwpUoP06,0*4C\r\n";
        QCOMPARE(::write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        QTRY_COMPARE_WITH_TIMEOUT(received, line, 5000);
        serial.close();
        QVERIFY(!serial.isOpen());
        ::close(slave);
        ::close(master);
    }
};

QTEST_MAIN(TestTransports)
#include "test_transports.moc"
