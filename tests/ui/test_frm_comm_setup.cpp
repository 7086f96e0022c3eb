// The communication setup dialog's choice applied by the main window, which
// reopens the input (a loopback server or a pseudo-terminal at the other end).
#include "station/comm_setup.h"
#include "windows/station/comm_setup_dialog.h"
#include "station/transports/serial_transport.h"
#include "station/transports/station_transport.h"
#include "app/station_menus_window.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

// A main window with settings the dialog starts from; no serial device behind
// any port number, so nothing touches the machine's ports.
struct Fixture {
    MainWindow m;
    Fixture() {
        resolve([](int) { return QString(); });
        input::CommSettings& c = m.w.commSettings();
        c.ComPort = 2, c.BaudRate = 9600, c.DataBits = 7, c.StopBits = 2, c.Parity = "odd";
        c.UseTCP = true, c.IPAddress = "10.1.2.3", c.IPPort = 5000;
        c.IPListCount = 2, c.IPList[0] = "10.1.2.3", c.IPList[1] = "192.168.1.20";
        m.w.receiver().setInputTests({.CheckChecksum = true, .EmptyBuffer = false});
    }
    // The serial transports the station list makes for the main input find
    // their port numbers' devices this way.
    void resolve(input::SerialTransport::DeviceResolver resolver) {
        m.w.stationMenus().station().setPrepare([resolver](input::Transport& t) {
            if (auto* serial = dynamic_cast<input::SerialTransport*>(&t)) serial->setDeviceResolver(resolver);
        });
    }
    static std::vector<std::string> ports() { return {"ttyS0", "ttyUSB0"}; }  // COM1 ttyUSB0, COM2 ttyS0
    std::unique_ptr<input::FrmCommSetup> dialog() {
        return std::make_unique<input::FrmCommSetup>(m.w.commChoice(), m.messages, &m.w, &Fixture::ports);
    }
    // Setup > Comm as the operator chooses it: `edit` works in the modal dialog.
    void viaMenu(const std::function<void(QWidget&)>& edit) {
        QTimer::singleShot(0, [&] { edit(*QApplication::activeModalWidget()); });
        Child<QAction>(m.w, "mnuSetupComm")->trigger();
    }
};

}  // namespace

class TestFrmCommSetup : public QObject {
    Q_OBJECT
private slots:
    void okFromTheMenuAppliesTcpAndReopensTheInput() {
        LocalServer server;
        Fixture f;
        input::CommSettings& c = f.m.w.commSettings();
        c.IPListCount = 10;
        for (int i = 2; i < 10; ++i) c.IPList[size_t(i)] = "10.0.0." + std::to_string(i);
        f.viaMenu([&](QWidget& d) {
            Child<QComboBox>(d, "cmbIP")->setEditText("127.0.0.1");
            Child<QLineEdit>(d, "txtPort")->setText(QString::number(server.port()) + "abc");
            Child<QCheckBox>(d, "chkChecksum")->setChecked(false);
            Child<QPushButton>(d, "cmdOK")->click();
        });
        QVERIFY2(f.m.messages.entries.empty(), qPrintable(f.m.lastMessage()));
        const std::string local = "127.0.0.1";
        QCOMPARE(std::tuple(c.IPAddress, c.IPPort, c.IPList[9]), std::tuple(local, server.port(), local));
        QCOMPARE(f.m.w.panelText(4), QString("n/a"));  // the switched-off test keeps its count
        QVERIFY(server.accept());
    }

    // A pty chosen by number (COM2) or by path in the Device entry: its
    // sentences reach a row.
    void okAppliesSerialAndThePortFeedsTheList_data() {
        QTest::addColumn<bool>("byPath");
        QTest::newRow("COM2") << false;
        QTest::newRow("Device") << true;
    }
    void okAppliesSerialAndThePortFeedsTheList() {
        QFETCH(bool, byPath);
        PseudoTerminal pty;
        if (!pty.ok) QSKIP("no pseudo-terminals here");
        Fixture f;
        if (!byPath) {
            f.resolve(
                [&](int port) { return port == 2 ? QString::fromLocal8Bit(pty.name) : QString(); });
        }
        auto d = f.dialog();
        Child<QRadioButton>(*d, "optComm_0")->click();
        Child<QComboBox>(*d, "cmbComPort")->setCurrentIndex(1);
        QVERIFY(Child<QLabel>(*d, "lblComDevice")->text().contains("ttyS0"));
        Child<QLineEdit>(*d, "txtDevice")->setText(byPath ? QString::fromLocal8Bit(pty.name) : QString());
        Child<QComboBox>(*d, "cmbBaudRate")->setCurrentText("38400");
        Child<QComboBox>(*d, "cmbParity")->setCurrentText("even");
        Child<QPushButton>(*d, "cmdOK")->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        f.m.w.applyCommChoice(d->choice());
        const input::CommSettings& c = f.m.w.commSettings();
        QVERIFY(!c.UseTCP && c.ComPort == 2 && c.BaudRate == 38400 && c.Parity == "even");
        QCOMPARE(c.Device, byPath ? std::string(pty.name) : std::string());
        input::FrmCommSetup::SystemPorts();  // listing the system's ports leaves the open one alone
        QVERIFY2(f.m.w.mainTransport() && f.m.w.mainTransport()->status() == input::TransportStatus::Open,
                 qPrintable(f.m.lastMessage()));
        QVERIFY(pty.write(Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)))));
        QTRY_COMPARE_WITH_TIMEOUT(f.m.w.receiver().targets().TargetCount(), 1, 5000);
        f.m.w.mainTransport()->close();
    }
};

QTEST_MAIN(TestFrmCommSetup)
#include "test_frm_comm_setup.moc"
