#include "ais/message_inbox.h"

#include <algorithm>

namespace ais {

std::optional<PopupKind> PopupKindOf(int messageType) {
    switch (messageType) {
        case 12:
        case 14: return PopupKind::Text;
        case 10: return PopupKind::Inquiry;
        case 6:
        case 8: return PopupKind::Binary;
        default: return std::nullopt;
    }
}

MessageInbox::MessageInbox(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

InboxAdded MessageInbox::add(const MessageNotice& notice) {
    InboxEntry& e = ring_[next_];
    e.id = ++lastId_;
    e.time = notice.lblTime;
    e.type = notice.lblTypeOfMsg;
    // The window's label starts with a blank and the name keeps its padding;
    // a list cell wants neither.
    const std::size_t first = notice.lblName.find_first_not_of(' ');
    e.from = first == std::string::npos ? std::string() : notice.lblName.substr(first, notice.lblName.find_last_not_of(' ') + 1 - first);
    e.text = notice.txtMessage;
    e.read = false;
    next_ = (next_ + 1) % ring_.size();
    const bool dropped = count_ == ring_.size();
    if (!dropped) ++count_;
    return {e.id, dropped};
}

const InboxEntry& MessageInbox::at(std::size_t row) const {
    return ring_[(next_ + ring_.size() - 1 - row) % ring_.size()];
}

std::optional<std::size_t> MessageInbox::rowOf(std::uint64_t id) const {
    if (id == 0 || id > lastId_ || lastId_ - id >= count_) return std::nullopt;
    return static_cast<std::size_t>(lastId_ - id);
}

bool MessageInbox::markRead(std::uint64_t id) {
    const auto row = rowOf(id);
    if (!row) return false;
    ring_[(next_ + ring_.size() - 1 - *row) % ring_.size()].read = true;
    return true;
}

}  // namespace ais
