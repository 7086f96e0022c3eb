#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include "app/frm_main_window.h"
#include "input/checksum.h"
#include "input/port_monitor_window.h"
#include "input/tcp_transport.h"
#include "support/temp_dir.h"
#include "ui/settings_store.h"
#include "ui/twips.h"

namespace {

std::string WithChecksum(const std::string& body) { return body + "*" + input::NMEAChecksum(body) + "\r\n"; }

const std::string kAIS = WithChecksum("!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0");
const std::string kNMEABad = "$GPGGA,1,2,3*00\r\n";
const std::string kNoStar = "!AIVDM,1,1,,A,13u\r\n";
const std::string kOther = "hello\r\n";

struct Fixture {
    testing_support::TempDir dir;
    ui::SettingsStore settings{QString::fromStdString((dir.path() / "settings.ini").string())};
    base::RecordingMessageSink messages;
    app::FrmMain w{&settings};
    Fixture() {
        w.setMessageSink(&messages);
        input::CommSettings& c = w.commSettings();
        c.ComPort = 3;
        c.BaudRate = 38400;
        c.DataBits = 8;
        c.StopBits = 1;
        c.Parity = "none";
    }
    input::FrmPortMonitor* open() {
        w.findChild<QAction*>("mnuViewPortMonitor")->trigger();
        return w.portMonitor();
    }
    void feed(const std::string& bytes) { w.receiver().receive(input::InputKind::Tcp, bytes); }
};

QString label(QWidget* w, const char* name) { return w->findChild<QLabel*>(name)->text(); }
QStringList counterTexts(QWidget* w) {
    return {label(w, "lblMessages"), label(w, "lblNMEACount"), label(w, "lblAISCount"), label(w, "lblCheckSumOK"),
            label(w, "lblCheckSumError")};
}
QString boxText(QWidget* w) { return w->findChild<QPlainTextEdit*>("txtNMEA")->toPlainText(); }

}  // namespace

class TestFrmPortMonitor : public QObject {
    Q_OBJECT
private slots:
    void opensFromTheMenuAndClosesCleanly() {
        Fixture f;
        QAction* entry = f.w.findChild<QAction*>("mnuViewPortMonitor");
        QVERIFY(entry->isEnabled());
        QCOMPARE(entry->text(), QString("Comport Monitor"));
        input::FrmPortMonitor* m = f.open();
        QVERIFY(m && m->isVisible());
        QCOMPARE(f.open(), m);  // a second choice shows the same window
        QCOMPARE(m->windowTitle(), QString("  Port monitor"));
        QVERIFY(f.w.receiver().state().PortMonitorOpen);
        const double dpi = m->logicalDpiX();
        QCOMPARE(m->pos(), QPoint(ui::pixelsFromTwips(100, dpi), ui::pixelsFromTwips(100, dpi)));
        QCOMPARE(m->size(), QSize(ui::pixelsFromTwips(8000, dpi), ui::pixelsFromTwips(4000, dpi)));
        QCOMPARE(counterTexts(m), QStringList({"0", "0", "0", "0", "0"}));
        QCOMPARE(m->findChild<QPlainTextEdit*>("txtNMEA")->property("Tag").toString(), QString("0"));
        QCOMPARE(m->panelText(1), QString("Comport :3"));
        QCOMPARE(m->panelText(2), QString("Baud rate :38400"));
        QCOMPARE(m->panelText(3), QString("Data bits :8"));
        QCOMPARE(m->panelText(4), QString("Parity : none"));
        QCOMPARE(m->panelText(5), QString("Stop bits :1"));
        QVERIFY(!m->findChild<QTimer*>("timer_State")->isActive());

        f.feed(kAIS);
        m->move(m->pos() + QPoint(30, 20));
        QPointer<input::FrmPortMonitor> guard(m);
        m->close();
        QTRY_VERIFY(!guard);
        QVERIFY(!f.w.receiver().state().PortMonitorOpen);
        QCOMPARE(f.w.receiver().state().MonitorSentenceCount, 0);
        QVERIFY(f.settings.contains("MonitorLeft"));
        QCOMPARE(f.settings.readNumber("MonitorWidth", 0), 8000.0);  // unchanged edge keeps its twips

        // Reopened: the stored place, counters from 0.
        f.feed(kAIS);
        m = f.open();
        QCOMPARE(m->pos(), QPoint(ui::pixelsFromTwips(100, dpi) + 30, ui::pixelsFromTwips(100, dpi) + 20));
        f.feed(kAIS);
        m->refresh();
        QCOMPARE(label(m, "lblMessages"), QString("1"));
    }

    void showsSentencesAndCounters() {
        Fixture f;
        input::FrmPortMonitor* m = f.open();
        f.feed(kAIS + kNMEABad + kNoStar + kOther);
        // Nothing is drawn per sentence; the refresh timer shows them together.
        QCOMPARE(label(m, "lblMessages"), QString("0"));
        QTRY_COMPARE(label(m, "lblMessages"), QString("4"));
        QCOMPARE(counterTexts(m), QStringList({"4", "1", "2", "1", "2"}));
        QCOMPARE(boxText(m), QString::fromStdString(kAIS + kNMEABad + kNoStar + kOther).remove('\r'));
        QCOMPARE(m->findChild<QPlainTextEdit*>("txtNMEA")->property("Tag").toString(), QString("4"));
        QCOMPARE(label(m, "lblInputBuffer2"), QString::fromStdString(kAIS + kNMEABad + kNoStar + kOther));

        // Reset: the labels keep their texts until their counter moves.
        m->findChild<QPushButton*>("cmdResetCounters")->click();
        f.feed(kOther);
        m->refresh();
        QCOMPARE(counterTexts(m), QStringList({"1", "1", "2", "1", "2"}));

        m->findChild<QPushButton*>("cmdCLS")->click();
        QCOMPARE(boxText(m), QString());
        QCOMPARE(m->findChild<QPlainTextEdit*>("txtNMEA")->property("Tag").toString(), QString("0"));
    }

    void freezeKeepsCountingButStopsShowing() {
        Fixture f;
        input::FrmPortMonitor* m = f.open();
        auto* freeze = m->findChild<QPushButton*>("cmdFreeze");
        QCOMPARE(freeze->text(), QString("Freeze"));
        f.feed(kAIS);
        freeze->click();
        QCOMPARE(freeze->text(), QString("Continue"));
        QCOMPARE(freeze->property("Tag").toString(), QString("true"));
        f.feed(kOther);
        m->refresh();
        QCOMPARE(label(m, "lblMessages"), QString("2"));
        const QString frozen = QString::fromStdString(kAIS).remove('\r') + "  \n";
        QCOMPARE(boxText(m), frozen);
        freeze->click();
        QCOMPARE(freeze->text(), QString("Freeze"));
        QCOMPARE(freeze->property("Tag").toString(), QString("false"));
        f.feed(kOther);
        m->refresh();
        QCOMPARE(boxText(m), frozen + "hello\n");
    }

    // A busy feed: the box never holds more than its capacity plus one
    // sentence, and the widgets are updated a few times, not per sentence.
    void busyFeedStaysBounded() {
        Fixture f;
        input::FrmPortMonitor* m = f.open();
        auto* box = m->findChild<QPlainTextEdit*>("txtNMEA");
        QVERIFY(QTest::qWaitForWindowExposed(m));
        const int capacity = m->monitorText().capacity();
        QCOMPARE(capacity, ui::twipsFromPixels(box->height(), m->logicalDpiY()) / 255);
        QVERIFY(capacity > 0);
        std::string chunk;
        for (int i = 0; i < 200; ++i) chunk += kAIS;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 250; ++i) f.feed(chunk);  // 50 000 sentences
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        m->refresh();
        QCOMPARE(label(m, "lblMessages"), QString("50000"));
        QVERIFY(box->blockCount() <= capacity + 2);
        QCOMPARE(m->monitorText().shownCount(), 50000 % (capacity + 1) == 0 ? capacity + 1 : 50000 % (capacity + 1));
        // The input buffer label shows only the start of a large chunk.
        QCOMPARE(label(m, "lblInputBuffer2").size(), qsizetype(input::kMaxShownInputBuffer));
    }

    void tcpStateIsShownLive() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        Fixture f;
        input::CommSettings& c = f.w.commSettings();
        c.UseTCP = true;
        c.IPAddress = "127.0.0.1";
        c.IPPort = server.serverPort();
        f.w.OpenInput();
        QTRY_COMPARE(f.w.tcpTransport().state(), int(input::kSocketConnected));
        input::FrmPortMonitor* m = f.open();
        QCOMPARE(m->panelText(1), QString("TCP/IP"));
        QCOMPARE(m->panelText(2), QString("IP :127.0.0.1"));
        QCOMPARE(m->panelText(3), QString("Port :%1").arg(server.serverPort()));
        QCOMPARE(m->panelText(4), QString("Connected to 127.0.0.1"));
        QCOMPARE(m->panelText(5), QString());
        auto* timer = m->findChild<QTimer*>("timer_State");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 10000);

        f.w.tcpTransport().close();
        m->timer_State_Timer();
        QCOMPARE(m->panelText(4), QString("Closed"));
    }
};

QTEST_MAIN(TestFrmPortMonitor)
#include "test_frm_port_monitor.moc"
