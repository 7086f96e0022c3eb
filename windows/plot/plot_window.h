// FrmGraphics: the plot window, a north-up plan view of the targets around the
// reference position at scale 1:N, with range rings, symbols, labels, speed
// vectors, heading marks or hull outlines, trails, and the ERBL and
// line-of-sight overlays.
//
//   plot::FrmGraphics* w = new plot::FrmGraphics(table, runState, plotState, settings, messages, mainWindow);
//   w->open();   // zone, placement, reference, show, first set-up at 1:500000
//
// The wheel zooms one step of the scale list about the cursor, a middle or
// Ctrl+left drag pans (the picture moves with the cursor and is set up once
// at release, from the map caches), "+" and "-" zoom from anywhere in the
// window (the scale box takes digits only), and Options > AutoScroll
// re-centres on the reference position when it nears the edge.
//
// Every second (Timer1) the trail pass adds a dot per target to the persistent
// layer (a pixmap that only a set-up clears) and the moving layer is rebuilt
// from the target table. The geometry comes from plot_state.h; this window
// only paints it and forwards the mouse.
//
// Under the targets lies the map (plot_map.h): land from the built-in
// coastlines, the user's charts, the landmarks. It is painted into the
// persistent layer at every set-up, from caches, and never by the
// once-a-second pass.
//
// Controls carry their names as objectName: picGraphics, cmbScale, cmdZoom_0
// ("+"), cmdZoom_1 ("-"), lblGridTick, lblDum, StatusBar1 with panels
// StatusBar1_Panel1..7, Timer1, mnuFile (mnuFileAddChart), mnuOptions
// (mnuOptionsERBL, mnuOptionsLOS, mnuOptionsAutoScroll, mnuOptionsCoastlines,
// mnuOptionsLandmarks, mnuOptionsSafetyDepth, mnuOptionsCharts with one
// sub-menu per chart: mnuChartShow_N, mnuChartRemove_N) and the pop-up
// pmnuCenter (pmnuCenterMouse, pmnuCenterCurrentPosition, pmnuERBLReference).
//
// Settings: ChartFiles and ChartHidden (lists of paths), ShowCoastlines,
// ShowLandmarks, SafetyDepth (metres).
//
// Charts are opened and prepared (simplified per scale band) by a loader
// thread (chart_loader.h), one after the other, the window answering all
// the while: the status bar shows which chart and how far (lblChartLoading,
// prgCharts) with a cancel button (cmdCancelCharts, as File > Cancel chart
// loading, mnuFileCancelCharts). A chart appears once it is ready; one
// refused (unreadable, or too detailed to draw) is reported once. A
// cancelled or too detailed chart leaves the list; an unreadable one stays
// in the settings (its disk may come back). A change of grid zone prepares
// the charts again, the same way.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/operator_messages.h"
#include "plot/chart_loader.h"
#include "plot/label_placement.h"
#include "plot/plot_map.h"
#include "windows/plot/plot_paint_window.h"
#include "plot/plot_state.h"
#include "ui/window_placement.h"

namespace plot {

class FrmGraphics;
class FrmERBL;
class TrackLayer;
class FrmLOS;

// The picture: paints the persistent pixmap, the moving layer and the zoom
// box, and hands mouse events to its window in picture metres.
class PicGraphics : public QWidget {
public:
    explicit PicGraphics(FrmGraphics& owner, QWidget* parent);

    QPixmap& persistent() { return persistent_; }
    void setMoving(std::vector<Shape> shapes);
    const std::vector<Shape>& moving() const { return moving_; }
    void setZoomBox(bool shown, QRectF box = {});
    // A past picture: its banner, and a sepia wash over a muted picture; empty: live.
    void setPast(const QString& banner);
    // The pixmap at the widget's size, cleared to the background.
    void clearPersistent();
    // Stored tracks, painted over the persistent layer (track_layer_window.h).
    void setOverlay(QPixmap overlay);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    FrmGraphics& owner_;
    bool panning_ = false;
    QPointF panFrom_;
    QPointF panOffset_;  // pixels the picture is drawn shifted while a drag pans
    QPixmap persistent_;
    QPixmap overlay_;
    std::vector<Shape> moving_;
    bool zoomBoxShown_ = false;
    QRectF zoomBox_;
    QString pastBanner_;
};

class FrmGraphics : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kCaption = " AIS Graphics Display";

    // table, state and plot outlive the window; state holds the reference
    // position (re-centring may move it); messages takes conversion failures.
    FrmGraphics(const targets::TargetTable& table, targets::Reference& state, PlotState& plot,
                ui::SettingsStore* settings, base::MessageSink& messages, QWidget* parent = nullptr);
    ~FrmGraphics() override;

    // Opening: zone from the targets, placement, zone panel, reference
    // position (mean of the targets when there is none), then shown and set up.
    void open();

    // The landmark lists drawn (they outlive the window); null for none.
    void setLandmarks(const LandmarkDatabases* landmarks);
    PlotMap& map() { return map_; }

    // Scale and coordinate system, scale box, tick label, zoom buttons; clears
    // the picture and draws the map and the rings.
    void SetupPlot();
    enum class UpdateMode { Track, CurrentPos };
    void Update_AISGraphics(UpdateMode mode);

    PlotView view() const;
    QString panelText(int panel) const;
    PicGraphics* picture() { return picGraphics_; }
    // The open tool windows, null when closed.
    FrmERBL* erblWindow() const;
    FrmLOS* losWindow() const;

    // Mouse, in picture metres (called by the picture and by tests).
    void pictureMouseDown(Qt::MouseButton button, QPointF point);
    void pictureMouseMove(Qt::MouseButtons buttons, QPointF point);
    void pictureMouseUp(Qt::MouseButton button, QPointF point, QPoint globalPos);
    void pictureDoubleClick();
    void pictureLeft();  // the pointer left the picture: no tool tip
    void pictureResized();
    // The wheel at a picture point; a finished pan of (dx, dy) pixels.
    void pictureWheel(bool zoomIn, QPointF point);
    void picturePanned(QPointF pixels);
    // One step of the scale list, as the "+" and "-" buttons and keys.
    void zoomStep(bool zoomIn) { cmdZoom_Click(zoomIn ? 0 : 1); }

    // Pop-up and Options menu items.
    void pmnuCenterMouse_Click();
    void pmnuCenterCurrentPosition_Click();
    void pmnuERBLReference_Click();
    void mnuOptionsERBL_Click();
    void mnuOptionsLOS_Click();

    // Charts: File > Add chart... asks for a file and adds it. addChart hands
    // it to the loader (false when it is in the list or on its way already);
    // one that does not open is reported and changes nothing. The list is
    // stored in the settings whenever it changes.
    void mnuFileAddChart_Click();
    bool addChart(const QString& path);
    // Charts being opened or prepared, 0 when none.
    int chartsLoading() const { return static_cast<int>(chartJobs_.size()); }
    void cancelChartLoading();
    void setChartVisible(int index, bool visible);
    void removeChart(int index);
    void setSafetyDepth(double metres);

    // Targets: hovering one shows its tool tip (lblTargetTip, plain text), a
    // click selects it (targetSelected), Options > Follow selected
    // (mnuOptionsFollowSelected) keeps it in the middle of the picture and
    // Options > Symbol legend... (mnuOptionsLegend) explains the colours.
    // clock: the time the report ages are measured against (null: the computer's).
    void setClock(const base::Clock* clock) { clock_ = clock ? clock : &systemClock_; }
    QLabel* targetTip() const { return lblTargetTip_; }
    // Selects entry n (0: none): its label is always shown, and followed.
    void selectTarget(int entry);
    void setFollowSelected(bool on);
    QWidget* legendWindow() const { return legend_.data(); }

    // Shows another table (a past situation, whose reports age against
    // `clock`) under a banner, or with a null table the live one again; the
    // picture is set up anew either way, so no trail of one runs into the other.
    void showTable(const targets::TargetTable* table, const QString& banner, const base::Clock* clock);
    // The shown table was filled anew: the targets are drawn again now, on
    // the trails so far when it follows on from the last filling (playing
    // forward), on a clean picture when the moment jumped.
    void tableRefilled(bool continued);
    // Stored tracks (track_layer_window.cpp): drawn from the layer, which
    // outlives the window; the pop-up's "Clear track" (pmnuClearTrack) clears them.
    void setTrackLayer(TrackLayer* layer);
    // Centres the picture on a position (degrees) at the present scale.
    void centreOn(double latitude, double longitude);
    // Whether a position (degrees) lies in the picture.
    bool shows(double latitude, double longitude) const;

signals:
    // The operator clicked on entry n (1-based): it is the selected target now.
    void targetSelected(int entry);
    // The operator double-clicked near entry n (1-based): its details should open.
    void targetDoubleClicked(int entry);
    // The window is closing.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTargetMenus(QMenu& options);
    void addTrackMenu(QMenu& popup);
    void redrawTracks();
    // Shows or hides the tool tip for the target under pixel (px, py).
    void hoverAt(QPointF pixel);
    void followSelected();
    void showLegend();
    void buildControls();
    void autoScroll();
    // Puts a tool window clear of the other one when both would stand in one place.
    void cascade(QWidget& window, const QWidget* other);
    void buildMenus();
    void setPanel(int panel, const std::string& text);
    void cmbScale_Click();
    void cmdZoom_Click(int index);
    void drawStaticLayer();
    void loadMapSettings();
    void storeChartSettings();
    void rebuildChartsMenu();
    void startChartLoader();
    void submitChart(ChartLoader::Job job);
    void chartLoaded(const ChartLoader::Outcome& outcome);
    void chartProgress(const ChartLoader::Progress& progress);
    void prepareStaleCharts();
    void paintOnPersistent(const std::vector<Shape>& shapes);
    double pxPerCm() const;

    const targets::TargetTable& liveTable_;
    const targets::TargetTable* table_;  // the one shown: liveTable_ or a past one
    const base::Clock* liveClock_ = nullptr;  // what setClock gave, while a past one is shown
    targets::Reference& state_;
    PlotState& plot_;
    ui::SettingsStore* settings_;
    base::MessageSink& messages_;
    ui::WindowPlacement placement_;
    bool loaded_ = false;

    PicGraphics* picGraphics_ = nullptr;
    QComboBox* cmbScale_ = nullptr;
    std::array<QPushButton*, 2> cmdZoom_{};
    QLabel* lblGridTick_ = nullptr;
    QLabel* lblDum_ = nullptr;
    std::array<QLabel*, 7> panels_{};
    QTimer* timer1_ = nullptr;
    QAction* mnuOptionsERBL_ = nullptr;
    QAction* mnuOptionsLOS_ = nullptr;
    QAction* mnuOptionsAutoScroll_ = nullptr;
    QAction* mnuOptionsCoastlines_ = nullptr;
    QAction* mnuOptionsLandmarks_ = nullptr;
    QMenu* mnuOptionsCharts_ = nullptr;
    QAction* mnuFileCancelCharts_ = nullptr;
    QLabel* lblChartLoading_ = nullptr;
    QWidget* prgCharts_ = nullptr;  // a QProgressBar
    QWidget* cmdCancelCharts_ = nullptr;
    QMenu* pmnuCenter_ = nullptr;
    QAction* pmnuERBLReference_ = nullptr;
    QLabel* lblTargetTip_ = nullptr;
    int tipEntry_ = 0;
    QAction* mnuOptionsFollowSelected_ = nullptr;
    QPointer<QWidget> legend_;
    base::SystemClock systemClock_;
    const base::Clock* clock_ = &systemClock_;
    QPointer<FrmERBL> frmERBL_;
    QPointer<FrmLOS> frmLOS_;
    QPointer<TrackLayer> trackLayer_;
    QAction* pmnuClearTrack_ = nullptr;

    PlotMap map_;
    // Jobs handed to the loader and not back yet, in order; `chart` set for a
    // chart in the list prepared again.
    std::vector<ChartLoader::Job> chartJobs_;
    std::unique_ptr<ChartLoader> chartLoader_;
    TextMeasure measure_;
    std::vector<LabelBox> mapLabels_;  // kept clear by the target labels

    // Mouse state in picture metres.
    QPointF downPoint_;
    QPointF lastUpPoint_;
    QPointF rightClickPoint_;
    bool zoomBoxFlag_ = false;
    bool moveToggle_ = false;
};

}  // namespace plot
