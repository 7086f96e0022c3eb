// ReceiveFront: the first half of the receive pipeline for one input (framing,
// the intake with its checksum test and fragment assembly, and decoding) run
// apart from the receiver, so that a replay of a file can keep two cores busy.
// What it makes of the bytes is a run of steps; Receiver::takeStep applies
// them to the table in the same order, on the receiver's thread. The two
// halves together build what Receiver::takeBytes alone builds, to the byte.
//
// The front reads no clock of its own. It is given a copy of the replay's
// manual clock and moves it on by the same fixed step after every sentence,
// as the replay moves the receiver's clock, so fragment time-outs and the
// decoding time are those the receiver would have seen.
//
// Steps go from the front's thread to the receiver's through a StepRing, in
// batches. A batch keeps the decoded messages apart from the steps, in one
// list per message type (SubRecordLists): a whole decoded-message record is
// some 13 KB, of which a message fills a few hundred bytes, and the applying
// thread reads steps and messages in the order they were written, which is
// what the processor fetches ahead best.
//
//   app::StepRing ring;
//   app::ReceiveFront front(clock, 0.01, rx.inputTests(), rx.binaryStandard(), ring);
//   std::thread reader([&] { front.take(bytes); front.endOfStream(); ring.close(); });
//   while (const app::StepBatch* batch = ring.next())
//       for (const app::ReceiveStep& s : batch->steps())
//           rx.takeStep(app::Receiver::kMainInput, s, *batch);
//   reader.join();
//
// Sentence taps and the port monitor do not see sentences taken this way, nor
// are unfinished lines raised: a replay has neither.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ais/message_record.h"
#include "base/clock.h"
#include "sentence/framer.h"
#include "sentence/intake.h"
#include "station/input_counters.h"

namespace app {

struct ReceiveStep {
    enum class Kind : uint8_t {
        Notification,      // bytes arrived: `bytes` of them
        Sentence,          // a sentence of `bytes` went through the intake
        Ignored,           // the empty-buffer rule discarded a sentence
        NotificationDone,  // the notification's bytes are all framed
    };
    Kind kind = Kind::Sentence;
    input::IntakeResult result = input::IntakeResult::NotAIS;
    input::SentenceKind sentenceKind = input::SentenceKind::VDM;
    char channel = ' ';
    int type = 0;  // a message: its type; its sub-record is entry `record` of that type's list
    uint32_t record = 0;
    // 0, or 1 + the batch's StepExtra of this step (StepBatch::extra()).
    uint32_t extra = 0;
    // Sentence: the intake's outcome, and the fragments and messages it gave
    // up on the way.
    int sentences = 0;
    int64_t bytes = 0;
    int64_t time = -1;
    int64_t incompleteFragments = 0;
    int64_t incompleteMessages = 0;
};

// What few steps carry besides: kept apart so that a step is small. Every
// step is written on one core and read on the other, and each cache line of
// it crosses between them; most sentences have no source, no error and no
// framer counts.
struct StepExtra {
    std::string source;     // Sentence with a message: its tag-block source
    std::string errorText;  // Sentence found malformed
    input::FramerCounts framer;  // Ignored, NotificationDone: the framer's counts after it
};

// Decoded messages by type: Type1 holds the type 1 sub-records, and so on
// (ais::WithSubRecords finds a type's list as it finds a record's field).
struct SubRecordLists {
    std::vector<decltype(ais::AISMessageRecord::Type1)> Type1;
    std::vector<decltype(ais::AISMessageRecord::Type2)> Type2;
    std::vector<decltype(ais::AISMessageRecord::Type3)> Type3;
    std::vector<decltype(ais::AISMessageRecord::Type4)> Type4;
    std::vector<decltype(ais::AISMessageRecord::Type5)> Type5;
    std::vector<decltype(ais::AISMessageRecord::Type6)> Type6;
    std::vector<decltype(ais::AISMessageRecord::Type7)> Type7;
    std::vector<decltype(ais::AISMessageRecord::Type8)> Type8;
    std::vector<decltype(ais::AISMessageRecord::Type9)> Type9;
    std::vector<decltype(ais::AISMessageRecord::Type10)> Type10;
    std::vector<decltype(ais::AISMessageRecord::Type11)> Type11;
    std::vector<decltype(ais::AISMessageRecord::Type12)> Type12;
    std::vector<decltype(ais::AISMessageRecord::Type13)> Type13;
    std::vector<decltype(ais::AISMessageRecord::Type14)> Type14;
    std::vector<decltype(ais::AISMessageRecord::Type15)> Type15;
    std::vector<decltype(ais::AISMessageRecord::Type16)> Type16;
    std::vector<decltype(ais::AISMessageRecord::Type17)> Type17;
    std::vector<decltype(ais::AISMessageRecord::Type18)> Type18;
    std::vector<decltype(ais::AISMessageRecord::Type19)> Type19;
    std::vector<decltype(ais::AISMessageRecord::Type20)> Type20;
    std::vector<decltype(ais::AISMessageRecord::Type21)> Type21;
    std::vector<decltype(ais::AISMessageRecord::Type22)> Type22;
    std::vector<decltype(ais::AISMessageRecord::Type23)> Type23;
    std::vector<decltype(ais::AISMessageRecord::Type24)> Type24;
    std::vector<decltype(ais::AISMessageRecord::Type25)> Type25;
    std::vector<decltype(ais::AISMessageRecord::Type26)> Type26;
    std::vector<decltype(ais::AISMessageRecord::Type27)> Type27;
};

// A run of steps and the messages they decoded.
class StepBatch {
public:
    std::span<const ReceiveStep> steps() const { return {steps_.data(), count_}; }
    // The extra of a step of this batch; an empty one when it has none.
    const StepExtra& extra(const ReceiveStep& step) const { return step.extra == 0 ? kNone : extras_[step.extra - 1]; }
    SubRecordLists records;

private:
    friend class StepRing;
    static const StepExtra kNone;
    std::vector<ReceiveStep> steps_;
    size_t count_ = 0;
    std::vector<StepExtra> extras_;  // the first extrasUsed_ in use; the rest keep their room
    uint32_t extrasUsed_ = 0;
    std::array<uint32_t, 28> used_{};  // entries of each type's list in use
};

// Batches of steps handed from one filling thread to one applying thread, in
// order. The filler waits while every batch is full and not yet applied; the
// applier waits while none is ready. Each side wakes the other only when it
// is waiting, and the filler only once half the ring is free again, so a busy
// run pays for few wake-ups.
class StepRing {
public:
    explicit StepRing(size_t batches = 8, size_t stepsPerBatch = 256);

    // Filling side. The next step to fill, as the step before in its slot
    // left it (fields a kind of step does not use keep old values).
    ReceiveStep& add();
    // Keeps sub-record `type` of `message` with the step add() gave last.
    void keepMessage(ReceiveStep& step, int type, const ais::AISMessageRecord& message);
    // The extra of the step add() gave last, made for it (as an earlier
    // step in its place left it: whatever the step carries is assigned).
    StepExtra& extra(ReceiveStep& step);
    // No more steps: what is filled is handed over.
    void close();
    // The applier stopped: the filler's add() no longer waits, and what it
    // fills is dropped.
    bool cancelled() const;

    // Applying side. The next batch in order, once filled (the batch before
    // is given back); null once the ring is closed and everything applied.
    const StepBatch* next();
    // Stops the run from the applying side (see cancelled()).
    void cancel();

private:
    void handOver(bool last);

    std::vector<StepBatch> batches_;
    size_t perBatch_;
    size_t filling_ = 0;  // number of the batch being filled (filler only)
    mutable std::mutex mutex_;
    std::condition_variable ready_;  // a batch was handed over, or the ring closed
    std::condition_variable room_;   // batches were given back, or the run cancelled
    size_t handedOver_ = 0;  // batches handed over (guarded)
    size_t givenBack_ = 0;   // batches applied and given back (guarded)
    bool holding_ = false;   // the applier holds batch givenBack_ (applier only)
    bool closed_ = false;
    bool cancelled_ = false;
    bool fillerWaits_ = false;
    bool applierWaits_ = false;
};

class ReceiveFront final : input::SentenceHandler {
public:
    ReceiveFront(const base::ManualClock& clock, double secondsPerSentence, const input::InputTests& tests,
                 int16_t binaryStandard, StepRing& ring);

    // Bytes of the input as one notification, as Receiver::takeBytes.
    void take(std::string_view bytes);
    // The stream ended, as Receiver::endOfStream.
    void endOfStream();

private:
    void handleSentence(std::string_view sentence) override;
    void sentenceIgnored() override;

    base::ManualClock clock_;
    double step_;
    bool checkChecksum_;
    int16_t binaryStandard_;
    StepRing& ring_;
    input::Framer framer_;
    input::Intake intake_;
    // Decoded here, as the receiver decodes into its one record, and the
    // message's sub-record copied into the step: a decoder writes only some
    // fields of its sub-record (a communication state has one slot field of
    // three), and the others keep what the message before of that type left,
    // which the table takes with the rest.
    ais::AISMessageRecord record_;
};

}  // namespace app
