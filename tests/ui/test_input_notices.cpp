// Notices raised while input is handled (here: the table is full) never wait
// for the operator: input on every road goes on being read while the notice is
// up, and the keyboard stays where the operator is typing.
#include <QToolButton>
#include <QUdpSocket>

#include "station/transports/station_transport.h"
#include "station/transports/tcp_transport.h"
#include "ui/notice_bar.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

// Five reports of stations not seen before, as one datagram or chunk.
std::string fiveNewStations(int32_t& next) {
    std::string out;
    for (int i = 0; i < 5; ++i) out += Join(Sentences(ClassAReport(next++, 55.0, 4.0, 1.0f)));
    return out;
}


}  // namespace

class TestInputNotices : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(TestInputNotices)
#include "test_input_notices.moc"
