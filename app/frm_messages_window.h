// FrmMessages: the "Incoming Messages" window. It lists every text, safety,
// inquiry and binary message of the run (the main window's inbox model),
// newest first, with a filter line above (any column, case-insensitive) and
// the selected message's whole text below (richtxtMsg, plain text). Opened
// from the View menu without blocking; deleted when closed.
#pragma once

#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTextEdit>
#include <QWidget>

#include "windows/ais/message_inbox_model.h"

namespace app {

class FrmMessages : public QWidget {
    Q_OBJECT
public:
    explicit FrmMessages(ais::MessageInboxModel& model, QWidget* parent = nullptr);
    QTextEdit* richtxtMsg() const { return richtxtMsg_; }
    QTableView* list() const { return lstMessages_; }

private:
    void showSelected();

    ais::MessageInboxModel& model_;
    QSortFilterProxyModel* filter_;
    QLineEdit* txtFilter_;
    QTableView* lstMessages_;
    QTextEdit* richtxtMsg_;
};

}  // namespace app
