// FrmMain: signs of life of a recording and a play back: a status bar text
// ("REC 00:12:34 · 1.2 MB", "Playing 10× — 14:32:07 (37 %)") and the play
// back bar, both written at the once-a-second pass and at once on a change.
#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QStatusBar>

#include "app/frm_main_window.h"
#include "app/playback_bar_window.h"
#include "station/transports/station_transport.h"
#include "station/station_activity.h"

namespace app {

void FrmMain::buildActivityBar() {
    lblActivity_ = new QLabel(statusBar());
    lblActivity_->setObjectName("lblStationActivity");
    lblActivity_->setTextFormat(Qt::PlainText);
    lblActivity_->setContentsMargins(4, 0, 4, 0);
    lblActivity_->setStyleSheet("font-weight: bold");
    lblActivity_->hide();
    statusBar()->addPermanentWidget(lblActivity_);

    playbackBar_ = new PlaybackBar(this);
    addToolBar(Qt::BottomToolBarArea, playbackBar_);
    playbackBar_->hide();
    playbackBar_->toggleViewAction()->setVisible(false);
    // The bar asks through the File > Play back menu, which keeps the choice.
    connect(playbackBar_, &PlaybackBar::pauseToggled, this, [this](bool paused) {
        if (mnuFilePlaybackPause_) mnuFilePlaybackPause_->setChecked(paused);
        updateStationActivity();
    });
    connect(playbackBar_, &PlaybackBar::speedChosen, this, [this](double speed) {
        if (auto* a = findChild<QAction*>(QString("mnuFilePlaybackSpeed_%1").arg(speed))) a->trigger();
        updateStationActivity();
    });
    connect(playbackBar_, &PlaybackBar::seekRequested, this, [this](double fraction) {
        station_->seekPlayback(fraction);
        updateStationActivity();
    });
    connect(playbackBar_, &PlaybackBar::stopRequested, this, [this] {
        if (auto* a = findChild<QAction*>("mnuFilePlaybackStop")) a->trigger();
        updateStationActivity();
    });
    connect(station_, &StationTransport::playbackFinished, this, &FrmMain::updateStationActivity);
    connect(station_, &StationTransport::recordingFailed, this, &FrmMain::updateStationActivity);
}

void FrmMain::updateStationActivity() {
    if (!lblActivity_ || !station_) return;
    QStringList texts;
    if (station_->recording()) {
        texts << QString::fromStdString(input::RecordingText(station_->recordingSeconds(), station_->recordingBytes()));
    }
    const bool playing = station_->playing();
    if (playing) {
        const int64_t feed = station_->playbackFeedTime();
        const int secondsOfDay =
            feed < 0 ? -1 : QDateTime::fromSecsSinceEpoch(feed).time().msecsSinceStartOfDay() / 1000;
        const double fraction = station_->playbackFraction();
        const bool paused = station_->playbackPaused();
        texts << QString::fromStdString(input::PlaybackText(station_->playbackSpeed(), paused, secondsOfDay, fraction));
        playbackBar_->showState(secondsOfDay, fraction, paused, station_->playbackSpeed());
    }
    playbackBar_->setVisible(playing);
    lblActivity_->setText(texts.join("   "));
    lblActivity_->setVisible(!texts.isEmpty());
}

}  // namespace app
