#include <gtest/gtest.h>

#include "ais/message_inbox.h"

namespace ais {
namespace {

MessageNotice notice(const std::string& text) {
    MessageNotice n;
    n.lblName = " 257012300 - BLUE HERON   ";
    n.txtMessage = text;
    return n;
}

// A full ring gives its oldest entry to the new one; rows stay newest first
// and ids keep pointing at their own entry, or at nothing once it is gone.
TEST(MessageInbox, RingKeepsTheNewestAndFindsEntriesById) {
    MessageInbox inbox(3);
    std::vector<InboxAdded> added;
    for (const char* t : {"a", "b", "c", "d", "e"}) added.push_back(inbox.add(notice(t)));
    EXPECT_FALSE(added[2].droppedOldest);
    EXPECT_TRUE(added[3].droppedOldest);
    ASSERT_EQ(inbox.size(), 3u);
    EXPECT_EQ(inbox.at(0).text + inbox.at(1).text + inbox.at(2).text, "edc");
    EXPECT_EQ(inbox.at(0).from, "257012300 - BLUE HERON");
    EXPECT_EQ(inbox.rowOf(added[2].id), 2u);
    EXPECT_EQ(inbox.rowOf(added[1].id), std::nullopt);
    EXPECT_FALSE(inbox.markRead(added[1].id));
    EXPECT_TRUE(inbox.markRead(added[3].id));
    EXPECT_TRUE(inbox.at(1).read);
    inbox.dropOldest();
    EXPECT_EQ(inbox.rowOf(added[2].id), std::nullopt);
    inbox.add(notice("f"));
    EXPECT_EQ(inbox.at(0).text + inbox.at(1).text + inbox.at(2).text, "fed");
    EXPECT_FALSE(inbox.at(0).read);
}

TEST(MessageInbox, KindsOfPopUps) {
    const std::pair<int, std::optional<PopupKind>> rows[] = {
        {6, PopupKind::Binary}, {8, PopupKind::Binary}, {10, PopupKind::Inquiry},
        {12, PopupKind::Text},  {14, PopupKind::Text},  {1, std::nullopt}};
    for (const auto& [type, kind] : rows) EXPECT_EQ(PopupKindOf(type), kind) << type;
}

}  // namespace
}  // namespace ais
