#include "ui/message_box_sink.h"

#include <QMessageBox>

namespace ui {

void MessageBoxSink::operatorMessage(app::MessageIcon icon, const std::string& title, const std::string& text) {
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
        case app::MessageIcon::Information: qicon = QMessageBox::Information; break;
        case app::MessageIcon::Exclamation: qicon = QMessageBox::Warning; break;
        case app::MessageIcon::Critical: qicon = QMessageBox::Critical; break;
        case app::MessageIcon::Question: qicon = QMessageBox::Question; break;
        case app::MessageIcon::None: break;
    }
    QMessageBox box(qicon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    parent_.data());
    box.exec();
}

}  // namespace ui
