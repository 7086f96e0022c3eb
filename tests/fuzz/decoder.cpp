// DecodeAISMessage alone, on any payload with any fill-bit count.
//
// Input: byte 0 is the fill-bit count as a signed byte (any value must be
// safe), byte 1 bit 0 picks the binary application numbering, the rest is the
// payload text.
//
// What must hold: the result is a type 0-63; decoding is deterministic and the
// two entry points agree; a message changes no sub-record but its own type's;
// what was decoded, encoded again, decodes to the same sub-record.
#include <cmath>

#include "ais/decoder.h"
#include "ais/encoder.h"
#include "fuzz/fuzz_support.h"
#include "support/sample_sentences.h"

namespace {

// A record with every sub-record already holding values, so a decoder that
// wrote into the wrong one would show.
const ais::AISMessageRecord& busyRecord() {
    static const ais::AISMessageRecord rec = [] {
        ais::AISMessageRecord r;
        const base::DateTime t = base::DateTime::fromCalendar(2025, 3, 1, 8, 0, 0);
        for (int type = 1; type <= 27; ++type) {
            const ais::EncodedPayload p = ais::EncodeHeaderOnly(type, 1, 200000000 + type, 424);
            ais::DecodeAISMessage(p.payload, r, p.fillBits, 0, t);
        }
        return r;
    }();
    return rec;
}

bool sameExcept(const ais::AISMessageRecord& a, const ais::AISMessageRecord& b, int type) {
    for (int t = 1; t <= 27; ++t) {
        if (t != type && !testing_support::SameSubRecord(a, b, t)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int fillBits = static_cast<int8_t>(data[0]);
    const int standard = data[1] & 1;
    const std::string_view payload = fuzzing::AsText(data + 2, size - 2);
    const base::DateTime now = base::DateTime::fromCalendar(2026, 12, 31, 23, 59, 59);

    ais::AISMessageRecord fresh;
    const int type = ais::DecodeAISMessage(payload, fresh, fillBits, standard, now);
    FUZZ_CHECK(type >= 0 && type <= 63);

    ais::AISMessageRecord again;
    const ais::PayloadBits bits(payload);
    FUZZ_CHECK(ais::DecodeAISMessage(bits, again, fillBits, standard, now) == type);
    FUZZ_CHECK(sameExcept(fresh, again, 0));

    ais::AISMessageRecord busy = busyRecord();
    FUZZ_CHECK(ais::DecodeAISMessage(payload, busy, fillBits, standard, now) == type);
    FUZZ_CHECK(sameExcept(busy, busyRecord(), type));

    ais::EncodedPayload encoded;
    if (testing_support::Reencode(fresh, type, encoded)) {
        ais::AISMessageRecord back;
        FUZZ_CHECK(ais::DecodeAISMessage(encoded.payload, back, encoded.fillBits, standard, now) == type);
        // An ETA whose month or day carried into another year (month 13-15,
        // day 0 in January) is a date the message itself cannot state: the
        // year always comes from the clock.
        // A carried hour or minute (24, 60) reaches the same instant by another
        // sum, which may differ in the last bit.
        if (type == 5 && !fresh.Type5.ETA.isNull() &&
            (fresh.Type5.ETA.toCalendar().year != now.toCalendar().year ||
             std::fabs(back.Type5.ETA.value() - fresh.Type5.ETA.value()) < 1e-6)) {
            back.Type5.ETA = fresh.Type5.ETA;
        }
        if (!sameExcept(back, fresh, 0)) {
            std::fprintf(stderr, "type %d: %s re-encoded as %s (fill %d)\n", type, std::string(payload).c_str(),
                         encoded.payload.c_str(), encoded.fillBits);
            FUZZ_CHECK(false);
        }
    }
    return 0;
}
