#include "app/frm_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>
#include <utility>

#include "ais/code_tables.h"
#include "windows/ais/message_inbox_model.h"
#include "ais/message_notice.h"
#include "station/data_folder.h"
#include "app/frm_messages_window.h"
#include "app/history_desk.h"
#include "app/history_views_window.h"
#include "app/message_popups_dialog.h"
#include "app/playback_bar_window.h"
#include "app/station_menus_window.h"
#include "station/transports/station_transport.h"
#include "base/atomic_file.h"
#include "base/number_format.h"
#include "geodesy/position_text.h"
#include "windows/station/comm_setup_dialog.h"
#include "windows/station/port_monitor_window.h"
#include "windows/plot/plot_window.h"
#include "station/data_folder.h"
#include "app/exports_window.h"
#include "app/incoming_messages_window.h"
#include "app/message_route_window.h"
#include "app/plot_keeper_window.h"
#include "app/time_bar_desk.h"
#include "app/reference_panel_window.h"
#include "station/transports/station_transport.h"
#include "app/target_list_panel_window.h"
#include "app/watch_keeper_window.h"
#include "app/web_view_keeper_window.h"
#include "windows/station/comm_setup_dialog.h"
#include "windows/station/port_monitor_window.h"
#include "plot/plot_state.h"
#include "windows/targets/extra_info_window.h"
#include "windows/targets/reception_window.h"
#include "windows/targets/target_list_model.h"
#include "ui/notice_bar.h"
#include "ui/plain_text.h"
#include "ui/settings_store.h"
#include "ui/work_trace.h"
#include "ui/status_bar_fit.h"
#include "ui/twips.h"
#include "ui/window_fit.h"

namespace app {

namespace {

constexpr const char* kBinaryStandards[2] = {"&IMO SN/Circ.236", "IA&LA Proposal (comb IMO236 and ITU 1371-1)"};

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

FrmMain::FrmMain(ui::SettingsStore* settings, QWidget* parent, const base::Clock* clock)
    : QMainWindow(parent),
      settings_(settings),
      placement_({{"MainLeft", 1000}, {"MainTop", 1000}, {"MainWidth", 13300}, {"MainHeight", 8000}}) {
    setObjectName("frmMain");
    setWindowTitle(kCaption);
    receiver_ = std::make_unique<Receiver>(clock ? *clock : systemClock_, *this);
    route_ = new MessageRoute(*this, [this] { return receiver_->handlingInput(); });
    // Notices show the date in the short form of the user's locale.
    receiver_->setNoticeTimeFormat([](base::DateTime t) {
        const base::CalendarTime c = t.toCalendar();
        return (QLocale().toString(QDate(c.year, c.month, c.day), QLocale::ShortFormat) + " " +
                QTime(c.hour, c.minute, c.second).toString("HH:mm:ss"))
            .toStdString();
    });
    input::SetSetupDefaults(comm_);

    const auto tell = [this](base::MessageIcon icon, const std::string& title, const std::string& text) {
        notice(icon, title, text);
    };
    incoming_ = new IncomingMessages(*this, settings_, tell);
    watch_ = new WatchKeeper(*receiver_, settings_, *this, tell);
    webView_ = new WebViewKeeper(*receiver_, settings_, *this, tell);
    stationMenus_ = new StationMenus(
        *this, *receiver_, *this, settings_,
        [this](const std::string& text) { notice(base::MessageIcon::Exclamation, "Orvanta", text); },
        [this] { return frmPortMonitor_.data(); });
    input::ConnectionView& view = *this;
    connection_ = &stationMenus_->station().attachMain(comm_, view, *this);

    plot_ = new PlotKeeper(*receiver_, landmarks_, settings_, *this, *this);
    // A double click on the plot opens a target's details as a click on its list row does.
    connect(plot_, &PlotKeeper::targetDoubleClicked, this, &FrmMain::targetClicked);
    exports_ = new Exports(*receiver_, plot_->state().trails, *this, this);
    buildStatusBar();
    buildMenus();
    buildCentralArea();
    timeBar_ = new TimeBarDesk(*receiver_, *targetList_, *plot_, *history_, this);
    // Notices stand above the scrolling content, outside it: a click on one
    // gives the keyboard to nothing there.
    auto* framed = new QWidget(this);
    auto* column = new QVBoxLayout(framed);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(&route_->noticeBar());
    column->addWidget(takeCentralWidget());
    setCentralWidget(framed);
    extraInfo_ = new targets::ExtraInfoWindows(receiver_->targets(), this, this);
    connect(this, &FrmMain::targetClicked, this, &FrmMain::showExtraInfo);
    historyViews_ = new HistoryViews(*history_, *plot_, *extraInfo_, *targetList_, *receiver_, *statusBar(), *this);
    // Narrow, the connection keeps its whole address and state: the history's
    // line gives way first, then the ignored count, the checksum count, the
    // caption, the clock.
    new ui::StatusBarFit(*statusBar(), *panels_[1],
                         {{historyViews_->statusLabel()}, {panels_[4], panels_[5]}, {panels_[2], panels_[3]}, {panels_[0]}, {panels_[6]}});
    // The plot always labels the target chosen last.
    connect(this, &FrmMain::targetClicked, this, [this](int entry) { plot_->state().selectedEntry = entry; });

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
    connect(clockTimer_, &QTimer::timeout, this, [this] {
        const ui::WorkScope traced(ui::WorkPart::Other);
        updateClockPanel();
    });
    connect(clockTimer_, &QTimer::timeout, plot_, [this] {
        const ui::WorkScope traced(ui::WorkPart::Trails);
        plot_->recordTrails();
    });
    connect(clockTimer_, &QTimer::timeout, this, [this] {
        const ui::WorkScope traced(ui::WorkPart::Approaches);
        receiver_->refineApproaches();
    });
    connect(clockTimer_, &QTimer::timeout, this, [this] {
        const ui::WorkScope traced(ui::WorkPart::Other);
        connection_->SecondTick();
        webView_->tick();
    });
    clockTimer_->start();
    buildWatchPanels();
    resize(900, 520);
}

FrmMain::~FrmMain() {
    // Everything that reads the receiver goes before it: the transports (whose
    // bytes it takes), the list and its model. Child widgets would otherwise
    // outlive the members.
    delete timeBar_;
    delete historyViews_;
    plot_->closeWindow();
    delete frmPortMonitor_;
    delete frmReception_;
    delete stationMenus_;
    delete extraInfo_;
    delete targetList_;
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

    watch_->addTo(*bar);
}

void FrmMain::buildMenus() {
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    exports_->addTo(*file);
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
    connect(messages, &QAction::triggered, incoming_, &IncomingMessages::showMessagesWindow);
    plot_->addTo(*view);
    QAction* monitor = view->addAction("Comport &Monitor");
    monitor->setObjectName("mnuViewPortMonitor");
    connect(monitor, &QAction::triggered, this, &FrmMain::showPortMonitor);

    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("mnuOptions");
    watch_->addSettingsTo(*options);
    QAction* reception = options->addAction("&Reception...");
    reception->setObjectName("mnuOptionsReception");
    connect(reception, &QAction::triggered, this, &FrmMain::showReceptionSummary);
    QAction* popups = options->addAction("Message &pop-ups...");
    popups->setObjectName("mnuOptionsMessagePopups");
    connect(popups, &QAction::triggered, incoming_, &IncomingMessages::showPopupSettings);
    history_ = std::make_unique<HistoryDesk>(*receiver_, settings_, *this, *this);
    history_->addTo(*options);
    watch_->addAlarmActionsTo(*options);
    webView_->addTo(*options);
    webView_->setHistoryLocation([this] {
        const HistoryKeeper* keeper = history_ ? history_->keeper() : nullptr;
        return keeper && keeper->running() ? keeper->report().location : std::string();
    });

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
    model_ = new targets::TargetListModel(receiver_->targets(), receiver_->reference(), this);
    reference_ = new ReferencePanel(*receiver_, *model_, *this, central);
    top->addWidget(reference_);
    targetList_ = new TargetListPanel(*receiver_, *model_, settings_, *central);
    connect(targetList_, &TargetListPanel::entryChosen, this, &FrmMain::targetClicked);
    // A click on the plot selects the target's row too (without opening its details).
    connect(plot_, &PlotKeeper::targetSelected, targetList_, &TargetListPanel::markRow);
    top->addWidget(targetList_->sortBox());
    top->addWidget(targetList_->countBox());

    top->addStretch(1);
    cmdConnect_ = new QPushButton("CONNECT", central);
    cmdConnect_->setObjectName("cmdConnect");
    connect(cmdConnect_, &QPushButton::clicked, this, [this] { connection_->ConnectClicked(); });
    top->addWidget(cmdConnect_, 0, Qt::AlignVCenter);

    targetList_->addTo(*layout);
    targetList_->fitColumns();
    incoming_->keepClearOf(targetList_->view(), *reference_);

    // Tab goes through the controls as they are laid out, left to right and down.
    const auto list = targetList_->tabOrder();
    std::vector<QWidget*> order;
    for (QWidget* w : reference_->tabOrder()) order.push_back(w);
    order.insert(order.end(), {list[0], list[1], cmdConnect_, list[2], list[3], list[4]});
    for (size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
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
        input::LoadSetup(setupPath.string(), comm_, receive, receiver_->reference(), quiet, &stationMenus_->storedSettings());
    } else {
        // Held like every start-up box.
        input::LoadSetup(setupPath.string(), comm_, receive, receiver_->reference(), *this,
                         &stationMenus_->storedSettings());
    }
    receiver_->setInputTests(receive.Tests);
    receiver_->setBinaryStandard(receive.BinaryMsgStandard);
    geodesy::InitDatum(datum_);
    receiver_->shipDatabase().LoadShipData(dataDir_);
    receiver_->keepShipData(dataDir_);
    receiver_->flagIndex().setDataDir(dataDir_);
    receiver_->setMessageLog(dataDir_);
    history_->start(dataDir_);
    landmarks_ = plot::LoadDatabases(dataDir_, datum_);
    // Stopped while starting (behind a box): what was read is not the whole, so nothing is saved.
    started_ = !stopping_;
}

void FrmMain::load(bool openInput) {
    setWindowTitle(kCaption);
    if (settings_) placement_.place(*this, settings_);
    const bool placed = settings_ && settings_->contains("MainWidth");
    if (receiver_->inputTests().CheckChecksum) panels_[3]->setText("0");
    if (receiver_->inputTests().EmptyBuffer) panels_[5]->setText("0");
    chooseBinaryStandard(receiver_->binaryStandard() != 0 ? 1 : 0);
    watch_->loadSettings();
    webView_->start();
    if (openInput) OpenInput();
    const input::StationSettings& stored = stationMenus_->settings();
    if (!stored.Inputs.empty() || stored.Outputs != input::OutputSettings{}) stationMenus_->applySettings(stored);
    targetList_->fitColumns();
    if (settings_ && !placed && screen()) resize(openingSize(screen()->availableGeometry()));
    reference_->load();
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
    stationMenus_->station().closeMain();
    webView_->stop();
    stopRecording();
    if (history_) history_->stop();  // what is queued is written
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
        input::SaveSetup((dataDir_ / kSetupFileName).string(), toSave, receive, receiver_->reference(), failures,
                         station ? &stationSettings : nullptr);
        const auto vessels = receiver_->shipDataToStore();
        targets::StoreShipData(dataDir_, vessels, failures);
        saveFailed_ = failures.count > 0;
    }
    placement_.store(*this, settings_);
    ui::CloseOtherWindows(*this);
}

void FrmMain::showHeldMessages() {
    route_->release();
    if (firstRun_ && !stopping_) showCommSetup();
    firstRun_ = false;
}

void FrmMain::stop() {
    if (stopping_) return;
    stopping_ = true;
    route_->stop();
    // Dialogs waiting on the operator (setup, about, file and number prompts) give way.
    ui::DismissModalWindows();
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

void FrmMain::holdMessages() { route_->hold(); }

void FrmMain::setMessageSink(base::MessageSink* sink) { route_->setSink(sink); }

void FrmMain::operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) {
    route_->message(icon, title, text);
}

void FrmMain::notice(base::MessageIcon icon, const std::string& title, const std::string& text) {
    route_->notice(icon, title, text);
}

void FrmMain::aisMessageToShow(const MessageToShow& m) { incoming_->show(m); }

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
    webView_->targetChanged(entry);
}

void FrmMain::targetStatusChanged(int entry) {
    model_->UpdateStatusCell(entry);
    targetChanged(entry);
}

void FrmMain::targetsRemoved(const std::vector<targets::RemovedTarget>& removed) {
    model_->RemoveRows(removed);
    extraInfo_->targetsRemoved(removed);
    plot_->targetsRemoved(removed);
}

void FrmMain::approachesChanged() {
    model_->UpdateApproachCells();
    extraInfo_->approachesChanged();
}

void FrmMain::collisionAlarm(int entry, bool logFailed, const std::string& logError) {
    model_->UpdateTargetRow(entry);
    watch_->alarm(logFailed, logError);
}

void FrmMain::targetChanged(int entry) { extraInfo_->targetChanged(entry); }

void FrmMain::referenceMoved() { reference_->followReference(); }

void FrmMain::showExtraInfo(int entry) {
    const targets::TargetTable& table = receiver_->targets();
    if (!table.InUse(entry)) return;
    // At the height of the entry's row.
    extraInfo_->open(entry, ui::twipsFromPixels(targetList_->rowMiddle(entry), logicalDpiY()));
}

void FrmMain::timerAIS_Status_Timer() { receiver_->ageTargets(); }

// ---------------------------------------------------------------- menus

void FrmMain::chooseBinaryStandard(int index) {
    receiver_->setBinaryStandard(static_cast<int16_t>(index));
    for (QAction* a : mnuSetupBinaryMsgStd_) a->setChecked(false);
    mnuSetupBinaryMsgStd_[static_cast<size_t>(index)]->setChecked(true);
}

void FrmMain::showCommSetup() {
    input::FrmCommSetup dialog(commChoice(), *this, this);
    if (dialog.exec() == QDialog::Accepted) applyCommChoice(dialog.choice());
}

input::FrmPortMonitor* FrmMain::portMonitor() const { return frmPortMonitor_.data(); }

input::Transport* FrmMain::mainTransport() { return stationMenus_->station().mainTransport(); }

void FrmMain::showPortMonitor() {
    if (!frmPortMonitor_) {
        frmPortMonitor_ = new input::FrmPortMonitor([this](bool on) { receiver_->setMonitoring(on); }, comm_,
            [this] { return stationMenus_->station().mainTransport(input::InputKind::Tcp); }, this, settings_);
        stationMenus_->updatePortMonitorInputs();
    }
    frmPortMonitor_->show();
    frmPortMonitor_->raise();
    frmPortMonitor_->activateWindow();
}

void FrmMain::showReceptionSummary() {
    if (!frmReception_) {
        frmReception_ = new targets::FrmReceptionSummary(receiver_->targets(), receiver_->reference(),
                                                         receiver_->channelHistory(), receiver_->clock(), this);
    }
    frmReception_->show();
    frmReception_->raise();
}

void FrmMain::showAbout() {
    QMessageBox::about(this, kAboutTitle,
                       "Orvanta\nVersion : 1.00\n\nAIS receiver and display: decodes ITU-R M.1371 traffic "
                       "received as NMEA 0183 sentences from a serial port or a TCP server.");
}

}  // namespace app
