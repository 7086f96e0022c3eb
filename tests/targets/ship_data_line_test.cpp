#include <gtest/gtest.h>

#include <string>

#include "targets/ship_database.h"

namespace targets {
namespace {

// A name with a stray UTF-8 lead byte (0xC3) before a quote, a line break or
// another control character: the lower-casing of two-byte letters must not
// carry that next character into the file unreplaced, or the record breaks.
TEST(ShipDataLine, StrayLeadByteNeverLetsAQuoteOrLineBreakThrough) {
    for (const std::string tail : {"\"", "\n", "\r", "\x01", "\"x\"", ","}) {
        ShipDataItem item{2155, "6151\"\x8d\xc3" + tail, "DA4", 0, 80, 5, 10, 5, 5, 3};
        std::string line = FormatShipDataLine(item);
        ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
        line.resize(line.size() - 2);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        const auto back = ParseShipDataLine(line);
        ASSERT_TRUE(back.has_value()) << line;
        EXPECT_EQ(back->CallSign, "DA4");
        EXPECT_EQ(back->EPFDType, 3);
    }
    // A real two-byte capital is still lowered.
    EXPECT_EQ(FormatShipDataLine({1, "M\xC3\x96WE", "", 0, 0, 0, 0, 0, 0, 0}), "1,\"m\xC3\xB6we\",\"\",0,0,0,0,0,0,0\r\n");
}

}  // namespace
}  // namespace targets
