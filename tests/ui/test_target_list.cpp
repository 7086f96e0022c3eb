// The target list in the main window, checked throughout by
// QAbstractItemModelTester: flushes, sorting, the find box and keys, and the
// watch (lost, removed and dangerous stations, alarms, the dangerous panel).
#include <QDialog>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "app/dangerous_panel_window.h"
#include "plot/plot_state.h"
#include "windows/targets/extra_info_window.h"
#include "windows/targets/list_cell_delegate.h"
#include "windows/targets/list_cells_view.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

using Fixture = ListFixture;

// Top row, left column, bottom row, right column of a dataChanged signal.
QList<int> span(const QList<QVariant>& signal) {
    const QModelIndex a = signal[0].toModelIndex(), b = signal[1].toModelIndex();
    return {a.row(), a.column(), b.row(), b.column()};
}

// The list as it paints itself onto an image of the given pixel ratio.
QImage Painted(QTableView& view, qreal ratio) {
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    view.render(&image);
    return image;
}

QStringList Column(const QTableWidget& t, int column) {
    QStringList out;
    for (int r = 0; r < t.rowCount(); ++r) out << t.item(r, column)->text();
    return out;
}

}  // namespace

class TestTargetList : public QObject {
    Q_OBJECT
private slots:
    void newTargetsComeInTogetherAtTheNextFlush() {
        Fixture f;
        QSignalSpy inserted(&f.model, &QAbstractItemModel::rowsInserted);
        f.feed(257000001, 12.3f);
        f.m.feed(ClassAReport(257999999, 59.5, 5.25, 1.0f), 'A', true);
        QCOMPARE(f.model.rowCount(), 0);
        QVERIFY(f.model.flushTimer()->isActive());
        f.model.flush();
        QCOMPARE(std::pair(int(inserted.count()), f.model.rowCount()), std::pair(1, 2));
        QCOMPARE(f.mmsiColumn(), QStringList({"257000001", "257999999"}));
    }

    // The find box (Ctrl+F) hides rows without changing the table; Enter on a
    // row opens its details; Tab follows the layout.
    void findEnterAndTab() {
        Fixture f;
        f.feed(257000001);
        f.m.feed(StaticData(211000002, "BLUE HERON", "LABC"));
        f.model.flush();
        f.m.w.show();
        QApplication::setActiveWindow(&f.m.w);
        QVERIFY(QTest::qWaitForWindowActive(&f.m.w));
        auto* list = Child<QTableView>(f.m.w, "fgAISTargets");
        auto* find = Child<QLineEdit>(f.m.w, "txtFind");
        QTest::keySequence(&f.m.w, QKeySequence::Find);
        QVERIFY(find->hasFocus());
        const int heron = f.mmsiColumn().indexOf("211000002");
        for (const auto& [typed, hidden] : {std::pair{"heron", 1 - heron}, {" labc", 1 - heron}, {"2570", heron}}) {
            find->setText(typed);
            QVERIFY(list->isRowHidden(hidden) && !list->isRowHidden(1 - hidden));
        }
        find->clear();
        QVERIFY(!list->isRowHidden(0) && !list->isRowHidden(1));
        QCOMPARE(f.model.rowCount(), 2);

        list->setFocus();
        list->setCurrentIndex(f.model.index(heron, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(f.m.w.extraInfoWindows().isOpen(f.m.w.receiver().targets().DisplayOrder()[size_t(heron + 1)]));

        Child<QWidget>(f.m.w, "optIncr_1")->setFocus(Qt::TabFocusReason);
        for (const char* next : {"cmdConnect", "txtFind", "fgAISTargets"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), Child<QWidget>(f.m.w, next));
        }
    }

    // Messages change their rows once per tick. Then, shown and told that rows
    // changed, the list repaints exactly the cells on screen whose text or
    // colour differs from what they showed (counted from the rows as they are).
    void messagesChangeTheirRowsOncePerTickAndOnlyChangedCellsArePainted() {
        Fixture f;
        for (int i = 1; i <= 6; ++i) f.feed(257000000 + i, 1.0f * i);
        f.model.flush();
        QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
        // A burst for one target: one signal, for its whole row only.
        for (int k = 0; k < 20; ++k) f.feed(257000003, 7.5f);
        f.model.flush();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(span(changed[0]), QList<int>({2, 0, 2, targets::kListColumns - 1}));
        QCOMPARE(f.cell(2, 11), QString("21"));
        // Nothing pending: no signal. Targets in one tick: one signal for each
        // run of neighbouring rows, so the view repaints only rows that changed.
        f.model.flush();
        QCOMPARE(changed.count(), 1);
        for (int mmsi : {257000005, 257000002, 257000006}) f.feed(mmsi, 2.0f);
        f.model.flush();
        QCOMPARE(changed.count(), 3);
        QCOMPARE(span(changed[1]), QList<int>({1, 0, 1, targets::kListColumns - 1}));
        QCOMPARE(span(changed[2]), QList<int>({4, 0, 5, targets::kListColumns - 1}));
        QCOMPARE(reset.count(), 0);

        f.m.w.resize(2400, 700);  // every column on screen
        f.m.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.m.w));
        auto* list = qobject_cast<targets::ListCellsView*>(Child<QTableView>(f.m.w, "fgAISTargets"));
        QVERIFY(list);
        const targets::ListCellDelegate& cells = list->cellDelegate();
        const auto settle = [&] {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents();
            QTest::qWait(20);
        };
        const auto rowTexts = [&](int row) {
            QStringList out;
            for (int c = 0; c < targets::kListColumns; ++c) out << f.cell(row, c);
            return out;
        };
        const auto differing = [](const QStringList& a, const QStringList& b) {
            int n = 0;
            for (int c = 0; c < a.size(); ++c) n += a[c] != b[c];
            return n;
        };
        struct Case {
            const char* what;
            std::function<int()> change;  // returns the cells that must be painted
        };
        const int third = f.m.w.receiver().targets().FindTarget(257000003, 1);
        const Case cases[] = {
            {"every row told, none changed", [&] { f.model.RowsReordered(); return 0; }},
            {"one speed changed", [&] {
                 const QStringList before = rowTexts(2);
                 f.clock.advance(1);
                 f.feed(257000003, 9.5f);
                 f.model.flush();
                 return differing(before, rowTexts(2));
             }},
            {"row told again, as shown", [&] { f.model.UpdateTargetRow(third); f.model.flush(); return 0; }},
        };
        settle();
        for (const Case& c : cases) {
            const int painted = cells.cellsPainted();
            const int expected = c.change();
            settle();
            const int got = cells.cellsPainted() - painted;
            QVERIFY2(got == expected,
                     qPrintable(QString("%1: %2 painted, %3 expected").arg(c.what).arg(got).arg(expected)));
        }
    }

    // Rows owe their writes until they are read. Stations leaving the table
    // take their rows out: what the remaining rows owe goes with them, through
    // row-by-row removal (few runs) and through one reset (many runs).
    void rowsLeavingKeepWhatTheOthersOwe() {
        for (const int stations : {40, 80}) {
            Fixture f;
            f.m.w.receiver().targets().setLifecycle({360, 1080, 1800, 200, 60});
            for (int i = 1; i <= stations; ++i) f.feed(257000000 + i, 1.0f);
            f.model.flush();
            for (int r = 0; r < stations; ++r) QCOMPARE(f.cell(r, targets::kColSOG).trimmed(), QString("1.0"));
            f.clock.advance(1800);
            for (int i = 2; i <= stations; i += 2) f.feed(257000000 + i, 20.0f);
            f.model.flush();  // the even rows owe a new speed, not read yet
            f.age(50);        // the odd stations leave; nothing new for the even ones
            QCOMPARE(f.model.rowCount(), stations / 2);
            for (int r = 0; r < stations / 2; ++r) {
                QCOMPARE(f.cell(r, targets::kColMMSI), QString::number(257000000 + 2 * (r + 1)));
                QCOMPARE(f.cell(r, targets::kColSOG).trimmed(), QString("20.0"));
            }
        }
    }

    // A full rewrite and a message write differ for a station without a
    // position ("" against "n/a"); a row owing both, unread, shows the later.
    // (A model of its own: nothing reads its rows between the writes.)
    void aRowOwingTwoWritesShowsTheLater() {
        for (const bool messageLast : {false, true}) {
            Fixture f;
            f.m.feed(StaticData(211000002, "BLUE HERON", "LABC"));
            app::Receiver& rx = f.m.w.receiver();
            targets::TargetListModel model(rx.targets(), rx.reference());
            model.flush();
            QCOMPARE(model.rowText(0).cells[targets::kColLat], std::string("n/a"));
            const int entry = rx.targets().DisplayOrder()[1];
            if (messageLast) model.RefreshTargetList();
            model.UpdateTargetRow(entry);
            model.flush();
            if (!messageLast) model.RefreshTargetList();
            QCOMPARE(model.rowText(0).cells[targets::kColLat], std::string(messageLast ? "n/a" : ""));
        }
    }

    // A header click sorts (in the order chosen at the time of the click) and
    // rewrites the rows in place; the first column unsorts.
    void headerClickSortsWithoutReset() {
        Fixture f;
        for (auto [mmsi, sog] : {std::pair{257000001, 9.0f}, {257000002, 3.0f}, {257000003, 6.0f}}) f.feed(mmsi, sog);
        f.model.flush();
        QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
        auto* sortedBy = Child<QLabel>(f.m.w, "lblSortedBy");
        f.clickHeader(targets::kColSOG);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.mmsiColumn(), QStringList({"257000002", "257000003", "257000001"}));
        QCOMPARE(f.cell(0, 0), QString("1"));  // the row number stays with the row
        Child<QRadioButton>(f.m.w, "optIncr_1")->click();
        f.clickHeader(targets::kColSOG);
        QCOMPARE(f.mmsiColumn(), QStringList({"257000001", "257000003", "257000002"}));
        // A message for a moved target rewrites the row it now stands in.
        f.feed(257000001, 1.0f);
        f.model.flush();
        QCOMPARE(f.cell(0, targets::kColSOG).trimmed(), QString("1.0"));
        f.clickHeader(targets::kColStatus);  // not a sort column
        QCOMPARE(sortedBy->text(), QString("  SOG"));
        f.clickHeader(targets::kColNo);
        QCOMPARE(sortedBy->text(), QString("Unsorted"));
        QCOMPARE(reset.count(), 0);
    }

    // Without Keep sorted a sort is a snapshot; with it the list follows the
    // column once a second, the selected target stays selected and NEW stays.
    // The guard zone chosen in Options > Collision alarm is kept with the
    // other alarm settings (no own ship here: it marks no row dangerous).
    // Both hold in the next run.
    void keepSortedAndTheGuardZoneHoldAcrossARestart() {
        StoredSettings settings;
        Fixture f(&settings.store);
        for (auto [mmsi, sog] : {std::pair{257000001, 5.0f}, {257000002, 8.0f}, {257000003, 12.0f}}) f.feed(mmsi, sog);
        f.model.flush();
        f.clickHeader(targets::kColSOG);
        QCOMPARE(f.mmsiColumn(), QStringList({"257000001", "257000002", "257000003"}));
        f.feed(257000003, 2.0f);
        QTest::qWait(1300);
        QCOMPARE(f.mmsiColumn(), QStringList({"257000001", "257000002", "257000003"}));  // a snapshot

        auto* keep = Child<QAction>(f.m.w, "mnuOptionsKeepSorted");
        QVERIFY(!keep->isChecked());
        keep->trigger();
        auto* list = Child<QTableView>(f.m.w, "fgAISTargets");
        list->selectRow(1);  // 257000002
        f.feed(257000004, 1.0f);  // a NEW one
        QTRY_COMPARE(f.mmsiColumn(), QStringList({"257000004", "257000003", "257000001", "257000002"}));
        QCOMPARE(f.cell(0, targets::kColStatus), QString("NEW"));
        QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList({list->model()->index(3, 0)}));
        QTimer::singleShot(0, [] {
            QWidget* d = QApplication::activeModalWidget();
            Child<QDoubleSpinBox>(*d, "txtGuardZone")->setValue(0.8);
            qobject_cast<QDialog*>(d)->accept();
        });
        Child<QAction>(f.m.w, "mnuOptionsCollisionAlarm")->trigger();
        QCOMPARE(f.m.w.receiver().alarmSettings().guardZone, 0.8);
        LoadedWindow again(&settings.store);
        QVERIFY(Child<QAction>(again.w, "mnuOptionsKeepSorted")->isChecked());
        QCOMPARE(again.w.receiver().alarmSettings().guardZone, 0.8);
    }

    // The list's cells look exactly as the standard delegate paints them, in
    // grey, selected, with a name cut short, at both pixel ratios; and a
    // repaint lays out no text again. Then the lost targets leave (painting
    // changes no row).
    void cellsPaintAsTheStandardDelegateDoesAndLostTargetsLeave() {
        Fixture f;
        for (int i = 1; i <= 4; ++i) f.feed(257000000 + i);
        f.m.feed(StaticData(257000002, "NORDIC EXPLORER WITH A LONG NAME", "LABC"));
        f.m.feed(StaticData(257000003, "\u00c5SGARD \u00d8Y", "LABD"));
        f.model.flush();
        f.age(200);
        f.feed(257000002);
        f.feed(257000004);
        f.age(200);  // 1 and 3 silent for 400 s: lost, grey rows
        f.m.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.m.w));
        auto* list = Child<QTableView>(f.m.w, "fgAISTargets");
        auto* fast = qobject_cast<targets::ListCellDelegate*>(list->itemDelegate());
        QVERIFY(fast);
        QStyledItemDelegate standard;
        struct Case {
            const char* what;
            qreal ratio;
            int selectedRow;     // -1 none
            int nameWidth;       // 0 as fitted
        };
        const Case cases[] = {{"as fitted", 1, -1, 0},     {"selected", 1, 1, 0},  {"name cut short", 1, 1, 60},
                              {"twice the pixels", 2, 2, 0}, {"cut short, twice", 2, -1, 45}};
        for (const Case& c : cases) {
            list->clearSelection();
            if (c.selectedRow >= 0) list->selectRow(c.selectedRow);
            if (c.nameWidth > 0) list->setColumnWidth(targets::kColName, c.nameWidth);
            list->setItemDelegate(&standard);
            const QImage expected = Painted(*list, c.ratio);
            list->setItemDelegate(fast);
            const QImage first = Painted(*list, c.ratio);
            const int made = fast->layoutsMade();
            const QImage again = Painted(*list, c.ratio);
            QVERIFY2(first == expected, c.what);
            QVERIFY2(again == expected, c.what);
            QVERIFY2(fast->layoutsMade() == made, c.what);
        }
        QVERIFY(fast->layoutsMade() > 0);

        QCOMPARE(f.cell(0, targets::kColStatus), QString("LOST"));
        QCOMPARE(f.colour(0), QColor(128, 128, 128));
        QVERIFY(!f.model.index(1, targets::kColMMSI).data(Qt::ForegroundRole).isValid());
        QSignalSpy removed(&f.model, &QAbstractItemModel::rowsRemoved);
        f.age(1450);  // 1 and 3 silent for 1850 s: removed
        QCOMPARE(removed.count(), 2);
        QCOMPARE(Child<QLabel>(f.m.w, "lblNoOfTargets")->text(), QString("2"));
    }

    void detailWindowOfARemovedTargetSurvives() {
        Fixture f;
        f.feed(257000001);
        f.feed(257000002);
        f.model.flush();
        QPointer<targets::FrmAISExtraInfo> w(f.m.w.extraInfoWindows().open(1, 0));
        f.clock.advance(1000);
        f.feed(257000002);
        f.age(900);
        QVERIFY(w && w->removed());
        QVERIFY(Child<QLabel>(*w, "lblRemoved")->isVisible());
        // The freed number goes to a new station; the old window keeps what it showed.
        f.feed(366000001);
        w->refresh();
        QCOMPARE(Child<QLabel>(*w, "lblMMSI")->text(), QString("257000001"));
        targets::FrmAISExtraInfo* fresh = f.m.w.extraInfoWindows().open(1, 0);
        QVERIFY(fresh && fresh != w.data());
        QCOMPARE(Child<QLabel>(*fresh, "lblMMSI")->text(), QString("366000001"));
    }

    // A dangerous target turns its row red and sounds once. Silence stops the
    // sound for five minutes, not the alarm: the row stays red and the button
    // shown, another target becoming dangerous sounds; then the timer sounds
    // again until the operator acknowledges.
    void dangerousTargetAlarmsUntilAcknowledgedAndSilenceStopsOnlyTheSound() {
        Fixture f;
        f.ownShipNorth();
        f.m.feed(Closing(257000001, 59.55));
        f.m.feed(Closing(257000001, 59.55));
        f.model.flush();
        const QColor red(220, 0, 0);
        QCOMPARE(f.colour(1), red);
        QCOMPARE(f.m.w.watch().sounds(), 1);
        auto* button = Child<QPushButton>(f.m.w, "cmdAcknowledge");
        QVERIFY(!button->isHidden());
        auto* silence = Child<QAction>(f.m.w, "mnuOptionsSilenceAlarm");
        silence->trigger();
        Child<QTimer>(f.m.w, "timerAlarm")->start(5);
        QTest::qWait(40);
        QCOMPARE(f.m.w.watch().sounds(), 1);
        f.model.flush();
        QCOMPARE(f.colour(1), red);
        QVERIFY(!button->isHidden());
        f.m.feed(Closing(257000002, 59.55, 5.252));
        QVERIFY(f.m.w.watch().sounds() >= 2);
        silence->trigger();  // and it ends by itself after five minutes
        QTest::qWait(20);
        const int silent = f.m.w.watch().sounds();
        QTest::qWait(20);
        QCOMPARE(f.m.w.watch().sounds(), silent);
        f.clock.advance(301);
        const int sounded = f.m.w.watch().sounds();
        QTRY_VERIFY(f.m.w.watch().sounds() > sounded);
        button->click();
        QVERIFY(button->isHidden());
        const int acknowledged = f.m.w.watch().sounds();
        f.m.feed(Closing(257000001, 59.55));
        QTest::qWait(30);
        QCOMPARE(f.m.w.watch().sounds(), acknowledged);
    }

    // A first run (no setup file) checks checksums: panel 4 counts errors
    // instead of saying "n/a".
    void firstRunChecksChecksums() {
        TempDir dir;
        LoadedWindow m(dir.path());
        QCOMPARE(m.w.panelText(4), QString("0"));
        std::string damaged = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)));
        damaged[damaged.find(",A,") + 15] ^= 1;
        m.w.receiver().takeBytes(app::Receiver::kMainInput, damaged);
        QCOMPARE(m.w.panelText(4), QString("1"));
    }

    void dangerousPanelListsByTCPAAndAClickSelectsTheRow() {
        Fixture f;
        f.ownShipNorth();
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
        const QModelIndex row = list->model()->index(int(f.mmsiColumn().indexOf("257000003")), 0);
        QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList({row}));
        const int entry = f.m.w.receiver().targets().FindTarget(257000003, 1);
        QCOMPARE(f.m.w.plot().state().selectedEntry, entry);
        // The panel's own selection follows its target through a re-order.
        f.m.feed(Closing(257000003, 59.52));
        QTRY_COMPARE(Column(*table, 0).first(), QString("257000003"));
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 0);
    }
};

QTEST_MAIN(TestTargetList)
#include "test_target_list.moc"
