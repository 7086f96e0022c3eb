#include "sentence/framer.h"

#include <cstring>

namespace input {

namespace {

size_t findLineFeed(std::string_view s, size_t from) {
    if (from >= s.size()) return std::string::npos;
    const void* p = std::memchr(s.data() + from, '\n', s.size() - from);
    return p ? static_cast<size_t>(static_cast<const char*>(p) - s.data()) : std::string::npos;
}

}  // namespace

void Framer::receive(std::string_view bytes) {
    if (busy_) {
        // A handler fed bytes back in (for example from a nested event loop):
        // queue them so the sentence being handled stays intact.
        if (!heldBackFull_ && reentrant_.size() + bytes.size() <= kMaxHeldBack) {
            reentrant_.append(bytes);
        } else {
            heldBackFull_ = true;
            dropHeldBack(bytes);
        }
        return;
    }
    busy_ = true;
    if (watched_ || emptyBuffer_) {
        // The monitor sees the unfinished line as it grows, and the
        // empty-buffer rule judges a notification whole: the buffer takes it all.
        buffer_.append(bytes);
        processBuffer();
    } else {
        takeDirectly(bytes);
    }
    while (!reentrant_.empty() || heldBackFull_) {
        const bool cut = heldBackFull_;
        heldBackFull_ = false;
        buffer_.append(reentrant_);
        reentrant_.clear();
        processBuffer();
        if (cut) {
            // Bytes after the held-back ones were dropped. The unfinished
            // line at the end of the held-back bytes lost its continuation:
            // its line feed was counted with the dropped bytes, or it is
            // still to come, and then the line is dropped up to it.
            counts_.OverflowBytes += static_cast<int64_t>(buffer_.size());
            buffer_.clear();
            droppingLine_ = !cutAtLineFeed_;
            reentrant_.shrink_to_fit();
        }
    }
    busy_ = false;
    if (cutOffWhenDone_) {
        cutOffWhenDone_ = false;
        cutOff();
    }
}

void Framer::dropUnfinished() {
    if (busy_) {
        cutOffWhenDone_ = true;
        return;
    }
    cutOff();
}

void Framer::cutOff() {
    if (droppingLine_) {
        // An overlong line being dropped ends here: its bytes stay overflow.
        droppingLine_ = false;
        counts_.Overflow++;
        counts_.OverflowBytes += static_cast<int64_t>(buffer_.size());
    } else if (!buffer_.empty()) {
        counts_.CutOff++;
        counts_.CutOffBytes += static_cast<int64_t>(buffer_.size());
    }
    buffer_.clear();
    cutAtLineFeed_ = true;
    if (watched_) handler_.inputBufferChanged(buffer_);
}

void Framer::dropHeldBack(std::string_view bytes) {
    if (bytes.empty()) return;
    // Every line feed dropped ends a line that is not handed over.
    for (char c : bytes) {
        if (c == '\n') counts_.Overflow++;
    }
    counts_.OverflowBytes += static_cast<int64_t>(bytes.size());
    cutAtLineFeed_ = bytes.back() == '\n';
}

void Framer::discard(size_t bytes) {
    counts_.Ignored++;
    counts_.IgnoredBytes += static_cast<int64_t>(bytes);
    handler_.sentenceIgnored();
}

void Framer::takeDirectly(std::string_view bytes) {
    if (!buffer_.empty()) {
        // The unfinished line first, up to the line feed that ends it.
        const size_t lf = bytes.find('\n');
        const size_t head = lf == std::string_view::npos ? bytes.size() : lf + 1;
        buffer_.append(bytes.substr(0, head));
        processBuffer();
        bytes.remove_prefix(head);
    }
    if (bytes.empty()) return;
    buffer_.assign(bytes.substr(process(bytes)));
    limitUnfinished();
}

void Framer::processBuffer() {
    if (watched_) handler_.inputBufferChanged(buffer_);
    buffer_.erase(0, process(buffer_));
    limitUnfinished();
}

size_t Framer::process(std::string_view text) {
    size_t pos = 0;
    for (;;) {
        const size_t lf = findLineFeed(text, pos);
        if (lf == std::string::npos) break;
        const size_t start = pos;
        pos = lf + 1;
        // A line longer than the bound is dropped also when it arrived whole in
        // one notification, so the outcome never depends on how the bytes were
        // chunked.
        if (droppingLine_ || lf - start > kMaxLine) {
            droppingLine_ = false;
            counts_.Overflow++;
            counts_.OverflowBytes += static_cast<int64_t>(pos - start);
            continue;
        }
        const std::string_view sentence = text.substr(start, pos - start);
        if (emptyBuffer_) {
            // Hand over this one; discard the other complete sentences of the chunk.
            for (size_t next = findLineFeed(text, pos); next != std::string::npos; next = findLineFeed(text, pos)) {
                discard(next + 1 - pos);
                pos = next + 1;
            }
        }
        handler_.handleSentence(sentence);
    }
    return pos;
}

void Framer::limitUnfinished() {
    if (buffer_.size() > kMaxLine) {
        counts_.OverflowBytes += static_cast<int64_t>(buffer_.size());
        droppingLine_ = true;
        buffer_.clear();
        buffer_.shrink_to_fit();
    }
}

FramerCounts& operator+=(FramerCounts& to, const FramerCounts& c) {
    to.Ignored += c.Ignored;
    to.IgnoredBytes += c.IgnoredBytes;
    to.Overflow += c.Overflow;
    to.OverflowBytes += c.OverflowBytes;
    to.CutOff += c.CutOff;
    to.CutOffBytes += c.CutOffBytes;
    return to;
}

}  // namespace input
