// orvanta-station: the receive pipeline without a screen, as a service.
// Runs until SIGTERM or SIGINT; SIGHUP reads the setup again.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#include "app/headless_station.h"
#include "station/data_folder.h"

namespace {

constexpr const char* kDescription =
    "Orvanta station: receives AIS traffic on the inputs of a data folder's setup (the\n"
    "files the desktop program writes), keeps the target table, the watch and the\n"
    "outputs, and serves the web view and its HTTP/JSON API. Logs to standard error.\n"
    "SIGTERM or SIGINT stops it (the ship database is stored); SIGHUP reads the setup\n"
    "file and the settings again.";

int signalPipe[2] = {-1, -1};

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    // Only an async-signal-safe write here; the event loop does the rest.
    (void)!::write(signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("Orvanta");
    QCoreApplication::setApplicationVersion(ORVANTA_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption dataDir{"data-dir", "Folder of the setup file, the data files and the settings.", "DIR"};
    QCommandLineOption http{"http", "Serve the web view on ADDRESS:PORT (127.0.0.1:8080 unless the settings say "
                                    "otherwise; any address but loopback needs the access token).",
                            "ADDRESS:PORT"};
    parser.addOption(dataDir);
    parser.addOption(http);
    parser.process(application);

    std::optional<std::filesystem::path> given;
    if (parser.isSet(dataDir)) given = std::filesystem::path(parser.value(dataDir).toStdString());
    const std::filesystem::path folder =
        app::ResolveDataFolder(given, QCoreApplication::applicationDirPath().toStdString(), std::getenv("HOME"));
    std::optional<app::WebSettings> web;
    if (parser.isSet(http)) {
        app::WebSettings w;
        if (!app::ParseListenAddress(parser.value(http), w.address, w.port)) {
            std::fprintf(stderr, "orvanta-station: --http wants ADDRESS:PORT, not \"%s\"\n",
                         parser.value(http).toLocal8Bit().constData());
            return 2;
        }
        web = w;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("orvanta-station: socketpair");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    base::SystemClock clock;
    app::HeadlessStation station(folder, clock);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &station, [&] {
        char byte = 0;
        if (::read(signalPipe[0], &byte, 1) != 1) return;
        if (byte == SIGHUP) {
            station.reload();
        } else {
            std::fprintf(stderr, "orvanta-station: stopping\n");
            QCoreApplication::quit();
        }
    });
    std::string error;
    std::fprintf(stderr, "orvanta-station: data folder %s\n", folder.string().c_str());
    if (!station.start(web, error)) {
        std::fprintf(stderr, "orvanta-station: %s\n", error.c_str());
        return 1;
    }
    const int status = QCoreApplication::exec();
    station.shutdown();
    std::fprintf(stderr, "orvanta-station: stopped\n");
    return status;
}
