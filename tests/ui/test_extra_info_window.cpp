// The extended information window: opened by a click on a list row, filled
// from the target, one window per target; its flag read from regular files only.
#include <sys/stat.h>

#include "windows/targets/extra_info_window.h"
#include "window_fixture.h"

using namespace testing_support;

class TestExtraInfoWindow : public QObject {
    Q_OBJECT
private slots:
    void aClickOnARowOpensItsFilledWindowOnce() {
        MainWindow m;
        m.w.load(false);
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

};

QTEST_MAIN(TestExtraInfoWindow)
#include "test_extra_info_window.moc"
