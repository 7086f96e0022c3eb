// The ship type texts the decoder fills in, against the code tables' own rule.
#include <gtest/gtest.h>

#include "ais/code_tables.h"
#include "ais/decoder.h"
#include "ais/encoder.h"

namespace ais {
namespace {

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 3, 1, 8, 0, 0);

// The decoder fills the ship type texts without building a ShipTypeTexts per
// message; it must agree with the code tables' rule for every 8-bit value.
TEST(MessageFields, ShipTypeTextsAgreeWithTheRule) {
    for (int t = 0; t < 256; ++t) {
        ClassBExtendedReport e;
        e.MessageID = 19;
        e.ShipType = static_cast<int16_t>(t);
        AISMessageRecord rec;
        DecodeAISMessage(EncodePayload(e).payload, rec, 0, 0, kNow);
        const ShipTypeTexts want = ShipTypeRule(t);
        EXPECT_EQ(rec.Type19.ShipType, want.ShipType) << t;
        EXPECT_EQ(rec.Type19.ShipTypeText, want.ShipTypeText) << t;
        EXPECT_EQ(rec.Type19.CargoTypeText, want.CargoTypeText) << t;
        EXPECT_EQ(rec.Type19.ShipTypeFullText, want.ShipTypeFullText) << t;
    }
}

}  // namespace
}  // namespace ais
