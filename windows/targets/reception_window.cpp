#include "windows/targets/reception_window.h"

#include <QFormLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "base/number_format.h"
#include "ui/plain_text.h"
#include "ui/window_fit.h"

namespace targets {

namespace {

// Bars per minute, channel A blue and B green side by side, the newest right.
class MinuteChart : public QWidget {
public:
    MinuteChart(const ChannelHistory& h, const base::Clock& clock, QWidget* parent)
        : QWidget(parent), history_(h), clock_(clock) {
        setObjectName("picMinuteChart");
        setMinimumSize(360, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const auto minutes = history_.lastHour(clock_.monotonicSeconds());
        int32_t most = 1;
        for (const auto& m : minutes) most = std::max({most, m[0], m[1]});
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const double slot = width() / static_cast<double>(minutes.size());
        const double h = height() - 16;
        for (size_t k = 0; k < minutes.size(); ++k) {
            for (int c = 0; c < 2; ++c) {
                const double bar = h * minutes[k][static_cast<size_t>(c)] / most;
                p.fillRect(QRectF(k * slot + c * slot / 2, h - bar, slot / 2, bar), c == 0 ? QColor(0, 90, 200) : QColor(0, 150, 60));
            }
        }
        p.setPen(Qt::black);
        p.drawText(QRectF(0, h, width(), 16), Qt::AlignLeft, "-60 min");
        p.drawText(QRectF(0, h, width(), 16), Qt::AlignRight, "now");
        p.drawText(QRectF(0, 0, width(), 16), Qt::AlignLeft, QString("max %1 / min   A blue, B green").arg(most));
    }

private:
    const ChannelHistory& history_;
    const base::Clock& clock_;
};

}  // namespace

FrmReceptionSummary::FrmReceptionSummary(const TargetTable& table, const targets::Reference& state,
                                         const ChannelHistory& channels, const base::Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window), table_(table), state_(state), channels_(channels), clock_(clock) {
    setObjectName("frmReceptionSummary");
    setWindowTitle("Reception");
    ui::CloseOnEscape(*this);
    auto* top = new QVBoxLayout(this);
    top->addWidget(ui::PlainLabel("Messages per minute, last hour", this));
    chart_ = new MinuteChart(channels_, clock_, this);
    top->addWidget(chart_);
    auto* form = new QFormLayout;
    for (size_t i = 0; i < rings_.size(); ++i) {
        const QString caption = QString::fromStdString(RingCaption(i) + " :");
        rings_[i] = ui::PlainLabel("0", this);
        rings_[i]->setObjectName(QString("lblRing_%1").arg(i));
        form->addRow(caption, rings_[i]);
    }
    lblFurthest_ = ui::PlainLabel("n/a", this);
    lblFurthest_->setObjectName("lblFurthest");
    form->addRow("Furthest target :", lblFurthest_);
    top->addLayout(form);
    timer_ = new QTimer(this);
    timer_->setInterval(5000);
    connect(timer_, &QTimer::timeout, this, &FrmReceptionSummary::refresh);
    timer_->start();
    refresh();
}

void FrmReceptionSummary::refresh() {
    const RangeSummary r = SummariseRanges(table_, state_.mode());
    for (size_t i = 0; i < rings_.size(); ++i) rings_[i]->setText(QString::number(r.rings[i]));
    if (r.furthestEntry == 0) {
        lblFurthest_->setText("n/a");
    } else {
        const TargetRecord& t = table_.entry(r.furthestEntry);
        lblFurthest_->setText(QString::fromStdString(base::formatNumber(r.furthestNm, "0.0 nm") + "  " +
                                                     std::to_string(t.MMSI) + "  " + t.Id.Name));
    }
    chart_->update();
}

}  // namespace targets
