// The watch's panels in the main window: the dangerous targets listed by
// TCPA with a click selecting the row, Options > Keep sorted, and the signs
// of life of a recording and a play back.
#include <QComboBox>
#include <QDateTime>
#include <QDockWidget>
#include <QFile>
#include <QSlider>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

#include "station/transports/station_transport.h"
#include "sentence/tag_block.h"

#include "app/dangerous_panel_window.h"
#include "plot/plot_state.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

// Heading south towards the own ship at 59.5 N, which steams north at 10 kn.
ais::PositionReport Closing(int32_t mmsi, double lat) {
    auto r = ClassAReport(mmsi, lat, 5.25, 10.0f);
    r.COG = 180;
    return r;
}

QStringList Column(const QTableWidget& t, int column) {
    QStringList out;
    for (int r = 0; r < t.rowCount(); ++r) out << t.item(r, column)->text();
    return out;
}


}  // namespace

class TestWatchPanels : public QObject {
    Q_OBJECT
private slots:
    void dangerousPanelListsByTCPAAndAClickSelectsTheRow() {
        ListFixture f;
        auto own = ClassAReport(257999999, 59.5, 5.25, 10.0f);
        own.COG = 0;
        f.m.feed(own, 'A', true);
        f.m.feed(Closing(257000001, 59.55));  // 3 nm: TCPA 9 min
        f.m.feed(Closing(257000002, 59.53));  // 1.8 nm: 5.4 min
        f.m.feed(Closing(257000003, 59.54));  // 2.4 nm: 7.2 min
        f.m.feed(Closing(257000004, 59.80));  // 18 nm: beyond every limit
        f.m.w.show();
        auto* panel = Child<QDockWidget>(f.m.w, "dockDangerous");
        QVERIFY(panel->isVisible());
        auto* table = Child<QTableWidget>(*panel, "tblDangerous");
        // Written at the once-a-second pass, not by the messages.
        QCOMPARE(table->rowCount(), 0);
        QTRY_COMPARE(table->rowCount(), 3);
        QCOMPARE(Column(*table, 0), QStringList({"257000002", "257000003", "257000001"}));

        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(1, 0)).center());
        auto* list = Child<QTableView>(f.m.w, "fgAISTargets");
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(f.cell(rows[0].row(), targets::kColMMSI), QString("257000003"));
        const int entry = f.m.w.receiver().targets().FindTarget(257000003, 1);
        QCOMPARE(f.m.w.plot().state().selectedEntry, entry);
        // The panel's own selection follows its target through a re-order.
        f.m.feed(Closing(257000003, 59.52));
        QTRY_COMPARE(Column(*table, 0).first(), QString("257000003"));
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 0);
    }

    // Without Keep sorted a sort is a snapshot; with it the list follows the
    // column once a second, the selected target stays selected and NEW stays.
    void keepSortedFollowsTheColumnKeepingSelectionAndNewMarks() {
        TempDir dir;
        ui::SettingsStore store(QString::fromStdString((dir / "Orvanta.conf").string()));
        base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9)};
        MainWindow m(&store, &clock);
        m.w.load(false);
        auto& model = m.w.listModel();
        auto mmsis = [&model] {
            QStringList out;
            for (int r = 0; r < model.rowCount(); ++r) out << model.index(r, targets::kColMMSI).data().toString();
            return out;
        };
        m.feed(ClassAReport(257000001, 59.5, 5.25, 5.0f));
        m.feed(ClassAReport(257000002, 59.5, 5.25, 8.0f));
        m.feed(ClassAReport(257000003, 59.5, 5.25, 12.0f));
        model.flush();
        auto* list = Child<QTableView>(m.w, "fgAISTargets");
        emit list->horizontalHeader()->sectionClicked(targets::kColSOG);
        QCOMPARE(mmsis(), QStringList({"257000001", "257000002", "257000003"}));
        m.feed(ClassAReport(257000003, 59.5, 5.25, 2.0f));
        QTest::qWait(1300);
        QCOMPARE(mmsis(), QStringList({"257000001", "257000002", "257000003"}));  // a snapshot

        auto* keep = Child<QAction>(m.w, "mnuOptionsKeepSorted");
        QVERIFY(!keep->isChecked());
        keep->trigger();
        list->selectRow(1);  // 257000002
        m.feed(ClassAReport(257000004, 59.5, 5.25, 1.0f));  // a NEW one
        QTRY_COMPARE(mmsis(), QStringList({"257000004", "257000003", "257000001", "257000002"}));
        QCOMPARE(model.index(0, targets::kColStatus).data().toString(), QString("NEW"));
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].row(), 3);
        // Kept for the next run.
        MainWindow again(&store, &clock);
        again.w.load(false);
        QVERIFY(Child<QAction>(again.w, "mnuOptionsKeepSorted")->isChecked());
    }

    // "REC hh:mm:ss · size" while recording, gone when it stops.
    void recordingShowsItsTimeAndSize() {
        QTemporaryDir dir;
        MainWindow m;
        auto* label = Child<QLabel>(m.w, "lblStationActivity");
        QVERIFY(label->isHidden());
        QVERIFY(m.w.startRecording(dir.filePath("rec.nmea")));
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), QString::fromUtf8("REC 00:00:00 \u00B7 0 B"));
        const std::string line = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 8.0f)));
        for (int i = 0; i < 30; ++i) m.w.receiver().takeBytes(app::Receiver::kMainInput, line);
        QTRY_VERIFY(label->text().endsWith(" kB"));
        m.w.stopRecording();
        QVERIFY(label->isHidden());
    }

    // The play back bar: time of day and progress of the feed, pause, and a
    // seek that goes on at the line after the slider's place, no line between.
    void playbackBarShowsProgressPausesAndSeeks() {
        QTemporaryDir dir;
        const QString path = dir.filePath("feed.nmea");
        const int64_t start = 1796650000;  // 2026-12-07, UNIX seconds
        std::string text;
        std::vector<size_t> offsets;
        for (int i = 0; i < 200; ++i) {
            offsets.push_back(text.size());
            text += input::FormatTagBlock("", start + i) + Join(Sentences(ClassAReport(257000000 + i, 59.5, 5.25, 8.0f)));
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        f.close();
        MainWindow m;
        auto* bar = Child<QToolBar>(m.w, "tbPlayback");
        QVERIFY(bar->isHidden());
        QVERIFY(m.w.startPlayback(path, 1));
        QVERIFY(!bar->isHidden());
        const auto timeOfDay = [](int64_t t) { return QDateTime::fromSecsSinceEpoch(t).time().toString("hh:mm:ss"); };
        QCOMPARE(Child<QLabel>(*bar, "lblPlaybackTime")->text(), timeOfDay(start));
        Child<QToolButton>(*bar, "cmdPlaybackPause")->click();
        QVERIFY(m.w.station().playbackPaused());
        auto* status = Child<QLabel>(m.w, "lblStationActivity");
        QVERIFY2(status->text().startsWith(QString::fromUtf8("Paused \u2014 ") + timeOfDay(start)), qPrintable(status->text()));

        Child<QSlider>(*bar, "sldPlayback")->setValue(500);
        const double fraction = m.w.station().playbackFraction();
        QVERIFY2(fraction > 0.49 && fraction < 0.51, qPrintable(QString::number(fraction)));
        QCOMPARE(Child<QLabel>(*bar, "lblPlaybackProgress")->text(), QString("%1 %").arg(int(fraction * 100)));
        // The first whole line after the middle of the file comes next.
        const size_t middle = text.size() / 2;
        const int next = static_cast<int>(std::lower_bound(offsets.begin(), offsets.end(), middle) - offsets.begin());
        auto& table = m.w.receiver().targets();
        Child<QToolButton>(*bar, "cmdPlaybackPause")->click();
        QVERIFY(!m.w.station().playbackPaused());
        QTRY_VERIFY(table.FindTarget(257000000 + next, 1) != 0);
        QCOMPARE(table.FindTarget(257000000 + next - 1, 1), 0);
        QCOMPARE(table.TargetCount(), int16_t(2));  // line 0 before the pause, then `next`
        QTRY_VERIFY2(status->text().startsWith(QString::fromUtf8("Playing 1\u00D7 \u2014 ")), qPrintable(status->text()));

        // Speed from the bar is the menu's choice.
        auto* speed = Child<QComboBox>(*bar, "cboPlaybackSpeed");
        speed->setCurrentIndex(3);
        emit speed->activated(3);
        QCOMPARE(m.w.station().playbackSpeed(), 0.0);
        QVERIFY(Child<QAction>(m.w, "mnuFilePlaybackSpeed_0")->isChecked());
        QTRY_VERIFY(!m.w.station().playing());
        QVERIFY(bar->isHidden());
    }
};

QTEST_MAIN(TestWatchPanels)
#include "test_watch_panels.moc"
