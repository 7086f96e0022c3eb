// FrmCollisionAlarm: Options > Collision alarm. The limits inside which a
// target is dangerous and the guard zone (0 = off), returned as a value:
//
//   targets::FrmCollisionAlarm d(rx.alarmSettings(), this);
//   if (d.exec() == QDialog::Accepted) rx.setAlarmSettings(d.settings());
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QDoubleSpinBox>

#include "targets/watch.h"

namespace targets {

class FrmCollisionAlarm : public QDialog {
    Q_OBJECT
public:
    explicit FrmCollisionAlarm(const AlarmSettings& current, QWidget* parent = nullptr);
    AlarmSettings settings() const;

private:
    QDoubleSpinBox* cpa_;
    QDoubleSpinBox* tcpa_;
    QDoubleSpinBox* range_;
    QDoubleSpinBox* guard_;
    QCheckBox* ignoreMoored_;
    QCheckBox* ignoreClassB_;
};

}  // namespace targets
