#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include "app/frm_main_window.h"

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void captionPanelsAndTimers() {
        app::FrmMain w;
        QCOMPARE(w.windowTitle(), QString("  Orvanta - Version : 1.00"));
        QVERIFY(w.findChild<QStatusBar*>("sbStatusBar"));
        const char* start[6] = {"Status : ", "No communication established", "Checksum errors :", "n/a",
                                "Ignorerd msgs :", "n/a"};
        for (int i = 0; i < 6; ++i) QCOMPARE(w.panelText(i + 1), QString(start[i]));
        QCOMPARE(w.panelText(7), QTime::currentTime().toString("hh:mm"));

        auto* ais = w.findChild<QTimer*>("timerAIS_Status");
        auto* del = w.findChild<QTimer*>("timer_DeleteOLDTargets");
        auto* conn = w.findChild<QTimer*>("timerConnectionTest");
        QVERIFY(ais && del && conn);
        QCOMPARE(ais->interval(), 15000);
        QVERIFY(ais->isActive());
        QCOMPARE(del->interval(), 60000);
        QVERIFY(!conn->isActive());
    }

    void emptyBufferPanelFollowsTheReceiver() {
        app::FrmMain w;
        w.receiver().state().EmptyBuffer = true;
        w.receiver().receive(input::InputKind::Serial, "a\r\nb\r\n");
        QCOMPARE(w.panelText(6), QString("1 (100.0%)"));
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
