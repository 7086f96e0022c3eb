// The simulator's messages other than binary applications: the regular
// reports of each kind of station, the replies, and the occasional safety,
// inquiry, long-range and link-management messages. Each writer fills the
// record the message is encoded from (the emission's truth) and sends it.
#include <algorithm>
#include <array>
#include <cmath>

#include "ais/binary_encoder.h"
#include "ais/code_tables.h"
#include "base/number_format.h"
#include "cli/sim/simulator.h"
#include "targets/statistics.h"

namespace sim {
namespace {

// A message record cleared and headed with its type and sender.
template <class Rec>
Rec& Fresh(Rec& r, int type, int32_t mmsi) {
    r = {};
    r.MessageID = static_cast<decltype(r.MessageID)>(type);
    r.MMSI = mmsi;
    return r;
}


// Texts of the safety messages; short enough to fit one message.
constexpr std::array<const char*, 6> kBroadcastTexts{
    "NAVIGATIONAL WARNING: BUOY FAIRWAY PORT 2 OFF POSITION",
    "SECURITE SECURITE DREDGING OPERATIONS IN THE FAIRWAY KEEP 500M CLEAR",
    "GALE WARNING WIND SW 8 VEERING W 9 LATER",
    "RESTRICTED VISIBILITY IN THE APPROACHES",
    "DIVING OPERATIONS NEAR THE HARBOUR ENTRANCE UNTIL 1800 UTC",
    "TEST",
};
constexpr std::array<const char*, 5> kAddressedTexts{
    "PLEASE CALL VTS ON VHF 14",
    "PILOT BOARDING IN 20 MIN AT PILOT STATION",
    "REDUCE SPEED PASSING THE DREDGER",
    "YOUR AIS SHOWS WRONG DESTINATION PLEASE CORRECT",
    "ANCHOR POSITION CONFIRMED",
};
// Degrees in whole tenths of a minute.
double TenthsOfMinute(double degrees) { return std::round(degrees * 600.0) / 600.0; }

double Tenths(double v) { return std::round(v * 10.0) / 10.0; }

// A course that stays below 360 after rounding to tenths (3600 would mean
// "not available").
float Course(double c) { return std::round(c * 10.0) >= 3600.0 ? 0.0f : static_cast<float>(c); }

// ROT in degrees per minute as it survives the 8-bit field (4.733 sqrt|rot|, rounded).
bool ReportsTurning(double rot) { return std::round(4.733 * std::sqrt(std::fabs(rot))) >= 1.0; }

}  // namespace

// The interval the receiving side expects from the values sent.
double Simulator::positionInterval(const Station& s) {
    if (s.kind == StationKind::ClassA) {
        const auto sog = static_cast<float>(Tenths(s.sog));
        const auto rot = static_cast<float>(ReportsTurning(s.rot) ? s.rot : 0.0);
        return ais::intervals::ClassA[targets::ClassAIntervalIndex(s.navStatus, sog, rot)];
    }
    return ais::intervals::ClassB[targets::ClassBIntervalIndex(static_cast<float>(Tenths(s.sog)))];
}

void Simulator::position(const Job& j, Emission& out) {
    if (j.sender.kind == StationKind::ClassA) {
        positionReport(j.sender, j.t, out);
    } else {
        classBReport(j.sender, j.t, out);
    }
}

void Simulator::positionReport(Station& s, double t, Emission& out) {
    const bool turning = ReportsTurning(s.rot);
    int type = turning ? 3 : 1;
    if (!turning && rng_.chance(0.02)) type = 2;
    ais::PositionReport& r = *out.truth.positionReport(type);
    r = {};
    r.MessageID = static_cast<int16_t>(type);
    r.MMSI = s.mmsi;
    r.NavStatus = s.navStatus;
    r.ROT = turning ? static_cast<float>(s.rot) : 0.0f;
    r.SOG = static_cast<float>(s.sog);
    r.PosAccuracy = static_cast<int16_t>(s.mmsi % 2);
    r.Longitude = s.pos.lon;
    r.Latitude = s.pos.lat;
    r.COG = Course(s.cog);
    r.TrueHeading = static_cast<float>(std::round(s.heading) >= 360 ? 0 : std::round(s.heading));
    r.TimeStamp = static_cast<int16_t>(utcAt(t).second);
    r.RAIM = 0;
    commState(r.SyncState, r.SlotTimeout, r.SubMessage, t);
    sendRecord(r, out);
}

void Simulator::classBReport(Station& s, double t, Emission& out) {
    ais::ClassBPositionReport& r = out.truth.Type18;
    r = {};
    r.MessageID = 18;
    r.MMSI = s.mmsi;
    r.SOG = static_cast<float>(s.sog);
    r.PosAccuracy = 0;
    r.Longitude = s.pos.lon;
    r.Latitude = s.pos.lat;
    r.COG = Course(s.cog);
    // Small craft often have no heading sensor.
    r.TrueHeading = s.shipType == 36 ? static_cast<float>(base::kNotAvailable)
                                     : static_cast<float>(std::fmod(std::round(s.heading), 360.0));
    r.TimeStamp = static_cast<int16_t>(utcAt(t).second);
    r.CommStateSelector = 1;  // carrier-sense units use ITDMA
    r.SyncState = 0;
    r.SubMessage = 0;
    sendRecord(r, out);
}

void Simulator::staticVoyage(const Job& j, Emission& out) {
    const Station& s = j.sender;
    const double t = j.t;
    ais::StaticVoyageData& r = out.truth.Type5;
    r = {};
    r.MessageID = 5;
    r.MMSI = s.mmsi;
    r.AISVersion = 0;
    r.IMONumber = s.imo;
    r.CallSign = s.callSign;
    r.Name = s.name;
    r.ShipType = s.shipType;
    r.DimA = s.dimA;
    r.DimB = s.dimB;
    r.DimC = s.dimC;
    r.DimD = s.dimD;
    r.EPFDType = 1;
    if (s.etaMonth > 0)
        r.ETA = base::DateTime::fromCalendar(utcAt(t).year, s.etaMonth, s.etaDay, s.etaHour, s.etaMinute, 0);
    r.Draught = s.draught;
    r.Destination = s.destination;
    r.DTE = 0;
    sendRecord(r, out);
}

// Part A of a class B static report books part B; part B follows alone.
void Simulator::staticB(const Job& j, Emission& out) {
    const Station& s = j.sender;
    const int part = j.task == Task::StaticBPartB ? 1 : 0;
    ais::StaticDataReport& r = out.truth.Type24;
    r = {};
    r.MessageID = 24;
    r.MMSI = s.mmsi;
    r.PartNumber = static_cast<int16_t>(part);
    if (part == 0) {
        r.Name = s.name;
    } else {
        r.ShipType = s.shipType;
        r.VendorID = s.vendorId;
        r.CallSign = s.callSign;
        r.DimA = s.dimA;
        r.DimB = s.dimB;
        r.DimC = s.dimC;
        r.DimD = s.dimD;
    }
    out.messageType = 24;
    out.partNumber = part;
    send(ais::EncodePayload(r), out);
    if (part == 0) schedule(j.t + 0.5 + (s.mmsi % 16) / 10.0, j.from, Task::StaticBPartB);
}

void Simulator::extendedB(const Job& j, Emission& out) {
    const Station& s = j.sender;
    const double t = j.t;
    ais::ClassBExtendedReport& r = out.truth.Type19;
    r = {};
    r.MessageID = 19;
    r.MMSI = s.mmsi;
    r.SOG = static_cast<float>(s.sog);
    r.Longitude = s.pos.lon;
    r.Latitude = s.pos.lat;
    r.COG = Course(s.cog);
    r.TrueHeading = static_cast<float>(std::fmod(std::round(s.heading), 360.0));
    r.TimeStamp = static_cast<int16_t>(utcAt(t).second);
    r.Name = s.name;
    r.ShipType = s.shipType;
    r.DimA = s.dimA;
    r.DimB = s.dimB;
    r.DimC = s.dimC;
    r.DimD = s.dimD;
    r.EPFDType = 1;
    sendRecord(r, out);
}

// A base station report, or (type 11) a station's answer to a UTC inquiry.
void Simulator::baseReport(const Job& j, Emission& out) {
    const Station& s = j.sender;
    const double t = j.t;
    const int type = j.task == Task::UTCResponse11 ? 11 : 4;
    ais::BaseStationReport& r = type == 11 ? out.truth.Type11 : out.truth.Type4;
    r = {};
    const base::CalendarTime c = utcAt(t);
    r.MessageID = static_cast<int16_t>(type);
    r.MMSI = s.mmsi;
    r.UTCYear = static_cast<int16_t>(c.year);
    r.UTCMonth = static_cast<int16_t>(c.month);
    r.UTCDay = static_cast<int16_t>(c.day);
    r.UTCHour = static_cast<int16_t>(c.hour);
    r.UTCMinute = static_cast<int16_t>(c.minute);
    r.UTCSecond = static_cast<int16_t>(c.second);
    r.PosAccuracy = 1;
    r.Longitude = s.pos.lon;
    r.Latitude = s.pos.lat;
    r.EPFDType = 7;  // surveyed
    commState(r.SyncState, r.SlotTimeout, r.SubMessage, t);
    // Slot time-out 1 carries the hour and minute, which the decoder puts into
    // the UTC fields; they agree with the message's own.
    sendRecord(r, out);
}

void Simulator::atonReport(const Job& j, Emission& out) {
    const Station& s = j.sender;
    const double t = j.t;
    ais::AtoNReport& r = out.truth.Type21;
    r = {};
    r.MessageID = 21;
    r.MMSI = s.mmsi;
    r.AtoNType = s.atonType;
    r.Name = s.name.substr(0, 20);
    r.NameExtension = s.name.size() > 20 ? s.name.substr(20, 14) : std::string();
    r.PosAccuracy = 1;
    r.Longitude = s.pos.lon;
    r.Latitude = s.pos.lat;
    r.DimA = s.dimA;
    r.DimB = s.dimB;
    r.DimC = s.dimC;
    r.DimD = s.dimD;
    r.EPFDType = static_cast<int16_t>(s.virtualAtoN ? 7 : 1);
    r.TimeStamp = static_cast<int16_t>(utcAt(t).second);
    r.OffPosition = s.offPosition ? 1 : 0;
    r.AtoNStatus = 0;
    r.VirtualAtoN = s.virtualAtoN ? 1 : 0;
    r.AssignedMode = 0;
    sendRecord(r, out);
}

void Simulator::sarReport(const Job& j, Emission& out) {
    const Station& s = j.sender;
    const double t = j.t;
    ais::SARPositionReport& r = out.truth.Type9;
    r = {};
    r.MessageID = 9;
    r.MMSI = s.mmsi;
    r.Altitude = s.altitude;
    r.SOG = static_cast<float>(std::round(s.sog));
    r.PosAccuracy = 1;
    r.Longitude = s.pos.lon;
    r.Latitude = s.pos.lat;
    r.COG = Course(s.cog);
    r.TimeStamp = static_cast<int16_t>(utcAt(t).second);
    r.CommStateSelector = 0;
    commState(r.SyncState, r.SlotTimeout, r.SubMessage, t);
    sendRecord(r, out);
}

// Acknowledges the message of station j.to (type 7 for binary, 13 for safety messages).
void Simulator::acknowledgement(const Job& j, Emission& out) {
    const int type = j.task == Task::Ack7 ? 7 : 13;
    ais::Acknowledgement& r = type == 7 ? out.truth.Type7 : out.truth.Type13;
    r = {};
    r.MessageID = static_cast<int16_t>(type);
    r.MMSI = j.sender.mmsi;
    r.DestinationMMSI1 = j.to >= 0 ? scenario_.stations[static_cast<size_t>(j.to)].mmsi : 0;
    r.SequenceNumber1 = static_cast<int16_t>(rng_.range(0, 3));
    sendRecord(r, out);
}

// Sends nothing: the old MMSI falls silent, the new one is heard at the
// station's next report.
void Simulator::renew(const Job& j, Emission&) {
    AdvanceStation(j.sender, j.t, scenario_);
    RenewStation(j.sender, scenario_, turnoverRng_, usedMmsi_);
    ++renewals_;
}

void Simulator::safetyBroadcast(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type14, 14, j.sender.mmsi);
    r.Text = kBroadcastTexts[static_cast<size_t>(rng_.range(0, kBroadcastTexts.size() - 1))];
    sendRecord(r, out);
}

// Booking the safety acknowledgement of the addressee.
void Simulator::safetyAddressed(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type12, 12, j.sender.mmsi);
    r.SequenceNumber = static_cast<int16_t>(rng_.range(0, 3));
    r.DestinationMMSI = addressee(j);
    r.Text = kAddressedTexts[static_cast<size_t>(rng_.range(0, kAddressedTexts.size() - 1))];
    sendRecord(r, out);
    schedule(j.t + rng_.uniform(1, 4), j.to, Task::Ack13, j.from);
}

// Booking the addressee's answer (type 11).
void Simulator::inquiry(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type10, 10, j.sender.mmsi);
    r.DestinationMMSI = addressee(j);
    sendRecord(r, out);
    schedule(j.t + rng_.uniform(1, 4), j.to, Task::UTCResponse11);
}

void Simulator::dataLink(const Job& j, Emission& out) { sendRecord(Fresh(out.truth.Type20, 20, j.sender.mmsi), out); }

void Simulator::longRange(const Job& j, Emission& out) {
    const Station& sender = j.sender;
    auto& r = out.truth.Type27;
    r = {};
    r.MessageID = 27;
    r.RepeatIndicator = 3;
    r.MMSI = sender.mmsi;
    r.PosAccuracy = static_cast<int16_t>(sender.mmsi % 2);
    r.NavStatus = sender.navStatus;
    r.Longitude = sender.pos.lon;
    r.Latitude = sender.pos.lat;
    r.SOG = static_cast<float>(std::min(62.0, std::round(sender.sog)));
    r.COG = static_cast<float>(std::fmod(std::round(sender.cog), 360.0));
    sendRecord(r, out);
}

// Random binary data, `bits` (a multiple of four) long, as hex.
std::string Simulator::randomHex(int bits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (int k = 0; k < bits / 4; ++k) hex.push_back(kHex[rng_.range(0, 15)]);
    return hex;
}

// Messages that manage the link: interrogations, assigned mode commands,
// DGNSS corrections, channel management and group assignments.

void Simulator::interrogation(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type15, 15, j.sender.mmsi);
    r.DestinationMMSI1 = addressee(j);
    r.MessageID1_1 = 5;
    if (rng_.chance(0.5)) r.MessageID1_2 = 24;
    sendRecord(r, out);
}

void Simulator::assignedMode(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type16, 16, j.sender.mmsi);
    r.DestinationMMSIA = addressee(j);
    r.OffsetA = static_cast<int16_t>(rng_.range(1, 2249));
    r.IncrementA = static_cast<int16_t>(rng_.range(1, 1023));
    sendRecord(r, out);
}

void Simulator::dgnss(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type17, 17, j.sender.mmsi);
    r.Longitude = TenthsOfMinute(j.sender.pos.lon);
    r.Latitude = TenthsOfMinute(j.sender.pos.lat);
    // Correction words of 24 bits, as a reference station sends them.
    r.DataBits = static_cast<int16_t>(24 * rng_.range(2, 12));
    r.Data = randomHex(r.DataBits);
    sendRecord(r, out);
}

// A box around the scenario's centre, in whole tenths of a minute: north-east
// corner first.
template <class Rec>
void Simulator::areaBox(Rec& r) const {
    r.Longitude1 = TenthsOfMinute(scenario_.centre.lon + 0.8);
    r.Latitude1 = TenthsOfMinute(scenario_.centre.lat + 0.5);
    r.Longitude2 = TenthsOfMinute(scenario_.centre.lon - 0.8);
    r.Latitude2 = TenthsOfMinute(scenario_.centre.lat - 0.5);
}

void Simulator::channelManagement(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type22, 22, j.sender.mmsi);
    r.ChannelA = 2087;
    r.ChannelB = 2088;
    r.Addressed = static_cast<int16_t>(rng_.chance(0.3) ? 1 : 0);
    if (r.Addressed != 0) {
        r.DestinationMMSI1 = addressee(j);
    } else {
        areaBox(r);
    }
    r.ZoneSize = 4;
    sendRecord(r, out);
}

void Simulator::groupAssignment(const Job& j, Emission& out) {
    auto& r = Fresh(out.truth.Type23, 23, j.sender.mmsi);
    areaBox(r);
    r.StationType = 6;  // inland waterways
    r.ReportingInterval = static_cast<int16_t>(rng_.range(1, 9));
    r.QuietTime = static_cast<int16_t>(rng_.range(0, 3));
    sendRecord(r, out);
}

// Binary messages of one or more slots: broadcast or addressed, with an
// application (inland ship data) or unstructured bytes.
void Simulator::slotBinary(const Job& j, Emission& out) {
    const Station& from = j.sender;
    const double t = j.t;
    const int type = j.task == Task::SlotBinary25 ? 25 : 26;
    ais::SlotBinaryMessage& r = type == 25 ? out.truth.Type25 : out.truth.Type26;
    r = {};
    r.MessageID = static_cast<int16_t>(type);
    r.MMSI = from.mmsi;
    r.Addressed = static_cast<int16_t>(rng_.chance(0.5) ? 1 : 0);
    r.Structured = static_cast<int16_t>(rng_.chance(0.5) ? 1 : 0);
    if (r.Addressed != 0) r.DestinationMMSI = addressee(j);
    const int tail = type == 26 ? 20 : 0;
    if (r.Structured != 0) {
        ais::BinaryMessage app;
        app.DAC = 200;
        app.FI = 10;
        auto& i = app.InlandStatic;
        i.ENINumber = std::to_string(23000000 + from.mmsi % 1000000);
        i.Length = static_cast<float>(rng_.range(400, 1350)) / 10.0f;
        i.Beam = static_cast<float>(rng_.range(50, 230)) / 10.0f;
        i.ERIShipType = 8010;
        i.Draught = static_cast<float>(rng_.range(150, 400)) / 100.0f;
        i.Loaded = 1;
        r.DAC = app.DAC;
        r.FI = app.FI;
        // A single-slot type 25 has no room for the inland data and an
        // addressee: such a message goes to all.
        for (;;) {
            const int dataStart = 41 + (r.Addressed != 0 ? 30 : 0);
            r.DataBits = static_cast<int16_t>(
                ais::ApplicationData(app, dataStart + 16, tail, type, options_.standard, r.Data));
            if (r.Addressed == 0 || dataStart - 1 + 16 + r.DataBits + tail <= ais::MaxMessageBits(type)) break;
            r.Addressed = 0;
            r.DestinationMMSI = 0;
        }
    } else {
        // Bytes of an application this program does not know.
        r.DataBits = static_cast<int16_t>(8 * rng_.range(1, type == 25 ? 8 : 40));
        r.Data = randomHex(r.DataBits);
    }
    if (type == 26) {
        r.CommStateSelector = 0;
        int16_t sync = 0, timeout = 0, sub = 0;
        commState(sync, timeout, sub, t);
        r.CommState = (sync << 17) | (timeout << 14) | sub;
    }
    sendRecord(r, out);
}

}  // namespace sim
