// Start procedure of the desktop program.
//
//   orvanta [--data-dir DIR] [--demo [--udp]]
//
// --data-dir  folder of Orvanta.ini, Shipdata.dat and the other data files
//             (default: the program's folder when writable, else ~/.local/share/Orvanta);
//             the window settings are then kept there too (Orvanta.conf)
// --demo      start the built-in traffic simulator and show its traffic; the
//             stored input settings are kept as they are
// --udp       with --demo: a second input of this session, a UDP listener on
//             a free loopback port, fed by the same simulator with tag blocks
//
// --help and --version are answered without a display. The help text is also
// the source of the manual page (packaging/man/make-man).
//
// Interrupt and terminate end the run in order from the first line of main()
// on, also while a start-up message box waits: what was loaded is saved (the
// setup file, the ship database, the placement), nothing waits on a box, and
// a file that cannot be written is reported on standard error. The exit
// status is 0, or 1 when something could not be saved.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "station/data_folder.h"
#include "app/frm_main_window.h"
#include "station/transports/station_transport.h"
#include "base/number_format.h"
#include "ui/demo_simulator.h"
#include "ui/settings_store.h"

namespace {

// The handler only notes the signal and wakes the event loop through a pipe;
// the run is ended from the loop, where it is safe to write files.
int gSignalPipe[2] = {-1, -1};
volatile sig_atomic_t gStopRequested = 0;

void onSignal(int) {
    gStopRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

void catchStopSignals() {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

// From here on a signal stops the window wherever the program waits, in the
// main loop or in a modal box's own loop.
void stopOnSignals(app::FrmMain& window, QObject& owner) {
    if (gSignalPipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char buffer[16];
        while (::read(gSignalPipe[0], buffer, sizeof buffer) > 0) {
        }
        window.stop();
        QCoreApplication::exit(window.exitCode());
    });
}

constexpr const char* kDescription =
    "Orvanta: AIS receiver and display.\n"
    "\n"
    "Receives AIS traffic as NMEA 0183 !AIVDM/!AIVDO sentences from a serial port\n"
    "or a TCP server, decodes every message and shows a table of up to 1000\n"
    "targets with their reception statistics, a plot of them, and the messages\n"
    "received. File > Export targets... writes the table as CSV or GeoJSON, File >\n"
    "Export tracks... the targets' tracks as GPX.\n"
    "\n"
    "The data folder holds Orvanta.ini (the setup), Shipdata.dat, AIS_Messages/,\n"
    "Flags/ and Database/. It is the folder given with --data-dir, else the\n"
    "program's folder when it may be written (never /usr/bin and the like), else\n"
    "~/.local/share/Orvanta. The window settings are kept in\n"
    "~/.config/Orvanta/Orvanta.conf, or with --data-dir in DIR/Orvanta.conf, so a\n"
    "run with --data-dir writes nothing outside DIR.";

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption dataDir{"data-dir", "Folder of the setup file, the data files and the settings.", "DIR"};
    QCommandLineOption demo{"demo", "Show traffic from the built-in simulator; the stored input settings are kept."};
    QCommandLineOption udp{"udp", "With --demo: the simulator also sends its traffic, with NMEA 4.0 tag blocks, to a "
                                  "second input of this session, a UDP listener on a free loopback port."};

    CommandLine() {
        parser.setApplicationDescription(kDescription);
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(dataDir);
        parser.addOption(demo);
        parser.addOption(udp);
    }
};

void setIdentity() {
    QCoreApplication::setApplicationName("Orvanta");
    QCoreApplication::setApplicationVersion(ORVANTA_VERSION);
}

// Help and version need no window, so they must not need a display either.
bool onlyText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "-h" || a == "--help" || a == "--help-all" || a == "-?" || a == "-v" || a == "--version") return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (onlyText(argc, argv)) {
        QCoreApplication application(argc, argv);
        setIdentity();
        CommandLine commandLine;
        commandLine.parser.process(application);  // prints and exits
        return 0;
    }

    catchStopSignals();
    QApplication application(argc, argv);
    setIdentity();
    QGuiApplication::setDesktopFileName("orvanta");
    QApplication::setWindowIcon(QIcon::fromTheme("orvanta"));

    CommandLine commandLine;
    QCommandLineParser& parser = commandLine.parser;
    const QCommandLineOption& dataDirOption = commandLine.dataDir;
    const QCommandLineOption& demoOption = commandLine.demo;
    parser.process(application);

    // Numbers are shown with the user's decimal separator.
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 128) base::setDecimalSeparator(point[0].toLatin1());

    std::optional<std::filesystem::path> given;
    if (parser.isSet(dataDirOption)) given = std::filesystem::path(parser.value(dataDirOption).toStdString());
    const std::filesystem::path dataDir =
        app::ResolveDataFolder(given, QCoreApplication::applicationDirPath().toStdString(), std::getenv("HOME"));

    const auto settings = ui::SettingsStore::ForRun(given ? QString::fromStdString(dataDir.string()) : QString());
    app::FrmMain window(settings.get());
    stopOnSignals(window, application);
    // A signal that came while starting (its boxes closed by it) ends the run here.
    const auto stopped = [&window] {
        if (!gStopRequested) return false;
        window.stop();
        return true;
    };
    const bool demo = parser.isSet(demoOption);
    // Start-up boxes open over the main window, once it is up.
    window.holdMessages();
    window.startUp(dataDir, /*quietWithoutSetupFile=*/demo);
    if (stopped()) return window.exitCode();

    ui::DemoSimulator simulator;
    if (demo) {
        // The input opens once the simulator listens; its port is this session's only.
        QObject::connect(&simulator, &ui::DemoSimulator::listening, &window, [&window](int port) {
            window.useSessionInput("127.0.0.1", port);
            window.OpenInput();
        });
        QObject::connect(&simulator, &ui::DemoSimulator::failed, &window, [&window](const QString& text) {
            window.operatorMessage(base::MessageIcon::Exclamation, "Orvanta", text.toStdString());
        });
    }
    window.load(/*openInput=*/!demo);
    if (stopped()) return window.exitCode();
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.showHeldMessages(); });
    QStringList simulatorArguments;
    if (demo && parser.isSet(commandLine.udp)) {
        std::string error;
        const int port = window.station().addSessionUdpInput(error);
        if (port > 0) {
            simulatorArguments << "--udp" << QString("127.0.0.1:%1").arg(port) << "--tags";
        } else {
            window.operatorMessage(base::MessageIcon::Exclamation, "Orvanta", "UDP input not opened: " + error);
        }
    }
    if (demo) simulator.start(QDir(QCoreApplication::applicationDirPath()).filePath("orvanta-cli"), simulatorArguments);

    const int rc = application.exec();
    simulator.stop();
    return rc != 0 ? rc : window.exitCode();
}
