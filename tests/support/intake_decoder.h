// Decodes sentences through the program's intake (no checksum test), for
// tests that check what the simulator or the encoder writes.
//
//   testing_support::IntakeDecoder dec;
//   for (const auto& s : sentences) {
//       if (dec.feed(s) >= 0) check(dec.record);
//   }
#pragma once

#include <string>
#include <string_view>

#include "ais/decoder.h"
#include "sentence/intake.h"

namespace testing_support {

// Text fields without the blanks and '@' that pad them.
inline std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '@')) s.pop_back();
    return s;
}

struct IntakeDecoder {
    explicit IntakeDecoder(int standard = 0) : standard(standard) {}

    // The decoded message type, or -1 when the sentence completed no message.
    int feed(std::string_view sentence, double monotonicSeconds = 0) {
        const input::IntakeOutcome o = intake.take(sentence, monotonicSeconds, false);
        if (o.result != input::IntakeResult::Message) return -1;
        return ais::DecodeAISMessage(o.payload, record, o.fillBits, standard, now);
    }

    int standard;
    base::DateTime now = base::DateTime::fromCalendar(2026, 6, 15, 12, 0, 0);
    input::Intake intake;
    ais::AISMessageRecord record;
};

}  // namespace testing_support
