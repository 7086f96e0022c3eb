// Start procedure of the desktop program.
//
//   orvanta [--data-dir DIR] [--demo]
//
// --data-dir  folder of Orvanta.ini, Shipdata.dat and the other data files
//             (default: the program's folder when writable, else ~/.local/share/Orvanta)
// --demo      start the built-in traffic simulator and show its traffic; the
//             stored input settings are kept as they are
//
// Interrupt and terminate end the run in order from the first line of main()
// on, also while a start-up message box waits: what was loaded is saved (the
// setup file, the ship database, the placement), nothing waits on a box, and
// a file that cannot be written is reported on standard error. The exit
// status is 0, or 1 when something could not be saved.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLocale>
#include <QSocketNotifier>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "app/data_folder.h"
#include "app/frm_main_window.h"
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

}  // namespace

int main(int argc, char** argv) {
    catchStopSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvanta");
    QApplication::setApplicationVersion("1.00");

    QCommandLineParser parser;
    parser.setApplicationDescription("Orvanta: AIS receiver and display");
    parser.addHelpOption();
    const QCommandLineOption dataDirOption("data-dir", "Folder of the setup file and the data files.", "DIR");
    const QCommandLineOption demoOption("demo", "Show traffic from the built-in simulator.");
    parser.addOption(dataDirOption);
    parser.addOption(demoOption);
    parser.process(application);

    // Numbers are shown with the user's decimal separator.
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 128) base::setDecimalSeparator(point[0].toLatin1());

    std::optional<std::filesystem::path> given;
    if (parser.isSet(dataDirOption)) given = std::filesystem::path(parser.value(dataDirOption).toStdString());
    const std::filesystem::path dataDir =
        app::ResolveDataFolder(given, QCoreApplication::applicationDirPath().toStdString(), std::getenv("HOME"));

    ui::SettingsStore settings;
    app::FrmMain window(&settings);
    stopOnSignals(window, application);
    // A signal that came while starting (its boxes closed by it) ends the run here.
    const auto stopped = [&window] {
        if (!gStopRequested) return false;
        window.stop();
        return true;
    };
    const bool demo = parser.isSet(demoOption);
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
    if (demo) simulator.start(QDir(QCoreApplication::applicationDirPath()).filePath("orvanta-cli"));

    const int rc = application.exec();
    simulator.stop();
    return rc != 0 ? rc : window.exitCode();
}
