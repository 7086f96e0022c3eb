#include "station/transports/playback_transport.h"
#include "station/transports/kinds_transport.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

namespace input {

std::unique_ptr<Transport> MakePlaybackTransport() { return std::make_unique<PlaybackTransport>(); }

PlaybackTransport::PlaybackTransport(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, &PlaybackTransport::tick);
}

PlaybackTransport::~PlaybackTransport() = default;

bool PlaybackTransport::open(const InputSetting& setting, std::string& error) {
    close();
    auto reader = std::make_unique<PlaybackReader>(rate_, maxGap_);
    if (!reader->open(setting.Address, error)) return false;
    reader->onGapSkipped([this](double seconds) {
        if (gapSkipped_) gapSkipped_(seconds);
    });
    reader_ = std::move(reader);
    fileTime_ = 0;
    paused_ = false;
    lastTick_ = QDateTime::currentMSecsSinceEpoch();
    timer_->start();
    tick();
    return true;
}

void PlaybackTransport::close() {
    timer_->stop();
    reader_.reset();
}

void PlaybackTransport::setMaxGap(double seconds) {
    maxGap_ = seconds;
    if (reader_) reader_->setMaxGap(seconds);
}

double PlaybackTransport::fraction() const {
    if (!reader_ || reader_->size() <= 0) return 0;
    return std::clamp(static_cast<double>(reader_->position()) / static_cast<double>(reader_->size()), 0.0, 1.0);
}

void PlaybackTransport::seek(double fraction) {
    if (!reader_) return;
    const double at = std::clamp(fraction, 0.0, 1.0) * static_cast<double>(reader_->size());
    reader_->seek(static_cast<int64_t>(at));
    fileTime_ = 0;
    lastTick_ = QDateTime::currentMSecsSinceEpoch();
}

void PlaybackTransport::tick() {
    if (!reader_) return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const double wall = static_cast<double>(now - lastTick_) / 1000.0;
    lastTick_ = now;
    if (paused_) return;
    // As fast as possible still goes in bounded pieces, one per tick.
    fileTime_ = speed_ > 0 ? fileTime_ + wall * speed_ : std::numeric_limits<double>::infinity();
    chunk_.clear();
    const bool more = reader_->take(fileTime_, chunk_, kMaxPiece);
    if (!chunk_.empty()) deliver(chunk_);
    // Going on at a pace after a fast stretch starts from where the file is.
    if (std::isinf(fileTime_)) fileTime_ = more ? reader_->nextDue() : 0;
    if (!more) {
        close();
        reportLost({"end of the file", -1, false, true});
    }
}

}  // namespace input
