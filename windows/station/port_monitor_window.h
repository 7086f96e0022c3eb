// FrmPortMonitor: the "Port monitor" window (menu View / Comport Monitor). It
// shows the raw input: the last received text, the sentences handed to the
// sentence handler, five counters, the settings of the source and, for TCP,
// the live socket state. It does not block the main window and is deleted
// when closed.
//
// While it is open the receiver is told to monitor: it counts the monitor
// counters and raises inputBufferChanged and sentenceSeen, which the
// main window hands to inputBufferChanged() and sentenceSeen() here. Those
// only record what arrived; a short single-shot timer then updates the
// widgets once for everything that came in meanwhile (refresh()), so a busy
// feed costs a few repaints a second, and the text box never holds more than
// its capacity in sentences (input::MonitorText).
//
// Controls carry their names as objectName: lblInputBuffer1, lblInputBuffer2,
// lblMessages, lblNMEACount, lblAISCount, lblCheckSumOK, lblCheckSumError,
// txtNMEA, cmdFreeze, cmdCLS, cmdResetCounters, cboInput (which input the
// buffer and the sentences are shown of: all, the main one, or one other), StatusBar1 with the panels
// StatusBar1_Panel1..5, and the timer timer_State. txtNMEA and cmdFreeze keep
// their state in the dynamic property "Tag" ("0", "false").
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "station/port_monitor.h"
#include "station/setup_file.h"
#include "ui/window_placement.h"

class QGridLayout;
class QStatusBar;
class QVBoxLayout;

namespace ui {
class SettingsStore;
}

namespace input {

class Transport;

class FrmPortMonitor : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Port monitor";
    // Delay between the first new event and the widget update that shows it.
    static constexpr int kRefreshMs = 100;

    // settings: the per-user store for the placement; null keeps none.
    // monitor: switches the receiver's monitoring on (when the window loads)
    // and off (when it closes); comm and tcp: the input it describes in its
    // panels. Both outlive the window.
    FrmPortMonitor(std::function<void(bool)> monitor, const CommSettings& comm, std::function<const Transport*()> tcp,
                   QWidget* parent, ui::SettingsStore* settings = nullptr);
    // The main window deletes an open monitor before its receiver goes.
    ~FrmPortMonitor() override;

    // From the receiver, through the main window.
    void inputBufferChanged(std::string_view text);
    void sentenceSeen(std::string_view sentence);

    // The inputs besides the main one (receiver number, label) the operator
    // may choose from; a choice that is gone falls back to all.
    void setInputChoices(const std::vector<std::pair<int, QString>>& inputs);
    // Whether what comes from input n is shown now (0 is the main input).
    bool shows(int input) const;
    // Where the counters of the chosen input(s) come from (lblInputCounters,
    // refreshed once a second).
    void setCountersText(std::function<std::string()> text);
    // The five counters (sentences, NMEA, AIS, checksum right, wrong) of the
    // inputs shown now, and how Reset Counters starts them again. Without
    // them the window shows zeros.
    using Counters = std::array<int64_t, 5>;
    void setCounterSource(std::function<Counters()> counters, std::function<void()> reset);

    // Shows what arrived since the last refresh (the refresh timer calls it).
    void refresh();
    // timer_State: the socket state in panel 4.
    void timer_State_Timer();

    const MonitorText& monitorText() const { return box_; }
    QString panelText(int panel) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGridLayout* buildCounters();
    QVBoxLayout* buildButtons();
    QStatusBar* buildStatusBar();
    void showPanels();
    void scheduleRefresh();
    void updateCapacity();
    void cmdFreeze_Click();
    void cmdCLS_Click();
    void cmdResetCounters_Click();
    Counters counters() const;

    std::function<void(bool)> monitor_;
    const CommSettings& comm_;
    std::function<const Transport*()> tcp_;  // the main input's TCP connection; null when there is none
    ui::SettingsStore* settings_;
    MonitorText box_;
    std::string inputBuffer_;
    bool inputBufferChanged_ = false;
    // Counter values the labels show; a label is rewritten when its counter moves.
    Counters shownCounters_{};
    std::function<Counters()> counterSource_;
    std::function<void()> resetCounters_;
    ui::WindowPlacement placement_;
    bool unloaded_ = false;

    QLabel* lblInputBuffer2_ = nullptr;
    std::array<QLabel*, 5> counterLabels_{};
    QPlainTextEdit* txtNMEA_ = nullptr;
    QPushButton* cmdFreeze_ = nullptr;
    std::array<QLabel*, 5> panels_{};
    QTimer* timer_State_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QComboBox* cboInput_ = nullptr;
    QLabel* lblInputCounters_ = nullptr;
    std::function<std::string()> countersText_;
};

}  // namespace input
