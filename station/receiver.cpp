#include "station/receiver.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "ais/decoder.h"
#include "station/ship_data_keeper.h"
#include "station/status_panels.h"
#include "sentence/checksum.h"
#include "sentence/tag_block.h"
#include "targets/statistics.h"

namespace app {

// One input: its framer hands sentences back to the receiver with the
// input's number, and its intake keeps its fragments apart from the others'.
// The framer counts what it drops; the input counts what it took.
struct Receiver::Input final : input::SentenceHandler {
    Input(Receiver& r, int n, input::InputKind k) : rx(r), number(n), framer(*this) { setKind(k); }
    void handleSentence(std::string_view s) override { rx.takeSentence(*this, s); }
    void sentenceIgnored() override { rx.ignoredChanged(); }
    void inputBufferChanged(std::string_view pending) override { rx.events_.inputBufferChangedOn(number, pending); }
    void setKind(input::InputKind k) {
        kind = k;
        const input::InputKindInfo* info = input::FindInputKind(k);
        datagrams = info && info->datagrams;
    }
    input::InputCounters counters() const {
        input::InputCounters c = own;
        static_cast<input::FramerCounts&>(c) = framerCounts();
        return c;
    }
    // The framer's counts, and those of a front that framed for this input.
    input::FramerCounts framerCounts() const {
        input::FramerCounts c = framer.counts();
        c += front;
        return c;
    }

    Receiver& rx;
    int number;
    input::InputKind kind = input::InputKind::Tcp;
    bool datagrams = false;
    bool removed = false;
    input::Framer framer;
    input::Intake intake;
    input::InputCounters own;  // all but the framer's counts
    input::FramerCounts front;  // the counts of a ReceiveFront's framer (takeStep)
};

Receiver::Receiver(const base::Clock& clock, ReceiverEvents& events) : clock_(clock), events_(events) {
    addInput(input::InputKind::Tcp);
}

Receiver::~Receiver() = default;

Receiver::Input* Receiver::find(int input) const {
    if (input < 0 || static_cast<size_t>(input) >= inputs_.size()) return nullptr;
    return inputs_[static_cast<size_t>(input)].get();
}

int Receiver::addInput(input::InputKind kind) {
    const int n = static_cast<int>(inputs_.size());
    inputs_.push_back(std::make_unique<Input>(*this, n, kind));
    Input& in = *inputs_.back();
    in.framer.setEmptyBuffer(tests_.EmptyBuffer);
    in.framer.setWatched(monitoring_);
    return n;
}

void Receiver::setInputKind(int input, input::InputKind kind) {
    if (Input* in = find(input)) in->setKind(kind);
}

void Receiver::setInputTests(const input::InputTests& tests) {
    tests_ = tests;
    for (auto& in : inputs_) in->framer.setEmptyBuffer(tests.EmptyBuffer);
}

void Receiver::restartTestCounts(bool checksum, bool ignored) {
    if (checksum) outcomes_.ChecksumErrorCount = 0;
    if (ignored) ignoredBase_ += totals().IgnoredCount;
}

void Receiver::setMonitoring(bool on) {
    monitoring_ = on;
    for (auto& in : inputs_) in->framer.setWatched(on);
}

void Receiver::takeBytes(int input, std::string_view bytes) {
    Input* in = find(input);
    if (!in || in->removed) return;
    in->own.Bytes += static_cast<int64_t>(bytes.size());
    if (!bytes.empty()) in->own.LastData = clock_.monotonicSeconds();
    in->framer.receive(bytes);
    // A datagram's unfinished tail never continues in the next one.
    if (in->datagrams) in->framer.dropUnfinished();
    if (history_) history_->flush();
}

void Receiver::inputRestarted(int input) {
    if (Input* in = find(input)) in->framer.dropUnfinished();
}

void Receiver::endOfStream(int input) {
    const Input* in = find(input);
    if (in && in->framer.lineUnfinished()) takeBytes(input, "\n");
}

void Receiver::removeInput(int input) {
    Input* in = find(input);
    if (!in || input == kMainInput || in->removed) return;
    dropPending(input);
    in->removed = true;
}

void Receiver::dropPending(int input) {
    Input* in = find(input);
    if (!in || in->removed) return;
    inputRestarted(input);
    const int64_t fragments = in->intake.incompleteFragments(), messages = in->intake.incompleteMessages();
    in->intake.reset();
    outcomes_.IncompleteFragmentCount += in->intake.incompleteFragments() - fragments;
    outcomes_.IncompleteMessageCount += in->intake.incompleteMessages() - messages;
}

std::optional<input::InputCounters> Receiver::inputCounters(int input) const {
    const Input* in = find(input);
    if (!in) return std::nullopt;
    return in->counters();
}

input::ReceiverTotals Receiver::totals() const {
    input::ReceiverTotals t = outcomes_;
    input::FramerCounts dropped;
    for (const auto& in : inputs_) {
        dropped += in->framerCounts();
        for (size_t k = 0; k < t.Monitor.size(); ++k) t.Monitor[k] += in->own.Monitor[k];
    }
    t.IgnoredCount = dropped.Ignored - ignoredBase_;
    t.IgnoredBytes = dropped.IgnoredBytes;
    t.OverflowCount = dropped.Overflow;
    t.OverflowBytes = dropped.OverflowBytes;
    t.CutOffCount = dropped.CutOff;
    t.CutOffBytes = dropped.CutOffBytes;
    return t;
}

std::string_view Receiver::pendingInput(int input) const {
    const Input* in = find(input);
    return in ? in->framer.pending() : std::string_view();
}

std::vector<int> Receiver::inputs() const {
    std::vector<int> out;
    for (const auto& in : inputs_) {
        if (!in->removed) out.push_back(in->number);
    }
    return out;
}

void Receiver::addTap(input::SentenceTap* tap) {
    if (tap && std::find(taps_.begin(), taps_.end(), tap) == taps_.end()) taps_.push_back(tap);
}

void Receiver::removeTap(input::SentenceTap* tap) { std::erase(taps_, tap); }

bool Receiver::handlingInput() const {
    for (const auto& in : inputs_) {
        if (in->framer.busy()) return true;
    }
    return false;
}

// The panel counts what every input ignored, so every input refreshes it;
// the percentage is shown when the main input is a serial port.
void Receiver::ignoredChanged() {
    const input::ReceiverTotals t = totals();
    const bool serial = inputs_[kMainInput]->kind == input::InputKind::Serial;
    events_.statusPanelChanged(6, ignoredPanelText(tests_, t, serial));
}

// The port monitor's counters: every sentence, those starting with '$' or '!',
// and of those whether the checksum after the first '*' matches. A tag block
// in front is not part of the sentence.
void Receiver::monitorSentence(Input& from, std::string_view line) {
    const std::string_view sentence = input::StripTagBlock(line);
    input::MonitorCounts& own = from.own.Monitor;
    const auto count = [&own](size_t i) { ++own[i]; };
    count(0);
    if (!sentence.empty() && (sentence[0] == '$' || sentence[0] == '!')) {
        if (sentence[0] == '$') {
            count(1);
        } else {
            count(2);
        }
        // The line end is not part of the checksum text, whether or not a
        // carriage return comes before the line feed.
        std::string_view s = sentence;
        if (!s.empty() && s.back() == '\n') s.remove_suffix(1);
        if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
        const size_t star = s.find('*');
        const bool good = star != std::string_view::npos && star + 1 != s.size() && s.substr(star + 1) == input::NMEAChecksum(s);
        if (good) {
            count(3);
        } else {
            count(4);
        }
    }
    events_.sentenceSeenOn(from.number, line);
}

void Receiver::resetMonitorCounters() {
    for (auto& in : inputs_) in->own.Monitor = {};
}

int64_t Receiver::pendingFragments() const {
    const input::ReceiverTotals& t = outcomes_;
    return t.SentenceCount - t.DecodedSentenceCount - t.NonAISCount - t.TagOnlyCount - t.ChecksumErrorCount -
           t.MalformedCount - t.IncompleteFragmentCount;
}

void Receiver::takeSentence(Input& from, std::string_view sentence) {
    countSentence(from, sentence.size());
    if (monitoring_) monitorSentence(from, sentence);
    const double mono = clock_.monotonicSeconds();
    const int64_t fragments = from.intake.incompleteFragments(), messages = from.intake.incompleteMessages();
    const input::IntakeOutcome in = from.intake.take(sentence, mono, tests_.CheckChecksum);
    for (input::SentenceTap* tap : taps_) tap->sentenceTaken(from.number, sentence, in.result);
    const SentenceOutcome outcome{in.result,
                                  in.kind,
                                  in.channel,
                                  in.sentences,
                                  in.source,
                                  in.time,
                                  in.errorText,
                                  from.intake.incompleteFragments() - fragments,
                                  from.intake.incompleteMessages() - messages};
    int type = 0;
    if (in.result == input::IntakeResult::Message) {
        type = ais::DecodeAISMessage(in.payload, record_, in.fillBits, binaryStandard_, clock_.now());
    }
    settleSentence(from, outcome, type, record_);
}

void Receiver::takeStep(int input, const ReceiveStep& step, const StepBatch& batch) {
    Input* in = find(input);
    if (!in || in->removed) return;
    switch (step.kind) {
        case ReceiveStep::Kind::Notification:
            in->own.Bytes += step.bytes;
            if (step.bytes > 0) in->own.LastData = clock_.monotonicSeconds();
            return;
        case ReceiveStep::Kind::Sentence: {
            countSentence(*in, static_cast<size_t>(step.bytes));
            // The whole sub-record, as decoding in place would have left it.
            if (step.result == input::IntakeResult::Message) {
                ais::WithSubRecords(record_, batch.records, step.type,
                                    [&step](auto& sub, const auto& list) { sub = list[step.record]; });
            }
            const StepExtra& extra = batch.extra(step);
            return settleSentence(*in,
                                  {step.result, step.sentenceKind, step.channel, step.sentences, extra.source,
                                   step.time, extra.errorText, step.incompleteFragments, step.incompleteMessages},
                                  step.type, record_);
        }
        case ReceiveStep::Kind::Ignored:
            in->front = batch.extra(step).framer;
            return ignoredChanged();
        case ReceiveStep::Kind::NotificationDone:
            in->front = batch.extra(step).framer;
            if (history_) history_->flush();
            return;
    }
}

void Receiver::countSentence(Input& from, size_t bytes) {
    outcomes_.SentenceCount++;
    from.own.Sentences++;
    from.own.SentenceBytes += static_cast<int64_t>(bytes);
}

void Receiver::settleSentence(Input& from, const SentenceOutcome& in, int type, const ais::AISMessageRecord& message) {
    switch (in.result) {
        case input::IntakeResult::NotAIS:
            outcomes_.NonAISCount++;
            return sentenceDone();
        case input::IntakeResult::TagOnly:
            outcomes_.TagOnlyCount++;
            return sentenceDone();
        case input::IntakeResult::ChecksumError:
            outcomes_.ChecksumErrorCount++;
            from.own.ChecksumErrors++;
            events_.statusPanelChanged(4, checksumPanelText(tests_, outcomes_));
            return sentenceDone();
        case input::IntakeResult::Malformed:
            outcomes_.MalformedCount++;
            if (!in.errorText.empty()) lastExtractError_.assign(in.errorText);
            break;
        case input::IntakeResult::FragmentPending:
        case input::IntakeResult::FragmentDropped:
        case input::IntakeResult::Message:
            break;
    }
    // The assembler may have given up old fragments on the way, whatever the outcome.
    outcomes_.IncompleteFragmentCount += in.incompleteFragments;
    outcomes_.IncompleteMessageCount += in.incompleteMessages;
    if (in.result == input::IntakeResult::Message) {
        outcomes_.DecodedSentenceCount += in.sentences;
        applyMessage(type, {in.kind, in.channel, in.source, in.time, from.number}, clock_.now(),
                     clock_.monotonicSeconds(), message);
    }
    sentenceDone();
}

void Receiver::sentenceDone() {
    if (afterSentence_) afterSentence_();
}

void Receiver::takeMessage(int input, int type, const ais::AISMessageRecord& message, const MessageOrigin& origin) {
    const Input* in = find(input);
    if (!in || in->removed) return;
    record_ = message;
    MessageOrigin from = origin;
    from.input = input;
    applyMessage(type, from, clock_.now(), clock_.monotonicSeconds(), record_);
    if (history_) history_->flush();
}

void Receiver::applyMessage(int type, const MessageOrigin& origin, base::DateTime now, double mono,
                            const ais::AISMessageRecord& message) {
    const input::SentenceKind kind = origin.kind;
    const char channel = origin.channel;
    outcomes_.DecodedMessageCount++;
    outcomes_.MessageTypeCount[static_cast<size_t>(type) & 63]++;
    channels_.count(mono, channel);

    targets::TableContext ctx;
    ctx.reference = &ref_;
    ctx.shipData = &shipData_;
    ctx.flags = flags_.dataDir().empty() ? nullptr : &flags_;
    ctx.now = now;
    ctx.monotonic = mono;
    ctx.binaryStandard = binaryStandard_;
    const targets::TargetUpdate update = table_.AddOrUpdateTarget(kind, type, message, ctx);
    if (update.action == targets::TableAction::TableFull) tellTableFull();
    if (update.evicted.entry != 0) events_.targetsRemoved({update.evicted});
    if (update.evictedDangerous && !alarmLog_.empty()) {
        std::string error;
        targets::AppendAlarmLog(alarmLog_, targets::AlarmEndLogLine(now, *update.evictedDangerous), error);
    }
    // The history keeps also what a full table refused.
    if (history_) {
        history_->take(type, message, {origin.input, origin.source, origin.time},
                       update.taken() ? &table_.entry(update.entry) : nullptr);
    }
    if (!update.taken()) return;
    targets::TargetRecord& entry = table_.entry(update.entry);
    if (entry.LastSource != origin.source) entry.LastSource.assign(origin.source);
    entry.LastTagTime = origin.time;

    if (type == 6 || type == 8 || type == 10 || type == 12 || type == 14) showMessage(type, update.entry, message);
    targets::UpdateStatistics(table_.entry(update.entry), kind, channel, type, message.timeReceived(type), now,
                              mono);
    // The own ship is the station of our VDO reports; a binary or other
    // message we sent ourselves makes an entry of no class, which is not it.
    if (kind == input::SentenceKind::VDO && table_.entry(update.entry).Class != targets::TargetClass::Unknown) {
        table_.setOwnShip(update.entry);
    }
    targets::NoteMessage(table_, update.entry, type, ref_, mono, referenceEntry());
    if (update.referenceMoved) events_.referenceMoved();
    referenceChanged();
    watch(update.entry);
    if (coverage_) noteCoverage(origin, update.entry, mono);
    events_.targetChangedByMessage(update.entry);
    raiseAlarms();
}

// Where the message came from and, for a report that brought the position,
// how far and in which direction from the reference it was heard.
void Receiver::noteCoverage(const MessageOrigin& origin, int entry, double mono) {
    const targets::TargetRecord& t = table_.entry(entry);
    const int64_t time = origin.time >= 0 ? origin.time : clock_.utcMilliseconds() / 1000;
    const targets::CoverageKey key{origin.input, std::string(origin.source)};
    if (t.PositionMonotonic == mono && t.RangeKnown) {
        constexpr double kMetresPerNm = 1852.0, kDegreesPerRadian = 57.29577951308232;
        coverage_->add(key, t.MMSI, t.FromReference.range() / kMetresPerNm,
                       t.FromReference.bearing() * kDegreesPerRadian, t.Fix.Latitude,
                       t.Fix.Longitude, time);
    } else {
        coverage_->heard(key, t.MMSI, time);
    }
}

void Receiver::tellTableFull() {
    // Once a run: a full table refuses every newcomer, and the operator
    // needs telling only the first time.
    if (tableFullTold_) return;
    tableFullTold_ = true;
    const targets::LifecycleSettings& life = table_.lifecycle();
    events_.operatorMessage(base::MessageIcon::Information, targets::kTableFullTitle,
                            targets::TableFullText(life.capacity, life.displaceAfter));
}

void Receiver::watch(int entry) {
    const int own = ownShipEntry();
    const double now = clock_.monotonicSeconds();
    if (entry == own) {
        // Its report changes the own ship's side of every approach, also one
        // that comes at the same clock reading as the report before.
        ownPlaneEntry_ = 0;
        targets::UpdateAllApproaches(table_, own, alarm_, now, episodes_);
        events_.approachesChanged();
        return;
    }
    const targets::ApproachPlane* plane = ownPlane(own);
    if (deferFar_ && plane && targets::DeferApproach(table_, own, entry, alarm_, *plane)) return deferred(entry, *plane);
    targets::UpdateApproach(table_, own, entry, alarm_, now, episodes_, plane);
}

namespace {

// A long run makes a plane per own report; only those a deferred entry still
// stands for (at most one per entry) are kept, `on` renumbered to match.
void keepPlanesInUse(const targets::TargetTable& table, std::vector<targets::ApproachPlane>& planes,
                     std::vector<uint32_t>& on) {
    std::vector<uint32_t> movedTo(planes.size(), UINT32_MAX);
    std::vector<targets::ApproachPlane> kept;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (!table.InUse(n) || !table.entry(n).CPADeferred) continue;
        uint32_t& plane = on[static_cast<size_t>(n)];
        if (movedTo[plane] == UINT32_MAX) {
            movedTo[plane] = static_cast<uint32_t>(kept.size());
            kept.push_back(planes[plane]);
        }
        plane = movedTo[plane];
    }
    planes = std::move(kept);
}

}  // namespace

void Receiver::deferred(int entry, const targets::ApproachPlane& plane) {
    if (deferPlanes_.empty() || deferPlaneSerial_ != ownPlaneSerial_) {
        if (deferPlanes_.size() >= 2 * static_cast<size_t>(table_.EntryCount()) + 64) {
            keepPlanesInUse(table_, deferPlanes_, deferredOn_);
        }
        deferPlanes_.push_back(plane);
        deferPlaneSerial_ = ownPlaneSerial_;
    }
    if (deferredOn_.size() <= static_cast<size_t>(entry)) deferredOn_.resize(static_cast<size_t>(entry) + 1);
    deferredOn_[static_cast<size_t>(entry)] = static_cast<uint32_t>(deferPlanes_.size() - 1);
}

// No plane to refine against: what the deferred entries' reports would have
// made of them, against the planes of then.
void Receiver::estimateDeferred() {
    for (int n = 1; n <= table_.EntryCount() && !deferPlanes_.empty(); ++n) {
        if (!table_.InUse(n) || !table_.entry(n).CPADeferred) continue;
        targets::EstimateDeferred(table_, n, deferPlanes_[deferredOn_[static_cast<size_t>(n)]]);
    }
    deferPlanes_.clear();
}

void Receiver::referenceChanged() {
    const ReferenceKey key{ref_.mode(), targets::ReferenceEstablished(table_, ref_, referenceEntry()),
                           ref_.mode() == targets::kRefManual ? ref_.lat() : 0,
                           ref_.mode() == targets::kRefManual ? ref_.lon() : 0,
                           ref_.mode() == targets::kRefFromVDM ? ref_.mmsi() : 0};
    if (key == reference_) return;
    reference_ = key;
    stalePositions_.clear();
    targets::MeasureAllRanges(table_, ref_, clock_.monotonicSeconds(), stalePositions_);
    for (int n : stalePositions_) events_.targetChangedByMessage(n);
}

int Receiver::referenceEntry() {
    if (ref_.mode() != targets::kRefFromVDM) return targets::ReferenceEntry(table_, ref_);
    ReferenceLookup& memo = referenceLookup_;
    if (!memo.valid || memo.mmsi != ref_.mmsi() || memo.membership != table_.Membership()) {
        memo = {true, ref_.mmsi(), table_.Membership(), targets::ReferenceEntry(table_, ref_)};
    }
    return memo.entry;
}

int Receiver::ownShipEntry() {
    if (table_.InUse(table_.OwnShipIndex())) return table_.OwnShipIndex();
    return ref_.mode() == targets::kRefFromVDM ? referenceEntry() : 0;
}

const targets::ApproachPlane* Receiver::ownPlane(int own) {
    if (own == 0) return nullptr;
    if (own != ownPlaneEntry_ || table_.Generation(own) != ownPlaneGeneration_) {
        ownPlane_ = targets::OwnShipPlane(table_, own);
        ++ownPlaneSerial_;
        ownPlaneEntry_ = own;
        ownPlaneGeneration_ = table_.Generation(own);
    }
    return ownPlane_ ? &*ownPlane_ : nullptr;
}

void Receiver::refineApproaches() {
    const int own = ownShipEntry();
    const targets::ApproachPlane* plane = ownPlane(own);
    if (!plane) return estimateDeferred();
    // Every deferred entry is estimated, so refined here.
    deferPlanes_.clear();
    if (targets::RefineApproaches(table_, own, alarm_, *plane, clock_.monotonicSeconds(), episodes_) > 0) {
        events_.approachesChanged();
    }
    raiseAlarms();
}

void Receiver::setMessageLog(std::filesystem::path dataDir) {
    alarmLog_ = dataDir.empty() ? std::filesystem::path() : dataDir / targets::kAlarmLogFileName;
    messageLogDir_ = std::move(dataDir);
}

void Receiver::raiseAlarms() {
    if (episodes_.empty()) return;
    const base::DateTime now = clock_.now();
    for (int n : episodes_.ended) {
        std::string error;
        if (!alarmLog_.empty()) targets::AppendAlarmLog(alarmLog_, targets::AlarmEndLogLine(now, table_.entry(n)), error);
    }
    for (int n : episodes_.started) {
        std::string error;
        bool failed = false;
        if (!alarmLog_.empty()) {
            failed = !targets::AppendAlarmLog(alarmLog_, targets::AlarmLogLine(now, table_.entry(n)), error);
        }
        events_.collisionAlarm(n, failed, error);
    }
    episodes_.clear();
}

void Receiver::showMessage(int type, int entry, const ais::AISMessageRecord& message) {
    const targets::TargetRecord& t = table_.entry(entry);
    std::string when;
    if (!t.LastMsgTime.isNull()) {
        when = noticeTimeFormat_ ? noticeTimeFormat_(t.LastMsgTime) : t.LastMsgTime.format("dd-mm-yyyy hh:mm:ss");
    }
    MessageToShow m;
    m.messageType = type;
    m.entry = entry;
    m.notice = ais::ComposeMessageNotice(type, t.MMSI, t.Id.Name, t.LastMessageText, message, std::move(when));
    if (type == 6 || type == 8) m.binary = type == 6 ? &message.Type6 : &message.Type8;
    if (!messageLogDir_.empty()) {
        ais::MessageLog log(messageLogDir_);
        m.logFailed = !log.append(ais::FormatMessageLogBlock(m.notice));
        if (m.logFailed) m.logError = log.lastError();
    }
    events_.aisMessageToShow(m);
}

void Receiver::ageTargets() {
    agedScratch_.clear();
    removedScratch_.clear();
    table_.AgeTargets(clock_.monotonicSeconds(), &agedScratch_, &removedScratch_);
    if (!removedScratch_.empty()) events_.targetsRemoved(removedScratch_);
    // A lost station, or one whose position grew too old, has no approach
    // and raises no alarm; the row of the latter shows no range any more.
    const double now = clock_.monotonicSeconds();
    stalePositions_.clear();
    targets::AgePositions(table_, now, stalePositions_);
    const int own = ownShipEntry();
    for (int n : agedScratch_) targets::UpdateApproach(table_, own, n, alarm_, now, episodes_);
    for (int n : stalePositions_) targets::UpdateApproach(table_, own, n, alarm_, now, episodes_);
    for (int n : agedScratch_) events_.targetStatusChanged(n);
    for (int n : stalePositions_) events_.targetChangedByMessage(n);
    referenceChanged();
    raiseAlarms();
    handOverRetired();
}

std::vector<targets::ShipDataItem> Receiver::shipDataOfRun() const {
    return targets::ShipDataOfRun(table_, shipData_);
}

void Receiver::keepShipData(const std::filesystem::path& dataDir) {
    shipKeeper_ = std::make_unique<ShipDataKeeper>(dataDir);
    shipKeptAt_ = clock_.monotonicSeconds();
}

void Receiver::handOverRetired() {
    if (!shipKeeper_) {
        table_.takeRetiredVessels();
        return;
    }
    if (const auto failure = shipKeeper_->takeFailure()) {
        events_.operatorMessage(base::MessageIcon::Exclamation, "Orvanta", *failure + " Ship database not stored!");
    }
    const size_t waiting = table_.runVessels().retired().size();
    const double now = clock_.monotonicSeconds();
    if (waiting == 0 || (waiting < 1000 && now - shipKeptAt_ < 600)) return;
    shipKeptAt_ = now;
    const std::vector<targets::VesselStatic> retired = table_.takeRetiredVessels();
    std::vector<const targets::VesselStatic*> vessels;
    vessels.reserve(retired.size());
    for (const targets::VesselStatic& v : retired) vessels.push_back(&v);
    shipKeeper_->save(targets::ShipDataOf(std::move(vessels), shipData_));
}

std::vector<targets::ShipDataItem> Receiver::shipDataToStore() {
    std::vector<targets::ShipDataItem> items = shipDataOfRun();
    if (shipKeeper_) {
        // The run's newer data comes first: the file keeps an MMSI's first item.
        std::vector<targets::ShipDataItem> unsaved = shipKeeper_->finish();
        items.insert(items.end(), std::make_move_iterator(unsaved.begin()), std::make_move_iterator(unsaved.end()));
    }
    return items;
}

}  // namespace app
