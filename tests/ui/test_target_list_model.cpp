// The target list model in the main window: rows come in at the next flush,
// a message changes exactly its row, sorting and ageing rewrite without a
// reset, checked throughout by QAbstractItemModelTester.
#include "targets/extra_info_window.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

using Fixture = ListFixture;

int rowOf(const QList<QVariant>& signal, int i) { return signal[i].toModelIndex().row(); }
int columnOf(const QList<QVariant>& signal, int i) { return signal[i].toModelIndex().column(); }

}  // namespace

class TestTargetListModel : public QObject {
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
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(f.model.rowCount(), 2);
        QCOMPARE(f.cell(1, 0), QString("2"));
        QCOMPARE(f.cell(0, 1), QString("257000001"));
        // The own ship's name is blue.
        QCOMPARE(f.model.index(1, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
        QVERIFY(!f.model.index(0, 2).data(Qt::ForegroundRole).isValid());
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
        QVERIFY(f.m.w.extraInfoWindows().isOpen(f.m.w.receiver().targets().DisplayOrder[size_t(heron + 1)]));

        Child<QWidget>(f.m.w, "optIncr_1")->setFocus(Qt::TabFocusReason);
        for (const char* next : {"cmdConnect", "txtFind", "fgAISTargets"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), Child<QWidget>(f.m.w, next));
        }
    }

    void messagesChangeTheirRowsOncePerTick() {
        Fixture f;
        for (int i = 1; i <= 6; ++i) f.feed(257000000 + i, 1.0f * i);
        f.model.flush();
        QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
        // A burst for one target: one signal, for its whole row only.
        for (int k = 0; k < 20; ++k) f.feed(257000003, 7.5f);
        f.model.flush();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(QList<int>({rowOf(changed[0], 0), rowOf(changed[0], 1)}), QList<int>({2, 2}));
        QCOMPARE(QList<int>({columnOf(changed[0], 0), columnOf(changed[0], 1)}), QList<int>({0, targets::kListColumns - 1}));
        QCOMPARE(f.cell(2, 11), QString("21"));
        // Nothing pending: no signal. Two targets in one tick: one signal over their range.
        f.model.flush();
        QCOMPARE(changed.count(), 1);
        f.feed(257000005, 2.0f);
        f.feed(257000002, 2.0f);
        f.model.flush();
        QCOMPARE(changed.count(), 2);
        QCOMPARE(QList<int>({rowOf(changed[1], 0), rowOf(changed[1], 1)}), QList<int>({1, 4}));
        QCOMPARE(reset.count(), 0);
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
        QCOMPARE(sortedBy->text(), QString("  SOG"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.cell(0, 1), QString("257000002"));
        QCOMPARE(f.cell(0, 0), QString("1"));  // the row number stays with the row
        Child<QRadioButton>(f.m.w, "optIncr_1")->click();
        QCOMPARE(f.cell(0, 1), QString("257000002"));
        f.clickHeader(targets::kColSOG);
        QCOMPARE(f.cell(0, 1), QString("257000001"));
        // A message for a moved target rewrites the row it now stands in.
        f.feed(257000001, 1.0f);
        f.model.flush();
        QCOMPARE(f.cell(0, targets::kColSOG).trimmed(), QString("1.0"));
        // A new target after a sort comes in at the bottom.
        f.feed(257000004, 2.0f);
        f.model.flush();
        QCOMPARE(f.cell(3, 1), QString("257000004"));
        f.clickHeader(targets::kColStatus);  // not a sort column
        QCOMPARE(sortedBy->text(), QString("  SOG"));
        f.clickHeader(targets::kColNo);
        QCOMPARE(sortedBy->text(), QString("Unsorted"));
        QCOMPARE(reset.count(), 0);
        // Another reference mode renames the position columns.
        QSignalSpy header(&f.model, &QAbstractItemModel::headerDataChanged);
        Child<QRadioButton>(f.m.w, "optRefPos_2")->click();
        QVERIFY(header.count() >= 1);
        QCOMPARE(f.model.headerData(targets::kColLat, Qt::Horizontal).toString(),
                 QString(targets::ListTitle(targets::kColLat, targets::kRefManual)));
    }

    // The status timer ages the targets; only the STATUS cell is rewritten.
    void ageingRewritesOnlyTheStatusCell() {
        Fixture f;
        f.m.feed(StaticData(257000009, "BLUE HERON", "LABC"));
        f.model.flush();
        f.clickHeader(targets::kColNo);  // a full rewrite leaves no-position cells empty
        QCOMPARE(f.cell(0, targets::kColLat), QString(""));
        f.clock.advance(120);
        Child<QTimer>(f.m.w, "timerAIS_Status")->setInterval(5);
        QTRY_COMPARE_WITH_TIMEOUT(f.cell(0, targets::kColStatus), QString("OLD"), 5000);
        QCOMPARE(f.cell(0, targets::kColLat), QString(""));
    }
};

QTEST_MAIN(TestTargetListModel)
#include "test_target_list_model.moc"
