// TimeBar: the tool bar under the plot that brings a past moment back: a
// slider over what the history store holds with the time (UTC) under its
// handle, a step back and forward, play at 1×-1,000×, and Live. Like the play
// back bar it shows what showState() is given and says what the operator
// asked for; TimeBarDesk does it. It is a sibling of the play back bar, not
// a mode of it: that one drives an input (what the watch sees), this one
// only what the list and the plot show, and "Stop" and "Live" must not be
// one button that means two things.
//
//   auto* bar = new app::TimeBar(plotWindow);
//   plotWindow->addToolBar(Qt::BottomToolBarArea, bar);
//   bar->showState(span, moment, playing, speed);
#pragma once

#include <QToolBar>
#include <optional>
#include <utility>

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace app {

class TimeBar : public QToolBar {
    Q_OBJECT
public:
    using Span = std::optional<std::pair<qint64, qint64>>;  // first and last stored time, ms UTC
    static constexpr int kStepSeconds = 60;

    explicit TimeBar(QWidget* parent = nullptr);

    // moment: the time shown (ms UTC), nullopt while live; speed 1..1000.
    void showState(const Span& span, std::optional<qint64> moment, bool playing, double speed);
    // Why no past can be shown (no store, a failed query); empty clears it.
    void showProblem(const QString& text);
    // "2026-12-07 14:00:00 UTC".
    static QString TimeText(qint64 ms);

signals:
    void momentChosen(qint64 ms);
    void stepRequested(int seconds);  // negative: back
    void playToggled(bool playing);
    void speedChosen(double speed);
    void liveRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    qint64 handleTime() const;
    void handleMoved();
    QRect handleRect() const;
    // Puts the time label under the slider's handle.
    void placeTime();

    QLabel* time_;
    QWidget* lower_;
    QToolButton* back_;
    QSlider* slider_;
    QToolButton* forward_;
    QToolButton* play_;
    QComboBox* speed_;
    QToolButton* live_;
    Span span_;
    bool showing_ = false;  // the bar writes its own controls: no requests
};

}  // namespace app
