// The station's further inputs and outputs through the main window: UDP
// datagrams reach the table, every valid sentence reaches a local UDP socket
// and a TCP client as it was received, and a play back rebuilds the table.
#include <QStatusBar>
#include <QUdpSocket>

#include "app/station_transport.h"
#include "input/forward_transport.h"
#include "input/tag_block.h"
#include "targets/extra_info_window.h"
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
        s.Inputs = {{input::InputType::Udp, true, "127.0.0.1", in, 0}, {input::InputType::Udp, false, "x", 1, 0}};
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
        QTRY_COMPARE(m.w.receiver().targets().TargetCount, 4);
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

    // A client that does not read is dropped once 1 MiB waits for it.
    void slowClientIsDropped() {
        input::TcpForwardServer server;
        std::string error;
        QVERIFY(server.listen(0, error));
        QTcpSocket client;
        client.connectToHost("127.0.0.1", server.port());
        QTRY_COMPARE(server.clients(), 1);
        const std::string line = report(257000001);
        for (qint64 sent = 0; sent <= input::TcpForwardServer::kMaxBacklog; sent += static_cast<qint64>(line.size())) {
            server.forward(line);  // no event loop in between: nothing leaves
        }
        QCOMPARE(std::pair(server.clients(), server.dropped()), std::pair(0, 1));
    }

    // A played-back recording gives the table the live input gave.
    void recordingPlaysBackIntoTheSameTable() {
        QTemporaryDir dir;
        const QString file = dir.filePath("rec.nmea");
        MainWindow live;
        QVERIFY(live.w.startRecording(file));
        for (int i = 0; i < 20; ++i) live.w.receiver().receive(input::InputKind::Tcp, report(257000100 + i % 7));
        live.w.stopRecording();
        MainWindow played;
        QVERIFY(played.w.startPlayback(file, 0));
        QTRY_VERIFY(!played.w.station().playing());
        QCOMPARE(played.w.receiver().targets().entry(7).MsgCount, live.w.receiver().targets().entry(7).MsgCount);
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
                m.w.receiver().receive(input::InputKind::Tcp, report(257000001));
                times->setChecked(r.tickedMidway);
                m.w.receiver().receive(input::InputKind::Tcp, report(257000002) + tagged);
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
            QCOMPARE(m.w.receiver().targets().TargetCount, 3);
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
