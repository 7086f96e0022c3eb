#include "ui/demo_simulator.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QRegularExpression>

namespace ui {

DemoSimulator::DemoSimulator(QObject* parent) : QObject(parent) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardOutputFile(QProcess::nullDevice());
    // The simulator goes when this program goes, however it ends.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    connect(&process_, &QProcess::readyReadStandardError, this, &DemoSimulator::onStandardError);
    connect(&process_, &QProcess::finished, this, &DemoSimulator::onFinished);
    connect(&process_, &QProcess::errorOccurred, this, &DemoSimulator::onError);
    portTimer_.setSingleShot(true);
    portTimer_.setInterval(15000);
    connect(&portTimer_, &QTimer::timeout, this, [this] {
        if (port_ != 0) return;
        stop();
        emit failed(QStringLiteral("The traffic simulator did not report its port."));
    });
}

DemoSimulator::~DemoSimulator() { stop(); }

int DemoSimulator::PortInLine(const QString& line) {
    static const QRegularExpression re(QStringLiteral("\\(port (\\d+)\\)"));
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch()) return 0;
    const int port = m.captured(1).toInt();
    return port > 0 && port <= 65535 ? port : 0;
}

void DemoSimulator::start(const QString& program, const QStringList& extraArguments) {
    stopping_ = false;
    port_ = 0;
    errorText_.clear();
    QStringList args{"simulate", "--tcp", "127.0.0.1:0", "--start", "now"};
    args += extraArguments;
    process_.start(program, args);
    portTimer_.start();
}

void DemoSimulator::stop() {
    portTimer_.stop();
    if (process_.state() == QProcess::NotRunning) return;
    stopping_ = true;
    process_.terminate();
    if (!process_.waitForFinished(2000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

void DemoSimulator::onStandardError() {
    errorText_ += process_.readAllStandardError();
    if (port_ != 0) {
        errorText_.clear();
        return;
    }
    int nl;
    while ((nl = errorText_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(errorText_.left(nl));
        errorText_.remove(0, nl + 1);
        if (const int p = PortInLine(line)) {
            port_ = p;
            portTimer_.stop();
            emit listening(p);
            return;
        }
    }
    if (errorText_.size() > 4096) errorText_.clear();
}

void DemoSimulator::onFinished(int exitCode, QProcess::ExitStatus status) {
    portTimer_.stop();
    if (stopping_) return;
    emit failed(QStringLiteral("The traffic simulator ended (exit code %1).").arg(exitCode));
}

void DemoSimulator::onError(QProcess::ProcessError error) {
    if (stopping_ || error != QProcess::FailedToStart) return;
    portTimer_.stop();
    emit failed(QStringLiteral("The traffic simulator could not be started: ") + process_.errorString());
}

}  // namespace ui
