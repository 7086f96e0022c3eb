// Setup > Inputs: the dialog returns what its controls hold, refuses values
// out of range, and the main window applies the choice.
#include "input/inputs_dialog.h"
#include "window_fixture.h"

using testing_support::Child;

class TestInputsDialog : public QObject {
    Q_OBJECT
private slots:
    void returnsTheEditedChoice() {
        input::StationSettings current;
        current.Inputs = {{input::InputType::Serial, true, "/dev/ttyUSB1", 0, 4800}};
        input::FrmInputs dialog(current);
        QCOMPARE(dialog.settings(), current);

        auto* table = Child<QTableWidget>(dialog, "tblInputs");
        Child<QPushButton>(dialog, "cmdAdd")->click();
        QCOMPARE(table->rowCount(), 2);
        Child<QComboBox>(dialog, "cmbType_1")->setCurrentIndex(1);
        table->item(1, input::FrmInputs::ColAddress)->setText("10.1.1.9");
        table->item(1, input::FrmInputs::ColPort)->setText("70000");
        table->item(0, input::FrmInputs::ColEnabled)->setCheckState(Qt::Unchecked);
        Child<QCheckBox>(dialog, "chkForwardTcp")->setChecked(true);
        Child<QLineEdit>(dialog, "txtForwardTcpPort")->setText("2947");
        Child<QCheckBox>(dialog, "chkStripTags")->setChecked(true);

        dialog.accept();  // the port is out of range: the dialog stays
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Child<QLabel>(dialog, "lblProblem")->text(), QString("Input 2: port out of range"));
        table->item(1, input::FrmInputs::ColPort)->setText("2000");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        input::StationSettings expected = current;
        expected.Inputs[0].Enabled = false;
        expected.Inputs.push_back({input::InputType::Tcp, true, "10.1.1.9", 2000, 38400});
        expected.Outputs.TcpEnabled = true;
        expected.Outputs.TcpPort = 2947;
        expected.Outputs.StripTags = true;
        QCOMPARE(dialog.settings(), expected);

        table->setCurrentCell(0, input::FrmInputs::ColAddress);
        Child<QPushButton>(dialog, "cmdRemove")->click();
        QCOMPARE(dialog.settings().Inputs, std::vector<input::InputSetting>{expected.Inputs[1]});
    }

    // The main window keeps what it applied, writes it to the setup file and
    // tells what could not be opened.
    void mainWindowAppliesAndStoresTheChoice() {
        testing_support::TempDir dir;
        input::StationSettings s;
        s.Inputs = {{input::InputType::Udp, true, "not an address", 10110, 0}};
        {
            testing_support::MainWindow m;
            m.w.startUp(dir.path(), true);
            m.w.applyStationSettings(s);
            QCOMPARE(m.lastMessage(), QString("UDP not an address:10110: Not an address to listen on: not an address"));
            m.w.shutdown();
        }
        testing_support::MainWindow again;
        again.w.startUp(dir.path(), true);
        QCOMPARE(again.w.stationSettings(), s);
    }
};

QTEST_MAIN(TestInputsDialog)
#include "test_inputs_dialog.moc"
