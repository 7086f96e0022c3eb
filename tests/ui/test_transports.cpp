// The TCP and serial transports on their own: a large backlog comes in
// bounded pieces with the event loop running, and a port number without a
// device is refused.
// Delivery end to end is tested through the main window and the setup dialog.
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <string>

#include "input/serial_transport.h"
#include "input/tcp_transport.h"

class TestTransports : public QObject {
    Q_OBJECT
private slots:
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
        QByteArray bulk;
        while (bulk.size() < 4 * 1024 * 1024) bulk += line;
        peer->write(bulk);
        QTRY_COMPARE_WITH_TIMEOUT(total, static_cast<qint64>(bulk.size()), 20000);
        QVERIFY(largest <= input::TcpTransport::kMaxChunk);
        QVERIFY(pieces >= bulk.size() / input::TcpTransport::kMaxChunk);
        QVERIFY(ticksBetween > 0);
    }

    void serialPortWithoutADeviceIsRefused() {
        input::SerialTransport serial;
        serial.setDeviceResolver([](int) { return QString(); });
        std::string error;
        QVERIFY(!serial.open(1, input::SerialLine{38400, 8, 'n', 1}, error));
        QCOMPARE(error, std::string("Port COM1 not found."));
        QVERIFY(!serial.isOpen());
    }
};

QTEST_MAIN(TestTransports)
#include "test_transports.moc"
