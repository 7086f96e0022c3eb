#include "ui/message_box_sink.h"

namespace ui {

void MessageBoxSink::operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) {
    if (stopped_) {
        standardError_.operatorMessage(icon, title, text);
        return;
    }
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
    // Messages quote typed texts, file names and received data: never markup.
    box.setTextFormat(Qt::PlainText);
    open_.emplace_back(&box);
    box.exec();
    open_.pop_back();
}

void MessageBoxSink::stop() {
    if (stopped_) return;
    stopped_ = true;
    for (const QPointer<QMessageBox>& box : open_) {
        if (!box) continue;
        standardError_.operatorMessage(base::MessageIcon::None, box->windowTitle().toStdString(),
                                       box->text().toStdString());
        box->done(QMessageBox::Ok);
    }
}

}  // namespace ui
