// FrmReceptionSummary: Options > Reception. Messages per minute on each
// channel over the last hour as a small bar chart, the targets by range ring
// and the furthest target heard; rewritten every five seconds.
//
//   auto* w = new targets::FrmReceptionSummary(table, state, rx.channelHistory(), rx.clock(), mainWindow);
//   w->show();
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>

#include "base/clock.h"
#include "targets/reference.h"
#include "targets/reception.h"

namespace targets {

class FrmReceptionSummary : public QWidget {
    Q_OBJECT
public:
    FrmReceptionSummary(const TargetTable& table, const targets::Reference& state, const ChannelHistory& channels,
                        const base::Clock& clock, QWidget* parent = nullptr);
    void refresh();

private:
    const TargetTable& table_;
    const targets::Reference& state_;
    const ChannelHistory& channels_;
    const base::Clock& clock_;
    QWidget* chart_ = nullptr;
    std::array<QLabel*, kRangeRings.size() + 1> rings_{};
    QLabel* lblFurthest_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace targets
