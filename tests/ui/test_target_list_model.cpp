// The target list model in the main window: rows come in at the next flush,
// a message changes exactly its row, sorting rewrites without a reset,
// checked throughout by QAbstractItemModelTester.
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
        // Nothing pending: no signal. Two targets in one tick: one signal over their range.
        f.model.flush();
        QCOMPARE(changed.count(), 1);
        f.feed(257000005, 2.0f);
        f.feed(257000002, 2.0f);
        f.model.flush();
        QCOMPARE(changed.count(), 2);
        QCOMPARE(span(changed[1]), QList<int>({1, 0, 4, targets::kListColumns - 1}));
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

};

QTEST_MAIN(TestTargetListModel)
#include "test_target_list_model.moc"
