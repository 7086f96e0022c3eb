// Receiver: the core object behind one input stream. It owns the run state, the
// framers of both input paths and everything a sentence passes through on its
// way to the target table: the intake (sentence type, checksum, VDM/VDO fields,
// fragment assembly), the decoded-message record, the target table with its
// statistics, the ship database, the flag index and the message log. The
// desktop program, `orvanta-cli replay` and the tests each make their own;
// nothing here is global.
//
//   base::ManualClock clock;
//   MyEvents events;                       // implements app::ReceiverEvents
//   app::Receiver rx(clock, events);
//   rx.shipDatabase().LoadShipData(dataDir);   // optional
//   rx.flagIndex().setDataDir(dataDir);        // optional: no data folder, no flags
//   rx.setMessageLog(dataDir);                 // optional: no data folder, no log
//   rx.takeBytes(app::Receiver::kMainInput, "!AIVDM,1,1,,A,...*hh\r\n");
//   rx.ageTargets();                           // from the 15 s status timer
//
// Inputs: 0 is the main input (the serial port or the TCP client of the
// communication settings, setInputKind says which); addInput makes more
// (serial, TCP, UDP, play back, any kind), each with its own framer, intake
// (so fragments of two inputs never join), tests and counters, all feeding
// the one target table. takeBytes is the one way in for bytes of any input;
// for a kind of datagrams (input/input_kind.h) each call is a whole
// notification: its unfinished tail is dropped and counted, so a sentence
// never spans two datagrams. takeMessage is the way in for a message a
// source delivers decoded (no NMEA sentence behind it).
//
// Taps (recording, forwarding) see every sentence of every input with its
// outcome, after the intake.
//
// While monitoring (the port monitor is open), every sentence is counted in
// its input's monitor counters and raised as sentenceSeenOn. Every sentence
// ends in exactly one counted outcome (see input::ReceiverTotals). Bad input
// is counted, never raised: the last VDM/VDO field error is kept as text for
// the port monitor (lastExtractError) instead of a message box per sentence.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ais/message_record.h"
#include "history/history_feed.h"
#include "station/receive_front.h"
#include "station/receiver_events.h"
#include "targets/coverage.h"
#include "targets/reference.h"
#include "base/clock.h"
#include "sentence/framer.h"
#include "station/input_counters.h"
#include "station/input_kind.h"
#include "sentence/intake.h"
#include "targets/flags.h"
#include "targets/ship_database.h"
#include "targets/target_table.h"
#include "targets/reception.h"
#include "targets/watch.h"

namespace app {

class ShipDataKeeper;

// Where a decoded message came from, for a message that no sentence carried.
struct MessageOrigin {
    input::SentenceKind kind = input::SentenceKind::VDM;  // VDO: our own ship's report
    char channel = ' ';                                   // 'A', 'B' or ' ' unknown
    std::string_view source;                              // station name (as an s: tag), may be empty
    int64_t time = -1;                                    // UNIX seconds of reception, -1 unknown
    int input = -1;                                       // the input's number (set by the receiver)
};

class Receiver {
public:
    static constexpr int kMainInput = 0;

    Receiver(const base::Clock& clock, ReceiverEvents& events);
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // A further input; returns its number (never reused).
    int addInput(input::InputKind kind);
    // What input n is now (the main input changes with the settings).
    void setInputKind(int input, input::InputKind kind);
    // The input is gone: its unfinished line and pending fragments are
    // dropped and counted. Its counters stay readable. The main input stays.
    void removeInput(int input);
    // The same drop for an input that goes on elsewhere in its stream (a play
    // back that seeks): unfinished line and pending fragments, counted.
    void dropPending(int input);
    // Bytes of input n as one notification: its sentences go through the
    // intake to the table. For a kind of datagrams the notification is whole.
    void takeBytes(int input, std::string_view bytes);
    // One step of input n that a ReceiveFront (station/receive_front.h) made
    // of its bytes on another thread, with its batch (the messages and
    // extras): applied as takeBytes would have.
    void takeStep(int input, const ReceiveStep& step, const StepBatch& batch);
    // Sentences counted so far (a replay's progress).
    int64_t sentencesRead() const { return outcomes_.SentenceCount; }

    // A message that came decoded from input n (a source other than NMEA
    // sentences): counted, then the table, notices, statistics and watch as
    // for a decoded sentence. type is the message type 1-27.
    void takeMessage(int input, int type, const ais::AISMessageRecord& message, const MessageOrigin& origin);
    // Input n was opened, closed or lost: its unfinished line is dropped.
    void inputRestarted(int input);
    // The input's stream ended: a last line without its line feed is taken
    // (or dropped as overlong) as if the line feed had come.
    void endOfStream(int input);
    // Counters of input n as a value; nullopt for a number never given.
    std::optional<input::InputCounters> inputCounters(int input) const;
    // Every input together, and the outcome of every sentence and message.
    input::ReceiverTotals totals() const;
    // The unfinished line of input n.
    std::string_view pendingInput(int input) const;
    // Inputs not removed, in order of their numbers.
    std::vector<int> inputs() const;

    // The tests of every input from now on (the setup file keeps one set).
    void setInputTests(const input::InputTests& tests);
    const input::InputTests& inputTests() const { return tests_; }
    // Numbering of binary messages: 0 IMO SN/Circ.236, 1 the IALA proposal.
    void setBinaryStandard(int16_t standard) { binaryStandard_ = standard; }
    int16_t binaryStandard() const { return binaryStandard_; }
    // A test switched on starts its count again from 0 (status bar panels 4
    // and 6, and the totals' ChecksumErrorCount and IgnoredCount).
    void restartTestCounts(bool checksum, bool ignored);
    // A sentence observer run after each sentence is fully handled (a replay
    // moves its clock there).
    void setAfterSentence(std::function<void()> after) { afterSentence_ = std::move(after); }

    // Every decoded message goes to the history from now on (null: none, the
    // default; the feed is not owned and must outlive its use here).
    void setHistory(history::HistoryFeed* feed) {
        if (history_) history_->flush();  // what the feed gathered goes with it
        history_ = feed;
    }
    // Every message is noted in this coverage from now on: where it came from
    // and how far it was heard (null: none, the default; not owned).
    void setCoverage(targets::Coverage* coverage) { coverage_ = coverage; }

    void addTap(input::SentenceTap* tap);
    void removeTap(input::SentenceTap* tap);

    // The port monitor is open: sentences are counted in the monitor
    // counters and raised, and unfinished lines are raised as they change.
    void setMonitoring(bool on);
    bool monitoring() const { return monitoring_; }
    // View > Comport Monitor's Reset Counters: the monitor counters of every
    // input start again from 0.
    void resetMonitorCounters();

    // A sentence is being handled right now (the caller is inside takeBytes()).
    bool handlingInput() const;

    // The status timer's tick: marks targets New, Current, Old or Lost by age,
    // frees the entries silent for the remove-after time (targetsRemoved) and
    // raises targetStatusChanged for every entry whose status changed.
    void ageTargets();
    // Makes the estimated closest approaches exact (targets/watch.h): from
    // the display's once-a-second timer, and before a headless run prints.
    void refineApproaches();
    // A headless run that reads the approaches only after refineApproaches
    // may leave those of targets clearly beyond the alarm's range to it
    // (targets::DeferApproach) instead of working them out at every report:
    // what it then prints is what it would have been. The display shows
    // them at every report and leaves this off (the default).
    void setDeferFarApproaches(bool on) { deferFar_ = on; }

    // Notices of text, binary and inquiry messages are appended to the
    // message log of this data folder from now on (none without it).
    // Collision alarm episodes are appended to Alarms.txt there too.
    void setMessageLog(std::filesystem::path dataDir);
    // Alarm episodes go to this file instead (empty: none).
    void setAlarmLog(std::filesystem::path file) { alarmLog_ = std::move(file); }
    // How a notice writes the time of the sender's latest message (shown and
    // logged); the desktop program uses the user's locale. Default
    // "dd-mm-yyyy hh:mm:ss".
    using TimeFormat = std::function<std::string(base::DateTime)>;
    void setNoticeTimeFormat(TimeFormat format) { noticeTimeFormat_ = std::move(format); }

    // Limits of the collision alarm; the approaches are judged by them from
    // the next message on.
    void setAlarmSettings(const targets::AlarmSettings& a) { alarm_ = a; }
    const targets::AlarmSettings& alarmSettings() const { return alarm_; }

    // The reference (mode, manual position, chosen vessel) may have been
    // changed by the operator: when it has, or when it has just become
    // established, every range and bearing is measured again (raising
    // targetChangedByMessage for every entry they changed). Also checked
    // after each message and each ageing.
    void referenceChanged();

    // Messages per minute and channel over the last hour.
    const targets::ChannelHistory& channelHistory() const { return channels_; }

    // The reference position and mode.
    targets::Reference& reference() { return ref_; }
    const targets::Reference& reference() const { return ref_; }
    const base::Clock& clock() const { return clock_; }
    ReceiverEvents& events() { return events_; }

    targets::TargetTable& targets() { return table_; }
    const targets::TargetTable& targets() const { return table_; }
    targets::ShipDatabase& shipDatabase() { return shipData_; }
    targets::FlagIndex& flagIndex() { return flags_; }
    // The latest decoded message.
    const ais::AISMessageRecord& messageRecord() const { return record_; }

    // Text of the last VDM/VDO sentence whose fields could not be read
    // ("Error 6 : Overflow  VDM-message : <sentence>"), empty when none yet.
    const std::string& lastExtractError() const { return lastExtractError_; }
    // Fragments held for messages not complete yet.
    int64_t pendingFragments() const;

    // Class A and B vessels that sent their name in this run, also those whose
    // entries were freed, in order of first appearance: what the ship
    // database keeps of this run (targets::ShipDataOfRun).
    std::vector<targets::ShipDataItem> shipDataOfRun() const;
    // Stores the ship database in dataDir while running: at the ageing, the
    // vessels the table retired (freed a day ago and not back) go to
    // "Shipdata.dat" on a thread of their own, at most every ten minutes or
    // by a thousand; a failure comes as one operator message. Without this,
    // retired vessels are let go.
    void keepShipData(const std::filesystem::path& dataDir);
    // What the final store of the ship database writes: shipDataOfRun() and
    // the vessels no save during the run could write. Waits for a save under
    // way.
    std::vector<targets::ShipDataItem> shipDataToStore();

private:
    struct Input;
    Input* find(int input) const;
    void takeSentence(Input& in, std::string_view sentence);
    void countSentence(Input& from, size_t bytes);
    // What the intake made of a sentence, from takeSentence or a step.
    struct SentenceOutcome {
        input::IntakeResult result;
        input::SentenceKind kind;
        char channel;
        int sentences;
        std::string_view source;
        int64_t time;
        std::string_view errorText;
        int64_t incompleteFragments, incompleteMessages;  // given up on the way
    };
    // The outcome counted and, for a message of that type in `message`, the
    // table and all that follows; then the sentence is done.
    void settleSentence(Input& from, const SentenceOutcome& outcome, int type, const ais::AISMessageRecord& message);
    void monitorSentence(Input& from, std::string_view sentence);
    // Status panel 6 after any input ignored a sentence.
    void ignoredChanged();
    // The decoded message in record_, of that type: the table and all that follows.
    void applyMessage(int type, const MessageOrigin& origin, base::DateTime now, double monotonic,
                      const ais::AISMessageRecord& message);
    void sentenceDone();
    void showMessage(int type, int entry, const ais::AISMessageRecord& message);
    // The table-full message, the first time the table refuses a station.
    void tellTableFull();
    bool tableFullTold_ = false;
    // CPA and alarm after entry n changed (all entries when it is the own ship).
    void watch(int entry);
    void noteCoverage(const MessageOrigin& origin, int entry, double mono);
    void raiseAlarms();

    const base::Clock& clock_;
    ReceiverEvents& events_;
    targets::Reference ref_;
    // Outcomes of sentences and messages (the framers' counts are the inputs').
    input::ReceiverTotals outcomes_;
    input::InputTests tests_;
    int64_t ignoredBase_ = 0;  // ignored sentences before the empty-buffer rule last started counting
    int16_t binaryStandard_ = 0;
    bool monitoring_ = false;
    std::function<void()> afterSentence_;
    history::HistoryFeed* history_ = nullptr;
    targets::Coverage* coverage_ = nullptr;
    std::vector<std::unique_ptr<Input>> inputs_;  // by number; removed ones are kept, closed
    std::vector<input::SentenceTap*> taps_;
    ais::AISMessageRecord record_;
    targets::TargetTable table_;
    targets::ShipDatabase shipData_;
    std::unique_ptr<ShipDataKeeper> shipKeeper_;
    double shipKeptAt_ = 0;  // monotonic time of the last hand-over to shipKeeper_
    void handOverRetired();
    targets::FlagIndex flags_;
    std::filesystem::path messageLogDir_;
    TimeFormat noticeTimeFormat_;
    std::string lastExtractError_;
    std::vector<int> agedScratch_;
    std::vector<targets::RemovedTarget> removedScratch_;
    targets::AlarmSettings alarm_;
    targets::ChannelHistory channels_;
    targets::AlarmEpisodes episodes_;
    std::vector<int> stalePositions_;
    std::filesystem::path alarmLog_;
    struct ReferenceKey {
        int16_t mode = -1;
        bool established = false;
        double lat = 0, lon = 0;
        int32_t mmsi = 0;
        bool operator==(const ReferenceKey&) const = default;
    };
    ReferenceKey reference_;
    // The entry the reference follows (targets::ReferenceEntry) and the own
    // ship's (targets::OwnShipEntry), asked a few times per message: the
    // followed station is looked up again only when the table's membership
    // or the reference's MMSI changed.
    int referenceEntry();
    int ownShipEntry();
    struct ReferenceLookup {
        bool valid = false;
        int32_t mmsi = 0;
        uint32_t membership = 0;
        int entry = 0;
    };
    ReferenceLookup referenceLookup_;
    // Far approaches left to refineApproaches (setDeferFarApproaches): the
    // own ship's planes they were judged against, and by entry which one,
    // for a run that ends with no plane to refine against.
    bool deferFar_ = false;
    void deferred(int entry, const targets::ApproachPlane& plane);
    void estimateDeferred();
    std::vector<targets::ApproachPlane> deferPlanes_;
    uint32_t deferPlaneSerial_ = 0;  // ownPlaneSerial_ of deferPlanes_.back()
    std::vector<uint32_t> deferredOn_;
    uint32_t ownPlaneSerial_ = 0;  // bumped whenever ownPlane_ is made again
    // The own ship's side of the approach, made once per own report (watch()
    // drops it when the own ship reports; ownPlaneEntry_ 0: none made).
    const targets::ApproachPlane* ownPlane(int own);
    std::optional<targets::ApproachPlane> ownPlane_;
    int ownPlaneEntry_ = 0;
    uint32_t ownPlaneGeneration_ = 0;
};

}  // namespace app
