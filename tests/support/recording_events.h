// A ReceiverEvents that records everything, for tests.
#pragma once

#include <string>
#include <vector>

#include "station/receiver_events.h"

namespace testing_support {

class RecordingEvents : public app::ReceiverEvents {
public:
    struct Message {
        base::MessageIcon icon;
        std::string title;
        std::string text;
    };
    void statusPanelChanged(int panel, const std::string& text) override {
        panels.push_back({panel, text});
    }
    void sentenceSeen(std::string_view sentence) override { seen.emplace_back(sentence); }
    void targetChangedByMessage(int entry) override { rows.push_back(entry); }
    void targetStatusChanged(int entry) override { aged.push_back(entry); }
    void aisMessageToShow(const app::MessageToShow& m) override { shown.push_back(m); }
    void operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) override {
        messages.push_back({icon, title, text});
    }

    std::vector<std::pair<int, std::string>> panels;
    std::vector<std::string> seen;
    std::vector<int> rows;
    std::vector<int> aged;
    std::vector<app::MessageToShow> shown;
    std::vector<Message> messages;
};

}  // namespace testing_support
