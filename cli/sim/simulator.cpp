#include "cli/sim/simulator.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "ais/binary_encoder.h"
#include "ais/code_tables.h"
#include "base/number_format.h"
#include "input/tag_block.h"
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
constexpr std::array<const char*, 4> kDangerousGoods{"GASOLINE", "CRUDE OIL", "AMMONIA", "METHANOL"};
constexpr std::array<const char*, 4> kImdClass{"3", "3", "2.3", "3"};
constexpr std::array<int16_t, 4> kUnNumbers{1203, 1267, 1005, 1230};

double Tenths(double v) { return std::round(v * 10.0) / 10.0; }

// A course that stays below 360 after rounding to tenths (3600 would mean
// "not available").
float Course(double c) { return std::round(c * 10.0) >= 3600.0 ? 0.0f : static_cast<float>(c); }

// ROT in degrees per minute as it survives the 8-bit field (4.733 sqrt|rot|, rounded).
bool ReportsTurning(double rot) { return std::round(4.733 * std::sqrt(std::fabs(rot))) >= 1.0; }

}  // namespace

SimulatorOptions BenchmarkTraffic(uint64_t seed) {
    SimulatorOptions o;
    o.scenario.stations = 1500;
    o.scenario.seed = seed;
    // The same sentences on every machine, whatever coastlines it has, so
    // benchmark figures stay comparable.
    o.scenario.keepAtSea = false;
    return o;
}

std::vector<std::string> BenchmarkSentences(size_t count, uint64_t seed) {
    Simulator simulator(BenchmarkTraffic(seed));
    Emission e;
    std::vector<std::string> out;
    while (out.size() < count) {
        simulator.next(e);
        out.insert(out.end(), e.sentences.begin(), e.sentences.end());
    }
    return out;
}

Simulator::Simulator(const SimulatorOptions& options)
    : options_(options),
      scenario_(BuildScenario(options.scenario)),
      rng_(options.scenario.seed ^ 0x5A17ULL),
      turnoverRng_(options.scenario.seed ^ 0x7E4EULL) {
    occasionalScale_ = std::max(1.0, scenario_.stations.size() / 60.0);
    for (size_t i = 0; i < scenario_.stations.size(); ++i) {
        const Station& s = scenario_.stations[i];
        const int k = static_cast<int>(i);
        // First reports spread over the first interval, as real stations are
        // never in step.
        switch (s.kind) {
            case StationKind::ClassA:
                schedule(rng_.uniform(0, 10), k, Task::Position);
                schedule(rng_.uniform(0, 60), k, Task::StaticVoyage);
                break;
            case StationKind::ClassB:
                schedule(rng_.uniform(0, 30), k, Task::Position);
                schedule(rng_.uniform(0, 90), k, Task::StaticB);
                if (s.sendsExtendedB) schedule(rng_.uniform(0, 360), k, Task::ExtendedB);
                break;
            case StationKind::BaseStation: schedule(rng_.uniform(0, 10), k, Task::Base); break;
            case StationKind::AtoN: schedule(rng_.uniform(0, 60), k, Task::AtoN); break;
            case StationKind::SarAircraft: schedule(rng_.uniform(0, 10), k, Task::Sar); break;
        }
    }
    if (options_.turnoverMinutes > 0) {
        for (size_t i = 0; i < scenario_.stations.size(); ++i) {
            const Station& s = scenario_.stations[i];
            usedMmsi_.insert(s.mmsi);
            if ((s.kind == StationKind::ClassA || s.kind == StationKind::ClassB) && !s.ownShip)
                scheduleTurnover(static_cast<int>(i), 0);
        }
    }
    if (options_.occasionalRate > 0) {
        for (Task t : {Task::Safety14, Task::Safety12, Task::MetHydro, Task::FairwayClosed, Task::DangerousCargo,
                       Task::TidalWindow, Task::Inquiry10, Task::HeightOverKeel, Task::PersonsOnBoard,
                       Task::Interrogation15, Task::DataLink20, Task::LongRange27, Task::AssignedMode16,
                       Task::DGNSS17, Task::ChannelManagement22, Task::GroupAssignment23, Task::SlotBinary25,
                       Task::SlotBinary26, Task::MetHydro289, Task::AreaNotice, Task::ExtendedStatic,
                       Task::InlandStatic})
            scheduleOccasional(t, 0);
    }
}

void Simulator::schedule(double time, int station, Task task, int target) {
    queue_.push(Entry{time, order_++, station, target, task});
}

void Simulator::scheduleTurnover(int station, double now) {
    schedule(now + turnoverRng_.exponential(options_.turnoverMinutes * 60.0), station, Task::Turnover);
}

double Simulator::occasionalMean(Task task) const {
    double mean = 300;
    switch (task) {
        case Task::Safety14: mean = 240; break;
        case Task::Safety12: mean = 300; break;
        case Task::MetHydro: mean = 180; break;
        case Task::FairwayClosed: mean = 600; break;
        case Task::DangerousCargo: mean = 400; break;
        case Task::TidalWindow: mean = 600; break;
        case Task::Inquiry10: mean = 300; break;
        case Task::HeightOverKeel: mean = 500; break;
        case Task::PersonsOnBoard: mean = 500; break;
        case Task::Interrogation15: mean = 300; break;
        case Task::DataLink20: mean = 600; break;
        case Task::LongRange27: mean = 400; break;
        case Task::MetHydro289: mean = 180; break;
        case Task::DGNSS17: mean = 120; break;
        case Task::AreaNotice: case Task::ExtendedStatic: case Task::InlandStatic: mean = 400; break;
        case Task::AssignedMode16: case Task::ChannelManagement22: case Task::GroupAssignment23: mean = 600; break;
        default: break;
    }
    return mean / (occasionalScale_ * options_.occasionalRate);
}

void Simulator::scheduleOccasional(Task task, double now) { schedule(now + rng_.exponential(occasionalMean(task)), -1, task); }

int Simulator::pickStation(StationKind kind, bool allowOwn) {
    const int n = static_cast<int>(scenario_.stations.size());
    const int start = rng_.range(0, n - 1);
    for (int i = 0; i < n; ++i) {
        const int k = (start + i) % n;
        const Station& s = scenario_.stations[static_cast<size_t>(k)];
        if (s.kind == kind && (allowOwn || !s.ownShip)) return k;
    }
    return -1;
}

int Simulator::pickTanker() {
    const int n = static_cast<int>(scenario_.stations.size());
    const int start = rng_.range(0, n - 1);
    for (int i = 0; i < n; ++i) {
        const int k = (start + i) % n;
        const Station& s = scenario_.stations[static_cast<size_t>(k)];
        if (s.kind == StationKind::ClassA && !s.ownShip && s.shipType / 10 == 8) return k;
    }
    return pickStation(StationKind::ClassA);
}

int Simulator::pickVessel() {
    const int k = pickStation(rng_.chance(0.8) ? StationKind::ClassA : StationKind::ClassB);
    return k >= 0 ? k : pickStation(StationKind::ClassA, true);
}

void Simulator::next(Emission& out) {
    for (;;) {
        const Entry e = queue_.top();
        queue_.pop();
        out.sentences.clear();
        out.time = e.time;
        out.partNumber = 0;
        emit(e, out);
        if (!out.sentences.empty()) {
            ++messages_;
            return;
        }
    }
}

void AddTagBlocks(std::vector<std::string>& sentences, std::string_view source, int64_t time, int64_t& groupId) {
    const int size = static_cast<int>(sentences.size());
    if (size > 1) groupId = groupId % 9999 + 1;
    for (int k = 0; k < size; ++k) {
        sentences[static_cast<size_t>(k)].insert(
            0, input::FormatTagBlock(k == 0 ? source : std::string_view(), k == 0 ? time : -1, size > 1 ? k + 1 : 0,
                                     size > 1 ? size : 0, groupId));
    }
}

void Simulator::send(const ais::EncodedPayload& p, Emission& out) { send(p.payload, p.fillBits, out); }

void Simulator::send(const std::string& payload, int fillBits, Emission& out) {
    builder_.build(payload, fillBits, out.channel, out.ownShip, out.sentences);
}

void Simulator::commState(int16_t& sync, int16_t& timeout, int16_t& sub, double t) {
    // SOTDMA: the slot time-out counts down 7..0; the sub-message carries what
    // the time-out says it carries.
    sync = 0;
    timeout = static_cast<int16_t>(7 - static_cast<int>(rng_.range(0, 7)));
    const base::CalendarTime c = utcAt(t);
    switch (timeout) {
        case 0: sub = static_cast<int16_t>(rng_.range(1, 2249)); break;  // slot offset
        case 1: sub = static_cast<int16_t>((c.hour << 9) | (c.minute << 2)); break;
        case 2: case 4: case 6: sub = static_cast<int16_t>(rng_.range(0, 2249)); break;
        default: sub = static_cast<int16_t>(std::min<size_t>(scenario_.stations.size(), 16383)); break;
    }
}

// Brings the station to time t and makes it the sender of the emission; the
// channel alternates between A and B.
void Simulator::startEmission(Station& st, int index, double t, Emission& out) {
    AdvanceStation(st, t, scenario_);
    out.station = index;
    out.mmsi = st.mmsi;
    out.ownShip = st.ownShip;
    out.channel = (st.transmissions++ % 2) ? 'B' : 'A';
}

// The regular reports of a station, its replies and its turnover, each
// booking its next time; false for the occasional messages.
bool Simulator::emitScheduled(const Entry& e, Emission& out) {
    const double t = e.time;
    Station* s = e.station >= 0 ? &scenario_.stations[static_cast<size_t>(e.station)] : nullptr;
    switch (e.task) {
        case Task::Position:
            startEmission(*s, e.station, t, out);
            if (s->kind == StationKind::ClassA) {
                positionReport(*s, t, out);
                // The interval the receiving side expects from the values sent.
                const auto sog = static_cast<float>(Tenths(s->sog));
                const auto rot = static_cast<float>(ReportsTurning(s->rot) ? s->rot : 0.0);
                schedule(t + ais::intervals::ClassA[targets::ClassAIntervalIndex(s->navStatus, sog, rot)], e.station,
                         Task::Position);
            } else {
                classBReport(*s, t, out);
                schedule(t + ais::intervals::ClassB[targets::ClassBIntervalIndex(static_cast<float>(Tenths(s->sog)))],
                         e.station, Task::Position);
            }
            return true;
        case Task::StaticVoyage:
            startEmission(*s, e.station, t, out);
            staticVoyage(*s, t, out);
            schedule(t + ais::intervals::StaticVoyage, e.station, Task::StaticVoyage);
            return true;
        case Task::StaticB:
            startEmission(*s, e.station, t, out);
            staticB(*s, 0, out);
            schedule(t + 0.5 + (s->mmsi % 16) / 10.0, e.station, Task::StaticBPartB);  // part B follows A
            schedule(t + 360.0, e.station, Task::StaticB);
            return true;
        case Task::StaticBPartB:
            startEmission(*s, e.station, t, out);
            staticB(*s, 1, out);
            return true;
        case Task::ExtendedB:
            startEmission(*s, e.station, t, out);
            extendedB(*s, t, out);
            schedule(t + ais::intervals::ExtendedClassB, e.station, Task::ExtendedB);
            return true;
        case Task::Base:
            startEmission(*s, e.station, t, out);
            baseReport(*s, t, out);
            schedule(t + ais::intervals::BaseStation, e.station, Task::Base);
            return true;
        case Task::AtoN:
            startEmission(*s, e.station, t, out);
            atonReport(*s, t, out);
            schedule(t + ais::intervals::AtoN, e.station, Task::AtoN);
            return true;
        case Task::Sar:
            startEmission(*s, e.station, t, out);
            sarReport(*s, t, out);
            schedule(t + ais::intervals::SARAircraft, e.station, Task::Sar);
            return true;
        case Task::Ack7:
        case Task::Ack13: {
            // Acknowledges the message of station e.target.
            startEmission(*s, e.station, t, out);
            const int type = e.task == Task::Ack7 ? 7 : 13;
            ais::Acknowledgement& r = type == 7 ? out.truth.Type7 : out.truth.Type13;
            r = {};
            r.MessageID = static_cast<int16_t>(type);
            r.MMSI = s->mmsi;
            r.DestinationMMSI1 = e.target >= 0 ? scenario_.stations[static_cast<size_t>(e.target)].mmsi : 0;
            r.SequenceNumber1 = static_cast<int16_t>(rng_.range(0, 3));
            sendRecord(r, out);
            return true;
        }
        case Task::UTCResponse11:
            startEmission(*s, e.station, t, out);
            baseReport(*s, t, out, 11);
            return true;
        case Task::Turnover:
            // Sends nothing: the old MMSI falls silent, the new one is heard
            // at the station's next report.
            AdvanceStation(*s, t, scenario_);
            RenewStation(*s, scenario_, turnoverRng_, usedMmsi_);
            ++renewals_;
            scheduleTurnover(e.station, t);
            return true;
        default: return false;
    }

}

// The sender and addressee (station indexes, -1 for none) of an occasional message.
void Simulator::pickParties(Task task, int& from, int& to) {
    switch (task) {
        case Task::Safety14:
        case Task::MetHydro:
        case Task::FairwayClosed:
        case Task::TidalWindow:
        case Task::Interrogation15:
        case Task::DataLink20:
        case Task::AssignedMode16:
        case Task::DGNSS17:
        case Task::ChannelManagement22:
        case Task::GroupAssignment23:
        case Task::MetHydro289:
        case Task::AreaNotice:
            from = pickStation(StationKind::BaseStation);
            if ((task == Task::MetHydro || task == Task::MetHydro289) && rng_.chance(0.5)) {
                const int aton = pickStation(StationKind::AtoN);
                if (aton >= 0) from = aton;
            }
            to = pickVessel();
            break;
        case Task::Safety12:
        case Task::Inquiry10:
            from = pickVessel();
            to = rng_.chance(0.5) ? pickStation(StationKind::BaseStation) : pickVessel();
            break;
        case Task::DangerousCargo:
            from = pickTanker();
            to = pickStation(StationKind::BaseStation);
            break;
        case Task::HeightOverKeel:
        case Task::PersonsOnBoard:
        case Task::LongRange27:
        case Task::ExtendedStatic:
        case Task::InlandStatic:
            from = pickStation(StationKind::ClassA, true);
            to = pickStation(StationKind::BaseStation);
            break;
        case Task::SlotBinary25:
        case Task::SlotBinary26:
            from = pickVessel();
            to = pickStation(StationKind::BaseStation);
            break;
        default: break;
    }
}

// An occasional message from `sender` (index `from`) to station `to`, with the
// reply it asks for booked.
void Simulator::emitOccasional(Task task, Station& sender, int from, int to, double t, Emission& out) {
    const int32_t toMmsi = to >= 0 ? scenario_.stations[static_cast<size_t>(to)].mmsi : 0;
    switch (task) {
        case Task::Safety14: {
            auto& r = Fresh(out.truth.Type14, 14, sender.mmsi);
            r.Text = kBroadcastTexts[static_cast<size_t>(rng_.range(0, kBroadcastTexts.size() - 1))];
            sendRecord(r, out);
            return;
        }
        case Task::Safety12: {
            auto& r = Fresh(out.truth.Type12, 12, sender.mmsi);
            r.SequenceNumber = static_cast<int16_t>(rng_.range(0, 3));
            r.DestinationMMSI = toMmsi;
            r.Text = kAddressedTexts[static_cast<size_t>(rng_.range(0, kAddressedTexts.size() - 1))];
            sendRecord(r, out);
            schedule(t + rng_.uniform(1, 4), to, Task::Ack13, from);  // safety acknowledgement
            return;
        }
        case Task::Inquiry10: {
            auto& r = Fresh(out.truth.Type10, 10, sender.mmsi);
            r.DestinationMMSI = toMmsi;
            sendRecord(r, out);
            schedule(t + rng_.uniform(1, 4), to, Task::UTCResponse11);
            return;
        }
        case Task::Interrogation15:
        case Task::AssignedMode16:
        case Task::DGNSS17:
        case Task::ChannelManagement22:
        case Task::GroupAssignment23:
            control(task, sender, toMmsi, out);
            return;
        case Task::SlotBinary25:
        case Task::SlotBinary26:
            slotBinary(task, sender, toMmsi, t, out);
            return;
        case Task::DataLink20: {
            auto& r = Fresh(out.truth.Type20, 20, sender.mmsi);
            sendRecord(r, out);
            return;
        }
        case Task::LongRange27: {
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
            return;
        }
        default:
            binary(task, sender, to, t, out);
            return;
    }
}

void Simulator::emit(const Entry& e, Emission& out) {
    if (emitScheduled(e, out)) return;

    // Occasional messages: pick a sender (and an addressee), then book the next one.
    const double t = e.time;
    scheduleOccasional(e.task, t);
    int from = -1, to = -1;
    pickParties(e.task, from, to);
    if (from < 0 || (to < 0 && e.task != Task::Safety14 && e.task != Task::MetHydro && e.task != Task::MetHydro289))
        return;
    Station& sender = scenario_.stations[static_cast<size_t>(from)];
    startEmission(sender, from, t, out);
    emitOccasional(e.task, sender, from, to, t, out);
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

void Simulator::staticVoyage(Station& s, double t, Emission& out) {
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

void Simulator::staticB(Station& s, int part, Emission& out) {
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
}

void Simulator::extendedB(Station& s, double t, Emission& out) {
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
void Simulator::baseReport(Station& s, double t, Emission& out, int type) {
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

void Simulator::atonReport(Station& s, double t, Emission& out) {
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

void Simulator::sarReport(Station& s, double t, Emission& out) {
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

// Weather and sea from a station measuring the surface current only.
void Simulator::fillMetHydro(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c) {
    auto& h = m.MetHydro;
    h.MetLatitude = from.pos.lat;
    h.MetLongitude = from.pos.lon;
    h.MetDay = static_cast<int16_t>(c.day);
    h.MetHour = static_cast<int16_t>(c.hour);
    h.MetMinute = static_cast<int16_t>(c.minute);
    h.AvgWindSpeed = static_cast<int16_t>(rng_.range(2, 35));
    h.WindGust = static_cast<int16_t>(h.AvgWindSpeed + rng_.range(0, 12));
    h.WindDirection = static_cast<int16_t>(rng_.range(180, 300));
    h.WindGustDirection = static_cast<int16_t>(h.WindDirection + rng_.range(-10, 10));
    h.AirTemperature = static_cast<float>(rng_.range(-50, 250)) / 10.0f;
    h.RelativeHumidity = static_cast<int16_t>(rng_.range(55, 100));
    h.DewPoint = h.AirTemperature - static_cast<float>(rng_.range(5, 60)) / 10.0f;
    h.AirPressure = static_cast<int16_t>(rng_.range(975, 1035));
    h.AirPressureTendency = static_cast<int16_t>(rng_.range(0, 2));
    h.HorizontalVisibility = static_cast<float>(rng_.range(5, 150)) / 10.0f;
    h.WaterLevel = static_cast<float>(rng_.range(-20, 25)) / 10.0f;
    h.WaterLevelTrend = static_cast<int16_t>(rng_.range(0, 2));
    h.SurfaceCurrentSpeed = static_cast<float>(rng_.range(0, 30)) / 10.0f;
    h.SurfaceCurrentDirection = static_cast<int16_t>(rng_.range(0, 359));
    // Only the surface current is measured at this station.
    h.CurrentSpeed2 = h.CurrentSpeed3 = static_cast<float>(base::kNotAvailable);
    h.CurrentDirection2 = h.CurrentDirection3 = static_cast<int16_t>(base::kNotAvailable);
    h.CurrentLevel2 = h.CurrentLevel3 = static_cast<int16_t>(base::kNotAvailable);
    h.WaveHeight = static_cast<float>(rng_.range(2, 45)) / 10.0f;
    h.WavePeriod = static_cast<int16_t>(rng_.range(3, 12));
    h.WaveDirection = static_cast<int16_t>(rng_.range(180, 300));
    h.SwellHeight = static_cast<float>(rng_.range(0, 30)) / 10.0f;
    h.SwellPeriod = static_cast<int16_t>(rng_.range(6, 16));
    h.SwellDirection = static_cast<int16_t>(rng_.range(200, 330));
    h.SeaState = static_cast<int16_t>(rng_.range(1, 6));
    h.WaterTemperature = static_cast<float>(rng_.range(40, 190)) / 10.0f;
    h.Precipitation = static_cast<int16_t>(rng_.range(0, 3));
    h.Salinity = static_cast<float>(rng_.range(300, 350)) / 10.0f;
    h.Ice = 0;
}

// The fairway closed for some hours today.
void Simulator::fillFairwayClosed(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& f = m.FairwayClosed;
    f.ClosingReason = rng_.chance(0.5) ? "DIVING OPERATIONS" : "SUNKEN CONTAINER";
    f.ClosingFrom = "FAIRWAY BUOY 2";
    f.ClosingTo = "FAIRWAY BUOY 4";
    f.ClosingRadius = static_cast<int16_t>(rng_.range(1, 10));
    f.ClosingRadiusUnit = 3;
    f.ClosedFromDay = static_cast<int16_t>(c.day);
    f.ClosedFromMonth = static_cast<int16_t>(c.month);
    f.ClosedFromHour = static_cast<int16_t>(c.hour);
    f.ClosedFromMinute = 0;
    f.ClosedToDay = static_cast<int16_t>(c.day);
    f.ClosedToMonth = static_cast<int16_t>(c.month);
    f.ClosedToHour = static_cast<int16_t>(std::min(23, c.hour + 3));
    f.ClosedToMinute = 30;
}

// The dangerous cargo of a tanker, its last and next port.
void Simulator::fillDangerousCargo(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& d = m.DangerousCargo;
    const size_t k = static_cast<size_t>(rng_.range(0, kDangerousGoods.size() - 1));
    d.LastPortOfCall = "NOOSL";
    d.ATDMonth = static_cast<int16_t>(c.month);
    d.ATDDay = static_cast<int16_t>(std::max(1, c.day - 2));
    d.ATDHour = 6;
    d.ATDMinute = 30;
    d.NextPortOfCall = "NLRTM";
    d.ETAMonth = static_cast<int16_t>(c.month);
    d.ETADay = static_cast<int16_t>(c.day);
    d.ETAHour = static_cast<int16_t>(std::min(23, c.hour + 2));
    d.ETAMinute = 0;
    d.MainDangerousGood = kDangerousGoods[k];
    d.IMDCategory = kImdClass[k];
    d.UNNumber = kUnNumbers[k];
    d.CargoAmount = static_cast<int16_t>(rng_.range(10, 1000));
    d.CargoUnit = 2;
}

// Three tidal windows at points east of the centre.
void Simulator::fillTidalWindow(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& w = m.TidalWindow;
    w.TideMonth = static_cast<int16_t>(c.month);
    w.TideDay = static_cast<int16_t>(c.day);
    for (int i = 0; i < 3; ++i) {
        const GeoPoint p = DirectGeodesic(scenario_.centre, 90, 0.1 * scenario_.radiusM * (i + 1)).end;
        auto& en = w.Entry[static_cast<size_t>(i)];
        en.TideLatitude = p.lat;
        en.TideLongitude = p.lon;
        en.TideFromHour = static_cast<int16_t>((c.hour + 1 + i) % 24);
        en.TideFromMinute = 0;
        en.TideToHour = static_cast<int16_t>((c.hour + 3 + i) % 24);
        en.TideToMinute = 30;
        en.TideCurrentDirection = static_cast<int16_t>(rng_.range(0, 359));
        en.TideCurrentSpeed = static_cast<float>(rng_.range(0, 40)) / 10.0f;
    }
}

// Weather from a tide gauge with a current meter at two depths and no wave sensor.
void Simulator::fillMetHydro289(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c) {
    auto& h = m.MetHydro;
    h.MetLatitude = from.pos.lat;
    h.MetLongitude = from.pos.lon;
    h.MetPosAccuracy = 1;
    h.MetDay = static_cast<int16_t>(c.day);
    h.MetHour = static_cast<int16_t>(c.hour);
    h.MetMinute = static_cast<int16_t>(c.minute);
    h.AvgWindSpeed = static_cast<int16_t>(rng_.range(2, 35));
    h.WindGust = static_cast<int16_t>(h.AvgWindSpeed + rng_.range(0, 12));
    h.WindDirection = static_cast<int16_t>(rng_.range(180, 300));
    h.WindGustDirection = h.WindDirection;
    h.AirTemperature = static_cast<float>(rng_.range(-50, 250)) / 10.0f;
    h.RelativeHumidity = static_cast<int16_t>(rng_.range(55, 100));
    h.DewPoint = h.AirTemperature - static_cast<float>(rng_.range(5, 60)) / 10.0f;
    h.AirPressure = static_cast<int16_t>(rng_.range(975, 1035));
    h.AirPressureTendency = static_cast<int16_t>(rng_.range(0, 2));
    h.HorizontalVisibility = static_cast<float>(rng_.range(5, 126)) / 10.0f;
    h.VisibilityGreaterThan = h.HorizontalVisibility > 12.0f ? 1 : 0;
    h.WaterLevel = static_cast<float>(rng_.range(-150, 250)) / 100.0f;
    h.WaterLevelTrend = static_cast<int16_t>(rng_.range(0, 2));
    h.SurfaceCurrentSpeed = static_cast<float>(rng_.range(0, 30)) / 10.0f;
    h.SurfaceCurrentDirection = static_cast<int16_t>(rng_.range(0, 359));
    // A tide gauge with a current meter at two depths and no wave sensor.
    h.CurrentSpeed2 = static_cast<float>(rng_.range(0, 20)) / 10.0f;
    h.CurrentDirection2 = static_cast<int16_t>(rng_.range(0, 359));
    h.CurrentLevel2 = 5;
    h.CurrentSpeed3 = static_cast<float>(base::kNotAvailable);
    h.CurrentDirection3 = h.CurrentLevel3 = static_cast<int16_t>(base::kNotAvailable);
    h.WaveHeight = h.SwellHeight = static_cast<float>(base::kNotAvailable);
    h.WavePeriod = h.WaveDirection = h.SwellPeriod = h.SwellDirection = h.SeaState =
        static_cast<int16_t>(base::kNotAvailable);
    h.WaterTemperature = static_cast<float>(rng_.range(40, 190)) / 10.0f;
    h.Precipitation = static_cast<int16_t>(rng_.range(1, 5));
    h.Salinity = static_cast<float>(base::kNotAvailable);
    h.Ice = 0;
}

// A notice for a circle around a point of the approaches, with a text.
void Simulator::fillAreaNotice(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& a = m.AreaNotice;
    a.LinkageID = static_cast<int16_t>(rng_.range(1, 1023));
    a.NoticeDescription = static_cast<int16_t>(rng_.chance(0.5) ? 12 : 35);  // dredging, entry prohibited
    a.StartMonth = static_cast<int16_t>(c.month);
    a.StartDay = static_cast<int16_t>(c.day);
    a.StartHour = static_cast<int16_t>(c.hour);
    a.StartMinute = 0;
    a.Duration = 60 * rng_.range(1, 48);
    // A circle around a point of the approaches, and a text.
    const GeoPoint p = DirectGeodesic(scenario_.centre, rng_.uniform(0, 360), 0.3 * scenario_.radiusM).end;
    a.SubAreaCount = 2;
    auto& circle = a.SubAreas[0];
    circle.AreaShape = 0;
    circle.ScaleFactor = 1;
    circle.Longitude = std::round(p.lon * 60000.0) / 60000.0;
    circle.Latitude = std::round(p.lat * 60000.0) / 60000.0;
    circle.Precision = 4;
    circle.Radius = 10 * rng_.range(20, 300);
    auto& text = a.SubAreas[1];
    text.AreaShape = 5;
    text.Text = a.NoticeDescription == 12 ? "DREDGER AT WORK" : "NO ENTRY";
}

// Extended static and voyage data of a ship.
void Simulator::fillExtendedStatic(ais::BinaryMessage& m, const Station&, const base::CalendarTime&) {
    auto& x = m.ExtendedShipStatic;
    x.LinkageID = static_cast<int16_t>(rng_.range(1, 1023));
    x.AirDraught = static_cast<float>(rng_.range(150, 600)) / 10.0f;
    x.LastPortOfCall = "NOOSL";
    x.NextPortOfCall = "NLRTM";
    x.SecondPortOfCall = "DEHAM";
    for (auto& item : x.SOLASStatus) item = static_cast<int16_t>(rng_.range(1, 2));
    x.IceClass = 15;
    x.ShaftHorsePower = rng_.range(2000, 60000);
    x.VHFWorkingChannel = 16;
    x.LloydsShipType = "A13B2TP";
    x.GrossTonnage = rng_.range(1000, 200000);
    x.LadenOrBallast = static_cast<int16_t>(rng_.range(1, 2));
    x.HeavyFuelOil = 1;
    x.LightFuelOil = 2;
    x.Diesel = 1;
    x.BunkerOil = static_cast<int16_t>(rng_.range(100, 5000));
    x.PersonsOnBoard = static_cast<int16_t>(rng_.range(12, 40));
}

// Inland waterway static data of a ship.
void Simulator::fillInlandStatic(ais::BinaryMessage& m, const Station& from, const base::CalendarTime&) {
    auto& i = m.InlandStatic;
    i.ENINumber = std::to_string(23000000 + from.mmsi % 1000000);
    i.Length = static_cast<float>(std::max(10, from.dimA + from.dimB));
    i.Beam = static_cast<float>(std::max(3, from.dimC + from.dimD));
    i.ERIShipType = static_cast<int16_t>(rng_.chance(0.5) ? 8010 : 8030);
    i.HazardousCargo = static_cast<int16_t>(rng_.range(0, 5));
    i.Draught = static_cast<float>(rng_.range(150, 400)) / 100.0f;
    i.Loaded = static_cast<int16_t>(rng_.range(1, 2));
    i.SpeedQuality = i.CourseQuality = i.HeadingQuality = 0;
}

void Simulator::binary(Task task, Station& from, int to, double t, Emission& out) {
    const int standard = options_.standard;
    const bool addressed = task == Task::DangerousCargo || task == Task::TidalWindow ||
                           ((task == Task::HeightOverKeel || task == Task::PersonsOnBoard) && rng_.chance(0.5));
    ais::BinaryMessage& m = addressed ? out.truth.Type6 : out.truth.Type8;
    m = {};
    m.MessageID = static_cast<int16_t>(addressed ? 6 : 8);
    m.MMSI = from.mmsi;
    m.DestinationMMSI = addressed && to >= 0 ? scenario_.stations[static_cast<size_t>(to)].mmsi : 0;
    m.DAC = 1;
    const base::CalendarTime c = utcAt(t);
    ais::BinaryApp app = ais::BinaryApp::NotDecoded;
    switch (task) {
        case Task::MetHydro:
            app = ais::BinaryApp::MetHydro;
            fillMetHydro(m, from, c);
            break;
        case Task::FairwayClosed:
            app = ais::BinaryApp::FairwayClosed;
            fillFairwayClosed(m, from, c);
            break;
        case Task::DangerousCargo:
            app = ais::BinaryApp::DangerousCargo;
            fillDangerousCargo(m, from, c);
            break;
        case Task::TidalWindow:
            app = ais::BinaryApp::TidalWindow;
            fillTidalWindow(m, from, c);
            break;
        case Task::HeightOverKeel:
            app = ais::BinaryApp::HeightOverKeel;
            m.HeightOverKeel = static_cast<float>(rng_.range(250, 650)) / 10.0f;
            break;
        case Task::PersonsOnBoard:
            app = ais::BinaryApp::PersonsOnBoard;
            m.PassengersOnboard = static_cast<int16_t>(rng_.range(12, 2400));
            break;
        case Task::MetHydro289:
            app = ais::BinaryApp::MetHydro289;
            fillMetHydro289(m, from, c);
            break;
        case Task::AreaNotice:
            app = ais::BinaryApp::AreaNotice;
            fillAreaNotice(m, from, c);
            break;
        case Task::ExtendedStatic:
            app = ais::BinaryApp::ExtendedShipStatic;
            fillExtendedStatic(m, from, c);
            break;
        case Task::InlandStatic:
            app = ais::BinaryApp::InlandStatic;
            fillInlandStatic(m, from, c);
            break;
        default: return;
    }
    m.DAC = static_cast<int16_t>(ais::BinaryAppDAC(app));
    m.FI = static_cast<int16_t>(ais::BinaryAppFI(app, standard));
    const auto payload = ais::EncodeBinaryMessage(m, standard);
    if (!payload) return;
    out.messageType = m.MessageID;
    send(payload->Payload, payload->FillBits, out);
    if (addressed && to >= 0)  // binary acknowledgement
        schedule(t + rng_.uniform(1, 4), to, Task::Ack7, static_cast<int>(&from - scenario_.stations.data()));
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
void Simulator::control(Task task, Station& from, int32_t toMmsi, Emission& out) {
    // A box around the scenario's centre, in whole tenths of a minute.
    auto tenths = [](double degrees) { return std::round(degrees * 600.0) / 600.0; };
    const double north = tenths(scenario_.centre.lat + 0.5), south = tenths(scenario_.centre.lat - 0.5);
    const double east = tenths(scenario_.centre.lon + 0.8), west = tenths(scenario_.centre.lon - 0.8);
    switch (task) {
        case Task::Interrogation15: {
            auto& r = Fresh(out.truth.Type15, 15, from.mmsi);
            r.DestinationMMSI1 = toMmsi;
            r.MessageID1_1 = 5;
            if (rng_.chance(0.5)) r.MessageID1_2 = 24;
            sendRecord(r, out);
            return;
        }
        case Task::AssignedMode16: {
            auto& r = Fresh(out.truth.Type16, 16, from.mmsi);
            r.DestinationMMSIA = toMmsi;
            r.OffsetA = static_cast<int16_t>(rng_.range(1, 2249));
            r.IncrementA = static_cast<int16_t>(rng_.range(1, 1023));
            sendRecord(r, out);
            return;
        }
        case Task::DGNSS17: {
            auto& r = Fresh(out.truth.Type17, 17, from.mmsi);
            r.Longitude = tenths(from.pos.lon);
            r.Latitude = tenths(from.pos.lat);
            // Correction words of 24 bits, as a reference station sends them.
            r.DataBits = static_cast<int16_t>(24 * rng_.range(2, 12));
            r.Data = randomHex(r.DataBits);
            sendRecord(r, out);
            return;
        }
        case Task::ChannelManagement22: {
            auto& r = Fresh(out.truth.Type22, 22, from.mmsi);
            r.ChannelA = 2087;
            r.ChannelB = 2088;
            r.Addressed = static_cast<int16_t>(rng_.chance(0.3) ? 1 : 0);
            if (r.Addressed != 0) {
                r.DestinationMMSI1 = toMmsi;
            } else {
                r.Longitude1 = east;
                r.Latitude1 = north;
                r.Longitude2 = west;
                r.Latitude2 = south;
            }
            r.ZoneSize = 4;
            sendRecord(r, out);
            return;
        }
        case Task::GroupAssignment23: {
            auto& r = Fresh(out.truth.Type23, 23, from.mmsi);
            r.Longitude1 = east;
            r.Latitude1 = north;
            r.Longitude2 = west;
            r.Latitude2 = south;
            r.StationType = 6;  // inland waterways
            r.ReportingInterval = static_cast<int16_t>(rng_.range(1, 9));
            r.QuietTime = static_cast<int16_t>(rng_.range(0, 3));
            sendRecord(r, out);
            return;
        }
        default: return;
    }
}

// Binary messages of one or more slots: broadcast or addressed, with an
// application (inland ship data) or unstructured bytes.
void Simulator::slotBinary(Task task, Station& from, int32_t toMmsi, double t, Emission& out) {
    const int type = task == Task::SlotBinary25 ? 25 : 26;
    ais::SlotBinaryMessage& r = type == 25 ? out.truth.Type25 : out.truth.Type26;
    r = {};
    r.MessageID = static_cast<int16_t>(type);
    r.MMSI = from.mmsi;
    r.Addressed = static_cast<int16_t>(rng_.chance(0.5) ? 1 : 0);
    r.Structured = static_cast<int16_t>(rng_.chance(0.5) ? 1 : 0);
    if (r.Addressed != 0) r.DestinationMMSI = toMmsi;
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
