// PlaybackBar: the tool bar shown while a file plays back: the feed's time of
// day, how far through the file it is (a slider that also seeks), pause,
// speed (1×, 10×, 100×, as fast as possible) and stop. It shows what showState()
// is given and says what the operator asked for; the main window does it.
//
//   auto* bar = new app::PlaybackBar(this);
//   addToolBar(Qt::BottomToolBarArea, bar);
//   bar->showState(secondsOfDay, fraction, paused, speed);   // once a second
#pragma once

#include <QToolBar>

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace app {

class PlaybackBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int kSliderSteps = 1000;

    explicit PlaybackBar(QWidget* parent = nullptr);

    // secondsOfDay: the feed's time of day, -1 when its lines carry none.
    void showState(int secondsOfDay, double fraction, bool paused, double speed);

signals:
    void pauseToggled(bool paused);
    void speedChosen(double speed);  // 0: as fast as possible
    void seekRequested(double fraction);
    void stopRequested();

private:
    QLabel* time_;
    QLabel* percent_;
    QSlider* slider_;
    QToolButton* pause_;
    QComboBox* speed_;
    bool showing_ = false;  // the bar writes its own controls: no requests
};

}  // namespace app
