#include "app/frm_messages_window.h"

#include <QVBoxLayout>

namespace app {

FrmMessages::FrmMessages(QWidget* parent) : QWidget(parent, Qt::Window), richtxtMsg_(new QTextEdit(this)) {
    setObjectName("frmMessages");
    setWindowTitle("Incoming Messages");
    setAttribute(Qt::WA_DeleteOnClose);
    richtxtMsg_->setObjectName("richtxtMsg");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(richtxtMsg_);
    resize(480, 320);
}

}  // namespace app
