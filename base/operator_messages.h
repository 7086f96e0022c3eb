// Operator messages: what the desktop program shows in modal message boxes.
// The core raises them as (icon, title, text) through this sink; the window
// layer shows a box, the command-line tool prints to stderr, tests record them.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace base {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void operatorMessage(MessageIcon icon, const std::string& title, const std::string& text) = 0;
};

// Keeps every message; for tests and for callers that decide later.
class RecordingMessageSink : public MessageSink {
public:
    struct Entry {
        MessageIcon icon;
        std::string title;
        std::string text;
        bool operator==(const Entry&) const = default;
    };
    void operatorMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
        entries.push_back({icon, title, text});
    }
    std::vector<Entry> entries;
};

// Drops every message.
class NullMessageSink final : public MessageSink {
public:
    void operatorMessage(MessageIcon, const std::string&, const std::string&) override {}
};

// Writes each message as one line on standard error, after a prefix (the
// program's name); for when no one may be asked anything, such as at shutdown.
class StandardErrorSink final : public MessageSink {
public:
    explicit StandardErrorSink(std::string prefix) : prefix_(std::move(prefix)) {}
    void operatorMessage(MessageIcon, const std::string&, const std::string& text) override {
        std::fprintf(stderr, "%s: %s\n", prefix_.c_str(), text.c_str());
        std::fflush(stderr);
        ++count;
    }
    int count = 0;

private:
    std::string prefix_;
};

}  // namespace base
