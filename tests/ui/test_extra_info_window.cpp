#include <QGroupBox>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "app/frm_main_window.h"
#include "support/sample_sentences.h"
#include "targets/extra_info_window.h"
#include "targets/target_list_model.h"

using testing_support::Join;
using testing_support::Sentences;

namespace {

// A main window without modal boxes, fed through its receiver.
struct Main {
    base::RecordingMessageSink messages;
    app::FrmMain w;
    Main() {
        w.setMessageSink(&messages);
        w.load(false);
    }
    template <class Rec>
    void feed(const Rec& rec, char channel = 'A') {
        w.receiver().receive(input::InputKind::Tcp, Join(Sentences(rec, channel)));
    }
    targets::ExtraInfoWindows& windows() { return w.extraInfoWindows(); }
    targets::FrmAISExtraInfo* open(int entry) {
        w.showExtraInfo(entry);
        return windows().window(entry);
    }
};

QString value(targets::FrmAISExtraInfo* w, const char* name) {
    auto* l = w->findChild<QLabel*>(name);
    return l ? l->text() : QString("<no label %1>").arg(name);
}

QString cell(targets::FrmAISExtraInfo* w, const char* grid, int row, int column) {
    auto* g = w->findChild<QTableWidget*>(grid);
    return g && g->item(row, column) ? g->item(row, column)->text() : QString("<no cell>");
}

bool frameShown(targets::FrmAISExtraInfo* w, const char* name) {
    auto* f = w->findChild<QGroupBox*>(name);
    return f && f->isVisibleTo(w);
}

}  // namespace

class TestExtraInfoWindow : public QObject {
    Q_OBJECT
private slots:
    void aClickOnARowOpensItsWindowOnce() {
        Main m;
        m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 1.0f));
        m.feed(testing_support::ClassAReport(257000002, 59.5, 5.25, 12.34f));
        m.w.listModel().flush();
        m.w.show();
        auto* grid = m.w.findChild<QTableView*>("fgAISTargets");
        const QRect row2 = grid->visualRect(grid->model()->index(1, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
        targets::FrmAISExtraInfo* w = m.windows().window(2);
        QVERIFY(w && w->isVisible());
        QVERIFY(!m.windows().isOpen(1));
        QCOMPARE(w->windowTitle(), QString("  MMSI :257000002"));
        QCOMPARE(value(w, "lblMMSI"), QString("257000002"));
        QCOMPARE(value(w, "lblClass"), QString("Class A Vessel"));
        QCOMPARE(value(w, "framePositionReport_SOG"), QString("12.3"));
        QCOMPARE(value(w, "framePositionReport_Latitude"), QString("59°30'00.0\"N"));
        QCOMPARE(value(w, "framePositionReport_MsgCh"), QString("1 / A"));
        QCOMPARE(value(w, "frameStaticVoyageReport_Name"), QString("n/a"));

        // The same row again: the same window, no second one.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
        QCOMPARE(m.windows().window(2), w);
        const QWidgetList all = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(all.begin(), all.end(),
                               [](QWidget* t) { return qobject_cast<targets::FrmAISExtraInfo*>(t) && t->isVisible(); }),
                 1);
    }

    void statisticsOnOpening() {
        Main m;
        m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 1.0f, 5));
        m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 1.0f, 5), 'B');
        m.feed(testing_support::StaticData(257000001, "NORDIC STAR", "LABC"));
        auto* w = m.open(1);
        QCOMPARE(cell(w, "hfgMsgStatistics", 0, 0), QString("Msg1"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 0, 2), QString("2"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 0, 5), QString("180 sec"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 4, 2), QString("1"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 4, 4), QString(""));
        QCOMPARE(cell(w, "hfgMsgStatistics2", 0, 0), QString("3"));
        QCOMPARE(cell(w, "hfgMsgStatistics2", 0, 5), QString("2"));
        QCOMPARE(cell(w, "hfgMsgStatistics2", 0, 6), QString("1"));
        QCOMPARE(w->windowTitle(), QString("NORDIC STAR  "));
        QCOMPARE(value(w, "frameStaticVoyageReport_CallSign"), QString("LABC"));
        QCOMPARE(value(w, "frameStaticVoyageReport_Length"), QString("120"));
        // The last position report came on channel B: its frame holds the communication state.
        QCOMPARE(value(w, "framePositionReport_MsgCh"), QString("1 / B"));
        QCOMPARE(value(w, "frameChannel_1_SyncState"), QString("0"));
        QCOMPARE(value(w, "frameChannel_0_SyncState"), QString("n/a"));
    }

    void messagesOfItsTargetUpdateItOnTheTimer() {
        Main m;
        m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 1.0f));
        m.feed(testing_support::ClassAReport(257000002, 59.5, 5.25, 1.0f));
        auto* w = m.open(1);
        QVERIFY(!w->refreshTimer()->isActive());

        // Another target's message does not touch this window.
        m.feed(testing_support::ClassAReport(257000002, 59.6, 5.25, 3.0f));
        QVERIFY(!w->refreshTimer()->isActive());

        // A burst for its own target: one refresh shows the last of it.
        for (float sog : {4.0f, 5.0f, 6.5f}) m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, sog));
        QVERIFY(w->refreshTimer()->isActive());
        QCOMPARE(value(w, "framePositionReport_SOG"), QString("1.0"));
        QTRY_COMPARE(value(w, "framePositionReport_SOG"), QString("6.5"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 0, 2), QString("4"));
        QVERIFY(cell(w, "hfgMsgStatistics", 0, 4).endsWith(" s"));
        QCOMPARE(cell(w, "hfgMsgStatistics2", 0, 0), QString("4"));

        // The name arrives: the caption changes once, to the name.
        QCOMPARE(w->windowTitle(), QString("  MMSI :257000001"));
        m.feed(testing_support::StaticData(257000001, "NORDIC STAR", "LABC"));
        w->refresh();
        QCOMPARE(w->windowTitle(), QString("NORDIC STAR - Extended Info"));
        QCOMPARE(value(w, "frameStaticVoyageReport_Destination"), QString("BERGEN"));
        QCOMPARE(cell(w, "hfgMsgStatistics", 4, 2), QString("1"));
    }

    void classesShowTheirFrames_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        const QStringList classA = {"framePositionReport", "frameStaticVoyageReport", "frameSpecialReports"};
        QTest::newRow("base station") << 4 << QStringList{"frameBaseStation", "frameCommState"} << classA
                                      << "frameBaseStation_UTC" << "2026-03-06 12:30:05";
        QTest::newRow("SAR aircraft") << 9 << QStringList{"frameSARAircraft", "frameCommState"} << classA
                                      << "frameSARAircraft_Altitude" << "0300";
        QTest::newRow("class B") << 18
                                 << QStringList{"frameClassB", "frameClassB2", "frameMessage24A", "frameMessage24B"}
                                 << classA << "frameMessage24A_Name" << "LADY ANN";
        QTest::newRow("aid to navigation") << 21 << QStringList{"frameAtoNreport"}
                                           << (classA + QStringList{"frameCommState"}) << "frameAtoNreport_Virtual"
                                           << "YES";
    }

    void classesShowTheirFrames() {
        QFETCH(int, kind);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        QFETCH(QString, label);
        QFETCH(QString, text);
        Main m;
        const int32_t mmsi = kind == 4 ? 2579999 : kind == 9 ? 111257001 : kind == 21 ? 992570001 : 257000009;
        if (kind == 4) {
            ais::BaseStationReport b;
            b.MessageID = 4, b.MMSI = mmsi, b.UTCYear = 2026, b.UTCMonth = 3, b.UTCDay = 6;
            b.UTCHour = 12, b.UTCMinute = 30, b.UTCSecond = 5, b.Latitude = 59.0, b.Longitude = 5.0;
            m.feed(b);
        } else if (kind == 9) {
            ais::SARPositionReport s;
            s.MessageID = 9, s.MMSI = mmsi, s.Altitude = 300, s.SOG = 120, s.Latitude = 59.2, s.Longitude = 5.2;
            m.feed(s);
        } else if (kind == 18) {
            m.feed(testing_support::ClassBReport(mmsi, 59.1, 5.1, 6.0f));
            ais::StaticDataReport a;
            a.MessageID = 24, a.MMSI = mmsi, a.PartNumber = 0, a.Name = "LADY ANN";
            m.feed(a);
        } else {
            ais::AtoNReport a;
            a.MessageID = 21, a.MMSI = mmsi, a.Name = "WEST BUOY", a.VirtualAtoN = 1;
            a.Latitude = 59.3, a.Longitude = 5.3;
            m.feed(a);
        }
        auto* w = m.open(1);
        QVERIFY(w);
        for (const QString& f : shown) QVERIFY2(frameShown(w, qPrintable(f)), qPrintable(f));
        for (const QString& f : hidden) QVERIFY2(!frameShown(w, qPrintable(f)), qPrintable(f));
        QVERIFY(frameShown(w, "frmMsgStatistics"));
        QCOMPARE(value(w, qPrintable(label)), text);
    }

    void closingFreesTheTargetForAFreshWindow() {
        Main m;
        m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 1.0f));
        QPointer<targets::FrmAISExtraInfo> w = m.open(1);
        QVERIFY(w);
        w->close();
        QTRY_VERIFY(w.isNull());
        QVERIFY(!m.windows().isOpen(1));
        // Messages for a target without a window are fine.
        m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 2.0f));
        auto* again = m.open(1);
        QVERIFY(again);
        QCOMPARE(value(again, "framePositionReport_SOG"), QString("2.0"));
    }

    void closingTheMainWindowClosesThem() {
        QPointer<targets::FrmAISExtraInfo> w;
        {
            Main m;
            m.feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 1.0f));
            w = m.open(1);
            QVERIFY(w);
        }
        QVERIFY(w.isNull());
    }
};

QTEST_MAIN(TestExtraInfoWindow)
#include "test_extra_info_window.moc"
