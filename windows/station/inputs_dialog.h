// FrmInputs: the window-modal Setup > Inputs dialog. It lists the further inputs
// (serial device, TCP client, UDP listener; each may be switched off) and the
// forwarding outputs; OK returns what the operator chose by value (the main
// window applies it), Cancel changes nothing.
//
//   auto* dialog = new input::FrmInputs(current, mainWindow);
//   connect(dialog, &QDialog::accepted, [=] { apply(dialog->settings()); });
//   dialog->open();
//
// Controls carry their names as objectName: tblInputs (columns On, Type,
// Address, Port, Baud), cmdAdd, cmdRemove, chkForwardUdp, txtForwardUdpAddress,
// txtForwardUdpPort, chkForwardTcp, txtForwardTcpPort, cmbForwardTcpListen (the address the
// TCP port listens on), chkStripTags,
// lblProblem, cmdOK, cmdCancel. A row's Type is a combo box named cmbType_<row>.
// OK with a value out of range shows the problem in lblProblem and stays open.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "station/setup_file.h"

namespace input {

class FrmInputs : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Inputs and outputs";
    enum Column { ColEnabled, ColType, ColAddress, ColPort, ColBaud, ColumnCount };

    FrmInputs(const StationSettings& current, QWidget* parent = nullptr);

    // What the controls hold now; after OK, the operator's choice.
    StationSettings settings() const;

    // A new row: a UDP listener on 0.0.0.0:10110, switched on.
    void addInput(const InputSetting& setting = {});
    void removeSelected();
    void accept() override;

private:
    void setRow(int row, const InputSetting& s);

    QTableWidget* tblInputs_;
    QCheckBox* chkForwardUdp_;
    QLineEdit* txtForwardUdpAddress_;
    QLineEdit* txtForwardUdpPort_;
    QCheckBox* chkForwardTcp_;
    QLineEdit* txtForwardTcpPort_;
    QComboBox* cmbForwardTcpListen_;
    QCheckBox* chkStripTags_;
    QLabel* lblProblem_;
};

}  // namespace input
