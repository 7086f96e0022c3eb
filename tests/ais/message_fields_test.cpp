// Which fields a decoded message reports, and the ship type texts the decoder
// fills in against the code tables' own rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ais/binary_encoder.h"
#include "ais/code_tables.h"
#include "ais/decoder.h"
#include "ais/encoder.h"
#include "ais/message_fields.h"

namespace ais {
namespace {

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 3, 1, 8, 0, 0);

struct Names final : FieldVisitor {
    std::vector<std::string> names;
    void integer(std::string_view n, int64_t) override { names.emplace_back(n); }
    void single(std::string_view n, float) override { names.emplace_back(n); }
    void real(std::string_view n, double) override { names.emplace_back(n); }
    void text(std::string_view n, std::string_view) override { names.emplace_back(n); }
    void dateTime(std::string_view n, base::DateTime) override { names.emplace_back(n); }
};

std::vector<std::string> Visit(const EncodedPayload& e, bool withTime = false) {
    AISMessageRecord rec;
    const int type = DecodeAISMessage(e.payload, rec, e.fillBits, 0, kNow);
    Names v;
    EXPECT_TRUE(VisitDecodedFields(rec, type, v, withTime));
    return v.names;
}

std::vector<std::string> Tail(const std::vector<std::string>& v, size_t n) {
    return {v.end() - static_cast<std::ptrdiff_t>(std::min(n, v.size())), v.end()};
}

TEST(MessageFields, CommunicationStateReportsOnlyTheMatchingField) {
    using V = std::vector<std::string>;
    struct Row {
        int slotTimeout;
        V tail;
    };
    const Row rows[] = {
        {0, {"SubMessage", "SlotOffset"}},
        {1, {"SubMessage", "CommUTCHour", "CommUTCMinute"}},
        {2, {"SubMessage", "SlotNumber"}},
        {3, {"SubMessage", "ReceivedStations"}},
        {6, {"SubMessage", "SlotNumber"}},
        {7, {"SubMessage", "ReceivedStations"}},
    };
    for (const auto& row : rows) {
        PositionReport p;
        p.MessageID = 2;
        p.SlotTimeout = static_cast<int16_t>(row.slotTimeout);
        EXPECT_EQ(Tail(Visit(EncodePayload(p)), row.tail.size()), row.tail) << row.slotTimeout;
    }
    // A base station report writes the hour and minute into UTCHour/UTCMinute instead.
    BaseStationReport b;
    b.MessageID = 4;
    b.SlotTimeout = 1;
    EXPECT_EQ(Tail(Visit(EncodePayload(b)), 2), (V{"SlotTimeout", "SubMessage"}));
}

TEST(MessageFields, StaticDataReportPartsAndTexts) {
    StaticDataReport s;
    s.MessageID = 24;
    EXPECT_EQ(Visit(EncodePayload(s)),
              (std::vector<std::string>{"MessageID", "RepeatIndicator", "MMSI", "PartNumber", "Name"}));
    s.PartNumber = 1;
    EXPECT_EQ(Visit(EncodePayload(s)),
              (std::vector<std::string>{"MessageID", "RepeatIndicator", "MMSI", "PartNumber", "ShipType",
                                        "ShipTypeText", "CargoTypeText", "VendorID", "CallSign", "DimA", "DimB",
                                        "DimC", "DimD"}));
    ClassBExtendedReport e;
    e.MessageID = 19;
    const auto names = Visit(EncodePayload(e), true);
    const std::vector<std::string> want{"ShipType", "ShipTypeFullText", "ShipTypeText", "CargoTypeText"};
    EXPECT_NE(std::search(names.begin(), names.end(), want.begin(), want.end()), names.end());
    EXPECT_EQ(names.back(), "TimeReceived");
}

TEST(MessageFields, BinaryMessagesReportTheirApplication) {
    BinaryMessage m;
    m.MessageID = 6;
    m.FI = 2;
    m.RequestedDAC = 1;
    m.RequestedFI = 40;
    const auto p = EncodeBinaryMessage(m, 0);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(Visit({p->Payload, p->FillBits}),
              (std::vector<std::string>{"MessageID", "RepeatIndicator", "MMSI", "DestinationMMSI", "DAC", "FI",
                                        "Description", "RequestedDAC", "RequestedFI"}));
}

TEST(MessageFields, TimeOnlyAndUndecodedTypes) {
    AISMessageRecord rec;
    Names v;
    DecodeAISMessage(EncodeHeaderOnly(13, 0, 1, 72).payload, rec, 0, 0, kNow);
    EXPECT_TRUE(VisitDecodedFields(rec, 13, v, false));
    EXPECT_TRUE(v.names.empty());
    EXPECT_TRUE(VisitDecodedFields(rec, 13, v, true));
    EXPECT_EQ(v.names, std::vector<std::string>{"TimeReceived"});
    for (int type : {0, 27, 63}) EXPECT_FALSE(VisitDecodedFields(rec, type, v, true));
}

}  // namespace
}  // namespace ais
