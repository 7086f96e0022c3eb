// Watch-keeping in the main window: lost stations turn grey and leave the
// list, an open detail window outlives its station, a dangerous one alarms.
#include <QDialog>
#include <QDoubleSpinBox>

#include "windows/targets/extra_info_window.h"
#include "window_fixture.h"

using namespace testing_support;

using Fixture = ListFixture;

class TestWatchKeeping : public QObject {
    Q_OBJECT
private slots:
    void lostTargetTurnsGreyThenLeaves() {
        Fixture f;
        for (int i = 1; i <= 4; ++i) f.feed(257000000 + i);
        f.model.flush();
        f.age(200);
        f.feed(257000002);
        f.feed(257000004);
        f.age(200);  // 1 and 3 silent for 400 s: lost
        QCOMPARE(f.cell(0, targets::kColStatus), QString("LOST"));
        QCOMPARE(f.model.index(0, targets::kColMMSI).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 128));
        QVERIFY(!f.model.index(1, targets::kColMMSI).data(Qt::ForegroundRole).isValid());
        QSignalSpy removed(&f.model, &QAbstractItemModel::rowsRemoved);
        f.age(1450);  // 1 and 3 silent for 1850 s: removed
        QCOMPARE(removed.count(), 2);
        QCOMPARE(f.mmsiColumn(), QStringList({"257000002", "257000004"}));
        QCOMPARE(Child<QLabel>(f.m.w, "lblNoOfTargets")->text(), QString("2"));
    }

    void detailWindowOfARemovedTargetSurvives() {
        Fixture f;
        f.feed(257000001);
        f.feed(257000002);
        f.model.flush();
        targets::FrmAISExtraInfo* opened = f.m.w.extraInfoWindows().open(1, 0);
        QPointer<targets::FrmAISExtraInfo> w(opened);
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

    void dangerousTargetTurnsRedAndAlarmsOnceUntilAcknowledged() {
        Fixture f;
        auto own = ClassAReport(257999999, 59.5, 5.25, 10.0f);
        own.COG = 0;
        f.m.feed(own, 'A', true);
        auto other = ClassAReport(257000001, 59.55, 5.25, 10.0f);
        other.COG = 180;
        f.m.feed(other);
        f.m.feed(other);
        f.model.flush();
        QCOMPARE(f.model.index(1, targets::kColMMSI).data(Qt::ForegroundRole).value<QColor>(), QColor(220, 0, 0));
        QCOMPARE(f.m.w.watch().sounds(), 1);
        auto* button = Child<QPushButton>(f.m.w, "cmdAcknowledge");
        QVERIFY(!button->isHidden());
        // It sounds again on its timer until the operator acknowledges it.
        Child<QTimer>(f.m.w, "timerAlarm")->start(5);
        QTRY_VERIFY(f.m.w.watch().sounds() >= 2);
        button->click();
        QVERIFY(button->isHidden());
        const int sounded = f.m.w.watch().sounds();
        f.m.feed(other);
        QTest::qWait(30);
        QCOMPARE(f.m.w.watch().sounds(), sounded);
    }

    // Silence stops the sound for five minutes, not the alarm: the row stays
    // red and the button shown; another target becoming dangerous sounds.
    void silenceStopsTheSoundNotTheAlarm() {
        Fixture f;
        auto own = ClassAReport(257999999, 59.5, 5.25, 10.0f);
        own.COG = 0;
        f.m.feed(own, 'A', true);
        auto other = ClassAReport(257000001, 59.55, 5.25, 10.0f);
        other.COG = 180;
        f.m.feed(other);
        QCOMPARE(f.m.w.watch().sounds(), 1);
        auto* silence = f.m.w.findChild<QAction*>("mnuOptionsSilenceAlarm");
        QVERIFY(silence);
        silence->trigger();
        Child<QTimer>(f.m.w, "timerAlarm")->start(5);
        QTest::qWait(40);
        QCOMPARE(f.m.w.watch().sounds(), 1);
        f.model.flush();
        QCOMPARE(f.model.index(1, targets::kColMMSI).data(Qt::ForegroundRole).value<QColor>(), QColor(220, 0, 0));
        QVERIFY(!Child<QPushButton>(f.m.w, "cmdAcknowledge")->isHidden());
        auto second = ClassAReport(257000002, 59.55, 5.252, 10.0f);
        second.COG = 180;
        f.m.feed(second);
        QVERIFY(f.m.w.watch().sounds() >= 2);
        silence->trigger();  // and it ends by itself after five minutes
        QTest::qWait(20);
        const int silent = f.m.w.watch().sounds();
        QTest::qWait(20);
        QCOMPARE(f.m.w.watch().sounds(), silent);
        f.clock.advance(301);
        const int sounded = f.m.w.watch().sounds();
        QTRY_VERIFY(f.m.w.watch().sounds() > sounded);
    }
    // A first run (no setup file) checks checksums: panel 4 counts errors
    // instead of saying "n/a", and a damaged sentence makes no target.
    void firstRunChecksChecksums() {
        TempDir dir;
        MainWindow m;
        m.w.startUp(dir.path(), true);
        m.w.load(false);
        QCOMPARE(m.w.panelText(4), QString("0"));
        std::string damaged = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 1.0f)));
        damaged[damaged.find(",A,") + 15] ^= 1;
        m.w.receiver().takeBytes(app::Receiver::kMainInput, damaged);
        QCOMPARE(m.w.receiver().targets().TargetCount(), int16_t(0));
        QCOMPARE(m.w.panelText(4), QString("1"));
    }
    // The guard zone chosen in Options > Collision alarm is kept with the
    // other alarm settings and holds in the next run.
    void guardZoneHoldsAcrossARestart() {
        TempDir dir;
        ui::SettingsStore store(QString::fromStdString((dir / "Orvanta.conf").string()));
        {
            MainWindow m(&store);
            m.w.load(false);
            QTimer::singleShot(0, [] {
                QWidget* d = QApplication::activeModalWidget();
                Child<QDoubleSpinBox>(*d, "txtGuardZone")->setValue(0.8);
                qobject_cast<QDialog*>(d)->accept();
            });
            Child<QAction>(m.w, "mnuOptionsCollisionAlarm")->trigger();
            QCOMPARE(m.w.receiver().alarmSettings().guardZone, 0.8);
        }
        MainWindow m(&store);
        m.w.load(false);
        QCOMPARE(m.w.receiver().alarmSettings().guardZone, 0.8);
    }
};

QTEST_MAIN(TestWatchKeeping)
#include "test_watch_keeping.moc"
