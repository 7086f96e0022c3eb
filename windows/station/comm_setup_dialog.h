// FrmCommSetup: the modal communication setup dialog (menu Setup / Comm).
// It edits the serial line, the TCP server address and port with the list of
// recent addresses, and the two input tests; OK applies them and reopens the
// input, Cancel changes nothing. FrmComportInfo is its small information box.
//
//   input::FrmCommSetup dialog(current, messages, mainWindow);
//   if (dialog.exec() == QDialog::Accepted) apply(dialog.choice());
//
// Controls carry their names as objectName: optComm_0, optComm_1, frameCOM,
// cmbComPort, cmbBaudRate, cmbDataBits, cmbStopBits, cmbParity, cmdComInfo,
// frameTCPIP, cmbIP, txtPort, chkChecksum, chkEmptyBuffer, cmdOK, cmdCancel.
// Beside the port list lblComDevice shows the chosen number's device path and
// description; txtDevice takes any device path, which then replaces the number.
//
// The address and the port are checked when their box loses the focus, and
// again on OK, so an unchecked text (Enter pressed inside the box) is never
// applied. Messages go to the sink given (the main window's message path).
// The dialog changes nothing outside itself: OK makes the choice (the list of
// recent addresses included) available for the caller to apply.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/operator_messages.h"
#include "station/setup_file.h"

namespace input {

// What the dialog edits: the stored communication settings and the two input tests.
struct CommChoice {
    CommSettings comm;
    bool CheckChecksum = false;
    bool EmptyBuffer = false;
};

class FrmCommSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Communication Setup";
    static constexpr int kWidthTwips = 5475;
    static constexpr int kHeightTwips = 4250;
    // Placed this far right of and below the main window's top-left corner.
    static constexpr int kOffsetTwips = 1000;

    // The names of the serial devices present; by default those the system lists.
    using PortLister = std::function<std::vector<std::string>()>;

    FrmCommSetup(const CommChoice& current, base::MessageSink& messages, QWidget* parent, PortLister ports = {});

    // The settings as the dialog holds them; after OK, what the operator chose.
    const CommChoice& choice() const { return edited_; }

    static std::vector<std::string> SystemPorts();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildComFrame();
    void buildTcpFrame();
    void fill();
    void optComm_Click(int index);
    // Checks; on failure the message is shown and the focus goes back to the box.
    bool cmbIP_Check();
    bool txtPort_Check();
    void cmdOK_Click();
    void cmdComInfo_Click();
    // Records the address in the dialog's list of recent addresses.
    void recordAddress(const std::string& address);

    base::MessageSink& messages_;
    CommChoice edited_;
    bool checking_ = false;

    std::array<QRadioButton*, 2> optComm_{};
    QGroupBox* frameCOM_ = nullptr;
    QGroupBox* frameTCPIP_ = nullptr;
    QComboBox* cmbComPort_ = nullptr;
    QComboBox* cmbBaudRate_ = nullptr;
    QComboBox* cmbDataBits_ = nullptr;
    QComboBox* cmbStopBits_ = nullptr;
    QComboBox* cmbParity_ = nullptr;
    QPushButton* cmdComInfo_ = nullptr;
    QLabel* lblComDevice_ = nullptr;
    QLineEdit* txtDevice_ = nullptr;
    QComboBox* cmbIP_ = nullptr;
    QLineEdit* txtPort_ = nullptr;
    QCheckBox* chkChecksum_ = nullptr;
    QCheckBox* chkEmptyBuffer_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

// "Comport Information": why only ports 1 to 16 are offered.
class FrmComportInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "    Comport Information";
    explicit FrmComportInfo(QWidget* parent = nullptr);
};

}  // namespace input
