// Forwarder: passes every valid received sentence on to the outputs (a UDP
// address, the clients of a TCP server), as received or with its tag block
// taken off, so a chart plotter can run beside the program.
//
// Valid: a VDM/VDO sentence the intake took (fragment or message, whatever
// became of its message), or any other '$'/'!' sentence, in both cases with
// its checksum right (also while the input test of checksums is off). Tag-only
// lines go on only with their tag blocks kept.
#pragma once

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
    void addSink(ForwardSink* sink);
    void removeSink(ForwardSink* sink);

    void sentenceTaken(int input, std::string_view sentence, IntakeResult result) override;

    // What goes on for this sentence: empty when nothing does.
    static std::string_view Forwarded(std::string_view sentence, IntakeResult result, bool stripTags);

private:
    bool strip_ = false;
    std::vector<ForwardSink*> sinks_;
};

}  // namespace input
