#include "windows/ais/message_inbox_model.h"

#include <QFont>

namespace ais {

MessageInboxModel::MessageInboxModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), inbox_(capacity) {}

InboxAdded MessageInboxModel::add(const MessageNotice& notice) {
    const int last = static_cast<int>(inbox_.size()) - 1;
    if (inbox_.size() == inbox_.capacity()) {
        beginRemoveRows({}, last, last);
        inbox_.dropOldest();
        endRemoveRows();
    }
    beginInsertRows({}, 0, 0);
    const InboxAdded added = inbox_.add(notice);
    endInsertRows();
    return added;
}

void MessageInboxModel::markRead(std::uint64_t id) {
    if (!inbox_.markRead(id)) return;
    const int row = static_cast<int>(*inbox_.rowOf(id));
    emit dataChanged(index(row, 0), index(row, kColumns - 1), {Qt::FontRole});
}

int MessageInboxModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(inbox_.size());
}

int MessageInboxModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant MessageInboxModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const InboxEntry& e = inbox_.at(static_cast<std::size_t>(index.row()));
    if (role == Qt::FontRole) {
        QFont font;
        font.setBold(!e.read);
        return font;
    }
    if (role != Qt::DisplayRole) return {};
    const std::string* text = nullptr;
    switch (index.column()) {
        case kColTime: text = &e.time; break;
        case kColType: text = &e.type; break;
        case kColFrom: text = &e.from; break;
        default: text = &e.text; break;
    }
    QString shown = QString::fromStdString(*text);
    // One line per row in the list; the whole text is in the pane below it.
    if (index.column() == kColText) shown.replace('\n', ' ').replace('\r', ' ');
    return shown;
}

QVariant MessageInboxModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[kColumns] = {"Time", "Type", "From", "Text"};
    return section >= 0 && section < kColumns ? QString(kTitles[section]) : QVariant();
}

}  // namespace ais
