// The main window: the input it opens, where its windows are placed, and what
// it saves when it closes.
#include <QScreen>

#include "geodesy/position_text.h"
#include "app/exports_window.h"
#include "window_fixture.h"

using namespace testing_support;

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
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

    // Places are kept in twips: an unmoved edge keeps its stored number exactly
    // (no creeping through pixels); a place off every screen or a size beyond
    // the screen is fitted and stored. Screens: 1280x900 at (0,0), 1024x768 right of it.
    void placementFitsTheScreens_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QList<double>>("stored");  // left, top, width, height in twips
        QTest::addColumn<QPoint>("at");             // where it must be; (-1,-1): anywhere on a screen
        const double far = 1e12, nan = std::nan("");
        QTest::newRow("main") << "frmMain" << "Main" << QList<double>{3007, 1500, 15000, 9000} << QPoint(200, 100);
        QTest::newRow("main on an unplugged monitor")
            << "frmMain" << "Main" << QList<double>{36000, 1500, 15000, 9000} << QPoint(280, 100);
        QTest::newRow("main not a number") << "frmMain" << "Main" << QList<double>{nan, nan, nan, nan} << QPoint(67, 67);
        QTest::newRow("main beyond the screen's size")
            << "frmMain" << "Main" << QList<double>{3000, 3000, 30000, 30000} << QPoint(0, 0);
        QTest::newRow("port monitor far off")
            << "frmPortMonitor" << "Monitor" << QList<double>{far, far, 8000, 4000} << QPoint(747, 601);
        QTest::newRow("ERBL far off") << "frmERBL" << "ERBL" << QList<double>{far, far} << QPoint(-1, -1);
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
        LoadedWindow m(&store);
        if (window == "frmPortMonitor") Child<QAction>(m.w, "mnuViewPortMonitor")->trigger();
        if (window == "frmERBL") {
            Child<QAction>(m.w, "mnuViewGraphics")->trigger();
            Child<QAction>(*m.w.findChild<QWidget*>("frmGraphics"), "mnuOptionsERBL")->trigger();
        }
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
            const bool unmoved = sane && ui::pixelsFromTwips(int(std::lround(stored[i])), dpi) == pixels;
            QCOMPARE(unmoved ? written : ui::pixelsFromTwips(int(written), dpi), unmoved ? stored[i] : double(pixels));
        }
    }

    void closingSavesTheSetupFileAndTheShipDatabase() {
        TempDir dir;
        {
            MainWindow m;
            m.w.startUp(dir.path());
            m.w.load(false);
            for (int k = 0; k < 2; ++k) Child<QAction>(m.w, "mnuSetupBinaryMsgStd_1")->trigger();  // stays checked
            // A session address (the demo's) does not replace the stored one.
            m.w.useSessionInput("127.0.0.1", 45678);
            m.feed(StaticData(257000001, "BLUE HERON", "LABC"));
            m.w.close();
        }
        const std::string ini = dir.read("Orvanta.ini");
        QVERIFY2(ini.find("#FALSE#,\"127.0.0.1\",8040") != std::string::npos, ini.c_str());
        {
            MainWindow m;
            m.w.startUp(dir.path());
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
        MainWindow m;
        m.w.startUp(dir.path());
        QCOMPARE(m.w.commSettings().Device, std::string("/dev/rfcomm0"));
        QCOMPARE(m.w.commSettings().IPPort, 45678);
    }

    // "From VDO": the panel shows where the own ship is, and the exported list
    // measures range and bearing from there.
    void referencePanelFollowsTheOwnShipAndTheExportMeasuresFromIt() {
        LoadedWindow m;
        Child<QRadioButton>(m.w, "optRefPos_1")->click();
        m.feed(ClassAReport(257999999, 59.5, 5.25, 10.0f), 'A', true);
        QCOMPARE(Child<QLineEdit>(m.w, "txtRefLat")->text().toStdString(),
                 geodesy::FormatPosition(59.5, "LAT", "display", 1));
        QCOMPARE(Child<QLineEdit>(m.w, "txtRefLon")->text().toStdString(),
                 geodesy::FormatPosition(5.25, "LON", "display", 1));
        m.feed(ClassAReport(257000001, 59.6, 5.25, 10.0f));
        TempDir dir;
        QVERIFY(m.w.exports().exportTargets(QString::fromStdString((dir / "targets.csv").string()), app::Exports::TargetFormat::Csv));
        const std::string csv = dir.read("targets.csv");
        QVERIFY2(csv.find(",Range (nm),Bearing (\xC2\xB0),") != std::string::npos, csv.c_str());
        // 0.1 degree of latitude due north on the ellipsoid: 6.015 nm at bearing 0.
        QVERIFY2(csv.find(",257000001,,59.600000,5.250000,6.015,0.0,") != std::string::npos, csv.c_str());
    }
};

// Two screens side by side, for the placement rows.
int main(int argc, char** argv) {
    return RunOnScreens<TestFrmMain>(argc, argv, R"([
        {"name": "primary", "x": 0, "y": 0, "width": 1280, "height": 900, "logicalDpi": 96},
        {"name": "second", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}])");
}
#include "test_frm_main.moc"
