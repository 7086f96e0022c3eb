// FrmTargetSettings: Options > Targets. How long a silent station stays
// before it counts as lost and before it leaves the table, how many stations
// the table holds, and how long a station must be silent before a new one
// takes its entry in a full table. Returns what the operator chose as a value:
//
//   targets::FrmTargetSettings d(table.lifecycle(), this);
//   if (d.exec() == QDialog::Accepted) table.setLifecycle(d.settings());
//
// Times are shown in minutes, displace-after in seconds; the result is
// clamped (ClampLifecycle).
#pragma once

#include <QDialog>
#include <QSpinBox>

#include "targets/target_table.h"

namespace targets {

class FrmTargetSettings : public QDialog {
    Q_OBJECT
public:
    explicit FrmTargetSettings(const LifecycleSettings& current, QWidget* parent = nullptr);
    LifecycleSettings settings() const;

private:
    QSpinBox* lostMoving_;
    QSpinBox* lostFixed_;
    QSpinBox* remove_;
    QSpinBox* capacity_;
    QSpinBox* displace_;
};

}  // namespace targets
