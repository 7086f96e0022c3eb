#include "windows/ais/ais_message_window.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "ui/plain_text.h"
#include "ui/window_placement.h"

namespace ais {
namespace {

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* l = ui::PlainLabel({}, parent);
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

FrmAISMessage::FrmAISMessage(QWidget* parent)
    : QWidget(parent, Qt::Window),
      lblName_(valueLabel(this, "lblName")),
      lblReceiver_(valueLabel(this, "lblReceiver")),
      lblTypeOfMsg_(valueLabel(this, "lblTypeOfMsg")),
      lblTime_(valueLabel(this, "lblTime")),
      txtMessage_(new QPlainTextEdit(this)),
      cmdOK_(new QPushButton("OK", this)) {
    setObjectName("frmAISMessage");
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);  // OK unloads the window
    txtMessage_->setObjectName("txtMessage");
    txtMessage_->setReadOnly(true);
    // Texts keep the trailing blanks of their fill characters; show them as sent.
    txtMessage_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &QWidget::close);

    auto* grid = new QGridLayout;
    const std::pair<const char*, QLabel*> rows[] = {
        {"Message from : ", lblName_}, {"To MMSI :", lblReceiver_}, {"Type of msg :", lblTypeOfMsg_}, {"Time :", lblTime_}};
    int r = 0;
    for (const auto& [caption, value] : rows) {
        grid->addWidget(ui::PlainLabel(caption, this), r, 0);
        grid->addWidget(value, r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(txtMessage_, 1);
    layout->addLayout(buttons);
    resize(460, 300);
    ui::KeepTitleWhole(*this);
}

void FrmAISMessage::showNotice(const MessageNotice& n) {
    lblName_->setText(QString::fromStdString(n.lblName));
    lblReceiver_->setText(QString::fromStdString(n.lblReceiver));
    lblTypeOfMsg_->setText(QString::fromStdString(n.lblTypeOfMsg));
    lblTime_->setText(QString::fromStdString(n.lblTime));
    txtMessage_->setPlainText(QString::fromStdString(n.txtMessage));
}

}  // namespace ais
