// MessageInboxModel: the inbox as a table for View > Incoming Messages:
// columns Time, Type, From, Text, newest row first, unread rows in bold.
// Adding a message inserts row 0 (and removes the last row when the inbox
// was full), so an open list keeps its selection and scroll.
#pragma once

#include <QAbstractTableModel>

#include "ais/message_inbox.h"

namespace ais {

class MessageInboxModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kColTime, kColType, kColFrom, kColText, kColumns };

    explicit MessageInboxModel(std::size_t capacity = kInboxCapacity, QObject* parent = nullptr);

    InboxAdded add(const MessageNotice& notice);
    void markRead(std::uint64_t id);
    const MessageInbox& inbox() const { return inbox_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    MessageInbox inbox_;
};

}  // namespace ais
