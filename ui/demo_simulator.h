// DemoSimulator: runs the built-in traffic simulator (`orvanta-cli simulate`)
// as a child process serving TCP on a free loopback port, for `orvanta --demo`.
// The simulator picks the port itself (it is asked for port 0) and names it
// on its standard error; listening(port) is emitted then. The child is ended
// with this object, and also when the program dies without cleaning up.
//
//   ui::DemoSimulator sim;
//   connect(&sim, &ui::DemoSimulator::listening, ...);   // connect to 127.0.0.1:port
//   connect(&sim, &ui::DemoSimulator::failed, ...);      // show the text
//   sim.start(QCoreApplication::applicationDirPath() + "/orvanta-cli");
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace ui {

class DemoSimulator : public QObject {
    Q_OBJECT
public:
    explicit DemoSimulator(QObject* parent = nullptr);
    ~DemoSimulator() override;

    // Starts `program simulate --tcp 127.0.0.1:0 ...` with extra arguments appended.
    void start(const QString& program, const QStringList& extraArguments = {});
    void stop();
    // How long the simulator may take to name its port before start counts as failed.
    void setPortTimeout(int ms) { portTimer_.setInterval(ms); }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    int port() const { return port_; }

    // The port in a line of the simulator's standard error, or 0.
    static int PortInLine(const QString& line);

signals:
    void listening(int port);
    void failed(const QString& description);

private:
    void onStandardError();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);

    QProcess process_;
    QTimer portTimer_;
    QByteArray errorText_;
    int port_ = 0;
    bool stopping_ = false;
};

}  // namespace ui
