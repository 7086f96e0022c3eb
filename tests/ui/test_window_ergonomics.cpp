// Keyboard and screen ergonomics of the windows: access keys in every menu,
// Esc on the side windows, opening sizes, the list's column menu.
#include <QMenuBar>
#include <QScrollArea>

#include "windows/ais/message_inbox_model.h"
#include "windows/plot/plot_window.h"
#include "ui/popup_placement.h"
#include "ui/window_fit.h"
#include "ui/window_placement.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

// The access key of a menu text ("E&xit" -> 'x'), or 0; "&&" is a plain "&".
QChar AccessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return QChar();
}

// Every action with text in menu (and its submenus) has an access key that
// no sibling shares; faults are listed as "path: problem".
void CheckMenu(const QList<QAction*>& actions, const QString& path, QStringList& faults) {
    QHash<QChar, QString> seen;
    for (QAction* a : actions) {
        if (a->isSeparator() || a->text().isEmpty()) continue;
        const QString where = path + " > " + a->text();
        const QChar key = AccessKey(a->text());
        if (key.isNull()) {
            faults << where + ": no access key";
        } else if (seen.contains(key)) {
            faults << where + ": key '" + key + "' also on " + seen[key];
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

}  // namespace

class TestWindowErgonomics : public QObject {
    Q_OBJECT
private slots:
    void everyMenuHasDistinctAccessKeys() {
        LoadedWindow m;
        QStringList faults = MenuFaults(m.w);
        Child<QAction>(m.w, "mnuViewGraphics")->trigger();
        auto* plot = m.w.findChild<plot::FrmGraphics*>("frmGraphics");
        QVERIFY(plot);
        faults += MenuFaults(*plot);
        // The plot's pop-up menu too.
        CheckMenu(Child<QMenu>(*plot, "pmnuCenter")->actions(), "pmnuCenter", faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    void escClosesTheSideWindows_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("extended information") << "frmAISExtraInfo";
        QTest::newRow("reception") << "frmReceptionSummary";
        QTest::newRow("incoming messages") << "frmMessages";
    }
    // Each side window opens whole on the screen, and Esc closes it.
    void escClosesTheSideWindows() {
        QFETCH(QString, name);
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

    void openingSizeKeepsToTheScreen_data() {
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("size");
        const QRect laptop(0, 0, 1366, 740);
        QTest::newRow("fits") << QSize(1200, 600) << laptop << QSize(1200, 600);
        QTest::newRow("too wide") << QSize(1500, 600) << laptop << QSize(1366, 600);
        QTest::newRow("too high, below a title bar") << QSize(900, 900) << laptop
                                                    << QSize(900, 740 - ui::kTitleBarAllowance);
        QTest::newRow("no screen room") << QSize(900, 500) << QRect(0, 0, 0, 10) << QSize(1, 1);
    }
    void openingSizeKeepsToTheScreen() {
        QFETCH(QSize, wanted);
        QFETCH(QRect, available);
        QFETCH(QSize, size);
        QCOMPARE(ui::OpeningSize(wanted, available), size);
    }

    // A first run (no stored placement) on a 1366x768 screen opens showing
    // every column of the list; the size never passes the screen.
    void aFirstRunShowsEveryColumn() {
        QTemporaryDir dir;
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
        QTRY_VERIFY_WITH_TIMEOUT(grid->columnWidth(2) > grid->fontMetrics().horizontalAdvance("NORTHERN STAR"), 5000);
        QVERIFY(grid->columnViewportPosition(last) + grid->columnWidth(last) <= grid->viewport()->width());
    }

    // A right click on the header hides and shows columns; the choice is kept.
    void headerMenuHidesColumnsAndRemembers() {
        QTemporaryDir dir;
        const int cpa = 13;
        {
            ui::SettingsStore store(dir.filePath("settings.ini"));
            LoadedWindow m(&store);
            m.w.show();
            auto* grid = Child<QTableView>(m.w, "fgAISTargets");
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
    void popupPlacement_data() {
        QTest::addColumn<QList<QRect>>("open");
        QTest::addColumn<QList<QRect>>("dialogs");
        QTest::addColumn<QRect>("list");
        QTest::addColumn<bool>("clearOfList");
        QTest::addColumn<bool>("clearOfOpen");
        const QRect list(0, 120, 900, 500);
        const QSize popup(420, 300);
        QTest::newRow("first, beside the list") << QList<QRect>{} << QList<QRect>{} << list << true << true;
        QTest::newRow("second, not on the first") << QList<QRect>{QRect(QPoint(946, 0), popup)} << QList<QRect>{}
                                                  << list << true << true;
        // The free column holds two: the third overlaps one, not the list.
        QTest::newRow("third, beside two")
            << QList<QRect>{QRect(QPoint(946, 0), popup), QRect(QPoint(946, 440), popup)} << QList<QRect>{} << list
            << true << false;
        QTest::newRow("a dialog over the free room") << QList<QRect>{} << QList<QRect>{QRect(900, 0, 466, 740)}
                                                     << list << false << true;
        QTest::newRow("list over the whole screen") << QList<QRect>{QRect(QPoint(100, 100), popup)}
                                                    << QList<QRect>{} << QRect(0, 0, 1366, 740) << false << true;
    }
    void popupPlacement() {
        QFETCH(QList<QRect>, open);
        QFETCH(QList<QRect>, dialogs);
        QFETCH(QRect, list);
        QFETCH(bool, clearOfList);
        QFETCH(bool, clearOfOpen);
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
    void statusBarKeepsTheConnectionWhole_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<bool>>("shown");  // panels 1..7
        QTest::newRow("wide") << 1340 << QList<bool>{true, true, true, true, true, true, true};
        QTest::newRow("narrower: ignored count goes") << 900 << QList<bool>{true, true, true, true, false, false, true};
        QTest::newRow("narrow: only the connection")
            << 640 << QList<bool>{false, true, false, false, false, false, false};
    }
    void statusBarKeepsTheConnectionWhole() {
        QFETCH(int, width);
        QFETCH(QList<bool>, shown);
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
        for (int i = 0; i < 7; ++i) {
            const QString name = QString("sbStatusBar_Panel%1").arg(i + 1);
            QVERIFY2(Child<QLabel>(m.w, name.toLatin1().constData())->isVisible() == shown[i], qPrintable(name));
        }
    }
};

// The windows are measured on a laptop's 1366x768 screen.
int main(int argc, char** argv) {
    return RunOnScreens<TestWindowErgonomics>(argc, argv, R"([{"name": "laptop", "x": 0, "y": 0, "width": 1366,
        "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}])");
}
#include "test_window_ergonomics.moc"
