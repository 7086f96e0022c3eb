// Start procedure of the desktop program.
//
//   orvanta [--data-dir DIR] [--demo]
//
// --data-dir  folder of Orvanta.ini, Shipdata.dat and the other data files
//             (default: the program's folder when writable, else ~/.local/share/Orvanta)
// --demo      start the built-in traffic simulator and show its traffic; the
//             stored input settings are kept as they are
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

// Interrupt and terminate close the main window the ordinary way, so the
// setup file, the ship database and the placement are still saved.
int gSignalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

void closeOnSignals(QWidget& window) {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char buffer[16];
        while (::read(gSignalPipe[0], buffer, sizeof buffer) > 0) {
        }
        window.close();
    });
}

}  // namespace

int main(int argc, char** argv) {
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
    const bool demo = parser.isSet(demoOption);
    window.startUp(dataDir, /*quietWithoutSetupFile=*/demo);

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
    closeOnSignals(window);
    window.show();
    if (demo) simulator.start(QDir(QCoreApplication::applicationDirPath()).filePath("orvanta-cli"));

    const int rc = application.exec();
    simulator.stop();
    return rc;
}
