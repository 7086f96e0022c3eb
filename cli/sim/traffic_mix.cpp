#include "cli/sim/traffic_mix.h"

#include <cmath>

#include "ais/binary_encoder.h"

namespace sim {

using namespace ais;

namespace {

constexpr const char* kSyllables[] = {"NOR", "DIC", "STAR", "SEA", "WIND", "BAL", "TIC", "QUEEN", "MAR",
                                      "IA", "OCEAN", "PRIDE", "EVER", "GREEN", "ATLAN", "TIS", "FJORD",
                                      "LINE", "BLUE", "WAVE", "KING", "STON", "HAV", "BRIS"};
constexpr const char* kPorts[] = {"ROTTERDAM", "HAMBURG", "GOTHENBURG", "OSLO", "AARHUS", "FREDRIKSHAVN",
                                  "ANTWERP", "BREMERHAVEN", "KIEL", "GDANSK"};
constexpr int kMids[] = {257, 258, 259, 265, 266, 219, 220, 211, 218, 244, 245, 235, 636, 538, 351};

}  // namespace

TrafficMix::TrafficMix(uint32_t seed, int fleetSize) : rng_(seed) {
    std::uniform_real_distribution<double> lat(56.5, 59.5), lon(9.0, 12.5);
    std::uniform_real_distribution<float> sog(0.0f, 22.0f), cog(0.0f, 359.9f);
    std::uniform_int_distribution<int> mid(0, std::size(kMids) - 1), serial(0, 999999), status(0, 8);
    std::uniform_int_distribution<int> type(20, 99), port(0, std::size(kPorts) - 1), classB(0, 9);
    fleet_.reserve(static_cast<size_t>(fleetSize));
    for (int i = 0; i < fleetSize; ++i) {
        Vessel v;
        v.mmsi = kMids[mid(rng_)] * 1000000 + serial(rng_);
        v.lat = lat(rng_);
        v.lon = lon(rng_);
        v.sog = sog(rng_);
        v.cog = cog(rng_);
        v.navStatus = status(rng_);
        v.shipType = type(rng_);
        v.name = randomName(1 + i % 3);
        v.callSign = "L" + std::string(1, static_cast<char>('A' + i % 26)) + std::to_string(1000 + i % 9000);
        v.destination = kPorts[port(rng_)];
        v.classB = classB(rng_) < 3;
        fleet_.push_back(std::move(v));
    }
}

std::string TrafficMix::randomName(int words) {
    std::uniform_int_distribution<int> syl(0, std::size(kSyllables) - 1);
    std::string name;
    for (int w = 0; w < words; ++w) {
        if (w) name += ' ';
        name += kSyllables[syl(rng_)];
        name += kSyllables[syl(rng_)];
    }
    return name.substr(0, 20);
}

TrafficMix::Vessel& TrafficMix::pick(bool classB) {
    std::uniform_int_distribution<size_t> any(0, fleet_.size() - 1);
    for (int tries = 0; tries < 16; ++tries) {
        Vessel& v = fleet_[any(rng_)];
        if (v.classB == classB) return v;
    }
    return fleet_[any(rng_)];
}

int TrafficMix::nextPayload(EncodedPayload& out) {
    ++tick_;
    const double roll = std::uniform_real_distribution<double>(0.0, 100.0)(rng_);
    std::uniform_int_distribution<int> u60(0, 59), sub(0, 16383), slotTimeout(0, 7);
    auto move = [&](Vessel& v) {
        const double step = v.sog / 3600.0 / 60.0 * 10.0;  // ten seconds of travel, in degrees
        v.lat += step * std::cos(v.cog * 0.0174533);
        v.lon += step * std::sin(v.cog * 0.0174533) / std::cos(v.lat * 0.0174533);
        v.cog = std::fmod(v.cog + std::uniform_real_distribution<float>(-3.0f, 3.0f)(rng_) + 360.0f, 360.0f);
    };

    if (roll < 55.0) {
        Vessel& v = pick(false);
        move(v);
        PositionReport p;
        p.MessageID = static_cast<int16_t>(roll < 46.0 ? 1 : roll < 49.0 ? 2 : 3);
        p.MMSI = v.mmsi;
        p.NavStatus = static_cast<int16_t>(v.navStatus);
        p.ROT = static_cast<float>(std::uniform_int_distribution<int>(-30, 30)(rng_));
        if (tick_ % 7 == 0) p.ROT = -9999;
        p.SOG = std::round(v.sog * 10.0f) / 10.0f;
        p.PosAccuracy = static_cast<int16_t>(tick_ & 1);
        p.Longitude = v.lon;
        p.Latitude = v.lat;
        p.COG = std::round(v.cog * 10.0f) / 10.0f;
        p.TrueHeading = std::round(v.cog);
        if (tick_ % 11 == 0) p.TrueHeading = -9999;
        p.TimeStamp = static_cast<int16_t>(u60(rng_));
        p.SyncState = 0;
        p.SlotTimeout = static_cast<int16_t>(slotTimeout(rng_));
        p.SubMessage = static_cast<int16_t>(sub(rng_));
        out = EncodePayload(p);
        return p.MessageID;
    }
    if (roll < 67.0) {
        Vessel& v = pick(true);
        move(v);
        ClassBPositionReport p;
        p.MessageID = 18;
        p.MMSI = v.mmsi;
        p.SOG = std::round(v.sog * 10.0f) / 10.0f;
        p.Longitude = v.lon;
        p.Latitude = v.lat;
        p.COG = std::round(v.cog * 10.0f) / 10.0f;
        p.TrueHeading = -9999;
        p.TimeStamp = static_cast<int16_t>(u60(rng_));
        p.CommStateSelector = 1;
        p.SyncState = 3;
        p.SlotTimeout = static_cast<int16_t>(slotTimeout(rng_));
        p.SubMessage = static_cast<int16_t>(sub(rng_));
        out = EncodePayload(p);
        return 18;
    }
    if (roll < 75.0) {
        Vessel& v = pick(false);
        StaticVoyageData s;
        s.MessageID = 5;
        s.MMSI = v.mmsi;
        s.AISVersion = 1;
        s.IMONumber = 9000000 + v.mmsi % 999999;
        s.CallSign = v.callSign;
        s.Name = v.name;
        s.ShipType = static_cast<int16_t>(v.shipType);
        s.DimA = static_cast<int16_t>(20 + v.mmsi % 200);
        s.DimB = static_cast<int16_t>(10 + v.mmsi % 50);
        s.DimC = static_cast<int16_t>(5 + v.mmsi % 10);
        s.DimD = static_cast<int16_t>(5 + v.mmsi % 12);
        s.EPFDType = 1;
        s.ETA = base::DateTime::fromCalendar(2026, 1 + v.mmsi % 12, 1 + v.mmsi % 28, v.mmsi % 24, v.mmsi % 60);
        s.Draught = static_cast<float>(30 + v.mmsi % 120) / 10.0f;
        s.Destination = v.destination;
        out = EncodePayload(s);
        return 5;
    }
    if (roll < 81.0) {
        Vessel& v = pick(true);
        StaticDataReport s;
        s.MessageID = 24;
        s.MMSI = v.mmsi;
        s.PartNumber = static_cast<int16_t>(tick_ & 1);
        s.Name = v.name;
        s.ShipType = 37;
        s.VendorID = "SRT1234";
        s.CallSign = v.callSign;
        s.DimA = 8;
        s.DimB = 4;
        s.DimC = 2;
        s.DimD = 2;
        out = EncodePayload(s);
        return 24;
    }
    if (roll < 86.0) {
        BaseStationReport b;
        b.MessageID = 4;
        b.MMSI = 2570000 + tick_ % 40;
        b.UTCYear = 2026;
        b.UTCMonth = 12;
        b.UTCDay = 6;
        b.UTCHour = static_cast<int16_t>(tick_ / 3600 % 24);
        b.UTCMinute = static_cast<int16_t>(tick_ / 60 % 60);
        b.UTCSecond = static_cast<int16_t>(tick_ % 60);
        b.PosAccuracy = 1;
        b.Longitude = 10.0 + (tick_ % 40) * 0.05;
        b.Latitude = 58.0 + (tick_ % 40) * 0.03;
        b.EPFDType = 7;
        b.SlotTimeout = static_cast<int16_t>(slotTimeout(rng_));
        b.SubMessage = static_cast<int16_t>(sub(rng_));
        out = EncodePayload(b);
        return 4;
    }
    if (roll < 90.0) {
        AtoNReport a;
        a.MessageID = 21;
        a.MMSI = 992570000 + tick_ % 300;
        a.AtoNType = static_cast<int16_t>(tick_ % 32);
        a.Name = "BUOY " + std::to_string(tick_ % 300);
        a.Longitude = 10.0 + (tick_ % 300) * 0.01;
        a.Latitude = 57.0 + (tick_ % 300) * 0.005;
        a.DimA = a.DimB = a.DimC = a.DimD = 1;
        a.EPFDType = 7;
        a.TimeStamp = 60;
        a.VirtualAtoN = static_cast<int16_t>(tick_ % 5 == 0);
        if (tick_ % 4 == 0) a.NameExtension = "EXTENSION";
        out = EncodePayload(a);
        return 21;
    }
    if (roll < 95.0) {
        const bool broadcast = roll < 93.0;
        BinaryMessage m;
        m.MessageID = static_cast<int16_t>(broadcast ? 8 : 6);
        m.MMSI = broadcast ? 2570000 + tick_ % 40 : pick(false).mmsi;
        m.DestinationMMSI = broadcast ? 0 : pick(false).mmsi;
        m.DAC = 1;
        if (broadcast) {
            m.FI = 11;  // meteorological and hydrological data
            m.MetHydro.MetLatitude = 58.1;
            m.MetHydro.MetLongitude = 10.2;
            m.MetHydro.MetDay = 6;
            m.MetHydro.MetHour = 12;
            m.MetHydro.AvgWindSpeed = static_cast<int16_t>(tick_ % 40);
            m.MetHydro.AirTemperature = 4.5f;
            m.MetHydro.AirPressure = 1013;
            m.MetHydro.WaveHeight = -9999;
        } else {
            m.FI = 0;
            m.Description = "PILOT BOARDING AT 0900";
        }
        const auto p = EncodeBinaryMessage(m, 0);
        if (p) {
            out.payload = p->Payload;
            out.fillBits = p->FillBits;
        }
        return m.MessageID;
    }
    if (roll < 96.5) {
        SARPositionReport s;
        s.MessageID = 9;
        s.MMSI = 111257000 + tick_ % 3;
        s.Altitude = static_cast<int16_t>(300 + tick_ % 200);
        s.SOG = 120;
        s.Longitude = 10.5;
        s.Latitude = 58.2;
        s.COG = 45.5f;
        s.TimeStamp = static_cast<int16_t>(u60(rng_));
        s.SlotTimeout = static_cast<int16_t>(slotTimeout(rng_));
        s.SubMessage = static_cast<int16_t>(sub(rng_));
        out = EncodePayload(s);
        return 9;
    }
    if (roll < 98.0) {
        BroadcastSafetyMessage s;
        s.MessageID = 14;
        s.MMSI = pick(false).mmsi;
        s.Text = "NAVIGATIONAL WARNING BUOY OFF STATION";
        out = EncodePayload(s);
        return 14;
    }
    Vessel& v = pick(true);
    move(v);
    ClassBExtendedReport e;
    e.MessageID = 19;
    e.MMSI = v.mmsi;
    e.SOG = std::round(v.sog * 10.0f) / 10.0f;
    e.Longitude = v.lon;
    e.Latitude = v.lat;
    e.COG = std::round(v.cog * 10.0f) / 10.0f;
    e.TrueHeading = std::round(v.cog);
    e.TimeStamp = static_cast<int16_t>(u60(rng_));
    e.Name = v.name;
    e.ShipType = 37;
    e.DimA = 8;
    e.DimB = 4;
    e.DimC = 2;
    e.DimD = 2;
    e.EPFDType = 1;
    out = EncodePayload(e);
    return 19;
}

int TrafficMix::nextSentences(std::vector<std::string>& out) {
    EncodedPayload p;
    const int type = nextPayload(p);
    builder_.build(p.payload, p.fillBits, (tick_ & 1) ? 'A' : 'B', false, out);
    return type;
}

}  // namespace sim
