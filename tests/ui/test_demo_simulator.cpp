// The demo: the simulator as a child process, its port, and the main window
// showing its traffic over TCP.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "ui/demo_simulator.h"
#include "window_fixture.h"

using namespace testing_support;

class TestDemoSimulator : public QObject {
    Q_OBJECT
private slots:
    void portLine() {
        QCOMPARE(ui::DemoSimulator::PortInLine("simulate: TCP server on 127.0.0.1:0 (port 40123)"), 40123);
        QCOMPARE(ui::DemoSimulator::PortInLine("(port 70000)"), 0);
    }

    void failures_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing program") << "" << "The traffic simulator could not be started: ";
        QTest::newRow("silent program") << "#!/bin/sh\nexec sleep 30\n"
                                        << "The traffic simulator did not report its port.";
    }
    void failures() {
        QFETCH(QString, script);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString program = dir.filePath("simulator");
        if (!script.isEmpty()) {
            QFile file(program);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(script.toUtf8());
            file.close();
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        ui::DemoSimulator sim;
        sim.setPortTimeout(200);
        QSignalSpy failed(&sim, &ui::DemoSimulator::failed);
        sim.start(program);
        QVERIFY(failed.wait(5000));
        QVERIFY2(failed[0][0].toString().startsWith(message), qPrintable(failed[0][0].toString()));
        QVERIFY(!sim.running());
    }

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
