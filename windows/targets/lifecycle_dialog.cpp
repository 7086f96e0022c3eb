#include "windows/targets/lifecycle_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace targets {

namespace {

QSpinBox* spin(QWidget* parent, const char* name, int min, int max, int value, const char* suffix) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    s->setSuffix(suffix);
    return s;
}

}  // namespace

FrmTargetSettings::FrmTargetSettings(const LifecycleSettings& current, QWidget* parent) : QDialog(parent) {
    setObjectName("frmTargetSettings");
    setWindowTitle("Targets");
    const LifecycleSettings c = ClampLifecycle(current);
    auto* form = new QFormLayout(this);
    lostMoving_ = spin(this, "txtLostAfterMoving", 1, 1440, c.lostAfterMoving / 60, " min");
    lostFixed_ = spin(this, "txtLostAfterFixed", 1, 1440, c.lostAfterFixed / 60, " min");
    remove_ = spin(this, "txtRemoveAfter", 1, 1440, c.removeAfter / 60, " min");
    capacity_ = spin(this, "txtCapacity", 1, kMaxCapacity, c.capacity, "");
    displace_ = spin(this, "txtDisplaceAfter", kMinDisplaceAfter, kMaxDisplaceAfter, c.displaceAfter, " s");
    displace_->setToolTip("When the table is full and no target is lost, a new target takes the place of the "
                          "target silent longest, once it has been silent this long.");
    form->addRow("Lost after, moving vessels :", lostMoving_);
    form->addRow("Lost after, anchored, moored, base stations, aids :", lostFixed_);
    form->addRow("Remove after :", remove_);
    form->addRow("Maximum number of targets :", capacity_);
    form->addRow("Displace after, table full :", displace_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

LifecycleSettings FrmTargetSettings::settings() const {
    LifecycleSettings s;
    s.lostAfterMoving = lostMoving_->value() * 60;
    s.lostAfterFixed = lostFixed_->value() * 60;
    s.removeAfter = remove_->value() * 60;
    s.capacity = capacity_->value();
    s.displaceAfter = displace_->value();
    return ClampLifecycle(s);
}

}  // namespace targets
