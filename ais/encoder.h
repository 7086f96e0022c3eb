// AIS encoder: sub-record -> bits -> armoured payload -> !AIVDM / !AIVDO
// sentences. The inverse of DecodeAISMessage for every layout it decodes,
// driven by the same layout rows (message_layouts.h). Used by the traffic
// simulator and the tests.
//
//   ais::PositionReport p;  p.MessageID = 1;  p.MMSI = 257000000;  p.SOG = 12.3f; ...
//   ais::EncodedPayload e = ais::EncodePayload(p);
//   ais::SentenceBuilder nmea;
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
EncodedPayload EncodePayload(const DataLinkManagement& rec);
EncodedPayload EncodePayload(const AtoNReport& rec);              // name extension only when not blank
EncodedPayload EncodePayload(const StaticDataReport& rec);        // part A or B by PartNumber

// A message of the given type that carries only the common header (repeat
// indicator, MMSI) and zeros up to bitLength bits: acknowledgements, channel
// management and the other types that are only time-stamped.
EncodedPayload EncodeHeaderOnly(int type, int repeatIndicator, int32_t mmsi, int bitLength);

// Sentence building. A payload that fits one sentence of at most 82
// characters (line end included) gives one sentence with an empty sequential
// message identifier; a longer one is split into fragments of 60 characters
// that share an identifier 0-9, which the builder advances per multi-sentence
// message. Only the last fragment carries the fill bits; the others carry 0.
class SentenceBuilder {
public:
    // channel 'A' or 'B' (0 leaves the field empty); ownShip selects !AIVDO.
    std::vector<std::string> build(std::string_view payload, int fillBits, char channel = 'A',
                                   bool ownShip = false);
    // Appends the sentences to out instead (no new vector per message).
    void build(std::string_view payload, int fillBits, char channel, bool ownShip,
               std::vector<std::string>& out);

private:
    int nextSequentialId_ = 0;
};

// One sentence: "!AIVDM,count,number,id,channel,payload,fill*hh\r\n"; an id of
// -1 leaves the identifier field empty.
std::string MakeSentence(bool ownShip, int count, int number, int sequentialId, char channel,
                         std::string_view payload, int fillBits);

}  // namespace ais
