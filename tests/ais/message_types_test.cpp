// The acknowledgement, interrogation, assigned mode, DGNSS, link management,
// channel management, group assignment, slot binary and long-range layouts,
// against messages written bit by bit at the M.1371 field positions counted
// here. Unset puts hold 2^(w-1)+1 and gaps hold ones, so a row one bit off
// at either end reads another value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ais/decoder.h"
#include "ais/field_dump.h"
#include "ais/code_tables.h"

namespace ais {
namespace {

using test::Put;

constexpr auto Dump = test::DecodedDump;

// 18- and 17-bit corners of 2^(w-1)+1 in 1/10 minute: -131071 / 600 and -65535 / 600.
#define CORNER "Longitude%=-218.4516667 Latitude%=-109.225"
std::string Corners(const char* suffix) {
    std::string s = CORNER;
    for (size_t at; (at = s.find('%')) != std::string::npos;) s.replace(at, 1, suffix);
    return s;
}
#undef CORNER

const std::string kHead = "RepeatIndicator=3 MMSI=536870913 ";
const std::string kAck = "DestinationMMSI1=536870913 SequenceNumber1=3 DestinationMMSI2=536870913 SequenceNumber2=3 "
                         "DestinationMMSI3=536870913 SequenceNumber3=3 DestinationMMSI4=536870913 SequenceNumber4=3";

struct LayoutRow {
    int type, bits;
    std::vector<Put> puts;
    std::string dump;  // after "MessageID=<type> "
};

TEST(MessageTypes, EveryFieldAtItsBits) {
    const std::vector<Put> ack = {{41, 70}, {71, 72}, {73, 102}, {103, 104}, {105, 134}, {135, 136}, {137, 166},
                                  {167, 168}};
    const std::vector<Put> reservations = {{41, 52}, {53, 56}, {57, 59}, {60, 70}, {71, 82}, {83, 86}, {87, 89},
                                           {90, 100}, {101, 112}, {113, 116}, {117, 119}, {120, 130}, {131, 142},
                                           {143, 146}, {147, 149}, {150, 160}};
    const std::string twoReservations = "Offset1=2049 NumberOfSlots1=9 Timeout1=5 Increment1=1025 Offset2=2049 "
                                        "NumberOfSlots2=9 Timeout2=5 Increment2=1025 ";
    const LayoutRow rows[] = {
        {7, 168, ack, kAck},
        {13, 168, ack, kAck},
        // A message of one acknowledgement reads the others as 0.
        {7, 72, {{41, 70}, {71, 72}},
         "DestinationMMSI1=536870913 SequenceNumber1=3 DestinationMMSI2=0 SequenceNumber2=0 DestinationMMSI3=0 "
         "SequenceNumber3=0 DestinationMMSI4=0 SequenceNumber4=0"},
        {15, 160, {{41, 70}, {71, 76}, {77, 88}, {91, 96}, {97, 108}, {111, 140}, {141, 146}, {147, 158}},
         "DestinationMMSI1=536870913 MessageID1_1=33 SlotOffset1_1=2049 MessageID1_2=33 SlotOffset1_2=2049 "
         "DestinationMMSI2=536870913 MessageID2_1=33 SlotOffset2_1=2049"},
        {15, 112, {{41, 70}, {71, 76}, {77, 88}, {91, 96}, {97, 108}},
         "DestinationMMSI1=536870913 MessageID1_1=33 SlotOffset1_1=2049 MessageID1_2=33 SlotOffset1_2=2049 "
         "DestinationMMSI2=0 MessageID2_1=0 SlotOffset2_1=0"},
        {16, 144, {{41, 70}, {71, 82}, {83, 92}, {93, 122}, {123, 134}, {135, 144}},
         "DestinationMMSIA=536870913 OffsetA=2049 IncrementA=513 DestinationMMSIB=536870913 OffsetB=2049 "
         "IncrementB=513"},
        // Station B is not read from the four spare bits of a one-station command.
        {16, 96, {{41, 70}, {71, 82}, {83, 92}},
         "DestinationMMSIA=536870913 OffsetA=2049 IncrementA=513 DestinationMMSIB=0 OffsetB=0 IncrementB=0"},
        {17, 104, {{41, 58}, {59, 75}, {81, 104, 0xA5C3F0}}, Corners("") + " Data='A5C3F0' DataBits=24"},
        {20, 160, reservations,
         twoReservations + "Offset3=2049 NumberOfSlots3=9 Timeout3=5 Increment3=1025 Offset4=2049 NumberOfSlots4=9 "
                           "Timeout4=5 Increment4=1025"},
        // Two reservations and four spare bits (ones): the third is not read from them.
        {20, 104, {reservations.begin(), reservations.begin() + 8},
         twoReservations + "Offset3=0 NumberOfSlots3=0 Timeout3=0 Increment3=0 Offset4=0 NumberOfSlots4=0 Timeout4=0 "
                           "Increment4=0"},
        {22, 168, {{41, 52}, {53, 64}, {65, 68}, {69, 69}, {70, 87}, {88, 104}, {105, 122}, {123, 139}, {140, 140, 0},
                   {141, 141}, {142, 142}, {143, 145}},
         "ChannelA=2049 ChannelB=2049 TxRxMode=9 Power=1 " + Corners("1") + " " + Corners("2") +
             " Addressed=0 ChannelABandwidth=1 ChannelBBandwidth=1 ZoneSize=5"},
        {22, 168, {{70, 99}, {105, 134}, {140, 140, 1}, {143, 145, 0}},
         "ChannelA=4095 ChannelB=4095 TxRxMode=15 Power=1 DestinationMMSI1=536870913 DestinationMMSI2=536870913 "
         "Addressed=1 ChannelABandwidth=1 ChannelBBandwidth=1 ZoneSize=0"},
        {23, 160, {{41, 58}, {59, 75}, {76, 93}, {94, 110}, {111, 114}, {115, 122}, {145, 146}, {147, 150},
                   {151, 154}},
         Corners("1") + " " + Corners("2") +
             " StationType=9 ShipType=129 TxRxMode=3 ReportingInterval=9 QuietTime=9"},
        {25, 64, {{39, 39, 0}, {40, 40, 0}, {41, 64, 0x123456}},
         "Addressed=0 Structured=0 Data='123456' DataBits=24"},
        // 42 data bits of ones: the last digit holds two of them.
        {25, 128, {{39, 39, 1}, {40, 40, 1}, {41, 70}, {71, 80}, {81, 86}},
         "Addressed=1 Structured=1 DestinationMMSI=536870913 DAC=513 FI=33 Data='FFFFFFFFFFC' DataBits=42 "
         "Description='Message with FI (Function Identifier) 33 received. FI is not decoded by this application! "
         "Please make sure you are using correct Binary Message Standard (IMO236 or IALA Proposal)'"},
        // The communication state is the last 20 bits, wherever the data ends.
        {26, 100, {{39, 39, 0}, {40, 40, 0}, {41, 80, 0xABCDEF0123}, {81, 81}, {82, 100}},
         "Addressed=0 Structured=0 Data='ABCDEF0123' CommStateSelector=1 CommState=262145 DataBits=40"},
        {26, 112, {{39, 39, 1}, {40, 40, 0}, {41, 70}, {71, 92, 0x2AAAAA}, {93, 93, 0}, {94, 112}},
         "Addressed=1 Structured=0 DestinationMMSI=536870913 Data='AAAAA8' CommStateSelector=0 CommState=262145 "
         "DataBits=22"},
        {27, 96, {{39, 39}, {40, 40}, {41, 44}, {45, 62}, {63, 79}, {80, 85}, {86, 94}, {95, 95}},
         "PosAccuracy=1 PosAccuracyText='High accuracy, <10 m' RAIM=1 NavStatus=9 NavStatusText='HSC (High Speed "
         "Craft)' " + Corners("") + " SOG=33 COG=257 PositionLatency=1 GNSSStatus=1"},
    };
    for (const LayoutRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "type " << row.type << ", " << row.bits << " bits");
        EXPECT_EQ(Dump(row.type, row.bits, row.puts), "MessageID=" + std::to_string(row.type) + " " + kHead + row.dump);
    }
}

// A structured slot binary message's application ends where its data does,
// whatever the fill-bit field holds.
TEST(MessageTypes, SlotBinaryApplicationEndsWithItsData) {
    int fill = 0;
    const std::string payload =
        test::HandPlaced(25, 128, {{39, 39, 0}, {40, 40, 1}, {41, 50, 1}, {51, 56, 0}, {69, 128, {}, "SECURITE"}}, fill);
    for (int field : {0, 5, 66, -3}) {
        AISMessageRecord rec;
        ASSERT_EQ(DecodeAISMessage(payload, rec, field, 0, test::kDumpTime), 25);
        EXPECT_EQ(rec.Type25.Binary.Description, field == 5 ? "SECURITE " : "SECURITE  ") << field;
        EXPECT_EQ(rec.Type25.DataBits, field == 5 ? 71 : 76) << field;  // 22 characters: 132 bits
    }
}

// Type 11 answers a UTC inquiry in the layout of a base station report.
TEST(MessageTypes, UTCResponseHasTheBaseStationLayout) {
    const std::vector<Put> puts = {{39, 52}, {53, 56}, {57, 61}, {62, 66}, {67, 72}, {73, 78}, {80, 107}, {108, 134},
                                   {152, 154, 2}, {155, 168, 77}};
    std::string four = Dump(4, 168, puts);
    EXPECT_EQ(four.substr(0, 12), "MessageID=4 ");
    EXPECT_EQ(Dump(11, 168, puts), "MessageID=11 " + four.substr(12));
}

// Values at the edges of the long-range and tenth-of-a-minute rules.
TEST(MessageTypes, NotAvailableCodes) {
    struct Case {
        int type, bits, first, last;
        int64_t raw;
        const char* key;
        const char* want;
    };
    const Case cases[] = {
        {27, 96, 45, 62, 181 * 600, "Longitude", "-9999"},     {27, 96, 45, 62, -181 * 600, "Longitude", "-181"},
        {27, 96, 63, 79, 91 * 600, "Latitude", "-9999"},       {27, 96, 63, 79, 1, "Latitude", "0.001666666667"},
        {27, 96, 80, 85, 63, "SOG", "-9999"},                  {27, 96, 80, 85, 62, "SOG", "62"},
        {27, 96, 86, 94, 511, "COG", "-9999"},                 {27, 96, 86, 94, 360, "COG", "360"},
        {17, 80, 41, 58, 181 * 600, "Longitude", "-9999"},     {23, 160, 94, 110, 91 * 600, "Latitude2", "-9999"},
    };
    for (const Case& c : cases) {
        const std::string dump = Dump(c.type, c.bits, {{c.first, c.last, c.raw}});
        const std::string want = " " + std::string(c.key) + "=" + c.want + " ";
        EXPECT_NE((dump + " ").find(want), std::string::npos) << c.key << " " << c.raw << ": " << dump;
    }
}

struct ShipTypeRow {
    int64_t received;
    int16_t type;
    const char* group;
    const char* cargo;
    const char* full;
};

TEST(CodeTables, ShipTypeRule) {
    const std::string catD = "Cat D-DG,HS or MP IMO hazard or pollutant";
    const ShipTypeRow rows[] = {
        {0, 0, "Not defined", "Not specified", "Not defined"},
        {5, 5, "Not defined", "Reserved for future use", ""},
        // Types 30-39 and 50-59 have no cargo: both ends of each range.
        {49, 49, "HSC", "No additional information", "HSC - No additional information"},
        {50, 50, "Pilot Vessel", "n/a", "Pilot Vessel"},
        {52, 52, "Tug", "n/a", "Tug"},
        {59, 59, "Ship according to Resolution No. 18", "n/a", "Ship according to Resolution No. 18"},
        {60, 60, "Passenger Ship", "Not specified", "Passenger Ship"},
        {56, 56, " not used", "n/a", " not used"},
        {84, 84, "Tanker", catD.c_str(), "Tanker - Cat D-DG,HS or MP IMO hazard or pollutant"},
        {71, 71, "Cargo ship", "Cat A-DG,HS or MP IMO hazard or pollutant",
         "Cargo ship - Cat A-DG,HS or MP IMO hazard or pollutant"},
        {99, 99, "Other type of ship", "No additional information",
         "Other type of ship - No additional information"},
        {100, 0, "Not defined", "Not specified", "Not defined"},
        {-9999, 0, "Not defined", "Not specified", "Not defined"},
    };
    for (const auto& r : rows) {
        const ShipTypeTexts t = ShipTypeRule(r.received);
        EXPECT_EQ(std::tie(t.ShipType, t.ShipTypeText, t.CargoTypeText, t.ShipTypeFullText),
                  std::tuple(r.type, r.group, r.cargo, r.full))
            << r.received;
    }
}

}  // namespace
}  // namespace ais
