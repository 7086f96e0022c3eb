#include "app/frm_main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QLocale>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "ais/ais_message_window.h"
#include "ais/binary_message_window.h"
#include "ais/code_tables.h"
#include "ais/message_inbox_model.h"
#include "ais/message_notice.h"
#include "app/data_folder.h"
#include "app/frm_messages_window.h"
#include "app/message_popups_dialog.h"
#include "app/playback_bar_window.h"
#include "app/station_menus_window.h"
#include "app/station_transport.h"
#include "base/atomic_file.h"
#include "base/number_format.h"
#include "geodesy/position_text.h"
#include "input/comm_setup_dialog.h"
#include "input/port_monitor_window.h"
#include "input/serial_transport.h"
#include "input/tcp_transport.h"
#include "plot/plot_window.h"
#include "plot/plot_state.h"
#include "targets/extra_info_window.h"
#include "targets/target_export.h"
#include "targets/target_filter.h"
#include "targets/collision_alarm_dialog.h"
#include "targets/lifecycle_dialog.h"
#include "targets/reception_window.h"
#include "targets/watch.h"
#include "targets/target_list_model.h"
#include "targets/target_sort.h"
#include "ui/message_box_sink.h"
#include "ui/notice_bar.h"
#include "ui/plain_text.h"
#include "ui/settings_store.h"
#include "ui/status_bar_fit.h"
#include "ui/twips.h"

namespace app {

namespace {

constexpr const char* kMMSIError = " is not a valid MMSI number! Has to be an integer value in the range 0-999999999";
constexpr const char* kRefPosTitles[4] = {"No Ref pos", "From VDO msg", "Manual ", "From VDM msg, MMSI : "};
constexpr const char* kBinaryStandards[2] = {"&IMO SN/Circ.236", "IA&LA Proposal (comb IMO236 and ITU 1371-1)"};

// Settings keys of the watch-keeping options.
constexpr const char* kLostAfterMovingKey = "TargetLostAfterMoving";
constexpr const char* kLostAfterFixedKey = "TargetLostAfterFixed";
constexpr const char* kRemoveAfterKey = "TargetRemoveAfter";
constexpr const char* kCapacityKey = "TargetCapacity";
constexpr const char* kDisplaceAfterKey = "TargetDisplaceAfter";
constexpr const char* kCPALimitKey = "AlarmCPALimit";
constexpr const char* kTCPALimitKey = "AlarmTCPALimit";
constexpr const char* kRangeLimitKey = "AlarmRangeLimit";
constexpr const char* kIgnoreMooredKey = "AlarmIgnoreMoored";
constexpr const char* kIgnoreClassBKey = "AlarmIgnoreClassB";
constexpr const char* kGuardZoneKey = "AlarmGuardZone";
// Message pop-ups, per ais::PopupKind: "MsgPopupWindow_0", "MsgPopupBeep_0", ...
constexpr const char* kPopupWindowKey = "MsgPopupWindow_%1";
constexpr const char* kPopupBeepKey = "MsgPopupBeep_%1";

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

FrmMain::FrmMain(ui::SettingsStore* settings, QWidget* parent, const base::Clock* clock)
    : QMainWindow(parent),
      settings_(settings),
      placement_({{"MainLeft", 1000}, {"MainTop", 1000}, {"MainWidth", 13300}, {"MainHeight", 8000}}),
      boxSink_(std::make_unique<ui::MessageBoxSink>(this)) {
    messages_ = boxSink_.get();
    setObjectName("frmMain");
    setWindowTitle(kCaption);
    receiver_ = std::make_unique<Receiver>(clock ? *clock : systemClock_, *this);
    // Notices show the date in the short form of the user's locale.
    receiver_->setNoticeTimeFormat([](base::DateTime t) {
        const base::CalendarTime c = t.toCalendar();
        return (QLocale().toString(QDate(c.year, c.month, c.day), QLocale::ShortFormat) + " " +
                QTime(c.hour, c.minute, c.second).toString("HH:mm:ss"))
            .toStdString();
    });
    input::SetSetupDefaults(comm_);

    serial_ = new input::SerialTransport(this);
    tcp_ = new input::TcpTransport(this);
    serial_->setBytesHandler([this](std::string_view b) { receiver_->takeBytes(Receiver::kMainInput, b); });
    tcp_->setBytesHandler([this](std::string_view b) { receiver_->takeBytes(Receiver::kMainInput, b); });
    input::ConnectionView& view = *this;
    connection_ = std::make_unique<input::ConnectionManager>(comm_, *serial_, *tcp_, view, *this);
    connect(tcp_, &input::TcpTransport::connected, this, [this] { connection_->SocketConnected(); });
    // Queued: the socket is closed by the handler, which must not happen inside its own signal.
    connect(
        tcp_, &input::TcpTransport::errorOccurred, this,
        [this](int number, const QString& description) { connection_->SocketError(number, description.toStdString()); },
        Qt::QueuedConnection);
    connect(tcp_, &input::TcpTransport::closedByPeer, this, [this] { connection_->SocketClosedByPeer(); },
            Qt::QueuedConnection);
    connect(
        serial_, &input::SerialTransport::deviceLost, this,
        [this](const QString& description) { connection_->SerialLost(description.toStdString()); },
        Qt::QueuedConnection);

    inbox_ = new ais::MessageInboxModel(ais::kInboxCapacity, this);
    if (settings_) {
        for (int k = 0; k < ais::kPopupKinds; ++k) {
            ais::PopupChoice& c = popups_[static_cast<size_t>(k)];
            c.showWindow = settings_->readNumber(QString(kPopupWindowKey).arg(k), 1) != 0;
            c.beep = settings_->readNumber(QString(kPopupBeepKey).arg(k), 1) != 0;
        }
    }
    stationMenus_ = new StationMenus(
        *this, *receiver_, *this, settings_,
        [this](const std::string& text) { notice(base::MessageIcon::Exclamation, "Orvanta", text); },
        [this] { return frmPortMonitor_.data(); });

    buildStatusBar();
    buildMenus();
    buildCentralArea();
    // Notices stand above the scrolling content, outside it: a click on one
    // gives the keyboard to nothing there.
    auto* framed = new QWidget(this);
    auto* column = new QVBoxLayout(framed);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    noticeBar_ = new ui::NoticeBar(framed);
    column->addWidget(noticeBar_);
    column->addWidget(takeCentralWidget());
    setCentralWidget(framed);
    extraInfo_ = new targets::ExtraInfoWindows(receiver_->targets(), this, this);
    connect(this, &FrmMain::targetClicked, this, &FrmMain::showExtraInfo);
    // The plot always labels the target chosen last.
    plotState_ = std::make_unique<plot::PlotState>();
    connect(this, &FrmMain::targetClicked, this, [this](int entry) { plotState_->selectedEntry = entry; });

    timerAIS_Status_ = new QTimer(this);
    timerAIS_Status_->setObjectName("timerAIS_Status");
    timerAIS_Status_->setInterval(15000);
    connect(timerAIS_Status_, &QTimer::timeout, this, &FrmMain::timerAIS_Status_Timer);
    timerAIS_Status_->start();

    // Removes nothing: targets stay for the whole run.
    timer_DeleteOLDTargets_ = new QTimer(this);
    timer_DeleteOLDTargets_->setObjectName("timer_DeleteOLDTargets");
    timer_DeleteOLDTargets_->setInterval(60000);
    timer_DeleteOLDTargets_->start();

    // Interval 0 means "does not fire": it only runs once TCP input sets 30000.
    timerConnectionTest_ = new QTimer(this);
    timerConnectionTest_->setObjectName("timerConnectionTest");
    timerConnectionTest_->setInterval(0);
    connect(timerConnectionTest_, &QTimer::timeout, this, [this] { connection_->ConnectionTestTick(); });

    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &FrmMain::updateClockPanel);
    connect(clockTimer_, &QTimer::timeout, this, &FrmMain::recordTrails);
    connect(clockTimer_, &QTimer::timeout, this, [this] { receiver_->refineApproaches(); });
    connect(clockTimer_, &QTimer::timeout, this, [this] { connection_->SecondTick(); });
    clockTimer_->start();
    buildWatchPanels();
    resize(900, 520);
}

FrmMain::~FrmMain() {
    // Everything that reads the receiver goes before it: the transports (whose
    // bytes it takes), the list and its model. Child widgets would otherwise
    // outlive the members.
    delete frmGraphics_;
    delete frmPortMonitor_;
    delete frmReception_;
    serial_->blockSignals(true);
    tcp_->blockSignals(true);
    delete serial_;
    delete tcp_;
    delete stationMenus_;
    delete extraInfo_;
    delete fgAISTargets_;
    delete model_;
}

// ---------------------------------------------------------------- building

void FrmMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("sbStatusBar");
    bar->setSizeGripEnabled(true);
    bar->setStyleSheet("QStatusBar::item { border: none; }");
    static const char* const kStart[7] = {"Status : ",       "No communication established", "Checksum errors :",
                                          "n/a",             "Ignorerd msgs :",              "n/a",
                                          ""};
    for (int i = 0; i < 7; ++i) {
        // The connection panel gives way in its middle, keeping its state readable.
        QLabel* label = i == 1 ? new ui::ElidedLabel(QString::fromUtf8(kStart[i]), bar)
                               : ui::PlainLabel(QString::fromUtf8(kStart[i]), bar);
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

    cmdAcknowledge_ = new QPushButton("Acknowledge alarm", bar);
    cmdAcknowledge_->setObjectName("cmdAcknowledge");
    cmdAcknowledge_->setStyleSheet("color: red; font-weight: bold");
    cmdAcknowledge_->hide();
    connect(cmdAcknowledge_, &QPushButton::clicked, this, &FrmMain::acknowledgeAlarms);
    bar->addPermanentWidget(cmdAcknowledge_);
    // Narrow, the connection keeps its whole address and state: the ignored
    // count gives way first, then the checksum count, the caption, the clock.
    new ui::StatusBarFit(*bar, *panels_[1], {{panels_[4], panels_[5]}, {panels_[2], panels_[3]}, {panels_[0]}, {panels_[6]}});
    timerAlarm_ = new QTimer(this);
    timerAlarm_->setObjectName("timerAlarm");
    timerAlarm_->setInterval(30000);
    connect(timerAlarm_, &QTimer::timeout, this, &FrmMain::soundAlarm);
}

void FrmMain::buildMenus() {
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    QAction* exportTargets = file->addAction("Export &targets...");
    exportTargets->setObjectName("mnuFileExportTargets");
    connect(exportTargets, &QAction::triggered, this, &FrmMain::mnuFileExportTargets_Click);
    QAction* exportTracks = file->addAction("Export tr&acks...");
    exportTracks->setObjectName("mnuFileExportTracks");
    connect(exportTracks, &QAction::triggered, this, &FrmMain::mnuFileExportTracks_Click);
    file->addSeparator();
    stationMenus_->buildFileMenu(file);
    file->addSeparator();
    QAction* exitAction = file->addAction("E&xit");
    exitAction->setObjectName("mnuFileExit");
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    QMenu* setup = bar->addMenu("&Setup");
    setup->setObjectName("mnuSetup");
    QAction* comm = setup->addAction("&Comm");
    comm->setObjectName("mnuSetupComm");
    connect(comm, &QAction::triggered, this, &FrmMain::showCommSetup);
    QAction* disconnect = setup->addAction("&Disconnect");
    disconnect->setObjectName("mnuSetupDisconnect");
    disconnect->setToolTip("Closes the input; a TCP client stops reconnecting until CONNECT.");
    connect(disconnect, &QAction::triggered, this, [this] { connection_->Disconnect(); });
    stationMenus_->addInputsAction(setup);
    setup->addSeparator();
    QMenu* standard = setup->addMenu("&Binary Msg Standard");
    standard->setObjectName("mnuSetupBinaryMsgStdMenu");
    for (int i = 0; i < 2; ++i) {
        QAction* a = standard->addAction(kBinaryStandards[i]);
        a->setObjectName(QString("mnuSetupBinaryMsgStd_%1").arg(i));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { chooseBinaryStandard(i); });
        mnuSetupBinaryMsgStd_[static_cast<size_t>(i)] = a;
    }

    QMenu* view = bar->addMenu("&View");
    view->setObjectName("mnuView");
    QAction* messages = view->addAction("&Incoming Messages");
    messages->setObjectName("mnuViewMessages");
    connect(messages, &QAction::triggered, this, &FrmMain::showMessagesWindow);
    QAction* graphics = view->addAction("&GraphicDisplay");
    graphics->setObjectName("mnuViewGraphics");
    graphics->setCheckable(true);
    connect(graphics, &QAction::triggered, this, &FrmMain::mnuViewGraphics_Click);
    mnuViewGraphics_ = graphics;
    QAction* monitor = view->addAction("Comport &Monitor");
    monitor->setObjectName("mnuViewPortMonitor");
    connect(monitor, &QAction::triggered, this, &FrmMain::showPortMonitor);

    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("mnuOptions");
    QAction* targetSettings = options->addAction("&Targets...");
    targetSettings->setObjectName("mnuOptionsTargets");
    connect(targetSettings, &QAction::triggered, this, &FrmMain::showTargetSettings);
    QAction* alarmSettings = options->addAction("&Collision alarm...");
    alarmSettings->setObjectName("mnuOptionsCollisionAlarm");
    connect(alarmSettings, &QAction::triggered, this, &FrmMain::showAlarmSettings);
    QAction* reception = options->addAction("&Reception...");
    reception->setObjectName("mnuOptionsReception");
    connect(reception, &QAction::triggered, this, &FrmMain::showReceptionSummary);
    QAction* popups = options->addAction("Message &pop-ups...");
    popups->setObjectName("mnuOptionsMessagePopups");
    connect(popups, &QAction::triggered, this, &FrmMain::showPopupSettings);
    QAction* acknowledge = options->addAction("&Acknowledge alarm");
    acknowledge->setObjectName("mnuOptionsAcknowledge");
    connect(acknowledge, &QAction::triggered, this, &FrmMain::acknowledgeAlarms);
    QAction* silence = options->addAction("&Silence alarm for 5 min");
    silence->setObjectName("mnuOptionsSilenceAlarm");
    connect(silence, &QAction::triggered, this, &FrmMain::silenceAlarm);

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    help->addSeparator();
    QAction* about = help->addAction("&About ");
    about->setObjectName("mnuHelpAbout");
    connect(about, &QAction::triggered, this, &FrmMain::showAbout);
}

void FrmMain::buildCentralArea() {
    // In a scroll area: at twice the scale on a small screen the window still fits.
    QWidget* central = ui::ScrollingContent(*this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 2);

    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* frameRefPos = new QGroupBox("Reference position", central);
    frameRefPos->setObjectName("frameRefPos");
    frameRefPos_ = frameRefPos;
    auto* refLayout = new QGridLayout(frameRefPos);
    for (int i = 0; i < 4; ++i) {
        auto* opt = new QRadioButton(kRefPosTitles[i], frameRefPos);
        opt->setObjectName(QString("optRefPos_%1").arg(i));
        connect(opt, &QRadioButton::clicked, this, [this, i] { optRefPos_Click(i); });
        optRefPos_[static_cast<size_t>(i)] = opt;
    }
    txtMMSI_ = new QLineEdit(frameRefPos);
    txtMMSI_->setObjectName("txtMMSI");
    txtRefLat_ = new QLineEdit(frameRefPos);
    txtRefLat_->setObjectName("txtRefLat");
    txtRefLon_ = new QLineEdit(frameRefPos);
    txtRefLon_->setObjectName("txtRefLon");
    for (QLineEdit* box : {txtMMSI_, txtRefLat_, txtRefLon_}) {
        box->installEventFilter(this);
        box->setMinimumWidth(box == txtMMSI_ ? 80 : 105);
    }
    refLayout->addWidget(optRefPos_[0], 0, 0);
    refLayout->addWidget(optRefPos_[1], 1, 0);
    refLayout->addWidget(optRefPos_[2], 0, 1);
    refLayout->addWidget(optRefPos_[3], 1, 1);
    refLayout->addWidget(txtMMSI_, 1, 2);
    refLayout->addWidget(ui::PlainLabel("Lat :", frameRefPos), 0, 3);
    refLayout->addWidget(txtRefLat_, 0, 4);
    refLayout->addWidget(ui::PlainLabel("Lon :", frameRefPos), 1, 3);
    refLayout->addWidget(txtRefLon_, 1, 4);
    top->addWidget(frameRefPos);

    auto* sortBox = new QGroupBox("Sorting", central);
    auto* sortLayout = new QGridLayout(sortBox);
    optIncr_[0] = new QRadioButton("Incr", sortBox);
    optIncr_[1] = new QRadioButton("Decr", sortBox);
    for (int i = 0; i < 2; ++i) {
        optIncr_[static_cast<size_t>(i)]->setObjectName(QString("optIncr_%1").arg(i));
        connect(optIncr_[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] { optIncr_Click(i); });
    }
    optIncr_[0]->setChecked(true);
    lblSortedBy_ = ui::PlainLabel("Unsorted", sortBox);
    lblSortedBy_->setObjectName("lblSortedBy");
    sortLayout->addWidget(optIncr_[0], 0, 0);
    sortLayout->addWidget(optIncr_[1], 1, 0);
    sortLayout->addWidget(ui::PlainLabel("Sorted by :", sortBox), 0, 1);
    sortLayout->addWidget(lblSortedBy_, 1, 1);
    top->addWidget(sortBox);

    auto* countBox = new QGroupBox("Targets", central);
    auto* countLayout = new QVBoxLayout(countBox);
    lblNoOfTargets_ = ui::PlainLabel("0", countBox);
    lblNoOfTargets_->setObjectName("lblNoOfTargets");
    lblNoOfTargets_->setAlignment(Qt::AlignCenter);
    countLayout->addWidget(lblNoOfTargets_);
    top->addWidget(countBox);

    top->addStretch(1);
    cmdConnect_ = new QPushButton("CONNECT", central);
    cmdConnect_->setObjectName("cmdConnect");
    connect(cmdConnect_, &QPushButton::clicked, this, [this] { connection_->ConnectClicked(); });
    top->addWidget(cmdConnect_, 0, Qt::AlignVCenter);

    model_ = new targets::TargetListModel(receiver_->targets(), receiver_->state(), this);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &FrmMain::updateTargetCount);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &FrmMain::updateTargetCount);
    connect(model_, &QAbstractItemModel::modelReset, this, &FrmMain::updateTargetCount);
    fitColumnsTimer_ = new QTimer(this);
    fitColumnsTimer_->setSingleShot(true);
    fitColumnsTimer_->setInterval(2000);
    connect(fitColumnsTimer_, &QTimer::timeout, this, &FrmMain::prepareTargetList);
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(model_, changed, fitColumnsTimer_, [this] {
            if (!fitColumnsTimer_->isActive()) fitColumnsTimer_->start();
        });
    }
    connect(model_, &QAbstractItemModel::dataChanged, fitColumnsTimer_, [this] {
        if (!fitColumnsTimer_->isActive()) fitColumnsTimer_->start();
    });
    fgAISTargets_ = new QTableView(central);
    fgAISTargets_->setObjectName("fgAISTargets");
    fgAISTargets_->setModel(model_);
    fgAISTargets_->setSortingEnabled(false);
    fgAISTargets_->setSelectionBehavior(QAbstractItemView::SelectRows);
    fgAISTargets_->setSelectionMode(QAbstractItemView::SingleSelection);
    fgAISTargets_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fgAISTargets_->verticalHeader()->hide();
    fgAISTargets_->verticalHeader()->setDefaultSectionSize(fgAISTargets_->fontMetrics().height() + 4);
    fgAISTargets_->horizontalHeader()->setSectionsClickable(true);
    fgAISTargets_->horizontalHeader()->setHighlightSections(false);
    fgAISTargets_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(fgAISTargets_->horizontalHeader(), &QHeaderView::sectionClicked, this, &FrmMain::headerClicked);
    connect(fgAISTargets_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!fittingColumns_) resizedByHand_.insert(column);
    });
    // A left click (on release) on a row names the target shown there (its
    // detail window opens on it); so does Enter on the selected row.
    connect(fgAISTargets_, &QTableView::clicked, this, &FrmMain::rowChosen);
    connect(fgAISTargets_, &QTableView::activated, this, &FrmMain::rowChosen);

    // The find box hides the rows that do not match; the table and its order stay.
    txtFind_ = new QLineEdit(central);
    txtFind_->setObjectName("txtFind");
    txtFind_->setPlaceholderText("Find: name, call sign or MMSI  (Ctrl+F)");
    txtFind_->setClearButtonEnabled(true);
    connect(txtFind_, &QLineEdit::textChanged, this, [this] { applyTargetFilter(); });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        txtFind_->setFocus(Qt::ShortcutFocusReason);
        txtFind_->selectAll();
    });
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { applyTargetFilter(first, last); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { applyTargetFilter(); });
    connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { applyTargetFilter(); });
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& a, const QModelIndex& b) { applyTargetFilter(a.row(), b.row()); });
    layout->addWidget(txtFind_);
    layout->addWidget(fgAISTargets_, 1);
    buildColumnMenu();

    // Names from the ship database of earlier runs show in lower case until the vessel's own static report.
    auto* lblNameInfo = ui::PlainLabel(kNameInfo, central);
    lblNameInfo->setObjectName("lblNameInfo");
    // A note, not a control: it gives way so the window keeps its stored width.
    lblNameInfo->setMinimumWidth(1);
    layout->addWidget(lblNameInfo);

    prepareTargetList();

    // Tab goes through the controls as they are laid out, left to right and down.
    QWidget* order[] = {optRefPos_[0], optRefPos_[2], txtRefLat_, optRefPos_[1], optRefPos_[3], txtMMSI_, txtRefLon_,
                        optIncr_[0], optIncr_[1], cmdConnect_, txtFind_, fgAISTargets_};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void FrmMain::rowChosen(const QModelIndex& index) {
    if (!index.isValid()) return;
    const int row = index.row() + 1;
    if (row < 1 || row > receiver_->targets().TargetCount) return;
    emit targetClicked(receiver_->targets().DisplayOrder[static_cast<size_t>(row)]);
}

void FrmMain::applyTargetFilter(int first, int last) {
    const std::string typed = txtFind_->text().toStdString();
    const bool active = typed.find_first_not_of(' ') != std::string::npos;
    if (!active && !filterActive_) return;
    if (active != filterActive_) first = 0, last = -1;  // switched on or off: every row
    filterActive_ = active;
    const targets::TargetTable& table = receiver_->targets();
    const int rows = model_->rowCount();
    if (last < 0 || last >= rows) last = rows - 1;
    for (int r = std::max(0, first); r <= last; ++r) {
        const int entry = r + 1 <= table.TargetCount ? table.DisplayOrder[static_cast<size_t>(r + 1)] : 0;
        fgAISTargets_->setRowHidden(r, entry > 0 && table.InUse(entry) && !targets::MatchesFilter(table.entry(entry), typed));
    }
}

// Columns as wide as their title and their widest cell, so the default
// window shows every column; refitted shortly after the rows change (at
// most every two seconds). A column whose edge the operator dragged keeps
// the width given to it.
void FrmMain::prepareTargetList() {
    const QFontMetrics body = fgAISTargets_->fontMetrics();
    const QFontMetrics head = fgAISTargets_->horizontalHeader()->fontMetrics();
    const input::RunState& st = receiver_->state();
    const QScopedValueRollback fitting(fittingColumns_, true);
    const int rows = std::min(model_->rowCount(), 1000);
    for (int c = 0; c < targets::kListColumns; ++c) {
        int width = head.horizontalAdvance(QString::fromUtf8(targets::ListTitle(c, st.ReferenceMode)));
        for (int r = 0; r < rows; ++r) {
            width = std::max(width, body.horizontalAdvance(model_->index(r, c).data().toString()));
        }
        // Room for a typical value before the first one arrives.
        if (rows == 0) width = std::max(width, body.horizontalAdvance("0000000"));
        if (!resizedByHand_.contains(c)) fgAISTargets_->setColumnWidth(c, width + 8);
    }
}

// ---------------------------------------------------------------- start and stop

void FrmMain::startUp(const std::filesystem::path& dataDir, bool quietWithoutSetupFile) {
    dataDir_ = dataDir;
    ais::InitCodeTables();
    const std::filesystem::path setupPath = dataDir_ / kSetupFileName;
    std::error_code ec;
    firstRun_ = !quietWithoutSetupFile && !std::filesystem::exists(setupPath, ec);
    input::ReceiveSettings receive;
    if (quietWithoutSetupFile && !std::filesystem::exists(setupPath, ec)) {
        base::NullMessageSink quiet;
        input::LoadSetup(setupPath.string(), comm_, receive, receiver_->state(), quiet, &stationMenus_->storedSettings());
    } else {
        // Held like every start-up box.
        input::LoadSetup(setupPath.string(), comm_, receive, receiver_->state(), *this,
                         &stationMenus_->storedSettings());
    }
    receiver_->setInputTests(receive.Tests);
    receiver_->setBinaryStandard(receive.BinaryMsgStandard);
    geodesy::InitDatum(datum_);
    receiver_->shipDatabase().LoadShipData(dataDir_);
    receiver_->flagIndex().setDataDir(dataDir_);
    receiver_->setMessageLog(dataDir_);
    landmarks_ = plot::LoadDatabases(dataDir_, datum_);
    // Stopped while starting (behind a box): what was read is not the whole, so nothing is saved.
    started_ = !stopping_;
}

void FrmMain::load(bool openInput) {
    setWindowTitle(kCaption);
    if (settings_) placement_.place(*this, settings_);
    const bool placed = settings_ && settings_->contains("MainWidth");
    const input::RunState& st = receiver_->state();
    if (receiver_->inputTests().CheckChecksum) panels_[3]->setText("0");
    if (receiver_->inputTests().EmptyBuffer) panels_[5]->setText("0");
    chooseBinaryStandard(receiver_->binaryStandard() != 0 ? 1 : 0);
    loadWatchSettings();
    if (openInput) OpenInput();
    const input::StationSettings& stored = stationMenus_->settings();
    if (!stored.Inputs.empty() || stored.Outputs != input::OutputSettings{}) stationMenus_->applySettings(stored);
    prepareTargetList();
    if (settings_ && !placed && screen()) resize(openingSize(screen()->availableGeometry()));
    const int mode = st.ReferenceMode >= 0 && st.ReferenceMode <= 3 ? st.ReferenceMode : 0;
    optRefPos_[static_cast<size_t>(mode)]->setChecked(true);
    optRefPos_Click(mode);
    if (st.RefMMSI != 0) txtMMSI_->setText(QString::number(st.RefMMSI));
}

void FrmMain::useSessionInput(const std::string& host, int port) {
    if (!storedComm_) storedComm_ = comm_;
    comm_.UseTCP = true;
    comm_.IPAddress = host;
    comm_.IPPort = port;
}

input::CommChoice FrmMain::commChoice() const {
    const input::InputTests& tests = receiver_->inputTests();
    return {comm_, tests.CheckChecksum, tests.EmptyBuffer};
}

void FrmMain::applyCommChoice(const input::CommChoice& choice) {
    comm_ = choice.comm;
    receiver_->setInputTests({choice.CheckChecksum, choice.EmptyBuffer});
    receiver_->restartTestCounts(choice.CheckChecksum, choice.EmptyBuffer);
    statusPanelChanged(4, choice.CheckChecksum ? "0" : "n/a");
    statusPanelChanged(6, choice.EmptyBuffer ? "0" : "n/a");
    storedComm_.reset();
    OpenInput();
}

const input::StationSettings& FrmMain::stationSettings() const { return stationMenus_->settings(); }
void FrmMain::applyStationSettings(const input::StationSettings& s) { stationMenus_->applySettings(s); }
StationTransport& FrmMain::station() { return stationMenus_->station(); }
bool FrmMain::startRecording(const QString& path) { return stationMenus_->startRecording(path); }
void FrmMain::stopRecording() {
    if (stationMenus_) stationMenus_->stopRecording();
}
bool FrmMain::startPlayback(const QString& path, double speed) { return stationMenus_->startPlayback(path, speed); }
PlaybackBar* FrmMain::playbackBar() const { return stationMenus_->playbackBar(); }

void FrmMain::sentenceSeenOn(int input, std::string_view sentence) {
    if (frmPortMonitor_ && frmPortMonitor_->shows(input)) frmPortMonitor_->sentenceSeen(sentence);
}

void FrmMain::inputBufferChangedOn(int input, std::string_view text) {
    if (frmPortMonitor_ && frmPortMonitor_->shows(input)) frmPortMonitor_->inputBufferChanged(text);
}

void FrmMain::OpenInput() {
    receiver_->setInputKind(Receiver::kMainInput, comm_.UseTCP ? input::InputKind::Tcp : input::InputKind::Serial);
    connection_->OpenInput();
}

void FrmMain::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    // The input is abandoned without further messages.
    serial_->blockSignals(true);
    tcp_->blockSignals(true);
    serial_->close();
    tcp_->close();
    stopRecording();
    if (started_) {
        // A session address (demo) is not written over the stored one.
        input::CommSettings toSave = comm_;
        if (storedComm_) {
            toSave.UseTCP = storedComm_->UseTCP;
            toSave.IPAddress = storedComm_->IPAddress;
            toSave.IPPort = storedComm_->IPPort;
        }
        base::StandardErrorSink failures("orvanta");
        // Without further inputs or outputs the file stays as older versions write it.
        const input::StationSettings& stationSettings = stationMenus_->settings();
        const bool station = stationSettings != input::StationSettings{};
        const input::ReceiveSettings receive{receiver_->inputTests(), receiver_->binaryStandard()};
        input::SaveSetup((dataDir_ / kSetupFileName).string(), toSave, receive, receiver_->state(), failures,
                         station ? &stationSettings : nullptr);
        const auto vessels = receiver_->shipDataOfRun();
        targets::StoreShipData(dataDir_, vessels, failures);
        saveFailed_ = failures.count > 0;
    }
    placement_.store(*this, settings_);
    // Every other window of the program closes with the main window.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isWindow() && w->isVisible()) w->close();
    }
}

void FrmMain::showHeldMessages() {
    holding_ = false;
    const std::vector<HeldMessage> held = std::move(held_);
    held_.clear();
    for (const HeldMessage& m : held) operatorMessage(m.icon, m.title, m.text);
    if (firstRun_ && !stopping_) showCommSetup();
    firstRun_ = false;
}

void FrmMain::stop() {
    if (stopping_) return;
    stopping_ = true;
    boxSink_->stop();
    showNotices();
    noticeBar_->clear();
    // Boxes still held for after the start go where a stopped box goes.
    holding_ = false;
    for (const HeldMessage& m : std::exchange(held_, {})) messages_->operatorMessage(m.icon, m.title, m.text);
    // Dialogs waiting on the operator (setup, about, file and number prompts) give way.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isModal() || !w->isVisible()) continue;
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        } else {
            w->close();
        }
    }
    if (started_) shutdown();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    shutdown();
    QMainWindow::closeEvent(event);
}

// ---------------------------------------------------------------- status bar and connection

void FrmMain::updateClockPanel() { panels_[6]->setText(QTime::currentTime().toString("hh:mm")); }

QString FrmMain::panelText(int panel) const {
    if (panel < 1 || panel > 7) return {};
    return panels_[static_cast<size_t>(panel - 1)]->text();
}

void FrmMain::statusPanelChanged(int panel, const std::string& text) {
    if (panel < 1 || panel > 7) return;
    panels_[static_cast<size_t>(panel - 1)]->setText(fromUtf8(text));
}

void FrmMain::inputBufferChanged(std::string_view text) {
    if (frmPortMonitor_) frmPortMonitor_->inputBufferChanged(text);
}

void FrmMain::sentenceSeen(std::string_view sentence) {
    if (frmPortMonitor_) frmPortMonitor_->sentenceSeen(sentence);
}

void FrmMain::operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) {
    if (holding_) {
        held_.push_back({icon, title, text});
        return;
    }
    // Nothing between the bytes and the table waits for the operator.
    if (receiver_->handlingInput()) {
        notice(icon, title, text);
        return;
    }
    messages_->operatorMessage(icon, title, text);
}

void FrmMain::notice(base::MessageIcon icon, const std::string& title, const std::string& text) {
    if (messages_ != boxSink_.get()) {
        // Another sink (a test's recorder) takes it as it comes: it never waits.
        messages_->operatorMessage(icon, title, text);
        return;
    }
    notices_.push_back({icon, title, text});
    if (noticesPosted_) return;
    noticesPosted_ = true;
    QMetaObject::invokeMethod(this, &FrmMain::showNotices, Qt::QueuedConnection);
}

void FrmMain::showNotices() {
    noticesPosted_ = false;
    for (const HeldMessage& m : std::exchange(notices_, {})) {
        if (stopping_) {
            messages_->operatorMessage(m.icon, m.title, m.text);  // standard error by now
        } else {
            noticeBar_->add(m.icon, fromUtf8(m.title), fromUtf8(m.text));
        }
    }
}

void FrmMain::aisMessageToShow(const MessageToShow& m) {
    const ais::InboxAdded added = inbox_->add(m.notice);
    const auto kind = ais::PopupKindOf(m.messageType);
    const ais::PopupChoice choice = kind ? popups_[static_cast<size_t>(*kind)] : ais::PopupChoice{};
    if (choice.beep) {
        ++messageBeeps_;
        QApplication::beep();
    }
    if (choice.showWindow) {
        if (!frmAISMessage_) {
            frmAISMessage_ = new ais::FrmAISMessage(this);
            // Messages arrive while the operator types elsewhere: shown, never
            // given the keyboard, and never over the reference position.
            frmAISMessage_->setAttribute(Qt::WA_ShowWithoutActivating);
        }
        frmAISMessage_->showNotice(m.notice);
        showPopup(*frmAISMessage_);
    }
    if (choice.showWindow && m.notice.window != ais::ApplicationWindow::None && m.binary) {
        // An open window keeps what it shows; a closed one opens filled from
        // the message that asked for it (addressed or broadcast alike).
        QPointer<QWidget>& open = applicationWindows_[static_cast<size_t>(m.notice.window) - 1];
        if (!open) {
            auto* window = ais::OpenApplicationWindow(m.notice.window, *m.binary, this);
            window->setAttribute(Qt::WA_ShowWithoutActivating);
            const std::uint64_t id = added.id;
            connect(window, &ais::FrmBinaryApplication::accepted, this, [this, id] { inbox_->markRead(id); });
            open = window;
        }
        showPopup(*open);
    }
    if (m.logFailed && !logFailureShown_) {
        // Told once per run: a message box per message would bury a busy feed.
        logFailureShown_ = true;
        notice(base::MessageIcon::Exclamation, "AIS message log",
                        "Messages can not be written to the message log (" + m.logError +
                            "). They are still shown; further log errors are not reported.");
    }
}

void FrmMain::setConnectionText(const std::string& text) { panels_[1]->setText(fromUtf8(text)); }

void FrmMain::setConnectVisible(bool visible) { cmdConnect_->setVisible(visible); }

void FrmMain::inputRestarted(input::InputKind) {
    receiver_->inputRestarted(Receiver::kMainInput);
}

void FrmMain::setConnectionTestInterval(int ms) {
    timerConnectionTest_->setInterval(ms);
    if (ms > 0) {
        timerConnectionTest_->start();
    } else {
        timerConnectionTest_->stop();
    }
}

// ---------------------------------------------------------------- target list

void FrmMain::targetChangedByMessage(int entry) {
    model_->UpdateTargetRow(entry);
    targetChanged(entry);
}

void FrmMain::targetStatusChanged(int entry) {
    model_->UpdateStatusCell(entry);
    targetChanged(entry);
}

void FrmMain::targetsRemoved(const std::vector<targets::RemovedTarget>& removed) {
    model_->RemoveRows(removed);
    extraInfo_->targetsRemoved(removed);
    if (plotState_) {
        for (const targets::RemovedTarget& r : removed) {
            if (plotState_->selectedEntry == r.entry) plotState_->selectedEntry = 0;
        }
    }
}

void FrmMain::approachesChanged() {
    model_->UpdateApproachCells();
    extraInfo_->approachesChanged();
}

void FrmMain::collisionAlarm(int entry, bool logFailed, const std::string& logError) {
    model_->UpdateTargetRow(entry);
    alarmSilence_.episodeStarted();
    cmdAcknowledge_->show();
    soundAlarm();
    timerAlarm_->start();
    if (logFailed && !alarmLogFailureShown_) {
        alarmLogFailureShown_ = true;
        notice(base::MessageIcon::Exclamation, "Collision alarm",
                        "Alarms can not be written to the alarm log (" + logError +
                            "). They are still shown; further log errors are not reported.");
    }
}

void FrmMain::soundAlarm() {
    if (targets::UnacknowledgedAlarms(receiver_->targets()) == 0) {
        timerAlarm_->stop();
        cmdAcknowledge_->hide();
        return;
    }
    if (alarmSilence_.silenced(receiver_->clock().monotonicSeconds())) return;
    ++alarmSounds_;
    QApplication::beep();
}

void FrmMain::silenceAlarm() { alarmSilence_.silence(receiver_->clock().monotonicSeconds()); }

void FrmMain::acknowledgeAlarms() {
    targets::AcknowledgeAlarms(receiver_->targets());
    timerAlarm_->stop();
    cmdAcknowledge_->hide();
}

void FrmMain::targetChanged(int entry) {
    extraInfo_->targetChanged(entry);
    // Messages move the reference in the "From VDO" and "From VDM" modes.
    const input::RunState& st = receiver_->state();
    if ((st.ReferenceMode == targets::kRefFromVDO || st.ReferenceMode == targets::kRefFromVDM) &&
        (st.RefLat != shownRefLat_ || st.RefLon != shownRefLon_) && !(st.RefLat == 0 && st.RefLon == 0)) {
        showReferenceBoxes();
    }
}

void FrmMain::showExtraInfo(int entry) {
    const targets::TargetTable& table = receiver_->targets();
    if (!table.InUse(entry)) return;
    // The middle of the entry's row, measured from the top of the list.
    const int row = table.entry(entry).ListRow - 1;
    const int inView = fgAISTargets_->rowViewportPosition(row);
    const int y = inView < 0 ? 0 : fgAISTargets_->viewport()->y() + inView + fgAISTargets_->rowHeight(row) / 2;
    extraInfo_->open(entry, ui::twipsFromPixels(y, logicalDpiY()));
}

void FrmMain::timerAIS_Status_Timer() { receiver_->ageTargets(); }

void FrmMain::recordTrails() { plotState_->trails.record(receiver_->targets(), receiver_->clock().now()); }

// ---------------------------------------------------------------- exports

FrmMain::TargetFormat FrmMain::TargetFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "geojson" || suffix == "json" ? TargetFormat::GeoJson : TargetFormat::Csv;
}

bool FrmMain::writeExport(const QString& path, const std::string& content, const char* what) {
    const auto written = base::WriteFileAtomically(std::filesystem::path(path.toStdString()), content);
    if (!written) {
        operatorMessage(base::MessageIcon::Exclamation, "Orvanta",
                        std::string("The ") + what + " could not be written: " + written.error);
    }
    return written.ok;
}

bool FrmMain::exportTargets(const QString& path, TargetFormat format) {
    const input::RunState& st = receiver_->state();
    targets::RowContext ctx;
    ctx.referenceMode = st.ReferenceMode;
    ctx.refLat = st.RefLat;
    ctx.refLon = st.RefLon;
    const targets::TargetTable& table = receiver_->targets();
    return writeExport(path, format == TargetFormat::GeoJson ? targets::TargetsGeoJson(table, receiver_->clock().monotonicSeconds()) : targets::TargetListCsv(table, ctx),
                       "targets");
}

bool FrmMain::exportTracks(const QString& path) {
    return writeExport(path, plot::TracksGpx(receiver_->targets(), plotState_->trails), "tracks");
}

// The file dialogs add the suffix of the chosen type when the name has none.
void FrmMain::mnuFileExportTargets_Click() {
    const QString csv = "CSV (*.csv)";
    const QString geoJson = "GeoJSON (*.geojson)";
    QString chosen = csv;
    QString path = QFileDialog::getSaveFileName(this, "Export targets", QDir::home().filePath("targets.csv"),
                                                csv + ";;" + geoJson, &chosen);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += chosen == geoJson ? ".geojson" : ".csv";
    exportTargets(path, TargetFormatOf(path));
}

void FrmMain::mnuFileExportTracks_Click() {
    QString path = QFileDialog::getSaveFileName(this, "Export tracks", QDir::home().filePath("tracks.gpx"),
                                                "GPX (*.gpx)");
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += ".gpx";
    exportTracks(path);
}

void FrmMain::updateTargetCount() { lblNoOfTargets_->setText(QString::number(model_->rowCount())); }

void FrmMain::headerClicked(int column) {
    if (column < 0 || column >= targets::kListColumns || column == targets::kColStatus) return;
    input::RunState& st = receiver_->state();
    model_->flush();
    sortColumn_ = column;
    sortDescending_ = optIncr_[1]->isChecked();
    targets::SortTargets(receiver_->targets(), column, sortDescending_, st.ReferenceMode);
    lblSortedBy_->setText(column == targets::kColNo ? QString("Unsorted")
                                                    : QString::fromUtf8(targets::ListTitle(column, st.ReferenceMode)));
    model_->RefreshTargetList();
}

void FrmMain::optIncr_Click(int index) {
    // Takes effect with the next header click.
    optIncr_[static_cast<size_t>(index)]->setChecked(true);
}

void FrmMain::showReferenceBoxes() {
    const input::RunState& st = receiver_->state();
    shownRefLat_ = st.RefLat;
    shownRefLon_ = st.RefLon;
    txtRefLat_->setText(fromUtf8(geodesy::FormatPosition(st.RefLat, "LAT", "display", 1)));
    txtRefLon_->setText(fromUtf8(geodesy::FormatPosition(st.RefLon, "LON", "display", 1)));
}

void FrmMain::optRefPos_Click(int index) {
    input::RunState& st = receiver_->state();
    st.ReferenceMode = static_cast<int16_t>(index);
    optRefPos_[static_cast<size_t>(index)]->setChecked(true);
    txtRefLat_->setEnabled(index == targets::kRefManual);
    txtRefLon_->setEnabled(index == targets::kRefManual);
    txtMMSI_->setEnabled(index == targets::kRefFromVDM);
    switch (index) {
        case targets::kRefNone:
            txtRefLat_->setText("     n/a");
            txtRefLon_->setText("     n/a");
            break;
        case targets::kRefFromVDO:
            txtRefLat_->setText("Waiting for VDO");
            txtRefLon_->setText("Waiting for VDO");
            break;
        case targets::kRefManual:
            showReferenceBoxes();
            break;
        default:
            txtRefLat_->setText("Waiting for VDM");
            txtRefLon_->setText("Waiting for VDM");
            break;
    }
    if (index != targets::kRefManual) {
        shownRefLat_ = st.RefLat;
        shownRefLon_ = st.RefLon;
    }
    receiver_->referenceChanged();
    model_->referenceModeChanged();
    model_->ReferenceChanged = true;
    model_->RefreshTargetList();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && (box == txtMMSI_ || box == txtRefLat_ || box == txtRefLon_)) {
        if (event->type() == QEvent::FocusIn) {
            // Select after the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        } else if (event->type() == QEvent::FocusOut && !validating_) {
            // Leaving the window (or a message box taking over) is not leaving the box.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                if (box == txtMMSI_) {
                    txtMMSI_LostFocus();
                } else {
                    txtRefPos_LostFocus(box, box == txtRefLat_);
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::txtMMSI_LostFocus() {
    input::RunState& st = receiver_->state();
    const std::string text = txtMMSI_->text().toStdString();
    const double value = std::round(base::ReadNumberText(text));
    if (value >= 0 && value <= 999999999) {
        st.RefMMSI = static_cast<int32_t>(value);
        txtMMSI_->setText(QString::number(st.RefMMSI));
        txtRefLat_->setText("Waiting for VDM");
        txtRefLon_->setText("Waiting for VDM");
        receiver_->referenceChanged();
        model_->ReferenceChanged = true;
        model_->RefreshTargetList();
        return;
    }
    validating_ = true;
    operatorMessage(base::MessageIcon::Critical, "Orvanta", text + kMMSIError);
    validating_ = false;
    txtMMSI_->setFocus(Qt::OtherFocusReason);
}

void FrmMain::txtRefPos_LostFocus(QLineEdit* box, bool latitude) {
    input::RunState& st = receiver_->state();
    std::string text = box->text().toStdString();
    validating_ = true;
    const double value = geodesy::ParsePosition(text, latitude ? "LAT" : "LON", *this);
    validating_ = false;
    (latitude ? st.RefLat : st.RefLon) = value;
    box->setText(fromUtf8(geodesy::FormatPosition(value, latitude ? "LAT" : "LON", "display", 1)));
    if (latitude) {
        shownRefLat_ = value;
    } else {
        shownRefLon_ = value;
    }
    receiver_->referenceChanged();
    model_->ReferenceChanged = true;
    model_->RefreshTargetList();
}

// ---------------------------------------------------------------- menus

void FrmMain::chooseBinaryStandard(int index) {
    receiver_->setBinaryStandard(static_cast<int16_t>(index));
    for (QAction* a : mnuSetupBinaryMsgStd_) a->setChecked(false);
    mnuSetupBinaryMsgStd_[static_cast<size_t>(index)]->setChecked(true);
}

void FrmMain::placeClearOfReference(QWidget& window) {
    const QRect frame(frameRefPos_->mapToGlobal(QPoint(0, 0)), frameRefPos_->size());
    window.move(ui::PlaceClearOf(frame, window.frameGeometry().size()));
}

void FrmMain::setPopupSettings(const ais::PopupSettings& popups) {
    popups_ = popups;
    if (!settings_) return;
    for (int k = 0; k < ais::kPopupKinds; ++k) {
        const ais::PopupChoice& c = popups_[static_cast<size_t>(k)];
        settings_->writeNumber(QString(kPopupWindowKey).arg(k), c.showWindow ? 1 : 0);
        settings_->writeNumber(QString(kPopupBeepKey).arg(k), c.beep ? 1 : 0);
    }
}

void FrmMain::showPopupSettings() {
    FrmMessagePopups dialog(popups_, this);
    if (dialog.exec() == QDialog::Accepted) setPopupSettings(dialog.settings());
}

void FrmMain::showMessagesWindow() {
    if (!frmMessages_) {
        frmMessages_ = new FrmMessages(*inbox_, this);
        placeClearOfReference(*frmMessages_);
    }
    frmMessages_->show();
    frmMessages_->raise();
    frmMessages_->activateWindow();
}

void FrmMain::mnuViewGraphics_Click(bool checked) {
    if (!checked) {
        if (frmGraphics_) frmGraphics_->close();
        return;
    }
    if (frmGraphics_) return;
    frmGraphics_ = new plot::FrmGraphics(receiver_->targets(), receiver_->state(), *plotState_, settings_, *this, this);
    frmGraphics_->setLandmarks(&landmarks_);
    connect(frmGraphics_, &plot::FrmGraphics::closed, this, [this] { mnuViewGraphics_->setChecked(false); });
    // A double click on the plot opens a target's details as a click on its list row does.
    connect(frmGraphics_, &plot::FrmGraphics::targetDoubleClicked, this, &FrmMain::targetClicked);
    // A click on the plot selects the target's row too (without opening its details).
    frmGraphics_->setClock(&receiver_->clock());
    connect(frmGraphics_, &plot::FrmGraphics::targetSelected, this, [this](int entry) {
        const auto& order = receiver_->targets().DisplayOrder;
        for (int row = 1; row <= receiver_->targets().TargetCount; ++row) {
            if (order[static_cast<size_t>(row)] == entry) fgAISTargets_->selectRow(row - 1);
        }
    });
    frmGraphics_->open();
}

void FrmMain::showCommSetup() {
    input::FrmCommSetup dialog(commChoice(), *this, this);
    if (dialog.exec() == QDialog::Accepted) applyCommChoice(dialog.choice());
}

input::FrmPortMonitor* FrmMain::portMonitor() const { return frmPortMonitor_.data(); }

void FrmMain::showPortMonitor() {
    if (!frmPortMonitor_) {
        frmPortMonitor_ = new input::FrmPortMonitor([this](bool on) { receiver_->setMonitoring(on); }, comm_, *tcp_,
                                                    this, settings_);
        stationMenus_->updatePortMonitorInputs();
    }
    frmPortMonitor_->show();
    frmPortMonitor_->raise();
    frmPortMonitor_->activateWindow();
}

void FrmMain::loadWatchSettings() {
    if (!settings_) return;
    targets::LifecycleSettings l;
    l.lostAfterMoving = static_cast<int>(settings_->readNumber(kLostAfterMovingKey, l.lostAfterMoving));
    l.lostAfterFixed = static_cast<int>(settings_->readNumber(kLostAfterFixedKey, l.lostAfterFixed));
    l.removeAfter = static_cast<int>(settings_->readNumber(kRemoveAfterKey, l.removeAfter));
    l.capacity = static_cast<int>(settings_->readNumber(kCapacityKey, l.capacity));
    l.displaceAfter = static_cast<int>(settings_->readNumber(kDisplaceAfterKey, l.displaceAfter));
    receiver_->targets().setLifecycle(l);
    targets::AlarmSettings a;
    a.cpaLimit = settings_->readNumber(kCPALimitKey, a.cpaLimit);
    a.tcpaLimit = settings_->readNumber(kTCPALimitKey, a.tcpaLimit);
    a.rangeLimit = settings_->readNumber(kRangeLimitKey, a.rangeLimit);
    a.ignoreMoored = settings_->readNumber(kIgnoreMooredKey, a.ignoreMoored ? 1 : 0) != 0;
    a.ignoreClassB = settings_->readNumber(kIgnoreClassBKey, a.ignoreClassB ? 1 : 0) != 0;
    a.guardZone = std::max(0.0, settings_->readNumber(kGuardZoneKey, a.guardZone));
    receiver_->setAlarmSettings(a);
}

void FrmMain::showTargetSettings() {
    targets::FrmTargetSettings dialog(receiver_->targets().lifecycle(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    receiver_->targets().setLifecycle(dialog.settings());
    const targets::LifecycleSettings& l = receiver_->targets().lifecycle();
    if (settings_) {
        settings_->writeNumber(kLostAfterMovingKey, l.lostAfterMoving);
        settings_->writeNumber(kLostAfterFixedKey, l.lostAfterFixed);
        settings_->writeNumber(kRemoveAfterKey, l.removeAfter);
        settings_->writeNumber(kCapacityKey, l.capacity);
        settings_->writeNumber(kDisplaceAfterKey, l.displaceAfter);
    }
}

void FrmMain::showReceptionSummary() {
    if (!frmReception_) {
        frmReception_ = new targets::FrmReceptionSummary(receiver_->targets(), receiver_->state(),
                                                         receiver_->channelHistory(), receiver_->clock(), this);
    }
    frmReception_->show();
    frmReception_->raise();
}

void FrmMain::showAlarmSettings() {
    targets::FrmCollisionAlarm dialog(receiver_->alarmSettings(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const targets::AlarmSettings a = dialog.settings();
    receiver_->setAlarmSettings(a);
    if (!settings_) return;
    settings_->writeNumber(kCPALimitKey, a.cpaLimit);
    settings_->writeNumber(kTCPALimitKey, a.tcpaLimit);
    settings_->writeNumber(kRangeLimitKey, a.rangeLimit);
    settings_->writeNumber(kIgnoreMooredKey, a.ignoreMoored ? 1 : 0);
    settings_->writeNumber(kIgnoreClassBKey, a.ignoreClassB ? 1 : 0);
    settings_->writeNumber(kGuardZoneKey, a.guardZone);
}

void FrmMain::showAbout() {
    QMessageBox::about(this, kAboutTitle,
                       "Orvanta\nVersion : 1.00\n\nAIS receiver and display: decodes ITU-R M.1371 traffic "
                       "received as NMEA 0183 sentences from a serial port or a TCP server.");
}

}  // namespace app
