#include "app/time_bar_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QHBoxLayout>
#include <QEvent>
#include <algorithm>
#include <limits>

namespace app {

namespace {
const struct {
    const char* text;
    double speed;
} kSpeeds[] = {{"1\u00D7", 1}, {"10\u00D7", 10}, {"100\u00D7", 100}, {"1,000\u00D7", 1000}};

QToolButton* Button(QWidget& parent, const char* name, const QString& text, const QString& tip) {
    auto* b = new QToolButton(&parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    return b;
}
}  // namespace

QString TimeBar::TimeText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss") + " UTC";
}

TimeBar::TimeBar(QWidget* parent) : QToolBar("History", parent) {
    setObjectName("tbHistory");
    setMovable(false);
    // Two rows, so a narrow plot window shows every control: the slider
    // between its steps, then play, speed, the handle's time and Live.
    auto* strip = new QWidget(this);
    auto* rows = new QVBoxLayout(strip);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto* top = new QHBoxLayout;
    rows->addLayout(top);
    lower_ = new QWidget(strip);
    rows->addWidget(lower_);
    auto* bottom = new QHBoxLayout(lower_);
    bottom->setContentsMargins(0, 0, 0, 0);

    back_ = Button(*strip, "cmdHistoryBack", "\u25C0", "One minute back");
    connect(back_, &QToolButton::clicked, this, [this] { emit stepRequested(-kStepSeconds); });
    top->addWidget(back_);
    slider_ = new QSlider(Qt::Horizontal, strip);
    slider_->setObjectName("sldHistory");
    slider_->setMinimumWidth(120);
    slider_->setToolTip("Drag back to see the targets at that moment");
    slider_->setEnabled(false);
    slider_->installEventFilter(this);
    connect(slider_, &QSlider::valueChanged, this, [this] { handleMoved(); });
    connect(slider_, &QSlider::rangeChanged, this, [this] { placeTime(); });
    top->addWidget(slider_, 1);
    forward_ = Button(*strip, "cmdHistoryForward", "\u25B6", "One minute forward");
    connect(forward_, &QToolButton::clicked, this, [this] { emit stepRequested(kStepSeconds); });
    top->addWidget(forward_);

    play_ = Button(*lower_, "cmdHistoryPlay", "Play", "Play forward from the moment shown");
    play_->setCheckable(true);
    connect(play_, &QToolButton::toggled, this, [this](bool on) {
        if (!showing_) emit playToggled(on);
    });
    bottom->addWidget(play_);
    speed_ = new QComboBox(lower_);
    speed_->setObjectName("cboHistorySpeed");
    for (const auto& s : kSpeeds) speed_->addItem(QString::fromUtf8(s.text), s.speed);
    connect(speed_, &QComboBox::activated, this, [this](int index) { emit speedChosen(speed_->itemData(index).toDouble()); });
    bottom->addWidget(speed_);
    bottom->addStretch(1);
    live_ = Button(*lower_, "cmdHistoryLive", "Live", "Back to the live picture");
    live_->setCheckable(true);
    live_->setChecked(true);
    connect(live_, &QToolButton::clicked, this, [this] {
        live_->setChecked(true);  // only Live itself: the other controls leave it
        emit liveRequested();
    });
    bottom->addWidget(live_);

    // The time stands under the handle, between the buttons of its row.
    time_ = new QLabel("Live", lower_);
    time_->setObjectName("lblHistoryTime");
    time_->setTextFormat(Qt::PlainText);
    time_->setAlignment(Qt::AlignCenter);
    time_->setFixedWidth(time_->fontMetrics().horizontalAdvance(TimeText(0)) + 12);
    lower_->installEventFilter(this);
    addWidget(strip);
}

bool TimeBar::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == slider_ || watched == lower_) && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        placeTime();
    }
    return QToolBar::eventFilter(watched, event);
}

QRect TimeBar::handleRect() const {
    QStyleOptionSlider option;
    option.initFrom(slider_);
    option.orientation = Qt::Horizontal;
    option.minimum = slider_->minimum();
    option.maximum = slider_->maximum();
    option.sliderPosition = slider_->sliderPosition();
    option.sliderValue = slider_->value();
    return slider_->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider_);
}

void TimeBar::placeTime() {
    const int centre = lower_->mapFromGlobal(slider_->mapToGlobal(handleRect().center())).x();
    const int left = speed_->geometry().right() + 6;
    const int right = live_->geometry().left() - 6 - time_->width();
    const int x = std::max(left, std::min(centre - time_->width() / 2, right));
    time_->move(x, (lower_->height() - time_->height()) / 2);
}

qint64 TimeBar::handleTime() const { return span_ ? span_->first + qint64{slider_->value()} * 1000 : 0; }

// Dragging, a click beside the handle or a key: that moment, its time
// written under the handle.
void TimeBar::handleMoved() {
    placeTime();
    if (showing_ || !span_) return;
    const qint64 ms = handleTime();
    time_->setText(TimeText(ms));
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
    placeTime();
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
