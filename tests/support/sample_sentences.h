// Sample NMEA for receiver and table tests, made with the encoder.
//
//   auto s = testing_support::PositionSentences(257000001, 59.0, 5.0, 12.3f);
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

inline ais::PositionReport ClassAReport(int32_t mmsi, double lat, double lon, float sog, int16_t navStatus = 0,
                                        float rot = 0, int type = 1) {
    ais::PositionReport p;
    p.MessageID = static_cast<int16_t>(type);
    p.MMSI = mmsi;
    p.NavStatus = navStatus;
    p.ROT = rot;
    p.SOG = sog;
    p.Latitude = lat;
    p.Longitude = lon;
    p.COG = 45.0f;
    p.TrueHeading = 44.0f;
    p.TimeStamp = 30;
    return p;
}

inline ais::ClassBPositionReport ClassBReport(int32_t mmsi, double lat, double lon, float sog) {
    ais::ClassBPositionReport b;
    b.MessageID = 18;
    b.MMSI = mmsi;
    b.SOG = sog;
    b.Latitude = lat;
    b.Longitude = lon;
    b.COG = 90.0f;
    b.TrueHeading = 91.0f;
    b.TimeStamp = 12;
    return b;
}

inline ais::StaticVoyageData StaticData(int32_t mmsi, const std::string& name, const std::string& callSign) {
    ais::StaticVoyageData s;
    s.MessageID = 5;
    s.MMSI = mmsi;
    s.IMONumber = 9123456;
    s.CallSign = callSign;
    s.Name = name;
    s.ShipType = 70;
    s.DimA = 100;
    s.DimB = 20;
    s.DimC = 10;
    s.DimD = 12;
    s.EPFDType = 1;
    s.Draught = 7.5f;
    s.Destination = "BERGEN";
    return s;
}

template <class Rec>
std::vector<std::string> Sentences(const Rec& rec, char channel = 'A', bool ownShip = false) {
    static input::SentenceBuilder builder;
    const ais::EncodedPayload e = ais::EncodePayload(rec);
    return builder.build(e.payload, e.fillBits, channel, ownShip);
}

inline std::string Sentence(const ais::EncodedPayload& e, char channel = 'A', bool ownShip = false) {
    return input::MakeSentence(ownShip, 1, 1, -1, channel, e.payload, e.fillBits);
}

}  // namespace testing_support
