// The target list model over a receiver fed with encoded sentences.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include "app/receiver.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "targets/target_list_model.h"
#include "targets/target_sort.h"

using testing_support::ClassAReport;
using testing_support::Join;
using testing_support::Sentences;

namespace {

// Forwards row events to the model, as the main window does.
class ModelEvents : public testing_support::RecordingEvents {
public:
    targets::TargetListModel* model = nullptr;
    void targetChangedByMessage(int entry) override {
        RecordingEvents::targetChangedByMessage(entry);
        if (model) model->UpdateTargetRow(entry);
    }
};

struct Fixture {
    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9)};
    ModelEvents events;
    app::Receiver rx{clock, events};
    targets::TargetListModel model{rx.targets(), rx.state()};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    Fixture() { events.model = &model; }
    void feed(int32_t mmsi, float sog, double lat = 59.5) {
        rx.receive(input::InputKind::Tcp, Join(Sentences(ClassAReport(mmsi, lat, 5.25, sog))));
    }
    QString cell(int row, int column) const { return model.index(row, column).data().toString(); }
};

}  // namespace

class TestTargetListModel : public QObject {
    Q_OBJECT
private slots:
    void titlesAndEmptyStart() {
        Fixture f;
        QCOMPARE(f.model.rowCount(), 0);
        QCOMPARE(f.model.columnCount(), 13);
        const char* titles[13] = {"No",    " MMSI", " Name",         "  Lat",   "  Lon",  "  SOG", "  COG",
                                  "  HDG", "  ROT", "Class", "Time last msg", "NoOfMsg", "STATUS"};
        for (int c = 0; c < 13; ++c) QCOMPARE(f.model.headerData(c, Qt::Horizontal).toString(), QString(titles[c]));
        f.rx.state().ReferenceMode = 2;
        QSignalSpy header(&f.model, &QAbstractItemModel::headerDataChanged);
        f.model.referenceModeChanged();
        QCOMPARE(header.count(), 1);
        QCOMPARE(f.model.headerData(3, Qt::Horizontal).toString(), QString("  Range(or Lat)"));
        QCOMPARE(f.model.headerData(4, Qt::Horizontal).toString(), QString("  Bearing(or Lon)"));
    }

    void newTargetsAppearAtTheNextFlushNumberedInColumnZero() {
        Fixture f;
        QSignalSpy inserted(&f.model, &QAbstractItemModel::rowsInserted);
        f.feed(257000001, 12.3f);
        f.feed(257000002, 4.0f);
        QCOMPARE(f.model.rowCount(), 0);
        QVERIFY(f.model.flushTimer()->isActive());
        f.model.flush();
        QCOMPARE(inserted.count(), 1);  // both rows in one insertion
        QCOMPARE(f.model.rowCount(), 2);
        QCOMPARE(f.cell(0, 0), QString("1"));
        QCOMPARE(f.cell(1, 0), QString("2"));
        QCOMPARE(f.cell(0, 1), QString("257000001"));
        QCOMPARE(f.cell(0, 5), QString("    12.3"));
        QCOMPARE(f.cell(0, 10), QString("06 Dec 14:05:09"));
        QCOMPARE(f.cell(0, 12), QString("NEW"));
    }

    void aMessageChangesExactlyItsRowOncePerTick() {
        Fixture f;
        for (int i = 1; i <= 5; ++i) f.feed(257000000 + i, 1.0f * i);
        f.model.flush();
        QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
        // A burst for one target: one signal, for its row only.
        for (int k = 0; k < 20; ++k) f.feed(257000003, 7.5f);
        f.model.flush();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 2);
        QCOMPARE(changed[0][1].toModelIndex().row(), 2);
        QCOMPARE(changed[0][0].toModelIndex().column(), 0);
        QCOMPARE(changed[0][1].toModelIndex().column(), 12);
        QCOMPARE(f.cell(2, 5), QString("    7.5"));
        QCOMPARE(f.cell(2, 11), QString("21"));
        QCOMPARE(reset.count(), 0);
        // Nothing pending: no signal.
        f.model.flush();
        QCOMPARE(changed.count(), 1);
    }

    void twoTargetsInOneTickGiveOneSignalOverTheirRange() {
        Fixture f;
        for (int i = 1; i <= 6; ++i) f.feed(257000000 + i, 1.0f);
        f.model.flush();
        QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
        f.feed(257000005, 2.0f);
        f.feed(257000002, 2.0f);
        f.model.flush();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1);
        QCOMPARE(changed[0][1].toModelIndex().row(), 4);
    }

    void ageingRewritesOnlyTheStatusCell() {
        Fixture f;
        f.rx.receive(input::InputKind::Tcp, Join(Sentences(testing_support::StaticData(257000009, "BLUE HERON", "LABC"))));
        f.model.flush();
        QCOMPARE(f.cell(0, 3), QString("n/a"));
        f.model.RefreshTargetList();
        QCOMPARE(f.cell(0, 3), QString(""));  // a full rewrite leaves no-position cells empty
        f.rx.targets().entry(1).Status = targets::TargetStatus::Old;
        f.model.UpdateStatusCell(1);
        f.model.flush();
        QCOMPARE(f.cell(0, 12), QString("OLD"));
        QCOMPARE(f.cell(0, 3), QString(""));
    }

    void sortingAndRefreshMoveRowsWithoutReset() {
        Fixture f;
        f.feed(257000001, 9.0f);
        f.feed(257000002, 3.0f);
        f.feed(257000003, 6.0f);
        f.model.flush();
        QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
        targets::SortTargets(f.rx.targets(), targets::kColSOG, false, 0);
        f.model.RefreshTargetList();
        QCOMPARE(reset.count(), 0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.cell(0, 1), QString("257000002"));
        QCOMPARE(f.cell(1, 1), QString("257000003"));
        QCOMPARE(f.cell(2, 1), QString("257000001"));
        QCOMPARE(f.cell(0, 0), QString("1"));  // the row number stays with the row
        QCOMPARE(f.cell(0, 12), QString(""));  // sorting ends "NEW"
        // A message for a moved target rewrites the row it now stands in.
        f.feed(257000001, 1.0f);
        f.model.flush();
        QCOMPARE(f.cell(2, 5), QString("    1.0"));
        // A new target after a sort comes in at the bottom.
        f.feed(257000004, 2.0f);
        f.model.flush();
        QCOMPARE(f.model.rowCount(), 4);
        QCOMPARE(f.cell(3, 1), QString("257000004"));
        QCOMPARE(f.cell(3, 0), QString("4"));
    }

    void ownShipNameIsBlue() {
        Fixture f;
        f.rx.receive(input::InputKind::Tcp, Join(Sentences(ClassAReport(257999999, 59.5, 5.25, 1.0f), 'A', true)));
        f.model.flush();
        QCOMPARE(f.model.index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
        QVERIFY(f.cell(0, 2).endsWith(" (Own ship)"));
        QVERIFY(!f.model.index(0, 1).data(Qt::ForegroundRole).isValid());
    }
};

QTEST_MAIN(TestTargetListModel)
#include "test_target_list_model.moc"
