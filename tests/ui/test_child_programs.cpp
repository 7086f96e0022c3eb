// The programs as child processes: the demo's simulator feeding the main
// window over TCP; the real program ending in order on interrupt and
// terminate, behind the first start's message box or in its main window after
// traffic, saving its files; a file that cannot be written is reported on
// standard error and in the exit status, and the old files stay as they were.
#include <signal.h>
#include <sys/resource.h>

#include <QProcess>

#include "station/setup_file.h"
#include "ui/demo_simulator.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

const std::string kOldShips = "211000001,\"old ship\",\"ABCD\",0,10,10,5,5,70,1\r\n";

// Waits until the process sleeps without using the processor for half a
// second: it waits in an event loop, behind a box or in its main window.
bool waitUntilIdle(qint64 pid) {
    QByteArray last;
    int still = 0;
    for (int i = 0; i < 300 && still < 5; ++i) {
        QFile stat(QString("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) return false;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const QByteArray now = f.value(0) + ' ' + f.value(11) + ' ' + f.value(12);  // state, user and system time
        still = f.value(0) == "S" && now == last ? still + 1 : 0;
        last = now;
        QTest::qWait(100);
    }
    return still >= 5;
}

}  // namespace

class TestChildPrograms : public QObject {
    Q_OBJECT
private slots:
    void windowShowsTheSimulatorsTraffic() {
        const QString cli = QDir(QCoreApplication::applicationDirPath()).filePath("orvanta-cli");
        if (!QFileInfo(cli).isExecutable()) QSKIP("orvanta-cli is not built beside the tests");
        TempDir dir;
        LoadedWindow m(dir.path());  // no setup file: the demo needs no port chosen
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

    void endsInOrderOnSignals_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("traffic");
        QTest::addColumn<bool>("full");  // no file can be written
        QTest::newRow("terminate behind the first start's box") << SIGTERM << false << false;
        QTest::newRow("interrupt behind the first start's box") << SIGINT << false << false;
        QTest::newRow("terminate after traffic") << SIGTERM << true << false;
        QTest::newRow("terminate after traffic, disk full") << SIGTERM << true << true;
    }
    void endsInOrderOnSignals() {
        QFETCH(int, signal);
        QFETCH(bool, traffic);
        QFETCH(bool, full);
        TempDir dir;
        dir.write("Shipdata.dat", kOldShips);
        LocalServer server;
        std::string setup;
        if (traffic) {
            input::CommSettings comm;
            input::SetSetupDefaults(comm);
            comm.UseTCP = true, comm.IPAddress = "127.0.0.1", comm.IPPort = server.port();
            setup = input::FormatSetup(comm, {}, targets::Reference{});
            dir.write("Orvanta.ini", setup);
        }

        QProcess orvanta;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(dir.path().string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        orvanta.setProcessEnvironment(env);
        if (full) {
            // Writes beyond a few bytes fail as on a full disk (also for root).
            orvanta.setChildProcessModifier([] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit small{64, 64};
                ::setrlimit(RLIMIT_FSIZE, &small);
            });
        }
        orvanta.start(ORVANTA_PATH, {"--data-dir", QString::fromStdString(dir.path().string())});
        QVERIFY(orvanta.waitForStarted());
        if (traffic) {
            QVERIFY(server.accept());
            server.send(Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 12.3f))) +
                        Join(Sentences(StaticData(257000001, "BLUE HERON", "LABC"))));
        }
        QVERIFY(waitUntilIdle(orvanta.processId()));
        ::kill(static_cast<pid_t>(orvanta.processId()), signal);
        QVERIFY2(orvanta.waitForFinished(20000), "the program waits for something");
        const QString errors = QString::fromUtf8(orvanta.readAllStandardError());
        QCOMPARE(std::pair(orvanta.exitStatus(), orvanta.exitCode()), std::pair(QProcess::NormalExit, full ? 1 : 0));

        const std::string ships = dir.read("Shipdata.dat");
        if (!traffic) {
            // The unread box is not lost; the defaults are stored as closing the window would.
            QVERIFY2(errors.contains("Setup file do not exist"), qPrintable(errors));
            QVERIFY(std::filesystem::exists(dir / "Orvanta.ini"));
            QCOMPARE(ships, kOldShips);
        } else if (full) {
            QVERIFY2(errors.contains("Setup file not stored") && errors.contains("Ship database not stored"),
                     qPrintable(errors));
            QCOMPARE(dir.read("Orvanta.ini"), setup);
            QCOMPARE(ships, kOldShips);
        } else {
            QCOMPARE(dir.read("Orvanta.ini"), setup);
            // The earlier record stays in its place; the run's vessel follows.
            QVERIFY2(ships.starts_with(kOldShips) && ships.find("257000001,\"blue heron") == kOldShips.size(),
                     ships.c_str());
        }
    }
};

QTEST_MAIN(TestChildPrograms)
#include "test_child_programs.moc"
