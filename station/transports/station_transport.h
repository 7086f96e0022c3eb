// StationTransport: the inputs (the main one, input 0, and the further ones),
// the forwarding outputs, the recording and the play back of a file, around
// one Receiver. The main
// window owns one and applies what Setup > Inputs returns; tests drive it
// directly.
//
//   app::StationTransport io(receiver, this);
//   const std::vector<std::string> problems = io.apply(settings);  // told to the operator
//   io.startRecording(path, true, error);
//   io.startPlayback(path, 10.0, error);    // 0: as fast as possible
//
// Every input gets a number in the receiver (its own framer, intake and
// counters). A TCP client input that fails or is closed tries again every
// kRetryMs; a serial device that goes away likewise. Applying settings
// closes every further input and output and opens those the settings name
// (disabled inputs stay closed). A play back is an input too; it ends by
// itself at the end of its file.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "station/connection.h"
#include "station/forwarder.h"
#include "station/playback.h"
#include "station/recorder.h"
#include "station/setup_file.h"

namespace input {
class PlaybackTransport;
class UdpForwardTransport;
class TcpForwardServer;
}  // namespace input

namespace app {

class Receiver;

class StationTransport : public QObject, private input::MainInputSlot {
    Q_OBJECT
public:
    using Prepare = std::function<void(input::Transport&)>;

    static constexpr int kRetryMs = 10000;

    explicit StationTransport(Receiver& receiver, QObject* parent = nullptr);
    ~StationTransport() override;

    // Closes the further inputs and outputs and opens those of settings.
    // Returns what could not be opened, one text each.
    std::vector<std::string> apply(const input::StationSettings& settings);
    const input::StationSettings& settings() const { return settings_; }

    // The main input: input 0 of the list, opened, watched and retried by a
    // ConnectionManager on the settings comm (serial or TCP client), which
    // tells the view and the messages. Once, before the first OpenInput.
    input::ConnectionManager& attachMain(const input::CommSettings& comm, input::ConnectionView& view,
                                         base::MessageSink& messages);
    input::ConnectionManager& connection() { return *connection_; }
    // The main input's transport; null before it is first opened.
    input::Transport* mainTransport() { return transport(); }
    // Of that kind only (the port monitor reads the TCP connection).
    const input::Transport* mainTransport(input::InputKind kind) const;
    // Closed for good, without further notifications (the program ends).
    void closeMain();
    // Called on each transport the list makes, before it opens (tests put a
    // pseudo-terminal behind the serial port numbers).
    void setPrepare(Prepare prepare) { prepare_ = std::move(prepare); }

    // A UDP listener on a free loopback port for this session only (the
    // demo's second input); not part of the settings. Returns the port, 0
    // on failure.
    int addSessionUdpInput(std::string& error);

    // The open inputs besides the main one: receiver number and a label
    // ("UDP 0.0.0.0:10110"), for the port monitor's input choice.
    std::vector<std::pair<int, QString>> inputLabels() const;
    // The name this station gives what it forwards (s: tags); empty: none.
    void setStationName(const std::string& name);
    // The TCP server of the outputs, or null.
    input::TcpForwardServer* tcpOutput() const { return tcpOut_; }

    // addTime: untagged sentences get their reception time; syncToDisk: each
    // second's write is forced to the disk.
    bool startRecording(const std::string& path, bool addTime, bool syncToDisk, std::string& error);
    // False with the reason when the last write failed.
    bool stopRecording(std::string& error);
    bool recording() const { return recorder_.isOpen(); }
    // Whether untagged sentences get their reception time, also while recording.
    void setRecordTimes(bool addTime) { recorder_.setAddTime(addTime); }

    // speed: times real time, 0 as fast as possible; rate: lines a second
    // for lines without a c: time.
    bool startPlayback(const std::string& path, double speed, std::string& error, double rate = 10);
    void setPlaybackSpeed(double speed);
    void setPlaybackPaused(bool paused);
    // A jump of the file's times longer than this (seconds) is skipped.
    void setPlaybackMaxGap(double seconds);
    bool playbackPaused() const { return paused_; }
    void stopPlayback();
    bool playing() const { return playback_ != nullptr; }
    double playbackSpeed() const { return speed_; }
    // How far the play back is through its file (0..1), and the c: time of
    // its latest line (UNIX seconds, -1 none).
    double playbackFraction() const;
    int64_t playbackFeedTime() const;
    // Goes on from that fraction of the file, at the next line start; the
    // unfinished line and pending fragments of the play back are dropped.
    void seekPlayback(double fraction);
    // Seconds since the recording started, and the bytes recorded.
    double recordingSeconds() const;
    int64_t recordingBytes() const { return recorder_.bytes(); }
    // The receiver number of the play back input (-1 none).
    int playbackInput() const;

signals:
    // The recording stopped by itself (a write failed); text says why.
    void recordingFailed(const QString& text);
    void playbackFinished();
    // A break in the file's times was skipped: "gap of N s skipped".
    void playbackGapSkipped(const QString& text);

private:
    struct Input;
    input::Transport& transportFor(input::InputKind kind) override;
    input::Transport* transport() override;
    std::unique_ptr<input::Transport> make(input::InputKind kind);
    void closeAll();
    std::string open(Input& in);
    input::PlaybackTransport* playback() const;
    void playbackEnded();

    Receiver& rx_;
    input::StationSettings settings_;
    std::vector<std::unique_ptr<Input>> inputs_;
    std::unique_ptr<Input> main_;
    std::unique_ptr<input::ConnectionManager> connection_;
    Prepare prepare_;
    int mainMade_ = 0;
    std::vector<std::unique_ptr<Input>> sessionInputs_;
    input::Forwarder forwarder_;
    bool forwarding_ = false;
    input::UdpForwardTransport* udpOut_ = nullptr;
    input::TcpForwardServer* tcpOut_ = nullptr;
    input::Recorder recorder_;
    QTimer* flushTimer_;
    std::unique_ptr<Input> playback_;  // the play back input, while one plays
    double speed_ = 1;
    double maxGap_ = input::kDefaultMaxGap;
    bool paused_ = false;
    qint64 recordStartMs_ = 0;
};

}  // namespace app
