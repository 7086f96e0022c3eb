// The demo: the simulator as a child process and the main window showing its
// traffic over TCP.
#include "ui/demo_simulator.h"
#include "window_fixture.h"

using namespace testing_support;

class TestDemoSimulator : public QObject {
    Q_OBJECT
private slots:
    void windowShowsTheSimulatorsTraffic() {
        const QString cli = QDir(QCoreApplication::applicationDirPath()).filePath("orvanta-cli");
        if (!QFileInfo(cli).isExecutable()) QSKIP("orvanta-cli is not built beside the tests");
        TempDir dir;
        MainWindow m;
        m.w.startUp(dir.path(), true);  // no setup file: the demo needs no port chosen
        m.w.load(false);
        ui::DemoSimulator sim;
        QSignalSpy listening(&sim, &ui::DemoSimulator::listening);
        connect(&sim, &ui::DemoSimulator::listening, &m.w, [&m](int port) {
            m.w.useSessionInput("127.0.0.1", port);
            m.w.OpenInput();
        });
        sim.start(cli, {"--speed", "20"});
        QVERIFY(listening.wait(10000));
        QTRY_VERIFY_WITH_TIMEOUT(m.w.panelText(2).endsWith("    State : Connected"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(m.w.listModel().rowCount() >= 10, 20000);
        QVERIFY2(m.messages.entries.empty(), qPrintable(m.lastMessage()));
        sim.stop();
        QVERIFY(!sim.running());
    }
};

QTEST_MAIN(TestDemoSimulator)
#include "test_demo_simulator.moc"
