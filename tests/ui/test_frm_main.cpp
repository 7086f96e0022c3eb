// The main window: its controls, the input it opens, the list it fills from
// the traffic, the reference frame, the windows it opens, and what it saves
// when it closes.
#include <QMessageBox>
#include <QScreen>

#include "window_fixture.h"

using namespace testing_support;

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void fitsItsDesignedSize() {
        MainWindow m;
        m.w.load(false);
        const double dpi = m.w.logicalDpiX();
        QVERIFY(m.w.minimumSizeHint().width() <= ui::pixelsFromTwips(13300, dpi));
        QVERIFY(m.w.minimumSizeHint().height() <= ui::pixelsFromTwips(8000, dpi));
    }

    // A host name is looked up without blocking; a server that goes and comes
    // back is reconnected without a click.
    void tcpSentencesReachTheListAndALostServerIsReconnected() {
        LocalServer server;
        MainWindow m;
        input::CommSettings& c = m.w.commSettings();
        c.UseTCP = true;
        c.IPAddress = "localhost";
        c.IPPort = server.port();
        m.w.load(true);
        auto* connect = Child<QPushButton>(m.w, "cmdConnect");
        QVERIFY(connect->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(server.server.hasPendingConnections(), 5000);
        QVERIFY(server.accept());
        const QString connected = QString::fromStdString(input::TcpStatusText(c, input::kSocketConnected));
        QTRY_COMPARE_WITH_TIMEOUT(m.w.panelText(2), connected, 5000);
        server.send(Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 12.3f))) +
                    Join(Sentences(StaticData(257000001, "BLUE HERON", "LABC"))));
        QTRY_VERIFY_WITH_TIMEOUT(m.w.listModel().index(0, 2).data().toString().startsWith("BLUE HERON"), 5000);

        server.peer->disconnectFromHost();
        server.server.close();
        QTRY_VERIFY_WITH_TIMEOUT(m.w.panelText(2).contains("Reconnecting in 2 s"), 5000);
        QVERIFY(!connect->isHidden());
        QVERIFY(server.server.listen(QHostAddress::LocalHost, static_cast<quint16>(c.IPPort)));
        QTRY_VERIFY_WITH_TIMEOUT(server.server.hasPendingConnections(), 8000);
        QTRY_COMPARE_WITH_TIMEOUT(m.w.panelText(2), connected, 5000);
        QVERIFY(connect->isHidden());
        QVERIFY2(m.messages.entries.empty(), qPrintable(m.lastMessage()));
    }

    void panelsFollowTheReceiver() {
        MainWindow m;
        m.w.receiver().state().CheckChecksum = true;
        m.w.receiver().state().EmptyBuffer = true;
        m.w.load(false);
        m.w.receiver().receive(input::InputKind::Tcp, "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*00\r\nx\r\n");
        QCOMPARE(m.w.panelText(4), QString("1"));
        QCOMPARE(m.w.panelText(6), QString("1"));
    }

    void boxesRaisedWhileReceivingOpenAfterTheInputIsHandled() {
        app::FrmMain w;  // real message boxes
        std::string feed;
        for (int i = 0; i < targets::kMaxTargets + 5; ++i) {
            feed += Join(Sentences(ClassAReport(211000000 + i, 55.0, 4.0, 1.0f)));
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
        QTRY_VERIFY(!boxText.isEmpty());
        QVERIFY(!boxDuringReceive);
        QVERIFY(boxText.startsWith("Maximum limit AIS targets"));
    }

    // The reference options set the boxes; a typed box is read when the focus
    // leaves it for another control of the window.
    void referenceFrame_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("reason");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("value");  // RefMMSI or RefLat
        QTest::addColumn<bool>("message");
        const int tab = Qt::TabFocusReason, away = Qt::ActiveWindowFocusReason;
        QTest::newRow("from VDO") << 1 << "txtRefLat" << "" << tab << "Waiting for VDO" << 59.5 << false;
        QTest::newRow("manual") << 2 << "txtRefLat" << "" << tab << "59°30'00.0\"N" << 59.5 << false;
        QTest::newRow("MMSI") << 3 << "txtMMSI" << "257000001 " << tab << "257000001" << 257000001.0 << false;
        QTest::newRow("ten-digit MMSI") << 3 << "txtMMSI" << "1234567890" << tab << "1234567890" << 0.0 << true;
        QTest::newRow("latitude") << 2 << "txtRefLat" << "59 45 0 n" << tab << "59°45'00.0\"N" << 59.75 << false;
        QTest::newRow("focus to another window") << 2 << "txtRefLat" << "59 45 0 n" << away << "59 45 0 n" << 59.5
                                                 << false;
    }
    void referenceFrame() {
        QFETCH(int, mode);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, reason);
        QFETCH(QString, shown);
        QFETCH(double, value);
        QFETCH(bool, message);
        MainWindow m;
        m.w.receiver().state().RefLat = 59.5;
        m.w.load(false);
        Child<QRadioButton>(m.w, qPrintable(QString("optRefPos_%1").arg(mode)))->click();
        const input::RunState& st = m.w.receiver().state();
        QCOMPARE(st.ReferenceMode, mode);
        QCOMPARE(Child<QLineEdit>(m.w, "txtRefLat")->isEnabled(), mode == targets::kRefManual);
        QCOMPARE(Child<QLineEdit>(m.w, "txtMMSI")->isEnabled(), mode == targets::kRefFromVDM);
        auto* edit = Child<QLineEdit>(m.w, qPrintable(box));
        if (!typed.isEmpty()) {
            edit->setText(typed);
            FocusOut(edit, Qt::FocusReason(reason));
        }
        QCOMPARE(edit->text(), shown);
        QCOMPARE(box == "txtMMSI" ? double(st.RefMMSI) : st.RefLat, value);
        QCOMPARE(m.messages.entries.size(), size_t(message ? 1 : 0));
    }

    void ownShipMessagesFillTheReferenceBoxes() {
        MainWindow m;
        m.w.load(false);
        Child<QRadioButton>(m.w, "optRefPos_1")->click();
        m.feed(ClassAReport(257999999, 59.5, 5.25, 1.0f), 'A', true);
        QCOMPARE(Child<QLineEdit>(m.w, "txtRefLat")->text(), QString("59°30'00.0\"N"));
    }

    // Places are kept in twips: an unmoved edge keeps its stored number exactly
    // (no creeping through pixels); a place off every screen or a size beyond
    // the screen is fitted and stored. Screens: 1280x900 at (0,0), 1024x768 right of it.
    void placementFitsTheScreens_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QList<double>>("stored");  // left, top, width, height in twips
        QTest::addColumn<QPoint>("at");             // where it must be; (-1,-1): anywhere on a screen
        const double far = 1e12, nan = std::nan("");
        const auto row = [](const char* name, const char* window, const char* prefix, QList<double> stored, QPoint at) {
            QTest::newRow(name) << QString(window) << QString(prefix) << stored << at;
        };
        row("main", "frmMain", "Main", {3007, 1500, 15000, 9000}, {200, 100});
        row("main on an unplugged monitor", "frmMain", "Main", {36000, 1500, 15000, 9000}, {280, 100});
        row("main not a number", "frmMain", "Main", {nan, nan, nan, nan}, {67, 67});
        row("main on the second monitor", "frmMain", "Main", {19500, 1500, 15000, 9000}, {1300, 100});
        row("main beyond the screen's size", "frmMain", "Main", {3000, 3000, 30000, 30000}, {0, 0});
        row("port monitor far off", "frmPortMonitor", "Monitor", {far, far, 8000, 4000}, {747, 601});
        row("plot on an unplugged monitor", "frmGraphics", "graphics", {36000, 1500, 7000, 7000}, {813, 100});
        row("ERBL far off", "frmERBL", "ERBL", {far, far}, {-1, -1});
    }
    void placementFitsTheScreens() {
        QFETCH(QString, window);
        QFETCH(QString, prefix);
        QFETCH(QList<double>, stored);
        QFETCH(QPoint, at);
        static const char* const kEdges[4] = {"Left", "Top", "Width", "Height"};
        QTemporaryDir dir;
        ui::SettingsStore store(dir.filePath("settings.ini"));
        for (int i = 0; i < stored.size(); ++i) store.writeNumber(prefix + kEdges[i], stored[i]);
        MainWindow m(&store);
        m.w.load(false);
        if (window == "frmPortMonitor") Child<QAction>(m.w, "mnuViewPortMonitor")->trigger();
        if (window != "frmMain" && window != "frmPortMonitor") Child<QAction>(m.w, "mnuViewGraphics")->trigger();
        if (window == "frmERBL") Child<QAction>(*m.w.findChild<QWidget*>("frmGraphics"), "mnuOptionsERBL")->trigger();
        QWidget* w = window == "frmMain" ? &m.w : Child<QWidget>(m.w, qPrintable(window));
        const QRect placed(w->pos(), w->size());
        if (at != QPoint(-1, -1)) QCOMPARE(placed.topLeft(), at);
        const QScreen* screen = QGuiApplication::screenAt(placed.topLeft());
        QVERIFY(screen && screen->availableGeometry().contains(placed));

        w->show();
        w->resize(w->width() + 40, w->height());  // a moved edge
        const double dpi = w->logicalDpiX();
        w == &m.w ? m.w.shutdown() : void(w->close());
        for (int i = 0; i < stored.size(); ++i) {
            const double written = store.readNumber(prefix + kEdges[i], -1);
            const int pixels = std::array{placed.x(), placed.y(), placed.width() + 40, placed.height()}[i];
            const bool sane = std::abs(stored[i]) < 1e6;  // false for the wild numbers and NaN
            if (sane && ui::pixelsFromTwips(int(std::lround(stored[i])), dpi) == pixels) {
                QCOMPARE(written, stored[i]);  // unmoved: its own twips
            } else {
                QCOMPARE(ui::pixelsFromTwips(int(written), dpi), pixels);
            }
        }
    }

    void closingSavesTheSetupFileAndTheShipDatabase() {
        TempDir dir;
        {
            MainWindow m;
            m.w.startUp(dir.path());
            m.w.load(false);
            auto* iala = Child<QAction>(m.w, "mnuSetupBinaryMsgStd_1");
            for (int k = 0; k < 2; ++k) iala->trigger();  // choosing the checked one again keeps it
            QVERIFY(iala->isChecked() && !Child<QAction>(m.w, "mnuSetupBinaryMsgStd_0")->isChecked());
            // A session address (the demo's) does not replace the stored one.
            m.w.useSessionInput("127.0.0.1", 45678);
            m.feed(StaticData(257000001, "BLUE HERON", "LABC"));
            m.w.close();
        }
        const std::string ini = dir.read("Orvanta.ini");
        QVERIFY2(ini.find("#FALSE#,\"127.0.0.1\",8040") != std::string::npos, ini.c_str());
        QVERIFY2(ini.find("\"REM Binary Message Standard\"\r\n1\r\n") != std::string::npos, ini.c_str());
        QVERIFY(dir.read("Shipdata.dat").find("257000001") != std::string::npos);
        std::filesystem::create_directories(dir / "Database");
        dir.write("Database/City Database.txt", "Portville,60,0,5,0\r\n");
        {
            MainWindow m;
            m.w.startUp(dir.path());
            QCOMPARE(m.w.landmarks().Cities.size(), size_t(1));
            m.w.load(false);
            QVERIFY(Child<QAction>(m.w, "mnuSetupBinaryMsgStd_1")->isChecked());
            QVERIFY(m.w.receiver().shipDatabase().LookupShipData(257000001));
            // Settings confirmed by the operator are stored from then on.
            m.w.useSessionInput("127.0.0.1", 45678);
            input::CommChoice choice = m.w.commChoice();
            choice.comm.ComPort = 0;
            choice.comm.Device = "/dev/rfcomm0";
            m.w.applyCommChoice(choice);
            m.w.close();
        }
        QVERIFY(dir.read("Orvanta.ini").find("#TRUE#,\"127.0.0.1\",45678") != std::string::npos);
        MainWindow m;
        m.w.startUp(dir.path());
        QCOMPARE(m.w.commSettings().Device, std::string("/dev/rfcomm0"));
    }

    // Exports work with the plot never opened; a failure is told (contents: core and cli tests).
    void exportsWithThePlotClosed() {
        MainWindow m;
        m.w.load(false);
        for (int i = 0; i < 2; ++i) {
            m.feed(ClassAReport(257000001, 59.5 + i * 0.01, 5.25, 10));
            m.w.recordTrails();
        }
        TempDir dir;
        const auto path = [&](const char* name) { return QString::fromStdString((dir / name).string()); };
        QVERIFY(m.w.exportTargets(path("t.geojson"), app::FrmMain::TargetFormatOf("a/t.GeoJSON")));
        QVERIFY(dir.read("t.geojson").find("257000001") != std::string::npos);
        QVERIFY(m.w.exportTracks(path("t.gpx")));
        QCOMPARE(QString::fromStdString(dir.read("t.gpx")).count("<trkpt "), 2);
        QVERIFY(!m.w.exportTracks(path("missing/t.gpx")));
        QVERIFY(m.lastMessage().startsWith("The tracks could not be written: "));
    }
};

// Two screens side by side, for the placement rows.
int main(int argc, char** argv) {
    return RunOnScreens<TestFrmMain>(argc, argv, R"([
        {"name": "primary", "x": 0, "y": 0, "width": 1280, "height": 900, "logicalDpi": 96},
        {"name": "second", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}])");
}
#include "test_frm_main.moc"
