// Every kind of input has a transport, and each one, driven only through the
// Transport interface, brings its bytes to its own input of the receiver: a
// real serial device (a pty), a loopback TCP server, a loopback UDP port and
// a file played back. A TCP server that goes away is reported as lost.
#include <QTemporaryDir>
#include <QUdpSocket>
#include <fstream>

#include "station/transports/kinds_transport.h"
#include "station/transports/udp_transport.h"
#include "support/recording_events.h"
#include "window_fixture.h"

using namespace testing_support;

class TestTransportKinds : public QObject {
    Q_OBJECT
private slots:
    void everyKindHasATransport() {
        for (const input::InputKindInfo& k : input::InputKinds()) QVERIFY2(input::MakeTransport(k.kind), k.label);
    }

    void bytesOfEveryKindReachTheirOwnInput() {
        PseudoTerminal pty;
        if (!pty.ok) QSKIP("no pseudo-terminals here");
        LocalServer server;
        QUdpSocket sender;
        base::ManualClock clock;
        RecordingEvents events;
        app::Receiver rx(clock, events);
        const std::string line = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 3.0f)));
        QTemporaryDir dir;
        const std::string file = (dir.path() + "/played.nmea").toStdString();
        QVERIFY(std::ofstream(file, std::ios::binary).write(line.data(), std::streamsize(line.size())));

        struct Row {
            input::InputSetting setting;
            std::function<void(input::Transport&)> send;
        };
        std::vector<Row> rows = {
            {{input::InputKind::Serial, true, pty.name, 0, 38400}, [&](input::Transport&) { QVERIFY(pty.write(line)); }},
            {{input::InputKind::Tcp, true, "127.0.0.1", server.port(), 0},
             [&](input::Transport&) {
                 QVERIFY(server.accept());
                 server.send(line);
             }},
            {{input::InputKind::Udp, true, "127.0.0.1", 0, 0},
             [&](input::Transport& t) {
                 const quint16 port = static_cast<input::UdpTransport&>(t).localPort();
                 sender.writeDatagram(line.data(), qint64(line.size()), QHostAddress::LocalHost, port);
             }},
            {{.Type = input::InputKind::Playback, .Address = file}, [](input::Transport&) {}},
        };
        std::vector<std::unique_ptr<input::Transport>> open;
        std::vector<int> numbers;
        for (Row& r : rows) {
            auto t = input::MakeTransport(r.setting.Type);
            QVERIFY(t);
            const int n = rx.addInput(r.setting.Type);
            t->setBytesHandler([&rx, n](std::string_view b) { rx.takeBytes(n, b); });
            std::string error;
            QVERIFY2(t->open(r.setting, error), error.c_str());
            r.send(*t);
            QTRY_COMPARE(rx.inputCounters(n)->Sentences, int64_t{1});
            open.push_back(std::move(t));
            numbers.push_back(n);
        }
        // Each input counted its own line only; the main input none.
        for (int n : numbers) QCOMPARE(rx.inputCounters(n)->Bytes, int64_t(line.size()));
        QCOMPARE(rx.inputCounters(app::Receiver::kMainInput)->Bytes, int64_t{0});
        QCOMPARE(rx.totals().DecodedMessageCount, int64_t{4});

        // The server ends the connection: the TCP transport says so.
        QString reason;
        open[1]->setLostHandler([&](const input::TransportLoss& why) { reason = QString::fromStdString(why.reason); });
        server.peer->close();
        QTRY_VERIFY(!reason.isEmpty());
        for (auto& t : open) t->close();
        for (auto& t : open) QCOMPARE(t->status(), input::TransportStatus::Closed);
    }
};

QTEST_MAIN(TestTransportKinds)
#include "test_transport_kinds.moc"
