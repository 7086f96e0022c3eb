// AISMessageRecord: the decoded-message record, one plain sub-record per AIS
// message type 1 to 27.
//
// One record lives as long as its Receiver; DecodeAISMessage fills the
// sub-record of the type it decodes and writes only the fields that type's
// decoder writes. Every other field, of that sub-record and of all others,
// keeps what an earlier message (possibly from another station) left there.
// So after a message of type N read only record.TypeN, and within it only the
// fields the decoder writes for that message (for example only the
// communication-state field that matches SlotTimeout).
//
// Units: positions in signed decimal degrees (north/east positive), speeds in
// knots, courses and headings in degrees, rate of turn in degrees per minute,
// dimensions and draught in metres, binary data as upper-case hex text (the
// last digit padded with zero bits) with its length in bits beside it. kNotAvailable (-9999) marks a numeric field
// whose transmitted value means "not available". TimeReceived is the local
// date-time at which the message was decoded.
//
//   ais::AISMessageRecord rec;
//   int type = ais::DecodeAISMessage(payload, rec, fillBits, standard, clock.now());
//   if (type == 1) use(rec.Type1.Latitude, rec.Type1.Longitude);
#pragma once

#include <cstdint>
#include <string>

#include "ais/binary_message.h"
#include "ais/code_text.h"
#include "base/date_time.h"

namespace ais {

// Groups of fields that several message types carry alike. A sub-record
// below inherits the groups of its message, so the layouts still name each
// field directly, and a target entry (targets/target_table.h) holds the same
// groups: what a message tells of a group reaches the entry as one value.

// Where the station is, and how good the fix is.
struct PositionFix {
    int16_t PosAccuracy = 0;
    CodeText PosAccuracyText;
    double Longitude = 0;
    double Latitude = 0;
    int16_t RAIM = 0;
    bool operator==(const PositionFix&) const = default;
};

// Speed and course over ground.
struct Motion {
    float SOG = 0;  // knots
    float COG = 0;  // degrees
    bool operator==(const Motion&) const = default;
};

struct NavigationStatus {
    int16_t NavStatus = 0;
    CodeText NavStatusText;
    bool operator==(const NavigationStatus&) const = default;
};

// The SOTDMA communication state; which of SlotNumber, SlotOffset and
// ReceivedStations holds a value depends on SlotTimeout.
struct CommState {
    int16_t SyncState = 0;
    int16_t SlotTimeout = 0;
    int16_t SubMessage = 0;
    int16_t SlotNumber = 0;        // slot time-out 2, 4, 6
    int16_t SlotOffset = 0;        // slot time-out 0
    int16_t ReceivedStations = 0;  // slot time-out 3, 5, 7
    bool operator==(const CommState&) const = default;
};

// Metres from the reference point to bow, stern, port and starboard.
struct Dimensions {
    int16_t DimA = 0;
    int16_t DimB = 0;
    int16_t DimC = 0;
    int16_t DimD = 0;
    bool operator==(const Dimensions&) const = default;
};

// The ship type after the ship type rule, and its texts.
struct ShipKind {
    int16_t ShipType = 0;  // 0-99
    CodeText ShipTypeText;
    CodeText CargoTypeText;
    bool operator==(const ShipKind&) const = default;
};

// The kind of position fixing device.
struct EPFD {
    int16_t EPFDType = 0;
    CodeText EPFDTypeText;
    bool operator==(const EPFD&) const = default;
};

struct Voyage {
    base::DateTime ETA;  // 0 (no date) when the month is 0
    float Draught = 0;
    std::string Destination;  // 20 characters
    bool operator==(const Voyage&) const = default;
};

// Who a vessel is, as its static and voyage report names it.
struct VesselId {
    int32_t IMONumber = 0;
    std::string CallSign;  // 7 characters
    std::string Name;      // 20 characters
    bool operator==(const VesselId&) const = default;
};

// Types 1, 2 and 3 (Class A position report); one instance per type.
struct PositionReport : NavigationStatus, Motion, PositionFix, CommState {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    float ROT = 0;        // degrees per minute, positive = turning right
    float TrueHeading = 0;
    int16_t TimeStamp = 0;
    int16_t ManoeuvreIndicator = 0;
    int16_t Spare = 0;
    int16_t CommUTCHour = 0;       // slot time-out 1 only
    int16_t CommUTCMinute = 0;     // slot time-out 1 only
    base::DateTime TimeReceived;
    bool operator==(const PositionReport&) const = default;
};

// Type 4. A slot time-out of 1 writes the communication state's hour and
// minute into UTCHour and UTCMinute.
struct BaseStationReport : PositionFix, EPFD, CommState {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t UTCYear = 0;
    int16_t UTCMonth = 0;
    int16_t UTCDay = 0;
    int16_t UTCHour = 0;
    int16_t UTCMinute = 0;
    int16_t UTCSecond = 0;
    int16_t Spare = 0;
    base::DateTime TimeReceived;
    bool operator==(const BaseStationReport&) const = default;
};

// Type 5.
struct StaticVoyageData : VesselId, ShipKind, Dimensions, EPFD, Voyage {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t AISVersion = 0;
    int16_t DTE = 0;
    base::DateTime TimeReceived;
    bool operator==(const StaticVoyageData&) const = default;
};

// Type 9.
struct SARPositionReport : Motion, PositionFix, CommState {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t Altitude = 0;  // metres, 4095 kept as received
    int16_t TimeStamp = 0;
    int16_t AltitudeSensor = 0;
    int16_t DTE = 0;
    int16_t Spare = 0;
    int16_t AssignedMode = 0;
    int16_t CommStateSelector = 0;  // 0 = SOTDMA, 1 = ITDMA
    int16_t CommUTCHour = 0;
    int16_t CommUTCMinute = 0;
    base::DateTime TimeReceived;
    bool operator==(const SARPositionReport&) const = default;
};

// Type 10.
struct UTCInquiry {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;  // inquiring station
    int32_t DestinationMMSI = 0;
    base::DateTime TimeReceived;
    bool operator==(const UTCInquiry&) const = default;
};

// Type 12.
struct AddressedSafetyMessage {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t SequenceNumber = 0;
    int32_t DestinationMMSI = 0;
    int16_t RetransmitFlag = 0;
    int16_t Spare = 0;
    std::string Text;
    base::DateTime TimeReceived;
    bool operator==(const AddressedSafetyMessage&) const = default;
};

// Type 14.
struct BroadcastSafetyMessage {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    std::string Text;
    base::DateTime TimeReceived;
    bool operator==(const BroadcastSafetyMessage&) const = default;
};

// Type 18.
struct ClassBPositionReport : Motion, PositionFix, CommState {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t RegionalReserved = 0;
    float TrueHeading = 0;
    int16_t TimeStamp = 0;
    int16_t CommStateSelector = 0;
    int16_t CommUTCHour = 0;
    int16_t CommUTCMinute = 0;
    base::DateTime TimeReceived;
    bool operator==(const ClassBPositionReport&) const = default;
};

// Type 19.
struct ClassBExtendedReport : Motion, PositionFix, ShipKind, Dimensions, EPFD {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t RegionalReserved = 0;
    float TrueHeading = 0;
    int16_t TimeStamp = 0;
    int16_t RegionalReserved2 = 0;
    std::string Name;  // 20 characters
    CodeText ShipTypeFullText;
    int16_t DTE = 0;
    base::DateTime TimeReceived;
    bool operator==(const ClassBExtendedReport&) const = default;
};

// Type 20: up to four slot reservations; the ones a shorter message lacks read 0.
struct DataLinkManagement {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t Offset1 = 0;  // slots
    int16_t NumberOfSlots1 = 0;
    int16_t Timeout1 = 0;  // minutes
    int16_t Increment1 = 0;
    int16_t Offset2 = 0;
    int16_t NumberOfSlots2 = 0;
    int16_t Timeout2 = 0;
    int16_t Increment2 = 0;
    int16_t Offset3 = 0;
    int16_t NumberOfSlots3 = 0;
    int16_t Timeout3 = 0;
    int16_t Increment3 = 0;
    int16_t Offset4 = 0;
    int16_t NumberOfSlots4 = 0;
    int16_t Timeout4 = 0;
    int16_t Increment4 = 0;
    base::DateTime TimeReceived;
    bool operator==(const DataLinkManagement&) const = default;
};

// Type 21.
struct AtoNReport : PositionFix, Dimensions, EPFD {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t AtoNType = 0;
    CodeText AtoNTypeText;
    std::string Name;  // 20 characters
    int16_t TimeStamp = 0;
    int16_t OffPosition = 0;
    int16_t AtoNStatus = 0;
    int16_t VirtualAtoN = 0;
    int16_t AssignedMode = 0;
    std::string NameExtension;  // 14 characters, blanks where the message is shorter
    base::DateTime TimeReceived;
    bool operator==(const AtoNReport&) const = default;
};

// Type 24. Part A (PartNumber 0) writes Name only; part B (1-3) writes the rest.
struct StaticDataReport : ShipKind, Dimensions {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t PartNumber = 0;
    std::string Name;  // part A
    std::string VendorID;  // 7 characters
    std::string CallSign;  // 7 characters
    base::DateTime TimeReceived;
    bool operator==(const StaticDataReport&) const = default;
};

// Types 7 and 13: acknowledgement of up to four addressed messages (binary
// for 7, safety related for 13), by destination and sequence number. The
// destinations a shorter message lacks read 0.
struct Acknowledgement {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int32_t DestinationMMSI1 = 0;
    int16_t SequenceNumber1 = 0;
    int32_t DestinationMMSI2 = 0;
    int16_t SequenceNumber2 = 0;
    int32_t DestinationMMSI3 = 0;
    int16_t SequenceNumber3 = 0;
    int32_t DestinationMMSI4 = 0;
    int16_t SequenceNumber4 = 0;
    base::DateTime TimeReceived;
    bool operator==(const Acknowledgement&) const = default;
};

// Type 15: the first station is asked for one or two message types, a second
// station for one; each answer is wanted in the given slot offset (0 = the
// station chooses).
struct Interrogation {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int32_t DestinationMMSI1 = 0;
    int16_t MessageID1_1 = 0;
    int16_t SlotOffset1_1 = 0;
    int16_t MessageID1_2 = 0;
    int16_t SlotOffset1_2 = 0;
    int32_t DestinationMMSI2 = 0;
    int16_t MessageID2_1 = 0;
    int16_t SlotOffset2_1 = 0;
    base::DateTime TimeReceived;
    bool operator==(const Interrogation&) const = default;
};

// Type 16: one or two stations are told to transmit from a slot offset at a
// slot increment.
struct AssignedModeCommand {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int32_t DestinationMMSIA = 0;
    int16_t OffsetA = 0;
    int16_t IncrementA = 0;
    int32_t DestinationMMSIB = 0;
    int16_t OffsetB = 0;
    int16_t IncrementB = 0;
    base::DateTime TimeReceived;
    bool operator==(const AssignedModeCommand&) const = default;
};

// Type 17: the reference station's position (sent in 1/10 minute) and the
// DGNSS correction data, undecoded.
struct DGNSSBroadcast {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    double Longitude = 0;
    double Latitude = 0;
    std::string Data;     // hex
    int16_t DataBits = 0;
    base::DateTime TimeReceived;
    bool operator==(const DGNSSBroadcast&) const = default;
};

// Type 22: the channels, Tx/Rx mode and power to use in an area (corners in
// 1/10 minute, 1 = north-east, 2 = south-west) or by two addressed stations
// (Addressed 1).
struct ChannelManagement {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t ChannelA = 0;
    int16_t ChannelB = 0;
    int16_t TxRxMode = 0;
    int16_t Power = 0;  // 0 high, 1 low
    double Longitude1 = 0;
    double Latitude1 = 0;
    double Longitude2 = 0;
    double Latitude2 = 0;
    int32_t DestinationMMSI1 = 0;
    int32_t DestinationMMSI2 = 0;
    int16_t Addressed = 0;
    int16_t ChannelABandwidth = 0;
    int16_t ChannelBBandwidth = 0;
    int16_t ZoneSize = 0;  // nautical miles - 1
    base::DateTime TimeReceived;
    bool operator==(const ChannelManagement&) const = default;
};

// Type 23: stations of one type (and ship type, 0 = all) in an area (corners
// in 1/10 minute, 1 = north-east, 2 = south-west) get a Tx/Rx mode, a
// reporting interval code and a quiet time in minutes.
struct GroupAssignment {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    double Longitude1 = 0;
    double Latitude1 = 0;
    double Longitude2 = 0;
    double Latitude2 = 0;
    int16_t StationType = 0;
    int16_t ShipType = 0;  // as received
    int16_t TxRxMode = 0;
    int16_t ReportingInterval = 0;
    int16_t QuietTime = 0;
    base::DateTime TimeReceived;
    bool operator==(const GroupAssignment&) const = default;
};

// Types 25 (one slot) and 26 (several slots, with a communication state at
// the end). DestinationMMSI is written when Addressed is 1; DAC, FI and
// Binary when Structured is 1, where Binary holds the binary application
// those select (its Description and fields, as a type 6 or 8 would give
// them). Data is everything after the header fields, in hex.
struct SlotBinaryMessage {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t Addressed = 0;
    int16_t Structured = 0;
    int32_t DestinationMMSI = 0;
    int16_t DAC = 0;
    int16_t FI = 0;
    std::string Data;  // hex
    int16_t DataBits = 0;
    int16_t CommStateSelector = 0;  // type 26: 0 SOTDMA, 1 ITDMA
    int32_t CommState = 0;          // type 26: the 19 bits as received
    BinaryMessage Binary;
    base::DateTime TimeReceived;
    bool operator==(const SlotBinaryMessage&) const = default;
};

// Type 27: the long-range broadcast, positions in 1/10 minute, speed in
// whole knots and course in whole degrees. PositionLatency 0: the position
// is less than 5 s old; 1: older. GNSSStatus is the same bit under its
// earlier name (0 current GNSS position, 1 not).
struct LongRangeReport : NavigationStatus, PositionFix, Motion {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int16_t PositionLatency = 0;
    int16_t GNSSStatus = 0;
    base::DateTime TimeReceived;
    bool operator==(const LongRangeReport&) const = default;
};

// f(sub-record `type` of a, the same sub-record of b) for a type 1-27; false
// for any other type.
template <class A, class B, class F>
bool WithSubRecords(A& a, B& b, int type, F&& f) {
    switch (type) {
        case 1: f(a.Type1, b.Type1); return true;
        case 2: f(a.Type2, b.Type2); return true;
        case 3: f(a.Type3, b.Type3); return true;
        case 4: f(a.Type4, b.Type4); return true;
        case 5: f(a.Type5, b.Type5); return true;
        case 6: f(a.Type6, b.Type6); return true;
        case 7: f(a.Type7, b.Type7); return true;
        case 8: f(a.Type8, b.Type8); return true;
        case 9: f(a.Type9, b.Type9); return true;
        case 10: f(a.Type10, b.Type10); return true;
        case 11: f(a.Type11, b.Type11); return true;
        case 12: f(a.Type12, b.Type12); return true;
        case 13: f(a.Type13, b.Type13); return true;
        case 14: f(a.Type14, b.Type14); return true;
        case 15: f(a.Type15, b.Type15); return true;
        case 16: f(a.Type16, b.Type16); return true;
        case 17: f(a.Type17, b.Type17); return true;
        case 18: f(a.Type18, b.Type18); return true;
        case 19: f(a.Type19, b.Type19); return true;
        case 20: f(a.Type20, b.Type20); return true;
        case 21: f(a.Type21, b.Type21); return true;
        case 22: f(a.Type22, b.Type22); return true;
        case 23: f(a.Type23, b.Type23); return true;
        case 24: f(a.Type24, b.Type24); return true;
        case 25: f(a.Type25, b.Type25); return true;
        case 26: f(a.Type26, b.Type26); return true;
        case 27: f(a.Type27, b.Type27); return true;
        default: return false;
    }
}

struct AISMessageRecord {
    PositionReport Type1;
    PositionReport Type2;
    PositionReport Type3;
    BaseStationReport Type4;
    StaticVoyageData Type5;
    BinaryMessage Type6;
    Acknowledgement Type7;
    BinaryMessage Type8;
    SARPositionReport Type9;
    UTCInquiry Type10;
    BaseStationReport Type11;  // UTC and date response: the layout of type 4
    AddressedSafetyMessage Type12;
    Acknowledgement Type13;
    BroadcastSafetyMessage Type14;
    Interrogation Type15;
    AssignedModeCommand Type16;
    DGNSSBroadcast Type17;
    ClassBPositionReport Type18;
    ClassBExtendedReport Type19;
    DataLinkManagement Type20;
    AtoNReport Type21;
    ChannelManagement Type22;
    GroupAssignment Type23;
    StaticDataReport Type24;
    SlotBinaryMessage Type25;
    SlotBinaryMessage Type26;
    LongRangeReport Type27;

    bool operator==(const AISMessageRecord&) const = default;

    // The position report sub-record of type 1, 2 or 3 (nullptr for other types).
    PositionReport* positionReport(int type) {
        return type == 1 ? &Type1 : type == 2 ? &Type2 : type == 3 ? &Type3 : nullptr;
    }
    const PositionReport* positionReport(int type) const {
        return const_cast<AISMessageRecord*>(this)->positionReport(type);
    }

    // TimeReceived of sub-record `type` (1-27); a null date-time for other types.
    base::DateTime timeReceived(int type) const {
        base::DateTime t;
        WithSubRecords(*this, *this, type, [&t](const auto& sub, const auto&) { t = sub.TimeReceived; });
        return t;
    }
};

}  // namespace ais
