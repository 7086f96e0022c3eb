#include "app/frm_main_window.h"

#include <QStatusBar>
#include <QTime>

#include "ui/message_box_sink.h"

namespace app {

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMain");
    setWindowTitle(kCaption);
    receiver_ = std::make_unique<Receiver>(clock_, *this);
    buildStatusBar();

    timerAIS_Status_ = new QTimer(this);
    timerAIS_Status_->setObjectName("timerAIS_Status");
    timerAIS_Status_->setInterval(15000);
    timerAIS_Status_->start();

    timer_DeleteOLDTargets_ = new QTimer(this);
    timer_DeleteOLDTargets_->setObjectName("timer_DeleteOLDTargets");
    timer_DeleteOLDTargets_->setInterval(60000);
    timer_DeleteOLDTargets_->start();

    // Interval 0 means "does not fire": it only runs once TCP input sets 30000.
    timerConnectionTest_ = new QTimer(this);
    timerConnectionTest_->setObjectName("timerConnectionTest");
    timerConnectionTest_->setInterval(0);

    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &FrmMain::updateClockPanel);
    clockTimer_->start();
    resize(900, 520);
}

FrmMain::~FrmMain() = default;

void FrmMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("sbStatusBar");
    bar->setSizeGripEnabled(true);
    static const char* const kStart[7] = {"Status : ",       "No communication established", "Checksum errors :",
                                          "n/a",             "Ignorerd msgs :",              "n/a",
                                          ""};
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kStart[i]), bar);
        label->setObjectName(QString("sbStatusBar_Panel%1").arg(i + 1));
        label->setContentsMargins(4, 0, 4, 0);
        panels_[static_cast<size_t>(i)] = label;
        if (i == 6) {
            bar->addPermanentWidget(label);
        } else {
            bar->addWidget(label, i == 1 ? 1 : 0);
        }
    }
    updateClockPanel();
}

void FrmMain::updateClockPanel() { panels_[6]->setText(QTime::currentTime().toString("hh:mm")); }

QString FrmMain::panelText(int panel) const {
    if (panel < 1 || panel > 7) return {};
    return panels_[static_cast<size_t>(panel - 1)]->text();
}

void FrmMain::statusPanelChanged(int panel, const std::string& text) {
    if (panel < 1 || panel > 7) return;
    panels_[static_cast<size_t>(panel - 1)]->setText(QString::fromStdString(text));
}

void FrmMain::operatorMessage(MessageIcon icon, const std::string& title, const std::string& text) {
    ui::MessageBoxSink(this).operatorMessage(icon, title, text);
}

}  // namespace app
