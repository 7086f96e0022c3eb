#include "windows/plot/plot_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "windows/plot/erbl_window.h"
#include "windows/plot/los_window.h"
#include "windows/plot/plot_past_window.h"
#include "plot/plot_state_symbols.h"
#include "ui/plain_text.h"
#include "ui/settings_store.h"
#include "ui/twips.h"
#include "ui/window_placement.h"
#include "ui/work_trace.h"

namespace plot {

namespace {

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A status panel that, when the window is too narrow for its text, drops the
// caption before " : " ("RangeRings : 5 nmile" -> "5 nmile"), then the text's
// bracketed tail and then its first word ("UTM Zone 31 (003°E)" ->
// "UTM Zone 31" -> "Zone 31") rather than cutting it off at the right, where
// "UTM Zone 3" would read as another zone.
class SteadyPanel : public QLabel {
public:
    SteadyPanel(const QString& text, QWidget* parent) : QLabel(parent) {
        ui::MakePlain(*this);
        setText(text);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = contentsRect();
        const QFontMetrics fm = fontMetrics();
        QString shown = text().trimmed();
        if (fm.horizontalAdvance(shown) > r.width() && shown.contains(" : ")) shown = shown.mid(shown.indexOf(" : ") + 3);
        if (fm.horizontalAdvance(shown) > r.width() && shown.contains(" (")) shown = shown.left(shown.indexOf(" ("));
        if (fm.horizontalAdvance(shown) > r.width() && shown.count(' ') > 1) shown = shown.mid(shown.indexOf(' ') + 1);
        if (fm.horizontalAdvance(shown) > r.width()) shown = fm.elidedText(shown, Qt::ElideRight, r.width());
        p.setFont(font());
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

}  // namespace

// ---------------------------------------------------------------- picture

PicGraphics::PicGraphics(FrmGraphics& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setObjectName("picGraphics");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 120);
    setCursor(Qt::CrossCursor);
    setFont(PlotFont(font()));
}

void PicGraphics::setMoving(std::vector<Shape> shapes) {
    moving_ = std::move(shapes);
    update();
}

void PicGraphics::setZoomBox(bool shown, QRectF box) {
    zoomBoxShown_ = shown;
    zoomBox_ = box;
    update();
}

void PicGraphics::setPast(const QString& banner) {
    pastBanner_ = banner;
    update();
}

void PicGraphics::clearPersistent() {
    const qreal ratio = devicePixelRatioF();
    persistent_ = QPixmap(std::max(1, static_cast<int>(std::lround(width() * ratio))),
                          std::max(1, static_cast<int>(std::lround(height() * ratio))));
    persistent_.setDevicePixelRatio(ratio);
    persistent_.fill(kPlotBackground);
    moving_.clear();
    update();
}

void PicGraphics::paintEvent(QPaintEvent*) {
    const ui::WorkScope traced(ui::WorkPart::Plot);
    QPainter painter(this);
    painter.fillRect(rect(), kPlotBackground);
    painter.drawPixmap(panOffset_, persistent_);
    painter.drawPixmap(panOffset_, overlay_);
    painter.translate(panOffset_);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintShapes(painter, moving_, owner_.view());
    if (zoomBoxShown_) {
        const PlotView v = owner_.view();
        const PlotView::Point a = v.toPixel(zoomBox_.left(), zoomBox_.top());
        const PlotView::Point b = v.toPixel(zoomBox_.right(), zoomBox_.bottom());
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(255, 0, 0), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(QPointF(a.x, a.y), QPointF(b.x, b.y)).normalized());
    }
    if (!pastBanner_.isEmpty()) PaintPast(painter, rect().translated(-panOffset_.toPoint()), pastBanner_);
}

void PicGraphics::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    clearPersistent();
    owner_.pictureResized();
}

namespace {
QPointF PictureAt(const FrmGraphics& w, QPointF pixel) {
    const PlotView::Point p = w.view().toPicture(pixel.x(), pixel.y());
    return {p.x, p.y};
}
}  // namespace

void PicGraphics::mousePressEvent(QMouseEvent* event) {
    const bool ctrlLeft = event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier);
    if (event->button() == Qt::MiddleButton || ctrlLeft) {
        panning_ = true;
        panFrom_ = event->position();
        panOffset_ = {};
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    owner_.pictureMouseDown(event->button(), PictureAt(owner_, event->position()));
}

void PicGraphics::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        panOffset_ = event->position() - panFrom_;
        update();
        return;
    }
    owner_.pictureMouseMove(event->buttons(), PictureAt(owner_, event->position()));
}

void PicGraphics::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_) {
        panning_ = false;
        setCursor(Qt::CrossCursor);
        const QPointF moved = event->position() - panFrom_;
        panOffset_ = {};
        owner_.picturePanned(moved);
        return;
    }
    owner_.pictureMouseUp(event->button(), PictureAt(owner_, event->position()), event->globalPosition().toPoint());
}

void PicGraphics::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) owner_.pictureWheel(delta > 0, PictureAt(owner_, event->position()));
    event->accept();
}

void PicGraphics::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) owner_.pictureDoubleClick();
}

// ---------------------------------------------------------------- window

FrmGraphics::FrmGraphics(const targets::TargetTable& table, targets::Reference& state, PlotState& plot,
                         ui::SettingsStore* settings, base::MessageSink& messages, QWidget* parent)
    : QMainWindow(parent),
      liveTable_(table),
      table_(&table),
      state_(state),
      plot_(plot),
      settings_(settings),
      messages_(messages),
      placement_({{"graphicsLeft", 1950}, {"graphicsTop", 1000}, {"graphicsWidth", 7000}, {"graphicsHeight", 7000}}) {
    setObjectName("frmGraphics");
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    buildMenus();
    startChartLoader();
    measure_ = MeasureWith(picGraphics_->font());

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, [this] {
        const ui::WorkScope traced(ui::WorkPart::Plot);
        autoScroll();
        followSelected();
        Update_AISGraphics(UpdateMode::Track);
        Update_AISGraphics(UpdateMode::CurrentPos);
    });
    resize(ui::pixelsFromTwips(7000), ui::pixelsFromTwips(7000));
}

// The chart loader's thread stops first: nothing it hands back may reach a
// window half taken down.
FrmGraphics::~FrmGraphics() { chartLoader_.reset(); }

void FrmGraphics::buildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);

    row->addWidget(ui::PlainLabel("Scale 1:", central));
    cmbScale_ = new QComboBox(central);
    cmbScale_->setObjectName("cmbScale");
    cmbScale_->setEditable(true);
    cmbScale_->setInsertPolicy(QComboBox::NoInsert);
    cmbScale_->setMaxVisibleItems(static_cast<int>(kScaleList.size()));
    for (int32_t n : kScaleList) cmbScale_->addItem(QString::number(n));
    cmbScale_->setMinimumContentsLength(8);
    connect(cmbScale_, &QComboBox::activated, this, [this](int) { cmbScale_Click(); });
    connect(cmbScale_->lineEdit(), &QLineEdit::returnPressed, this, &FrmGraphics::cmbScale_Click);
    // "+" and "-" zoom here too instead of being typed into the number.
    cmbScale_->installEventFilter(this);
    cmbScale_->lineEdit()->installEventFilter(this);
    row->addWidget(cmbScale_);

    static const char* const kZoomCaptions[2] = {"+", "-"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(kZoomCaptions[i], central);
        b->setObjectName(QString("cmdZoom_%1").arg(i));
        b->setFixedWidth(b->fontMetrics().horizontalAdvance("+") + 18);
        b->setToolTip(i == 0 ? "Zoom in" : "Zoom out");
        connect(b, &QPushButton::clicked, this, [this, i] { cmdZoom_Click(i); });
        cmdZoom_[static_cast<size_t>(i)] = b;
        row->addWidget(b);
    }
    lblGridTick_ = ui::PlainLabel({}, central);
    lblGridTick_->setObjectName("lblGridTick");
    lblGridTick_->setToolTip("Metres per centimetre of screen");
    row->addWidget(lblGridTick_);
    row->addStretch(1);
    lblDum_ = ui::PlainLabel("DblClick on target to view details", central);
    lblDum_->setObjectName("lblDum");
    // A hint, not a control: it gives way so the window keeps its stored width.
    lblDum_->setMinimumWidth(1);
    QFont hint = lblDum_->font();
    hint.setPointSizeF(std::max(6.0, hint.pointSizeF() * 0.85));
    lblDum_->setFont(hint);
    lblDum_->setContentsMargins(6, 0, 0, 0);
    row->addWidget(lblDum_);

    picGraphics_ = new PicGraphics(*this, central);
    layout->addWidget(picGraphics_, 1);
    setCentralWidget(central);

    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setStyleSheet("QStatusBar::item { border: none; }");
    // A size smaller, so the seven panels fit the window's default width.
    QFont small = bar->font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
    bar->setFont(small);
    static const char* const kStart[7] = {"Lat", "Lon", "1 nmile", "brg", "RangeRings xx nmile  ", "WGS84",
                                          "UTM Zone XX (000E)  "};
    // Panels wide enough for their longest text, so the bar does not jump as the cursor moves.
    static const char* const kWidest[4] = {"89\u00b059'59.9\"N", "179\u00b059'59.9\"W", "99.99 nmile", "359.9 \u00b0"};
    for (int i = 0; i < 7; ++i) {
        QLabel* label = i < 4 ? ui::PlainLabel(QString::fromUtf8(kStart[i]), bar)
                              : new SteadyPanel(QString::fromUtf8(kStart[i]), bar);
        label->setObjectName(QString("StatusBar1_Panel%1").arg(i + 1));
        label->setContentsMargins(2, 0, 2, 0);
        label->setFont(small);
        if (i < 4) {
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromUtf8(kWidest[i])) + 6);
        } else {
            // The steady panels give way when the window is narrow, down to
            // the ring spacing, the datum and the zone number.
            static const char* const kNarrowest[3] = {"0.05 nmile", "WGS84", "Zone 60"};
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(kNarrowest[i - 4]) + 6);
        }
        panels_[static_cast<size_t>(i)] = label;
        bar->addWidget(label, i == 4 ? 1 : 0);
    }
}

void FrmGraphics::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("mnuFile");
    QAction* addChart = file->addAction("&Add chart...");
    addChart->setObjectName("mnuFileAddChart");
    connect(addChart, &QAction::triggered, this, &FrmGraphics::mnuFileAddChart_Click);
    mnuFileCancelCharts_ = file->addAction("&Cancel chart loading");
    mnuFileCancelCharts_->setObjectName("mnuFileCancelCharts");
    mnuFileCancelCharts_->setEnabled(false);
    connect(mnuFileCancelCharts_, &QAction::triggered, this, &FrmGraphics::cancelChartLoading);

    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("mnuOptions");
    mnuOptionsERBL_ = options->addAction("&ERBL");
    mnuOptionsERBL_->setObjectName("mnuOptionsERBL");
    mnuOptionsERBL_->setCheckable(true);
    connect(mnuOptionsERBL_, &QAction::triggered, this, &FrmGraphics::mnuOptionsERBL_Click);
    mnuOptionsLOS_ = options->addAction("&Line Of Sight");
    mnuOptionsLOS_->setObjectName("mnuOptionsLOS");
    mnuOptionsLOS_->setCheckable(true);
    connect(mnuOptionsLOS_, &QAction::triggered, this, &FrmGraphics::mnuOptionsLOS_Click);
    mnuOptionsAutoScroll_ = options->addAction("Auto&Scroll");
    mnuOptionsAutoScroll_->setObjectName("mnuOptionsAutoScroll");
    mnuOptionsAutoScroll_->setCheckable(true);
    connect(mnuOptionsAutoScroll_, &QAction::triggered, this, [this](bool on) {
        if (on) autoScroll();
    });
    options->addSeparator();
    mnuOptionsCoastlines_ = options->addAction("C&oastlines");
    mnuOptionsCoastlines_->setObjectName("mnuOptionsCoastlines");
    mnuOptionsCoastlines_->setCheckable(true);
    mnuOptionsCoastlines_->setChecked(true);
    mnuOptionsLandmarks_ = options->addAction("Land&marks");
    mnuOptionsLandmarks_->setObjectName("mnuOptionsLandmarks");
    mnuOptionsLandmarks_->setCheckable(true);
    mnuOptionsLandmarks_->setChecked(true);
    for (QAction* a : {mnuOptionsCoastlines_, mnuOptionsLandmarks_}) {
        connect(a, &QAction::triggered, this, [this] {
            map_.options.coastlines = mnuOptionsCoastlines_->isChecked();
            map_.options.landmarks = mnuOptionsLandmarks_->isChecked();
            if (settings_) {
                settings_->writeNumber("ShowCoastlines", map_.options.coastlines ? 1 : 0);
                settings_->writeNumber("ShowLandmarks", map_.options.landmarks ? 1 : 0);
            }
            if (loaded_) SetupPlot();
        });
    }
    QAction* safety = options->addAction("Safety &depth...");
    safety->setObjectName("mnuOptionsSafetyDepth");
    connect(safety, &QAction::triggered, this, [this] {
        bool ok = false;
        const double metres = QInputDialog::getDouble(this, "Safety depth", "Safety depth (m):",
                                                      map_.options.safetyDepth, 0, 1000, 1, &ok);
        if (ok) setSafetyDepth(metres);
    });
    buildTargetMenus(*options);
    mnuOptionsCharts_ = options->addMenu("C&harts");
    mnuOptionsCharts_->setObjectName("mnuOptionsCharts");
    rebuildChartsMenu();

    pmnuCenter_ = new QMenu("&Center", this);
    pmnuCenter_->setObjectName("pmnuCenter");
    QAction* mouse = pmnuCenter_->addAction("Center on &Mouse");
    mouse->setObjectName("pmnuCenterMouse");
    connect(mouse, &QAction::triggered, this, &FrmGraphics::pmnuCenterMouse_Click);
    QAction* reference = pmnuCenter_->addAction("Center on &Reference  Position");
    reference->setObjectName("pmnuCenterCurrentPosition");
    connect(reference, &QAction::triggered, this, &FrmGraphics::pmnuCenterCurrentPosition_Click);
    pmnuERBLReference_ = pmnuCenter_->addAction("&Offset reference for ERBL");
    pmnuERBLReference_->setObjectName("pmnuERBLReference");
    pmnuERBLReference_->setCheckable(true);
    connect(pmnuERBLReference_, &QAction::triggered, this, &FrmGraphics::pmnuERBLReference_Click);
    addTrackMenu(*pmnuCenter_);
}

// ---------------------------------------------------------------- opening and closing

void FrmGraphics::open() {
    const targets::TargetTable& table = *table_;
    const int zone = SelectGridZone(plot_, table);
    placement_.place(*this, settings_);
    setPanel(7, ZonePanelText(zone));
    targets::Reference& st = state_;
    if (st.mode() == targets::kRefNone && table.TargetCount() > 0) {
        double lat = st.lat(), lon = st.lon();
        MeanTargetPosition(table, lat, lon);
        st.moveTo(lat, lon);
    }
    loadMapSettings();
    plot_.scale = 0;
    loaded_ = true;
    show();
    SetupPlot();
    timer1_->start();
}

void FrmGraphics::closeEvent(QCloseEvent* event) {
    timer1_->stop();
    lblTargetTip_->hide();
    placement_.store(*this, settings_);
    if (frmERBL_) frmERBL_->close();
    if (frmLOS_) frmLOS_->close();
    emit closed();
    QMainWindow::closeEvent(event);
}

// ---------------------------------------------------------------- set-up and drawing

double FrmGraphics::pxPerCm() const {
    const double dpi = picGraphics_->logicalDpiX();
    return (dpi > 0 ? dpi : 96.0) / 2.54;
}

PlotView FrmGraphics::view() const { return plot_.view(picGraphics_->width(), picGraphics_->height(), pxPerCm()); }

QString FrmGraphics::panelText(int panel) const {
    if (panel < 1 || panel > 7) return {};
    return panels_[static_cast<size_t>(panel - 1)]->text();
}

void FrmGraphics::setPanel(int panel, const std::string& text) {
    panels_[static_cast<size_t>(panel - 1)]->setText(FromUtf8(text));
}

void FrmGraphics::pictureResized() {
    if (loaded_) SetupPlot();
}

void FrmGraphics::SetupPlot() {
    const targets::Reference& st = state_;
    if (!plot::SetupPlot(plot_, st.lat(), st.lon(), picGraphics_->width(), picGraphics_->height(), messages_)) {
        return;
    }
    const QString scaleText = QString::number(plot_.scale);
    {
        const QSignalBlocker block(cmbScale_);
        cmbScale_->setCurrentIndex(cmbScale_->findText(scaleText));
        cmbScale_->setEditText(scaleText);
    }
    lblGridTick_->setText(FromUtf8(GridTickText(plot_.gridTick)));
    const ZoomButtons zoom = ZoomButtonState(plot_.scale);
    cmdZoom_[0]->setEnabled(zoom.plus);
    cmdZoom_[1]->setEnabled(zoom.minus);
    drawStaticLayer();
    redrawTracks();
    prepareStaleCharts();
    // Targets show at once in the new view instead of at the next tick.
    if (table_->TargetCount() > 0) {
        Update_AISGraphics(UpdateMode::Track);
        Update_AISGraphics(UpdateMode::CurrentPos);
    }
}

void FrmGraphics::drawStaticLayer() {
    picGraphics_->clearPersistent();
    setPanel(5, RingPanelText(plot_.scale, plot_.ringSpacing));
    QPainter painter(&picGraphics_->persistent());
    painter.setFont(picGraphics_->font());
    mapLabels_ = PaintStaticLayer(painter, map_, plot_, view(), measure_);
    picGraphics_->update();
}

void FrmGraphics::paintOnPersistent(const std::vector<Shape>& shapes) {
    QPainter painter(&picGraphics_->persistent());
    painter.setRenderHint(QPainter::Antialiasing);
    PaintShapes(painter, shapes, view());
    picGraphics_->update();
}

void FrmGraphics::Update_AISGraphics(UpdateMode mode) {
    const targets::TargetTable& table = *table_;
    if (mode == UpdateMode::Track) {
        std::vector<Shape> dots;
        const PlotView shown = view();
        StoreTracks(plot_, table, dots, messages_, &shown);
        paintOnPersistent(dots);
        return;
    }
    Overlays overlays;
    overlays.erbl = mnuOptionsERBL_->isChecked();
    overlays.lineOfSight = mnuOptionsLOS_->isChecked();
    picGraphics_->setMoving(MovingLayer(plot_, table, state_, overlays, view(), measure_, mapLabels_));
}

// ---------------------------------------------------------------- scale box and zoom

void FrmGraphics::cmbScale_Click() {
    const auto scale = ScaleFromText(cmbScale_->currentText().toStdString());
    if (!scale) return;
    plot_.scale = *scale;
    SetupPlot();
}

void FrmGraphics::cmdZoom_Click(int index) {
    const int current = cmbScale_->currentIndex();
    const bool selected = current >= 0 && cmbScale_->currentText() == cmbScale_->itemText(current);
    const int next = ZoomIndex(selected ? current : -1, plot_.scale, index == 0);
    if (next < 0) return;
    {
        const QSignalBlocker block(cmbScale_);
        cmbScale_->setCurrentIndex(next);
    }
    cmbScale_Click();
}

bool FrmGraphics::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Plus || key == Qt::Key_Minus) {
            zoomStep(key == Qt::Key_Plus);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmGraphics::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus) {
        zoomStep(event->key() == Qt::Key_Plus);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void FrmGraphics::pictureWheel(bool zoomIn, QPointF point) {
    if (ZoomAboutPoint(plot_, point.x(), point.y(), zoomIn)) SetupPlot();
}

void FrmGraphics::picturePanned(QPointF pixels) {
    if (pixels.isNull()) return;
    const PlotView v = view();
    PanBy(plot_, pixels.x() * v.metresPerPixel(), -pixels.y() * v.metresPerPixel());
    SetupPlot();
}

void FrmGraphics::autoScroll() {
    if (!loaded_ || !mnuOptionsAutoScroll_->isChecked()) return;
    if (!ReferenceNearEdge(plot_, state_, view(), messages_)) return;
    CentreOnReference(plot_, state_, messages_);
    SetupPlot();
}

// ---------------------------------------------------------------- mouse

void FrmGraphics::pictureMouseDown(Qt::MouseButton button, QPointF point) {
    if (button == Qt::LeftButton) downPoint_ = point;
}

void FrmGraphics::pictureMouseMove(Qt::MouseButtons buttons, QPointF point) {
    moveToggle_ = !moveToggle_;
    if (buttons == Qt::NoButton) {
        const CursorReadout r = ReadCursor(plot_, point.x(), point.y(), state_, messages_);
        setPanel(1, r.lat);
        setPanel(2, r.lon);
        setPanel(3, r.range);
        setPanel(4, r.bearing);
        const PlotView::Point px = view().toPixel(point.x(), point.y());
        hoverAt(QPointF(px.x, px.y));
        if (mnuOptionsERBL_->isChecked()) {
            const ErblReadout e =
                UpdateErbl(plot_, r, state_, pmnuERBLReference_->isChecked(), messages_);
            if (frmERBL_) frmERBL_->showReadout(e);
            // The line follows the cursor instead of waiting for the next tick.
            Update_AISGraphics(UpdateMode::CurrentPos);
        }
        return;
    }
    if ((buttons & Qt::LeftButton) && moveToggle_) {
        picGraphics_->setZoomBox(true, QRectF(downPoint_, point));
        zoomBoxFlag_ = true;
    }
}

void FrmGraphics::pictureMouseUp(Qt::MouseButton button, QPointF point, QPoint globalPos) {
    lastUpPoint_ = point;
    if (button == Qt::LeftButton) {
        picGraphics_->setZoomBox(false);
        if (!zoomBoxFlag_) {
            const PlotView v = view();
            const PlotView::Point px = v.toPixel(point.x(), point.y());
            if (const int entry = TargetAtPixel(plot_, *table_, v, px.x, px.y)) {
                selectTarget(entry);
                emit targetSelected(entry);
            }
            return;
        }
        const auto zoom = ZoomBox(view(), downPoint_.x(), downPoint_.y(), point.x(), point.y());
        if (!zoom) return;
        plot_.scale = zoom->scale;
        plot_.centreE = zoom->centreE;
        plot_.centreN = zoom->centreN;
        zoomBoxFlag_ = false;
        SetupPlot();
    } else if (button == Qt::RightButton) {
        rightClickPoint_ = point;
        pmnuCenter_->popup(globalPos);
    }
}

void FrmGraphics::pictureDoubleClick() {
    const targets::TargetTable& table = *table_;
    if (table.TargetCount() < 1) return;
    const int entry = NearestTarget(plot_, table, lastUpPoint_.x(), lastUpPoint_.y(), messages_);
    if (entry > 0) emit targetDoubleClicked(entry);
}

// ---------------------------------------------------------------- menus

void FrmGraphics::pmnuCenterMouse_Click() {
    CentreOnPoint(plot_, rightClickPoint_.x(), rightClickPoint_.y(), state_, messages_);
    SetupPlot();
}

void FrmGraphics::pmnuCenterCurrentPosition_Click() {
    CentreOnReference(plot_, state_, messages_);
    SetupPlot();
}

void FrmGraphics::pmnuERBLReference_Click() {
    // The check mark toggles by itself; the origin moves to the point either way.
    SetErblOrigin(plot_, rightClickPoint_.x(), rightClickPoint_.y(), messages_);
    if (mnuOptionsERBL_->isChecked()) Update_AISGraphics(UpdateMode::CurrentPos);
}

void FrmGraphics::mnuOptionsERBL_Click() {
    if (!mnuOptionsERBL_->isChecked()) {
        if (frmERBL_) frmERBL_->close();
        Update_AISGraphics(UpdateMode::CurrentPos);
        return;
    }
    if (!frmERBL_) {
        frmERBL_ = new FrmERBL(settings_, this);
        connect(frmERBL_, &FrmERBL::closed, this, [this] {
            mnuOptionsERBL_->setChecked(false);
            Update_AISGraphics(UpdateMode::CurrentPos);
        });
        cascade(*frmERBL_, frmLOS_);
    }
    frmERBL_->show();
}

void FrmGraphics::mnuOptionsLOS_Click() {
    if (!mnuOptionsLOS_->isChecked()) {
        if (frmLOS_) frmLOS_->close();
        Update_AISGraphics(UpdateMode::CurrentPos);
        return;
    }
    if (!frmLOS_) {
        frmLOS_ = new FrmLOS(plot_.los, settings_, this);
        connect(frmLOS_, &FrmLOS::rangeChanged, this, [this] { Update_AISGraphics(UpdateMode::CurrentPos); });
        connect(frmLOS_, &FrmLOS::closed, this, [this] {
            mnuOptionsLOS_->setChecked(false);
            Update_AISGraphics(UpdateMode::CurrentPos);
        });
        cascade(*frmLOS_, frmERBL_);
    }
    frmLOS_->show();
    Update_AISGraphics(UpdateMode::CurrentPos);
}

void FrmGraphics::cascade(QWidget& window, const QWidget* other) {
    if (!other || !other->isVisible()) return;
    window.adjustSize();
    const QRect placed(window.pos(), window.size());
    if (!placed.intersects(other->frameGeometry())) return;
    // One title bar down and right of the other, so both titles can be read.
    const QPoint step(ui::kTitleBarAllowance, ui::kTitleBarAllowance);
    window.move(ui::FitOnScreen(QRect(other->frameGeometry().topLeft() + step, window.size())).topLeft());
}

FrmERBL* FrmGraphics::erblWindow() const { return frmERBL_; }

FrmLOS* FrmGraphics::losWindow() const { return frmLOS_; }

}  // namespace plot
