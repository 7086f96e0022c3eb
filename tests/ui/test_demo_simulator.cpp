// The demo: the simulator as a child process, its port, and the main window
// showing its traffic over TCP.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
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

    void silentProgramTimesOutAndIsStopped() {
        // A program that runs on and says nothing on standard error.
        QTemporaryDir dir;
        const QString program = dir.filePath("silent");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexec sleep 30\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ui::DemoSimulator sim;
        sim.setPortTimeout(200);
        QSignalSpy failed(&sim, &ui::DemoSimulator::failed);
        sim.start(program);
        QVERIFY(failed.wait(5000));
        QCOMPARE(failed[0][0].toString(), QString("The traffic simulator did not report its port."));
        QVERIFY(!sim.running());
        QCOMPARE(failed.count(), 1);
    }

    void windowShowsTheSimulatorsTraffic() {
        const QString cli = QDir(QCoreApplication::applicationDirPath()).filePath("orvanta-cli");
        if (!QFileInfo(cli).isExecutable()) QSKIP("orvanta-cli is not built beside the tests");
        base::RecordingMessageSink messages;
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
