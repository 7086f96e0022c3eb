#include "app/playback_bar_window.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace app {

namespace {
const struct {
    const char* text;
    double speed;
} kSpeeds[] = {{"1\u00D7", 1}, {"10\u00D7", 10}, {"100\u00D7", 100}, {"As fast as possible", 0}};
}  // namespace

PlaybackBar::PlaybackBar(QWidget* parent) : QToolBar("Play back", parent) {
    setObjectName("tbPlayback");
    setMovable(false);
    time_ = new QLabel("--:--:--", this);
    time_->setObjectName("lblPlaybackTime");
    time_->setTextFormat(Qt::PlainText);
    time_->setContentsMargins(6, 0, 6, 0);
    addWidget(time_);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("sldPlayback");
    slider_->setRange(0, kSliderSteps);
    slider_->setPageStep(kSliderSteps / 20);
    slider_->setMinimumWidth(200);
    slider_->setToolTip("Drag to seek in the file");
    addWidget(slider_);
    // A release after dragging, a click beside the handle or a key: seek there.
    connect(slider_, &QSlider::sliderReleased, this,
            [this] { emit seekRequested(static_cast<double>(slider_->value()) / kSliderSteps); });
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        if (!showing_ && !slider_->isSliderDown()) emit seekRequested(static_cast<double>(value) / kSliderSteps);
    });

    percent_ = new QLabel("0 %", this);
    percent_->setObjectName("lblPlaybackProgress");
    percent_->setTextFormat(Qt::PlainText);
    percent_->setContentsMargins(6, 0, 6, 0);
    percent_->setMinimumWidth(percent_->fontMetrics().horizontalAdvance("100 %") + 12);
    addWidget(percent_);

    pause_ = new QToolButton(this);
    pause_->setObjectName("cmdPlaybackPause");
    pause_->setText("Pause");
    pause_->setCheckable(true);
    connect(pause_, &QToolButton::toggled, this, [this](bool on) {
        if (!showing_) emit pauseToggled(on);
    });
    addWidget(pause_);

    speed_ = new QComboBox(this);
    speed_->setObjectName("cboPlaybackSpeed");
    for (const auto& s : kSpeeds) speed_->addItem(QString::fromUtf8(s.text), s.speed);
    connect(speed_, &QComboBox::activated, this, [this](int index) { emit speedChosen(speed_->itemData(index).toDouble()); });
    addWidget(speed_);

    auto* stop = new QToolButton(this);
    stop->setObjectName("cmdPlaybackStop");
    stop->setText("Stop");
    connect(stop, &QToolButton::clicked, this, &PlaybackBar::stopRequested);
    addWidget(stop);
}

void PlaybackBar::showState(int secondsOfDay, double fraction, bool paused, double speed) {
    showing_ = true;
    time_->setText(secondsOfDay < 0 ? QString("--:--:--")
                                    : QString("%1:%2:%3")
                                          .arg(secondsOfDay / 3600 % 24, 2, 10, QChar('0'))
                                          .arg(secondsOfDay / 60 % 60, 2, 10, QChar('0'))
                                          .arg(secondsOfDay % 60, 2, 10, QChar('0')));
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    percent_->setText(QString("%1 %").arg(percent));
    if (!slider_->isSliderDown()) slider_->setValue(static_cast<int>(std::lround(fraction * kSliderSteps)));
    pause_->setChecked(paused);
    const int index = speed_->findData(speed);
    if (index >= 0) speed_->setCurrentIndex(index);
    showing_ = false;
}

}  // namespace app
