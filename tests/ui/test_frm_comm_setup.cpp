#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <pty.h>
#include <unistd.h>

#include "app/frm_main_window.h"
#include "input/comm_setup.h"
#include "input/comm_setup_dialog.h"
#include "input/serial_transport.h"
#include "ui/twips.h"

namespace {

// A main window that shows no modal boxes, with settings the dialog starts from.
struct Fixture {
    base::RecordingMessageSink messages;
    app::FrmMain w;
    Fixture() {
        w.setMessageSink(&messages);
        // No serial device behind any number: opening a port fails without touching the machine's ports.
        w.serialTransport().setDeviceResolver([](int) { return QString(); });
        input::CommSettings& c = w.commSettings();
        c.ComPort = 2;
        c.BaudRate = 9600;
        c.DataBits = 7;
        c.StopBits = 2;
        c.Parity = "odd";
        c.UseTCP = true;
        c.IPAddress = "10.1.2.3";
        c.IPPort = 5000;
        c.IPListCount = 2;
        c.IPList[0] = "10.1.2.3";
        c.IPList[1] = "192.168.1.20";
        w.receiver().state().CheckChecksum = true;
        w.receiver().state().ChecksumErrorCount = 7;
        w.receiver().state().IgnoredCount = 3;
    }
    static std::vector<std::string> ports() { return {"ttyS0", "ttyUSB0"}; }  // COM1 ttyUSB0, COM2 ttyS0
    // A dialog as Setup > Comm opens it: OK applies the choice to the main window.
    std::unique_ptr<input::FrmCommSetup> dialog() {
        auto d = std::make_unique<input::FrmCommSetup>(w.commChoice(), messages, &w, &Fixture::ports);
        QObject::connect(d.get(), &QDialog::accepted, &w, [this, p = d.get()] { w.applyCommChoice(p->choice()); });
        return d;
    }
    QString lastMessage() const {
        return messages.entries.empty() ? QString() : QString::fromStdString(messages.entries.back().text);
    }
};

template <typename T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no child %s", name);
    return c;
}

void focusOut(QWidget* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

}  // namespace

class TestFrmCommSetup : public QObject {
    Q_OBJECT
private slots:
    void opensFilledFromTheSettings() {
        Fixture f;
        f.w.move(40, 30);
        auto d = f.dialog();
        QCOMPARE(d->windowTitle(), QString("  Communication Setup"));
        QVERIFY(d->isModal());
        const double dpi = d->logicalDpiX();
        QVERIFY(d->width() >= ui::pixelsFromTwips(5475, dpi));
        QVERIFY(d->height() >= ui::pixelsFromTwips(4250, dpi));
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QCOMPARE(d->pos(), f.w.pos() + QPoint(ui::pixelsFromTwips(1000, dpi), ui::pixelsFromTwips(1000, dpi)));

        QVERIFY(child<QRadioButton>(*d, "optComm_1")->isChecked());
        QCOMPARE(child<QRadioButton>(*d, "optComm_1")->text(), QString("TCP/IP   (LAN/Internet)"));
        QVERIFY(!child<QGroupBox>(*d, "frameCOM")->isVisibleTo(d.get()));
        QVERIFY(child<QGroupBox>(*d, "frameTCPIP")->isVisibleTo(d.get()));

        auto* port = child<QComboBox>(*d, "cmbComPort");
        QCOMPARE(items(port), QStringList({"COM1", "COM2"}));
        QCOMPARE(port->currentText(), QString("COM2"));
        QCOMPARE(port->currentData().toInt(), 2);
        QCOMPARE(items(child<QComboBox>(*d, "cmbBaudRate")),
                 QStringList({"4800", "9600", "19200", "38400", "57600", "115200"}));
        QCOMPARE(child<QComboBox>(*d, "cmbBaudRate")->currentText(), QString("9600"));
        QCOMPARE(child<QComboBox>(*d, "cmbDataBits")->currentText(), QString("7"));
        QCOMPARE(child<QComboBox>(*d, "cmbStopBits")->currentText(), QString("2"));
        QCOMPARE(child<QComboBox>(*d, "cmbParity")->currentText(), QString("odd"));
        auto* ip = child<QComboBox>(*d, "cmbIP");
        QCOMPARE(ip->currentText(), QString("10.1.2.3"));
        QCOMPARE(items(ip), QStringList({"10.1.2.3", "192.168.1.20"}));
        QCOMPARE(ip->toolTip(), QString("The latest 10 IP-addresses will be saved in list."));
        QCOMPARE(child<QLineEdit>(*d, "txtPort")->text(), QString("5000"));
        QVERIFY(child<QCheckBox>(*d, "chkChecksum")->isChecked());
        QVERIFY(!child<QCheckBox>(*d, "chkEmptyBuffer")->isChecked());
    }

    void defaultsWhenTheSettingsDoNotMatch() {
        Fixture f;
        input::CommSettings& c = f.w.commSettings();
        c = {};
        input::SetSetupDefaults(c);  // Parity "N", no port chosen
        c.BaudRate = 1200;
        c.IPPort = 0;
        auto d = f.dialog();
        QVERIFY(child<QRadioButton>(*d, "optComm_0")->isChecked());
        QVERIFY(child<QGroupBox>(*d, "frameCOM")->isVisibleTo(d.get()));
        QVERIFY(!child<QGroupBox>(*d, "frameTCPIP")->isVisibleTo(d.get()));
        QCOMPARE(child<QComboBox>(*d, "cmbComPort")->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(*d, "cmbBaudRate")->currentText(), QString("4800"));
        QCOMPARE(child<QComboBox>(*d, "cmbParity")->currentText(), QString("none"));
        QCOMPARE(child<QLineEdit>(*d, "txtPort")->text(), QString("8040"));

        // Switching the option switches the frame.
        child<QRadioButton>(*d, "optComm_1")->click();
        QVERIFY(!child<QGroupBox>(*d, "frameCOM")->isVisibleTo(d.get()));
        QVERIFY(child<QGroupBox>(*d, "frameTCPIP")->isVisibleTo(d.get()));

        // OK without a port: a message, and nothing changes.
        child<QRadioButton>(*d, "optComm_0")->click();
        const input::CommSettings before = c;
        child<QPushButton>(*d, "cmdOK")->click();
        QCOMPARE(f.lastMessage(), QString("No comport selected"));
        QVERIFY(f.messages.entries.back().icon == base::MessageIcon::Critical);
        QVERIFY(c == before);
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    void addressCheck_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("lowest") << "1.0.0.1" << true;
        QTest::newRow("leading zeros") << "010.001.000.001" << true;
        QTest::newRow("last part 0") << "1.1.1.0" << false;
        QTest::newRow("three parts") << "1.1.1" << false;
        QTest::newRow("letters") << "a.b.c.d" << false;
    }
    void addressCheck() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        Fixture f;
        auto d = f.dialog();
        auto* ip = child<QComboBox>(*d, "cmbIP");
        ip->setEditText(text);
        focusOut(ip);
        if (valid) {
            QVERIFY(f.messages.entries.empty());
            QCOMPARE(d->choice().comm.IPList[2], text.toStdString());
            QCOMPARE(items(ip).size(), 3);
        } else {
            QCOMPARE(f.lastMessage(),
                     text + " is not a valid IP address! Has to be in the range 1.0.0.1 to 255.255.255.255");
            QVERIFY(f.messages.entries.back().icon == base::MessageIcon::Critical);
            QCOMPARE(d->choice().comm.IPListCount, int16_t(2));
        }
        // The main window's list changes only on OK.
        QCOMPARE(f.w.commSettings().IPListCount, int16_t(2));
    }

    void portCheck() {
        Fixture f;
        auto d = f.dialog();
        auto* port = child<QLineEdit>(*d, "txtPort");
        port->setText("8040abc");
        focusOut(port);
        QVERIFY(f.messages.entries.empty());
        QCOMPARE(port->text(), QString("8040"));
        for (const char* bad : {"80,5", "65536", ""}) {
            port->setText(bad);
            focusOut(port);
            QCOMPARE(f.lastMessage(),
                     QString(bad) + " is not a valid port number! Has to be an integer value in the range 1-65535");
            QCOMPARE(port->text(), QString(bad));
        }
    }

    // Checks run when the focus really moves, but not when it goes to Cancel.
    void checksFollowTheFocus() {
        Fixture f;
        auto d = f.dialog();
        d->show();
        QApplication::setActiveWindow(d.get());
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        auto* ip = child<QComboBox>(*d, "cmbIP");
        ip->setFocus(Qt::TabFocusReason);
        ip->setEditText("1.2.3");
        child<QLineEdit>(*d, "txtPort")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.messages.entries.size(), size_t(1));
        QVERIFY(f.lastMessage().startsWith("1.2.3 is not a valid IP address!"));
        QVERIFY(ip->hasFocus());
        child<QPushButton>(*d, "cmdCancel")->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f.messages.entries.size(), size_t(1));
    }

    void okAppliesTcpAndReopensTheInput() {
        Fixture f;
        f.w.statusPanelChanged(6, "12");
        auto d = f.dialog();
        child<QComboBox>(*d, "cmbIP")->setEditText("127.0.0.1");
        child<QLineEdit>(*d, "txtPort")->setText("1 ");
        child<QCheckBox>(*d, "chkEmptyBuffer")->setChecked(true);
        child<QCheckBox>(*d, "chkChecksum")->setChecked(false);
        // Enter inside the address box: OK without a focus change still checks and records it.
        child<QPushButton>(*d, "cmdOK")->click();
        QVERIFY2(f.messages.entries.empty(), qPrintable(f.lastMessage()));
        QCOMPARE(d->result(), int(QDialog::Accepted));

        const input::CommSettings& c = f.w.commSettings();
        const input::RunState& st = f.w.receiver().state();
        QVERIFY(c.UseTCP);
        QCOMPARE(c.IPAddress, std::string("127.0.0.1"));
        QCOMPARE(c.IPPort, 1);
        QCOMPARE(c.IPListCount, int16_t(3));
        QCOMPARE(c.IPList[2], std::string("127.0.0.1"));
        QCOMPARE(c.ComPort, int16_t(2));  // serial settings stay
        QVERIFY(!st.CheckChecksum);
        QCOMPARE(st.ChecksumErrorCount, 7);
        QVERIFY(st.EmptyBuffer);
        QCOMPARE(st.IgnoredCount, 0);
        QCOMPARE(f.w.panelText(4), QString("n/a"));
        QCOMPARE(f.w.panelText(6), QString("0"));
        QVERIFY(f.w.connection().source() == input::InputSource::Tcp);
        QVERIFY2(f.w.panelText(2).startsWith("TCP/IP Address : 127.0.0.1  port : 1    State : "),
                 qPrintable(f.w.panelText(2)));
        QVERIFY(f.w.findChild<QTimer*>("timerConnectionTest")->isActive());
    }

    void okAppliesSerial() {
        Fixture f;
        auto d = f.dialog();
        child<QRadioButton>(*d, "optComm_0")->click();
        child<QComboBox>(*d, "cmbComPort")->setCurrentIndex(0);
        child<QComboBox>(*d, "cmbBaudRate")->setCurrentText("38400");
        child<QComboBox>(*d, "cmbDataBits")->setCurrentText("8");
        child<QComboBox>(*d, "cmbStopBits")->setCurrentText("1");
        child<QComboBox>(*d, "cmbParity")->setCurrentText("even");
        child<QPushButton>(*d, "cmdOK")->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        const input::CommSettings& c = f.w.commSettings();
        QVERIFY(!c.UseTCP);
        QCOMPARE(c.ComPort, int16_t(1));
        QCOMPARE(c.BaudRate, 38400);
        QCOMPARE(c.DataBits, int16_t(8));
        QCOMPARE(c.StopBits, int16_t(1));
        QCOMPARE(c.Parity, std::string("even"));
        QCOMPARE(f.w.receiver().state().ChecksumErrorCount, 0);
        QCOMPARE(f.w.panelText(4), QString("0"));
        QVERIFY(f.w.connection().source() == input::InputSource::Serial);
        QVERIFY(!f.w.findChild<QTimer*>("timerConnectionTest")->isActive());
    }

    void cancelChangesNothing() {
        Fixture f;
        const input::CommSettings before = f.w.commSettings();
        auto d = f.dialog();
        auto* ip = child<QComboBox>(*d, "cmbIP");
        ip->setEditText("10.9.9.9");
        focusOut(ip);  // recorded in the dialog's list only
        child<QRadioButton>(*d, "optComm_0")->click();
        child<QCheckBox>(*d, "chkChecksum")->setChecked(false);
        child<QPushButton>(*d, "cmdCancel")->click();
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QVERIFY(f.w.commSettings() == before);
        QVERIFY(f.w.receiver().state().CheckChecksum);
        QCOMPARE(f.w.receiver().state().ChecksumErrorCount, 7);
        QVERIFY(f.w.connection().source() == input::InputSource::None);
    }

    void invalidAddressIsNeverApplied() {
        Fixture f;
        const input::CommSettings before = f.w.commSettings();
        auto d = f.dialog();
        child<QComboBox>(*d, "cmbIP")->setEditText("1.2.3.256");
        child<QPushButton>(*d, "cmdOK")->click();
        QVERIFY(f.lastMessage().startsWith("1.2.3.256 is not a valid IP address!"));
        QVERIFY(f.w.commSettings() == before);
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    void fullListDropsTheOldestAndSelectsTheNewest() {
        Fixture f;
        input::CommSettings& c = f.w.commSettings();
        c.IPListCount = 10;
        for (int i = 0; i < 10; ++i) c.IPList[static_cast<size_t>(i)] = "10.0.0." + std::to_string(i + 1);
        auto d = f.dialog();
        auto* ip = child<QComboBox>(*d, "cmbIP");
        ip->setEditText("10.0.0.99");
        focusOut(ip);
        QCOMPARE(ip->count(), 10);
        QCOMPARE(ip->itemText(0), QString("10.0.0.2"));
        QCOMPARE(ip->currentIndex(), 9);
        QCOMPARE(ip->currentText(), QString("10.0.0.99"));
        child<QPushButton>(*d, "cmdOK")->click();
        QCOMPARE(c.IPList[0], std::string("10.0.0.2"));
        QCOMPARE(c.IPList[9], std::string("10.0.0.99"));
        QCOMPARE(c.IPAddress, std::string("10.0.0.99"));
    }

    // Listing the ports does not disturb the port the program reads from.
    void openPortStaysOpenAndIsListed() {
        int master = -1, slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) QSKIP("no pseudo-terminals here");
        Fixture f;
        f.w.serialTransport().setDeviceResolver(
            [&](int port) { return port == 2 ? QString::fromLocal8Bit(name) : QString(); });
        f.w.commSettings().UseTCP = false;
        f.w.OpenInput();
        QVERIFY2(f.w.serialTransport().isOpen(), qPrintable(f.lastMessage()));
        {
            auto d = f.dialog();
            QCOMPARE(child<QComboBox>(*d, "cmbComPort")->currentText(), QString("COM2"));
            QVERIFY(f.w.serialTransport().isOpen());
            child<QPushButton>(*d, "cmdCancel")->click();
        }
        QVERIFY(f.w.serialTransport().isOpen());
        f.w.serialTransport().close();
        ::close(slave);
        ::close(master);
    }

    void infoBoxIsCentredOnTheDialog() {
        Fixture f;
        auto d = f.dialog();
        d->show();
        QString title;
        QPoint centre;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            title = box->windowTitle();
            centre = box->geometry().center();
            QVERIFY(box->findChild<QLabel*>("lblInfo")->text().contains("16"));
            box->findChild<QPushButton*>("cmdOK")->click();
        });
        child<QPushButton>(*d, "cmdComInfo")->click();
        QCOMPARE(title, QString("    Comport Information"));
        QVERIFY((centre - d->geometry().center()).manhattanLength() <= 2);
    }

    void menuOpensTheDialogModally() {
        Fixture f;
        f.w.show();
        QAction* comm = f.w.findChild<QAction*>("mnuSetupComm");
        QVERIFY(comm && comm->isEnabled());
        QString title;
        QTimer::singleShot(0, [&] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d);
            title = d->windowTitle();
            d->findChild<QPushButton*>("cmdCancel")->click();
        });
        comm->trigger();
        QCOMPARE(title, QString("  Communication Setup"));
    }
};

QTEST_MAIN(TestFrmCommSetup)
#include "test_frm_comm_setup.moc"
