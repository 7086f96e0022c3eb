// The demo: the simulator as a child process, its port, and the main window
// showing its traffic over TCP.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include "app/frm_main_window.h"
#include "targets/target_list_model.h"
#include "ui/demo_simulator.h"

class TestDemoSimulator : public QObject {
    Q_OBJECT
private slots:
    void portLine() {
        QCOMPARE(ui::DemoSimulator::PortInLine("simulate: TCP server on 127.0.0.1:0 (port 40123)"), 40123);
        QCOMPARE(ui::DemoSimulator::PortInLine("simulate: 10 messages"), 0);
        QCOMPARE(ui::DemoSimulator::PortInLine("(port 70000)"), 0);
    }

    void missingProgramFails() {
        ui::DemoSimulator sim;
        QSignalSpy failed(&sim, &ui::DemoSimulator::failed);
        sim.start("/nonexistent/orvanta-cli");
        QVERIFY(failed.wait(5000));
        QVERIFY(failed[0][0].toString().startsWith("The traffic simulator could not be started: "));
    }

    void windowShowsTheSimulatorsTraffic() {
        const QString cli = QDir(QCoreApplication::applicationDirPath()).filePath("orvanta-cli");
        if (!QFileInfo(cli).isExecutable()) QSKIP("orvanta-cli is not built beside the tests");
        app::RecordingMessageSink messages;
        app::FrmMain w;
        w.setMessageSink(&messages);
        w.load(false);
        ui::DemoSimulator sim;
        QSignalSpy listening(&sim, &ui::DemoSimulator::listening);
        connect(&sim, &ui::DemoSimulator::listening, &w, [&w](int port) {
            w.useSessionInput("127.0.0.1", port);
            w.OpenInput();
        });
        sim.start(cli, {"--speed", "20"});
        QVERIFY(listening.wait(10000));
        QVERIFY(sim.port() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(w.panelText(2).endsWith("    State : Connected"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(w.listModel().rowCount() >= 10, 20000);
        QVERIFY(messages.entries.empty());
        sim.stop();
        QVERIFY(!sim.running());
    }
};

QTEST_MAIN(TestDemoSimulator)
#include "test_demo_simulator.moc"
