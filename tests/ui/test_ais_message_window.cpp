// Messages that open windows: the "AIS Message received" window (one, reused,
// with every message logged) and the binary application windows (filled once).

#include "ais/ais_message_window.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

ais::BroadcastSafetyMessage safetyBroadcast(int32_t mmsi, const std::string& text) {
    ais::BroadcastSafetyMessage m;
    m.MessageID = 14;
    m.MMSI = mmsi;
    m.Text = text;
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
    void messagesAreShownReplacedAndLogged() {
        TempDir dir;
        MainWindow m;
        m.w.startUp(dir.path(), true);
        m.w.load(false);
        m.feed(StaticData(257012300, "BLUE HERON", "LABC"));
        m.feed(safetyBroadcast(257012300, "MAN OVERBOARD"));
        auto* window = m.w.findChild<ais::FrmAISMessage*>("frmAISMessage");
        QVERIFY(window && window->isVisible());
        QVERIFY(Child<QLabel>(*window, "lblName")->text().contains("257012300 - BLUE HERON"));
        QCOMPARE(messageText(window), QString("MAN OVERBOARD"));

        // A second message overwrites the one window; both are logged, in order.
        m.feed(safetyBroadcast(211000009, "ICE"));
        QCOMPARE(m.w.findChildren<ais::FrmAISMessage*>().size(), 1);
        QCOMPARE(messageText(window), QString("ICE"));
        const std::string log = dir.read("AIS_Messages/AIS_Messages.txt");
        QVERIFY2(log.find("MAN OVERBOARD") < log.find(": ICE") && log.find(": ICE") != std::string::npos, log.c_str());
        QVERIFY(m.messages.entries.empty());

        // OK closes the window; the next message opens a new one.
        Child<QPushButton>(*window, "cmdOK")->click();
        QTRY_VERIFY(!m.w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
        m.feed(safetyBroadcast(211000009, "AGAIN"));
        QVERIFY(m.w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
    }

    void binaryApplicationOpensItsWindowOnce() {
        MainWindow m;
        m.feed(metHydroBroadcast(2570001, 12.34f));
        auto* met = m.w.findChild<QWidget*>("frmMeteorological");
        QVERIFY(met && met->isVisible());
        QCOMPARE(Child<QLineEdit>(*met, "txtData_7")->text(), QString("12.3"));
        // The lists show the received code and keep it.
        auto* ice = Child<QComboBox>(*met, "cmbIce");
        const QString received = ice->currentText();
        ice->setCurrentIndex(0);
        QCOMPARE(ice->currentText(), received);
        // While it is open, a later message leaves it as it is.
        m.feed(metHydroBroadcast(2570002, -5.0f));
        QCOMPARE(m.w.findChildren<QWidget*>("frmMeteorological").size(), 1);
        QCOMPARE(Child<QLineEdit>(*met, "txtData_7")->text(), QString("12.3"));
        // Closed, it opens afresh with the next one.
        met->close();
        QTRY_VERIFY(!m.w.findChild<QWidget*>("frmMeteorological"));
        m.feed(metHydroBroadcast(2570002, -5.0f));
        QCOMPARE(Child<QLineEdit>(m.w, "txtData_7")->text(), QString("-5.0"));
    }

    // A busy feed would bury the operator under one box per message.
    void logFailureIsToldOnce() {
        TempDir dir;
        dir.write("AIS_Messages", "not a folder");
        MainWindow m;
        m.w.startUp(dir.path(), true);
        for (int i = 0; i < 3; ++i) m.feed(safetyBroadcast(211000009, "X"));
        QCOMPARE(m.messages.entries.size(), size_t(1));
        QVERIFY(m.lastMessage().contains("message log"));
    }
};

QTEST_MAIN(TestAISMessageWindow)
#include "test_ais_message_window.moc"
