// The plot window's targets: tool tip on hover, selection by click, following
// the selected target, and the legend of the symbols and colours.
#include <QDialog>
#include <QGridLayout>
#include <QPainter>

#include "plot/plot_state_symbols.h"
#include "windows/plot/plot_window.h"
#include "ui/plain_text.h"

namespace plot {

namespace {

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A swatch of a symbol as the plot draws it.
QPixmap SymbolSwatch(TargetSymbol symbol, TypeGroup group, bool dashed = false, bool crossed = false) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Shape s;
    s.kind = Shape::Kind::Symbol;
    s.symbol = symbol;
    s.group = group;
    s.angle = 45;
    s.dashed = dashed;
    s.crossed = crossed;
    PlotView v;
    v.widthPx = 24;
    v.heightPx = 24;
    PaintShapes(p, {s}, v);
    return pixmap;
}

}  // namespace

void FrmGraphics::buildTargetMenus(QMenu& options) {
    mnuOptionsFollowSelected_ = options.addAction("&Follow selected");
    mnuOptionsFollowSelected_->setObjectName("mnuOptionsFollowSelected");
    mnuOptionsFollowSelected_->setCheckable(true);
    connect(mnuOptionsFollowSelected_, &QAction::triggered, this, [this](bool on) { setFollowSelected(on); });
    QAction* legend = options.addAction("Symbol le&gend...");
    legend->setObjectName("mnuOptionsLegend");
    connect(legend, &QAction::triggered, this, &FrmGraphics::showLegend);

    lblTargetTip_ = ui::PlainLabel(QString(), this);
    lblTargetTip_->setObjectName("lblTargetTip");
    lblTargetTip_->setWindowFlags(Qt::ToolTip);
    lblTargetTip_->setAttribute(Qt::WA_ShowWithoutActivating);
    lblTargetTip_->setMargin(4);
    lblTargetTip_->setStyleSheet("background: #ffffe1; color: black; border: 1px solid #808080;");
    lblTargetTip_->hide();
}

void FrmGraphics::hoverAt(QPointF pixel) {
    const int entry = TargetAtPixel(plot_, *table_, view(), pixel.x(), pixel.y());
    tipEntry_ = entry;
    if (entry == 0) {
        lblTargetTip_->hide();
        return;
    }
    lblTargetTip_->setText(FromUtf8(TargetTipText(table_->entry(entry), clock_->monotonicSeconds())));
    lblTargetTip_->adjustSize();
    lblTargetTip_->move(picGraphics_->mapToGlobal(pixel.toPoint()) + QPoint(14, 14));
    if (isVisible()) lblTargetTip_->show();
}

void PicGraphics::leaveEvent(QEvent* event) {
    owner_.pictureLeft();
    QWidget::leaveEvent(event);
}

void FrmGraphics::pictureLeft() {
    tipEntry_ = 0;
    lblTargetTip_->hide();
}

void FrmGraphics::selectTarget(int entry) {
    plot_.selectedEntry = entry;
    if (!loaded_) return;
    followSelected();
    Update_AISGraphics(UpdateMode::CurrentPos);
}

void FrmGraphics::setFollowSelected(bool on) {
    mnuOptionsFollowSelected_->setChecked(on);
    if (on) followSelected();
}

void FrmGraphics::followSelected() {
    const int entry = plot_.selectedEntry;
    if (!loaded_ || !mnuOptionsFollowSelected_->isChecked() || entry < 1 || entry > table_->EntryCount()) return;
    if (!table_->InUse(entry) || !Drawable(table_->entry(entry))) return;
    const TrackPoint& p = plot_.track[static_cast<size_t>(entry)];
    if (p.easting == 0 && p.northing == 0) return;
    const PlotView v = view();
    const PlotView::Point at = v.toPixel(p.easting - v.centreE, p.northing - v.centreN);
    // Re-centred once it leaves the middle third, not at every step it makes.
    const double mx = v.widthPx / 3, my = v.heightPx / 3;
    if (at.x >= mx && at.x <= v.widthPx - mx && at.y >= my && at.y <= v.heightPx - my) return;
    plot_.centreE = p.easting;
    plot_.centreN = p.northing;
    SetupPlot();
}

void FrmGraphics::showLegend() {
    if (legend_) {
        legend_->raise();
        return;
    }
    auto* dialog = new QDialog(this);
    dialog->setObjectName("frmLegend");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle("Symbol legend");
    auto* grid = new QGridLayout(dialog);
    int row = 0;
    auto add = [&](const QPixmap& swatch, const QString& text) {
        auto* icon = new QLabel(dialog);
        icon->setPixmap(swatch);
        grid->addWidget(icon, row, 0);
        grid->addWidget(ui::PlainLabel(text, dialog), row++, 1);
    };
    add(SymbolSwatch(TargetSymbol::ClassA, TypeGroup::Other), "Class A vessel, along its heading (else its course)");
    add(SymbolSwatch(TargetSymbol::ClassB, TypeGroup::Other), "Class B vessel");
    add(SymbolSwatch(TargetSymbol::BaseStation, TypeGroup::Other), "Base station");
    add(SymbolSwatch(TargetSymbol::AtoN, TypeGroup::Other), "Aid to navigation");
    add(SymbolSwatch(TargetSymbol::AtoN, TypeGroup::Other, true), "Virtual aid to navigation");
    add(SymbolSwatch(TargetSymbol::AtoN, TypeGroup::Other, false, true), "Aid to navigation off position");
    add(SymbolSwatch(TargetSymbol::SAR, TypeGroup::Other), "SAR aircraft");
    add(SymbolSwatch(TargetSymbol::Distress, TypeGroup::Other), "SART, man overboard, EPIRB");
    for (int g = 1; g < kTypeGroupCount; ++g) {
        const auto group = static_cast<TypeGroup>(g);
        add(SymbolSwatch(TargetSymbol::ClassA, group), TypeGroupName(group));
    }
    add(SymbolSwatch(TargetSymbol::ClassA, TypeGroup::Other), TypeGroupName(TypeGroup::Other));
    legend_ = dialog;
    dialog->show();
}

}  // namespace plot
