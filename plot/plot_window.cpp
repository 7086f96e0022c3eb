#include "plot/plot_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "plot/erbl_window.h"
#include "plot/los_window.h"
#include "ui/settings_store.h"
#include "ui/twips.h"
#include "ui/window_placement.h"

namespace plot {

namespace {

const QColor kBackground(255, 255, 255);

QColor ColourOf(PlotColour c) {
    switch (c) {
        case PlotColour::Blue: return QColor(0, 0, 255);
        case PlotColour::DarkGrey: return QColor(128, 128, 128);
        case PlotColour::Red: return QColor(255, 0, 0);
        case PlotColour::Black: break;
    }
    return QColor(0, 0, 0);
}

Qt::PenStyle StyleOf(LineStyle s) {
    switch (s) {
        case LineStyle::Dot: return Qt::DotLine;
        case LineStyle::Dash: return Qt::DashLine;
        case LineStyle::Solid: break;
    }
    return Qt::SolidLine;
}

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Drawing margin around the picture, in pixels: what lies further out is not drawn.
constexpr double kMargin = 64;

// A circle whose radius is far beyond the picture is drawn as the arc that
// can be seen, so the painter never meets coordinates out of its range.
void PaintCircle(QPainter& painter, QPointF centre, double radiusPx, const PlotView& view) {
    const double diag = std::hypot(view.widthPx, view.heightPx) / 2 + kMargin;
    const QPointF mid(view.widthPx / 2, view.heightPx / 2);
    const double distance = std::hypot(centre.x() - mid.x(), centre.y() - mid.y());
    if (distance - radiusPx > diag || radiusPx - distance > diag) return;  // out of sight, or all around it
    if (radiusPx < 2e4) {
        painter.drawEllipse(centre, radiusPx, radiusPx);
        return;
    }
    const double towards = std::atan2(mid.y() - centre.y(), mid.x() - centre.x());
    const double half = std::min(M_PI, 2 * diag / radiusPx + 0.01);
    constexpr int kSteps = 256;
    QPolygonF arc;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = towards - half + 2 * half * i / kSteps;
        arc << QPointF(centre.x() + radiusPx * std::cos(a), centre.y() + radiusPx * std::sin(a));
    }
    for (int i = 0; i + 1 < arc.size(); ++i) {
        double x1 = arc[i].x(), y1 = arc[i].y(), x2 = arc[i + 1].x(), y2 = arc[i + 1].y();
        if (ClipLine(x1, y1, x2, y2, -kMargin, -kMargin, view.widthPx + kMargin, view.heightPx + kMargin)) {
            painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
        }
    }
}

// A status panel that, when the window is too narrow for its text, drops the
// text's bracketed tail and then its first word ("UTM Zone 31 (003°E)" ->
// "UTM Zone 31" -> "Zone 31") rather than cutting it off at the right, where
// "UTM Zone 3" would read as another zone.
class SteadyPanel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = contentsRect();
        const QFontMetrics fm = fontMetrics();
        QString shown = text().trimmed();
        if (fm.horizontalAdvance(shown) > r.width() && shown.contains(" (")) shown = shown.left(shown.indexOf(" ("));
        if (fm.horizontalAdvance(shown) > r.width() && shown.count(' ') > 1) shown = shown.mid(shown.indexOf(' ') + 1);
        if (fm.horizontalAdvance(shown) > r.width()) shown = fm.elidedText(shown, Qt::ElideRight, r.width());
        p.setFont(font());
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

}  // namespace

void PaintShapes(QPainter& painter, const std::vector<Shape>& shapes, const PlotView& view) {
    const double metresPerPixel = view.metresPerPixel();
    const QRectF visible(-kMargin, -kMargin, view.widthPx + 2 * kMargin, view.heightPx + 2 * kMargin);
    for (const Shape& s : shapes) {
        const PlotView::Point a = view.toPixel(s.x1, s.y1);
        const QPointF p(a.x, a.y);
        QPen pen(ColourOf(s.colour), s.width, StyleOf(s.style), Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(true);
        switch (s.kind) {
            case Shape::Kind::Dot: {
                if (!visible.contains(p)) break;
                pen.setCapStyle(Qt::RoundCap);
                painter.setPen(pen);
                painter.drawPoint(p);
                break;
            }
            case Shape::Kind::Line: {
                const PlotView::Point b = view.toPixel(s.x2, s.y2);
                double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
                if (!ClipLine(x1, y1, x2, y2, visible.left(), visible.top(), visible.right(), visible.bottom())) break;
                painter.setPen(pen);
                painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
                break;
            }
            case Shape::Kind::Circle: {
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                PaintCircle(painter, p, s.radius / metresPerPixel, view);
                break;
            }
            case Shape::Kind::Text: {
                if (!visible.contains(p)) break;
                painter.setPen(pen);
                // The text starts at the point: to its right, its top level with it.
                const QFontMetricsF fm(painter.font());
                painter.drawText(p + QPointF(5, fm.ascent() - 2), FromUtf8(s.text));
                break;
            }
        }
    }
}

// ---------------------------------------------------------------- picture

PicGraphics::PicGraphics(FrmGraphics& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setObjectName("picGraphics");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 120);
    setCursor(Qt::CrossCursor);
    QFont f = font();
    f.setPointSizeF(std::max(6.0, f.pointSizeF() - 1));
    setFont(f);
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

void PicGraphics::clearPersistent() {
    const qreal ratio = devicePixelRatioF();
    persistent_ = QPixmap(std::max(1, static_cast<int>(std::lround(width() * ratio))),
                          std::max(1, static_cast<int>(std::lround(height() * ratio))));
    persistent_.setDevicePixelRatio(ratio);
    persistent_.fill(kBackground);
    moving_.clear();
    update();
}

void PicGraphics::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.drawPixmap(0, 0, persistent_);
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
    owner_.pictureMouseDown(event->button(), PictureAt(owner_, event->position()));
}

void PicGraphics::mouseMoveEvent(QMouseEvent* event) {
    owner_.pictureMouseMove(event->buttons(), PictureAt(owner_, event->position()));
}

void PicGraphics::mouseReleaseEvent(QMouseEvent* event) {
    owner_.pictureMouseUp(event->button(), PictureAt(owner_, event->position()), event->globalPosition().toPoint());
}

void PicGraphics::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) owner_.pictureDoubleClick();
}

// ---------------------------------------------------------------- window

FrmGraphics::FrmGraphics(const targets::TargetTable& table, input::RunState& state, PlotState& plot,
                         ui::SettingsStore* settings, base::MessageSink& messages, QWidget* parent)
    : QMainWindow(parent),
      table_(table),
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

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, [this] {
        Update_AISGraphics(UpdateMode::Track);
        Update_AISGraphics(UpdateMode::CurrentPos);
    });
    resize(ui::pixelsFromTwips(7000), ui::pixelsFromTwips(7000));
}

FrmGraphics::~FrmGraphics() = default;

void FrmGraphics::buildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);

    row->addWidget(new QLabel("Scale 1:", central));
    cmbScale_ = new QComboBox(central);
    cmbScale_->setObjectName("cmbScale");
    cmbScale_->setEditable(true);
    cmbScale_->setInsertPolicy(QComboBox::NoInsert);
    cmbScale_->setMaxVisibleItems(static_cast<int>(kScaleList.size()));
    for (int32_t n : kScaleList) cmbScale_->addItem(QString::number(n));
    cmbScale_->setMinimumContentsLength(8);
    connect(cmbScale_, &QComboBox::activated, this, [this](int) { cmbScale_Click(); });
    connect(cmbScale_->lineEdit(), &QLineEdit::returnPressed, this, &FrmGraphics::cmbScale_Click);
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
    lblGridTick_ = new QLabel(central);
    lblGridTick_->setObjectName("lblGridTick");
    lblGridTick_->setToolTip("Metres per centimetre of screen");
    row->addWidget(lblGridTick_);
    row->addStretch(1);
    lblDum_ = new QLabel("DblClick on target to view details", central);
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
    static const char* const kWidest[5] = {"89\u00b059'59.9\"N", "179\u00b059'59.9\"W", "99.99 nmile", "359.9 \u00b0",
                                           "RangeRings : 0.05 nmile"};
    for (int i = 0; i < 7; ++i) {
        QLabel* label = i < 5 ? new QLabel(QString::fromUtf8(kStart[i]), bar)
                              : new SteadyPanel(QString::fromUtf8(kStart[i]), bar);
        label->setObjectName(QString("StatusBar1_Panel%1").arg(i + 1));
        label->setContentsMargins(2, 0, 2, 0);
        label->setFont(small);
        if (i < 5) {
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromUtf8(kWidest[i])) + 6);
        } else {
            // The steady panels give way when the window is narrow, down to
            // the datum and the zone number.
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(i == 5 ? "WGS84" : "Zone 60") + 6);
        }
        panels_[static_cast<size_t>(i)] = label;
        bar->addWidget(label, i == 4 ? 1 : 0);
    }
}

void FrmGraphics::buildMenus() {
    QMenu* options = menuBar()->addMenu("Options");
    options->setObjectName("mnuOptions");
    mnuOptionsERBL_ = options->addAction("ERBL");
    mnuOptionsERBL_->setObjectName("mnuOptionsERBL");
    mnuOptionsERBL_->setCheckable(true);
    connect(mnuOptionsERBL_, &QAction::triggered, this, &FrmGraphics::mnuOptionsERBL_Click);
    mnuOptionsLOS_ = options->addAction("Line Of Sight");
    mnuOptionsLOS_->setObjectName("mnuOptionsLOS");
    mnuOptionsLOS_->setCheckable(true);
    connect(mnuOptionsLOS_, &QAction::triggered, this, &FrmGraphics::mnuOptionsLOS_Click);
    mnuOptionsAutoScroll_ = options->addAction("AutoScroll");
    mnuOptionsAutoScroll_->setObjectName("mnuOptionsAutoScroll");
    mnuOptionsAutoScroll_->setCheckable(true);  // a check mark only: nothing reads it

    pmnuCenter_ = new QMenu("&Center", this);
    pmnuCenter_->setObjectName("pmnuCenter");
    QAction* mouse = pmnuCenter_->addAction("Center on Mouse");
    mouse->setObjectName("pmnuCenterMouse");
    connect(mouse, &QAction::triggered, this, &FrmGraphics::pmnuCenterMouse_Click);
    QAction* reference = pmnuCenter_->addAction("Center on Reference  Position");
    reference->setObjectName("pmnuCenterCurrentPosition");
    connect(reference, &QAction::triggered, this, &FrmGraphics::pmnuCenterCurrentPosition_Click);
    pmnuERBLReference_ = pmnuCenter_->addAction("Offset reference for ERBL");
    pmnuERBLReference_->setObjectName("pmnuERBLReference");
    pmnuERBLReference_->setCheckable(true);
    connect(pmnuERBLReference_, &QAction::triggered, this, &FrmGraphics::pmnuERBLReference_Click);
}

// ---------------------------------------------------------------- opening and closing

void FrmGraphics::open() {
    const targets::TargetTable& table = table_;
    const int zone = SelectGridZone(plot_, table);
    placement_.place(*this, settings_);
    setPanel(7, ZonePanelText(zone));
    input::RunState& st = state_;
    if (st.ReferenceMode == targets::kRefNone && table.TargetCount > 0) MeanTargetPosition(table, st.RefLat, st.RefLon);
    plot_.scale = 0;
    loaded_ = true;
    show();
    SetupPlot();
    timer1_->start();
}

void FrmGraphics::closeEvent(QCloseEvent* event) {
    timer1_->stop();
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
    const input::RunState& st = state_;
    if (!plot::SetupPlot(plot_, st.RefLat, st.RefLon, picGraphics_->width(), picGraphics_->height(), messages_)) {
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
    drawRangeRings();
    // Targets show at once in the new view instead of at the next tick.
    if (table_.TargetCount > 0) {
        Update_AISGraphics(UpdateMode::Track);
        Update_AISGraphics(UpdateMode::CurrentPos);
    }
}

void FrmGraphics::drawRangeRings() {
    picGraphics_->clearPersistent();
    setPanel(5, RingPanelText(plot_.scale, plot_.ringSpacing));
    paintOnPersistent(RangeRingShapes(plot_));
}

void FrmGraphics::paintOnPersistent(const std::vector<Shape>& shapes) {
    QPainter painter(&picGraphics_->persistent());
    painter.setRenderHint(QPainter::Antialiasing);
    PaintShapes(painter, shapes, view());
    picGraphics_->update();
}

void FrmGraphics::Update_AISGraphics(UpdateMode mode) {
    const targets::TargetTable& table = table_;
    if (mode == UpdateMode::Track) {
        std::vector<Shape> dots;
        StoreTracks(plot_, table, dots, messages_);
        paintOnPersistent(dots);
        return;
    }
    Overlays overlays;
    overlays.erbl = mnuOptionsERBL_->isChecked();
    overlays.lineOfSight = mnuOptionsLOS_->isChecked();
    picGraphics_->setMoving(CurrentPositions(plot_, table, state_, overlays, view()));
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
        if (!zoomBoxFlag_) return;
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
    const targets::TargetTable& table = table_;
    if (table.TargetCount < 1) return;
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
    }
    frmLOS_->show();
    Update_AISGraphics(UpdateMode::CurrentPos);
}

FrmERBL* FrmGraphics::erblWindow() const { return frmERBL_; }

FrmLOS* FrmGraphics::losWindow() const { return frmLOS_; }

}  // namespace plot
