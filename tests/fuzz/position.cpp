// ParsePosition on any typed text, FormatPosition of what it read, and
// ReadNumberText (the typed-number reader under it) on the same text.
//
// Input: byte 0 picks the kind (bit 0: latitude or longitude; bit 1: kind in
// lower case), the rest is the typed text (any bytes; invalid UTF-8 is read as
// Latin-1).
//
// What must hold: the value is finite and within the kind's range; unless the
// text was abandoned, the rewritten text reads back to the same value, is not
// rewritten again and raises no message; the display and file forms of the
// value read back to it within their rounding. A typed number is finite, text
// after it does not change it, and a minus sign in front of a text that starts
// with the number negates it.
#include <cmath>

#include "base/number_format.h"
#include "fuzz/fuzz_support.h"
#include "geodesy/position_text.h"

namespace {

void checkNumber(const std::string& text) {
    const double v = base::ReadNumberText(text);
    FUZZ_CHECK(std::isfinite(v));
    FUZZ_CHECK(base::ReadNumberText(text + "\x01" "5") == v);
    FUZZ_CHECK(base::ReadNumberText(text + "#1") == v);
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && ((text[first] >= '0' && text[first] <= '9') || text[first] == '.' ||
                                       text[first] == ',')) {
        FUZZ_CHECK(base::ReadNumberText("-" + text) == -v);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool lat = data[0] & 1;
    const char* kind = lat ? ((data[0] & 2) ? "lat" : "LAT") : ((data[0] & 2) ? "lon" : "LON");
    const double limit = lat ? 90 : 180;
    const std::string typed(fuzzing::AsText(data + 1, size - 1));
    checkNumber(typed);

    std::string text = typed;
    base::RecordingMessageSink first;
    const double value = geodesy::ParsePosition(text, kind, first);
    FUZZ_CHECK(std::isfinite(value));
    FUZZ_CHECK(std::fabs(value) <= limit);
    const bool abandoned = !first.entries.empty() && first.entries.back().text.ends_with("FORMAT ERROR. ");
    if (abandoned) {
        FUZZ_CHECK(value == 0 && text == typed);
        return 0;
    }

    std::string again = text;
    base::RecordingMessageSink second;
    const double reread = geodesy::ParsePosition(again, kind, second);
    FUZZ_CHECK(std::fabs(reread - value) <= 1e-7);
    FUZZ_CHECK(again == text);
    FUZZ_CHECK(second.entries.empty());

    for (const char* style : {"form", "FILE"}) {
        std::string shown = geodesy::FormatPosition(value, kind, style, 4);
        base::RecordingMessageSink third;
        FUZZ_CHECK(std::fabs(geodesy::ParsePosition(shown, kind, third) - value) <= 1.5e-8);
        FUZZ_CHECK(third.entries.empty());
    }
    return 0;
}
