// Setup > Inputs: the dialog returns what its controls hold and refuses values
// out of range.
#include "windows/station/inputs_dialog.h"
#include "window_fixture.h"

using testing_support::Child;

class TestInputsDialog : public QObject {
    Q_OBJECT
private slots:
    void returnsTheEditedChoice() {
        input::StationSettings current;
        current.Inputs = {{input::InputKind::Serial, true, "/dev/ttyUSB1", 0, 4800}};
        input::FrmInputs dialog(current);

        auto* table = Child<QTableWidget>(dialog, "tblInputs");
        Child<QPushButton>(dialog, "cmdAdd")->click();
        QCOMPARE(table->rowCount(), 2);
        Child<QComboBox>(dialog, "cmbType_1")->setCurrentIndex(1);
        table->item(1, input::FrmInputs::ColAddress)->setText("10.1.1.9");
        table->item(1, input::FrmInputs::ColPort)->setText("70000");
        table->item(0, input::FrmInputs::ColEnabled)->setCheckState(Qt::Unchecked);
        Child<QCheckBox>(dialog, "chkForwardTcp")->setChecked(true);
        Child<QLineEdit>(dialog, "txtForwardTcpPort")->setText("2947");
        // This computer only at first; every interface only when chosen.
        auto* listen = Child<QComboBox>(dialog, "cmbForwardTcpListen");
        QCOMPARE(listen->currentData().toString(), QString("127.0.0.1"));
        listen->setCurrentIndex(listen->findData(QString("0.0.0.0")));
        Child<QCheckBox>(dialog, "chkStripTags")->setChecked(true);

        dialog.accept();  // the port is out of range: the dialog stays
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Child<QLabel>(dialog, "lblProblem")->text(), QString("Input 2: port out of range"));
        table->item(1, input::FrmInputs::ColPort)->setText("2000");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        input::StationSettings expected = current;
        expected.Inputs[0].Enabled = false;
        expected.Inputs.push_back({input::InputKind::Tcp, true, "10.1.1.9", 2000, 38400});
        expected.Outputs.TcpEnabled = true;
        expected.Outputs.TcpPort = 2947;
        expected.Outputs.StripTags = true;
        expected.Outputs.TcpListenAddress = "0.0.0.0";
        QCOMPARE(dialog.settings(), expected);
    }
};

QTEST_MAIN(TestInputsDialog)
#include "test_inputs_dialog.moc"
