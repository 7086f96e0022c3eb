// The engine of the simulator: the table of tasks, the queue that orders
// them in time, and the one loop that carries each out (who sends, what is
// written, when the next one comes). The messages themselves are written in
// simulator_reports.cpp and simulator_fill.cpp.
#include "cli/sim/simulator.h"

#include <algorithm>
#include <cmath>

#include "ais/code_tables.h"
#include "sentence/tag_block.h"

namespace sim {

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
                schedule(turnoverInterval(s), static_cast<int>(i), Task::Turnover);
        }
    }
    if (options_.occasionalRate > 0) {
        for (const TaskRow& r : tasks())
            if (r.timing == Timing::Occasional) schedule(rng_.exponential(occasionalMean(r)), -1, r.what);
    }
}

// Every task: how it comes round, what writes its message, and for the
// occasional ones who sends it to whom. Occasional tasks are first booked in
// the order of this table.
const std::vector<Simulator::TaskRow>& Simulator::tasks() {
    using S = Simulator;
    using enum Timing;
    using enum Parties;
    using App = ais::BinaryApp;
    namespace iv = ais::intervals;
    static const std::vector<TaskRow> rows = {
        {.what = Task::Position, .timing = Regular, .interval = 0, .writer = &S::position, .next = &S::positionInterval},
        {.what = Task::StaticVoyage, .timing = Regular, .interval = iv::StaticVoyage, .writer = &S::staticVoyage},
        {.what = Task::StaticB, .timing = Regular, .interval = 360, .writer = &S::staticB},
        {.what = Task::StaticBPartB, .timing = Once, .interval = 0, .writer = &S::staticB},
        {.what = Task::ExtendedB, .timing = Regular, .interval = iv::ExtendedClassB, .writer = &S::extendedB},
        {.what = Task::Base, .timing = Regular, .interval = iv::BaseStation, .writer = &S::baseReport},
        {.what = Task::AtoN, .timing = Regular, .interval = iv::AtoN, .writer = &S::atonReport},
        {.what = Task::Sar, .timing = Regular, .interval = iv::SARAircraft, .writer = &S::sarReport},
        {.what = Task::Ack7, .timing = Once, .interval = 0, .writer = &S::acknowledgement},
        {.what = Task::Ack13, .timing = Once, .interval = 0, .writer = &S::acknowledgement},
        {.what = Task::UTCResponse11, .timing = Once, .interval = 0, .writer = &S::baseReport},
        {.what = Task::Turnover, .timing = Regular, .interval = 0, .writer = &S::renew, .next = &S::turnoverInterval,
         .sends = false},
        {.what = Task::Safety14, .timing = Occasional, .interval = 240, .writer = &S::safetyBroadcast,
         .parties = BaseToVessel, .needsAddressee = false},
        {.what = Task::Safety12, .timing = Occasional, .interval = 300, .writer = &S::safetyAddressed,
         .parties = VesselToAny},
        {.what = Task::MetHydro, .timing = Occasional, .interval = 180, .writer = &S::binary,
         .parties = MeasuringToVessel, .needsAddressee = false, .app = App::MetHydro, .fill = &S::fillMetHydro},
        {.what = Task::FairwayClosed, .timing = Occasional, .interval = 600, .writer = &S::binary,
         .parties = BaseToVessel, .app = App::FairwayClosed, .fill = &S::fillFairwayClosed},
        {.what = Task::DangerousCargo, .timing = Occasional, .interval = 400, .writer = &S::binary,
         .parties = TankerToBase, .app = App::DangerousCargo, .fill = &S::fillDangerousCargo,
         .addressing = Addressing::Addressed},
        {.what = Task::TidalWindow, .timing = Occasional, .interval = 600, .writer = &S::binary,
         .parties = BaseToVessel, .app = App::TidalWindow, .fill = &S::fillTidalWindow,
         .addressing = Addressing::Addressed},
        {.what = Task::Inquiry10, .timing = Occasional, .interval = 300, .writer = &S::inquiry, .parties = VesselToAny},
        {.what = Task::HeightOverKeel, .timing = Occasional, .interval = 500, .writer = &S::binary,
         .parties = ClassAToBase, .app = App::HeightOverKeel, .fill = &S::fillHeightOverKeel,
         .addressing = Addressing::Either},
        {.what = Task::PersonsOnBoard, .timing = Occasional, .interval = 500, .writer = &S::binary,
         .parties = ClassAToBase, .app = App::PersonsOnBoard, .fill = &S::fillPersonsOnBoard,
         .addressing = Addressing::Either},
        {.what = Task::Interrogation15, .timing = Occasional, .interval = 300, .writer = &S::interrogation,
         .parties = BaseToVessel},
        {.what = Task::DataLink20, .timing = Occasional, .interval = 600, .writer = &S::dataLink, .parties = BaseToVessel},
        {.what = Task::LongRange27, .timing = Occasional, .interval = 400, .writer = &S::longRange,
         .parties = ClassAToBase},
        {.what = Task::AssignedMode16, .timing = Occasional, .interval = 600, .writer = &S::assignedMode,
         .parties = BaseToVessel},
        {.what = Task::DGNSS17, .timing = Occasional, .interval = 120, .writer = &S::dgnss, .parties = BaseToVessel},
        {.what = Task::ChannelManagement22, .timing = Occasional, .interval = 600, .writer = &S::channelManagement,
         .parties = BaseToVessel},
        {.what = Task::GroupAssignment23, .timing = Occasional, .interval = 600, .writer = &S::groupAssignment,
         .parties = BaseToVessel},
        {.what = Task::SlotBinary25, .timing = Occasional, .interval = 300, .writer = &S::slotBinary,
         .parties = VesselToBase},
        {.what = Task::SlotBinary26, .timing = Occasional, .interval = 300, .writer = &S::slotBinary,
         .parties = VesselToBase},
        {.what = Task::MetHydro289, .timing = Occasional, .interval = 180, .writer = &S::binary,
         .parties = MeasuringToVessel, .needsAddressee = false, .app = App::MetHydro289, .fill = &S::fillMetHydro289},
        {.what = Task::AreaNotice, .timing = Occasional, .interval = 400, .writer = &S::binary, .parties = BaseToVessel,
         .app = App::AreaNotice, .fill = &S::fillAreaNotice},
        {.what = Task::ExtendedStatic, .timing = Occasional, .interval = 400, .writer = &S::binary,
         .parties = ClassAToBase, .app = App::ExtendedShipStatic, .fill = &S::fillExtendedStatic},
        {.what = Task::InlandStatic, .timing = Occasional, .interval = 400, .writer = &S::binary,
         .parties = ClassAToBase, .app = App::InlandStatic, .fill = &S::fillInlandStatic},
    };
    return rows;
}

const Simulator::TaskRow& Simulator::row(Task task) {
    // The rows indexed by task, made once from the table.
    static const std::vector<const TaskRow*> byTask = [] {
        std::vector<const TaskRow*> index;
        for (const TaskRow& r : tasks()) {
            const auto k = static_cast<size_t>(r.what);
            if (index.size() <= k) index.resize(k + 1, nullptr);
            index[k] = &r;
        }
        return index;
    }();
    return *byTask[static_cast<size_t>(task)];
}

double Simulator::occasionalMean(const TaskRow& r) const {
    return r.interval / (occasionalScale_ * options_.occasionalRate);
}

void Simulator::schedule(double time, int station, Task task, int target) {
    queue_.push(Entry{time, order_++, station, target, task});
}

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

// The sender and addressee (station indexes, -1 for none) of an occasional message.
void Simulator::pickParties(Parties parties, int& from, int& to) {
    switch (parties) {
        case Parties::BaseToVessel:
        case Parties::MeasuringToVessel:
            from = pickStation(StationKind::BaseStation);
            if (parties == Parties::MeasuringToVessel && rng_.chance(0.5)) {
                const int aton = pickStation(StationKind::AtoN);
                if (aton >= 0) from = aton;
            }
            to = pickVessel();
            break;
        case Parties::VesselToAny:
            from = pickVessel();
            to = rng_.chance(0.5) ? pickStation(StationKind::BaseStation) : pickVessel();
            break;
        case Parties::TankerToBase:
            from = pickTanker();
            to = pickStation(StationKind::BaseStation);
            break;
        case Parties::ClassAToBase:
            from = pickStation(StationKind::ClassA, true);
            to = pickStation(StationKind::BaseStation);
            break;
        case Parties::VesselToBase:
            from = pickVessel();
            to = pickStation(StationKind::BaseStation);
            break;
        case Parties::None: break;
    }
}

// Carries out one task: an occasional one first books its next time and picks
// its sender and addressee; the sender is brought to the time and sends (the
// channel alternating), and a regular task books the station's next one.
void Simulator::emit(const Entry& e, Emission& out) {
    const TaskRow& r = row(e.task);
    const double t = e.time;
    int from = e.station, to = e.target;
    if (r.timing == Timing::Occasional) {
        schedule(t + rng_.exponential(occasionalMean(r)), -1, e.task);
        pickParties(r.parties, from, to);
        if (from < 0 || (to < 0 && r.needsAddressee)) return;
    }
    Station& sender = scenario_.stations[static_cast<size_t>(from)];
    if (r.sends) startEmission(sender, from, t, out);
    (this->*r.writer)(Job{e.task, sender, from, to, t}, out);
    if (r.timing == Timing::Regular) schedule(t + (r.next ? (this->*r.next)(sender) : r.interval), from, e.task);
}

double Simulator::turnoverInterval(const Station&) { return turnoverRng_.exponential(options_.turnoverMinutes * 60.0); }

}  // namespace sim
