// FrmAISExtraInfo: the extended information window of one target, and
// ExtraInfoWindows, which opens at most one of them per target.
//
//   targets::ExtraInfoWindows windows(rx.targets(), &mainWindow);
//   windows.open(entry, clickYTwips);   // opens the entry's window, or raises it
//   ... receiver events targetChangedByMessage(n), targetStatusChanged(n) -> windows.targetChanged(n);
//
// The texts come from extra_info.h and statistics.h; the window only shows
// them. A message only marks the window of its target; a short single-shot
// timer then writes the frames of the message types that arrived since the
// last write, their statistics rows and the summary, so a busy feed costs one
// comparison of counters per message. Closing a window destroys it; opening
// the target again makes a fresh one. When the target leaves the table its
// window stays open, shows "removed" and is written no more.
//
// Widgets carry the names of the design: lblMMSI, lblClass, lblNationality,
// picDimension, the frames (framePositionReport, frameCommState,
// frameChannel_0/_1, frmMsgStatistics, ...), the grids hfgMsgStatistics and
// hfgMsgStatistics2, and each value label "<frame>_<key>" (extra_info.h).
// The grids' title row is their horizontal header; grid row k is table row k-1.
// "Track..." (cmdTrack) asks for the station's stored track (trackRequested).
#pragma once

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <array>
#include <vector>

#include "targets/extra_info.h"
#include "targets/statistics.h"
#include "targets/target_table.h"

class QVBoxLayout;

namespace targets {

class FrmAISExtraInfo : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshIntervalMs = 250;

    FrmAISExtraInfo(const TargetTable& table, int entry, QWidget* parent = nullptr);

    // Number of the target in the table (the window's tag).
    int entry() const { return entry_; }
    // The station has left the table (its entry was freed, perhaps reused):
    // the window shows "removed" and is not written any more.
    bool removed() const;
    void markRemoved();
    // The target took a message (or was aged): write at the next refresh.
    void targetChanged();
    // Writes now what changed since the last write.
    void refresh();
    // The own ship moved: writes the target's approach now.
    void writeApproach();
    QTimer* refreshTimer() const { return timer_; }

    // Text of a value label (empty when there is no such label).
    QString valueText(const QString& name) const;

signals:
    // Track... was clicked: the station's MMSI and name (empty when unknown).
    void trackRequested(int mmsi, const QString& name);

private:
    void buildHeader(QVBoxLayout* top);
    QGroupBox* buildFrame(QWidget* parent, const char* name, const char* caption, const std::vector<InfoField>& fields);
    QGroupBox* buildStatistics(QWidget* parent);
    void placeFrames();
    // As large as the content, at most the available screen.
    void fitToContent();
    void setIcons();
    void write(const std::vector<LabelText>& texts);
    void writeStatisticsRow(int row);
    void writeSummary();

    const TargetTable& table_;
    const int entry_;
    const uint32_t generation_;  // the entry's generation when the window opened
    bool removed_ = false;
    QTimer* timer_;
    ExtraInfoLayout layout_;
    std::array<int32_t, kCountSlots> shownCounts_{};
    StatisticsGrid grid_;

    QHash<QString, QLabel*> labels_;
    std::array<QGroupBox*, static_cast<size_t>(InfoFrame::kCount)> frames_{};
    QWidget* content_ = nullptr;
    QVBoxLayout* leftColumn_ = nullptr;
    QVBoxLayout* rightColumn_ = nullptr;
    QLabel* lblRemoved_ = nullptr;
    QLabel* lblCPA_ = nullptr;
    QLabel* lblTCPA_ = nullptr;
    QLabel* lblRxPercent_ = nullptr;
    QLabel* lblLongestGap_ = nullptr;
    QLabel* lblSource_ = nullptr;
    QLabel* lblMMSI_ = nullptr;
    QLabel* lblClass_ = nullptr;
    QLabel* lblNationality_ = nullptr;
    QLabel* picFlag_ = nullptr;
    QLabel* picClass_ = nullptr;
    QWidget* picDimension_ = nullptr;
    QTableWidget* hfgMsgStatistics_ = nullptr;
    QTableWidget* hfgMsgStatistics2_ = nullptr;
};

class ExtraInfoWindows : public QObject {
    Q_OBJECT
public:
    // mainWindow: where new windows are placed from (may be null: top left).
    ExtraInfoWindows(const TargetTable& table, QWidget* mainWindow, QObject* parent = nullptr);
    ~ExtraInfoWindows() override;

    // Opens the window of `entry` below the clicked height (twips within the
    // list) and shows it, or brings its open window to the front.
    FrmAISExtraInfo* open(int entry, int clickYTwips);
    // The target of `entry` changed: its open window refreshes soon.
    void targetChanged(int entry);
    // The own ship moved: every open window writes its approach.
    void approachesChanged();
    // These entries were freed: their open windows show "removed" and stay.
    void targetsRemoved(const std::vector<RemovedTarget>& removed);

    bool isOpen(int entry) const { return window(entry) != nullptr; }
    FrmAISExtraInfo* window(int entry) const;

signals:
    // Track... in a station's window.
    void trackRequested(int mmsi, const QString& name);

private:
    const TargetTable& table_;
    QWidget* main_;
    QHash<int, QPointer<FrmAISExtraInfo>> windows_;         // by entry
    std::vector<QPointer<FrmAISExtraInfo>> removedWindows_;  // of stations gone, still open
    ExtraInfoPlacement placement_;
};

}  // namespace targets
