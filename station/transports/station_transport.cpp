#include "station/transports/station_transport.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/work_trace.h"
#include "station/receiver.h"
#include "station/transports/forward_transport.h"
#include "station/transports/kinds_transport.h"
#include "station/transports/playback_transport.h"
#include "station/transports/udp_transport.h"

namespace app {

struct StationTransport::Input {
    input::InputSetting setting;
    int number = -1;
    QString label;
    std::unique_ptr<input::Transport> transport;
    std::unique_ptr<QTimer> retry;
};

namespace {

QString labelOf(const input::InputSetting& s) { return QString::fromStdString(input::InputLabel(s.Type, s.Address, s.Port)); }

bool retries(input::InputKind kind) {
    const input::InputKindInfo* k = input::FindInputKind(kind);
    return k && k->retries;
}

}  // namespace

StationTransport::StationTransport(Receiver& receiver, QObject* parent)
    : QObject(parent),
      rx_(receiver),
      recorder_([] { return static_cast<int64_t>(QDateTime::currentSecsSinceEpoch()); }),
      flushTimer_(new QTimer(this)) {
    // A crash loses at most the last second of a recording.
    flushTimer_->setInterval(1000);
    connect(flushTimer_, &QTimer::timeout, this, [this] {
        if (!recorder_.flush()) {
            rx_.removeTap(&recorder_);
            flushTimer_->stop();
            emit recordingFailed(QString::fromStdString(recorder_.error()));
        }
    });
}

StationTransport::~StationTransport() {
    closeMain();
    std::string ignored;
    stopRecording(ignored);
    stopPlayback();
    closeAll();
    for (auto& in : sessionInputs_) rx_.removeInput(in->number);
}

void StationTransport::closeAll() {
    for (auto& in : inputs_) {
        if (in->number >= 0) rx_.removeInput(in->number);
    }
    inputs_.clear();
    if (forwarding_) rx_.removeTap(&forwarder_);
    forwarding_ = false;
    if (udpOut_) forwarder_.removeSink(udpOut_);
    if (tcpOut_) forwarder_.removeSink(tcpOut_);
    delete udpOut_;
    delete tcpOut_;
    udpOut_ = nullptr;
    tcpOut_ = nullptr;
}

std::unique_ptr<input::Transport> StationTransport::make(input::InputKind kind) {
    std::unique_ptr<input::Transport> t = input::MakeTransport(kind);
    if (t && prepare_) prepare_(*t);
    return t;
}

input::ConnectionManager& StationTransport::attachMain(const input::CommSettings& comm, input::ConnectionView& view,
                                                       base::MessageSink& messages) {
    main_ = std::make_unique<Input>();
    main_->number = Receiver::kMainInput;
    input::MainInputSlot& slot = *this;
    connection_ = std::make_unique<input::ConnectionManager>(comm, slot, view, messages);
    return *connection_;
}

input::Transport* StationTransport::transport() { return main_ ? main_->transport.get() : nullptr; }

const input::Transport* StationTransport::mainTransport(input::InputKind kind) const {
    return main_ && main_->setting.Type == kind ? main_->transport.get() : nullptr;
}

input::Transport& StationTransport::transportFor(input::InputKind kind) {
    Input& in = *main_;
    if (in.transport && in.setting.Type == kind) return *in.transport;
    if (in.transport) in.transport->close();
    in.setting.Type = kind;
    in.transport = make(kind);
    in.transport->setBytesHandler([this](std::string_view b) {
        const ui::WorkScope traced(ui::WorkPart::Input);
        rx_.takeBytes(Receiver::kMainInput, b);
    });
    in.transport->setOpenedHandler([this] { connection_->TransportOpened(); });
    // Queued: the manager closes the transport, which must not happen inside
    // its own notification.
    // A loss of a transport made before the current one is no news.
    const int made = ++mainMade_;
    in.transport->setLostHandler([this, made](const input::TransportLoss& loss) {
        QTimer::singleShot(0, this, [this, made, loss] {
            if (made == mainMade_) connection_->TransportLost(loss);
        });
    });
    return *in.transport;
}

void StationTransport::closeMain() {
    if (!main_ || !main_->transport) return;
    input::Transport& t = *main_->transport;
    t.setBytesHandler({});
    t.setOpenedHandler({});
    t.setLostHandler({});
    ++mainMade_;
    t.close();
}

std::string StationTransport::open(Input& in) {
    const int n = in.number;
    if (!in.transport) {
        in.transport = make(in.setting.Type);
        if (!in.transport) return "no transport for this kind of input";
        in.transport->setBytesHandler([this, n](std::string_view b) {
            const ui::WorkScope traced(ui::WorkPart::Input);
            rx_.takeBytes(n, b);
        });
        // Handled once the transport's own notification is over: closing it
        // inside its own signal is not safe. Gone with the input's timer.
        QTimer* retry = in.retry.get();
        in.transport->setLostHandler([this, &in, retry](const input::TransportLoss&) {
            QTimer::singleShot(0, retry, [this, &in] {
                in.transport->close();
                rx_.inputRestarted(in.number);
                if (retries(in.setting.Type)) in.retry->start();
            });
        });
    }
    in.transport->close();
    rx_.inputRestarted(n);
    std::string error;
    if (!in.transport->open(in.setting, error)) return error;
    return {};
}

std::vector<std::string> StationTransport::apply(const input::StationSettings& settings) {
    closeAll();
    settings_ = settings;
    std::vector<std::string> problems;
    for (const input::InputSetting& s : settings.Inputs) {
        if (!s.Enabled) continue;
        auto in = std::make_unique<Input>();
        in->setting = s;
        in->label = labelOf(s);
        in->number = rx_.addInput(s.Type);
        in->retry = std::make_unique<QTimer>();
        in->retry->setSingleShot(true);
        in->retry->setInterval(kRetryMs);
        Input* raw = in.get();
        connect(in->retry.get(), &QTimer::timeout, this, [this, raw] {
            if (!open(*raw).empty() && retries(raw->setting.Type)) raw->retry->start();
        });
        if (const std::string e = open(*in); !e.empty()) {
            problems.push_back(in->label.toStdString() + ": " + e);
            if (retries(s.Type)) in->retry->start();
        }
        inputs_.push_back(std::move(in));
    }

    const input::OutputSettings& o = settings.Outputs;
    forwarder_.setStripTags(o.StripTags);
    std::string error;
    if (o.UdpEnabled) {
        udpOut_ = new input::UdpForwardTransport(this);
        if (udpOut_->open(o.UdpAddress, o.UdpPort, error)) {
            forwarder_.addSink(udpOut_);
        } else {
            problems.push_back("Forward to UDP: " + error);
        }
    }
    if (o.TcpEnabled) {
        tcpOut_ = new input::TcpForwardServer(this);
        if (tcpOut_->listen(o.TcpListenAddress, o.TcpPort, error)) {
            forwarder_.addSink(tcpOut_);
        } else {
            problems.push_back("Forward on TCP port " + std::to_string(o.TcpPort) + ": " + error);
        }
    }
    forwarding_ = o.UdpEnabled || o.TcpEnabled;
    if (forwarding_) rx_.addTap(&forwarder_);
    return problems;
}

int StationTransport::addSessionUdpInput(std::string& error) {
    auto in = std::make_unique<Input>();
    in->setting = {input::InputKind::Udp, true, "127.0.0.1", 0, 0};
    in->number = rx_.addInput(input::InputKind::Udp);
    in->retry = std::make_unique<QTimer>();
    error = open(*in);
    if (!error.empty()) {
        rx_.removeInput(in->number);
        return 0;
    }
    const int port = static_cast<input::UdpTransport&>(*in->transport).localPort();
    in->label = QString("UDP 127.0.0.1:%1 (this session)").arg(port);
    sessionInputs_.push_back(std::move(in));
    return port;
}

std::vector<std::pair<int, QString>> StationTransport::inputLabels() const {
    std::vector<std::pair<int, QString>> out;
    for (const auto& in : inputs_) out.emplace_back(in->number, in->label);
    for (const auto& in : sessionInputs_) out.emplace_back(in->number, in->label);
    if (playback_) out.emplace_back(playback_->number, playback_->label);
    return out;
}

bool StationTransport::startRecording(const std::string& path, bool addTime, bool syncToDisk, std::string& error) {
    if (!recorder_.open(path, addTime, syncToDisk, error)) return false;
    rx_.addTap(&recorder_);
    flushTimer_->start();
    recordStartMs_ = QDateTime::currentMSecsSinceEpoch();
    return true;
}

bool StationTransport::stopRecording(std::string& error) {
    rx_.removeTap(&recorder_);
    flushTimer_->stop();
    const bool ok = recorder_.close();
    if (!ok) error = recorder_.error();
    return ok;
}

input::PlaybackTransport* StationTransport::playback() const {
    return playback_ ? static_cast<input::PlaybackTransport*>(playback_->transport.get()) : nullptr;
}

bool StationTransport::startPlayback(const std::string& path, double speed, std::string& error, double rate) {
    stopPlayback();
    auto in = std::make_unique<Input>();
    in->setting = {.Type = input::InputKind::Playback, .Address = path};
    in->label = labelOf(in->setting);
    in->transport = make(in->setting.Type);
    auto& p = static_cast<input::PlaybackTransport&>(*in->transport);
    p.setRate(rate);
    p.setMaxGap(maxGap_);
    p.setSpeed(speed);
    p.onGapSkipped([this](double seconds) {
        emit playbackGapSkipped(QString::fromStdString(input::GapSkippedText(seconds)));
    });
    // The first piece comes inside open: the input is there before it.
    in->number = rx_.addInput(in->setting.Type);
    const int n = in->number;
    p.setBytesHandler([this, n](std::string_view b) { rx_.takeBytes(n, b); });
    // The end of the file, once the transport's own tick is over.
    p.setLostHandler([this](const input::TransportLoss& loss) {
        if (loss.ended) QTimer::singleShot(0, this, &StationTransport::playbackEnded);
    });
    speed_ = speed;
    paused_ = false;
    playback_ = std::move(in);
    if (!p.open(playback_->setting, error)) {
        rx_.removeInput(n);
        playback_.reset();
        return false;
    }
    return true;
}

void StationTransport::playbackEnded() {
    if (!playback_ || playback_->transport->status() != input::TransportStatus::Closed) return;
    // The last line of a file may lack its line feed: it still counts.
    const int n = playback_->number;
    if (!rx_.pendingInput(n).empty()) rx_.takeBytes(n, "\n");
    stopPlayback();
    emit playbackFinished();
}

double StationTransport::playbackFraction() const { return playback_ ? playback()->fraction() : 0; }

int64_t StationTransport::playbackFeedTime() const { return playback_ ? playback()->feedTime() : -1; }

int StationTransport::playbackInput() const { return playback_ ? playback_->number : -1; }

void StationTransport::setPlaybackSpeed(double speed) {
    speed_ = speed;
    if (playback_) playback()->setSpeed(speed);
}

void StationTransport::setPlaybackPaused(bool paused) {
    paused_ = paused;
    if (playback_) playback()->setPaused(paused);
}

void StationTransport::seekPlayback(double fraction) {
    if (!playback_) return;
    rx_.dropPending(playback_->number);
    playback()->seek(fraction);
}

double StationTransport::recordingSeconds() const {
    return recorder_.isOpen() ? static_cast<double>(QDateTime::currentMSecsSinceEpoch() - recordStartMs_) / 1000.0 : 0;
}

void StationTransport::setPlaybackMaxGap(double seconds) {
    maxGap_ = seconds;
    if (playback_) playback()->setMaxGap(seconds);
}

void StationTransport::stopPlayback() {
    if (!playback_) return;
    input::Transport& t = *playback_->transport;
    t.setBytesHandler({});
    t.setLostHandler({});
    t.close();
    rx_.removeInput(playback_->number);
    playback_.reset();
}

void StationTransport::setStationName(const std::string& name) {
    forwarder_.setStationName(name, [] { return QDateTime::currentSecsSinceEpoch(); });
}

}  // namespace app
