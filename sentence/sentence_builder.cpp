#include "sentence/sentence_builder.h"

#include "sentence/checksum.h"

namespace input {

namespace {

constexpr size_t kMaxSentence = 82;  // characters, line end included

}  // namespace

std::string MakeSentence(bool ownShip, int count, int number, int sequentialId, char channel,
                         std::string_view payload, int fillBits) {
    std::string s;
    s.reserve(payload.size() + 24);
    s += ownShip ? "!AIVDO," : "!AIVDM,";
    s += std::to_string(count);
    s += ',';
    s += std::to_string(number);
    s += ',';
    if (sequentialId >= 0) s += std::to_string(sequentialId);
    s += ',';
    if (channel) s += channel;
    s += ',';
    s.append(payload);
    s += ',';
    s += std::to_string(fillBits);
    s += '*';
    s += NMEAChecksum(s);
    s += "\r\n";
    return s;
}

std::vector<std::string> SentenceBuilder::build(std::string_view payload, int fillBits, char channel,
                                                bool ownShip) {
    std::vector<std::string> out;
    build(payload, fillBits, channel, ownShip, out);
    return out;
}

void SentenceBuilder::build(std::string_view payload, int fillBits, char channel, bool ownShip,
                            std::vector<std::string>& out) {
    // "!AIVDM,1,1,,A," + payload + ",0*hh\r\n"
    const size_t fixed = 14 + (channel ? 0 : -1) + 7;
    if (payload.size() + fixed <= kMaxSentence) {
        out.push_back(MakeSentence(ownShip, 1, 1, -1, channel, payload, fillBits));
        return;
    }
    // Fragments carry a one-digit identifier, so one character less fits; more
    // than nine fragments (longer than any AIS message) need wider counts.
    size_t chunk = kMaxSentence - fixed - 1;
    size_t count = (payload.size() + chunk - 1) / chunk;
    if (count > 9) {
        chunk -= 2;
        count = (payload.size() + chunk - 1) / chunk;
    }
    const int id = nextSequentialId_;
    nextSequentialId_ = (nextSequentialId_ + 1) % 10;
    for (size_t k = 0; k < count; ++k) {
        const std::string_view part = payload.substr(k * chunk, chunk);
        out.push_back(MakeSentence(ownShip, static_cast<int>(count), static_cast<int>(k + 1), id, channel, part,
                                   k + 1 == count ? fillBits : 0));
    }
}

}  // namespace input
