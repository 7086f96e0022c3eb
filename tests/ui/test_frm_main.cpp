#include <QActionGroup>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

#include "app/frm_main_window.h"
#include "input/tcp_transport.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"
#include "targets/target_list_model.h"
#include "ui/settings_store.h"
#include "ui/twips.h"

using testing_support::Join;
using testing_support::Sentences;

namespace {

QAction* findAction(QWidget& w, const char* name) { return w.findChild<QAction*>(name); }

QStringList menuTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

// A window that shows no modal boxes.
struct Window {
    base::RecordingMessageSink messages;
    app::FrmMain w;
    explicit Window(ui::SettingsStore* settings = nullptr) : w(settings) { w.setMessageSink(&messages); }
    QString lastMessage() const {
        return messages.entries.empty() ? QString() : QString::fromStdString(messages.entries.back().text);
    }
};

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void captionPanelsAndTimers() {
        app::FrmMain w;
        QCOMPARE(w.windowTitle(), QString("  Orvanta - Version : 1.00"));
        QVERIFY(w.findChild<QStatusBar*>("sbStatusBar"));
        const char* start[6] = {"Status : ", "No communication established", "Checksum errors :", "n/a",
                                "Ignorerd msgs :", "n/a"};
        for (int i = 0; i < 6; ++i) QCOMPARE(w.panelText(i + 1), QString(start[i]));
        QCOMPARE(w.panelText(7), QTime::currentTime().toString("hh:mm"));

        auto* ais = w.findChild<QTimer*>("timerAIS_Status");
        auto* del = w.findChild<QTimer*>("timer_DeleteOLDTargets");
        auto* conn = w.findChild<QTimer*>("timerConnectionTest");
        QVERIFY(ais && del && conn);
        QCOMPARE(ais->interval(), 15000);
        QVERIFY(ais->isActive());
        QCOMPARE(del->interval(), 60000);
        QVERIFY(!conn->isActive());
    }

    void emptyBufferPanelFollowsTheReceiver() {
        app::FrmMain w;
        w.receiver().state().EmptyBuffer = true;
        w.receiver().receive(input::InputKind::Serial, "a\r\nb\r\n");
        QCOMPARE(w.panelText(6), QString("1 (100.0%)"));
    }

    void testPanelsAtLoad() {
        {
            Window f;
            f.w.load(false);
            f.w.receiver().receive(input::InputKind::Serial, "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*00\r\nx\r\n");
            QCOMPARE(f.w.panelText(4), QString("n/a"));
            QCOMPARE(f.w.panelText(6), QString("n/a"));
        }
        {
            Window f;
            f.w.receiver().state().CheckChecksum = true;
            f.w.receiver().state().EmptyBuffer = true;
            f.w.load(false);
            QCOMPARE(f.w.panelText(4), QString("0"));
            QCOMPARE(f.w.panelText(6), QString("0"));
            f.w.receiver().receive(input::InputKind::Tcp, "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*00\r\n");
            QCOMPARE(f.w.panelText(4), QString("1"));
        }
    }

    void menusAsListed() {
        Window f;
        QMenuBar* bar = f.w.menuBar();
        QStringList tops;
        for (QAction* a : bar->actions()) tops << a->text();
        QCOMPARE(tops, QStringList({"&File", "Setup", "&View", "&Help"}));
        QCOMPARE(menuTexts(f.w.findChild<QMenu*>("mnuFile")), QStringList({"E&xit"}));
        QCOMPARE(menuTexts(f.w.findChild<QMenu*>("mnuSetup")), QStringList({"Comm", "-", "Binary Msg Standard"}));
        QCOMPARE(menuTexts(f.w.findChild<QMenu*>("mnuSetupBinaryMsgStdMenu")),
                 QStringList({"IMO SN/Circ.236", "IALA Proposal (comb IMO236 and ITU 1371-1)"}));
        QCOMPARE(menuTexts(f.w.findChild<QMenu*>("mnuView")),
                 QStringList({"Incoming Messages", "GraphicDisplay", "Comport Monitor"}));
        QCOMPARE(menuTexts(f.w.findChild<QMenu*>("mnuHelp")), QStringList({"-", "&About "}));
        QVERIFY(findAction(f.w, "mnuViewGraphics")->isCheckable());
    }

    void binaryStandardKeepsExactlyOneCheckMark() {
        Window f;
        f.w.load(false);
        QAction* imo = findAction(f.w, "mnuSetupBinaryMsgStd_0");
        QAction* iala = findAction(f.w, "mnuSetupBinaryMsgStd_1");
        QVERIFY(imo->isChecked() && !iala->isChecked());
        iala->trigger();
        QVERIFY(!imo->isChecked() && iala->isChecked());
        QCOMPARE(f.w.receiver().state().BinaryMsgStandard, 1);
        iala->trigger();  // choosing the checked one again keeps it checked
        QVERIFY(!imo->isChecked() && iala->isChecked());
        imo->trigger();
        QVERIFY(imo->isChecked() && !iala->isChecked());
        QCOMPARE(f.w.receiver().state().BinaryMsgStandard, 0);
    }

    void incomingMessagesWindow() {
        Window f;
        findAction(f.w, "mnuViewMessages")->trigger();
        auto* win = f.w.findChild<QWidget*>("frmMessages");
        QVERIFY(win);
        QCOMPARE(win->windowTitle(), QString("Incoming Messages"));
        QVERIFY(win->findChild<QWidget*>("richtxtMsg"));
        QVERIFY(win->isVisible());
        // It closes (and goes) with the main window.
        QPointer<QWidget> guard(win);
        f.w.close();
        QTRY_VERIFY(guard.isNull());
    }

    void listAndFrameAtStart() {
        Window f;
        f.w.load(false);
        auto* grid = f.w.findChild<QTableView*>("fgAISTargets");
        QVERIFY(grid);
        QCOMPARE(grid->model()->columnCount(), 13);
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(f.w.findChild<QLabel*>("lblSortedBy")->text(), QString("Unsorted"));
        QCOMPARE(f.w.findChild<QLabel*>("lblNoOfTargets")->text(), QString("0"));
        auto* connect = f.w.findChild<QPushButton*>("cmdConnect");
        QCOMPARE(connect->text(), QString("CONNECT"));
        QVERIFY(!connect->isHidden());
        QVERIFY(f.w.findChild<QRadioButton*>("optIncr_0")->isChecked());
        QCOMPARE(f.w.findChild<QRadioButton*>("optIncr_1")->text(), QString("Decr"));
        const char* refs[4] = {"No Ref pos", "From VDO msg", "Manual ", "From VDM msg, MMSI : "};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(f.w.findChild<QRadioButton*>(QString("optRefPos_%1").arg(i))->text(), QString(refs[i]));
        QVERIFY(f.w.findChild<QRadioButton*>("optRefPos_0")->isChecked());
        QCOMPARE(f.w.findChild<QLineEdit*>("txtRefLat")->text(), QString("     n/a"));
        QVERIFY(!f.w.findChild<QLineEdit*>("txtRefLat")->isEnabled());
        QVERIFY(!f.w.findChild<QLineEdit*>("txtMMSI")->isEnabled());
    }

    void referenceOptions_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<bool>("boxesEnabled");
        QTest::addColumn<bool>("mmsiEnabled");
        QTest::addColumn<QString>("title3");
        QTest::newRow("none") << 0 << "     n/a" << false << false << "  Lat";
        QTest::newRow("vdo") << 1 << "Waiting for VDO" << false << false << "  Range(or Lat)";
        QTest::newRow("manual") << 2 << "59°30'00.0\"N" << true << false << "  Range(or Lat)";
        QTest::newRow("vdm") << 3 << "Waiting for VDM" << false << true << "  Range(or Lat)";
    }
    void referenceOptions() {
        QFETCH(int, mode);
        QFETCH(QString, boxes);
        QFETCH(bool, boxesEnabled);
        QFETCH(bool, mmsiEnabled);
        QFETCH(QString, title3);
        Window f;
        f.w.receiver().state().RefLat = 59.5;
        f.w.receiver().state().RefLon = 5.25;
        f.w.load(false);
        f.w.findChild<QRadioButton*>(QString("optRefPos_%1").arg(mode))->click();
        QCOMPARE(f.w.receiver().state().ReferenceMode, mode);
        QCOMPARE(f.w.findChild<QLineEdit*>("txtRefLat")->text(), boxes);
        QCOMPARE(f.w.findChild<QLineEdit*>("txtRefLat")->isEnabled(), boxesEnabled);
        QCOMPARE(f.w.findChild<QLineEdit*>("txtMMSI")->isEnabled(), mmsiEnabled);
        QCOMPARE(f.w.listModel().headerData(3, Qt::Horizontal).toString(), title3);
    }

    void mmsiBoxRejectsTenDigits() {
        Window f;
        f.w.load(false);
        f.w.findChild<QRadioButton*>("optRefPos_3")->click();
        auto* box = f.w.findChild<QLineEdit*>("txtMMSI");
        box->setText("1234567890");
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
        QCOMPARE(f.lastMessage(),
                 QString("1234567890 is not a valid MMSI number! Has to be an integer value in the range 0-999999999"));
        QCOMPARE(f.messages.entries.back().icon, base::MessageIcon::Critical);
        QCOMPARE(f.w.receiver().state().RefMMSI, 0);

        box->setText("257000001 ");
        QApplication::sendEvent(box, &out);
        QCOMPARE(f.w.receiver().state().RefMMSI, 257000001);
        QCOMPARE(box->text(), QString("257000001"));
        QCOMPARE(f.w.findChild<QLineEdit*>("txtRefLon")->text(), QString("Waiting for VDM"));
        QCOMPARE(f.messages.entries.size(), size_t{1});
    }

    void headerClickSortsAndNamesTheColumn() {
        Window f;
        f.w.load(false);
        auto feed = [&](int32_t mmsi, float sog) {
            f.w.receiver().receive(input::InputKind::Tcp,
                                   Join(Sentences(testing_support::ClassAReport(mmsi, 59.5, 5.25, sog))));
        };
        feed(257000001, 9.0f);
        feed(257000002, 3.0f);
        f.w.listModel().flush();
        QCOMPARE(f.w.findChild<QLabel*>("lblNoOfTargets")->text(), QString("2"));
        auto* grid = f.w.findChild<QTableView*>("fgAISTargets");
        QHeaderView* header = grid->horizontalHeader();
        emit header->sectionClicked(5);
        QCOMPARE(f.w.findChild<QLabel*>("lblSortedBy")->text(), QString("  SOG"));
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString("257000002"));
        f.w.findChild<QRadioButton*>("optIncr_1")->click();
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString("257000002"));  // not until the next click
        emit header->sectionClicked(5);
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString("257000001"));
        emit header->sectionClicked(12);  // STATUS: nothing
        QCOMPARE(f.w.findChild<QLabel*>("lblSortedBy")->text(), QString("  SOG"));
        emit header->sectionClicked(0);
        QCOMPARE(f.w.findChild<QLabel*>("lblSortedBy")->text(), QString("Unsorted"));
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString("257000002"));  // descending entry order
    }

    void serialStartUpFailureStillShowsTheWindow() {
        Window f;
        f.w.commSettings().ComPort = 0;
        f.w.load(true);
        QCOMPARE(f.w.panelText(2), QString("Invalid port number No communication established"));
        QCOMPARE(f.lastMessage(), QString("Invalid port number No communication established"));
        QVERIFY(!f.w.findChild<QPushButton*>("cmdConnect")->isHidden());
        QVERIFY(!f.w.findChild<QTimer*>("timerConnectionTest")->isActive());
    }

    void tcpEndToEndAgainstALocalServer() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const int port = server.serverPort();
        Window f;
        f.w.commSettings().UseTCP = true;
        f.w.commSettings().IPAddress = "127.0.0.1";
        f.w.commSettings().IPPort = port;
        f.w.load(true);
        const QString prefix = QString("TCP/IP Address : 127.0.0.1  port : %1").arg(port);
        QVERIFY2(f.w.panelText(2) == prefix + "    State : Trying to connect" || f.w.panelText(2) == prefix + "    State : 4",
                 qPrintable(f.w.panelText(2)));
        auto* timer = f.w.findChild<QTimer*>("timerConnectionTest");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 30000);
        QVERIFY(f.w.findChild<QPushButton*>("cmdConnect")->isHidden());

        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE_WITH_TIMEOUT(f.w.panelText(2), prefix + "    State : Connected", 5000);

        peer->write(Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f))).c_str());
        peer->write(Join(Sentences(testing_support::StaticData(257000001, "BLUE HERON", "LABC"))).c_str());
        peer->flush();
        QTRY_COMPARE_WITH_TIMEOUT(f.w.listModel().rowCount(), 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(f.w.listModel().index(0, 2).data().toString().startsWith("BLUE HERON"), 5000);
        QCOMPARE(f.w.listModel().index(0, 1).data().toString(), QString("257000001"));
        QCOMPARE(f.w.findChild<QLabel*>("lblNoOfTargets")->text(), QString("1"));

        // The server going away shows at once, with the button to reconnect.
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(f.w.panelText(2), prefix + "    State : Closed", 5000);
        QVERIFY(!f.w.findChild<QPushButton*>("cmdConnect")->isHidden());
        QVERIFY(f.messages.entries.empty());

        // CONNECT reconnects.
        f.w.findChild<QPushButton*>("cmdConnect")->click();
        QVERIFY(f.w.findChild<QPushButton*>("cmdConnect")->isHidden());
        QVERIFY(server.waitForNewConnection(5000));
        QTRY_COMPARE_WITH_TIMEOUT(f.w.panelText(2), prefix + "    State : Connected", 5000);

        // Switching to serial closes the socket and stops the refresh.
        f.w.commSettings().UseTCP = false;
        f.w.commSettings().ComPort = 0;
        f.w.OpenInput();
        QCOMPARE(f.w.tcpTransport().state(), 0);
        QVERIFY(!timer->isActive());
    }

    void tcpRefusedShowsTheErrorAndOffersConnect() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const int port = probe.serverPort();
        probe.close();
        Window f;
        f.w.commSettings().UseTCP = true;
        f.w.commSettings().IPPort = port;
        f.w.load(true);
        QTRY_VERIFY_WITH_TIMEOUT(!f.messages.entries.empty(), 5000);
        QVERIFY2(f.lastMessage().startsWith("TCP/IP Error :0 - "), qPrintable(f.lastMessage()));
        QCOMPARE(f.messages.entries.back().icon, base::MessageIcon::Critical);
        QCOMPARE(f.w.panelText(2), QString("TCP/IP Address : 127.0.0.1  port : %1    State : Closed").arg(port));
        QVERIFY(!f.w.findChild<QPushButton*>("cmdConnect")->isHidden());
    }

    void ownShipMessagesFillTheReferenceBoxes() {
        Window f;
        f.w.load(false);
        f.w.findChild<QRadioButton*>("optRefPos_1")->click();
        QCOMPARE(f.w.findChild<QLineEdit*>("txtRefLat")->text(), QString("Waiting for VDO"));
        f.w.receiver().receive(input::InputKind::Tcp,
                               Join(Sentences(testing_support::ClassAReport(257999999, 59.5, 5.25, 1.0f), 'A', true)));
        QCOMPARE(f.w.receiver().state().RefLat, 59.5);
        QCOMPARE(f.w.findChild<QLineEdit*>("txtRefLat")->text(), QString("59°30'00.0\"N"));
        QCOMPARE(f.w.findChild<QLineEdit*>("txtRefLon")->text(), QString("005°15'00.0\"E"));
    }

    void typedReferencePositionIsReadAndRewritten() {
        Window f;
        f.w.load(false);
        f.w.findChild<QRadioButton*>("optRefPos_2")->click();
        auto* lat = f.w.findChild<QLineEdit*>("txtRefLat");
        QVERIFY(lat->isEnabled());
        lat->setText("59 30 0 n");
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(lat, &out);
        QCOMPARE(f.w.receiver().state().RefLat, 59.5);
        QCOMPARE(lat->text(), QString("59°30'00.0\"N"));
        // Losing the focus to another window is not leaving the box.
        lat->setText("61 0 0 n");
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(lat, &away);
        QCOMPARE(f.w.receiver().state().RefLat, 59.5);
    }

    void clickingARowNamesItsTarget() {
        Window f;
        f.w.load(false);
        for (int32_t mmsi : {257000001, 257000002})
            f.w.receiver().receive(input::InputKind::Tcp,
                                   Join(Sentences(testing_support::ClassAReport(mmsi, 59.5, 5.25, 1.0f))));
        f.w.listModel().flush();
        f.w.show();
        auto* grid = f.w.findChild<QTableView*>("fgAISTargets");
        QSignalSpy clicked(&f.w, &app::FrmMain::targetClicked);
        const QRect cell = grid->visualRect(grid->model()->index(1, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked[0][0].toInt(), 2);
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cell.center());
        QCOMPARE(clicked.count(), 1);
    }

    void defaultSizeHoldsTheControls() {
        Window f;
        const double dpi = f.w.logicalDpiX();
        QVERIFY2(f.w.minimumSizeHint().width() <= ui::pixelsFromTwips(13300, dpi),
                 qPrintable(QString("%1 > %2").arg(f.w.minimumSizeHint().width()).arg(ui::pixelsFromTwips(13300, dpi))));
        QVERIFY(f.w.minimumSizeHint().height() <= ui::pixelsFromTwips(8000, dpi));
    }

    void statusTimerAgesTheRows() {
        base::ManualClock clock;
        base::RecordingMessageSink messages;
        app::FrmMain w(nullptr, nullptr, &clock);
        w.setMessageSink(&messages);
        w.load(false);
        w.receiver().receive(input::InputKind::Tcp,
                             Join(Sentences(testing_support::ClassAReport(257000001, 59.5, 5.25, 1.0f))));
        w.listModel().flush();
        QCOMPARE(w.listModel().index(0, 12).data().toString(), QString("NEW"));
        clock.advance(3600);
        auto* timer = w.findChild<QTimer*>("timerAIS_Status");
        timer->setInterval(5);
        QTRY_COMPARE_WITH_TIMEOUT(w.listModel().index(0, 12).data().toString(), QString("OLD"), 5000);
    }

    void placementDefaultsAndStore() {
        QTemporaryDir dir;
        ui::SettingsStore store(dir.filePath("settings.ini"));
        {
            Window f(&store);
            f.w.load(false);
            const double dpi = f.w.logicalDpiX();
            QCOMPARE(f.w.width(), ui::pixelsFromTwips(13300, dpi));
            QCOMPARE(f.w.height(), ui::pixelsFromTwips(8000, dpi));
            QCOMPARE(f.w.x(), ui::pixelsFromTwips(1000, dpi));
            f.w.resize(ui::pixelsFromTwips(15000, dpi), ui::pixelsFromTwips(9000, dpi));
            f.w.shutdown();
        }
        QCOMPARE(store.readNumber("MainWidth", 0), 15000.0);
        QCOMPARE(store.readNumber("MainHeight", 0), 9000.0);
        QCOMPARE(store.readNumber("MainLeft", 0), 1000.0);
        {
            Window f(&store);
            f.w.load(false);
            f.w.show();
            f.w.resize(300, 200);
            f.w.showMinimized();
            if (!f.w.isMinimized()) QSKIP("this platform does not minimise windows");
            f.w.shutdown();
        }
        QCOMPARE(store.readNumber("MainWidth", 0), 15000.0);
    }

    void startUpAndShutdownUseTheDataFolder() {
        testing_support::TempDir dir;
        {
            Window f;
            f.w.startUp(dir.path());
            QCOMPARE(f.lastMessage(), QString("Setup file do not exist. Default data loaded. Comport has to be selected."));
            f.w.load(false);
            findAction(f.w, "mnuSetupBinaryMsgStd_1")->trigger();
            // A session address (the demo's) does not replace the stored one.
            f.w.useSessionInput("127.0.0.1", 45678);
            f.w.receiver().receive(input::InputKind::Tcp,
                                   Join(Sentences(testing_support::StaticData(257000001, "BLUE HERON", "LABC"))));
            f.w.close();
        }
        const std::string ini = dir.read("Orvanta.ini");
        QVERIFY2(ini.find("#FALSE#,\"127.0.0.1\",8040") != std::string::npos, ini.c_str());
        QVERIFY2(ini.find("\"REM Binary Message Standard\"\r\n1\r\n") != std::string::npos, ini.c_str());
        QVERIFY(dir.read("Shipdata.dat").find("257000001") != std::string::npos);
        std::filesystem::create_directories(dir / "Database");
        dir.write("Database/City Database.txt", "Portville,60,0,5,0\r\n");
        {
            Window f;
            f.w.startUp(dir.path());
            QVERIFY(f.messages.entries.empty());
            QCOMPARE(f.w.landmarks().Cities.size(), size_t(1));
            QVERIFY(std::abs(f.w.landmarks().Cities[0].easting - 611544.04) < 0.01);
            f.w.load(false);
            QVERIFY(findAction(f.w, "mnuSetupBinaryMsgStd_1")->isChecked());
            QVERIFY(f.w.receiver().shipDatabase().LookupShipData(257000001));
            // Settings confirmed by the operator are stored from then on.
            f.w.useSessionInput("127.0.0.1", 45678);
            input::CommChoice choice = f.w.commChoice();
            choice.comm.ComPort = 0;
            f.w.applyCommChoice(choice);
            f.w.close();
        }
        QVERIFY(dir.read("Orvanta.ini").find("#TRUE#,\"127.0.0.1\",45678") != std::string::npos);
    }

    void boxesRaisedWhileReceivingOpenAfterTheInputIsHandled() {
        app::FrmMain w;  // real message boxes
        std::string feed;
        for (int i = 0; i < targets::kMaxTargets + 5; ++i) {
            feed += Join(Sentences(testing_support::ClassAReport(211000000 + i, 55.0, 4.0, 1.0f)));
        }
        bool receiving = false, boxDuringReceive = false;
        QString boxText;
        // Any modal box is read and closed from inside its own event loop.
        QTimer probe;
        probe.setInterval(0);
        connect(&probe, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxDuringReceive = boxDuringReceive || receiving;
                boxText = box->text();
                box->close();
            }
        });
        probe.start();
        receiving = true;
        w.receiver().receive(input::InputKind::Tcp, feed);
        receiving = false;
        QCOMPARE(int(w.receiver().targets().TargetCount), targets::kMaxTargets);
        QTRY_VERIFY(!boxText.isEmpty());
        QVERIFY(!boxDuringReceive);
        QVERIFY(boxText.startsWith("Maximum limit AIS targets"));
    }

    void demoStartsQuietlyWithoutASetupFile() {
        testing_support::TempDir dir;
        Window f;
        f.w.startUp(dir.path(), true);
        QVERIFY(f.messages.entries.empty());
        QCOMPARE(f.w.commSettings().IPPort, 8040);
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
