// The extended information window: opened by a click on a list row, filled
// from the target, following that target's messages, one window per target.
#include <QGroupBox>
#include <QTableView>
#include <QTableWidget>

#include <sys/stat.h>

#include "targets/extra_info_window.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

QString cell(targets::FrmAISExtraInfo* w, const char* grid, int row, int column) {
    auto* g = w->findChild<QTableWidget*>(grid);
    return g && g->item(row, column) ? g->item(row, column)->text() : QString("<no cell>");
}

bool frameShown(targets::FrmAISExtraInfo* w, const QString& name) {
    auto* f = w->findChild<QGroupBox*>(name);
    return f && f->isVisibleTo(w);
}

}  // namespace

class TestExtraInfoWindow : public QObject {
    Q_OBJECT
private slots:
    void aClickOnARowOpensItsFilledWindowOnce() {
        MainWindow m;
        m.w.load(false);
        m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
        m.feed(ClassAReport(257000002, 59.5, 5.25, 12.34f));
        m.feed(ClassAReport(257000002, 59.5, 5.25, 12.34f), 'B');
        m.w.listModel().flush();
        m.w.show();
        auto* grid = Child<QTableView>(m.w, "fgAISTargets");
        const QPoint row1 = grid->visualRect(grid->model()->index(0, 1)).center();
        const QPoint row2 = grid->visualRect(grid->model()->index(1, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, row1);
        QVERIFY(!m.w.extraInfoWindows().isOpen(1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2);
        targets::FrmAISExtraInfo* w = m.w.extraInfoWindows().window(2);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->valueText("framePositionReport_SOG"), QString("12.3"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 0, 2), QString("2"));
        QCOMPARE(cell(w, "hfgMsgStatistics2", 0, 0), QString("2"));

        // The same row again: the same window, no second one.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2);
        QCOMPARE(m.w.extraInfoWindows().window(2), w);
        const QWidgetList all = QApplication::topLevelWidgets();
        const auto extra = [](QWidget* t) { return t->objectName() == "frmAISExtraInfo" && t->isVisible(); };
        QCOMPARE(std::count_if(all.begin(), all.end(), extra), 1);
    }

    void followsItsTargetOnTheTimer() {
        MainWindow m;
        m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
        m.feed(ClassAReport(257000002, 59.5, 5.25, 1.0f));
        m.w.showExtraInfo(1);
        targets::FrmAISExtraInfo* w = m.w.extraInfoWindows().window(1);
        QVERIFY(w);
        // Another target's message does not touch this window.
        m.feed(ClassAReport(257000002, 59.6, 5.25, 3.0f));
        QVERIFY(!w->refreshTimer()->isActive());
        // A burst for its own target: one refresh shows the last of it.
        for (float sog : {4.0f, 5.0f, 6.5f}) m.feed(ClassAReport(257000001, 59.5, 5.25, sog));
        QVERIFY(w->refreshTimer()->isActive());
        QTRY_COMPARE(w->valueText("framePositionReport_SOG"), QString("6.5"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 0, 2), QString("4"));
        // The name arrives: the caption changes to it.
        const QString unnamed = w->windowTitle();
        m.feed(StaticData(257000001, "NORDIC STAR", "LABC"));
        QTRY_VERIFY(w->windowTitle() != unnamed);
        QVERIFY(w->windowTitle().startsWith("NORDIC STAR"));
        QCOMPARE(w->valueText("frameStaticVoyageReport_Destination"), QString("BERGEN"));
    }

    void classesShowTheirFrames() {
        MainWindow m;
        m.feed(ClassBReport(257000009, 59.1, 5.1, 6.0f));
        ais::AtoNReport a;
        a.MessageID = 21, a.MMSI = 992570001, a.Name = "WEST BUOY", a.Latitude = 59.3, a.Longitude = 5.3;
        m.feed(a);
        const std::pair<int, QStringList> shown[] = {
            {1, {"frameClassB", "frameClassB2", "frameMessage24A", "frameCommState"}}, {2, {"frameAtoNreport"}}};
        const QStringList all = {"framePositionReport", "frameStaticVoyageReport", "frameClassB", "frameClassB2",
                                 "frameMessage24A", "frameCommState", "frameAtoNreport"};
        for (const auto& [entry, frames] : shown) {
            m.w.showExtraInfo(entry);
            targets::FrmAISExtraInfo* w = m.w.extraInfoWindows().window(entry);
            QVERIFY(w);
            for (const QString& f : all) QVERIFY2(frameShown(w, f) == frames.contains(f), qPrintable(f));
        }
    }

    // The flag shows; a named pipe in its place (which would block a reader
    // for good) is passed over at once. Other non-files: base's text file test.
    void flagIconsOnlyFromRegularFiles_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("icon") << false;
        QTest::newRow("named pipe") << true;
    }
    void flagIconsOnlyFromRegularFiles() {
        QFETCH(bool, pipe);
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

    void closingFreesTheTargetAndTheMainWindowClosesThem() {
        QPointer<targets::FrmAISExtraInfo> w;
        {
            MainWindow m;
            m.feed(ClassAReport(257000001, 59.5, 5.25, 1.0f));
            m.w.showExtraInfo(1);
            w = m.w.extraInfoWindows().window(1);
            QVERIFY(w);
            w->close();
            QTRY_VERIFY(w.isNull());
            QVERIFY(!m.w.extraInfoWindows().isOpen(1));
            // Messages for a target without a window are fine; it opens afresh.
            m.feed(ClassAReport(257000001, 59.5, 5.25, 2.0f));
            m.w.showExtraInfo(1);
            w = m.w.extraInfoWindows().window(1);
            QCOMPARE(w->valueText("framePositionReport_SOG"), QString("2.0"));
        }
        QVERIFY(w.isNull());
    }
};

QTEST_MAIN(TestExtraInfoWindow)
#include "test_extra_info_window.moc"
