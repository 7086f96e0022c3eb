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
//   rx.receive(input::InputKind::Tcp, "!AIVDM,1,1,,A,...*hh\r\n");
//   rx.ageTargets();                           // from the 15 s status timer
//
// Inputs: 0 is the serial port and 1 the TCP client of the communication
// settings (receive(InputKind, ...) feeds them); addInput makes more (serial,
// TCP, UDP, play back), each with its own framer, intake (so fragments of two
// inputs never join) and counters, all feeding the one target table. A UDP
// datagram is a whole notification: its unfinished tail is dropped and
// counted, so a sentence never spans two datagrams.
//
// Taps (recording, forwarding) see every sentence of every input with its
// outcome, after the intake.
//
// While PortMonitorOpen is set, every sentence is counted here in the monitor
// counters of RunState (the monitor window only shows them) and then raised as
// sentenceSeen. Every sentence ends in exactly one counted outcome (see
// RunState). Bad input is counted, never raised: the last VDM/VDO field error
// is kept as text for the port monitor (lastExtractError) instead of a
// message box per sentence.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ais/message_record.h"
#include "station/receiver_events.h"
#include "station/run_state.h"
#include "base/clock.h"
#include "sentence/framer.h"
#include "sentence/intake.h"
#include "targets/flags.h"
#include "targets/ship_database.h"
#include "targets/target_table.h"
#include "targets/reception.h"
#include "targets/watch.h"

namespace app {

class Receiver : public input::SentenceHandler {
public:
    static constexpr int kSerialInput = 0;
    static constexpr int kTcpInput = 1;

    Receiver(const base::Clock& clock, ReceiverEvents& events);
    ~Receiver() override;

    // Bytes from the serial port or the TCP connection.
    void receive(input::InputKind kind, std::string_view bytes);
    // That input was opened, closed or lost: its unfinished line is dropped.
    void inputRestarted(input::InputKind kind);

    // A further input; returns its number (never reused).
    int addInput(input::InputKind kind);
    // The input is gone: its unfinished line and pending fragments are
    // dropped and counted. Its counters stay readable.
    void removeInput(int input);
    // The same drop for an input that goes on elsewhere in its stream (a play
    // back that seeks): unfinished line and pending fragments, counted.
    void dropPending(int input);
    // Bytes of input n (a stream: serial, TCP, play back).
    void receive(int input, std::string_view bytes);
    // One datagram of input n: its sentences, its unfinished tail dropped.
    void receiveDatagram(int input, std::string_view bytes);
    void inputRestarted(int input);
    // Counters of input n; null for a number never given.
    const input::InputCounters* inputCounters(int input) const;
    // The unfinished line of input n.
    std::string_view pendingInput(int input) const;
    // Inputs not removed, in order of their numbers.
    std::vector<int> inputs() const;

    void addTap(input::SentenceTap* tap);
    void removeTap(input::SentenceTap* tap);

    // One framed sentence (line end included) of the serial input: count,
    // monitor, the intake, decode, then the target table, the message
    // notice, the statistics and the row event.
    void handleSentence(std::string_view sentence) override;
    void sentenceIgnored(input::InputKind kind) override;
    void inputBufferChanged(std::string_view pending) override;

    // View > Comport Monitor's Reset Counters: the monitor counters of the
    // run and of every input start again from 0.
    void resetMonitorCounters();

    // A sentence is being handled right now (the caller is inside receive()).
    bool handlingInput() const;

    // The status timer's tick: marks targets New, Current, Old or Lost by age,
    // frees the entries silent for the remove-after time (targetsRemoved) and
    // raises targetStatusChanged for every entry whose status changed.
    void ageTargets();
    // Makes the estimated closest approaches exact (targets/watch.h): from
    // the display's once-a-second timer, and before a headless run prints.
    void refineApproaches();

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

    input::RunState& state() { return state_; }
    const input::RunState& state() const { return state_; }
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

private:
    struct Input;
    Input* find(int input) const;
    void takeSentence(Input& in, std::string_view sentence);
    void framerCall(Input& in, void (*call)(input::Framer&, std::string_view), std::string_view bytes);
    void monitorSentence(Input& from, std::string_view sentence);
    // Status panel 6 after any input ignored a sentence.
    void ignoredChanged();
    // The main input is the serial port (its panel 6 text has a percentage).
    bool mainSerial_ = false;
    void takeMessage(const input::IntakeOutcome& message, double monotonic);
    void showMessage(int type, int entry);
    // The table-full message, the first time the table refuses a station.
    void tellTableFull();
    bool tableFullTold_ = false;
    // CPA and alarm after entry n changed (all entries when it is the own ship).
    void watch(int entry);
    void raiseAlarms();

    const base::Clock& clock_;
    ReceiverEvents& events_;
    input::RunState state_;
    std::vector<std::unique_ptr<Input>> inputs_;  // by number; removed ones are kept, closed
    std::vector<input::SentenceTap*> taps_;
    ais::AISMessageRecord record_;
    targets::TargetTable table_;
    targets::ShipDatabase shipData_;
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
    // The own ship's side of the approach, made once per own report.
    // The own ship's side of the approach, made again when it reported.
    const targets::ApproachPlane* ownPlane(int own);
    std::optional<targets::ApproachPlane> ownPlane_;
    int ownPlaneEntry_ = 0;
    uint32_t ownPlaneGeneration_ = 0;
    double ownPlaneReport_ = -1;  // monotonic time of the own report it was made from
};

}  // namespace app
