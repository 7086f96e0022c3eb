#include "ui/message_box_sink.h"

#include <QMessageBox>

namespace ui {

void MessageBoxSink::operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) {
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
        case base::MessageIcon::Information: qicon = QMessageBox::Information; break;
        case base::MessageIcon::Exclamation: qicon = QMessageBox::Warning; break;
        case base::MessageIcon::Critical: qicon = QMessageBox::Critical; break;
        case base::MessageIcon::Question: qicon = QMessageBox::Question; break;
        case base::MessageIcon::None: break;
    }
    QMessageBox box(qicon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    parent_.data());
    box.exec();
}

}  // namespace ui
