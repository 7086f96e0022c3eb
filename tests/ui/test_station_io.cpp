// The station's further inputs and outputs through the main window: UDP
// datagrams reach the table, every valid sentence reaches a local UDP socket
// and a TCP client as it was received, and a play back rebuilds the table.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QStatusBar>
#include <QUdpSocket>
#include <atomic>
#include <chrono>
#include <thread>

#include "station/transports/station_transport.h"
#include "station/transports/forward_transport.h"
#include "sentence/tag_block.h"
#include "windows/targets/extra_info_window.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

int freeUdpPort() {
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

int freeTcpPort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

std::string report(int32_t mmsi) { return Join(Sentences(ClassAReport(mmsi, 59.5, 5.25, 3.0f))); }

// A blocking loopback client of port; receiveBuffer > 0 makes its receive
// buffer that small (a client that falls behind soon).
int connectedSocket(int port, int receiveBuffer) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 ? fd : -1;
}

// The flood's threads, stopped and joined however the test ends.
struct Threads {
    int reading;
    std::atomic<bool>& stop;
    std::thread reader, flood;
    void stopFlood() {
        stop = true;
        if (flood.joinable()) flood.join();
    }
    ~Threads() {
        stopFlood();
        ::shutdown(reading, SHUT_RDWR);
        if (reader.joinable()) reader.join();
        ::close(reading);
    }
};

}  // namespace

class TestStationIo : public QObject {
    Q_OBJECT
private slots:
    void datagramsReachTheTableAndValidSentencesGoOn() {
        MainWindow m;
        const int in = freeUdpPort(), out = freeUdpPort(), tcp = freeTcpPort();
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress::LocalHost, static_cast<quint16>(out)));
        input::StationSettings s;
        s.Inputs = {{input::InputKind::Udp, true, "127.0.0.1", in, 0}, {input::InputKind::Udp, false, "x", 1, 0}};
        s.Outputs = {true, "127.0.0.1", out, true, tcp, false};
        m.w.applyStationSettings(s);
        QVERIFY(m.messages.entries.empty());

        QTcpSocket client;
        client.connectToHost("127.0.0.1", static_cast<quint16>(tcp));
        QVERIFY(client.waitForConnected(5000));
        QTRY_COMPARE(m.w.station().tcpOutput()->clients(), 1);

        // One datagram with one sentence, one with three (the first tagged),
        // one cut, and garbage.
        const std::string tagged = input::FormatTagBlock("rx9", 1700000000) + report(257000001);
        const std::string three = tagged + report(257000002) + report(257000003);
        QUdpSocket sender;
        for (const std::string& d : {report(257000004), three, report(257000005).substr(0, 30), std::string("\x01\x02")}) {
            sender.writeDatagram(d.data(), static_cast<qint64>(d.size()), QHostAddress::LocalHost,
                                 static_cast<quint16>(in));
        }
        QTRY_COMPARE(m.w.receiver().targets().TargetCount(), 4);
        const int n = m.w.station().inputLabels().front().first;
        QTRY_COMPARE(m.w.receiver().inputCounters(n)->CutOffBytes, int64_t{32});
        m.w.showExtraInfo(2);
        QCOMPARE(Child<QLabel>(*m.w.extraInfoWindows().window(2), "lblSource")->text(), QString("rx9"));

        const std::string expected = report(257000004) + three;
        QByteArray udpGot;
        QTRY_VERIFY((udpGot += [&] {
                        QByteArray all;
                        while (listener.hasPendingDatagrams()) {
                            QByteArray d(static_cast<int>(listener.pendingDatagramSize()), 0);
                            listener.readDatagram(d.data(), d.size());
                            all += d;
                        }
                        return all;
                    }(), udpGot.size() >= static_cast<int>(expected.size())));
        QCOMPARE(udpGot.toStdString(), expected);
        QByteArray tcpGot;
        QTRY_VERIFY((tcpGot += client.readAll(), tcpGot.size() >= static_cast<int>(expected.size())));
        QCOMPARE(tcpGot.toStdString(), expected);
    }

    // A UDP flood at the pace of 100,000 sentences a second (for at least two
    // seconds, until the client that never reads is dropped; 30 s at most),
    // forwarded on TCP: a client that reads as it comes gets every byte and is
    // never dropped; the one that never reads is. The port listens on this
    // computer only unless every interface is chosen.
    void readingClientKeepsUpWithAFloodAndANonReaderIsDropped() {
        MainWindow m;
        const int in = freeUdpPort(), tcp = freeTcpPort();
        input::StationSettings s;
        s.Inputs = {{input::InputKind::Udp, true, "127.0.0.1", in, 0}};
        s.Outputs.TcpEnabled = true;
        s.Outputs.TcpPort = tcp;
        m.w.applyStationSettings(s);
        QVERIFY2(m.messages.entries.empty(), qPrintable(m.lastMessage()));
        input::TcpForwardServer* server = m.w.station().tcpOutput();
        QCOMPARE(server->address(), QHostAddress(QHostAddress::LocalHost));
        const int reading = connectedSocket(tcp, 0), idle = connectedSocket(tcp, 4096);
        QTRY_COMPARE(server->clients(), 2);

        // Datagrams of five sentences.
        std::vector<std::string> datagrams;
        for (int i = 0; i < 200; ++i) {
            std::string d;
            for (int k = 0; k < 5; ++k) d += report(257000000 + (5 * i + k) % 700);
            datagrams.push_back(std::move(d));
        }
        std::atomic<int64_t> got{0}, sent{0};
        std::atomic<bool> stop{false};
        Threads threads{reading, stop};
        threads.reader = std::thread([&] {
            std::vector<char> buffer(1 << 16);
            for (ssize_t n; (n = ::recv(reading, buffer.data(), buffer.size(), 0)) > 0;) got += n;
        });
        const auto start = std::chrono::steady_clock::now();
        const auto seconds = [start] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        threads.flood = std::thread([&] {
            const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(static_cast<uint16_t>(in));
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            for (size_t i = 0; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
                for (const auto due = static_cast<int64_t>(seconds() * 100000); sent < due; ++i, sent += 5) {
                    const std::string& d = datagrams[i % datagrams.size()];
                    ::sendto(fd, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
                }
            }
            ::close(fd);
        });
        QTRY_VERIFY_WITH_TIMEOUT(server->dropped() == 1 && seconds() >= 2, 30000);
        const double flooded = seconds();
        threads.stopFlood();
        const int n = m.w.station().inputLabels().front().first;
        // Every sentence the program read went on to the reading client
        // (the counters are a value: read again until the last datagrams are in).
        QTRY_VERIFY_WITH_TIMEOUT(got == m.w.receiver().inputCounters(n)->SentenceBytes, 10000);
        const input::InputCounters c = *m.w.receiver().inputCounters(n);
        qInfo("flood of %.1f s: %lld sentences sent, %lld read (%.0f a second), %lld bytes to the reading client",
              flooded, static_cast<long long>(sent.load()), static_cast<long long>(c.Sentences),
              static_cast<double>(c.Sentences) / flooded, static_cast<long long>(got.load()));
        QCOMPARE(std::pair(server->clients(), server->dropped()), std::pair(1, 1));
        ::close(idle);

        s.Outputs.TcpListenAddress = input::kAllInterfaces;
        m.w.applyStationSettings(s);
        QCOMPARE(m.w.station().tcpOutput()->address(), QHostAddress(QHostAddress::AnyIPv4));
    }

    // "Record with reception times": ticked, an untagged sentence gets its
    // time, unticked it does not, also when changed during a recording; a
    // tagged one is kept as it came. The choice is kept for the next run.
    void recordingFollowsTheReceptionTimesChoice() {
        const struct Row {
            bool ticked, tickedMidway;
            int timedFirst, timedSecond;  // untagged lines that got a time
        } rows[] = {{true, true, 1, 1}, {false, false, 0, 0}, {true, false, 1, 0}, {false, true, 0, 1}};
        for (const Row& r : rows) {
            QTemporaryDir dir;
            ui::SettingsStore store(dir.filePath("settings.ini"));
            const QString file = dir.filePath("rec.nmea");
            const std::string tagged = input::FormatTagBlock("rx9", 1700000000) + report(257000003);
            {
                MainWindow m(&store);
                QAction* times = Child<QAction>(m.w, "mnuFileRecordTimes");
                times->setChecked(r.ticked);
                QVERIFY(m.w.startRecording(file));
                m.w.receiver().takeBytes(app::Receiver::kMainInput, report(257000001));
                times->setChecked(r.tickedMidway);
                m.w.receiver().takeBytes(app::Receiver::kMainInput, report(257000002) + tagged);
                m.w.stopRecording();
            }
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QList<QByteArray> lines = f.readAll().split('\n');
            QCOMPARE(lines.size(), 4);  // three and the empty rest
            QCOMPARE(int(lines[0].startsWith("\\c:")), r.timedFirst);
            QCOMPARE(int(lines[1].startsWith("\\c:")), r.timedSecond);
            QCOMPARE(lines[2].toStdString() + "\n", tagged);
            MainWindow next(&store);
            QCOMPARE(Child<QAction>(next.w, "mnuFileRecordTimes")->isChecked(), r.tickedMidway);
        }
    }

    // One far-future time in a played-back file: the gap is skipped and told
    // in the status bar (no box), the file plays to its end at once; the
    // longest gap is a kept choice of the play back menu.
    void playbackSkipsABreakInTheTimes() {
        QTemporaryDir dir;
        ui::SettingsStore store(dir.filePath("settings.ini"));
        const QString file = dir.filePath("future.nmea");
        std::string text;
        int32_t mmsi = 257000001;
        for (int64_t t : {int64_t{1700000000}, int64_t{2700000000}, int64_t{1700000001}})
            text += input::FormatTagBlock("", t) + report(mmsi++);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        f.close();
        {
            MainWindow m(&store);
            QVERIFY(m.w.startPlayback(file, 1));
            QTRY_VERIFY(!m.w.station().playing());
            QCOMPARE(m.w.receiver().targets().TargetCount(), 3);
            QCOMPARE(m.w.statusBar()->currentMessage(), QString("Play back: gap of 1000000000 s skipped"));
            QVERIFY(m.messages.entries.empty());
            Child<QAction>(m.w, "mnuFilePlaybackMaxGap_60")->trigger();
        }
        MainWindow next(&store);
        QVERIFY(Child<QAction>(next.w, "mnuFilePlaybackMaxGap_60")->isChecked());
        QVERIFY(!Child<QAction>(next.w, "mnuFilePlaybackMaxGap_600")->isChecked());
    }
};

QTEST_MAIN(TestStationIo)
#include "test_station_io.moc"
