#include "app/time_bar_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <limits>

namespace app {

namespace {
const struct {
    const char* text;
    double speed;
} kSpeeds[] = {{"1\u00D7", 1}, {"10\u00D7", 10}, {"100\u00D7", 100}, {"1,000\u00D7", 1000}};

QToolButton* Button(QToolBar& bar, const char* name, const QString& text, const QString& tip) {
    auto* b = new QToolButton(&bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    bar.addWidget(b);
    return b;
}
}  // namespace

QString TimeBar::TimeText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss") + " UTC";
}

TimeBar::TimeBar(QWidget* parent) : QToolBar("History", parent) {
    setObjectName("tbHistory");
    setMovable(false);
    time_ = new QLabel("Live", this);
    time_->setObjectName("lblHistoryTime");
    time_->setTextFormat(Qt::PlainText);
    time_->setContentsMargins(6, 0, 6, 0);
    time_->setMinimumWidth(time_->fontMetrics().horizontalAdvance(TimeText(0)) + 12);
    addWidget(time_);

    back_ = Button(*this, "cmdHistoryBack", "\u25C0", "One minute back");
    connect(back_, &QToolButton::clicked, this, [this] { emit stepRequested(-kStepSeconds); });

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("sldHistory");
    slider_->setMinimumWidth(200);
    slider_->setToolTip("Drag back to see the targets at that moment");
    slider_->setEnabled(false);
    addWidget(slider_);
    connect(slider_, &QSlider::valueChanged, this, [this] { handleMoved(); });

    forward_ = Button(*this, "cmdHistoryForward", "\u25B6", "One minute forward");
    connect(forward_, &QToolButton::clicked, this, [this] { emit stepRequested(kStepSeconds); });

    play_ = Button(*this, "cmdHistoryPlay", "Play", "Play forward from the moment shown");
    play_->setCheckable(true);
    connect(play_, &QToolButton::toggled, this, [this](bool on) {
        if (!showing_) emit playToggled(on);
    });

    speed_ = new QComboBox(this);
    speed_->setObjectName("cboHistorySpeed");
    for (const auto& s : kSpeeds) speed_->addItem(QString::fromUtf8(s.text), s.speed);
    connect(speed_, &QComboBox::activated, this, [this](int index) { emit speedChosen(speed_->itemData(index).toDouble()); });
    addWidget(speed_);

    live_ = Button(*this, "cmdHistoryLive", "Live", "Back to the live picture");
    live_->setCheckable(true);
    live_->setChecked(true);
    connect(live_, &QToolButton::clicked, this, [this] {
        live_->setChecked(true);  // only Live itself: the other controls leave it
        emit liveRequested();
    });
}

qint64 TimeBar::handleTime() const { return span_ ? span_->first + qint64{slider_->value()} * 1000 : 0; }

// Dragging, a click beside the handle or a key: that moment, its time
// written beside the bar and, while dragging, under the handle.
void TimeBar::handleMoved() {
    if (showing_ || !span_) return;
    const qint64 ms = handleTime();
    time_->setText(TimeText(ms));
    if (slider_->isSliderDown()) {
        QStyleOptionSlider option;
        option.initFrom(slider_);
        option.orientation = Qt::Horizontal;
        option.minimum = slider_->minimum();
        option.maximum = slider_->maximum();
        option.sliderPosition = slider_->sliderPosition();
        const QRect handle = slider_->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider_);
        QToolTip::showText(slider_->mapToGlobal(handle.bottomLeft()), TimeText(ms), slider_);
    }
    emit momentChosen(ms);
}

void TimeBar::showState(const Span& span, std::optional<qint64> moment, bool playing, double speed) {
    showing_ = true;
    span_ = span;
    slider_->setEnabled(span.has_value());
    back_->setEnabled(span.has_value());
    forward_->setEnabled(moment.has_value());
    play_->setEnabled(span.has_value());
    if (span) {
        const qint64 seconds = std::clamp<qint64>((span->second - span->first) / 1000, 0, std::numeric_limits<int>::max());
        slider_->setRange(0, static_cast<int>(seconds));
        slider_->setPageStep(std::max(1, static_cast<int>(seconds / 20)));
        const qint64 at = moment.value_or(span->second);
        if (!slider_->isSliderDown()) slider_->setValue(static_cast<int>(std::clamp<qint64>((at - span->first) / 1000, 0, seconds)));
    }
    if (!slider_->isSliderDown()) time_->setText(moment ? TimeText(*moment) : QString("Live"));
    play_->setChecked(playing);
    play_->setText(playing ? "Pause" : "Play");
    const int index = speed_->findData(speed);
    if (index >= 0) speed_->setCurrentIndex(index);
    live_->setChecked(!moment.has_value());
    showing_ = false;
}

void TimeBar::showProblem(const QString& text) {
    setToolTip(text);
    if (!text.isEmpty() && !span_) time_->setText("No history");
}

}  // namespace app
