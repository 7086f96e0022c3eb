// The port monitor, opened from the main window: what arrives on the input,
// the counters and the connection state, and its buttons.

#include "input/port_monitor.h"
#include "input/port_monitor_window.h"
#include "input/tcp_transport.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

const std::string kAIS = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)));

struct Fixture {
    MainWindow m;
    input::FrmPortMonitor* open() {
        Child<QAction>(m.w, "mnuViewPortMonitor")->trigger();
        return m.w.portMonitor();
    }
    void feed(const std::string& bytes) { m.w.receiver().receive(input::InputKind::Tcp, bytes); }
};

QString label(QWidget* w, const char* name) { return Child<QLabel>(*w, name)->text(); }
QString boxText(QWidget* w) { return Child<QPlainTextEdit>(*w, "txtNMEA")->toPlainText(); }

}  // namespace

class TestFrmPortMonitor : public QObject {
    Q_OBJECT
private slots:
    void showsWhatArrivesOnTheSocket() {
        LocalServer server;
        Fixture f;
        input::CommSettings& c = f.m.w.commSettings();
        c.UseTCP = true;
        c.IPAddress = "127.0.0.1";
        c.IPPort = server.port();
        f.m.w.OpenInput();
        QVERIFY(server.accept());
        QTRY_COMPARE(f.m.w.tcpTransport().state(), int(input::kSocketConnected));
        input::FrmPortMonitor* mon = f.open();
        QCOMPARE(f.open(), mon);  // a second choice shows the same window
        QCOMPARE(mon->panelText(4),
                 QString::fromStdString(input::MonitorSocketState(input::kSocketConnected, "127.0.0.1").text));
        QVERIFY(Child<QTimer>(*mon, "timer_State")->isActive());

        // Six sentences: one NMEA, four AIS, three with a good checksum, two with a bad one.
        const std::string arrived = kAIS + kAIS + kAIS + "$GPGGA,1,2,3*00\r\n!AIVDM,1,1,,A,13aG,0\r\nhello\r\n";
        server.send(arrived);
        QTRY_COMPARE(label(mon, "lblMessages"), QString("6"));
        const input::RunState& st = f.m.w.receiver().state();
        const QStringList counters = {label(mon, "lblNMEACount"), label(mon, "lblAISCount"),
                                      label(mon, "lblCheckSumOK"), label(mon, "lblCheckSumError")};
        QCOMPARE(counters,
                 QStringList({QString::number(st.MonitorNMEACount), QString::number(st.MonitorAISCount),
                              QString::number(st.MonitorChecksumOK), QString::number(st.MonitorChecksumBad)}));
        QCOMPARE(boxText(mon), QString::fromStdString(arrived).remove('\r'));
        QVERIFY(!label(mon, "lblInputBuffer2").isEmpty());
    }

    void freezeClearAndReset() {
        Fixture f;
        input::FrmPortMonitor* mon = f.open();
        const auto feed = [&](const std::string& bytes) {
            f.feed(bytes);
            mon->refresh();
        };
        feed(kAIS);
        auto* freeze = Child<QPushButton>(*mon, "cmdFreeze");
        freeze->click();
        const QString frozen = boxText(mon);
        feed("hello\r\n");
        QCOMPARE(boxText(mon), frozen);
        QCOMPARE(label(mon, "lblMessages"), QString("2"));  // counting goes on
        QCOMPARE(freeze->text(), QString("Continue"));
        freeze->click();
        feed("hello\r\n");
        QVERIFY(boxText(mon).endsWith("hello\n"));

        // After a reset the labels keep their texts until their counter moves.
        Child<QPushButton>(*mon, "cmdResetCounters")->click();
        feed("hello\r\n");
        QCOMPARE(label(mon, "lblMessages"), QString("1"));
        QCOMPARE(label(mon, "lblAISCount"), QString("1"));  // not moved since the reset
        Child<QPushButton>(*mon, "cmdCLS")->click();
        QCOMPARE(boxText(mon), QString());
    }

    void serialLineInThePanelsAndCountingWhileOpen() {
        Fixture f;
        input::CommSettings& c = f.m.w.commSettings();
        c.ComPort = 3, c.BaudRate = 38400, c.DataBits = 8, c.StopBits = 1, c.Parity = "none";
        input::FrmPortMonitor* mon = f.open();
        QCOMPARE(mon->panelText(2), QString("Baud rate :38400"));
        const input::RunState& st = f.m.w.receiver().state();
        QVERIFY(st.PortMonitorOpen);
        f.feed(kAIS);
        QPointer<input::FrmPortMonitor> guard(mon);
        mon->close();
        QTRY_VERIFY(!guard);
        QVERIFY(!st.PortMonitorOpen);
        QCOMPARE(st.MonitorSentenceCount, 0);  // the receiver stops counting for it
        f.feed(kAIS);
        QCOMPARE(st.MonitorSentenceCount, 0);
        QCOMPARE(label(f.open(), "lblMessages"), QString("0"));
    }
};

QTEST_MAIN(TestFrmPortMonitor)
#include "test_frm_port_monitor.moc"
