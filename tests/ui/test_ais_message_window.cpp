// Messages that open windows: the "AIS Message received" window (one, reused,
// shown without taking the keyboard, clear of the reference frame), the binary
// application windows (filled once, ACCEPT marks read), the Incoming
// Messages list of every message, and the pop-up choice kept across a restart.
#include "windows/ais/ais_message_window.h"
#include "windows/ais/message_inbox_model.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

ais::BroadcastSafetyMessage safetyBroadcast(int32_t mmsi, const std::string& text) {
    ais::BroadcastSafetyMessage m;
    m.MessageID = 14, m.MMSI = mmsi, m.Text = text;
    return m;
}

ais::BinaryMessage metHydroBroadcast(int32_t mmsi, float airTemperature) {
    ais::BinaryMessage m;
    m.MessageID = 8, m.MMSI = mmsi, m.DAC = 1, m.FI = 11;
    m.MetHydro.AirTemperature = airTemperature;
    return m;
}

QString messageText(QWidget* w) { return Child<QPlainTextEdit>(*w, "txtMessage")->toPlainText(); }

}  // namespace

class TestAISMessageWindow : public QObject {
    Q_OBJECT
private slots:
    void messagesAreShownWithoutFocusListedAndLogged() {
        TempDir dir;
        MainWindow m;
        m.w.startUp(dir.path(), true);
        m.w.load(false);
        m.w.show();
        QApplication::setActiveWindow(&m.w);
        QVERIFY(QTest::qWaitForWindowActive(&m.w));
        m.feed(StaticData(257012300, "BLUE HERON", "LABC"));
        m.feed(safetyBroadcast(257012300, "MAN OVERBOARD"));
        auto* window = m.w.findChild<ais::FrmAISMessage*>("frmAISMessage");
        QVERIFY(window && window->isVisible());
        QCOMPARE(messageText(window), QString("MAN OVERBOARD"));
        QCOMPARE(QApplication::activeWindow(), &m.w);
        auto* frame = Child<QWidget>(m.w, "frameRefPos");
        QVERIFY(!window->frameGeometry().intersects(QRect(frame->mapToGlobal(QPoint(0, 0)), frame->size())));

        // A second message overwrites the one window; both are logged and listed, newest first.
        m.feed(safetyBroadcast(211000009, "ICE"));
        QCOMPARE(m.w.findChildren<ais::FrmAISMessage*>().size(), 1);
        QCOMPARE(messageText(window), QString("ICE"));
        const std::string log = dir.read("AIS_Messages/AIS_Messages.txt");
        QVERIFY2(log.find("MAN OVERBOARD") < log.find(": ICE") && log.find(": ICE") != std::string::npos, log.c_str());
        Child<QAction>(m.w, "mnuViewMessages")->trigger();
        auto* list = Child<QTableView>(m.w, "lstMessages");
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->model()->index(1, ais::MessageInboxModel::kColFrom).data().toString(),
                 QString("257012300 - BLUE HERON"));
    }

    void binaryApplicationOpensItsWindowOnceAndAcceptMarksItRead() {
        MainWindow m;
        m.feed(metHydroBroadcast(2570001, 12.34f));
        auto* met = m.w.findChild<QWidget*>("frmMeteorological");
        QVERIFY(met && met->isVisible());
        QCOMPARE(Child<QLineEdit>(*met, "txtData_7")->text(), QString("12.3"));
        // While it is open, a later message leaves it as it is.
        m.feed(metHydroBroadcast(2570002, -5.0f));
        QCOMPARE(m.w.findChildren<QWidget*>("frmMeteorological").size(), 1);
        QCOMPARE(Child<QLineEdit>(*met, "txtData_7")->text(), QString("12.3"));
        // ACCEPT closes it and marks its own message (the older one) read.
        Child<QPushButton>(*met, "cmdAccept")->click();
        QTRY_VERIFY(!m.w.findChild<QWidget*>("frmMeteorological"));
        const ais::MessageInbox& inbox = m.w.incoming().inbox().inbox();
        QVERIFY(inbox.at(1).read && !inbox.at(0).read);
    }

    // "List only, no beep" for text messages, chosen in the dialog, holds in the next run.
    void popupChoiceHoldsAcrossARestart() {
        TempDir dir;
        ui::SettingsStore store(QString::fromStdString((dir / "Orvanta.conf").string()));
        {
            MainWindow m(&store);
            QTimer::singleShot(0, [] {
                QWidget* d = QApplication::activeModalWidget();
                Child<QCheckBox>(*d, "chkShow_0")->setChecked(false);
                Child<QCheckBox>(*d, "chkBeep_0")->setChecked(false);
                Child<QPushButton>(*d, "cmdOK")->click();
            });
            Child<QAction>(m.w, "mnuOptionsMessagePopups")->trigger();
        }
        MainWindow m(&store);
        m.feed(safetyBroadcast(211000009, "ICE"));
        QVERIFY(!m.w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
        QCOMPARE(m.w.incoming().beeps(), 0);
        m.feed(metHydroBroadcast(2570001, 1.0f));  // other kinds as they were
        QVERIFY(m.w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
        QCOMPARE(m.w.incoming().beeps(), 1);
        QCOMPARE(m.w.incoming().inbox().rowCount(), 2);
    }
};

QTEST_MAIN(TestAISMessageWindow)
#include "test_ais_message_window.moc"
