// Sample NMEA for receiver and table tests, made with the encoder.
//
//   auto s = testing_support::Sentences(testing_support::ClassAReport(257000001, 59.0, 5.0, 12.3f));
//   rx.receive(input::InputKind::Tcp, testing_support::Join(s));
#pragma once

#include <string>
#include <vector>

#include "ais/encoder.h"
#include "ais/message_record.h"
#include "input/sentence_builder.h"

namespace testing_support {

inline std::string Join(const std::vector<std::string>& sentences) {
    std::string out;
    for (const auto& s : sentences) out += s;
    return out;
}

// Members not named keep their defaults (GCC would warn about each text member).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
inline ais::PositionReport ClassAReport(int32_t mmsi, double lat, double lon, float sog, int16_t navStatus = 0,
                                        float rot = 0, int type = 1) {
    return {.MessageID = static_cast<int16_t>(type), .MMSI = mmsi, .NavStatus = navStatus, .ROT = rot, .SOG = sog,
            .Longitude = lon, .Latitude = lat, .COG = 45.0f, .TrueHeading = 44.0f, .TimeStamp = 30};
}

inline ais::ClassBPositionReport ClassBReport(int32_t mmsi, double lat, double lon, float sog) {
    return {.MessageID = 18, .MMSI = mmsi, .SOG = sog, .Longitude = lon, .Latitude = lat, .COG = 90.0f,
            .TrueHeading = 91.0f, .TimeStamp = 12};
}

inline ais::StaticVoyageData StaticData(int32_t mmsi, const std::string& name, const std::string& callSign) {
    return {.MessageID = 5, .MMSI = mmsi, .IMONumber = 9123456, .CallSign = callSign, .Name = name, .ShipType = 70,
            .DimA = 100, .DimB = 20, .DimC = 10, .DimD = 12, .EPFDType = 1, .Draught = 7.5f, .Destination = "BERGEN"};
}
#pragma GCC diagnostic pop

template <class Rec>
std::vector<std::string> Sentences(const Rec& rec, char channel = 'A', bool ownShip = false) {
    static input::SentenceBuilder builder;
    const ais::EncodedPayload e = ais::EncodePayload(rec);
    return builder.build(e.payload, e.fillBits, channel, ownShip);
}

inline std::string Sentence(const ais::EncodedPayload& e, char channel = 'A', bool ownShip = false) {
    return input::MakeSentence(ownShip, 1, 1, -1, channel, e.payload, e.fillBits);
}

// Sub-record `type` of a decoded record encoded again; false for the types the
// encoder does not write field by field.
inline bool Reencode(const ais::AISMessageRecord& r, int type, ais::EncodedPayload& out) {
    switch (type) {
        case 1: out = ais::EncodePayload(r.Type1); return true;
        case 2: out = ais::EncodePayload(r.Type2); return true;
        case 3: out = ais::EncodePayload(r.Type3); return true;
        case 4: out = ais::EncodePayload(r.Type4); return true;
        case 5: out = ais::EncodePayload(r.Type5); return true;
        case 9: out = ais::EncodePayload(r.Type9); return true;
        case 10: out = ais::EncodePayload(r.Type10); return true;
        case 12: out = ais::EncodePayload(r.Type12); return true;
        case 14: out = ais::EncodePayload(r.Type14); return true;
        case 18: out = ais::EncodePayload(r.Type18); return true;
        case 19: out = ais::EncodePayload(r.Type19); return true;
        case 20: out = ais::EncodePayload(r.Type20); return true;
        case 21: out = ais::EncodePayload(r.Type21); return true;
        case 24: out = ais::EncodePayload(r.Type24); return true;
        case 7: out = ais::EncodePayload(r.Type7); return true;
        case 11: out = ais::EncodePayload(r.Type11); return true;
        case 13: out = ais::EncodePayload(r.Type13); return true;
        case 15: out = ais::EncodePayload(r.Type15); return true;
        case 16: out = ais::EncodePayload(r.Type16); return true;
        case 17: out = ais::EncodePayload(r.Type17); return true;
        case 22: out = ais::EncodePayload(r.Type22); return true;
        case 23: out = ais::EncodePayload(r.Type23); return true;
        case 25: out = ais::EncodePayload(r.Type25); return true;
        case 26: out = ais::EncodePayload(r.Type26); return true;
        case 27: out = ais::EncodePayload(r.Type27); return true;
        default: return false;
    }
}

}  // namespace testing_support
