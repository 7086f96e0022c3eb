#include "windows/station/port_monitor_window.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextCursor>
#include <QVBoxLayout>
#include <cmath>

#include "station/transport.h"
#include "ui/plain_text.h"
#include "ui/settings_store.h"
#include "ui/twips.h"

namespace input {

namespace {

QString fromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The box shows one line per sentence; carriage returns are not shown.
QString shownText(std::string_view s) { return fromUtf8(s).remove(QChar('\r')); }

constexpr int kAllInputs = -1;

}  // namespace

FrmPortMonitor::FrmPortMonitor(std::function<void(bool)> monitor, const CommSettings& comm, std::function<const Transport*()> tcp, QWidget* parent,
                               ui::SettingsStore* settings)
    : QWidget(parent, Qt::Window),
      monitor_(std::move(monitor)),
      comm_(comm),
      tcp_(std::move(tcp)),
      settings_(settings),
      // A monitor minimised at unload stores the place it comes back to.
      placement_({{"MonitorLeft", 100}, {"MonitorTop", 100}, {"MonitorWidth", 8000}, {"MonitorHeight", 4000}},
                 ui::WindowPlacement::WhenMinimised::StoreNormalPlace) {
    setObjectName("frmPortMonitor");
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);

    auto* bufferRow = new QHBoxLayout;
    layout->addLayout(bufferRow);
    auto* lblInputBuffer1 = ui::PlainLabel("COM-port inputbuffer :", this);
    lblInputBuffer1->setObjectName("lblInputBuffer1");
    lblInputBuffer1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInputBuffer2_ = ui::PlainLabel("com-port inputbuffer", this);
    lblInputBuffer2_->setObjectName("lblInputBuffer2");
    lblInputBuffer2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInputBuffer2_->setFrameShape(QFrame::StyledPanel);
    // Two lines of whatever arrived, clipped: a long chunk never resizes the window.
    lblInputBuffer2_->setFixedHeight(lblInputBuffer2_->fontMetrics().lineSpacing() * 2 + 6);
    lblInputBuffer2_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    bufferRow->addWidget(lblInputBuffer1, 0, Qt::AlignTop);
    bufferRow->addWidget(lblInputBuffer2_, 1);
    cboInput_ = new QComboBox(this);
    cboInput_->setObjectName("cboInput");
    setInputChoices({});
    bufferRow->addWidget(cboInput_, 0, Qt::AlignTop);

    auto* middle = new QHBoxLayout;
    layout->addLayout(middle);
    middle->addLayout(buildCounters());
    middle->addStretch(1);
    middle->addLayout(buildButtons());

    lblInputCounters_ = ui::PlainLabel("", this);
    lblInputCounters_->setObjectName("lblInputCounters");
    layout->addWidget(lblInputCounters_);
    auto* countersTimer = new QTimer(this);
    countersTimer->setInterval(1000);
    connect(countersTimer, &QTimer::timeout, this, [this] {
        if (countersText_) lblInputCounters_->setText(fromUtf8(countersText_()));
    });
    countersTimer->start();

    txtNMEA_ = new QPlainTextEdit(this);
    txtNMEA_->setObjectName("txtNMEA");
    txtNMEA_->setReadOnly(true);
    txtNMEA_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtNMEA_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtNMEA_->setProperty("Tag", "0");
    txtNMEA_->installEventFilter(this);
    layout->addWidget(txtNMEA_, 1);

    layout->addWidget(buildStatusBar());

    timer_State_ = new QTimer(this);
    timer_State_->setObjectName("timer_State");
    timer_State_->setInterval(200);
    connect(timer_State_, &QTimer::timeout, this, &FrmPortMonitor::timer_State_Timer);

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, &FrmPortMonitor::refresh);
    // Another input chosen: its counters at once.
    connect(cboInput_, &QComboBox::currentIndexChanged, this, [this] {
        refresh();
        if (countersText_) lblInputCounters_->setText(fromUtf8(countersText_()));
    });

    // Load: from here on the receiver feeds the monitor.
    monitor_(true);
    placement_.place(*this, settings_);
    showPanels();
    updateCapacity();
}

// The five counters in two columns: messages, NMEA and AIS; checksum right and wrong.
QGridLayout* FrmPortMonitor::buildCounters() {
    auto* counters = new QGridLayout;
    static const char* const kCounterNames[5] = {"lblMessages", "lblNMEACount", "lblAISCount", "lblCheckSumOK",
                                                 "lblCheckSumError"};
    static const char* const kCounterCaptions[5] = {"Number of messages", "Recognized as NMEA", "Recognized as AIS",
                                                    "Checksum OK", "Checksum Error"};
    const int valueWidth = fontMetrics().horizontalAdvance("0000000") + 8;
    for (int i = 0; i < 5; ++i) {
        auto* label = ui::PlainLabel("0", this);
        label->setObjectName(kCounterNames[i]);
        label->setFrameShape(QFrame::StyledPanel);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(valueWidth);
        counterLabels_[static_cast<size_t>(i)] = label;
        const int row = i < 3 ? i : i - 3;
        const int column = i < 3 ? 0 : 2;
        counters->addWidget(ui::PlainLabel(kCounterCaptions[i], this), row, column);
        counters->addWidget(label, row, column + 1);
    }
    counters->setColumnMinimumWidth(2, 0);
    counters->setHorizontalSpacing(10);
    return counters;
}

// Freeze, Clear and Reset Counters, one above the other.
QVBoxLayout* FrmPortMonitor::buildButtons() {
    auto* buttons = new QVBoxLayout;
    cmdFreeze_ = new QPushButton("Freeze", this);
    cmdFreeze_->setObjectName("cmdFreeze");
    cmdFreeze_->setProperty("Tag", "false");
    auto* cmdCLS = new QPushButton("Clear ", this);
    cmdCLS->setObjectName("cmdCLS");
    auto* cmdResetCounters = new QPushButton("Reset Counters", this);
    cmdResetCounters->setObjectName("cmdResetCounters");
    connect(cmdFreeze_, &QPushButton::clicked, this, &FrmPortMonitor::cmdFreeze_Click);
    connect(cmdCLS, &QPushButton::clicked, this, &FrmPortMonitor::cmdCLS_Click);
    connect(cmdResetCounters, &QPushButton::clicked, this, &FrmPortMonitor::cmdResetCounters_Click);
    for (QPushButton* b : {cmdFreeze_, cmdCLS, cmdResetCounters}) buttons->addWidget(b);
    return buttons;
}

// The serial port's settings in five panels.
QStatusBar* FrmPortMonitor::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(true);
    bar->setStyleSheet("QStatusBar::item { border: none; }");
    static const char* const kPanelStart[5] = {"Comport", "Baud rate", "Data bits", "Parity", "Stop bits"};
    for (int i = 0; i < 5; ++i) {
        auto* panel = ui::PlainLabel(kPanelStart[i], bar);
        panel->setObjectName(QString("StatusBar1_Panel%1").arg(i + 1));
        panel->setContentsMargins(4, 0, 12, 0);
        panels_[static_cast<size_t>(i)] = panel;
        bar->addWidget(panel, i == 3 ? 1 : 0);
    }
    return bar;
}

FrmPortMonitor::~FrmPortMonitor() {
    if (!unloaded_) monitor_(false);
}

void FrmPortMonitor::setInputChoices(const std::vector<std::pair<int, QString>>& inputs) {
    const int chosen = cboInput_->count() > 0 ? cboInput_->currentData().toInt() : kAllInputs;
    cboInput_->clear();
    cboInput_->addItem("All inputs", kAllInputs);
    cboInput_->addItem("Main input", 0);
    for (const auto& [number, label] : inputs) cboInput_->addItem(label, number);
    const int index = cboInput_->findData(chosen);
    cboInput_->setCurrentIndex(index < 0 ? 0 : index);
}

void FrmPortMonitor::setCountersText(std::function<std::string()> text) {
    countersText_ = std::move(text);
    if (countersText_) lblInputCounters_->setText(fromUtf8(countersText_()));
}

bool FrmPortMonitor::shows(int input) const {
    const int chosen = cboInput_->currentData().toInt();
    return chosen == kAllInputs || chosen == input;
}

void FrmPortMonitor::showPanels() {
    const CommSettings& comm = comm_;
    if (comm.UseTCP) {
        panels_[0]->setText("TCP/IP");
        panels_[1]->setText("IP :" + fromUtf8(comm.IPAddress));
        panels_[2]->setText(QString("Port :%1").arg(comm.IPPort));
        panels_[4]->setText("");
        // The state is shown at once rather than after the first interval.
        timer_State_Timer();
        timer_State_->start();
    } else {
        panels_[0]->setText(QString("Comport :%1").arg(comm.ComPort));
        panels_[1]->setText(QString("Baud rate :%1").arg(comm.BaudRate));
        panels_[2]->setText(QString("Data bits :%1").arg(comm.DataBits));
        panels_[3]->setText("Parity : " + fromUtf8(comm.Parity));
        panels_[4]->setText(QString("Stop bits :%1").arg(comm.StopBits));
    }
}

QString FrmPortMonitor::panelText(int panel) const {
    if (panel < 1 || panel > 5) return {};
    return panels_[static_cast<size_t>(panel - 1)]->text();
}

void FrmPortMonitor::timer_State_Timer() {
    const Transport* tcp = tcp_();
    const MonitorSocketView view =
        tcp ? MonitorSocketState(tcp->stateNumber(), tcp->peer()) : MonitorSocketState(kSocketClosed, {});
    panels_[3]->setText(fromUtf8(view.text));
    if (view.nextIntervalMs > 0) timer_State_->setInterval(view.nextIntervalMs);
}

// ---------------------------------------------------------------- input

void FrmPortMonitor::inputBufferChanged(std::string_view text) {
    inputBuffer_.assign(ShownInputBuffer(text));
    inputBufferChanged_ = true;
    scheduleRefresh();
}

void FrmPortMonitor::sentenceSeen(std::string_view sentence) {
    box_.add(sentence);
    scheduleRefresh();
}

void FrmPortMonitor::scheduleRefresh() {
    if (!refreshTimer_->isActive()) refreshTimer_->start();
}

void FrmPortMonitor::setCounterSource(std::function<Counters()> counters, std::function<void()> reset) {
    counterSource_ = std::move(counters);
    resetCounters_ = std::move(reset);
    refresh();
}

FrmPortMonitor::Counters FrmPortMonitor::counters() const {
    return counterSource_ ? counterSource_() : Counters{};
}

void FrmPortMonitor::refresh() {
    refreshTimer_->stop();
    const Counters now = counters();
    for (size_t i = 0; i < now.size(); ++i) {
        if (now[i] == shownCounters_[i]) continue;
        shownCounters_[i] = now[i];
        counterLabels_[i]->setText(QString::number(now[i]));
    }
    if (inputBufferChanged_) {
        inputBufferChanged_ = false;
        lblInputBuffer2_->setText(fromUtf8(inputBuffer_));
    }
    MonitorText::Update update = box_.takeUpdate();
    if (update.changed) {
        QScrollBar* bar = txtNMEA_->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        if (update.replace) {
            txtNMEA_->setPlainText(shownText(box_.text()));
        } else {
            QTextCursor cursor(txtNMEA_->document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(shownText(update.appended));
        }
        // Follow the newest sentence unless the operator scrolled back.
        if (atEnd || update.replace) bar->setValue(bar->maximum());
        txtNMEA_->setProperty("Tag", QString::number(box_.shownCount()));
    }
}

// ---------------------------------------------------------------- buttons

void FrmPortMonitor::cmdFreeze_Click() {
    if (!box_.frozen()) {
        box_.freeze();
        cmdFreeze_->setText("Continue");
        cmdFreeze_->setProperty("Tag", "true");
    } else {
        box_.resume();
        cmdFreeze_->setText("Freeze");
        cmdFreeze_->setProperty("Tag", "false");
    }
    refresh();
}

void FrmPortMonitor::cmdCLS_Click() {
    box_.clear();
    refresh();
}

void FrmPortMonitor::cmdResetCounters_Click() {
    // What arrived before the reset is shown first; after it the labels keep
    // their texts until their counter moves again.
    refresh();
    if (resetCounters_) resetCounters_();
    shownCounters_ = {};
}

// ---------------------------------------------------------------- window

bool FrmPortMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtNMEA_ && event->type() == QEvent::Resize) updateCapacity();
    return QWidget::eventFilter(watched, event);
}

void FrmPortMonitor::updateCapacity() {
    box_.setCapacity(MonitorCapacity(ui::twipsFromPixels(txtNMEA_->height(), logicalDpiY())));
}

void FrmPortMonitor::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        timer_State_->stop();
        refreshTimer_->stop();
        monitor_(false);
        placement_.store(*this, settings_);
    }
    QWidget::closeEvent(event);
}

}  // namespace input
