#include "windows/station/comm_setup_dialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSerialPortInfo>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "station/comm_setup.h"
#include "ui/plain_text.h"
#include "ui/twips.h"
#include "ui/window_placement.h"

namespace input {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

std::vector<std::string> FrmCommSetup::SystemPorts() {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) names.push_back(info.portName().toStdString());
    return names;
}

FrmCommSetup::FrmCommSetup(const CommChoice& current, base::MessageSink& messages, QWidget* parent, PortLister ports)
    : QDialog(parent), messages_(messages), edited_(current) {
    setObjectName("frmCommSetup");
    setWindowTitle(kCaption);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* optRow = new QHBoxLayout;
    layout->addLayout(optRow);
    optComm_[0] = new QRadioButton("Comport RS232", this);
    optComm_[1] = new QRadioButton("TCP/IP   (LAN/Internet)", this);
    for (int i = 0; i < 2; ++i) {
        QRadioButton* opt = optComm_[static_cast<size_t>(i)];
        opt->setObjectName(QString("optComm_%1").arg(i));
        connect(opt, &QRadioButton::clicked, this, [this, i] { optComm_Click(i); });
        optRow->addWidget(opt);
    }
    optRow->addStretch(1);

    // Both frames stand in the same place; the chosen option shows one of them.
    auto* frames = new QGridLayout;
    layout->addLayout(frames);

    buildComFrame();
    frames->addWidget(frameCOM_, 0, 0);

    buildTcpFrame();
    frames->addWidget(frameTCPIP_, 0, 0);
    for (QWidget* box : {static_cast<QWidget*>(cmbIP_), static_cast<QWidget*>(txtPort_)}) box->installEventFilter(this);

    chkChecksum_ = new QCheckBox("Check AIS checksum  (msgs with faulty checksum will be ignored)", this);
    chkChecksum_->setObjectName("chkChecksum");
    chkEmptyBuffer_ = new QCheckBox("Empty comportbuffer continously.        (Some AIS messages might be ignored)", this);
    chkEmptyBuffer_->setObjectName("chkEmptyBuffer");
    layout->addWidget(chkChecksum_);
    layout->addWidget(chkEmptyBuffer_);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    buttons->addStretch(1);
    cmdOK_ = new QPushButton("OK", this);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton("Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setAutoDefault(false);
    connect(cmdOK_, &QPushButton::clicked, this, &FrmCommSetup::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);

    const std::vector<std::string> names = ports ? ports() : SystemPorts();
    for (const ComPortEntry& port : ListComPorts(names)) {
        cmbComPort_->addItem(QString("COM%1").arg(port.number), port.number);
        // The device's path and, when the system knows one, its description.
        const QSerialPortInfo info(fromUtf8(port.device));
        QString where = info.systemLocation().isEmpty() ? fromUtf8(port.device) : info.systemLocation();
        if (!info.description().isEmpty()) where += "  (" + info.description() + ")";
        cmbComPort_->setItemData(cmbComPort_->count() - 1, where, Qt::ToolTipRole);
    }
    fill();

    // The stored size, widened where this screen's font needs more room.
    const double dpi = logicalDpiX();
    frameCOM_->show();
    frameTCPIP_->hide();
    const QSize hint = sizeHint();
    setFixedSize(std::max(ui::pixelsFromTwips(kWidthTwips, dpi), hint.width()),
                 std::max(ui::pixelsFromTwips(kHeightTwips, dpi), hint.height()));
    optComm_Click(edited_.comm.UseTCP ? 1 : 0);
    const int offset = ui::pixelsFromTwips(kOffsetTwips, dpi);
    // A main window at the screen's edge must not push the dialog off it.
    if (parent) move(ui::FitOnScreen(QRect(parent->pos() + QPoint(offset, offset), size())).topLeft());
}

// The serial port's frame: port, line settings and any device by its path.
void FrmCommSetup::buildComFrame() {
    frameCOM_ = new QGroupBox("SELECT COMPORT", this);
    frameCOM_->setObjectName("frameCOM");
    auto* com = new QGridLayout(frameCOM_);
    auto makeList = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        return box;
    };
    cmbComPort_ = makeList("cmbComPort");
    cmbBaudRate_ = makeList("cmbBaudRate");
    cmbDataBits_ = makeList("cmbDataBits");
    cmbStopBits_ = makeList("cmbStopBits");
    cmbParity_ = makeList("cmbParity");
    cmdComInfo_ = new QPushButton("Info", frameCOM_);
    cmdComInfo_->setObjectName("cmdComInfo");
    cmdComInfo_->setAutoDefault(false);
    cmdComInfo_->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    connect(cmdComInfo_, &QPushButton::clicked, this, &FrmCommSetup::cmdComInfo_Click);
    com->addWidget(ui::PlainLabel("Comport", frameCOM_), 0, 0);
    com->addWidget(cmbComPort_, 0, 1);
    com->addWidget(ui::PlainLabel("Baud rate", frameCOM_), 1, 0);
    com->addWidget(cmbBaudRate_, 1, 1);
    com->addWidget(cmdComInfo_, 2, 0, 1, 2);
    com->addWidget(ui::PlainLabel("Data bits", frameCOM_), 0, 2);
    com->addWidget(cmbDataBits_, 0, 3);
    com->addWidget(ui::PlainLabel("Stop bits", frameCOM_), 1, 2);
    com->addWidget(cmbStopBits_, 1, 3);
    com->addWidget(ui::PlainLabel("Parity", frameCOM_), 2, 2);
    com->addWidget(cmbParity_, 2, 3);
    lblComDevice_ = ui::PlainLabel({}, frameCOM_);
    lblComDevice_->setObjectName("lblComDevice");
    com->addWidget(lblComDevice_, 3, 0, 1, 4);
    txtDevice_ = new QLineEdit(frameCOM_);
    txtDevice_->setObjectName("txtDevice");
    txtDevice_->setPlaceholderText("/dev/pts/3, /dev/serial/by-id/..., /dev/rfcomm0");
    txtDevice_->setToolTip("Any serial device by its path; used instead of the comport number when filled in.");
    auto* deviceLabel = new QLabel("&Device", frameCOM_);
    deviceLabel->setBuddy(txtDevice_);
    com->addWidget(deviceLabel, 4, 0);
    com->addWidget(txtDevice_, 4, 1, 1, 3);
    com->setColumnStretch(1, 1);
    com->setColumnStretch(3, 1);
    connect(cmbComPort_, &QComboBox::currentIndexChanged, this, [this](int index) {
        lblComDevice_->setText(index < 0 ? QString() : cmbComPort_->itemData(index, Qt::ToolTipRole).toString());
    });
}

// The TCP client's frame: the server's address (the latest ten kept) and port.
void FrmCommSetup::buildTcpFrame() {
    frameTCPIP_ = new QGroupBox("Select IP address and port", this);
    frameTCPIP_->setObjectName("frameTCPIP");
    auto* tcp = new QGridLayout(frameTCPIP_);
    cmbIP_ = new QComboBox(frameTCPIP_);
    cmbIP_->setObjectName("cmbIP");
    cmbIP_->setEditable(true);
    // The list is kept by the address check, not by Enter.
    cmbIP_->setInsertPolicy(QComboBox::NoInsert);
    cmbIP_->setToolTip("The latest 10 IP-addresses will be saved in list.");
    cmbIP_->setMinimumContentsLength(15);
    txtPort_ = new QLineEdit("8040", frameTCPIP_);
    txtPort_->setObjectName("txtPort");
    txtPort_->setMaximumWidth(txtPort_->fontMetrics().horizontalAdvance("000000000") + 12);
    tcp->addWidget(ui::PlainLabel("IP address", frameTCPIP_), 0, 0);
    tcp->addWidget(cmbIP_, 0, 1);
    tcp->addWidget(ui::PlainLabel("Port no", frameTCPIP_), 1, 0);
    tcp->addWidget(txtPort_, 1, 1, Qt::AlignLeft);
    tcp->setColumnStretch(1, 1);
    tcp->setRowStretch(2, 1);
}

void FrmCommSetup::fill() {
    const CommSettings& comm = edited_.comm;

    cmbComPort_->setCurrentIndex(cmbComPort_->findData(static_cast<int>(comm.ComPort)));
    txtDevice_->setText(fromUtf8(comm.Device));

    for (int32_t baud : kBaudRates) cmbBaudRate_->addItem(QString::number(baud), baud);
    cmbBaudRate_->setCurrentIndex(0);
    if (const int i = cmbBaudRate_->findData(static_cast<int>(comm.BaudRate)); i >= 0) cmbBaudRate_->setCurrentIndex(i);

    cmbDataBits_->addItems({"8", "7"});
    cmbDataBits_->setCurrentIndex(comm.DataBits == 7 ? 1 : 0);
    cmbStopBits_->addItems({"1", "2"});
    cmbStopBits_->setCurrentIndex(comm.StopBits == 2 ? 1 : 0);
    cmbParity_->addItems({"none", "odd", "even"});
    cmbParity_->setCurrentIndex(std::max(0, cmbParity_->findText(fromUtf8(comm.Parity))));

    const int count = std::clamp<int>(comm.IPListCount, 0, 10);
    for (int i = 0; i < count; ++i) cmbIP_->addItem(fromUtf8(comm.IPList[static_cast<size_t>(i)]));
    cmbIP_->setCurrentIndex(-1);
    if (!comm.IPAddress.empty()) cmbIP_->setEditText(fromUtf8(comm.IPAddress));
    if (comm.IPPort != 0) txtPort_->setText(QString::number(comm.IPPort));

    chkChecksum_->setChecked(edited_.CheckChecksum);
    chkEmptyBuffer_->setChecked(edited_.EmptyBuffer);
}

void FrmCommSetup::optComm_Click(int index) {
    optComm_[static_cast<size_t>(index)]->setChecked(true);
    frameCOM_->setVisible(index == 0);
    frameTCPIP_->setVisible(index == 1);
}

bool FrmCommSetup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtPort_ && event->type() == QEvent::FocusIn) {
        // Select after the click that gave the focus has placed the cursor.
        QTimer::singleShot(0, txtPort_, &QLineEdit::selectAll);
    }
    if ((watched == cmbIP_ || watched == txtPort_) && event->type() == QEvent::FocusOut && !checking_) {
        // Leaving the dialog (a message box, the list's popup) is not leaving the box;
        // neither is going to Cancel or to the serial option, where the text does not matter.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* next = QApplication::focusWidget();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && next != cmdCancel_ &&
            next != optComm_[0]) {
            if (watched == cmbIP_) {
                cmbIP_Check();
            } else {
                txtPort_Check();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool FrmCommSetup::cmbIP_Check() {
    const std::string text = cmbIP_->currentText().toStdString();
    if (IsValidServerAddress(text)) {
        recordAddress(text);
        return true;
    }
    checking_ = true;
    messages_.operatorMessage(base::MessageIcon::Critical, kCommSetupMessageTitle, text + kInvalidIPAddressText);
    cmbIP_->setFocus(Qt::OtherFocusReason);
    checking_ = false;
    return false;
}

bool FrmCommSetup::txtPort_Check() {
    const std::string text = txtPort_->text().toStdString();
    if (const std::optional<int32_t> port = ParsePortNumber(text)) {
        txtPort_->setText(QString::number(*port));
        return true;
    }
    checking_ = true;
    messages_.operatorMessage(base::MessageIcon::Critical, kCommSetupMessageTitle, text + kInvalidPortText);
    txtPort_->setFocus(Qt::OtherFocusReason);
    checking_ = false;
    return false;
}

void FrmCommSetup::recordAddress(const std::string& address) {
    CommSettings& comm = edited_.comm;
    if (!ReArrange_IP_List(comm, address)) return;
    const QSignalBlocker block(cmbIP_);
    const QString typed = cmbIP_->currentText();
    cmbIP_->clear();
    for (int i = 0; i < comm.IPListCount; ++i) cmbIP_->addItem(fromUtf8(comm.IPList[static_cast<size_t>(i)]));
    // The new address is the last entry; a full list shows it selected.
    if (comm.IPListCount == 10) {
        cmbIP_->setCurrentIndex(9);
    } else {
        cmbIP_->setCurrentIndex(-1);
        cmbIP_->setEditText(typed);
    }
}

void FrmCommSetup::cmdOK_Click() {
    const bool tcp = optComm_[1]->isChecked();
    // Everything is checked before anything changes, so a refused OK leaves the settings as they were.
    const QString device = txtDevice_->text().trimmed();
    if (!tcp && device.isEmpty() && cmbComPort_->currentIndex() < 0) {
        messages_.operatorMessage(base::MessageIcon::Critical, kCommSetupMessageTitle, kNoComportSelected);
        return;
    }
    if (tcp && (!cmbIP_Check() || !txtPort_Check())) return;

    CommSettings& comm = edited_.comm;
    if (!tcp) {
        comm.UseTCP = false;
        if (cmbComPort_->currentIndex() >= 0) comm.ComPort = static_cast<int16_t>(cmbComPort_->currentData().toInt());
        comm.Device = device.toStdString();
        comm.BaudRate = cmbBaudRate_->currentData().toInt();
        comm.DataBits = static_cast<int16_t>(cmbDataBits_->currentText().toInt());
        comm.StopBits = static_cast<int16_t>(cmbStopBits_->currentText().toInt());
        comm.Parity = cmbParity_->currentText().toStdString();
    } else {
        comm.UseTCP = true;
        comm.IPAddress = cmbIP_->currentText().toStdString();
        comm.IPPort = *ParsePortNumber(txtPort_->text().toStdString());
    }
    edited_.CheckChecksum = chkChecksum_->isChecked();
    edited_.EmptyBuffer = chkEmptyBuffer_->isChecked();
    accept();
}

void FrmCommSetup::cmdComInfo_Click() {
    FrmComportInfo info(this);
    info.adjustSize();
    const QPoint centre = geometry().center();
    info.move(centre.x() - info.width() / 2, centre.y() - info.height() / 2);
    info.exec();
}

FrmComportInfo::FrmComportInfo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmComportInfo");
    setWindowTitle(kCaption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    auto* icon = ui::PlainLabel({}, this);
    icon->setObjectName("imgInfo");
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    auto* text = ui::PlainLabel(
        "Comport numbers above 16 are not supported. Ports with a higher number are ignored by the "
        "setup dialog.\n\nCOM1 to COM16 are the serial devices of this computer in this order: USB serial "
        "adapters (ttyUSB), USB modems (ttyACM), built-in ports (ttyS), then any other.\n\nAny other serial device (a pseudo-terminal, /dev/serial/by-id/..., "
        "/dev/rfcomm0) can be given by its path under Device.",
        this);
    text->setObjectName("lblInfo");
    text->setWordWrap(true);
    text->setMinimumWidth(320);
    row->addWidget(text, 1);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

}  // namespace input
