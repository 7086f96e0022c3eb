#include "windows/station/web_view_dialog.h"

#include "ui/access_token.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QPushButton>

namespace input {

bool ValidListenAddress(const QString& text) {
    QHostAddress a;
    return a.setAddress(text.trimmed());
}


FrmWebView::FrmWebView(const WebViewChoice& current, QWidget* parent) : QDialog(parent) {
    setObjectName("frmWebView");
    setWindowTitle("Web view");
    auto* form = new QFormLayout(this);
    enabled_ = new QCheckBox("Serve the web view and its API", this);
    enabled_->setObjectName("chkWebView");
    enabled_->setChecked(current.enabled);
    address_ = new QLineEdit(current.address, this);
    address_->setObjectName("txtWebAddress");
    address_->setToolTip("127.0.0.1: this computer only. 0.0.0.0: every network (the token is then needed).");
    port_ = new QSpinBox(this);
    port_->setObjectName("txtWebPort");
    port_->setRange(1, 65535);
    port_->setValue(current.port);
    token_ = new QLineEdit(current.token.isEmpty() ? QString::fromStdString(ui::NewAccessToken()) : current.token, this);
    token_->setObjectName("txtWebToken");
    token_->setReadOnly(true);
    auto* copy = new QPushButton("Copy", this);
    copy->setObjectName("cmdCopyToken");
    auto* renew = new QPushButton("New token", this);
    renew->setObjectName("cmdNewToken");
    auto* tokenRow = new QHBoxLayout;
    tokenRow->addWidget(token_, 1);
    tokenRow->addWidget(copy);
    tokenRow->addWidget(renew);
    link_ = new QLabel(this);
    link_->setObjectName("lblWebLink");
    link_->setTextFormat(Qt::PlainText);
    link_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    problem_ = new QLabel(this);
    problem_->setObjectName("lblWebProblem");
    problem_->setTextFormat(Qt::PlainText);
    problem_->setStyleSheet("color: #b00000");
    form->addRow(enabled_);
    form->addRow("Address :", address_);
    form->addRow("Port :", port_);
    form->addRow("Access token :", tokenRow);
    form->addRow("Open :", link_);
    form->addRow(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdOK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    connect(copy, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(token_->text()); });
    connect(renew, &QPushButton::clicked, this, [this] {
        token_->setText(QString::fromStdString(ui::NewAccessToken()));
        refresh();
    });
    connect(address_, &QLineEdit::textChanged, this, &FrmWebView::refresh);
    connect(port_, &QSpinBox::valueChanged, this, &FrmWebView::refresh);
    connect(enabled_, &QCheckBox::toggled, this, &FrmWebView::refresh);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    refresh();
}

void FrmWebView::refresh() {
    const QString address = address_->text().trimmed();
    const bool valid = ValidListenAddress(address);
    problem_->setText(valid ? QString() : "Not an address this computer can listen on.");
    ok_->setEnabled(valid || !enabled_->isChecked());
    QHostAddress a(address);
    const bool local = a.isLoopback();
    QString host = a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6 ? QString("THIS-COMPUTER") : address;
    if (a.protocol() == QAbstractSocket::IPv6Protocol && host == address) host = "[" + host + "]";
    link_->setText(QString("http://%1:%2/%3").arg(host).arg(port_->value()).arg(local ? "" : "?token=" + token_->text()));
}

WebViewChoice FrmWebView::choice() const {
    return {enabled_->isChecked(), address_->text().trimmed(), port_->value(), token_->text()};
}

}  // namespace input
