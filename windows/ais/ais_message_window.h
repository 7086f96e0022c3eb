// FrmAISMessage: the "AIS Message received" window. It shows the latest text,
// binary or inquiry message of a station: who sent it, to whom, its kind, when,
// and the text. There is one window; a new message overwrites what it shows.
// It never blocks the rest of the program; OK closes it.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "ais/message_notice.h"

namespace ais {

class FrmAISMessage : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  AIS Message received";

    explicit FrmAISMessage(QWidget* parent = nullptr);
    void showNotice(const MessageNotice& notice);

private:
    QLabel* lblName_;
    QLabel* lblReceiver_;
    QLabel* lblTypeOfMsg_;
    QLabel* lblTime_;
    QPlainTextEdit* txtMessage_;
    QPushButton* cmdOK_;
};

}  // namespace ais
