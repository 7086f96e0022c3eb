#include "windows/plot/plot_past_window.h"

#include <QFontMetrics>
#include <QPainter>

#include "windows/plot/plot_window.h"

namespace plot {

namespace {
const QColor kWash(150, 120, 70, 80);
const QColor kBannerGround(122, 74, 0);
}  // namespace

void PaintPast(QPainter& painter, const QRect& area, const QString& banner) {
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, kWash);
    QFont font = painter.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int w = metrics.horizontalAdvance(banner) + 2 * metrics.height();
    const int h = metrics.height() * 3 / 2;
    const QRect box(area.center().x() - w / 2, area.top() + h / 2, w, h);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBannerGround);
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, banner);
    painter.restore();
}

void FrmGraphics::showTable(const targets::TargetTable* table, const QString& banner, const base::Clock* clock) {
    const bool wasLive = table_ == &liveTable_;
    if (wasLive && table) liveClock_ = clock_;
    table_ = table ? table : &liveTable_;
    if (table && clock) clock_ = clock;
    if (!table && !wasLive) clock_ = liveClock_ ? liveClock_ : &systemClock_;
    picGraphics_->setPast(table ? banner : QString());
    setWindowTitle(table ? QString(kCaption) + " \u2014 " + banner : QString(kCaption));
    lblTargetTip_->hide();
    if (wasLive != (table == nullptr) && loaded_) SetupPlot();
}

void FrmGraphics::tableRefilled(bool continued) {
    if (!loaded_) return;
    lblTargetTip_->hide();
    if (!continued) return SetupPlot();
    Update_AISGraphics(UpdateMode::Track);
    Update_AISGraphics(UpdateMode::CurrentPos);
}

}  // namespace plot
