#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "ais/ais_message_window.h"
#include "ais/binary_encoder.h"
#include "app/frm_main_window.h"
#include "input/sentence_builder.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

using testing_support::Join;
using testing_support::Sentences;

namespace {

std::string safetyBroadcast(int32_t mmsi, const std::string& text) {
    ais::BroadcastSafetyMessage m;
    m.MessageID = 14;
    m.MMSI = mmsi;
    m.Text = text;
    return Join(Sentences(m));
}

std::string metHydroBroadcast(int32_t mmsi, float airTemperature) {
    ais::BinaryMessage m;
    m.MessageID = 8;
    m.MMSI = mmsi;
    m.MetHydro.AirTemperature = airTemperature;
    m.DAC = 1;
    m.FI = 11;
    const auto p = ais::EncodeBinaryMessage(m, 0);
    return input::MakeSentence(false, 1, 1, -1, 'A', p->Payload, p->FillBits);
}

QString text(QWidget* w, const char* name) {
    if (auto* l = w->findChild<QLabel*>(name)) return l->text();
    if (auto* t = w->findChild<QPlainTextEdit*>(name)) return t->toPlainText();
    return "<missing " + QString(name) + ">";
}

}  // namespace

class TestAISMessageWindow : public QObject {
    Q_OBJECT
private slots:
    void messagesAreShownReplacedAndLogged() {
        testing_support::TempDir dir;
        base::RecordingMessageSink messages;
        app::FrmMain w;
        w.setMessageSink(&messages);
        w.startUp(dir.path(), true);
        w.load(false);
        w.receiver().receive(input::InputKind::Tcp, Join(Sentences(testing_support::StaticData(257012300, "BLUE HERON", "LABC"))));
        w.receiver().receive(input::InputKind::Tcp, safetyBroadcast(257012300, "MAN OVERBOARD"));

        auto* window = w.findChild<ais::FrmAISMessage*>("frmAISMessage");
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QString("  AIS Message received"));
        // Names keep the blanks that pad them to 20 characters.
        QCOMPARE(text(window, "lblName"), QString(" 257012300 - BLUE HERON          "));
        QCOMPARE(text(window, "lblReceiver"), QString("Broadcast - To all vessels"));
        QCOMPARE(text(window, "lblTypeOfMsg"), QString("14 - Safety related Broadcast message"));
        QCOMPARE(text(window, "txtMessage"), QString("MAN OVERBOARD"));
        QVERIFY(!text(window, "lblTime").isEmpty());

        // A second message overwrites the one window and adds a second block.
        w.receiver().receive(input::InputKind::Tcp, safetyBroadcast(211000009, "ICE"));
        QCOMPARE(w.findChildren<ais::FrmAISMessage*>().size(), 1);
        QCOMPARE(text(window, "lblName"), QString(" 211000009 - "));
        QCOMPARE(text(window, "txtMessage"), QString("ICE"));
        const std::string log = dir.read("AIS_Messages/AIS_Messages.txt");
        QVERIFY2(log.find("AIS Message received from : 257012300 - BLUE HERON          \r\n"
                          "                       to : Broadcast - To all vessels\r\n") == 0,
                 log.c_str());
        QVERIFY(log.find("MESSAGE                   : MAN OVERBOARD\r\n\r\n") != std::string::npos);
        QVERIFY(log.find("MESSAGE                   : ICE\r\n\r\n") != std::string::npos);
        QVERIFY(messages.entries.empty());

        // OK closes (and deletes) the window; the next message opens a new one.
        window->findChild<QPushButton*>("cmdOK")->click();
        QTRY_VERIFY(!w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
        w.receiver().receive(input::InputKind::Tcp, safetyBroadcast(211000009, "AGAIN"));
        QVERIFY(w.findChild<ais::FrmAISMessage*>("frmAISMessage"));
    }

    void binaryApplicationOpensItsWindowOnce() {
        app::FrmMain w;
        base::RecordingMessageSink messages;
        w.setMessageSink(&messages);
        w.receiver().receive(input::InputKind::Tcp, metHydroBroadcast(2570001, 12.34f));
        auto* met = w.findChild<QWidget*>("frmMeteorological");
        QVERIFY(met && met->isVisible());
        QCOMPARE(met->findChild<QLineEdit*>("txtData_7")->text(), QString("12.3"));
        QCOMPARE(met->findChild<QLabel*>("lblMMSI_Sender")->text(), QString("002570001"));
        // The lists show the received code and keep it.
        auto* ice = met->findChild<QComboBox*>("cmbIce");
        QCOMPARE(ice->currentText(), QString("                No"));
        ice->setCurrentIndex(0);
        QCOMPARE(ice->currentText(), QString("                No"));
        // While it is open, a later message leaves it as it is.
        w.receiver().receive(input::InputKind::Tcp, metHydroBroadcast(2570002, -5.0f));
        QCOMPARE(w.findChildren<QWidget*>("frmMeteorological").size(), 1);
        QCOMPARE(met->findChild<QLineEdit*>("txtData_7")->text(), QString("12.3"));
        // Closed, it opens afresh with the next one.
        met->close();
        QTRY_VERIFY(!w.findChild<QWidget*>("frmMeteorological"));
        w.receiver().receive(input::InputKind::Tcp, metHydroBroadcast(2570002, -5.0f));
        met = w.findChild<QWidget*>("frmMeteorological");
        QVERIFY(met);
        QCOMPARE(met->findChild<QLineEdit*>("txtData_7")->text(), QString("-5.0"));
    }

    void logFailureIsToldOnce() {
        testing_support::TempDir dir;
        dir.write("AIS_Messages", "not a folder");
        base::RecordingMessageSink messages;
        app::FrmMain w;
        w.setMessageSink(&messages);
        w.startUp(dir.path(), true);
        for (int i = 0; i < 3; ++i) w.receiver().receive(input::InputKind::Tcp, safetyBroadcast(211000009, "X"));
        QCOMPARE(messages.entries.size(), size_t(1));
        QVERIFY(messages.entries[0].text.find("message log") != std::string::npos);
    }
};

QTEST_MAIN(TestAISMessageWindow)
#include "test_ais_message_window.moc"
