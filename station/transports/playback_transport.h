// PlaybackTransport: a recorded (or any NMEA) file as an input. Its lines
// come out at the pace they were received (their c: times; lines without one
// at the chosen rate), times the speed, a bounded piece per tick of a timer,
// so the window stays responsive even as fast as possible.
//
//   auto t = input::MakeTransport(input::InputKind::Playback);
//   auto& p = static_cast<input::PlaybackTransport&>(*t);
//   p.setSpeed(10);                       // 0: as fast as possible
//   p.open({.Type = input::InputKind::Playback, .Address = path}, error);
//
// The first piece is handed over inside open. At the end of the file the
// transport closes and reports itself lost with `ended` set: its last line
// counts even without a line end.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "station/playback.h"
#include "station/transport.h"

namespace input {

class PlaybackTransport : public QObject, public Transport {
    Q_OBJECT
public:
    static constexpr int kTickMs = 50;
    // Bytes handed over per tick at most.
    static constexpr size_t kMaxPiece = 256 * 1024;

    explicit PlaybackTransport(QObject* parent = nullptr);
    ~PlaybackTransport() override;

    // Transport: the file at the setting's Address; false with the reason
    // when it cannot be read.
    bool open(const InputSetting& setting, std::string& error) override;
    void close() override;
    TransportStatus status() const override { return reader_ ? TransportStatus::Open : TransportStatus::Closed; }

    // Lines a second for lines without a c: time (before open).
    void setRate(double linesPerSecond) { rate_ = linesPerSecond; }
    // Times real time; 0 as fast as possible.
    void setSpeed(double speed) { speed_ = speed; }
    double speed() const { return speed_; }
    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    // A jump of the file's times longer than this (seconds) is skipped.
    void setMaxGap(double seconds);
    // Called for each gap skipped, with its length in seconds.
    void onGapSkipped(std::function<void(double seconds)> handler) { gapSkipped_ = std::move(handler); }

    // How far through its file (0..1), and the c: time of its latest line
    // (UNIX seconds, -1 none).
    double fraction() const;
    int64_t feedTime() const { return reader_ ? reader_->feedTime() : -1; }
    // Goes on from that fraction of the file, at the next line start.
    void seek(double fraction);

private:
    void tick();

    std::unique_ptr<PlaybackReader> reader_;
    QTimer* timer_;
    std::function<void(double)> gapSkipped_;
    double rate_ = 10;
    double speed_ = 1;
    double maxGap_ = kDefaultMaxGap;
    double fileTime_ = 0;
    bool paused_ = false;
    qint64 lastTick_ = 0;
    std::string chunk_;
};

}  // namespace input
