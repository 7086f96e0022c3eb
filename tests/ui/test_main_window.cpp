// The main window and the windows it opens, on a laptop's 1366x768 screen
// with a second screen right of it: inputs, placement, what it saves, keyboard
// and screen ergonomics, the history from the find box and in the status bar,
// and texts from the air and the data files shown as the characters they are.
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QToolButton>
#include <QTreeWidget>

#include "app/exports_window.h"
#include "app/history_desk.h"
#include "app/history_views_window.h"
#include "history/history_feed.h"
#include "history/history_writer.h"
#include "plot/plot_state.h"
#include "ui/notice_bar.h"
#include "windows/history/last_seen_popup_window.h"
#include "geodesy/position_text.h"
#include "ui/message_box_sink.h"
#include "ui/popup_placement.h"
#include "ui/window_fit.h"
#include "ui/window_placement.h"
#include "windows/ais/message_inbox_model.h"
#include "windows/plot/plot_window.h"
#include "windows/targets/extra_info_window.h"
#include "support/write_only_store.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

// Every action with text in menu (and its submenus) has an access key that
// no sibling shares; faults are listed as "path: problem".
void CheckMenu(const QList<QAction*>& actions, const QString& path, QStringList& faults) {
    QHash<QKeySequence, QString> seen;
    for (QAction* a : actions) {
        if (a->isSeparator() || a->text().isEmpty()) continue;
        const QString where = path + " > " + a->text();
        const QKeySequence key = QKeySequence::mnemonic(a->text());  // "E&xit": Alt+X; "&&" is a plain "&"
        if (key.isEmpty()) {
            faults << where + ": no access key";
        } else if (seen.contains(key)) {
            faults << where + ": " + key.toString() + " also on " + seen[key];
        } else {
            seen.insert(key, a->text());
        }
        if (a->menu()) CheckMenu(a->menu()->actions(), where, faults);
    }
}

QStringList MenuFaults(QMainWindow& w) {
    QStringList faults;
    CheckMenu(w.menuBar()->actions(), w.objectName(), faults);
    return faults;
}

const std::string kBold = "<B>BOLD</B>[*]";  // "[*]" is also special, in window titles
const std::string kTallImage = "<IMG HEIGHT=999999999 SRC=X>";
const std::string kImage = "<IMG SRC=X.PNG>";
const std::string kLink = "<A HREF=X>LINK</A>";

// Every label under a window is plain, small, and the window fits the screen.
QStringList unsafeLabels(QWidget* window) {
    QStringList out;
    const QRect screen = window->screen()->availableGeometry();
    if (window->width() > screen.width() || window->height() > screen.height()) out << window->objectName() + " size";
    for (const QLabel* l : window->findChildren<QLabel*>()) {
        if (l->textFormat() != Qt::PlainText) out << l->objectName() + " format";
        // A picture loaded from the working folder would make it 400 pixels tall.
        if (l->sizeHint().height() > 5 * l->fontMetrics().lineSpacing()) out << l->objectName() + " height";
    }
    return out;
}

// A store that refuses every batch, as a full disk does.
class RefusingStore final : public testing_support::WriteOnlyStore {
public:
    history::Status append(const history::Batch&) override { return {"disk full"}; }
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // A host name is looked up without blocking; a server that goes and comes
    // back is reconnected without a click.
    void tcpSentencesReachTheListAndALostServerIsReconnected() {
        LocalServer server;
        MainWindow m;
        input::CommSettings& c = m.w.commSettings();
        c.UseTCP = true;
        c.IPAddress = "localhost";
        c.IPPort = server.port();
        m.w.load(true);
        auto* connect = Child<QPushButton>(m.w, "cmdConnect");
        QVERIFY(connect->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(server.server.hasPendingConnections(), 5000);
        QVERIFY(server.accept());
        const QString connected = QString::fromStdString(input::TcpStatusText(c, input::kSocketConnected));
        QTRY_COMPARE_WITH_TIMEOUT(m.w.panelText(2), connected, 5000);
        server.send(Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 12.3f))) +
                    Join(Sentences(StaticData(257000001, "BLUE HERON", "LABC"))));
        QTRY_VERIFY_WITH_TIMEOUT(m.w.listModel().index(0, 2).data().toString().startsWith("BLUE HERON"), 5000);

        server.peer->disconnectFromHost();
        server.server.close();
        QTRY_VERIFY_WITH_TIMEOUT(m.w.panelText(2).contains("Reconnecting in 2 s"), 5000);
        QVERIFY(!connect->isHidden());
        QVERIFY(server.server.listen(QHostAddress::LocalHost, static_cast<quint16>(c.IPPort)));
        QTRY_VERIFY_WITH_TIMEOUT(server.server.hasPendingConnections(), 8000);
        QTRY_COMPARE_WITH_TIMEOUT(m.w.panelText(2), connected, 5000);
        QVERIFY(connect->isHidden());
        QVERIFY2(m.messages.entries.empty(), qPrintable(m.lastMessage()));
    }

    // Places are kept in twips: an unmoved edge keeps its stored number exactly
    // (no creeping through pixels); a place off every screen or a size beyond
    // the screen is fitted and stored. Screens: 1366x768 at (0,0), 1024x768 right of it.
    void placementFitsTheScreens() {
        const double far = 1e12, nan = std::nan("");
        const struct {
            QString window, prefix;
            QList<double> stored;  // left, top, width, height in twips
            QPoint at;             // where it must be; (-1,-1): anywhere on a screen
        } rows[] = {
            {"frmMain", "Main", {3007, 1500, 15000, 9000}, {200, 100}},
            {"frmMain", "Main", {36000, 1500, 15000, 9000}, {366, 100}},  // on an unplugged monitor
            {"frmMain", "Main", {nan, nan, nan, nan}, {67, 67}},
            {"frmMain", "Main", {3000, 3000, 30000, 30000}, {0, 0}},  // beyond the screen's size
            {"frmPortMonitor", "Monitor", {far, far, 8000, 4000}, {833, 469}},
            {"frmERBL", "ERBL", {far, far}, {-1, -1}},
        };
        static const char* const kEdges[4] = {"Left", "Top", "Width", "Height"};
        for (const auto& [window, prefix, stored, at] : rows) {
            QTemporaryDir dir;
            ui::SettingsStore store(dir.filePath("settings.ini"));
            for (int i = 0; i < stored.size(); ++i) store.writeNumber(prefix + kEdges[i], stored[i]);
            LoadedWindow m(&store);
            if (window == "frmPortMonitor") Child<QAction>(m.w, "mnuViewPortMonitor")->trigger();
            if (window == "frmERBL") {
                Child<QAction>(m.w, "mnuViewGraphics")->trigger();
                Child<QAction>(*m.w.findChild<QWidget*>("frmGraphics"), "mnuOptionsERBL")->trigger();
            }
            QWidget* w = window == "frmMain" ? &m.w : Child<QWidget>(m.w, qPrintable(window));
            const QRect placed(w->pos(), w->size());
            if (at != QPoint(-1, -1)) QCOMPARE(placed.topLeft(), at);
            const QScreen* screen = QGuiApplication::screenAt(placed.topLeft());
            QVERIFY(screen && screen->availableGeometry().contains(placed));

            w->show();
            w->resize(w->width() + 40, w->height());  // a moved edge
            const double dpi = w->logicalDpiX();
            w == &m.w ? m.w.shutdown() : void(w->close());
            for (int i = 0; i < stored.size(); ++i) {
                const double written = store.readNumber(prefix + kEdges[i], -1);
                const int pixels = std::array{placed.x(), placed.y(), placed.width() + 40, placed.height()}[i];
                const bool sane = std::abs(stored[i]) < 1e6;  // false for the wild numbers and NaN
                const bool unmoved = sane && ui::pixelsFromTwips(int(std::lround(stored[i])), dpi) == pixels;
                QCOMPARE(unmoved ? written : ui::pixelsFromTwips(int(written), dpi), unmoved ? stored[i] : double(pixels));
            }
        }
    }

    void closingSavesTheSetupFileAndTheShipDatabase() {
        TempDir dir;
        {
            MainWindow m;
            m.w.startUp(dir.path());
            m.w.load(false);
            for (int k = 0; k < 2; ++k) Child<QAction>(m.w, "mnuSetupBinaryMsgStd_1")->trigger();  // stays checked
            // A session address (the demo's) does not replace the stored one.
            m.w.useSessionInput("127.0.0.1", 45678);
            m.feed(StaticData(257000001, "BLUE HERON", "LABC"));
            m.w.close();
        }
        const std::string ini = dir.read("Orvanta.ini");
        QVERIFY2(ini.find("#FALSE#,\"127.0.0.1\",8040") != std::string::npos, ini.c_str());
        {
            MainWindow m;
            m.w.startUp(dir.path());
            m.w.load(false);
            QVERIFY(Child<QAction>(m.w, "mnuSetupBinaryMsgStd_1")->isChecked());
            QVERIFY(m.w.receiver().shipDatabase().LookupShipData(257000001));
            // Settings confirmed by the operator are stored from then on.
            m.w.useSessionInput("127.0.0.1", 45678);
            input::CommChoice choice = m.w.commChoice();
            choice.comm.ComPort = 0;
            choice.comm.Device = "/dev/rfcomm0";
            m.w.applyCommChoice(choice);
            m.w.close();
        }
        MainWindow m;
        m.w.startUp(dir.path());
        QCOMPARE(m.w.commSettings().Device, std::string("/dev/rfcomm0"));
        QCOMPARE(m.w.commSettings().IPPort, 45678);
    }

    // "From VDO": the panel shows where the own ship is, and the exported list
    // measures range and bearing from there. Then every menu of that window and
    // of its plot has distinct access keys (neither reads nor changes the other).
    void referencePanelExportAndMenuAccessKeys() {
        LoadedWindow m;
        Child<QRadioButton>(m.w, "optRefPos_1")->click();
        m.feed(ClassAReport(257999999, 59.5, 5.25, 10.0f), 'A', true);
        QCOMPARE(Child<QLineEdit>(m.w, "txtRefLat")->text().toStdString(),
                 geodesy::FormatPosition(59.5, "LAT", "display", 1));
        QCOMPARE(Child<QLineEdit>(m.w, "txtRefLon")->text().toStdString(),
                 geodesy::FormatPosition(5.25, "LON", "display", 1));
        m.feed(ClassAReport(257000001, 59.6, 5.25, 10.0f));
        TempDir dir;
        QVERIFY(m.w.exports().exportTargets(QString::fromStdString((dir / "targets.csv").string()), app::Exports::TargetFormat::Csv));
        const std::string csv = dir.read("targets.csv");
        // 0.1 degree of latitude due north on the ellipsoid: 6.015 nm at bearing 0.
        QVERIFY2(csv.find(",257000001,,59.600000,5.250000,6.015,0.0,") != std::string::npos, csv.c_str());

        QStringList faults = MenuFaults(m.w);
        Child<QAction>(m.w, "mnuViewGraphics")->trigger();
        auto* plot = Child<plot::FrmGraphics>(m.w, "frmGraphics");
        faults += MenuFaults(*plot);
        // The plot's pop-up menu too.
        CheckMenu(Child<QMenu>(*plot, "pmnuCenter")->actions(), "pmnuCenter", faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // Each side window opens whole on the screen, and Esc closes it.
    void escClosesTheSideWindows() {
        const QString rows[] = {"frmAISExtraInfo", "frmReceptionSummary", "frmMessages"};
        for (const QString& name : rows) {
            LoadedWindow m;
            m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
            m.w.listModel().flush();
            m.w.move(0, 0);
            m.w.show();
            if (name == "frmAISExtraInfo") m.w.showExtraInfo(1);
            if (name == "frmReceptionSummary") Child<QAction>(m.w, "mnuOptionsReception")->trigger();
            if (name == "frmMessages") Child<QAction>(m.w, "mnuViewMessages")->trigger();
            QPointer<QWidget> w;
            for (QWidget* t : QApplication::topLevelWidgets()) {
                if (t->objectName() == name && t->isVisible()) w = t;
            }
            QVERIFY(w && w->isVisible());
            const QRect frame = w->frameGeometry();
            QVERIFY2(w->screen()->availableGeometry().contains(frame),
                     qPrintable(QString("frame %1x%2+%3+%4").arg(frame.width()).arg(frame.height()).arg(frame.x()).arg(frame.y())));
            // The extended information scrolls rather than grow past the screen.
            if (name == "frmAISExtraInfo") QVERIFY(w->findChild<QScrollArea*>());
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QTest::keyClick(w, Qt::Key_Escape);
            QTRY_VERIFY(!w || !w->isVisible());
        }
    }

    void openingSizeKeepsToTheScreen() {
        const QRect laptop(0, 0, 1366, 740);
        const struct {
            QSize wanted;
            QRect available;
            QSize size;
        } rows[] = {
            {{1200, 600}, laptop, {1200, 600}},
            {{1500, 600}, laptop, {1366, 600}},                            // too wide
            {{900, 900}, laptop, {900, 740 - ui::kTitleBarAllowance}},     // too high, below a title bar
            {{900, 500}, {0, 0, 0, 10}, {1, 1}},                          // no screen room
        };
        for (const auto& [wanted, available, size] : rows) QCOMPARE(ui::OpeningSize(wanted, available), size);
    }

    // A first run (no stored placement) on a 1366x768 screen opens showing
    // every column of the list; the size never passes the screen. Then a right
    // click on the header hides and shows columns; the choice is kept.
    void aFirstRunShowsEveryColumnAndTheHeaderMenuHidesThem() {
        QTemporaryDir dir;
        const int cpa = 13;
        {
            ui::SettingsStore store(dir.filePath("settings.ini"));
            LoadedWindow m(&store);
            auto* grid = Child<QTableView>(m.w, "fgAISTargets");
            const QRect area = m.w.screen()->availableGeometry();
            QCOMPARE(area.width(), 1366);
            QVERIFY(m.w.width() <= 1366 && m.w.height() <= area.height() - ui::kTitleBarAllowance);
            QCOMPARE(m.w.openingSize(QRect(0, 0, 1000, 600)).width(), 1000);
            m.w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&m.w));
            // Rows arrive and the columns widen to their values: all still shown.
            m.feed(ClassAReport(257000001, 59.5, -5.25, 12.3f));
            m.feed(StaticData(257000001, "NORTHERN STAR OF THE", "LAXY7"));
            m.w.listModel().flush();
            const int last = grid->model()->columnCount() - 1;
            const int name = grid->fontMetrics().horizontalAdvance("NORTHERN STAR");
            QTRY_VERIFY_WITH_TIMEOUT(grid->columnWidth(2) > name, 5000);
            QVERIFY(grid->columnViewportPosition(last) + grid->columnWidth(last) <= grid->viewport()->width());

            QVERIFY(!grid->isColumnHidden(cpa));
            emit grid->horizontalHeader()->customContextMenuRequested(QPoint(5, 5));
            auto* menu = m.w.findChild<QMenu*>("pmnuColumns");
            QVERIFY(menu);
            QCOMPARE(menu->actions().size(), grid->model()->columnCount());
            QAction* cpaItem = Child<QAction>(*menu, QString("pmnuColumn_%1").arg(cpa).toLatin1().constData());
            QVERIFY(cpaItem->isChecked());
            cpaItem->trigger();
            QVERIFY(grid->isColumnHidden(cpa));
        }
        ui::SettingsStore store(dir.filePath("settings.ini"));
        LoadedWindow again(&store);
        auto* grid = Child<QTableView>(again.w, "fgAISTargets");
        QVERIFY(grid->isColumnHidden(cpa));
        QVERIFY(!grid->isColumnHidden(cpa - 1));
        // Every column hidden in the store: one comes back, or none could be right-clicked.
        QStringList all;
        for (int c = 0; c < grid->model()->columnCount(); ++c) all << QString::number(c);
        store.writeTextList("HiddenColumns", all);
        LoadedWindow third(&store);
        QVERIFY(!Child<QTableView>(third.w, "fgAISTargets")->isColumnHidden(0));
    }

    // Where pop-ups go on a 1366x740 screen with the main window's list at its left.
    void popupPlacement() {
        const QRect screenList(0, 120, 900, 500);
        const QSize popup(420, 300);
        const struct {
            QList<QRect> open, dialogs;
            QRect list;
            bool clearOfList, clearOfOpen;
        } rows[] = {
            {{}, {}, screenList, true, true},                                 // the first, beside the list
            {{QRect(QPoint(946, 0), popup)}, {}, screenList, true, true},     // the second, not on the first
            // The free column holds two: the third overlaps one, not the list.
            {{QRect(QPoint(946, 0), popup), QRect(QPoint(946, 440), popup)}, {}, screenList, true, false},
            {{}, {QRect(900, 0, 466, 740)}, screenList, false, true},         // a dialog over the free room
            {{QRect(QPoint(100, 100), popup)}, {}, QRect(0, 0, 1366, 740), false, true},  // the list over the screen
        };
        for (const auto& [open, dialogs, list, clearOfList, clearOfOpen] : rows) {
            const ui::PopupScene scene{QRect(0, 0, 1366, 740), list, QRect(0, 0, 400, 110),
                                       std::vector<QRect>(open.begin(), open.end()),
                                       std::vector<QRect>(dialogs.begin(), dialogs.end())};
            const QRect r = ui::NextPopupRect(scene, QSize(420, 300));
            QCOMPARE(r.size(), QSize(420, 300));
            QVERIFY(scene.screen.contains(r));
            QVERIFY(!r.intersects(scene.reference));
            for (const QRect& d : dialogs) QVERIFY(!r.intersects(d));
            if (clearOfList) QVERIFY(!r.intersects(list));
            for (const QRect& o : open) {
                QVERIFY(r.topLeft() != o.topLeft());
                if (clearOfOpen) QVERIFY(!r.intersects(o));
            }
        }
    }

    // Five message windows in a row: three stay open, each clear of the list
    // and none on another.
    void fivePopupsLeaveThreeClearOfTheList() {
        LoadedWindow m;
        ais::PopupSettings all;
        for (ais::PopupChoice& c : all) c = {true, false};
        m.w.incoming().setPopupSettings(all);
        m.w.move(0, 0);
        m.w.resize(820, 380);
        m.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m.w));
        const ais::BinaryMessage binary;
        const ais::ApplicationWindow kinds[] = {ais::ApplicationWindow::None, ais::ApplicationWindow::Meteorological,
                                                ais::ApplicationWindow::DangerousCargo,
                                                ais::ApplicationWindow::FairwayClosed,
                                                ais::ApplicationWindow::TidalWindow};
        for (ais::ApplicationWindow kind : kinds) {
            app::MessageToShow msg;
            msg.messageType = 8;
            msg.notice.window = kind;
            msg.binary = kind == ais::ApplicationWindow::None ? nullptr : &binary;
            m.w.aisMessageToShow(msg);
            QApplication::processEvents();
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto* grid = Child<QTableView>(m.w, "fgAISTargets");
        const QRect list(grid->mapToGlobal(QPoint(0, 0)), grid->size());
        QList<QRect> shown;
        for (QWidget* t : QApplication::topLevelWidgets()) {
            if (t == &m.w || !t->isVisible()) continue;
            shown << QRect(t->frameGeometry().topLeft(), t->size());
        }
        QCOMPARE(shown.size(), ui::kMaxOpenPopups);
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QVERIFY(!shown[i].intersects(list));
            for (qsizetype j = 0; j < i; ++j) QVERIFY(shown[i].topLeft() != shown[j].topLeft());
        }
        QCOMPARE(m.w.incoming().inbox().rowCount(), 5);
    }

    // Narrowed beside the alarm button, the status bar keeps the whole
    // address and state and gives up the least important panels first.
    void statusBarKeepsTheConnectionWhole() {
        // The width, and which of the panels 1..7 are shown.
        const std::pair<int, QString> rows[] = {
            {1340, "1111111"},
            {900, "1111001"},  // narrower: the ignored count goes
            {640, "0100000"},  // narrow: only the connection
        };
        for (const auto& [width, shown] : rows) {
            LoadedWindow m;
            const QString state = "Connected to 127.0.0.1:10110 - waiting for data (reconnecting in 41 s)";
            m.w.statusPanelChanged(2, state.toStdString());
            Child<QPushButton>(m.w, "cmdAcknowledge")->show();
            m.w.resize(width, 500);
            m.w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&m.w));
            QApplication::processEvents();
            auto* connection = Child<QLabel>(m.w, "sbStatusBar_Panel2");
            QVERIFY(connection->width() >= connection->fontMetrics().horizontalAdvance(state));
            QString visible;
            for (int i = 1; i <= 7; ++i) {
                visible += Child<QLabel>(m.w, qPrintable(QString("sbStatusBar_Panel%1").arg(i)))->isVisible() ? '1' : '0';
            }
            QCOMPARE(visible, shown);
        }
    }

    void markupIsShownAsText() {
        TempDir dir;
        QImage picture(400, 400, QImage::Format_RGB32);
        picture.fill(Qt::red);
        for (const char* name : {"X.PNG", "X"}) QVERIFY(picture.save(QString::fromStdString((dir / name).string()), "PNG"));
        const QString before = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir.path().string()));
        std::filesystem::create_directories(dir / "Database");
        dir.write("Database/City Database.txt", "<img src=x.png>,51,59,3,57\r\n");
        dir.write("Shipdata.dat", "257000004,\"&lt;b&gt;old&lt;/b&gt;\",\"<b>x\",0,10,10,5,5,70,1\r\n");

        LoadedWindow m(dir.path());
        Child<QAction>(m.w, "mnuViewPortMonitor")->trigger();
        m.w.receiver().takeBytes(app::Receiver::kMainInput, "<IMG SRC=X.PNG><B>RAW</B>\r\n");
        auto* monitor = Child<QWidget>(m.w, "frmPortMonitor");
        QTRY_VERIFY(Child<QLabel>(*monitor, "lblInputBuffer2")->text().contains("<IMG SRC=X.PNG><B>RAW</B>"));

        m.feed(ClassAReport(257000001, 51.98, 3.95, 10.0f));
        ais::StaticVoyageData s = StaticData(257000001, kBold, "<I>CALL");
        s.Destination = kLink;
        m.feed(s);
        ais::AtoNReport aton;
        aton.MessageID = 21, aton.MMSI = 992570001, aton.Latitude = 51.99, aton.Longitude = 3.96;
        aton.Name = kTallImage.substr(0, 20), aton.NameExtension = kTallImage.substr(20);
        m.feed(aton);
        m.feed(ClassBReport(257000002, 51.97, 3.94, 5.0f));
        ais::StaticDataReport a;
        a.MessageID = 24, a.MMSI = 257000002, a.PartNumber = 0, a.Name = kImage;
        m.feed(a);
        a.PartNumber = 1, a.VendorID = "<B>XYZ", a.CallSign = "&LT;B>";
        m.feed(a);
        m.feed(ClassAReport(257000004, 51.96, 3.93, 1.0f));  // named from the ship database

        ais::BroadcastSafetyMessage broadcast;
        broadcast.MessageID = 14, broadcast.MMSI = 257000001, broadcast.Text = kTallImage + " " + kBold;
        m.feed(broadcast);

        for (int entry = 1; entry <= 4; ++entry) m.w.showExtraInfo(entry);
        Child<QAction>(m.w, "mnuViewGraphics")->trigger();
        m.w.show();
        QApplication::processEvents();

        const auto extra = [&](int entry, const char* label) {
            return m.w.extraInfoWindows().window(entry)->valueText(label).toStdString();
        };
        QCOMPARE(extra(1, "frameStaticVoyageReport_Name") + extra(1, "frameStaticVoyageReport_Destination"), kBold + kLink);
        QVERIFY(m.w.extraInfoWindows().window(1)->windowHandle()->title().startsWith(QString::fromStdString(kBold)));
        QCOMPARE(extra(2, "frameAtoNreport_Name"), kTallImage);
        QCOMPARE(extra(3, "frameMessage24A_Name") + extra(3, "frameMessage24B_CallSign"), kImage + "&LT;B>");
        m.w.listModel().flush();
        QCOMPARE(m.w.listModel().index(3, 2).data().toString(), QString("&lt;b&gt;old&lt;/b&gt;"));

        auto* message = Child<QWidget>(m.w, "frmAISMessage");
        QVERIFY(Child<QLabel>(*message, "lblName")->text().contains(QString::fromStdString(kBold)));
        QCOMPARE(Child<QPlainTextEdit>(*message, "txtMessage")->toPlainText().toStdString(), broadcast.Text);
        auto* plot = Child<plot::FrmGraphics>(m.w, "frmGraphics");
        plot->Update_AISGraphics(plot::FrmGraphics::UpdateMode::CurrentPos);
        const auto& shapes = plot->picture()->moving();
        QVERIFY(std::any_of(shapes.begin(), shapes.end(),
                            [](const plot::Shape& s) { return s.text.starts_with(kBold + " "); }));

        QStringList unsafe;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) unsafe += unsafeLabels(w);
        }
        QVERIFY2(unsafe.isEmpty(), qPrintable(unsafe.join(", ")));
        QDir::setCurrent(before);
    }

    // Operator messages quote typed texts and file names: the box shows them as typed.
    void messageBoxesArePlain() {
        ui::MessageBoxSink sink;
        Qt::TextFormat format = Qt::RichText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            format = box->textFormat();
            box->close();
        });
        sink.operatorMessage(base::MessageIcon::Critical, "Orvanta", kImage + " is not a valid MMSI number!");
        QCOMPARE(format, Qt::PlainText);
    }

    // The status bar's history line follows the running writer. "Search
    // history": Enter in the find box asks the history when nothing in the
    // list matches; names are shown as sent (markup and quotes are data);
    // choosing a station centres the plot on where it was last heard and
    // selects its row when it is in the list. (The row written here is of a
    // station the search finds in the list, at the place stored for it.)
    void statusLineAndSearchHistoryFindsWhereAStationWasLastHeard() {
        TempDir dir;
        const std::string hostile = "<b>BOLD</b>'; DROP TABLE positions;--";
        history::Batch b;
        b.positions = {Position(211000001, kNoon - kHourMs, 54.5, 10.25),
                       Position(211000002, kNoon - 2 * kHourMs, 53.0, 8.0),
                       Position(257000001, kNoon, 59.5, 5.25)};
        b.statics = {Static(211000001, kNoon - 3 * kHourMs, hostile, "DA1234"),
                     Static(211000002, kNoon - 3 * kHourMs, "BOLDER", "DB5678"),
                     Static(257000001, kNoon - 3 * kHourMs, "NORDLYS", "LA1234")};
        StoreHistory(dir / "History.sqlite", b);
        MainWindow m;
        m.w.startUp(dir.path(), true);
        auto* label = Child<QLabel>(m.w, "lblHistoryStatus");
        QTRY_COMPARE(label->text(), QString("History: 0 rows"));
        m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString("History: 1 rows"), 5000);
        QVERIFY(label->toolTip().contains("History.sqlite"));
        auto* find = Child<QLineEdit>(m.w, "txtFind");
        QVERIFY(!Child<QToolButton>(m.w, "cmdSearchHistory")->isEnabled());
        find->setText("bold");
        QTest::keyClick(find, Qt::Key_Return);
        history::LastSeenPopup* popup = m.w.historyViews().searchPopup();
        QVERIFY(popup && popup->isVisible());
        QTRY_COMPARE(popup->results().size(), size_t{2});
        QTreeWidget* list = popup->list();
        QTreeWidgetItem* found = list->topLevelItem(0);
        QCOMPARE(QStringList({found->text(0), found->text(1), found->text(2), found->text(3), found->text(4).left(5)}),
                 QStringList({QString::fromStdString(hostile), "211000001", "DA1234", "2026-12-07 11:00:00", "54°30"}));
        emit list->itemActivated(list->topLevelItem(0), 0);
        QVERIFY(!popup->isVisible());
        const plot::PlotState& plot = m.w.plot().state();
        double e = 0, n = 0;
        plot::ToGrid(plot, 54.5 * M_PI / 180, 10.25 * M_PI / 180, e, n, m.messages);
        QVERIFY(m.w.plot().window() && std::abs(e - plot.centreE) < 1 && std::abs(n - plot.centreN) < 1);

        find->setText("257000001");
        QTest::keyClick(find, Qt::Key_Return);  // in the list: Enter does not ask the history
        QVERIFY(!popup->isVisible());
        Child<QToolButton>(m.w, "cmdSearchHistory")->click();
        QTRY_COMPARE(popup->results().size(), size_t{1});
        emit list->itemActivated(list->topLevelItem(0), 0);
        QCOMPARE(m.w.plot().state().selectedEntry, 1);
        QCOMPARE(m.w.findChild<QTableView*>("fgAISTargets")->selectionModel()->selectedRows().size(), 1);
    }

    // The status bar's line: the state that matters most first (paused, a
    // server away), else the rows written.
    void statusLineOfTheWriter() {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        using Spool = history::SpooledStore::Counters;
        // Running, 1,234,567 rows written; paused or not; a server's spool if given.
        const auto running = [](bool paused, std::optional<Spool> spool = std::nullopt) {
            app::HistoryKeeper::Report r;
            r.running = true, r.paused = paused, r.counts.written = 1234567, r.spool = spool;
            return r;
        };
        const Spool away{.waitingBatches = 12, .serverReachable = false, .serverError = {}},
            backlog{.waitingBatches = 3, .serverError = {}};
        const std::pair<app::HistoryKeeper::Report, QString> cases[] = {
            {{}, "History off"},
            {running(false), "History: 1,234,567 rows"},
            {running(true), "History paused"},
            {running(true, away), "History paused"},
            {running(false, away), "History: server unreachable, 12 batches waiting"},
            {running(false, backlog), "History: 1,234,567 rows, 3 batches to send"},
        };
        for (const auto& [report, line] : cases) QCOMPARE(app::StatusLine(report, false), line);
        QCOMPARE(app::StatusLine({}, true), QString("History: not kept"));
        QLocale::setDefault(before);
    }

    // A notice of the writer (paused, resumed, retention) reads "History
    // paused: ...", not "History: History paused: ...".
    void writerNoticesNameTheHistoryOnce() {
        app::FrmMain w;  // no recorder: notices go to the notice bar
        history::WriterSettings settings;
        settings.capacity = 1000;
        settings.intervalSeconds = 0.01;
        history::HistoryWriter writer(std::make_unique<RefusingStore>(), settings);
        history::HistoryFeed feed(writer, w.receiver().clock(), &w);
        w.receiver().setHistory(&feed);
        const auto receive = [&w] {
            w.receiver().takeBytes(app::Receiver::kMainInput, Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f))));
        };
        receive();
        QTRY_VERIFY(writer.counts().failures > 0);
        receive();  // notices go out as the next message is handled
        auto* bar = Child<ui::NoticeBar>(w, "noticeBar");
        QTRY_COMPARE(bar->notices().size(), 1);
        QVERIFY2(bar->notices()[0].startsWith("History paused: disk full"), qPrintable(bar->notices()[0]));
        w.receiver().setHistory(nullptr);
        writer.stop();
    }
};

int main(int argc, char** argv) {
    return RunOnScreens<TestMainWindow>(argc, argv, R"([
        {"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "second", "x": 1366, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}])");
}
#include "test_main_window.moc"
