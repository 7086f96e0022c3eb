// ReadNumberText on any typed text.
//
// What must hold: the result is a finite number; text after the number does
// not change it; a minus sign put in front of a text that starts with the
// number negates it.
#include <cmath>

#include "base/number_format.h"
#include "fuzz/fuzz_support.h"
#include "geodesy/position_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzzing::AsText(data, size));
    const double v = base::ReadNumberText(text);
    FUZZ_CHECK(std::isfinite(v));
    FUZZ_CHECK(base::ReadNumberText(text + "\x01" "5") == v);
    FUZZ_CHECK(base::ReadNumberText(text + "#1") == v);

    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && ((text[first] >= '0' && text[first] <= '9') || text[first] == '.' ||
                                       text[first] == ',')) {
        FUZZ_CHECK(base::ReadNumberText("-" + text) == -v);
    }
    return 0;
}
