#include "station/port_monitor.h"

#include <algorithm>

#include "station/connection.h"

namespace input {

int MonitorCapacity(int heightTwips) { return heightTwips > 0 ? heightTwips / 255 : 0; }

void MonitorText::append(std::string_view s) {
    text_.append(s);
    if (!replaced_) appended_.append(s);
    changed_ = true;
}

void MonitorText::add(std::string_view sentence) {
    if (frozen_) return;
    if (capacity_ < shown_) clear();
    if (sentence.size() > kMaxShownSentence) {
        // Keep the line end so the next sentence still starts on a line of its own.
        std::string cut(sentence.substr(0, kMaxShownSentence));
        cut += "...";
        if (sentence.back() == '\n') cut += sentence.size() >= 2 && sentence[sentence.size() - 2] == '\r' ? "\r\n" : "\n";
        append(cut);
    } else {
        append(sentence);
    }
    ++shown_;
}

void MonitorText::freeze() {
    if (frozen_) return;
    append("  \r\n");
    frozen_ = true;
}

void MonitorText::clear() {
    text_.clear();
    appended_.clear();
    shown_ = 0;
    replaced_ = true;
    changed_ = true;
}

MonitorText::Update MonitorText::takeUpdate() {
    Update u;
    u.changed = changed_;
    u.replace = replaced_;
    if (!replaced_) u.appended.swap(appended_);
    appended_.clear();
    replaced_ = false;
    changed_ = false;
    return u;
}

MonitorSocketView MonitorSocketState(int state, std::string_view remoteHost) {
    switch (state) {
        case kSocketClosed: return {"Closed", 10000};
        case kSocketListening: return {"Listening", 1000};
        case kSocketConnectionPending: return {"Connection pending", 1000};
        case kSocketResolvingHost: return {"Resolving host", 1000};
        case kSocketHostResolved: return {"Host Resolved", 1000};
        case kSocketConnecting: return {"Connecting to " + std::string(remoteHost), 200};
        case kSocketConnected: return {"Connected to " + std::string(remoteHost), 10000};
        case kSocketClosing: return {"Closing", 1000};
        case kSocketError: return {"Error", 1000};
        default: return {std::to_string(state), 0};
    }
}

std::string_view ShownInputBuffer(std::string_view received) {
    return received.substr(0, kMaxShownInputBuffer);
}

InputCounters& operator+=(InputCounters& to, const InputCounters& c) {
    to.Bytes += c.Bytes;
    to.Sentences += c.Sentences;
    to.SentenceBytes += c.SentenceBytes;
    to.ChecksumErrors += c.ChecksumErrors;
    static_cast<FramerCounts&>(to) += c;
    to.LastData = std::max(to.LastData, c.LastData);
    for (size_t i = 0; i < to.Monitor.size(); ++i) to.Monitor[i] += c.Monitor[i];
    return to;
}

std::string InputCountersText(const InputCounters& c, double nowMonotonic) {
    std::string text = "Sentences " + std::to_string(c.Sentences) + "  Bytes " + std::to_string(c.Bytes) +
                       "  Checksum errors " + std::to_string(c.ChecksumErrors) + "  Overflow " +
                       std::to_string(c.Overflow) + "  Last data ";
    if (c.LastData < 0) return text + "none";
    return text + std::to_string(static_cast<int64_t>(std::max(0.0, nowMonotonic - c.LastData))) + " s ago";
}

}  // namespace input
