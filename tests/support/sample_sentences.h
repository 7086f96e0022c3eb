// Sample NMEA for receiver and table tests, made with the encoder.
//
//   auto s = testing_support::Sentences(testing_support::ClassAReport(257000001, 59.0, 5.0, 12.3f));
//   rx.takeBytes(app::Receiver::kMainInput, testing_support::Join(s));
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "ais/encoder.h"
#include "ais/message_record.h"
#include "sentence/sentence_builder.h"

namespace testing_support {

inline std::string Join(const std::vector<std::string>& sentences) {
    std::string out;
    for (const auto& s : sentences) out += s;
    return out;
}

inline ais::PositionReport ClassAReport(int32_t mmsi, double lat, double lon, float sog, int16_t navStatus = 0,
                                        float rot = 0, int type = 1) {
    ais::PositionReport r;
    r.MessageID = static_cast<int16_t>(type);
    r.MMSI = mmsi;
    r.NavStatus = navStatus;
    r.ROT = rot;
    r.SOG = sog;
    r.Longitude = lon;
    r.Latitude = lat;
    r.COG = 45.0f;
    r.TrueHeading = 44.0f;
    r.TimeStamp = 30;
    return r;
}

inline ais::ClassBPositionReport ClassBReport(int32_t mmsi, double lat, double lon, float sog) {
    ais::ClassBPositionReport r;
    r.MessageID = 18;
    r.MMSI = mmsi;
    r.SOG = sog;
    r.Longitude = lon;
    r.Latitude = lat;
    r.COG = 90.0f;
    r.TrueHeading = 91.0f;
    r.TimeStamp = 12;
    return r;
}

inline ais::StaticVoyageData StaticData(int32_t mmsi, const std::string& name, const std::string& callSign) {
    ais::StaticVoyageData r;
    r.MessageID = 5;
    r.MMSI = mmsi;
    r.IMONumber = 9123456;
    r.CallSign = callSign;
    r.Name = name;
    r.ShipType = 70;
    r.DimA = 100;
    r.DimB = 20;
    r.DimC = 10;
    r.DimD = 12;
    r.EPFDType = 1;
    r.Draught = 7.5f;
    r.Destination = "BERGEN";
    return r;
}

// A class A report `east`/`north` nautical miles from 59 N 10 E, steering `cog`.
inline ais::PositionReport ReportNear(int32_t mmsi, double east, double north, float sog, float cog,
                                      int16_t navStatus = 0) {
    constexpr double kLat = 59.0, kLon = 10.0;
    auto r = ClassAReport(mmsi, kLat + north / 60.0, kLon + east / (60.0 * std::cos(kLat * 3.14159265358979 / 180)),
                          sog, navStatus);
    r.COG = cog;
    return r;
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

// Sub-record `type` of a decoded record encoded again; false for the types the
// encoder does not write field by field.
inline bool Reencode(const ais::AISMessageRecord& r, int type, ais::EncodedPayload& out) {
    switch (type) {
#define REENCODE(n) \
    case n: out = ais::EncodePayload(r.Type##n); return true;
        REENCODE(1) REENCODE(2) REENCODE(3) REENCODE(4) REENCODE(5) REENCODE(7) REENCODE(9) REENCODE(10)
        REENCODE(11) REENCODE(12) REENCODE(13) REENCODE(14) REENCODE(15) REENCODE(16) REENCODE(17) REENCODE(18)
        REENCODE(19) REENCODE(20) REENCODE(21) REENCODE(22) REENCODE(23) REENCODE(24) REENCODE(25) REENCODE(26)
        REENCODE(27)
#undef REENCODE
        default: return false;
    }
}

// The MMSI of every sub-record, so any type can be fed.
inline void SetMMSI(ais::AISMessageRecord& r, int32_t mmsi) {
#define SET(n) r.Type##n.MMSI = mmsi;
    SET(1) SET(2) SET(3) SET(4) SET(5) SET(6) SET(7) SET(8) SET(9) SET(10) SET(11) SET(12) SET(13) SET(14)
    SET(15) SET(16) SET(17) SET(18) SET(19) SET(20) SET(21) SET(22) SET(23) SET(24) SET(25) SET(26) SET(27)
#undef SET
}

// Whether sub-record `type` of a and b is the same (true for types without one).
inline bool SameSubRecord(const ais::AISMessageRecord& a, const ais::AISMessageRecord& b, int type) {
    switch (type) {
#define SAME(n) \
    case n: return a.Type##n == b.Type##n;
        SAME(1) SAME(2) SAME(3) SAME(4) SAME(5) SAME(6) SAME(7) SAME(8) SAME(9) SAME(10) SAME(11) SAME(12) SAME(13)
        SAME(14) SAME(15) SAME(16) SAME(17) SAME(18) SAME(19) SAME(20) SAME(21) SAME(22) SAME(23) SAME(24) SAME(25)
        SAME(26) SAME(27)
#undef SAME
        default: return true;
    }
}

}  // namespace testing_support
