// Decoder tests against messages written bit by bit at the M.1371 field
// positions, counted here independently of the decoder's layout rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ais/decoder.h"
#include "ais/field_dump.h"

namespace ais {
namespace {

using test::Put;

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9);

struct Decoded {
    int type = -1;
    AISMessageRecord rec;
};

Decoded Decode(int type, int bits, const std::vector<Put>& puts, std::optional<int> fill = {},
               AISMessageRecord rec = {}) {
    int armourFill = 0;
    const std::string payload = test::HandPlaced(type, bits, puts, armourFill);
    Decoded d{0, std::move(rec)};
    d.type = DecodeAISMessage(payload, d.rec, fill.value_or(armourFill), 0, kNow);
    return d;
}

// The number after " name=" in a dump.
double FieldValue(const std::string& dump, const std::string& name) {
    const size_t at = dump.find(" " + name + "=");
    return at == std::string::npos ? NAN : std::strtod(dump.c_str() + at + name.size() + 2, nullptr);
}

struct LayoutRow {
    int type, bits;
    std::vector<Put> puts;
    const char* dump;
};

// One message per layout with every field at its hand-counted bits (gaps
// hold ones), compared as a whole. The values fill each field's top and
// bottom bits, so a row that starts or ends one bit off reads another value.
TEST(Decoder, EveryFieldOfEveryLayoutAtItsBits) {
    const LayoutRow rows[] = {
        {1, 168, {{39, 42}, {43, 50}, {51, 60}, {61, 61}, {62, 89}, {90, 116}, {117, 128}, {129, 137}, {138, 143},
         {144, 145}, {146, 148}, {149, 149}, {150, 151}, {152, 154, 1}, {155, 168, 8967}},
         "MessageID=1 RepeatIndicator=3 MMSI=536870913 NavStatus=9 NavStatusText='HSC (High Speed Craft)' "
         "ROT=-720.0032 SOG=51.3 PosAccuracy=1 PosAccuracyText='High accuracy, <10 m' Longitude=-223.6962117 "
         "Latitude=-111.848105 COG=204.9 TrueHeading=257 TimeStamp=33 ManoeuvreIndicator=3 Spare=5 RAIM=1 "
         "SyncState=3 SlotTimeout=1 SubMessage=8967 CommUTCHour=17 CommUTCMinute=65"},
        {4, 168, {{39, 52}, {53, 56}, {57, 61}, {62, 66}, {67, 72}, {73, 78}, {79, 79}, {80, 107}, {108, 134},
         {135, 138}, {139, 148}, {149, 149}, {150, 151}, {152, 154, 0}, {155, 168}},
         "MessageID=4 RepeatIndicator=3 MMSI=536870913 UTCYear=8193 UTCMonth=9 UTCDay=17 UTCHour=17 UTCMinute=33 "
         "UTCSecond=33 PosAccuracy=1 PosAccuracyText='High accuracy, <10 m' Longitude=-223.6962117 "
         "Latitude=-111.848105 EPFDType=9 EPFDTypeText='' Spare=513 RAIM=1 SyncState=3 SlotTimeout=0 SubMessage=8193 "
         "SlotOffset=8193"},
        {5, 424, {{39, 40}, {41, 70}, {71, 112, {}, "?B9 Z1?"}, {113, 232, {}, "ORVANTA TEST SHIP 19"}, {233, 240},
         {241, 249}, {250, 258}, {259, 264}, {265, 270}, {271, 274, 8}, {275, 278}, {279, 283}, {284, 288}, {289, 294},
         {295, 302}, {303, 422, {}, "?ROTTERDAM NL 3059!A"}, {423, 423}},
         "MessageID=5 RepeatIndicator=3 MMSI=536870913 AISVersion=3 IMONumber=536870913 CallSign='?B9 Z1?' "
         "Name='ORVANTA TEST SHIP 19' ShipType=0 ShipTypeText='Not defined' CargoTypeText='Not specified' DimA=257 "
         "DimB=257 DimC=33 DimD=33 EPFDType=8 EPFDTypeText='Galileo' ETA=46282.73125 Draught=12.9 "
         "Destination='?ROTTERDAM NL 3059!A' DTE=1"},
        {9, 168, {{39, 50}, {51, 60}, {61, 61}, {62, 89}, {90, 116}, {117, 128}, {129, 134}, {135, 135}, {143, 143},
         {144, 146}, {147, 147}, {148, 148}, {149, 149}, {150, 151}, {152, 154, 6}, {155, 168}},
         "MessageID=9 RepeatIndicator=3 MMSI=536870913 Altitude=2049 SOG=513 PosAccuracy=1 PosAccuracyText='High "
         "accuracy, <10 m' Longitude=-223.6962117 Latitude=-111.848105 COG=204.9 TimeStamp=33 AltitudeSensor=1 DTE=1 "
         "Spare=5 AssignedMode=1 RAIM=1 CommStateSelector=1 SyncState=3 SlotTimeout=6 SubMessage=8193 "
         "SlotNumber=8193"},
        {10, 72, {{41, 70}},
         "MessageID=10 RepeatIndicator=3 MMSI=536870913 DestinationMMSI=536870913"},
        {12, 102, {{39, 40}, {41, 70}, {71, 71}, {72, 72}, {73, 102, {}, "?S0S!"}},
         "MessageID=12 RepeatIndicator=3 MMSI=536870913 SequenceNumber=3 DestinationMMSI=536870913 RetransmitFlag=1 "
         "Spare=1 Text='?S0S!'"},
        {14, 64, {{41, 64, {}, "?MA!"}},
         "MessageID=14 RepeatIndicator=3 MMSI=536870913 Text='?MA!'"},
        {18, 168, {{39, 46}, {47, 56}, {57, 57}, {58, 85}, {86, 112}, {113, 124}, {125, 133}, {134, 139}, {148, 148},
         {149, 149}, {150, 151}, {152, 154, 5}, {155, 168}},
         "MessageID=18 RepeatIndicator=3 MMSI=536870913 RegionalReserved=129 SOG=51.3 PosAccuracy=1 "
         "PosAccuracyText='High accuracy, <10 m' Longitude=-223.6962117 Latitude=-111.848105 COG=204.9 "
         "TrueHeading=257 TimeStamp=33 RAIM=1 CommStateSelector=1 SyncState=3 SlotTimeout=5 SubMessage=8193 "
         "ReceivedStations=8193"},
        {19, 312, {{39, 46}, {47, 56}, {57, 57}, {58, 85}, {86, 112}, {113, 124}, {125, 133}, {134, 139}, {140, 143},
         {144, 263, {}, "?SAILING YACHT 7 Z1!"}, {264, 271}, {272, 280}, {281, 289}, {290, 295}, {296, 301},
         {302, 305}, {306, 306}, {307, 307}},
         "MessageID=19 RepeatIndicator=3 MMSI=536870913 RegionalReserved=129 SOG=51.3 PosAccuracy=1 "
         "PosAccuracyText='High accuracy, <10 m' Longitude=-223.6962117 Latitude=-111.848105 COG=204.9 "
         "TrueHeading=257 TimeStamp=33 RegionalReserved2=9 Name='?SAILING YACHT 7 Z1!' ShipType=0 "
         "ShipTypeFullText='Not defined' ShipTypeText='Not defined' CargoTypeText='Not specified' DimA=257 DimB=257 "
         "DimC=33 DimD=33 EPFDType=9 EPFDTypeText='' RAIM=1 DTE=1"},
        {21, 360, {{39, 43}, {44, 163, {}, "?NORTH PIER LIGHT 9!"}, {164, 164}, {165, 192}, {193, 219}, {220, 228},
         {229, 237}, {238, 243}, {244, 249}, {250, 253}, {254, 259}, {260, 260}, {261, 268}, {269, 269}, {270, 270},
         {271, 271}, {273, 356, {}, "?EXTENSION 12!"}},
         "MessageID=21 RepeatIndicator=3 MMSI=536870913 AtoNType=17 AtoNTypeText='Beacon - Isolated danger' "
         "Name='?NORTH PIER LIGHT 9!' PosAccuracy=1 PosAccuracyText='High accuracy, <10 m' Longitude=-223.6962117 "
         "Latitude=-111.848105 DimA=257 DimB=257 DimC=33 DimD=33 EPFDType=9 EPFDTypeText='' TimeStamp=33 "
         "OffPosition=1 AtoNStatus=129 RAIM=1 VirtualAtoN=1 AssignedMode=1 NameExtension='?EXTENSION 12!'"},
        {24, 168, {{39, 40}, {41, 48}, {49, 90, {}, "?VEND0R"}, {91, 132, {}, "9Z?1 B!"}, {133, 141}, {142, 150},
         {151, 156}, {157, 162}},
         "MessageID=24 RepeatIndicator=3 MMSI=536870913 PartNumber=3 ShipType=0 ShipTypeText='Not defined' "
         "CargoTypeText='Not specified' VendorID='?VEND0R' CallSign='9Z?1 B!' DimA=257 DimB=257 DimC=33 DimD=33"},
        {24, 160, {{39, 40, 0}, {41, 160, {}, "?SEA BREEZE 2 Z1! 9A"}},
         "MessageID=24 RepeatIndicator=3 MMSI=536870913 PartNumber=0 Name='?SEA BREEZE 2 Z1! 9A'"},
    };
    for (const LayoutRow& row : rows) {
        // Types 2 and 3 share the layout of type 1.
        for (int type : row.type == 1 ? std::vector{1, 2, 3} : std::vector{row.type}) {
            SCOPED_TRACE(type);
            const Decoded d = Decode(type, row.bits, row.puts);
            ASSERT_EQ(d.type, type);
            std::string want = row.dump;
            want.replace(0, want.find(' '), "MessageID=" + std::to_string(type));
            EXPECT_EQ(test::DumpFields(d.rec, type), want);
            EXPECT_TRUE(test::DumpFields(d.rec, type, true).starts_with(want + " TimeReceived="));
        }
    }
}

float RotOf(int raw) {
    const double r = raw / 4.733;
    return static_cast<float>(raw < 0 ? -(r * r) : r * r);
}

// One row per scaled value: where the raw value sits, and what the field holds.
struct ScaledRow {
    int type, first, last;
    int64_t raw;
    const char* field;
    double want;
};

TEST(Decoder, ScaledAndNotAvailableValues) {
    const ScaledRow rows[] = {
        {1, 43, 50, 0, "ROT", 0.0},               {1, 43, 50, 127, "ROT", RotOf(127)},
        {1, 43, 50, -128, "ROT", -9999},          {1, 51, 60, 1022, "SOG", 102.2f},
        {1, 51, 60, 1023, "SOG", -9999},          {9, 51, 60, 1022, "SOG", 1022},  // whole knots
        {1, 117, 128, 3600, "COG", -9999},        {1, 117, 128, 3601, "COG", 360.1f},
        {1, 129, 137, 511, "TrueHeading", -9999}, {1, 62, 89, 108600000, "Longitude", -9999},
        {1, 62, 89, -108600000, "Longitude", -181.0}, {1, 90, 116, 54600000, "Latitude", -9999},
        {1, 90, 116, 1, "Latitude", 1.0 / 600000.0},
    };
    for (const auto& row : rows) {
        const Decoded d = Decode(row.type, 168, {{row.first, row.last, row.raw}});
        EXPECT_NEAR(FieldValue(test::DumpFields(d.rec, row.type), row.field), row.want, 1e-6 * std::max(1.0, std::fabs(row.want)))
            << row.field << " " << row.raw;
    }
}

template <class R>
void MarkCommState(R& r) {
    r.SlotOffset = 7001, r.SlotNumber = 7002, r.ReceivedStations = 7003, r.CommUTCHour = 7004, r.CommUTCMinute = 7005;
}

template <class R>
std::vector<int> CommStateFields(const R& r) {
    return {r.SlotOffset, r.SlotNumber, r.ReceivedStations, r.CommUTCHour, r.CommUTCMinute};
}

// The sub-message 0x088C reads as slot offset, number or stations 2188, or
// as hour 4 and minute 35; the other fields keep what they held.
TEST(Decoder, CommunicationStateWritesAndReportsOnlyTheMatchingField) {
    struct Row {
        int slotTimeout;
        std::vector<int> fields;  // offset, number, stations, hour, minute
        const char* reported;
    };
    const Row rows[] = {
        {0, {2188, 7002, 7003, 7004, 7005}, "SlotOffset=2188"},
        {1, {7001, 7002, 7003, 4, 35}, "CommUTCHour=4 CommUTCMinute=35"},
        {2, {7001, 2188, 7003, 7004, 7005}, "SlotNumber=2188"},
        {3, {7001, 7002, 2188, 7004, 7005}, "ReceivedStations=2188"},
        {6, {7001, 2188, 7003, 7004, 7005}, "SlotNumber=2188"},
        {7, {7001, 7002, 2188, 7004, 7005}, "ReceivedStations=2188"},
    };
    for (const auto& row : rows) {
        // Types 3, 9 and 18 all read the SOTDMA layout, whatever the selector says.
        for (int type : {3, 9, 18}) {
            SCOPED_TRACE(testing::Message() << "type " << type << " time-out " << row.slotTimeout);
            AISMessageRecord marked;
            MarkCommState(marked.Type3);
            MarkCommState(marked.Type9);
            MarkCommState(marked.Type18);
            const Decoded d = Decode(type, 168, {{152, 154, row.slotTimeout}, {155, 168, 0x088C}}, 0, marked);
            const auto fields = type == 3 ? CommStateFields(d.rec.Type3)
                                          : type == 9 ? CommStateFields(d.rec.Type9) : CommStateFields(d.rec.Type18);
            EXPECT_EQ(fields, row.fields);
            EXPECT_TRUE(test::DumpFields(d.rec, type).ends_with(" SubMessage=2188 " + std::string(row.reported)));
        }
    }
    // A base station report has no fields of its own for them: hour and minute replace UTCHour and UTCMinute.
    const Decoded b = Decode(4, 168, {{62, 66, 13}, {67, 72, 14}, {152, 154, 1}, {155, 168, 0x088C}});
    EXPECT_EQ(b.rec.Type4.UTCHour, 4);
    EXPECT_EQ(b.rec.Type4.UTCMinute, 35);
    EXPECT_TRUE(test::DumpFields(b.rec, 4).ends_with(" SlotTimeout=1 SubMessage=2188"));
}

TEST(Decoder, ETARule) {
    struct Row {
        int month, day, hour, minute;
        base::DateTime want;
    };
    using base::DateTime;
    // The clock says 2026 (not a leap year).
    const Row rows[] = {
        {0, 15, 12, 30, DateTime()},
        {2, 30, 12, 0, DateTime::fromCalendar(2026, 3, 2, 12, 0)},
        {6, 15, 24, 60, DateTime::fromCalendar(2026, 6, 16, 1, 0)},
        {3, 0, 0, 0, DateTime::fromCalendar(2026, 2, 28)},
        {13, 2, 3, 4, DateTime::fromCalendar(2027, 1, 2, 3, 4)},
        {12, 31, 24, 0, DateTime::fromCalendar(2027, 1, 1)},
    };
    for (const auto& row : rows) {
        const Decoded d = Decode(5, 424, {{275, 278, row.month}, {279, 283, row.day}, {284, 288, row.hour},
                                          {289, 294, row.minute}});
        EXPECT_NEAR(d.rec.Type5.ETA.value(), row.want.value(), 1e-9)
            << row.month << "/" << row.day << " " << row.hour << ":" << row.minute;
    }
}

TEST(Decoder, SafetyMessageTextExtent) {
    struct Row {
        int type, chars, fill;
        size_t letters;
        size_t blanks = 0;
    };
    const Row rows[] = {
        {14, 10, 2, 3},    // 58 data bits: text bits 41-58
        {12, 16, 0, 4},    // 96 data bits: text bits 73-96
        {14, 11, 5, 3},    {14, 10, 99, 0},   // more fill than data: no text
        {14, 10, -9999, 3, 158},  // an empty fill field: the text runs to bit 1008
        {14, 168, 0, 161},
    };
    const std::string letters(168, 'A');
    for (const auto& row : rows) {
        const int bits = row.chars * 6;
        const int first = row.type == 12 ? 73 : 41;
        const Decoded d = Decode(row.type, bits, {{first, bits, 0}, {first, bits, {}, letters.c_str()}}, row.fill);
        EXPECT_EQ(d.type, row.type);
        const std::string& text = row.type == 12 ? d.rec.Type12.Text : d.rec.Type14.Text;
        EXPECT_EQ(text, std::string(row.letters, 'A') + std::string(row.blanks, ' '))
            << row.type << " " << row.chars << " " << row.fill;
    }
}

TEST(Decoder, StaticDataReportPartsKeepEachOthersFields) {
    const Decoded b = Decode(24, 168, {{39, 40, 1}, {41, 48, 36}, {49, 90, {}, "VENDOR1"}});
    EXPECT_EQ(b.rec.Type24.ShipTypeText, "Vessel-Sailing");
    EXPECT_EQ(b.rec.Type24.CargoTypeText, "n/a");
    const Decoded a = Decode(24, 160, {{39, 40, 0}, {41, 160, {}, "SEA BREEZE"}}, {}, b.rec);
    StaticDataReport want = b.rec.Type24;
    want.PartNumber = 0;
    want.Name = "SEA BREEZE          ";
    EXPECT_EQ(a.rec.Type24, want);
}

TEST(Decoder, EachTypeStampsOnlyItsOwnTimeAndTypesWithoutLayoutNothing) {
    for (int type = 0; type < 64; ++type) {
        const Decoded d = Decode(type, 168, {});
        EXPECT_EQ(d.type, type);
        for (int t = 1; t <= 27; ++t) EXPECT_EQ(d.rec.timeReceived(t) == kNow, t == type) << type << " " << t;
        if (type == 0 || type > 27) {
            EXPECT_EQ(test::DumpFields(d.rec, type, true), "<no fields>");
        }
    }
}

TEST(Decoder, ShortLongAndForeignPayloads) {
    std::string longPayload(500, 'w');
    longPayload[0] = '1';  // type 1
    const std::string chars168 = longPayload.substr(0, 168);
    std::string outside;
    for (int c = 0; c < 256; ++c) outside.push_back(static_cast<char>(c));
    struct Row {
        std::string payload;
        int fill;
        int wantType;
    };
    const Row rows[] = {
        {"", 0, 0},          {"1", -9999, 1},     {"1", 99, 1},     {longPayload, 5, 1},
        {outside, 6, 16},    {"\x01\xff", 0, 17}, {">", 0, 14},     {std::string(168, '>'), -9999, 14},
    };
    for (const auto& row : rows) {
        AISMessageRecord rec;
        EXPECT_EQ(DecodeAISMessage(row.payload, rec, row.fill, 0, kNow), row.wantType);
    }
    // "1" alone: a type 1 report of zeros (latitude/longitude 0, not -9999).
    AISMessageRecord one;
    DecodeAISMessage("1", one, 0, 0, kNow);
    EXPECT_EQ(one.Type1.MMSI, 0);
    EXPECT_EQ(one.Type1.Longitude, 0.0);
    EXPECT_EQ(one.Type1.NavStatusText, "Under way using engines");
    // Characters past the 168th are ignored; a text stops at bit 1008.
    AISMessageRecord a, b;
    DecodeAISMessage(longPayload, a, 0, 0, kNow);
    DecodeAISMessage(chars168, b, 0, 0, kNow);
    EXPECT_EQ(a.Type1, b.Type1);
    DecodeAISMessage(std::string(500, '>'), a, 0, 0, kNow);
    EXPECT_EQ(a.Type14.Text.size(), 161u);
    // A message that ends before the name extension reads it as blanks.
    EXPECT_EQ(Decode(21, 272, {}).rec.Type21.NameExtension, std::string(14, ' '));
}

}  // namespace
}  // namespace ais
