// Test helper: the receive side in miniature (fields, fragment assembly,
// decoder) to check what the simulator writes.
#pragma once

#include <string>
#include <string_view>

#include "ais/decoder.h"
#include "input/checksum.h"
#include "input/vdm.h"

namespace simtest {

inline std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '@')) s.pop_back();
    return s;
}

struct Decoding {
    explicit Decoding(int standard = 0) : standard(standard) {}

    // Feeds one sentence; returns the decoded message type, or -1 while the
    // message is incomplete (or the sentence is not a VDM/VDO sentence).
    int feed(std::string_view sentence, double time = 0) {
        if (sentence.size() < 6) return -1;
        const std::string_view kind = sentence.substr(3, 3);
        if (kind != "VDM" && kind != "VDO") return -1;
        input::VDMFields f;
        if (input::ExtractVDM(sentence, f) != input::ExtractResult::Ok) return -1;
        const auto status = assembler.add(kind == "VDO" ? input::SentenceKind::VDO : input::SentenceKind::VDM, f, time);
        if (status != input::VdmAssembler::Status::Complete) return -1;
        return ais::DecodeAISMessage(assembler.payload(), record, assembler.fillBits(), standard, now);
    }

    int standard;
    base::DateTime now = base::DateTime::fromCalendar(2026, 6, 15, 12, 0, 0);
    input::VdmAssembler assembler;
    ais::AISMessageRecord record;
};

}  // namespace simtest
