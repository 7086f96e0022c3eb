// The target list model in the main window: rows come in at the next flush,
// a message changes exactly its row, sorting rewrites without a reset, the
// find box, Enter and Tab,
// checked throughout by QAbstractItemModelTester.
#include "windows/targets/extra_info_window.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

using Fixture = ListFixture;

// Top row, left column, bottom row, right column of a dataChanged signal.
QList<int> span(const QList<QVariant>& signal) {
    const QModelIndex a = signal[0].toModelIndex(), b = signal[1].toModelIndex();
    return {a.row(), a.column(), b.row(), b.column()};
}

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
            if (messageLast) {
                model.RefreshTargetList();
                model.UpdateTargetRow(entry);
                model.flush();
            } else {
                model.UpdateTargetRow(entry);
                model.flush();
                model.RefreshTargetList();
            }
            QCOMPARE(model.rowText(0).cells[targets::kColLat], std::string(messageLast ? "n/a" : ""));
        }
    }

};

QTEST_MAIN(TestTargetListModel)
#include "test_target_list_model.moc"
