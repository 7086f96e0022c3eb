// The dialogs and side windows: Options > Targets, Setup > Inputs and Comm
// (the input reopened on a loopback server or a pseudo-terminal), the extended
// information window, the message windows, Options > History, the time bar
// under the plot, and Track... with the track layer on the plot.
#include <sys/stat.h>

#include <QDateTimeEdit>
#include <QFileDialog>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <atomic>

#include "windows/history/history_reader_window.h"
#include "windows/history/track_dialog.h"
#include "windows/plot/plot_window.h"
#include "windows/plot/track_layer_window.h"

#include "app/history_options_dialog.h"
#include "app/station_menus_window.h"
#include "app/time_bar_desk.h"
#include "app/time_bar_window.h"
#include "geodesy/position_text.h"
#include "history/history_store.h"
#include "station/comm_setup.h"
#include "station/transports/serial_transport.h"
#include "station/transports/station_transport.h"
#include "windows/ais/ais_message_window.h"
#include "windows/ais/message_inbox_model.h"
#include "windows/station/comm_setup_dialog.h"
#include "windows/station/inputs_dialog.h"
#include "windows/targets/extra_info_window.h"
#include "windows/targets/lifecycle_dialog.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

// A main window with settings the dialog starts from; no serial device behind
// any port number, so nothing touches the machine's ports.
struct Fixture {
    MainWindow m;
    Fixture() {
        resolve([](int) { return QString(); });
        input::CommSettings& c = m.w.commSettings();
        c.ComPort = 2, c.BaudRate = 9600, c.DataBits = 7, c.StopBits = 2, c.Parity = "odd";
        c.UseTCP = true, c.IPAddress = "10.1.2.3", c.IPPort = 5000;
        c.IPListCount = 2, c.IPList[0] = "10.1.2.3", c.IPList[1] = "192.168.1.20";
        m.w.receiver().setInputTests({.CheckChecksum = true, .EmptyBuffer = false});
    }
    // The serial transports the station list makes for the main input find
    // their port numbers' devices this way.
    void resolve(input::SerialTransport::DeviceResolver resolver) {
        m.w.stationMenus().station().setPrepare([resolver](input::Transport& t) {
            if (auto* serial = dynamic_cast<input::SerialTransport*>(&t)) serial->setDeviceResolver(resolver);
        });
    }
    static std::vector<std::string> ports() { return {"ttyS0", "ttyUSB0"}; }  // COM1 ttyUSB0, COM2 ttyS0
};

ais::BroadcastSafetyMessage safetyBroadcast(int32_t mmsi, const std::string& text) {
    ais::BroadcastSafetyMessage m;
    m.MessageID = 14, m.MMSI = mmsi, m.Text = text;
    return m;
}

ais::BinaryMessage metHydroBroadcast(int32_t mmsi, float airTemperature) {
    ais::BinaryMessage m;
    m.MessageID = 8, m.MMSI = mmsi, m.DAC = 1, m.FI = 11;
    m.MetHydro.AirTemperature = airTemperature;
    return m;
}

QString messageText(QWidget* w) { return Child<QPlainTextEdit>(*w, "txtMessage")->toPlainText(); }

// Options > History, opened from the menu (which returns: nothing waits).
app::FrmHistoryOptions* HistoryOptions(app::FrmMain& w) {
    Child<QAction>(w, "mnuOptionsHistory")->trigger();
    return Child<app::FrmHistoryOptions>(w, "frmHistoryOptions");
}

// A store with two stations heard around 2026-12-07 14:00:00 UTC, one of
// them again five minutes later farther north.
constexpr history::TimeMs kPast = 1'796'652'000'000;

void FillStore(const std::filesystem::path& file) {
    history::Batch b;
    for (auto [mmsi, t, lat] : {std::tuple{244000001, kPast - 60'000, 57.0}, {244000002, kPast - 20'000, 57.25},
                                {244000001, kPast + 300'000, 58.0}}) {
        b.positions.push_back(Position(mmsi, t, lat, 11.5));
        b.positions.back().sog = 10, b.positions.back().cog = 0, b.positions.back().navStatus = 0;
    }
    b.statics = {Static(244000001, kPast - 120'000, "PAST ONE", "")};
    StoreHistory(file, b);
}

// Each shown row as "MMSI latitude".
QStringList ShownRows(const QTableView& list) {
    QStringList rows;
    const QAbstractItemModel& m = *list.model();
    for (int r = 0; r < m.rowCount(); ++r) rows << m.index(r, 1).data().toString() + " " + m.index(r, 3).data().toString();
    return rows;
}

QString Lat(double lat) { return QString::fromStdString(geodesy::FormatPosition(lat, "LAT", "display", 1)); }

// The colour of a track is somewhere in the picture.
bool PictureHasColour(QWidget& picture, const QColor& colour) {
    const QImage image = picture.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) return true;
        }
    }
    return false;
}

}  // namespace

class TestSideWindows : public QObject {
    Q_OBJECT
private slots:
    void everySettingGoesThroughTheDialog() {
        const targets::LifecycleSettings given{420, 1200, 2400, 1500, 90};
        targets::FrmTargetSettings d(given);
        auto* displace = Child<QSpinBox>(d, "txtDisplaceAfter");
        QCOMPARE(displace->value(), 90);
        QCOMPARE(displace->suffix(), QString(" s"));
        QVERIFY(d.settings() == given);

        displace->setValue(300);
        d.findChild<QSpinBox*>("txtCapacity")->setValue(800);
        QVERIFY(d.settings() == targets::LifecycleSettings({420, 1200, 2400, 800, 300}));

        // Out of range comes back inside it.
        targets::FrmTargetSettings low({360, 1080, 1800, 1000, 1});
        QCOMPARE(low.settings().displaceAfter, targets::kMinDisplaceAfter);
    }

    void returnsTheEditedChoice() {
        input::StationSettings current;
        current.Inputs = {{input::InputKind::Serial, true, "/dev/ttyUSB1", 0, 4800}};
        input::FrmInputs dialog(current);

        auto* table = Child<QTableWidget>(dialog, "tblInputs");
        Child<QPushButton>(dialog, "cmdAdd")->click();
        QCOMPARE(table->rowCount(), 2);
        Child<QComboBox>(dialog, "cmbType_1")->setCurrentIndex(1);
        table->item(1, input::FrmInputs::ColAddress)->setText("10.1.1.9");
        table->item(1, input::FrmInputs::ColPort)->setText("70000");
        table->item(0, input::FrmInputs::ColEnabled)->setCheckState(Qt::Unchecked);
        Child<QCheckBox>(dialog, "chkForwardTcp")->setChecked(true);
        Child<QLineEdit>(dialog, "txtForwardTcpPort")->setText("2947");
        // This computer only at first; every interface only when chosen.
        auto* listen = Child<QComboBox>(dialog, "cmbForwardTcpListen");
        QCOMPARE(listen->currentData().toString(), QString("127.0.0.1"));
        listen->setCurrentIndex(listen->findData(QString("0.0.0.0")));
        Child<QCheckBox>(dialog, "chkStripTags")->setChecked(true);

        dialog.accept();  // the port is out of range: the dialog stays
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Child<QLabel>(dialog, "lblProblem")->text(), QString("Input 2: port out of range"));
        table->item(1, input::FrmInputs::ColPort)->setText("2000");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        input::StationSettings expected = current;
        expected.Inputs[0].Enabled = false;
        expected.Inputs.push_back({input::InputKind::Tcp, true, "10.1.1.9", 2000, 38400});
        expected.Outputs = {.TcpEnabled = true, .TcpPort = 2947, .StripTags = true, .TcpListenAddress = "0.0.0.0"};
        QCOMPARE(dialog.settings(), expected);
    }

    void okFromTheMenuAppliesTcpAndReopensTheInput() {
        LocalServer server;
        Fixture f;
        input::CommSettings& c = f.m.w.commSettings();
        c.IPListCount = 10;
        for (int i = 2; i < 10; ++i) c.IPList[size_t(i)] = "10.0.0." + std::to_string(i);
        QTimer::singleShot(0, [&] {  // Setup > Comm as the operator chooses it
            QWidget& d = *QApplication::activeModalWidget();
            Child<QComboBox>(d, "cmbIP")->setEditText("127.0.0.1");
            Child<QLineEdit>(d, "txtPort")->setText(QString::number(server.port()) + "abc");
            Child<QCheckBox>(d, "chkChecksum")->setChecked(false);
            Child<QPushButton>(d, "cmdOK")->click();
        });
        Child<QAction>(f.m.w, "mnuSetupComm")->trigger();
        QVERIFY2(f.m.messages.entries.empty(), qPrintable(f.m.lastMessage()));
        const std::string local = "127.0.0.1";
        QCOMPARE(std::tuple(c.IPAddress, c.IPPort, c.IPList[9]), std::tuple(local, server.port(), local));
        QCOMPARE(f.m.w.panelText(4), QString("n/a"));  // the switched-off test keeps its count
        QVERIFY(server.accept());
    }

    // A pty chosen by number (COM2) or by path in the Device entry: its
    // sentences reach a row.
    void okAppliesSerialAndThePortFeedsTheList() {
        for (const bool byPath : {false, true}) {
            PseudoTerminal pty;
            if (!pty.ok) QSKIP("no pseudo-terminals here");
            Fixture f;
            if (!byPath) f.resolve([&](int port) { return port == 2 ? QString::fromLocal8Bit(pty.name) : QString(); });
            auto d = std::make_unique<input::FrmCommSetup>(f.m.w.commChoice(), f.m.messages, &f.m.w, &Fixture::ports);
            Child<QRadioButton>(*d, "optComm_0")->click();
            Child<QComboBox>(*d, "cmbComPort")->setCurrentIndex(1);
            QVERIFY(Child<QLabel>(*d, "lblComDevice")->text().contains("ttyS0"));
            Child<QLineEdit>(*d, "txtDevice")->setText(byPath ? QString::fromLocal8Bit(pty.name) : QString());
            Child<QComboBox>(*d, "cmbBaudRate")->setCurrentText("38400");
            Child<QComboBox>(*d, "cmbParity")->setCurrentText("even");
            Child<QPushButton>(*d, "cmdOK")->click();
            QCOMPARE(d->result(), int(QDialog::Accepted));
            f.m.w.applyCommChoice(d->choice());
            const input::CommSettings& c = f.m.w.commSettings();
            QVERIFY(!c.UseTCP && c.ComPort == 2 && c.BaudRate == 38400 && c.Parity == "even");
            QCOMPARE(c.Device, byPath ? std::string(pty.name) : std::string());
            input::FrmCommSetup::SystemPorts();  // listing the system's ports leaves the open one alone
            QVERIFY2(f.m.w.mainTransport() && f.m.w.mainTransport()->status() == input::TransportStatus::Open,
                     qPrintable(f.m.lastMessage()));
            QVERIFY(pty.write(Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)))));
            QTRY_COMPARE_WITH_TIMEOUT(f.m.w.receiver().targets().TargetCount(), 1, 5000);
            f.m.w.mainTransport()->close();
        }
    }

    // A click on a row opens its filled window once. Then a binary application
    // message opens its own window once (the stations are others, the
    // extended information window no pop-up).
    void aClickOnARowAndABinaryApplicationOpenTheirWindowsOnce() {
        LoadedWindow m;
        m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
        m.feed(ClassAReport(257000002, 59.5, 5.25, 12.34f));
        m.w.listModel().flush();
        m.w.show();
        auto* grid = Child<QTableView>(m.w, "fgAISTargets");
        const QPoint row2 = grid->visualRect(grid->model()->index(1, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2);
        targets::FrmAISExtraInfo* w = m.w.extraInfoWindows().window(2);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->valueText("framePositionReport_SOG"), QString("12.3"));

        // The same row again: the same window, no second one.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2);
        const QWidgetList all = QApplication::topLevelWidgets();
        const auto extra = [](QWidget* t) { return t->objectName() == "frmAISExtraInfo" && t->isVisible(); };
        QCOMPARE(std::count_if(all.begin(), all.end(), extra), 1);

        m.feed(metHydroBroadcast(2570001, 12.34f));
        auto* met = m.w.findChild<QWidget*>("frmMeteorological");
        QVERIFY(met && met->isVisible());
        QCOMPARE(Child<QLineEdit>(*met, "txtData_7")->text(), QString("12.3"));
        // While it is open, a later message leaves it as it is.
        m.feed(metHydroBroadcast(2570002, -5.0f));
        QCOMPARE(m.w.findChildren<QWidget*>("frmMeteorological").size(), 1);
        QCOMPARE(Child<QLineEdit>(*met, "txtData_7")->text(), QString("12.3"));
        // ACCEPT closes it and marks its own message (the older one) read.
        Child<QPushButton>(*met, "cmdAccept")->click();
        QTRY_VERIFY(!m.w.findChild<QWidget*>("frmMeteorological"));
        const ais::MessageInbox& inbox = m.w.incoming().inbox().inbox();
        QVERIFY(inbox.at(1).read && !inbox.at(0).read);
    }

    // The flag shows; a named pipe in its place (which would block a reader
    // for good) is passed over at once. Other non-files: base's text file test.
    void flagIconsOnlyFromRegularFiles() {
        for (const bool pipe : {false, true}) {
            TempDir dir;
            std::filesystem::create_directories(dir / "Flags");
            dir.write("Flags/FlagIndex.ini", "257,NO,\"Norway\"\r\n");
            const std::filesystem::path icon = dir / "Flags" / "DNO.ico";
            QImage flag(16, 16, QImage::Format_ARGB32);
            flag.fill(Qt::red);
            QVERIFY(pipe ? ::mkfifo(icon.c_str(), 0600) == 0 : flag.save(QString::fromStdString(icon.string()), "ICO"));
            MainWindow m;
            m.w.startUp(dir.path(), true);
            m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
            m.w.showExtraInfo(1);
            QCOMPARE(Child<QLabel>(*m.w.extraInfoWindows().window(1), "picFlag")->pixmap().isNull(), pipe);
        }
    }

    void messagesAreShownWithoutFocusListedAndLogged() {
        TempDir dir;
        LoadedWindow m(dir.path());
        m.w.show();
        QApplication::setActiveWindow(&m.w);
        QVERIFY(QTest::qWaitForWindowActive(&m.w));
        m.feed(StaticData(257012300, "BLUE HERON", "LABC"));
        m.feed(safetyBroadcast(257012300, "MAN OVERBOARD"));
        auto* window = m.w.findChild<ais::FrmAISMessage*>("frmAISMessage");
        QVERIFY(window && window->isVisible());
        QCOMPARE(messageText(window), QString("MAN OVERBOARD"));
        QCOMPARE(QApplication::activeWindow(), &m.w);
        auto* frame = Child<QWidget>(m.w, "frameRefPos");
        QVERIFY(!window->frameGeometry().intersects(QRect(frame->mapToGlobal(QPoint(0, 0)), frame->size())));

        // A second message overwrites the one window; both are logged and listed, newest first.
        m.feed(safetyBroadcast(211000009, "ICE"));
        QCOMPARE(m.w.findChildren<ais::FrmAISMessage*>().size(), 1);
        QCOMPARE(messageText(window), QString("ICE"));
        const std::string log = dir.read("AIS_Messages/AIS_Messages.txt");
        QVERIFY2(log.find("MAN OVERBOARD") < log.find(": ICE") && log.find(": ICE") != std::string::npos, log.c_str());
        Child<QAction>(m.w, "mnuViewMessages")->trigger();
        auto* list = Child<QTableView>(m.w, "lstMessages");
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->model()->index(1, ais::MessageInboxModel::kColFrom).data().toString(),
                 QString("257012300 - BLUE HERON"));
    }

    // The URL made from the server fields: names that hold URL characters
    // must not change which server, user or database is meant.
    void historyServerUrl() {
        const struct {
            QString host;
            int port;
            QString database, user, url;
        } rows[] = {
            {"db.example", 5432, "orvanta", "ais", "postgresql://ais@db.example:5432/orvanta"},
            {"db.example", 6000, "orvanta", "", "postgresql://db.example:6000/orvanta"},
            {"::1", 5432, "h", "", "postgresql://[::1]:5432/h"},
            {"db", 5432, "a/b?c", "me@x:y", "postgresql://me%40x%3Ay@db:5432/a%2Fb%3Fc"},
        };
        for (const auto& r : rows) {
            app::HistorySettings s;
            s.host = r.host, s.port = r.port, s.database = r.database, s.user = r.user;
            QCOMPARE(QString::fromStdString(app::ServerUrl(s)), r.url);
        }
    }

    // "List only, no beep" for text messages, chosen in the dialog, holds in
    // the next run. Options > History opens without waiting for the operator;
    // what OK takes is there in the next run, and no setting but the ones
    // changed moves. (Neither dialog's settings touch the other's.)
    void popupChoiceAndHistoryOptionsHoldAcrossARestart() {
        StoredSettings settings;
        TempDir dir;
        {
            MainWindow m(&settings.store);
            m.w.startUp(dir.path(), true);
            QTimer::singleShot(0, [] {
                QWidget* d = QApplication::activeModalWidget();
                Child<QCheckBox>(*d, "chkShow_0")->setChecked(false);
                Child<QCheckBox>(*d, "chkBeep_0")->setChecked(false);
                Child<QPushButton>(*d, "cmdOK")->click();
            });
            Child<QAction>(m.w, "mnuOptionsMessagePopups")->trigger();
            auto* d = HistoryOptions(m.w);
            QVERIFY(d->isVisible());
            QVERIFY(Child<QLabel>(*d, "lblReport")->text().contains("History.sqlite"));
            Child<QSpinBox>(*d, "spnDays")->setValue(7);
            Child<QDoubleSpinBox>(*d, "spnSeconds")->setValue(30);
            Child<QCheckBox>(*d, "chkStatus")->setChecked(false);
            Child<QLineEdit>(*d, "txtUser")->setText("ais");
            Child<QPushButton>(*d, "cmdOK")->click();
        }
        MainWindow m(&settings.store);
        m.w.startUp(dir.path(), true);
        auto* d = HistoryOptions(m.w);
        app::HistorySettings expected;
        expected.retention.days = 7, expected.thinning.minSeconds = 30, expected.thinning.statusChange = false;
        expected.user = "ais";
        QVERIFY(d->settings() == expected);
        QCOMPARE(Child<QLabel>(*d, "lblUrl")->text(), QString("postgresql://ais@/orvanta"));
        Child<QPushButton>(*d, "cmdCancel")->click();

        m.feed(safetyBroadcast(211000009, "ICE"));
        QVERIFY(!m.w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
        QCOMPARE(m.w.incoming().beeps(), 0);
        m.feed(metHydroBroadcast(2570001, 1.0f));  // other kinds as they were
        QVERIFY(m.w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
        QCOMPARE(m.w.incoming().beeps(), 1);
        QCOMPARE(m.w.incoming().inbox().rowCount(), 2);
    }

    // OK restarts the writer on the chosen store: a server that refuses
    // keeps the rows in the spool file, and the dialog counts them; history
    // off stops the writer.
    void historyOptionsRestartTheWriter() {
        TempDir dir;
        MainWindow m;
        m.w.startUp(dir.path(), true);
        const auto choose = [&m](const std::function<void(QWidget&)>& edit) {
            auto* d = HistoryOptions(m.w);
            edit(*d);
            Child<QPushButton>(*d, "cmdOK")->click();
            QTRY_VERIFY(!m.w.findChild<app::FrmHistoryOptions*>("frmHistoryOptions"));
        };
        choose([](QWidget& d) {
            Child<QRadioButton>(d, "optServer")->setChecked(true);
            Child<QLineEdit>(d, "txtHost")->setText("127.0.0.1");
            Child<QSpinBox>(d, "spnPort")->setValue(1);  // nobody listens: refused at once
        });
        m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
        auto* report = Child<QLabel>(*HistoryOptions(m.w), "lblReport");
        QTRY_VERIFY_WITH_TIMEOUT(report->text().contains("waiting in the spool: 1 batches"), 5000);
        QVERIFY(report->text().contains("Server: away"));
        QVERIFY(std::filesystem::exists(dir / "HistorySpool.sqlite"));
        Child<QPushButton>(*report->window(), "cmdCancel")->click();
        QTRY_VERIFY(!m.w.findChild<app::FrmHistoryOptions*>("frmHistoryOptions"));

        choose([](QWidget& d) { Child<QCheckBox>(d, "chkHistory")->setChecked(false); });
        QCOMPARE(Child<QLabel>(*HistoryOptions(m.w), "lblReport")->text(), QString("History is not being written."));
    }

    // The bar takes the list and the plot to a stored moment under a banner,
    // tinted, while the live table goes on receiving; Live brings it back,
    // and so do history switched off and the plot window closing.
    void timeBarShowsThePastAndLiveRestores() {
        TempDir dir;
        FillStore(dir / "History.sqlite");
        LoadedWindow m(dir.path());
        m.feed(ClassAReport(257000001, 59.5, 5.25, 12.3f));
        m.w.listModel().flush();
        auto* list = Child<QTableView>(m.w, "fgAISTargets");
        const QPalette livePalette = list->palette();
        auto* banner = Child<QLabel>(m.w, "lblHistoryBanner");
        Child<QAction>(m.w, "mnuViewGraphics")->trigger();
        auto* plot = Child<plot::FrmGraphics>(m.w, "frmGraphics");
        auto* slider = Child<QSlider>(*plot, "sldHistory");
        QTRY_VERIFY(slider->isEnabled());  // the span is known

        slider->setValue(120);  // the first stored time plus 120 s: 14:00:00
        QTRY_COMPARE(ShownRows(*list), (QStringList{"244000001 " + Lat(57.0), "244000002 " + Lat(57.25)}));
        QCOMPARE(list->model()->index(0, 2).data().toString().trimmed(), QString("PAST ONE"));
        QVERIFY(!banner->isHidden());
        QCOMPARE(banner->text(), QString("HISTORY 2026-12-07 14:00:00"));
        QVERIFY(plot->windowTitle().contains("HISTORY 2026-12-07 14:00:00"));
        QVERIFY(list->palette().color(QPalette::Base) != livePalette.color(QPalette::Base));
        QCOMPARE(Child<QLabel>(m.w, "lblNoOfTargets")->text(), QString("2"));
        // A double click on a past row: that station's track up to the moment shown.
        emit list->activated(list->model()->index(0, 0));
        auto* track = Child<history::FrmTrack>(m.w, "frmTrack");
        QCOMPARE(track->mmsi(), 244000001);
        QCOMPARE(track->statusText(), QString("The periods end at the moment shown, 2026-12-07 14:00:00 UTC."));
        QCOMPARE(Child<QDateTimeEdit>(*track, "dtTrackTo")->text(), QString("2026-12-07 14:00"));
        track->close();

        m.feed(ClassAReport(257000002, 59.6, 5.25, 12.3f));  // live goes on underneath
        m.w.listModel().flush();
        QCOMPARE(m.w.listModel().rowCount(), 2);
        QCOMPARE(ShownRows(*list).size(), 2);
        QVERIFY(!ShownRows(*list).join(" ").contains("257000002"));

        Child<QToolButton>(*plot, "cmdHistoryLive")->click();
        QVERIFY(banner->isHidden());
        QCOMPARE(list->model(), &m.w.listModel());
        QCOMPARE(ShownRows(*list).first(), "257000001 " + Lat(59.5));
        QCOMPARE(list->palette().color(QPalette::Base), livePalette.color(QPalette::Base));

        // History switched off, and the plot window closed, while in the past.
        app::TimeBarDesk& desk = m.w.timeBar();
        const auto historyOff = [&m] {
            auto* d = HistoryOptions(m.w);
            Child<QCheckBox>(*d, "chkHistory")->setChecked(false);
            Child<QPushButton>(*d, "cmdOK")->click();
        };
        for (const auto& leave : std::vector<std::function<void()>>{historyOff, [&] { plot->close(); }}) {
            desk.showMoment(kPast);
            QVERIFY(!desk.live() && !banner->isHidden());
            leave();
            QVERIFY(desk.live());
            QVERIFY(banner->isHidden());
            QCOMPARE(list->model(), &m.w.listModel());
            desk.setStore((dir / "History.sqlite").string());
        }
    }

    // Playing at 1,000x the moment runs on and the later position shows; an
    // answer to a question older than the newest is dropped. (A window of its
    // own: no live rows written, so what is stored ends at the later position.)
    void timeBarPlaysForwardAndDropsStaleAnswers() {
        TempDir dir;
        FillStore(dir / "History.sqlite");
        LoadedWindow m;
        app::TimeBarDesk& desk = m.w.timeBar();
        desk.setStore((dir / "History.sqlite").string());
        auto* list = Child<QTableView>(m.w, "fgAISTargets");
        QSignalSpy shown(&desk, &app::TimeBarDesk::situationShown);
        desk.showMoment(kPast);
        QTRY_COMPARE(shown.size(), 1);

        history::SituationReader::Answer stale;
        stale.id = desk.newestQuestion() - 1;
        stale.at = kPast;
        stale.entries.push_back({});
        stale.entries.back().position.mmsi = 999000001;
        desk.showMoment(kPast + 1000);
        desk.take(stale);
        QCOMPARE(desk.pastTable().TargetCount(), 2);
        QTRY_COMPARE(shown.size(), 2);
        QCOMPARE(shown.last().first().toLongLong(), kPast + 1000);

        desk.setSpeed(1000);
        desk.setPlaying(true);
        QTRY_VERIFY_WITH_TIMEOUT(ShownRows(*list).contains("244000001 " + Lat(58.0)), 5000);
        QVERIFY(*desk.moment() >= kPast + 300'000);
        QVERIFY(shown.last().first().toLongLong() >= kPast + 300'000);
        QVERIFY(Child<QLabel>(m.w, "lblHistoryBanner")->text() >= "HISTORY 2026-12-07 14:05:00");
    }

    // Track...: the dialog stands beside the windows (nothing modal), the
    // track of the chosen period is read off the window thread and drawn on
    // the plot in its own colour, cleared from the dialog and from the plot's
    // pop-up, and exported through Qt's own file dialog.
    void trackIsDrawnClearedAndExported() {
        TempDir dir;
        const int32_t ship = 244123456;
        history::Batch b;
        for (int i = 0; i <= 60; ++i) {
            b.positions.push_back(Position(ship, kNoon - 2 * kHourMs + i * 60000, 52.0 + i * 0.001, 4.0 + i * 0.002));
        }
        StoreHistory(dir / "History.sqlite", b);
        MainWindow m;
        m.w.startUp(dir.path(), true);
        m.feed(ClassAReport(ship, 52.06, 4.12, 5.0f));
        m.w.showExtraInfo(1);
        Child<QPushButton>(*m.w.extraInfoWindows().window(1), "cmdTrack")->click();
        auto* d = Child<history::FrmTrack>(m.w, "frmTrack");
        QVERIFY(d->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
        d->setNow([] { return kNoon; });
        Child<QComboBox>(*d, "cmbTrackPeriod")->setCurrentIndex(static_cast<int>(history::TrackPeriod::SixHours));
        Child<QPushButton>(*d, "cmdShowTrack")->click();
        QTRY_VERIFY(d->statusText().startsWith("61 reports, 2026-12-07 10:00:00 UTC"));
        plot::TrackLayer& layer = m.w.plot().tracks();
        QCOMPARE(layer.tracks().size(), size_t{1});
        QCOMPARE(layer.tracks()[0].fixes.size(), size_t{61});
        // From-to is UTC whatever the computer's zone, the "to" minute whole.
        qputenv("TZ", "America/St_Johns");  // -03:30: an offset in hours and minutes
        tzset();
        Child<QComboBox>(*d, "cmbTrackPeriod")->setCurrentIndex(static_cast<int>(history::TrackPeriod::FromTo));
        Child<QDateTimeEdit>(*d, "dtTrackFrom")->setDateTime(QDateTime(QDate(2026, 12, 7), QTime(10, 30), Qt::UTC));
        Child<QDateTimeEdit>(*d, "dtTrackTo")->setDateTime(QDateTime(QDate(2026, 12, 7), QTime(10, 39), Qt::UTC));
        QCOMPARE(Child<QDateTimeEdit>(*d, "dtTrackFrom")->text(), QString("2026-12-07 10:30"));
        Child<QPushButton>(*d, "cmdShowTrack")->click();
        QTRY_VERIFY(d->statusText().startsWith("10 reports, 2026-12-07 10:30:00 UTC to 2026-12-07 10:39:00 UTC"));
        qunsetenv("TZ");
        tzset();
        Child<QComboBox>(*d, "cmbTrackPeriod")->setCurrentIndex(static_cast<int>(history::TrackPeriod::SixHours));
        Child<QPushButton>(*d, "cmdShowTrack")->click();
        QTRY_COMPARE(layer.tracks()[0].fixes.size(), size_t{61});
        plot::FrmGraphics* plotWindow = m.w.plot().window();
        QVERIFY(plotWindow && plotWindow->isVisible());
        QVERIFY(PictureHasColour(*plotWindow->picture(), plot::TrackColour(0)));

        Child<QPushButton>(*d, "cmdExportTrack")->click();
        QFileDialog* save = d->exportDialog();
        QVERIFY(save && save->isVisible() && save->testOption(QFileDialog::DontUseNativeDialog));
        save->selectFile(QString::fromStdString((dir / "out.gpx").string()));
        QMetaObject::invokeMethod(save, "accept");
        QCOMPARE(QString::fromStdString(dir.read("out.gpx")).count("<trkpt"), 61);
        // A folder that is not there: said so, and nothing left behind.
        QVERIFY(!d->exportTo(QString::fromStdString((dir / "none" / "t.gpx").string()), "gpx"));
        QVERIFY(d->statusText().startsWith("Not exported"));

        Child<QPushButton>(*d, "cmdClearTrack")->click();
        QVERIFY(layer.empty());
        QVERIFY(!PictureHasColour(*plotWindow->picture(), plot::TrackColour(0)));
        Child<QPushButton>(*d, "cmdShowTrack")->click();
        QTRY_VERIFY(!layer.empty());
        auto* clear = Child<QAction>(*plotWindow, "pmnuClearTrack");
        QVERIFY(clear->isEnabled());
        clear->trigger();
        QVERIFY(layer.empty());
        QVERIFY(!clear->isEnabled());
    }

    // A few tracks at a time, each in a colour of its own: a station's new
    // track keeps its colour, one more than the layer holds drops the oldest.
    void trackLayerKeepsAFewTracksApart() {
        struct Step {
            int32_t set;    // 0: none
            int32_t clear;  // 0: none
            QList<QPair<int, int>> shown;  // (mmsi, colour), oldest first
        };
        const Step steps[] = {
            {1, 0, {{1, 0}}},
            {2, 0, {{1, 0}, {2, 1}}},
            {1, 0, {{2, 1}, {1, 0}}},
            {3, 0, {{2, 1}, {1, 0}, {3, 2}}},
            {0, 2, {{1, 0}, {3, 2}}},
            {4, 0, {{1, 0}, {3, 2}, {4, 1}}},
            {5, 0, {{1, 0}, {3, 2}, {4, 1}, {5, 3}}},
            {6, 0, {{3, 2}, {4, 1}, {5, 3}, {6, 0}}},
        };
        plot::TrackLayer layer;
        QSignalSpy changed(&layer, &plot::TrackLayer::changed);
        for (const Step& s : steps) {
            if (s.set) layer.set(s.set, QString::number(s.set), {{52, 4}});
            if (s.clear) layer.clear(s.clear);
            QList<QPair<int, int>> shown;
            for (const plot::TrackLine& t : layer.tracks()) shown << qMakePair(t.mmsi, t.colour);
            QCOMPARE(shown, s.shown);
        }
        QCOMPARE(changed.count(), 8);
        layer.clear(99);  // not shown: nothing to repaint
        QCOMPARE(changed.count(), 8);
        // Apart from each other and from the live picture's black, blue, red, grey and white.
        QSet<QRgb> colours{qRgb(0, 0, 0), qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)};
        for (int i = 0; i < plot::kMaxTracks; ++i) colours << plot::TrackColour(i).rgb();
        QCOMPARE(colours.size(), plot::kMaxTracks + 5);
        // Each reads on the white picture: a contrast of 3:1 at least.
        const auto luminance = [](const QColor& c) {
            const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
        };
        for (int i = 0; i < plot::kMaxTracks; ++i) QVERIFY(1.05 / (luminance(plot::TrackColour(i)) + 0.05) >= 3.0);
    }

    // What the dialog says when there is nothing to draw: a line in it,
    // never a box, and a missing store is not made by asking it.
    void trackWithoutReportsIsALineInTheDialog() {
        TempDir dir;
        history::Batch batch;
        batch.positions = {Position(211000001, kNoon - 3 * kHourMs, 54.5, 10.25)};
        StoreHistory(dir / "History.sqlite", batch);
        const std::string stored = (dir / "History.sqlite").string();
        const std::string missing = (dir / "Missing.sqlite").string();
        struct Case {
            std::string location;
            int32_t mmsi;
            history::TrackPeriod period;
            QString status;
        };
        const Case cases[] = {
            {stored, 211000001, history::TrackPeriod::Hour, "No reports of this station stored from 2026-12-07 11:00:00"},
            {stored, 211000002, history::TrackPeriod::Day, "No reports of this station"},
            {missing, 211000001, history::TrackPeriod::Day, "No history store: nothing stored yet (Missing.sqlite"},
            {"", 211000001, history::TrackPeriod::Day, "No history store: history is not kept"},
            {stored, 211000001, history::TrackPeriod::FromTo, "The period ends before it begins"},
        };
        history::HistoryReader reader;
        for (const Case& c : cases) {
            history::FrmTrack d({c.mmsi, "X"}, reader, [&] { return c.location; });
            d.setNow([] { return kNoon; });
            Child<QComboBox>(d, "cmbTrackPeriod")->setCurrentIndex(static_cast<int>(c.period));
            Child<QDateTimeEdit>(d, "dtTrackTo")->setDateTime(QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC));
            d.showTrack();
            QTRY_VERIFY2(d.statusText().startsWith(c.status), qPrintable(d.statusText()));
            QVERIFY(!Child<QPushButton>(d, "cmdExportTrack")->isEnabled());
        }
        QVERIFY(!std::filesystem::exists(missing));
    }

    // A period of any length is read in slices, newest first: at most `cap`
    // reports (the latest), every stored one exactly once, and a request
    // superseded between slices stops.
    void trackReadingIsBounded() {
        TempDir dir;
        history::Batch b;
        for (int i = 0; i < 30; ++i) b.positions.push_back(Position(211000001, kNoon - i * kHourMs, 54.5, 10.25));
        StoreHistory(dir / "h.sqlite", b);
        auto opened = history::OpenHistoryStore((dir / "h.sqlite").string());
        // The cap, the slice, the rows read and whether they were cut.
        const std::tuple<size_t, history::TimeMs, size_t, bool> cases[] = {
            {1000, 6 * kHourMs, 30, false}, {1000, kHourMs, 30, false}, {1000, 100 * kHourMs, 30, false},
            {10, 6 * kHourMs, 10, true},    {10, kHourMs, 10, true}};
        for (const auto& [cap, slice, rows, cut] : cases) {
            const auto a = history::ReadTrack(*opened.store, 211000001, kNoon - 40 * kHourMs, kNoon, {}, cap, slice);
            QCOMPARE(std::pair(a.rows.size(), a.cut), std::pair(rows, cut));
            QCOMPARE(a.rows.back().time, kNoon);  // the latest are kept
            for (size_t i = 1; i < a.rows.size(); ++i) QCOMPARE(a.rows[i].time - a.rows[i - 1].time, kHourMs);
        }
        int asked = 0;
        const auto a = history::ReadTrack(*opened.store, 211000001, kNoon - 40 * kHourMs, kNoon,
                                          [&] { return ++asked > 2; }, 1000, kHourMs);
        QVERIFY(a.cancelled && a.rows.empty());
        QCOMPARE(asked, 3);
    }

    // The reader answers on the window thread, one request after the other;
    // a newer request of the same kind drops the older's answer, whether it
    // waited or ran, and leaves other kinds alone.
    void newerRequestSupersedesTheOlder() {
        history::HistoryReader reader;
        std::atomic<bool> release{false}, started{false};
        std::atomic<int> ran{0};
        QStringList answered;
        const auto work = [&](const QString& name, bool block) {
            return [&, name, block](history::HistoryStore*, const std::string&,
                                    const history::Cancelled& cancelled) -> std::function<void()> {
                ++ran;
                started = true;
                while (block && !release) QThread::msleep(1);
                const bool told = cancelled();
                return [&answered, name, told] { answered << name + (told ? " (told to stop)" : ""); };
            };
        };
        reader.ask("track", "", work("first", true));
        QTRY_VERIFY(started);
        reader.ask("track", "", work("second", false));
        reader.ask("last seen", "", work("other", false));
        reader.ask("track", "", work("third", false));
        release = true;
        QTRY_COMPARE(reader.waiting(), 0);
        QCOMPARE(answered, QStringList({"other", "third"}));
        QCOMPARE(ran.load(), 3);
    }
};

QTEST_MAIN(TestSideWindows)
#include "test_side_windows.moc"
