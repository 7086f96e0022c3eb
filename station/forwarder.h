// Forwarder: passes every valid received sentence on to the outputs (a UDP
// address, the clients of a TCP server), as received or with its tag block
// taken off, so a chart plotter can run beside the program.
//
// Valid: a VDM/VDO sentence the intake took (fragment or message, whatever
// became of its message), or any other '$'/'!' sentence, in both cases with
// its checksum right (also while the input test of checksums is off). Tag-only
// lines go on only with their tag blocks kept.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sentence/intake.h"

namespace input {

class ForwardSink {
public:
    virtual ~ForwardSink() = default;
    virtual void forward(std::string_view bytes) = 0;
};

class Forwarder final : public SentenceTap {
public:
    void setStripTags(bool strip) { strip_ = strip; }
    // A station in a network names itself: a sentence that arrives without a
    // tag block goes on with one giving this name (s:) and the time of
    // reception (c:, from clock, UNIX seconds), so a central station can tell
    // the feeds apart. Characters a tag value cannot hold become '_'. Empty:
    // sentences go on as received.
    void setStationName(std::string_view name, std::function<int64_t()> clock);
    void addSink(ForwardSink* sink);
    void removeSink(ForwardSink* sink);

    void sentenceTaken(int input, std::string_view sentence, IntakeResult result) override;

    // What goes on for this sentence: empty when nothing does.
    static std::string_view Forwarded(std::string_view sentence, IntakeResult result, bool stripTags);
    // A tag-block value made safe: no ',', '*', '\\', '!', '$' or control characters.
    static std::string TagValue(std::string_view text);

private:
    bool strip_ = false;
    std::string name_;
    std::function<int64_t()> clock_;
    std::string stamped_;
    std::vector<ForwardSink*> sinks_;
};

}  // namespace input
