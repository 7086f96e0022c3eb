#include "station/forwarder.h"

#include <algorithm>

#include "sentence/checksum.h"
#include "sentence/tag_block.h"

namespace input {

void Forwarder::addSink(ForwardSink* sink) {
    if (sink && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void Forwarder::removeSink(ForwardSink* sink) { std::erase(sinks_, sink); }

std::string_view Forwarder::Forwarded(std::string_view sentence, IntakeResult result, bool stripTags) {
    switch (result) {
        case IntakeResult::ChecksumError:
        case IntakeResult::Malformed:
            return {};
        case IntakeResult::TagOnly:
            return stripTags ? std::string_view() : sentence;
        default:
            break;
    }
    const TaggedLine split = SplitTagBlock(sentence);
    const std::string_view bare = split.sentence;
    if (bare.empty() || (bare[0] != '$' && bare[0] != '!') || !ChecksumValid(bare)) return {};
    if (stripTags) return bare;
    return !split.tags.present || split.tags.checksumValid ? sentence : std::string_view();
}

std::string Forwarder::TagValue(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 64)) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F || c == ',' || c == '*' || c == '\\' || c == '!' || c == '$') ? '_' : c;
    }
    return out;
}

void Forwarder::setStationName(std::string_view name, std::function<int64_t()> clock) {
    name_ = TagValue(name);
    clock_ = std::move(clock);
}

void Forwarder::sentenceTaken(int, std::string_view sentence, IntakeResult result) {
    if (sinks_.empty()) return;
    std::string_view out = Forwarded(sentence, result, strip_);
    if (out.empty()) return;
    if (!name_.empty() && !strip_ && out.front() != '\\') {
        stamped_ = FormatTagBlock(name_, clock_ ? clock_() : -1);
        stamped_ += out;
        out = stamped_;
    }
    for (ForwardSink* s : sinks_) s->forward(out);
}

}  // namespace input
