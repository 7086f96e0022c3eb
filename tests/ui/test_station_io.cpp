// The station's inputs and outputs through the main window: inputs of every
// kind, forwarding, recording and play back, the port monitor, and notices
// raised while input is handled, which never wait for the operator.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QNetworkDatagram>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUdpSocket>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/web_view_keeper_window.h"
#include "sentence/tag_block.h"
#include "station/transports/forward_transport.h"
#include "station/transports/kinds_transport.h"
#include "station/transports/station_transport.h"
#include "station/transports/tcp_transport.h"
#include "station/transports/udp_transport.h"
#include "support/recording_events.h"
#include "ui/notice_bar.h"
#include "windows/station/port_monitor_window.h"
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
    const sockaddr_in to{.sin_family = AF_INET, .sin_port = htons(static_cast<uint16_t>(port)),
                         .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
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

// Five reports of stations not seen before, as one datagram or chunk.
std::string fiveNewStations(int32_t& next) {
    std::string out;
    for (int i = 0; i < 5; ++i) out += Join(Sentences(ClassAReport(next++, 55.0, 4.0, 1.0f)));
    return out;
}

}  // namespace

class TestStationIo : public QObject {
    Q_OBJECT
private slots:
    void bytesOfEveryKindReachTheirOwnInput() {
        PseudoTerminal pty;
        if (!pty.ok) QSKIP("no pseudo-terminals here");
        LocalServer server;
        QUdpSocket sender;
        base::ManualClock clock;
        RecordingEvents events;
        app::Receiver rx(clock, events);
        const std::string line = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 3.0f)));
        TempDir dir;
        const std::string file = WriteFile(dir, "played.nmea", line).toStdString();

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
        QCOMPARE(rows.size(), input::InputKinds().size());  // a row for every kind
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
        for (auto& t : open) t->close();
        for (auto& t : open) QCOMPARE(t->status(), input::TransportStatus::Closed);
    }

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
        const auto allDatagrams = [&] {
            while (listener.hasPendingDatagrams()) udpGot += listener.receiveDatagram().data();
            return udpGot.size() >= qsizetype(expected.size());
        };
        QTRY_VERIFY(allDatagrams());
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
        s.Outputs = {.TcpEnabled = true, .TcpPort = tcp};
        m.w.applyStationSettings(s);
        QVERIFY2(m.messages.entries.empty(), qPrintable(m.lastMessage()));
        input::TcpForwardServer* server = m.w.station().tcpOutput();
        QCOMPARE(server->address(), QHostAddress(QHostAddress::LocalHost));
        const int reading = connectedSocket(tcp, 0), idle = connectedSocket(tcp, 4096);
        QTRY_COMPARE(server->clients(), 2);

        std::vector<std::string> datagrams;
        for (int i = 0; i < 200; ++i) {
            std::string d;
            for (int k = 0; k < 5; ++k) d += report(257000000 + (5 * i + k) % 700);
            datagrams.push_back(std::move(d));
        }
        std::atomic<int64_t> got{0}, sent{0};
        std::atomic<bool> stop{false};
        Threads threads{reading, stop, {}, {}};
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
            const sockaddr_in to{.sin_family = AF_INET, .sin_port = htons(static_cast<uint16_t>(in)),
                                 .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
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
    // While recording, "REC hh:mm:ss · size" follows the file; it goes when
    // the recording stops.
    void recordingFollowsTheReceptionTimesChoice() {
        const struct Row {
            bool ticked, tickedMidway;
            int timedFirst, timedSecond;  // untagged lines that got a time
        } rows[] = {{true, true, 1, 1}, {false, false, 0, 0}, {true, false, 1, 0}, {false, true, 0, 1}};
        for (const Row& r : rows) {
            StoredSettings settings;
            TempDir dir;
            const std::string tagged = input::FormatTagBlock("rx9", 1700000000) + report(257000003);
            {
                MainWindow m(&settings.store);
                auto* label = Child<QLabel>(m.w, "lblStationActivity");
                QVERIFY(label->isHidden());
                QAction* times = Child<QAction>(m.w, "mnuFileRecordTimes");
                times->setChecked(r.ticked);
                QVERIFY(m.w.startRecording(QString::fromStdString((dir / "rec.nmea").string())));
                QCOMPARE(label->text(), QString::fromUtf8("REC 00:00:00 \u00B7 0 B"));
                m.w.receiver().takeBytes(app::Receiver::kMainInput, report(257000001));
                times->setChecked(r.tickedMidway);
                m.w.receiver().takeBytes(app::Receiver::kMainInput, report(257000002) + tagged);
                QTRY_VERIFY(!label->isHidden() && !label->text().endsWith(" 0 B"));
                m.w.stopRecording();
                QVERIFY(label->isHidden());
            }
            const QList<QByteArray> lines = QByteArray::fromStdString(dir.read("rec.nmea")).split('\n');
            QCOMPARE(lines.size(), 4);  // three and the empty rest
            QCOMPARE(int(lines[0].startsWith("\\c:")), r.timedFirst);
            QCOMPARE(int(lines[1].startsWith("\\c:")), r.timedSecond);
            QCOMPARE(lines[2].toStdString() + "\n", tagged);
            MainWindow next(&settings.store);
            QCOMPARE(Child<QAction>(next.w, "mnuFileRecordTimes")->isChecked(), r.tickedMidway);
        }
    }

    // The play back bar: time of day and progress of the feed, pause, and a
    // seek that goes on at the line after the slider's place, no line between.
    void playbackBarShowsProgressPausesAndSeeks() {
        TempDir dir;
        const int64_t start = 1796650000;  // 2026-12-07, UNIX seconds
        std::string text;
        std::vector<size_t> offsets;
        for (int i = 0; i < 200; ++i) {
            offsets.push_back(text.size());
            text += input::FormatTagBlock("", start + i) + Join(Sentences(ClassAReport(257000000 + i, 59.5, 5.25, 8.0f)));
        }
        const QString path = WriteFile(dir, "feed.nmea", text);
        MainWindow m;
        auto* bar = Child<QToolBar>(m.w, "tbPlayback");
        QVERIFY(bar->isHidden());
        QVERIFY(m.w.startPlayback(path, 1));
        QVERIFY(!bar->isHidden());
        const auto timeOfDay = [](int64_t t) { return QDateTime::fromSecsSinceEpoch(t).time().toString("hh:mm:ss"); };
        QCOMPARE(Child<QLabel>(*bar, "lblPlaybackTime")->text(), timeOfDay(start));
        Child<QToolButton>(*bar, "cmdPlaybackPause")->click();
        QVERIFY(m.w.station().playbackPaused());
        auto* status = Child<QLabel>(m.w, "lblStationActivity");
        QVERIFY2(status->text().startsWith(QString::fromUtf8("Paused \u2014 ") + timeOfDay(start)), qPrintable(status->text()));

        Child<QSlider>(*bar, "sldPlayback")->setValue(500);
        const double fraction = m.w.station().playbackFraction();
        QVERIFY2(fraction > 0.49 && fraction < 0.51, qPrintable(QString::number(fraction)));
        QCOMPARE(Child<QLabel>(*bar, "lblPlaybackProgress")->text(), QString("%1 %").arg(int(fraction * 100)));
        // The first whole line after the middle of the file comes next.
        const size_t middle = text.size() / 2;
        const int next = static_cast<int>(std::lower_bound(offsets.begin(), offsets.end(), middle) - offsets.begin());
        auto& table = m.w.receiver().targets();
        Child<QToolButton>(*bar, "cmdPlaybackPause")->click();
        QVERIFY(!m.w.station().playbackPaused());
        QTRY_VERIFY(table.FindTarget(257000000 + next, 1) != 0);
        QCOMPARE(table.FindTarget(257000000 + next - 1, 1), 0);
        QCOMPARE(table.TargetCount(), int16_t(2));  // line 0 before the pause, then `next`
        QTRY_VERIFY2(status->text().startsWith(QString::fromUtf8("Playing 1\u00D7 \u2014 ")), qPrintable(status->text()));

        // Speed from the bar is the menu's choice.
        auto* speed = Child<QComboBox>(*bar, "cboPlaybackSpeed");
        speed->setCurrentIndex(3);
        emit speed->activated(3);
        QCOMPARE(m.w.station().playbackSpeed(), 0.0);
        QVERIFY(Child<QAction>(m.w, "mnuFilePlaybackSpeed_0")->isChecked());
        QTRY_VERIFY(!m.w.station().playing());
        QVERIFY(bar->isHidden());
    }

    // The port monitor, opened from the menu (a second choice shows the same
    // window): the sentences as they arrived, and the counters of the chosen
    // input(s), following a change of the choice at once.
    void portMonitorShowsTheChosenInput() {
        MainWindow m;
        std::string error;
        const int port = m.w.station().addSessionUdpInput(error);
        QVERIFY2(port > 0, error.c_str());
        QAction* menu = Child<QAction>(m.w, "mnuViewPortMonitor");
        menu->trigger();
        input::FrmPortMonitor* mon = m.w.portMonitor();
        menu->trigger();
        QCOMPARE(m.w.portMonitor(), mon);
        // Six sentences: one NMEA, four AIS, three with a good checksum, two with a bad one.
        const std::string ais = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)));
        const std::string arrived = ais + ais + ais + "$GPGGA,1,2,3*00\r\n!AIVDM,1,1,,A,13aG,0\r\nhello\r\n";
        m.w.receiver().takeBytes(app::Receiver::kMainInput, arrived);
        QTRY_COMPARE(Child<QPlainTextEdit>(*mon, "txtNMEA")->toPlainText(), QString::fromStdString(arrived).remove('\r'));
        const int udp = m.w.station().inputLabels().back().first;
        m.w.receiver().takeBytes(udp, ais + ais);
        auto* choice = Child<QComboBox>(*mon, "cboInput");
        const auto shown = [&] {
            QStringList out;
            for (const char* name : {"lblMessages", "lblNMEACount", "lblAISCount", "lblCheckSumOK", "lblCheckSumError"}) {
                out << Child<QLabel>(*mon, name)->text();
            }
            return out;
        };
        const struct {
            int input;
            QStringList counters;
        } rows[] = {{-1, {"8", "1", "6", "5", "2"}}, {0, {"6", "1", "4", "3", "2"}}, {udp, {"2", "0", "2", "2", "0"}}};
        for (const auto& r : rows) {
            choice->setCurrentIndex(choice->findData(r.input));
            QTRY_COMPARE(shown(), r.counters);
        }
        Child<QPushButton>(*mon, "cmdResetCounters")->click();
        m.w.receiver().takeBytes(udp, ais);
        QTRY_COMPARE(Child<QLabel>(*mon, "lblMessages")->text(), QString("1"));
    }

    void tableFullOnUdpAndTcpNeitherStopsInputNorTakesTheKeyboard() {
        app::FrmMain w;  // real message boxes
        targets::LifecycleSettings small = w.receiver().targets().lifecycle();
        small.capacity = 20;
        w.receiver().targets().setLifecycle(small);
        LocalServer server;
        input::CommSettings& c = w.commSettings();
        c.UseTCP = true, c.IPAddress = "127.0.0.1", c.IPPort = server.port();
        w.load(true);
        QVERIFY(server.accept());
        QTRY_COMPARE(w.mainTransport()->stateNumber(), int(input::kSocketConnected));
        std::string error;
        const int udpPort = w.station().addSessionUdpInput(error);
        QVERIFY2(udpPort > 0, error.c_str());
        const int udpInput = w.station().inputLabels().back().first;

        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* find = Child<QLineEdit>(w, "txtFind");
        QTest::keySequence(&w, QKeySequence::Find);
        QVERIFY(find->hasFocus());

        // A modal box would run its own loop: the probe sees it there and closes it.
        bool modalSeen = false;
        QTimer probe;
        probe.setInterval(0);
        connect(&probe, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modalSeen = true;
                modal->close();
            }
        });
        probe.start();

        constexpr int kRounds = 30, kDatagrams = 10;
        QUdpSocket sender;
        int32_t next = 211000000;
        QString typed;
        for (int round = 0; round < kRounds; ++round) {
            for (int d = 0; d < kDatagrams; ++d) {
                const std::string datagram = fiveNewStations(next);
                sender.writeDatagram(datagram.data(), qint64(datagram.size()), QHostAddress::LocalHost,
                                     quint16(udpPort));
            }
            server.send(fiveNewStations(next));
            QTest::qWait(10);
            // The operator types on into the find box while the notice is up.
            QCOMPARE(QApplication::activeWindow(), &w);
            QCOMPARE(QApplication::focusWidget(), find);
            const char digit = char('0' + round % 10);
            QTest::keyClick(QApplication::focusWidget(), digit);
            typed += QChar(digit);
        }
        // Everything the kernel delivered was read, on both roads.
        QTRY_COMPARE(w.receiver().inputCounters(udpInput)->Sentences, int64_t{kRounds * kDatagrams * 5});
        QTRY_COMPARE(w.receiver().inputCounters(app::Receiver::kMainInput)->Sentences, int64_t{kRounds * 5});
        QCOMPARE(w.receiver().targets().TargetCount(), 20);
        QCOMPARE(find->text(), typed);
        QVERIFY(!modalSeen);

        // One notice, in the window's notice bar.
        auto* bar = Child<ui::NoticeBar>(w, "noticeBar");
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->notices().size(), 1);
        QVERIFY(bar->notices()[0].contains("Maximum limit AIS targets"));
        // The same notice again is not added twice; another one is.
        const QStringList full = bar->notices()[0].split(": ");
        w.notice(base::MessageIcon::Information, full[0].toStdString(), full.mid(1).join(": ").toStdString());
        w.notice(base::MessageIcon::Exclamation, "AIS message log", "Messages can not be written");
        QTRY_COMPARE(bar->notices().size(), 2);
        // Closed by a click, which leaves the keyboard where it was.
        QTest::mouseClick(bar->findChildren<QToolButton*>("cmdCloseNotice").front(), Qt::LeftButton);
        QCOMPARE(bar->notices(), QStringList("AIS message log: Messages can not be written"));
        QCOMPARE(QApplication::focusWidget(), find);
        // Terminated with a notice up: nothing waits, the bar empties.
        w.stop();
        QVERIFY(!bar->isVisible());
    }

    // One far-future time in a played-back file: the gap is skipped and told
    // in the status bar (no box), the file plays to its end at once; the
    // longest gap is a kept choice of the play back menu. Then Options > Web
    // view: the program serves its table once enabled; the dialog's choice is
    // stored and applied without blocking the input. (Neither choice is read
    // by the other; the played stations sit in the table beside the one asked for.)
    void playbackSkipsABreakAndTheWebViewServesTheTable() {
        TempDir dir;
        ui::SettingsStore settings(QString::fromStdString((dir.path() / "Orvanta.conf").string()));
        LoadedWindow w(&settings);
        std::string text;
        int32_t mmsi = 257000001;
        for (int64_t t : {int64_t{1700000000}, int64_t{2700000000}, int64_t{1700000001}})
            text += input::FormatTagBlock("", t) + report(mmsi++);
        QVERIFY(w.w.startPlayback(WriteFile(dir, "future.nmea", text), 1));
        QTRY_VERIFY(!w.w.station().playing());
        QCOMPARE(w.w.receiver().targets().TargetCount(), 3);
        QCOMPARE(w.w.statusBar()->currentMessage(), QString("Play back: gap of 1000000000 s skipped"));
        QVERIFY(w.messages.entries.empty());
        Child<QAction>(w.w, "mnuFilePlaybackMaxGap_60")->trigger();

        QVERIFY(!w.w.webView().serving());
        QTimer::singleShot(0, [&] {
            auto* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            Child<QCheckBox>(*dialog, "chkWebView")->setChecked(true);
            Child<QSpinBox>(*dialog, "txtWebPort")->setValue(freeTcpPort());
            QCOMPARE(Child<QLabel>(*dialog, "lblWebLink")->text().left(17), QString("http://127.0.0.1:"));
            Child<QPushButton>(*dialog, "cmdOK")->click();
        });
        Child<QAction>(w.w, "mnuOptionsWebView")->trigger();
        QTRY_VERIFY(w.w.webView().serving());
        QVERIFY(settings.readNumber("WebViewEnabled", 0) == 1);
        w.feed(ClassAReport(257123456, 59.5, 5.25, 3.0f));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, w.w.webView().port());
        QVERIFY(client.waitForConnected(5000));
        client.write("GET /api/targets HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        QByteArray reply;
        QTRY_VERIFY_WITH_TIMEOUT((reply += client.readAll(), reply.contains("\"MMSI\":257123456")), 5000);
        QVERIFY(reply.startsWith("HTTP/1.1 200 OK"));
        // The settings hold the access token: no one but their owner reads them,
        // before and after the program writes them again.
        const auto mode = [&] {
            struct stat st {};
            return ::stat((dir.path() / "Orvanta.conf").c_str(), &st) == 0 ? (st.st_mode & 0777) : 0777u;
        };
        QCOMPARE(mode(), 0600u);
        settings.writeNumber("WebViewPort", 8081);
        settings.sync();
        QCOMPARE(mode(), 0600u);
        MainWindow next(&settings);
        QVERIFY(Child<QAction>(next.w, "mnuFilePlaybackMaxGap_60")->isChecked());
        QVERIFY(!Child<QAction>(next.w, "mnuFilePlaybackMaxGap_600")->isChecked());
    }
};

QTEST_MAIN(TestStationIo)
#include "test_station_io.moc"
