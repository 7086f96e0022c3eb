#include "windows/targets/collision_alarm_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace targets {

namespace {

QDoubleSpinBox* spin(QWidget* parent, const char* name, double max, int decimals, double value, const char* suffix) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(0, max);
    s->setDecimals(decimals);
    s->setValue(value);
    s->setSuffix(suffix);
    return s;
}

}  // namespace

FrmCollisionAlarm::FrmCollisionAlarm(const AlarmSettings& current, QWidget* parent) : QDialog(parent) {
    setObjectName("frmCollisionAlarm");
    setWindowTitle("Collision alarm");
    auto* form = new QFormLayout(this);
    cpa_ = spin(this, "txtCPALimit", 20, 2, current.cpaLimit, " nm");
    tcpa_ = spin(this, "txtTCPALimit", 120, 1, current.tcpaLimit, " min");
    range_ = spin(this, "txtRangeLimit", 100, 1, current.rangeLimit, " nm");
    guard_ = spin(this, "txtGuardZone", 20, 2, current.guardZone, " nm");
    guard_->setSpecialValueText("off");
    guard_->setToolTip("Any vessel under way (not anchored or moored) closer than this alarms; 0 is off.");
    ignoreMoored_ = new QCheckBox("Ignore anchored and moored vessels", this);
    ignoreMoored_->setObjectName("chkIgnoreMoored");
    ignoreMoored_->setChecked(current.ignoreMoored);
    ignoreClassB_ = new QCheckBox("Ignore class B vessels", this);
    ignoreClassB_->setObjectName("chkIgnoreClassB");
    ignoreClassB_->setChecked(current.ignoreClassB);
    form->addRow("CPA limit :", cpa_);
    form->addRow("TCPA limit :", tcpa_);
    form->addRow("Range limit :", range_);
    form->addRow("Guard zone :", guard_);
    form->addRow(ignoreMoored_);
    form->addRow(ignoreClassB_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

AlarmSettings FrmCollisionAlarm::settings() const {
    AlarmSettings s;
    s.cpaLimit = cpa_->value();
    s.tcpaLimit = tcpa_->value();
    s.rangeLimit = range_->value();
    s.guardZone = guard_->value();
    s.ignoreMoored = ignoreMoored_->isChecked();
    s.ignoreClassB = ignoreClassB_->isChecked();
    return s;
}

}  // namespace targets
