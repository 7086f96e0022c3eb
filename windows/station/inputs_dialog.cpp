#include "windows/station/inputs_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/plain_text.h"

namespace input {

namespace {


// A number typed into a box; out-of-range text reads as 0, which the range
// check then reports.
int32_t numberOf(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    return ok && v >= 0 && v <= 2147483647 ? static_cast<int32_t>(v) : 0;
}

}  // namespace

FrmInputs::FrmInputs(const StationSettings& current, QWidget* parent) : QDialog(parent) {
    setObjectName("frmInputs");
    setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(this);

    auto* inputs = new QGroupBox("Inputs besides the main one (Setup > Comm)", this);
    auto* inLayout = new QGridLayout(inputs);
    tblInputs_ = new QTableWidget(0, ColumnCount, inputs);
    tblInputs_->setObjectName("tblInputs");
    tblInputs_->setHorizontalHeaderLabels({"On", "Type", "Address / device", "Port", "Baud"});
    tblInputs_->horizontalHeader()->setSectionResizeMode(ColAddress, QHeaderView::Stretch);
    tblInputs_->setSelectionBehavior(QAbstractItemView::SelectRows);
    inLayout->addWidget(tblInputs_, 0, 0, 1, 2);
    auto* add = new QPushButton("&Add", inputs);
    add->setObjectName("cmdAdd");
    auto* remove = new QPushButton("&Remove", inputs);
    remove->setObjectName("cmdRemove");
    inLayout->addWidget(add, 1, 0);
    inLayout->addWidget(remove, 1, 1);
    connect(add, &QPushButton::clicked, this, [this] { addInput(); });
    connect(remove, &QPushButton::clicked, this, &FrmInputs::removeSelected);
    layout->addWidget(inputs);

    auto* outputs = new QGroupBox("Forward every valid sentence", this);
    auto* out = new QGridLayout(outputs);
    chkForwardUdp_ = new QCheckBox("to UDP address", outputs);
    chkForwardUdp_->setObjectName("chkForwardUdp");
    txtForwardUdpAddress_ = new QLineEdit(outputs);
    txtForwardUdpAddress_->setObjectName("txtForwardUdpAddress");
    txtForwardUdpPort_ = new QLineEdit(outputs);
    txtForwardUdpPort_->setObjectName("txtForwardUdpPort");
    chkForwardTcp_ = new QCheckBox("to clients of TCP port", outputs);
    chkForwardTcp_->setObjectName("chkForwardTcp");
    txtForwardTcpPort_ = new QLineEdit(outputs);
    txtForwardTcpPort_->setObjectName("txtForwardTcpPort");
    // Who may connect: this computer only, unless every interface is chosen.
    cmbForwardTcpListen_ = new QComboBox(outputs);
    cmbForwardTcpListen_->setObjectName("cmbForwardTcpListen");
    cmbForwardTcpListen_->addItem("this computer only (127.0.0.1)", QString(OutputSettings{}.TcpListenAddress.c_str()));
    cmbForwardTcpListen_->addItem("all interfaces (0.0.0.0)", QString(kAllInterfaces));
    chkStripTags_ = new QCheckBox("without tag blocks", outputs);
    chkStripTags_->setObjectName("chkStripTags");
    out->addWidget(chkForwardUdp_, 0, 0);
    out->addWidget(txtForwardUdpAddress_, 0, 1);
    out->addWidget(ui::PlainLabel("port", outputs), 0, 2);
    out->addWidget(txtForwardUdpPort_, 0, 3);
    out->addWidget(chkForwardTcp_, 1, 0);
    out->addWidget(txtForwardTcpPort_, 1, 3);
    out->addWidget(ui::PlainLabel("listening on", outputs), 1, 4);
    out->addWidget(cmbForwardTcpListen_, 1, 5);
    out->addWidget(chkStripTags_, 2, 0);
    layout->addWidget(outputs);

    lblProblem_ = ui::PlainLabel("", this);
    lblProblem_->setObjectName("lblProblem");
    layout->addWidget(lblProblem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &FrmInputs::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FrmInputs::reject);
    layout->addWidget(buttons);

    for (const InputSetting& s : current.Inputs) addInput(s);
    const OutputSettings& o = current.Outputs;
    chkForwardUdp_->setChecked(o.UdpEnabled);
    txtForwardUdpAddress_->setText(QString::fromStdString(o.UdpAddress));
    txtForwardUdpPort_->setText(QString::number(o.UdpPort));
    chkForwardTcp_->setChecked(o.TcpEnabled);
    txtForwardTcpPort_->setText(QString::number(o.TcpPort));
    const QString listen = QString::fromStdString(o.TcpListenAddress);
    // An address of one interface (from the file) stays a choice of its own.
    if (cmbForwardTcpListen_->findData(listen) < 0) cmbForwardTcpListen_->addItem(listen, listen);
    cmbForwardTcpListen_->setCurrentIndex(cmbForwardTcpListen_->findData(listen));
    chkStripTags_->setChecked(o.StripTags);
    resize(720, 420);
}

void FrmInputs::setRow(int row, const InputSetting& s) {
    auto* on = new QTableWidgetItem;
    on->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    on->setCheckState(s.Enabled ? Qt::Checked : Qt::Unchecked);
    tblInputs_->setItem(row, ColEnabled, on);
    auto* type = new QComboBox(tblInputs_);
    type->setObjectName(QString("cmbType_%1").arg(row));
    // Every kind the setup file keeps, in the table's order.
    for (const InputKindInfo& k : InputKinds()) {
        if (*k.key != '\0') type->addItem(k.choice, static_cast<int>(k.kind));
    }
    type->setCurrentIndex(type->findData(static_cast<int>(s.Type)));
    tblInputs_->setCellWidget(row, ColType, type);
    tblInputs_->setItem(row, ColAddress, new QTableWidgetItem(QString::fromStdString(s.Address)));
    tblInputs_->setItem(row, ColPort, new QTableWidgetItem(QString::number(s.Port)));
    tblInputs_->setItem(row, ColBaud, new QTableWidgetItem(QString::number(s.Baud)));
}

void FrmInputs::addInput(const InputSetting& setting) {
    if (tblInputs_->rowCount() >= StationSettings::kMaxInputs) return;
    const int row = tblInputs_->rowCount();
    tblInputs_->insertRow(row);
    setRow(row, setting);
}

void FrmInputs::removeSelected() {
    const int row = tblInputs_->currentRow();
    if (row < 0) return;
    // Rows below move up: their combo boxes keep names by row.
    StationSettings s = settings();
    s.Inputs.erase(s.Inputs.begin() + row);
    tblInputs_->setRowCount(0);
    for (const InputSetting& in : s.Inputs) addInput(in);
}

StationSettings FrmInputs::settings() const {
    StationSettings s;
    for (int row = 0; row < tblInputs_->rowCount(); ++row) {
        InputSetting in;
        in.Enabled = tblInputs_->item(row, ColEnabled)->checkState() == Qt::Checked;
        const auto* type = static_cast<const QComboBox*>(tblInputs_->cellWidget(row, ColType));
        in.Type = static_cast<InputKind>(type->currentData().toInt());
        in.Address = tblInputs_->item(row, ColAddress)->text().trimmed().toStdString();
        in.Port = numberOf(tblInputs_->item(row, ColPort)->text());
        in.Baud = numberOf(tblInputs_->item(row, ColBaud)->text());
        s.Inputs.push_back(std::move(in));
    }
    OutputSettings& o = s.Outputs;
    o.UdpEnabled = chkForwardUdp_->isChecked();
    o.UdpAddress = txtForwardUdpAddress_->text().trimmed().toStdString();
    o.UdpPort = numberOf(txtForwardUdpPort_->text());
    o.TcpEnabled = chkForwardTcp_->isChecked();
    o.TcpPort = numberOf(txtForwardTcpPort_->text());
    o.TcpListenAddress = cmbForwardTcpListen_->currentData().toString().toStdString();
    o.StripTags = chkStripTags_->isChecked();
    return s;
}

void FrmInputs::accept() {
    const std::string problem = StationSettingsProblem(settings());
    if (!problem.empty()) {
        lblProblem_->setText(QString::fromStdString(problem));
        return;
    }
    QDialog::accept();
}

}  // namespace input
