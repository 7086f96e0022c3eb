// Sentence framing: turns the bytes of a serial port or a TCP connection into
// sentences and hands each one to a SentenceHandler.
//
// A sentence is the text after the previous line feed up to and including the
// next one; a carriage return before the line feed stays in it, and so does any
// text before the '$' or '!'. Bytes may arrive in any chunking: the unfinished
// tail of a chunk is kept and joined with the next. Every complete sentence of a
// chunk is handed over in order, except under the empty-buffer rule, where the
// first one is handed over and the other complete ones are discarded and counted
// in its Ignored counter.
//
// Memory is bounded: a line that grows past kMaxLine bytes without a line feed
// is dropped whole (counted in Overflow / OverflowBytes) up to its line feed,
// whether it came in many notifications or in one.
//
// When its input is opened, closed or lost, the unfinished line is dropped
// (dropUnfinished, counted in CutOff / CutOffBytes), so the tail of one
// connection never joins the first line of the next.
//
// Each framer keeps its own counts; they are read as a value (counts()).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <cstdint>

namespace input {

// What a framer dropped itself, and the bytes of it.
struct FramerCounts {
    int64_t Ignored = 0;  // complete sentences discarded by the empty-buffer rule
    int64_t IgnoredBytes = 0;
    int64_t Overflow = 0;  // lines dropped whole for outgrowing kMaxLine
    int64_t OverflowBytes = 0;
    int64_t CutOff = 0;  // unfinished lines dropped because the input restarted
    int64_t CutOffBytes = 0;
    bool operator==(const FramerCounts&) const = default;
};

FramerCounts& operator+=(FramerCounts& to, const FramerCounts& c);

// Where a framer hands its results: every sentence, and news of the counting
// it did itself.
class SentenceHandler {
public:
    virtual ~SentenceHandler() = default;
    virtual void handleSentence(std::string_view sentence) = 0;
    // A complete sentence was discarded by the empty-buffer rule (Ignored grew).
    virtual void sentenceIgnored() {}
    // The unfinished input changed (only while watched, see setWatched).
    virtual void inputBufferChanged(std::string_view pending) {}
};

class Framer {
public:
    static constexpr size_t kMaxLine = 64 * 1024;
    // Bytes held back while a sentence is being handled (a handler that runs a
    // nested event loop). Beyond this the rest of the input of that time is
    // dropped whole lines at a time and counted as overflow, so a handler
    // that stays busy cannot make memory grow without end.
    static constexpr size_t kMaxHeldBack = 4 * 1024 * 1024;

    explicit Framer(SentenceHandler& handler) : handler_(handler) {}

    // The empty-buffer rule: of the complete sentences of one notification
    // only the first is handed over.
    void setEmptyBuffer(bool on) { emptyBuffer_ = on; }
    bool emptyBuffer() const { return emptyBuffer_; }
    // While watched (the port monitor is open) every change of the
    // unfinished line is reported through inputBufferChanged.
    void setWatched(bool on) { watched_ = on; }

    // One receive notification's worth of bytes.
    void receive(std::string_view bytes);

    // Drops the unfinished line: the input it came from was opened, closed or
    // lost. Called while a sentence is being handed over, it takes effect when
    // the current notification is done.
    void dropUnfinished();

    const FramerCounts& counts() const { return counts_; }
    // Text received but not yet handed over (the unfinished line).
    std::string_view pending() const { return buffer_; }
    // The unfinished line outgrew kMaxLine and is being dropped up to its line feed.
    bool droppingLine() const { return droppingLine_; }
    // A line has begun and not ended (kept or being dropped): at the end of
    // the stream a line feed finishes it.
    bool lineUnfinished() const { return !buffer_.empty() || droppingLine_; }
    // A sentence is being handed over right now.
    bool busy() const { return busy_; }

private:
    // Hands over the complete lines of text; returns where the unfinished
    // rest begins.
    size_t process(std::string_view text);
    // The same on buffer_, which keeps the rest.
    void processBuffer();
    // The lines of a notification handed over from its own bytes: only an
    // unfinished line goes through buffer_ (the one the bytes complete, and
    // their own unfinished tail), rather than every byte copied there first.
    void takeDirectly(std::string_view bytes);
    // An unfinished line beyond kMaxLine is dropped up to its line feed.
    void limitUnfinished();
    void discard(size_t bytes);
    void dropHeldBack(std::string_view bytes);
    void cutOff();

    SentenceHandler& handler_;
    FramerCounts counts_;
    bool emptyBuffer_ = false;
    bool watched_ = false;
    std::string buffer_;
    std::string reentrant_;   // bytes that arrived while a sentence was being handled
    bool heldBackFull_ = false;  // reentrant_ reached kMaxHeldBack; later bytes were dropped
    bool cutAtLineFeed_ = true;  // the last dropped byte was a line feed
    bool busy_ = false;
    bool cutOffWhenDone_ = false;  // dropUnfinished() came while busy
    bool droppingLine_ = false;  // the current line outgrew kMaxLine and is being dropped
};

}  // namespace input
