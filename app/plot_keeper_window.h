// The main window's plot: View > GraphicDisplay opens and closes the plot
// window (frmGraphics); the plot state outlives it for the whole run (trails,
// ERBL origin, line-of-sight heights, the chosen target). The trails are
// recorded once a second whether the window is open or not.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace base {
class Clock;
class MessageSink;
}
namespace plot {
class FrmGraphics;
class TrackLayer;
struct LandmarkDatabases;
struct PlotState;
}  // namespace plot
namespace targets {
struct RemovedTarget;
class TargetTable;
}
namespace ui {
class SettingsStore;
}

namespace app {

class Receiver;

class PlotKeeper : public QObject {
    Q_OBJECT
public:
    // window: the plot window's parent; messages: where its conversion failures go.
    PlotKeeper(Receiver& receiver, const plot::LandmarkDatabases& landmarks, ui::SettingsStore* settings,
               base::MessageSink& messages, QWidget& window);
    ~PlotKeeper() override;

    // View > GraphicDisplay (mnuViewGraphics).
    void addTo(QMenu& view);
    const plot::PlotState& state() const { return *state_; }
    plot::PlotState& state() { return *state_; }

    // Stored tracks drawn on the plot, kept while its window closes and opens.
    plot::TrackLayer& tracks() { return *tracks_; }
    // Opens the plot window when it is closed.
    void showWindow();
    // Opens the plot window and centres it on a position (degrees).
    void centreOn(double latitude, double longitude);
    plot::FrmGraphics* window() const;

    // The trail pass of the whole run.
    void recordTrails();
    // The target the plot labels and marks as chosen.
    void choose(int entry);
    void targetsRemoved(const std::vector<targets::RemovedTarget>& removed);
    // Closes the plot window for good (before the receiver goes).
    void closeWindow();

    // The plot shows a past situation (its reports aging against `clock`)
    // under a banner, now and when it opens, or with a null table the live
    // targets again. A double click on a past target opens nothing.
    void showTable(const targets::TargetTable* table, const QString& banner, const base::Clock* clock);
    void tableRefilled(bool continued);

signals:
    // A double click on a target, and a click that selects one.
    void targetDoubleClicked(int entry);
    void targetSelected(int entry);
    // The plot window was made (before it shows): tool bars may join it.
    void windowMade(plot::FrmGraphics& window);

private:
    void show(bool checked);

    Receiver& receiver_;
    const plot::LandmarkDatabases& landmarks_;
    ui::SettingsStore* settings_;
    base::MessageSink& messages_;
    QWidget& window_;
    std::unique_ptr<plot::PlotState> state_;
    QAction* mnuViewGraphics_ = nullptr;
    plot::TrackLayer* tracks_ = nullptr;
    QPointer<plot::FrmGraphics> frmGraphics_;
    const targets::TargetTable* pastTable_ = nullptr;
    QString pastBanner_;
    const base::Clock* pastClock_ = nullptr;
};

}  // namespace app
