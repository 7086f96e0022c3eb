// Message layouts as data: each AIS message type is a list of rows (first bit,
// last bit, rule, member, name) that read like the ITU-R M.1371 tables. The
// same rows drive the decoder (ApplyLayout), the encoder (EncodeLayout in
// encoder.cpp) and the list of fields a message wrote (message_fields.cpp), so
// each bit range is written down exactly once. A compile-time check rejects a
// layout whose rows overlap or run backwards.
//
// Bits are numbered from 1 as in PayloadBits. Gaps between rows are bits that
// are not read (spare bits, mostly).
//
// Rows that depend on the message's length (Hex, FromEnd, TextToEnd) are
// written as for a message that ends at bit 1008 and move with the real end:
// a type 26 whose data ends 20 bits before bit 1008 reads its communication
// state from the last 20 bits whatever the length.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "ais/message_record.h"
#include "base/json_writer.h"

namespace ais {

// How a row's raw bits become its field value.
enum class Rule : uint8_t {
    Unsigned,    // as received
    Longitude,   // signed 1/10000 minute -> degrees; exactly 181 -> -9999
    Latitude,    // signed 1/10000 minute -> degrees; exactly 91 -> -9999
    SOG,         // 0.1 kn -> kn; raw 1023 -> -9999
    SOGKnots,    // whole knots (type 9); raw 1023 or more -> -9999
    COG,         // 0.1 degree -> degrees; raw 3600 -> -9999
    Heading,     // whole degrees; 511 -> -9999 (also the course of type 27)
    ROT,         // signed; |raw| 128 -> -9999, else (raw / 4.733)^2 with the sign of raw
    Tenths,      // unsigned / 10 (draught)
    Accuracy,    // 1 bit, also PosAccuracyText
    EPFD,        // 4 bits, also EPFDTypeText
    NavStatus,   // 4 bits, also NavStatusText
    AtoNType,    // 5 bits, also AtoNTypeText
    ShipType,    // ship type rule: ShipType, ShipTypeText, CargoTypeText (+ ShipTypeFullText)
    Text,        // six-bit text over the fixed range
    TextToEnd,   // six-bit text from `first` to the end of the message data (fill bits honoured)
    CommState,   // SOTDMA communication state, bits 150-168
    ETA,         // month, day, hour, minute (bits 275-294 of type 5) -> date-time
    Longitude10,   // signed 1/10 minute -> degrees; exactly 181 -> -9999
    Latitude10,    // signed 1/10 minute -> degrees; exactly 91 -> -9999
    SOGLongRange,  // whole knots (type 27); 63 -> -9999
    Hex,           // bits from `first` to the end less (1008 - last) -> hex text, and their count into DataBits
    FromEnd,       // unsigned, at first..last moved by (end of message - 1008)
};

template <class R>
using Member = std::variant<std::monostate, int16_t R::*, int32_t R::*, float R::*, double R::*,
                            std::string R::*, base::DateTime R::*>;

template <class R>
struct Field {
    int first;
    int last;  // for TextToEnd: the last bit the field may reach (1008)
    Rule rule;
    Member<R> member;
    base::JsonKey name;  // the member's name, used as the output key
};

// Rows are declared with ORV_FIELD so the member and its key cannot drift apart.
#define ORV_FIELD(R, first, last, rule, member) \
    ::ais::Field<R> { first, last, ::ais::Rule::rule, &R::member, ::base::JsonKey(#member) }
#define ORV_COMMSTATE(R) \
    ::ais::Field<R> { 150, 168, ::ais::Rule::CommState, std::monostate{}, ::base::JsonKey("") }

// True when every row has first <= last, starts after the previous row ends
// and stays inside 1..1008. A row may repeat the previous row's bits exactly:
// one field known under two names (the encoder writes it twice, the same).
template <class R, size_t N>
constexpr bool LayoutIsOrdered(const std::array<Field<R>, N>& rows) {
    int previousFirst = 0;
    int previousLast = 0;
    for (const auto& row : rows) {
        const bool alias = row.first == previousFirst && row.last == previousLast;
        if ((row.first <= previousLast && !alias) || row.last < row.first || row.last > 1008) return false;
        previousFirst = row.first;
        previousLast = row.last;
    }
    return true;
}

namespace layouts {

#define ORV_HEADER(R)                                  \
    ORV_FIELD(R, 1, 6, Unsigned, MessageID),           \
        ORV_FIELD(R, 7, 8, Unsigned, RepeatIndicator), \
        ORV_FIELD(R, 9, 38, Unsigned, MMSI)

// Types 1, 2, 3.
inline constexpr std::array kPositionReport{
    ORV_HEADER(PositionReport),
    ORV_FIELD(PositionReport, 39, 42, NavStatus, NavStatus),
    ORV_FIELD(PositionReport, 43, 50, ROT, ROT),
    ORV_FIELD(PositionReport, 51, 60, SOG, SOG),
    ORV_FIELD(PositionReport, 61, 61, Accuracy, PosAccuracy),
    ORV_FIELD(PositionReport, 62, 89, Longitude, Longitude),
    ORV_FIELD(PositionReport, 90, 116, Latitude, Latitude),
    ORV_FIELD(PositionReport, 117, 128, COG, COG),
    ORV_FIELD(PositionReport, 129, 137, Heading, TrueHeading),
    ORV_FIELD(PositionReport, 138, 143, Unsigned, TimeStamp),
    ORV_FIELD(PositionReport, 144, 145, Unsigned, ManoeuvreIndicator),
    ORV_FIELD(PositionReport, 146, 148, Unsigned, Spare),
    ORV_FIELD(PositionReport, 149, 149, Unsigned, RAIM),
    ORV_COMMSTATE(PositionReport),
};

// Type 4. Slot time-out 1 puts the communication state's hour and minute
// into UTCHour and UTCMinute.
inline constexpr std::array kBaseStationReport{
    ORV_HEADER(BaseStationReport),
    ORV_FIELD(BaseStationReport, 39, 52, Unsigned, UTCYear),
    ORV_FIELD(BaseStationReport, 53, 56, Unsigned, UTCMonth),
    ORV_FIELD(BaseStationReport, 57, 61, Unsigned, UTCDay),
    ORV_FIELD(BaseStationReport, 62, 66, Unsigned, UTCHour),
    ORV_FIELD(BaseStationReport, 67, 72, Unsigned, UTCMinute),
    ORV_FIELD(BaseStationReport, 73, 78, Unsigned, UTCSecond),
    ORV_FIELD(BaseStationReport, 79, 79, Accuracy, PosAccuracy),
    ORV_FIELD(BaseStationReport, 80, 107, Longitude, Longitude),
    ORV_FIELD(BaseStationReport, 108, 134, Latitude, Latitude),
    ORV_FIELD(BaseStationReport, 135, 138, EPFD, EPFDType),
    ORV_FIELD(BaseStationReport, 139, 148, Unsigned, Spare),
    ORV_FIELD(BaseStationReport, 149, 149, Unsigned, RAIM),
    ORV_COMMSTATE(BaseStationReport),
};

// Type 5. The EPFD field is 4 bits, so "outside 1-15 becomes 0" leaves every
// value as received.
inline constexpr std::array kStaticVoyageData{
    ORV_HEADER(StaticVoyageData),
    ORV_FIELD(StaticVoyageData, 39, 40, Unsigned, AISVersion),
    ORV_FIELD(StaticVoyageData, 41, 70, Unsigned, IMONumber),
    ORV_FIELD(StaticVoyageData, 71, 112, Text, CallSign),
    ORV_FIELD(StaticVoyageData, 113, 232, Text, Name),
    ORV_FIELD(StaticVoyageData, 233, 240, ShipType, ShipType),
    ORV_FIELD(StaticVoyageData, 241, 249, Unsigned, DimA),
    ORV_FIELD(StaticVoyageData, 250, 258, Unsigned, DimB),
    ORV_FIELD(StaticVoyageData, 259, 264, Unsigned, DimC),
    ORV_FIELD(StaticVoyageData, 265, 270, Unsigned, DimD),
    ORV_FIELD(StaticVoyageData, 271, 274, EPFD, EPFDType),
    ORV_FIELD(StaticVoyageData, 275, 294, ETA, ETA),
    ORV_FIELD(StaticVoyageData, 295, 302, Tenths, Draught),
    ORV_FIELD(StaticVoyageData, 303, 422, Text, Destination),
    ORV_FIELD(StaticVoyageData, 423, 423, Unsigned, DTE),
};

// Type 9. Bits 136-142 are not read; the communication state is read in the
// SOTDMA layout whatever CommStateSelector says.
inline constexpr std::array kSARPositionReport{
    ORV_HEADER(SARPositionReport),
    ORV_FIELD(SARPositionReport, 39, 50, Unsigned, Altitude),
    ORV_FIELD(SARPositionReport, 51, 60, SOGKnots, SOG),
    ORV_FIELD(SARPositionReport, 61, 61, Accuracy, PosAccuracy),
    ORV_FIELD(SARPositionReport, 62, 89, Longitude, Longitude),
    ORV_FIELD(SARPositionReport, 90, 116, Latitude, Latitude),
    ORV_FIELD(SARPositionReport, 117, 128, COG, COG),
    ORV_FIELD(SARPositionReport, 129, 134, Unsigned, TimeStamp),
    ORV_FIELD(SARPositionReport, 135, 135, Unsigned, AltitudeSensor),
    ORV_FIELD(SARPositionReport, 143, 143, Unsigned, DTE),
    ORV_FIELD(SARPositionReport, 144, 146, Unsigned, Spare),
    ORV_FIELD(SARPositionReport, 147, 147, Unsigned, AssignedMode),
    ORV_FIELD(SARPositionReport, 148, 148, Unsigned, RAIM),
    ORV_FIELD(SARPositionReport, 149, 149, Unsigned, CommStateSelector),
    ORV_COMMSTATE(SARPositionReport),
};

// Type 10; bits 39-40 are not read.
inline constexpr std::array kUTCInquiry{
    ORV_HEADER(UTCInquiry),
    ORV_FIELD(UTCInquiry, 41, 70, Unsigned, DestinationMMSI),
};

// Type 12: the text runs from bit 73 to the end of the message data.
inline constexpr std::array kAddressedSafetyMessage{
    ORV_HEADER(AddressedSafetyMessage),
    ORV_FIELD(AddressedSafetyMessage, 39, 40, Unsigned, SequenceNumber),
    ORV_FIELD(AddressedSafetyMessage, 41, 70, Unsigned, DestinationMMSI),
    ORV_FIELD(AddressedSafetyMessage, 71, 71, Unsigned, RetransmitFlag),
    ORV_FIELD(AddressedSafetyMessage, 72, 72, Unsigned, Spare),
    ORV_FIELD(AddressedSafetyMessage, 73, 1008, TextToEnd, Text),
};

// Type 14; bits 39-40 are not read.
inline constexpr std::array kBroadcastSafetyMessage{
    ORV_HEADER(BroadcastSafetyMessage),
    ORV_FIELD(BroadcastSafetyMessage, 41, 1008, TextToEnd, Text),
};

// Type 18. Bits 140-147 (regional bits and the Class B flags) are not read.
inline constexpr std::array kClassBPositionReport{
    ORV_HEADER(ClassBPositionReport),
    ORV_FIELD(ClassBPositionReport, 39, 46, Unsigned, RegionalReserved),
    ORV_FIELD(ClassBPositionReport, 47, 56, SOG, SOG),
    ORV_FIELD(ClassBPositionReport, 57, 57, Accuracy, PosAccuracy),
    ORV_FIELD(ClassBPositionReport, 58, 85, Longitude, Longitude),
    ORV_FIELD(ClassBPositionReport, 86, 112, Latitude, Latitude),
    ORV_FIELD(ClassBPositionReport, 113, 124, COG, COG),
    ORV_FIELD(ClassBPositionReport, 125, 133, Heading, TrueHeading),
    ORV_FIELD(ClassBPositionReport, 134, 139, Unsigned, TimeStamp),
    ORV_FIELD(ClassBPositionReport, 148, 148, Unsigned, RAIM),
    ORV_FIELD(ClassBPositionReport, 149, 149, Unsigned, CommStateSelector),
    ORV_COMMSTATE(ClassBPositionReport),
};

// Type 19.
inline constexpr std::array kClassBExtendedReport{
    ORV_HEADER(ClassBExtendedReport),
    ORV_FIELD(ClassBExtendedReport, 39, 46, Unsigned, RegionalReserved),
    ORV_FIELD(ClassBExtendedReport, 47, 56, SOG, SOG),
    ORV_FIELD(ClassBExtendedReport, 57, 57, Accuracy, PosAccuracy),
    ORV_FIELD(ClassBExtendedReport, 58, 85, Longitude, Longitude),
    ORV_FIELD(ClassBExtendedReport, 86, 112, Latitude, Latitude),
    ORV_FIELD(ClassBExtendedReport, 113, 124, COG, COG),
    ORV_FIELD(ClassBExtendedReport, 125, 133, Heading, TrueHeading),
    ORV_FIELD(ClassBExtendedReport, 134, 139, Unsigned, TimeStamp),
    ORV_FIELD(ClassBExtendedReport, 140, 143, Unsigned, RegionalReserved2),
    ORV_FIELD(ClassBExtendedReport, 144, 263, Text, Name),
    ORV_FIELD(ClassBExtendedReport, 264, 271, ShipType, ShipType),
    ORV_FIELD(ClassBExtendedReport, 272, 280, Unsigned, DimA),
    ORV_FIELD(ClassBExtendedReport, 281, 289, Unsigned, DimB),
    ORV_FIELD(ClassBExtendedReport, 290, 295, Unsigned, DimC),
    ORV_FIELD(ClassBExtendedReport, 296, 301, Unsigned, DimD),
    ORV_FIELD(ClassBExtendedReport, 302, 305, EPFD, EPFDType),
    ORV_FIELD(ClassBExtendedReport, 306, 306, Unsigned, RAIM),
    ORV_FIELD(ClassBExtendedReport, 307, 307, Unsigned, DTE),
};

// Type 20 (bits 39-40 spare): up to four reservations of 30 bits.
#define ORV_RESERVATION(first, n)                                                        \
    ORV_FIELD(DataLinkManagement, first, first + 11, Unsigned, Offset##n),                \
        ORV_FIELD(DataLinkManagement, first + 12, first + 15, Unsigned, NumberOfSlots##n), \
        ORV_FIELD(DataLinkManagement, first + 16, first + 18, Unsigned, Timeout##n),       \
        ORV_FIELD(DataLinkManagement, first + 19, first + 29, Unsigned, Increment##n)
inline constexpr std::array kDataLinkManagement{
    ORV_HEADER(DataLinkManagement), ORV_RESERVATION(41, 1), ORV_RESERVATION(71, 2),
    ORV_RESERVATION(101, 3),        ORV_RESERVATION(131, 4),
};
#undef ORV_RESERVATION

// Type 21. Bit 272 is not read; the name extension reads blanks where the
// message is shorter.
inline constexpr std::array kAtoNReport{
    ORV_HEADER(AtoNReport),
    ORV_FIELD(AtoNReport, 39, 43, AtoNType, AtoNType),
    ORV_FIELD(AtoNReport, 44, 163, Text, Name),
    ORV_FIELD(AtoNReport, 164, 164, Accuracy, PosAccuracy),
    ORV_FIELD(AtoNReport, 165, 192, Longitude, Longitude),
    ORV_FIELD(AtoNReport, 193, 219, Latitude, Latitude),
    ORV_FIELD(AtoNReport, 220, 228, Unsigned, DimA),
    ORV_FIELD(AtoNReport, 229, 237, Unsigned, DimB),
    ORV_FIELD(AtoNReport, 238, 243, Unsigned, DimC),
    ORV_FIELD(AtoNReport, 244, 249, Unsigned, DimD),
    ORV_FIELD(AtoNReport, 250, 253, EPFD, EPFDType),
    ORV_FIELD(AtoNReport, 254, 259, Unsigned, TimeStamp),
    ORV_FIELD(AtoNReport, 260, 260, Unsigned, OffPosition),
    ORV_FIELD(AtoNReport, 261, 268, Unsigned, AtoNStatus),
    ORV_FIELD(AtoNReport, 269, 269, Unsigned, RAIM),
    ORV_FIELD(AtoNReport, 270, 270, Unsigned, VirtualAtoN),
    ORV_FIELD(AtoNReport, 271, 271, Unsigned, AssignedMode),
    ORV_FIELD(AtoNReport, 273, 356, Text, NameExtension),
};

// Type 24: the header, then part A (part number 0) or part B (1, 2 or 3).
inline constexpr std::array kStaticDataReportHeader{
    ORV_HEADER(StaticDataReport),
    ORV_FIELD(StaticDataReport, 39, 40, Unsigned, PartNumber),
};
inline constexpr std::array kStaticDataReportPartA{
    ORV_FIELD(StaticDataReport, 41, 160, Text, Name),
};
inline constexpr std::array kStaticDataReportPartB{
    ORV_FIELD(StaticDataReport, 41, 48, ShipType, ShipType),
    ORV_FIELD(StaticDataReport, 49, 90, Text, VendorID),
    ORV_FIELD(StaticDataReport, 91, 132, Text, CallSign),
    ORV_FIELD(StaticDataReport, 133, 141, Unsigned, DimA),
    ORV_FIELD(StaticDataReport, 142, 150, Unsigned, DimB),
    ORV_FIELD(StaticDataReport, 151, 156, Unsigned, DimC),
    ORV_FIELD(StaticDataReport, 157, 162, Unsigned, DimD),
};

// Types 7 and 13 (bits 39-40 spare).
inline constexpr std::array kAcknowledgement{
    ORV_HEADER(Acknowledgement),
    ORV_FIELD(Acknowledgement, 41, 70, Unsigned, DestinationMMSI1),
    ORV_FIELD(Acknowledgement, 71, 72, Unsigned, SequenceNumber1),
    ORV_FIELD(Acknowledgement, 73, 102, Unsigned, DestinationMMSI2),
    ORV_FIELD(Acknowledgement, 103, 104, Unsigned, SequenceNumber2),
    ORV_FIELD(Acknowledgement, 105, 134, Unsigned, DestinationMMSI3),
    ORV_FIELD(Acknowledgement, 135, 136, Unsigned, SequenceNumber3),
    ORV_FIELD(Acknowledgement, 137, 166, Unsigned, DestinationMMSI4),
    ORV_FIELD(Acknowledgement, 167, 168, Unsigned, SequenceNumber4),
};

// Type 15 (bits 39-40, 89-90, 109-110 and 159-160 spare).
inline constexpr std::array kInterrogation{
    ORV_HEADER(Interrogation),
    ORV_FIELD(Interrogation, 41, 70, Unsigned, DestinationMMSI1),
    ORV_FIELD(Interrogation, 71, 76, Unsigned, MessageID1_1),
    ORV_FIELD(Interrogation, 77, 88, Unsigned, SlotOffset1_1),
    ORV_FIELD(Interrogation, 91, 96, Unsigned, MessageID1_2),
    ORV_FIELD(Interrogation, 97, 108, Unsigned, SlotOffset1_2),
    ORV_FIELD(Interrogation, 111, 140, Unsigned, DestinationMMSI2),
    ORV_FIELD(Interrogation, 141, 146, Unsigned, MessageID2_1),
    ORV_FIELD(Interrogation, 147, 158, Unsigned, SlotOffset2_1),
};

// Type 16 (bits 39-40 spare).
inline constexpr std::array kAssignedModeCommand{
    ORV_HEADER(AssignedModeCommand),
    ORV_FIELD(AssignedModeCommand, 41, 70, Unsigned, DestinationMMSIA),
    ORV_FIELD(AssignedModeCommand, 71, 82, Unsigned, OffsetA),
    ORV_FIELD(AssignedModeCommand, 83, 92, Unsigned, IncrementA),
    ORV_FIELD(AssignedModeCommand, 93, 122, Unsigned, DestinationMMSIB),
    ORV_FIELD(AssignedModeCommand, 123, 134, Unsigned, OffsetB),
    ORV_FIELD(AssignedModeCommand, 135, 144, Unsigned, IncrementB),
};

// Type 17 (bits 39-40 and 76-80 spare); the data runs to the end.
inline constexpr std::array kDGNSSBroadcast{
    ORV_HEADER(DGNSSBroadcast),
    ORV_FIELD(DGNSSBroadcast, 41, 58, Longitude10, Longitude),
    ORV_FIELD(DGNSSBroadcast, 59, 75, Latitude10, Latitude),
    ORV_FIELD(DGNSSBroadcast, 81, 1008, Hex, Data),
};

// Type 22: the head, then the area's corners or the two addressed stations
// (by Addressed, bit 140), then the tail.
inline constexpr std::array kChannelManagementHead{
    ORV_HEADER(ChannelManagement),
    ORV_FIELD(ChannelManagement, 41, 52, Unsigned, ChannelA),
    ORV_FIELD(ChannelManagement, 53, 64, Unsigned, ChannelB),
    ORV_FIELD(ChannelManagement, 65, 68, Unsigned, TxRxMode),
    ORV_FIELD(ChannelManagement, 69, 69, Unsigned, Power),
};
inline constexpr std::array kChannelManagementArea{
    ORV_FIELD(ChannelManagement, 70, 87, Longitude10, Longitude1),
    ORV_FIELD(ChannelManagement, 88, 104, Latitude10, Latitude1),
    ORV_FIELD(ChannelManagement, 105, 122, Longitude10, Longitude2),
    ORV_FIELD(ChannelManagement, 123, 139, Latitude10, Latitude2),
};
inline constexpr std::array kChannelManagementAddressed{
    ORV_FIELD(ChannelManagement, 70, 99, Unsigned, DestinationMMSI1),
    ORV_FIELD(ChannelManagement, 105, 134, Unsigned, DestinationMMSI2),
};
inline constexpr std::array kChannelManagementTail{
    ORV_FIELD(ChannelManagement, 140, 140, Unsigned, Addressed),
    ORV_FIELD(ChannelManagement, 141, 141, Unsigned, ChannelABandwidth),
    ORV_FIELD(ChannelManagement, 142, 142, Unsigned, ChannelBBandwidth),
    ORV_FIELD(ChannelManagement, 143, 145, Unsigned, ZoneSize),
};

// Type 23 (bits 39-40, 123-144 and 155-160 spare).
inline constexpr std::array kGroupAssignment{
    ORV_HEADER(GroupAssignment),
    ORV_FIELD(GroupAssignment, 41, 58, Longitude10, Longitude1),
    ORV_FIELD(GroupAssignment, 59, 75, Latitude10, Latitude1),
    ORV_FIELD(GroupAssignment, 76, 93, Longitude10, Longitude2),
    ORV_FIELD(GroupAssignment, 94, 110, Latitude10, Latitude2),
    ORV_FIELD(GroupAssignment, 111, 114, Unsigned, StationType),
    ORV_FIELD(GroupAssignment, 115, 122, Unsigned, ShipType),
    ORV_FIELD(GroupAssignment, 145, 146, Unsigned, TxRxMode),
    ORV_FIELD(GroupAssignment, 147, 150, Unsigned, ReportingInterval),
    ORV_FIELD(GroupAssignment, 151, 154, Unsigned, QuietTime),
};

// Types 25 and 26: the header with the two flags, then one of four bodies by
// Addressed and Structured. The data runs to the end of a type 25; a type 26
// ends with the communication state selector and state (the last 20 bits).
inline constexpr std::array kSlotBinaryHeader{
    ORV_HEADER(SlotBinaryMessage),
    ORV_FIELD(SlotBinaryMessage, 39, 39, Unsigned, Addressed),
    ORV_FIELD(SlotBinaryMessage, 40, 40, Unsigned, Structured),
};
#define ORV_SLOT(first, last, rule, member) ORV_FIELD(SlotBinaryMessage, first, last, rule, member)
#define ORV_SLOT_BODIES(name, dataLast, ...)                                                                  \
    inline constexpr std::array name##Broadcast{ORV_SLOT(41, dataLast, Hex, Data) __VA_ARGS__};               \
    inline constexpr std::array name##BroadcastStructured{ORV_SLOT(41, 50, Unsigned, DAC),                    \
                                                          ORV_SLOT(51, 56, Unsigned, FI),                     \
                                                          ORV_SLOT(57, dataLast, Hex, Data) __VA_ARGS__};     \
    inline constexpr std::array name##Addressed{ORV_SLOT(41, 70, Unsigned, DestinationMMSI),                  \
                                                ORV_SLOT(71, dataLast, Hex, Data) __VA_ARGS__};               \
    inline constexpr std::array name##AddressedStructured{                                                    \
        ORV_SLOT(41, 70, Unsigned, DestinationMMSI), ORV_SLOT(71, 80, Unsigned, DAC),                         \
        ORV_SLOT(81, 86, Unsigned, FI), ORV_SLOT(87, dataLast, Hex, Data) __VA_ARGS__};
ORV_SLOT_BODIES(kSingleSlot, 1008)
ORV_SLOT_BODIES(kMultipleSlot, 988, , ORV_SLOT(989, 989, FromEnd, CommStateSelector),
                ORV_SLOT(990, 1008, FromEnd, CommState))
#undef ORV_SLOT_BODIES
#undef ORV_SLOT

// Type 27 (bit 96 spare). Bit 95 is the position latency, called the GNSS
// position status before; both names are given.
inline constexpr std::array kLongRangeReport{
    ORV_HEADER(LongRangeReport),
    ORV_FIELD(LongRangeReport, 39, 39, Accuracy, PosAccuracy),
    ORV_FIELD(LongRangeReport, 40, 40, Unsigned, RAIM),
    ORV_FIELD(LongRangeReport, 41, 44, NavStatus, NavStatus),
    ORV_FIELD(LongRangeReport, 45, 62, Longitude10, Longitude),
    ORV_FIELD(LongRangeReport, 63, 79, Latitude10, Latitude),
    ORV_FIELD(LongRangeReport, 80, 85, SOGLongRange, SOG),
    ORV_FIELD(LongRangeReport, 86, 94, Heading, COG),
    ORV_FIELD(LongRangeReport, 95, 95, Unsigned, PositionLatency),
    ORV_FIELD(LongRangeReport, 95, 95, Unsigned, GNSSStatus),
};

#undef ORV_HEADER
#undef ORV_COMMSTATE
#undef ORV_FIELD

static_assert(LayoutIsOrdered(kPositionReport));
static_assert(LayoutIsOrdered(kBaseStationReport));
static_assert(LayoutIsOrdered(kStaticVoyageData));
static_assert(LayoutIsOrdered(kSARPositionReport));
static_assert(LayoutIsOrdered(kUTCInquiry));
static_assert(LayoutIsOrdered(kAddressedSafetyMessage));
static_assert(LayoutIsOrdered(kBroadcastSafetyMessage));
static_assert(LayoutIsOrdered(kClassBPositionReport));
static_assert(LayoutIsOrdered(kClassBExtendedReport));
static_assert(LayoutIsOrdered(kDataLinkManagement));
static_assert(LayoutIsOrdered(kAtoNReport));
static_assert(LayoutIsOrdered(kStaticDataReportHeader));
static_assert(LayoutIsOrdered(kStaticDataReportPartA));
static_assert(LayoutIsOrdered(kStaticDataReportPartB));
static_assert(kStaticDataReportHeader.back().last < kStaticDataReportPartA.front().first);
static_assert(kStaticDataReportHeader.back().last < kStaticDataReportPartB.front().first);
static_assert(LayoutIsOrdered(kAcknowledgement));
static_assert(LayoutIsOrdered(kInterrogation));
static_assert(LayoutIsOrdered(kAssignedModeCommand));
static_assert(LayoutIsOrdered(kDGNSSBroadcast));
static_assert(LayoutIsOrdered(kGroupAssignment));
static_assert(LayoutIsOrdered(kLongRangeReport));
static_assert(LayoutIsOrdered(kChannelManagementHead) && LayoutIsOrdered(kChannelManagementArea) &&
              LayoutIsOrdered(kChannelManagementAddressed) && LayoutIsOrdered(kChannelManagementTail));
static_assert(kChannelManagementHead.back().last < kChannelManagementArea.front().first &&
              kChannelManagementHead.back().last < kChannelManagementAddressed.front().first &&
              kChannelManagementArea.back().last < kChannelManagementTail.front().first &&
              kChannelManagementAddressed.back().last < kChannelManagementTail.front().first);
static_assert(LayoutIsOrdered(kSlotBinaryHeader));
static_assert(LayoutIsOrdered(kSingleSlotBroadcast) && LayoutIsOrdered(kSingleSlotBroadcastStructured) &&
              LayoutIsOrdered(kSingleSlotAddressed) && LayoutIsOrdered(kSingleSlotAddressedStructured));
static_assert(LayoutIsOrdered(kMultipleSlotBroadcast) && LayoutIsOrdered(kMultipleSlotBroadcastStructured) &&
              LayoutIsOrdered(kMultipleSlotAddressed) && LayoutIsOrdered(kMultipleSlotAddressedStructured));
static_assert(kSlotBinaryHeader.back().last < kSingleSlotBroadcast.front().first);

}  // namespace layouts

// The rows of a sub-record type, for code that is generic over the sub-record.
// Types 22, 24, 25 and 26 have several lists and are handled apart.
template <class R>
constexpr auto LayoutOf() {
    if constexpr (std::is_same_v<R, PositionReport>) return std::span(layouts::kPositionReport);
    else if constexpr (std::is_same_v<R, BaseStationReport>) return std::span(layouts::kBaseStationReport);
    else if constexpr (std::is_same_v<R, StaticVoyageData>) return std::span(layouts::kStaticVoyageData);
    else if constexpr (std::is_same_v<R, SARPositionReport>) return std::span(layouts::kSARPositionReport);
    else if constexpr (std::is_same_v<R, UTCInquiry>) return std::span(layouts::kUTCInquiry);
    else if constexpr (std::is_same_v<R, AddressedSafetyMessage>) return std::span(layouts::kAddressedSafetyMessage);
    else if constexpr (std::is_same_v<R, BroadcastSafetyMessage>) return std::span(layouts::kBroadcastSafetyMessage);
    else if constexpr (std::is_same_v<R, ClassBPositionReport>) return std::span(layouts::kClassBPositionReport);
    else if constexpr (std::is_same_v<R, ClassBExtendedReport>) return std::span(layouts::kClassBExtendedReport);
    else if constexpr (std::is_same_v<R, DataLinkManagement>) return std::span(layouts::kDataLinkManagement);
    else if constexpr (std::is_same_v<R, AtoNReport>) return std::span(layouts::kAtoNReport);
    else if constexpr (std::is_same_v<R, Acknowledgement>) return std::span(layouts::kAcknowledgement);
    else if constexpr (std::is_same_v<R, Interrogation>) return std::span(layouts::kInterrogation);
    else if constexpr (std::is_same_v<R, AssignedModeCommand>) return std::span(layouts::kAssignedModeCommand);
    else if constexpr (std::is_same_v<R, DGNSSBroadcast>) return std::span(layouts::kDGNSSBroadcast);
    else if constexpr (std::is_same_v<R, GroupAssignment>) return std::span(layouts::kGroupAssignment);
    else if constexpr (std::is_same_v<R, LongRangeReport>) return std::span(layouts::kLongRangeReport);
}

// The body rows of a type 25 or 26 by its flags (the header rows are
// layouts::kSlotBinaryHeader).
inline std::span<const Field<SlotBinaryMessage>> SlotBinaryBody(int type, bool addressed, bool structured) {
    using namespace layouts;
    if (type == 26) {
        if (addressed) return structured ? std::span<const Field<SlotBinaryMessage>>(kMultipleSlotAddressedStructured)
                                         : kMultipleSlotAddressed;
        return structured ? std::span<const Field<SlotBinaryMessage>>(kMultipleSlotBroadcastStructured)
                          : kMultipleSlotBroadcast;
    }
    if (addressed) return structured ? std::span<const Field<SlotBinaryMessage>>(kSingleSlotAddressedStructured)
                                     : kSingleSlotAddressed;
    return structured ? std::span<const Field<SlotBinaryMessage>>(kSingleSlotBroadcastStructured)
                      : kSingleSlotBroadcast;
}

// The variable rows of a type 22: the area's corners, or the two addressed stations.
inline std::span<const Field<ChannelManagement>> ChannelManagementBody(bool addressed) {
    if (addressed) return layouts::kChannelManagementAddressed;
    return layouts::kChannelManagementArea;
}

}  // namespace ais
