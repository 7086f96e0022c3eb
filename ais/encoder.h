// AIS encoder: sub-record -> bits -> armoured payload (input::SentenceBuilder
// then makes the !AIVDM / !AIVDO sentences). The inverse of DecodeAISMessage for every layout it decodes,
// driven by the same layout rows (message_layouts.h). Used by the traffic
// simulator and the tests.
//
//   ais::PositionReport p;  p.MessageID = 1;  p.MMSI = 257000000;  p.SOG = 12.3f; ...
//   ais::EncodedPayload e = ais::EncodePayload(p);
//   input::SentenceBuilder nmea;                                // input/sentence_builder.h
//   for (const std::string& s : nmea.build(e.payload, e.fillBits, 'A'))
//       write(s);   // "!AIVDM,1,1,,A,1...,0*hh\r\n"
//
// Values are written back the way the decoder reads them: -9999 becomes each
// field's "not available" code (longitude 181, latitude 91, SOG 1023, COG 3600,
// heading 511, ROT -128; ETA no date -> month 0, day 0, hour 24, minute 60),
// scaled values are rounded to the nearest raw step, and values too wide for
// their field keep their low bits. Texts are written in six-bit ASCII (lower
// case as upper case, other characters as '?'), padded with '@' to the field.
// A communication state is written from SyncState, SlotTimeout and SubMessage.
// Binary data (types 17, 25, 26) is written from its hex text, DataBits bits
// of it; a structured type 25 or 26 carries its application inside that data
// (ApplicationData in binary_encoder.h makes it from a BinaryMessage).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ais/message_record.h"

namespace ais {

struct EncodedPayload {
    std::string payload;
    int fillBits = 0;
};

EncodedPayload EncodePayload(const PositionReport& rec);        // types 1, 2, 3 (by MessageID)
EncodedPayload EncodePayload(const BaseStationReport& rec);
EncodedPayload EncodePayload(const StaticVoyageData& rec);
EncodedPayload EncodePayload(const SARPositionReport& rec);
EncodedPayload EncodePayload(const UTCInquiry& rec);
EncodedPayload EncodePayload(const AddressedSafetyMessage& rec);  // text to the end, no padding
EncodedPayload EncodePayload(const BroadcastSafetyMessage& rec);  // text to the end, no padding
EncodedPayload EncodePayload(const ClassBPositionReport& rec);
EncodedPayload EncodePayload(const ClassBExtendedReport& rec);
EncodedPayload EncodePayload(const DataLinkManagement& rec);      // up to the last reservation not zero
EncodedPayload EncodePayload(const AtoNReport& rec);              // name extension only when not blank
EncodedPayload EncodePayload(const StaticDataReport& rec);        // part A or B by PartNumber
EncodedPayload EncodePayload(const Acknowledgement& rec);         // types 7 and 13, up to the last destination
EncodedPayload EncodePayload(const Interrogation& rec);           // as many requests as are not zero
EncodedPayload EncodePayload(const AssignedModeCommand& rec);     // station B when not zero
EncodedPayload EncodePayload(const DGNSSBroadcast& rec);          // DataBits bits of Data (hex)
EncodedPayload EncodePayload(const ChannelManagement& rec);       // corners or stations by Addressed
EncodedPayload EncodePayload(const GroupAssignment& rec);
EncodedPayload EncodePayload(const SlotBinaryMessage& rec);       // types 25, 26: DataBits bits of Data
EncodedPayload EncodePayload(const LongRangeReport& rec);

// The longest message of a type the data link carries, in bits: one slot
// (168) for most; type 5 two slots; the binary and text messages up to five
// (1008, 1064 for type 26 with its communication state); the short ones less.
// 0 for a type that does not exist.
int MaxMessageBits(int type);

// A message of the given type that carries only the common header (repeat
// indicator, MMSI) and zeros up to bitLength bits: for tests and seeds that
// need any type, known or not.
EncodedPayload EncodeHeaderOnly(int type, int repeatIndicator, int32_t mmsi, int bitLength);

}  // namespace ais
