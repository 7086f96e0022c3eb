// The port monitor, opened from the main window: what arrives on the socket
// and the counters.
#include "station/transports/station_transport.h"
#include "windows/station/port_monitor_window.h"
#include "station/transports/tcp_transport.h"
#include "window_fixture.h"

using namespace testing_support;

class TestFrmPortMonitor : public QObject {
    Q_OBJECT
private slots:
    void showsWhatArrivesOnTheSocket() {
        LocalServer server;
        MainWindow m;
        input::CommSettings& c = m.w.commSettings();
        c.UseTCP = true, c.IPAddress = "127.0.0.1", c.IPPort = server.port();
        m.w.OpenInput();
        QVERIFY(server.accept());
        QTRY_COMPARE(m.w.mainTransport()->stateNumber(), int(input::kSocketConnected));
        QAction* menu = Child<QAction>(m.w, "mnuViewPortMonitor");
        menu->trigger();
        input::FrmPortMonitor* mon = m.w.portMonitor();
        menu->trigger();
        QCOMPARE(m.w.portMonitor(), mon);  // a second choice shows the same window

        // Six sentences: one NMEA, four AIS, three with a good checksum, two with a bad one.
        const std::string ais = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)));
        const std::string arrived = ais + ais + ais + "$GPGGA,1,2,3*00\r\n!AIVDM,1,1,,A,13aG,0\r\nhello\r\n";
        server.send(arrived);
        const auto label = [&](const char* name) { return Child<QLabel>(*mon, name)->text(); };
        QTRY_COMPARE(label("lblMessages"), QString("6"));
        QCOMPARE(QStringList({label("lblNMEACount"), label("lblAISCount"), label("lblCheckSumOK"),
                              label("lblCheckSumError")}),
                 QStringList({"1", "4", "3", "2"}));
        QCOMPARE(Child<QPlainTextEdit>(*mon, "txtNMEA")->toPlainText(), QString::fromStdString(arrived).remove('\r'));
    }
    // With another input, the counters show what the chosen input(s) gave,
    // and follow a change of the choice at once.
    void countersShowTheChosenInput() {
        MainWindow m;
        std::string error;
        const int port = m.w.station().addSessionUdpInput(error);
        QVERIFY2(port > 0, error.c_str());
        Child<QAction>(m.w, "mnuViewPortMonitor")->trigger();
        input::FrmPortMonitor* mon = m.w.portMonitor();
        const std::string ais = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)));
        m.w.receiver().takeBytes(app::Receiver::kMainInput, ais + "$GPGGA,1,2,3*00\r\n");
        const int udp = m.w.station().inputLabels().back().first;
        m.w.receiver().takeBytes(udp, ais + ais + ais);
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
        } rows[] = {{-1, {"5", "1", "4", "4", "1"}}, {0, {"2", "1", "1", "1", "1"}}, {udp, {"3", "0", "3", "3", "0"}}};
        for (const auto& r : rows) {
            choice->setCurrentIndex(choice->findData(r.input));
            QTRY_COMPARE(shown(), r.counters);
        }
        Child<QPushButton>(*mon, "cmdResetCounters")->click();
        m.w.receiver().takeBytes(udp, ais);
        QTRY_COMPARE(Child<QLabel>(*mon, "lblMessages")->text(), QString("1"));
    }
};

QTEST_MAIN(TestFrmPortMonitor)
#include "test_frm_port_monitor.moc"
