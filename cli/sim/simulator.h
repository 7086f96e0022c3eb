// Simulator: turns a Scenario into a time-ordered stream of AIS messages as
// NMEA sentences, each with the record it was encoded from (the truth).
//
// Every station keeps the reporting rhythm of its kind:
//   class A    type 1 (type 3 while turning, now and then type 2) at the class A
//              interval for its navigational status, speed and turning;
//              type 5 every 6 minutes (two sentences)
//   class B    type 18 at the class B interval for its speed; type 24 parts A
//              and B every 6 minutes; some also type 19 every 6 minutes
//   base       type 4 every 10 s
//   AtoN       type 21 every 3 minutes
//   SAR        type 9 every 10 s
// and the area produces, at random moments, safety texts (12, 14), binary
// applications (8 met/hydro and fairway closed, 6 dangerous cargo and tidal
// window, 6/8 height over keel and persons on board), UTC inquiries (10),
// acknowledgements (7), interrogations (15), data link management (20) and
// long-range reports (27). The own ship sends its messages in !AIVDO.
// A station's successive messages alternate between channels A and B.
// Each kind of message is a row of one table (tasks()): how it comes round,
// which writer fills it, and who sends it to whom.
//
//   sim::Simulator s(options);
//   sim::Emission e;
//   for (int i = 0; i < 100; ++i) { s.next(e); write(e.sentences); }
//
// next() never runs dry and never fails; the same options give the same
// stream. Scenario time starts at 0 at options.start (UTC).
#pragma once

#include <cstdint>
#include <queue>
#include <string>
#include <unordered_set>
#include <vector>

#include "ais/binary_message.h"
#include "ais/encoder.h"
#include "ais/message_record.h"
#include "base/date_time.h"
#include "cli/sim/scenario.h"
#include "sentence/sentence_builder.h"

namespace sim {

struct SimulatorOptions {
    ScenarioOptions scenario;
    // Numbering of binary applications: 0 = IMO SN/Circ.236, 1 = IALA proposal.
    int standard = 0;
    // UTC calendar time at scenario time 0.
    base::DateTime start = base::DateTime::fromCalendar(2026, 6, 15, 12, 0, 0);
    // Scales how often the occasional messages (safety texts, binary
    // applications, inquiries...) come; 0 switches them off.
    double occasionalRate = 1.0;
    // Mean time in minutes a vessel stays before it leaves and a new one
    // (new MMSI and name) takes its place; 0: the same vessels all along.
    // The own ship, base stations, aids and aircraft stay.
    double turnoverMinutes = 0;
};

struct Emission {
    double time = 0;        // scenario seconds
    int station = -1;       // index into scenario().stations
    int32_t mmsi = 0;       // the sending station
    int messageType = 0;    // 1-27
    bool ownShip = false;   // sent as !AIVDO
    char channel = 'A';
    std::vector<std::string> sentences;  // whole lines, "\r\n" included
    // The values the message was encoded from, before the encoder's rounding:
    // the sub-record of messageType (Type6/Type8 for binary messages).
    ais::AISMessageRecord truth;
    // Type 24: which part this was (0 = A, 1 = B).
    int partNumber = 0;
};

// Puts an NMEA 4.0 tag block in front of each sentence of one message: source
// and time (UNIX seconds) on the first, and on every sentence of a
// multi-sentence message a group (g:n-m-id) with the next id of groupId.
void AddTagBlocks(std::vector<std::string>& sentences, std::string_view source, int64_t time, int64_t& groupId);

// The benchmark traffic: a busy coast of 1500 stations (more than the target
// table holds) sending everything the simulator sends. `orvanta-cli mix` and
// the benchmark programs draw from it.
SimulatorOptions BenchmarkTraffic(uint64_t seed);
// Whole messages of the benchmark traffic until there are at least `count` sentences.
std::vector<std::string> BenchmarkSentences(size_t count, uint64_t seed);

class Simulator {
public:
    explicit Simulator(const SimulatorOptions& options);

    void next(Emission& out);

    const Scenario& scenario() const { return scenario_; }
    const SimulatorOptions& options() const { return options_; }
    // UTC calendar time of a scenario time.
    base::CalendarTime utcAt(double t) const { return options_.start.addSeconds(t).toCalendar(); }
    uint64_t messagesSent() const { return messages_; }
    // Stations that have been in the area: the scenario's plus every newcomer.
    uint64_t stationsSeen() const { return scenario_.stations.size() + renewals_; }

private:
    enum class Task : uint8_t {
        // A station's own reports, and its turnover.
        Position, StaticVoyage, StaticB, StaticBPartB, ExtendedB, Base, AtoN, Sar, Turnover,
        // Replies to an addressed message.
        Ack7, Ack13, UTCResponse11,
        // Occasional, area-wide.
        Safety14, Safety12, MetHydro, FairwayClosed, DangerousCargo, TidalWindow, Inquiry10, HeightOverKeel,
        PersonsOnBoard, Interrogation15, DataLink20, LongRange27, AssignedMode16, DGNSS17, ChannelManagement22,
        GroupAssignment23, SlotBinary25, SlotBinary26, MetHydro289, AreaNotice, ExtendedStatic, InlandStatic,
    };
    struct Entry {
        double time;
        uint64_t order;  // ties keep insertion order, so runs are reproducible
        int32_t station;
        int32_t target;  // addressee of a follow-up message (-1 none)
        Task task;
        bool operator>(const Entry& o) const { return time != o.time ? time > o.time : order > o.order; }
    };
    // One task being carried out: the sending station, the addressee and the time.
    struct Job {
        Task task;
        Station& sender;
        int from;  // index of the sender
        int to;    // index of the addressee, -1 none
        double t;
    };
    using Writer = void (Simulator::*)(const Job&, Emission&);
    using Interval = double (Simulator::*)(const Station&);
    using Fill = void (Simulator::*)(ais::BinaryMessage&, const Station&, const base::CalendarTime&);

    // How a task comes round.
    enum class Timing : uint8_t {
        Regular,     // the station's next one `interval` seconds (or `next`) after each
        Once,        // a reply or a second part, booked by the message before
        Occasional,  // area-wide, at random moments `interval` seconds apart on average (at 60 stations)
    };
    // Who sends an occasional message to whom.
    enum class Parties : uint8_t {
        None, BaseToVessel, MeasuringToVessel, VesselToAny, TankerToBase, ClassAToBase, VesselToBase,
    };
    // Binary applications (types 6 and 8): to one station, to all, or either.
    enum class Addressing : uint8_t { Broadcast, Addressed, Either };

    struct TaskRow {
        Task what;
        Timing timing;
        double interval;  // seconds; see Timing
        Writer writer;
        Interval next = nullptr;  // Regular: the interval from the station's state instead
        bool sends = true;        // false: changes the scenario only
        Parties parties = Parties::None;
        bool needsAddressee = true;  // an occasional message is dropped without one
        // Binary applications: which, filled by what, to whom.
        ais::BinaryApp app = ais::BinaryApp::NotDecoded;
        Fill fill = nullptr;
        Addressing addressing = Addressing::Broadcast;
    };
    static const std::vector<TaskRow>& tasks();
    static const TaskRow& row(Task task);
    double occasionalMean(const TaskRow& r) const;

    void schedule(double time, int station, Task task, int target = -1);
    int pickStation(StationKind kind, bool allowOwn = false);
    int pickVessel();
    int pickTanker();
    void pickParties(Parties parties, int& from, int& to);
    void emit(const Entry& e, Emission& out);
    void startEmission(Station& st, int index, double t, Emission& out);

    // Intervals that depend on the station.
    double positionInterval(const Station& s);
    double turnoverInterval(const Station& s);

    // Writers: the message of one task (simulator_reports.cpp, simulator_fill.cpp).
    void position(const Job& j, Emission& out);
    void positionReport(Station& s, double t, Emission& out);
    void classBReport(Station& s, double t, Emission& out);
    void staticVoyage(const Job& j, Emission& out);
    void staticB(const Job& j, Emission& out);
    void extendedB(const Job& j, Emission& out);
    void baseReport(const Job& j, Emission& out);
    void atonReport(const Job& j, Emission& out);
    void sarReport(const Job& j, Emission& out);
    void acknowledgement(const Job& j, Emission& out);
    void renew(const Job& j, Emission& out);
    void safetyBroadcast(const Job& j, Emission& out);
    void safetyAddressed(const Job& j, Emission& out);
    void inquiry(const Job& j, Emission& out);
    void dataLink(const Job& j, Emission& out);
    void longRange(const Job& j, Emission& out);
    void interrogation(const Job& j, Emission& out);
    void assignedMode(const Job& j, Emission& out);
    void dgnss(const Job& j, Emission& out);
    void channelManagement(const Job& j, Emission& out);
    void groupAssignment(const Job& j, Emission& out);
    void slotBinary(const Job& j, Emission& out);
    void binary(const Job& j, Emission& out);
    void fillMetHydro(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillFairwayClosed(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillDangerousCargo(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillTidalWindow(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillHeightOverKeel(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillPersonsOnBoard(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillMetHydro289(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillAreaNotice(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillExtendedStatic(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    void fillInlandStatic(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c);
    std::string randomHex(int bits);
    // The MMSI of the job's addressee, 0 without one.
    int32_t addressee(const Job& j) const { return j.to >= 0 ? scenario_.stations[static_cast<size_t>(j.to)].mmsi : 0; }
    template <class Rec>
    void areaBox(Rec& r) const;
    void send(const ais::EncodedPayload& p, Emission& out);
    void send(const std::string& payload, int fillBits, Emission& out);
    // Encodes a message record and sends it as the emission's message.
    template <class Rec>
    void sendRecord(const Rec& r, Emission& out) {
        out.messageType = r.MessageID;
        send(ais::EncodePayload(r), out);
    }
    void commState(int16_t& sync, int16_t& timeout, int16_t& sub, double t);

    SimulatorOptions options_;
    Scenario scenario_;
    Rng rng_;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue_;
    uint64_t order_ = 0;
    uint64_t messages_ = 0;
    input::SentenceBuilder builder_;
    double occasionalScale_ = 1.0;  // more stations, more occasional traffic
    // Turnover draws from a stream of its own, so that without it every
    // other choice stays as it was.
    Rng turnoverRng_;
    std::unordered_set<int32_t> usedMmsi_;
    uint64_t renewals_ = 0;
};

}  // namespace sim
