// FrmMain: the main window. It owns the receiver and shows its state: the
// status bar with seven panels, and (later) the target list and reference frame.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

#include "app/clock.h"
#include "app/receiver.h"
#include "app/receiver_events.h"

class QStatusBar;

namespace app {

class FrmMain : public QMainWindow, public ReceiverEvents {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Orvanta - Version : 1.00";

    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    Receiver& receiver() { return *receiver_; }
    QString panelText(int panel) const;

    // ReceiverEvents
    void statusPanelChanged(int panel, const std::string& text) override;
    void operatorMessage(MessageIcon icon, const std::string& title, const std::string& text) override;

private:
    void buildStatusBar();
    void updateClockPanel();

    SystemClock clock_;
    std::unique_ptr<Receiver> receiver_;
    std::array<QLabel*, 7> panels_{};
    QTimer* timerAIS_Status_ = nullptr;
    QTimer* timer_DeleteOLDTargets_ = nullptr;
    QTimer* timerConnectionTest_ = nullptr;
    QTimer* clockTimer_ = nullptr;
};

}  // namespace app
