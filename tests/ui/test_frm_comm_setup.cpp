// The communication setup dialog: filled from the settings, checks on leaving
// a box and on OK, and its choice applied by the main window, which reopens
// the input (a loopback server or a pseudo-terminal at the other end).
#include <QGroupBox>

#include "input/comm_setup.h"
#include "input/comm_setup_dialog.h"
#include "input/serial_transport.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

// Runs `open`, which shows a modal window, and `work` inside it; the window's caption.
QString inModal(const std::function<void()>& open, const std::function<void(QWidget&)>& work) {
    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            title = w->windowTitle();
            work(*w);
        }
    });
    open();
    return title;
}

// A main window with settings the dialog starts from; no serial device behind
// any port number, so nothing touches the machine's ports.
struct Fixture {
    MainWindow m;
    Fixture() {
        m.w.serialTransport().setDeviceResolver([](int) { return QString(); });
        input::CommSettings& c = m.w.commSettings();
        c.ComPort = 2, c.BaudRate = 9600, c.DataBits = 7, c.StopBits = 2, c.Parity = "odd";
        c.UseTCP = true, c.IPAddress = "10.1.2.3", c.IPPort = 5000;
        c.IPListCount = 2, c.IPList[0] = "10.1.2.3", c.IPList[1] = "192.168.1.20";
        input::RunState& st = m.w.receiver().state();
        st.CheckChecksum = true, st.ChecksumErrorCount = 7, st.IgnoredCount = 3;
    }
    static std::vector<std::string> ports() { return {"ttyS0", "ttyUSB0"}; }  // COM1 ttyUSB0, COM2 ttyS0
    std::unique_ptr<input::FrmCommSetup> dialog() {
        return std::make_unique<input::FrmCommSetup>(m.w.commChoice(), m.messages, &m.w, &Fixture::ports);
    }
    // Setup > Comm as the operator chooses it: `edit` works in the modal dialog.
    QString viaMenu(const std::function<void(QWidget&)>& edit) {
        return inModal([this] { Child<QAction>(m.w, "mnuSetupComm")->trigger(); }, edit);
    }
};

}  // namespace

class TestFrmCommSetup : public QObject {
    Q_OBJECT
private slots:
    void opensFilledFromTheSettingsAndRefusesAnIncompleteOK() {
        Fixture f;
        f.m.w.move(40, 30);
        auto d = f.dialog();
        QVERIFY(d->isModal());
        const int offset = ui::pixelsFromTwips(1000, d->logicalDpiX());
        QCOMPARE(d->pos(), f.m.w.pos() + QPoint(offset, offset));
        const std::pair<const char*, const char*> shown[] = {{"cmbComPort", "COM2"}, {"cmbBaudRate", "9600"},
                                                             {"cmbParity", "odd"},   {"cmbIP", "10.1.2.3"}};
        for (auto [name, text] : shown) QCOMPARE(Child<QComboBox>(*d, name)->currentText(), QString(text));
        QCOMPARE(Child<QLineEdit>(*d, "txtPort")->text(), QString("5000"));
        QVERIFY(Child<QCheckBox>(*d, "chkChecksum")->isChecked());
        // The option chooses the frame shown.
        QVERIFY(!Child<QGroupBox>(*d, "frameCOM")->isVisibleTo(d.get()));
        Child<QRadioButton>(*d, "optComm_0")->click();
        QVERIFY(Child<QGroupBox>(*d, "frameCOM")->isVisibleTo(d.get()));
        QVERIFY(!Child<QGroupBox>(*d, "frameTCPIP")->isVisibleTo(d.get()));
        // OK refuses an unchecked address (Enter pressed inside the box).
        Child<QRadioButton>(*d, "optComm_1")->click();
        Child<QComboBox>(*d, "cmbIP")->setEditText("1.2.3.256");
        Child<QPushButton>(*d, "cmdOK")->click();
        QCOMPARE(f.m.lastMessage(), QString("1.2.3.256") + input::kInvalidIPAddressText);
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    // Checks run when the focus really moves, but not when it goes to Cancel.
    void checksFollowTheFocus() {
        Fixture f;
        auto d = f.dialog();
        d->show();
        QApplication::setActiveWindow(d.get());
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        auto* ip = Child<QComboBox>(*d, "cmbIP");
        ip->setFocus(Qt::TabFocusReason);
        ip->setEditText("1.2.3");
        Child<QLineEdit>(*d, "txtPort")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.m.lastMessage(), QString("1.2.3") + input::kInvalidIPAddressText);
        QVERIFY(ip->hasFocus());
        Child<QPushButton>(*d, "cmdCancel")->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f.m.messages.entries.size(), size_t(1));
    }

    void okFromTheMenuAppliesTcpAndReopensTheInput() {
        LocalServer server;
        Fixture f;
        input::CommSettings& c = f.m.w.commSettings();
        c.IPListCount = 10;
        for (int i = 2; i < 10; ++i) c.IPList[size_t(i)] = "10.0.0." + std::to_string(i);
        const QString title = f.viaMenu([&](QWidget& d) {
            Child<QComboBox>(d, "cmbIP")->setEditText("127.0.0.1");
            Child<QLineEdit>(d, "txtPort")->setText(QString::number(server.port()) + "abc");
            Child<QCheckBox>(d, "chkEmptyBuffer")->setChecked(true);
            Child<QCheckBox>(d, "chkChecksum")->setChecked(false);
            Child<QPushButton>(d, "cmdOK")->click();
        });
        QCOMPARE(title, QString("  Communication Setup"));
        QVERIFY2(f.m.messages.entries.empty(), qPrintable(f.m.lastMessage()));
        QCOMPARE(c.IPAddress, std::string("127.0.0.1"));
        QCOMPARE(c.IPPort, server.port());
        QCOMPARE(c.IPList[9], std::string("127.0.0.1"));
        // A test switched off keeps its count and shows n/a.
        QVERIFY(f.m.w.receiver().state().EmptyBuffer);
        QCOMPARE(f.m.w.panelText(4), QString("n/a"));
        QVERIFY(server.accept());
    }

    void cancelFromTheMenuChangesNothing() {
        Fixture f;
        const input::CommSettings before = f.m.w.commSettings();
        f.viaMenu([](QWidget& d) {
            Child<QComboBox>(d, "cmbIP")->setEditText("10.9.9.9");
            FocusOut(Child<QComboBox>(d, "cmbIP"));  // recorded in the dialog's list only
            Child<QRadioButton>(d, "optComm_0")->click();
            Child<QCheckBox>(d, "chkChecksum")->setChecked(false);
            Child<QPushButton>(d, "cmdCancel")->click();
        });
        QVERIFY(f.m.w.commSettings() == before);
        QVERIFY(f.m.w.receiver().state().CheckChecksum);
        QVERIFY(f.m.w.connection().source() == input::InputSource::None);
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
            f.m.w.serialTransport().setDeviceResolver(
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
        QVERIFY2(f.m.w.serialTransport().isOpen(), qPrintable(f.m.lastMessage()));
        // Listing the system's ports leaves the open one alone.
        input::FrmCommSetup::SystemPorts();
        QVERIFY(f.m.w.serialTransport().isOpen());
        QVERIFY(pty.write(Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)))));
        QTRY_COMPARE_WITH_TIMEOUT(f.m.w.receiver().targets().TargetCount, 1, 5000);
        f.m.w.serialTransport().close();
    }
};

QTEST_MAIN(TestFrmCommSetup)
#include "test_frm_comm_setup.moc"
