// The run's inbox of text, safety, inquiry and binary messages (types 6, 8,
// 10, 12 and 14): what View > Incoming Messages lists, newest first. It keeps
// at most `capacity` entries in a ring, so a busy feed cannot grow it; the
// oldest entry gives way to a new one.
//
//   ais::MessageInbox inbox(500);
//   const ais::InboxAdded a = inbox.add(notice);   // row 0 is the newest
//   inbox.markRead(a.id);                         // ACCEPT in a binary window
//
// Which messages pop up a window or beep is the operator's choice per kind
// (PopupSettings); every message goes to the inbox whatever the choice.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ais/message_notice.h"

namespace ais {

// Kinds the operator sets pop-ups for: text and safety messages (12, 14),
// inquiries (10), binary messages and their applications (6, 8).
enum class PopupKind { Text = 0, Inquiry = 1, Binary = 2 };
inline constexpr int kPopupKinds = 3;
std::optional<PopupKind> PopupKindOf(int messageType);

struct PopupChoice {
    bool showWindow = true;
    bool beep = true;
    bool operator==(const PopupChoice&) const = default;
};
using PopupSettings = std::array<PopupChoice, kPopupKinds>;

struct InboxEntry {
    std::uint64_t id = 0;  // 1, 2, ... in order of arrival
    std::string time;      // as the notice shows it
    std::string type;      // "12 - Safety related Addressed message"
    std::string from;      // "257012300 - BLUE HERON"
    std::string text;
    bool read = false;
};

struct InboxAdded {
    std::uint64_t id = 0;
    bool droppedOldest = false;  // the inbox was full: its last row went
};

inline constexpr std::size_t kInboxCapacity = 1000;

class MessageInbox {
public:
    explicit MessageInbox(std::size_t capacity = kInboxCapacity);

    InboxAdded add(const MessageNotice& notice);
    std::size_t size() const { return count_; }
    std::size_t capacity() const { return ring_.size(); }
    // Row 0 is the newest entry; row must be below size().
    const InboxEntry& at(std::size_t row) const;
    // The row of entry id, none once it has given way.
    std::optional<std::size_t> rowOf(std::uint64_t id) const;
    // False when the entry is gone.
    bool markRead(std::uint64_t id);
    // Lets the oldest entry go now (a list model removes its row before the
    // next add takes the slot).
    void dropOldest() {
        if (count_ > 0) --count_;
    }

private:
    std::vector<InboxEntry> ring_;
    std::size_t next_ = 0;  // slot the next entry takes
    std::size_t count_ = 0;
    std::uint64_t lastId_ = 0;
};

}  // namespace ais
