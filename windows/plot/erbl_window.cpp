#include "windows/plot/erbl_window.h"

#include <QCloseEvent>
#include <QShortcut>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "ui/plain_text.h"
#include "ui/window_placement.h"

namespace plot {

namespace {
QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QLabel* ValueLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = ui::PlainLabel(text, parent);
    label->setObjectName(name);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("179\u00b059'59.9\"W") + 8);
    return label;
}
}  // namespace

FrmERBL::FrmERBL(ui::SettingsStore* settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), settings_(settings), placement_({{"ERBLLeft", 1950}, {"ERBLTop", 1000}}) {
    setObjectName("frmERBL");
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);

    auto* geo = new QGroupBox("Geograhic co-ordinates", this);
    geo->setObjectName("frmGeo");
    auto* geoLayout = new QVBoxLayout(geo);
    lblLat_ = ValueLabel("lblLat", "Latitude", geo);
    lblLon_ = ValueLabel("lblLon", "Longitude", geo);
    geoLayout->addWidget(lblLat_);
    geoLayout->addWidget(lblLon_);
    layout->addWidget(geo);

    auto* rngBrg = new QGroupBox("True rng/brg", this);
    rngBrg->setObjectName("frmTrueRngBrg");
    auto* grid = new QGridLayout(rngBrg);
    grid->addWidget(ui::PlainLabel("Range : ", rngBrg), 0, 0);
    grid->addWidget(ui::PlainLabel("Bearing :", rngBrg), 1, 0);
    lblERBL_Range_ = ValueLabel("lblERBL_Range", "", rngBrg);
    lblERBL_Bearing_ = ValueLabel("lblERBL_Bearing", "", rngBrg);
    grid->addWidget(lblERBL_Range_, 0, 1);
    grid->addWidget(lblERBL_Bearing_, 1, 1);
    layout->addWidget(rngBrg);
    layout->addStretch(1);
    ui::KeepTitleWhole(*this);
    placement_.place(*this, settings_);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
}

void FrmERBL::showReadout(const ErblReadout& r) {
    lblERBL_Range_->setText(FromUtf8(r.range));
    lblERBL_Bearing_->setText(FromUtf8(r.bearing));
    lblLat_->setText(FromUtf8(r.lat));
    lblLon_->setText(FromUtf8(r.lon));
}

void FrmERBL::closeEvent(QCloseEvent* event) {
    placement_.store(*this, settings_);
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace plot
