// What the port monitor window shows, decided without Qt: the sentence text
// box with its line capacity and freeze, and the socket state line.
//
// The text box holds the sentences handed to the sentence handler. Its
// capacity is one line per 255 twips of height; once it shows one sentence
// more than that, the next sentence empties it first. So a box 2550 twips
// high takes 11 sentences and the twelfth starts it again.
//
//   input::MonitorText box;
//   box.setCapacity(input::MonitorCapacity(2550));   // 10
//   box.add("!AIVDM,...*5C\r\n");
//   auto update = box.takeUpdate();                  // replace or append, for the widget
//
// The window pulls takeUpdate() from a timer, so a busy feed costs one widget
// update per tick, not one per sentence. Memory stays bounded: the box never
// holds more than capacity + 1 sentences, each cut to kMaxShownSentence bytes.
#pragma once

#include "station/input_counters.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace input {

// Sentences the box holds before it starts again: height in twips / 255.
int MonitorCapacity(int heightTwips);

class MonitorText {
public:
    // A sentence longer than this (no NMEA sentence is) is shown cut, ending in "...".
    static constexpr size_t kMaxShownSentence = 1024;

    void setCapacity(int lines) { capacity_ = lines < 0 ? 0 : lines; }
    int capacity() const { return capacity_; }

    // Appends a sentence (line end included) unless frozen.
    void add(std::string_view sentence);
    // Freeze: a blank line ("  " and a line end) marks where showing stopped.
    void freeze();
    // Continue: new sentences are shown again, after the blank line.
    void resume() { frozen_ = false; }
    bool frozen() const { return frozen_; }
    void clear();

    const std::string& text() const { return text_; }
    // Sentences in the box (the count the box is tagged with).
    int shownCount() const { return shown_; }

    // What changed since the previous call, for the widget: when replace is
    // set, the whole text() is to be shown anew; otherwise appended is to be
    // added at the end. changed is false when nothing happened.
    struct Update {
        bool changed = false;
        bool replace = false;
        std::string appended;
    };
    Update takeUpdate();

private:
    void append(std::string_view s);

    std::string text_;
    std::string appended_;
    int capacity_ = 0;
    int shown_ = 0;
    bool frozen_ = false;
    bool replaced_ = false;
    bool changed_ = false;
};

// The socket state line of the monitor's status bar and when to look again.
struct MonitorSocketView {
    std::string text;
    int nextIntervalMs = 0;  // 0: keep the current interval
    bool operator==(const MonitorSocketView&) const = default;
};
// State numbering of input::SocketState; remoteHost is the address the socket reports.
MonitorSocketView MonitorSocketState(int state, std::string_view remoteHost);

// The start of a received chunk, as much as the monitor shows of it.
inline constexpr size_t kMaxShownInputBuffer = 1000;
std::string_view ShownInputBuffer(std::string_view received);

// Counters of one input (or several added up), as the monitor shows them:
// "Sentences 12  Bytes 960  Checksum errors 1  Overflow 0  Last data 3 s ago"
// ("Last data none" before the first byte).
InputCounters& operator+=(InputCounters& to, const InputCounters& c);
std::string InputCountersText(const InputCounters& c, double nowMonotonic);

}  // namespace input
