// FrmMessages: the "Incoming Messages" window, one rich-text box. Opened from
// the View menu without blocking; deleted when closed.
#pragma once

#include <QTextEdit>
#include <QWidget>

namespace app {

class FrmMessages : public QWidget {
    Q_OBJECT
public:
    explicit FrmMessages(QWidget* parent = nullptr);
    QTextEdit* richtxtMsg() const { return richtxtMsg_; }

private:
    QTextEdit* richtxtMsg_;
};

}  // namespace app
