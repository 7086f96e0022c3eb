#include "station/receiver.h"

#include <algorithm>
#include <array>

#include "ais/decoder.h"
#include "station/status_panels.h"
#include "sentence/checksum.h"
#include "sentence/tag_block.h"
#include "targets/statistics.h"

namespace app {

// One input: its framer hands sentences back to the receiver with the
// input's number, and its intake keeps its fragments apart from the others'.
struct Receiver::Input final : input::SentenceHandler {
    Input(Receiver& r, int n, input::InputKind k) : rx(r), number(n), framer(k, r.state_, *this) {}
    void handleSentence(std::string_view s) override { rx.takeSentence(*this, s); }
    void sentenceIgnored(input::InputKind k) override {
        if (number <= kTcpInput) rx.mainSerial_ = k == input::InputKind::Serial;
        rx.ignoredChanged();
    }
    void inputBufferChanged(std::string_view pending) override { rx.events_.inputBufferChangedOn(number, pending); }

    Receiver& rx;
    int number;
    bool removed = false;
    input::Framer framer;
    input::Intake intake;
    input::InputCounters counters;
};

Receiver::Receiver(const base::Clock& clock, ReceiverEvents& events) : clock_(clock), events_(events) {
    addInput(input::InputKind::Serial);
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
    return n;
}

// Runs a framer call and books what the framer counted in the shared run
// state (overflow, cut off, ignored) to the input as well.
void Receiver::framerCall(Input& in, void (*call)(input::Framer&, std::string_view), std::string_view bytes) {
    // Only the framer's own counters, not the whole run state: this runs for
    // every notification and datagram.
    const auto framerCounts = [this] {
        return std::array<int64_t, 6>{state_.IgnoredCount,  state_.IgnoredBytes, state_.OverflowCount,
                                      state_.OverflowBytes, state_.CutOffCount,  state_.CutOffBytes};
    };
    const std::array<int64_t, 6> before = framerCounts();
    call(in.framer, bytes);
    const std::array<int64_t, 6> after = framerCounts();
    input::InputCounters& c = in.counters;
    c.Ignored += after[0] - before[0];
    c.IgnoredBytes += after[1] - before[1];
    c.Overflow += after[2] - before[2];
    c.OverflowBytes += after[3] - before[3];
    c.CutOff += after[4] - before[4];
    c.CutOffBytes += after[5] - before[5];
}

void Receiver::receive(int input, std::string_view bytes) {
    Input* in = find(input);
    if (!in || in->removed) return;
    in->counters.Bytes += static_cast<int64_t>(bytes.size());
    if (!bytes.empty()) in->counters.LastData = clock_.monotonicSeconds();
    framerCall(*in, [](input::Framer& f, std::string_view b) { f.receive(b); }, bytes);
}

void Receiver::receiveDatagram(int input, std::string_view bytes) {
    receive(input, bytes);
    inputRestarted(input);
}

void Receiver::inputRestarted(int input) {
    Input* in = find(input);
    if (in) framerCall(*in, [](input::Framer& f, std::string_view) { f.dropUnfinished(); }, {});
}

void Receiver::removeInput(int input) {
    Input* in = find(input);
    if (!in || input <= kTcpInput || in->removed) return;
    dropPending(input);
    in->removed = true;
}

void Receiver::dropPending(int input) {
    Input* in = find(input);
    if (!in || in->removed) return;
    inputRestarted(input);
    const int64_t fragments = in->intake.incompleteFragments(), messages = in->intake.incompleteMessages();
    in->intake.reset();
    state_.IncompleteFragmentCount += in->intake.incompleteFragments() - fragments;
    state_.IncompleteMessageCount += in->intake.incompleteMessages() - messages;
}

const input::InputCounters* Receiver::inputCounters(int input) const {
    const Input* in = find(input);
    return in ? &in->counters : nullptr;
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

void Receiver::receive(input::InputKind kind, std::string_view bytes) {
    mainSerial_ = kind == input::InputKind::Serial;
    receive(kind == input::InputKind::Serial ? kSerialInput : kTcpInput, bytes);
}

void Receiver::inputRestarted(input::InputKind kind) {
    inputRestarted(kind == input::InputKind::Serial ? kSerialInput : kTcpInput);
}

void Receiver::sentenceIgnored(input::InputKind) { ignoredChanged(); }

// The panel counts what every input ignored, so every input refreshes it.
void Receiver::ignoredChanged() { events_.statusPanelChanged(6, ignoredPanelText(state_, mainSerial_)); }

void Receiver::inputBufferChanged(std::string_view pending) { events_.inputBufferChanged(pending); }

// The port monitor's counters: every sentence, those starting with '$' or '!',
// and of those whether the checksum after the first '*' matches. A tag block
// in front is not part of the sentence.
void Receiver::monitorSentence(Input& from, std::string_view line) {
    const std::string_view sentence = input::StripTagBlock(line);
    std::array<int64_t, 5>& own = from.counters.Monitor;
    // Counted for the input and in the run's totals alike.
    const auto count = [&own](size_t i, int32_t& total) {
        ++own[i];
        ++total;
    };
    count(0, state_.MonitorSentenceCount);
    if (!sentence.empty() && (sentence[0] == '$' || sentence[0] == '!')) {
        if (sentence[0] == '$') {
            count(1, state_.MonitorNMEACount);
        } else {
            count(2, state_.MonitorAISCount);
        }
        // The line end is not part of the checksum text, whether or not a
        // carriage return comes before the line feed.
        std::string_view s = sentence;
        if (!s.empty() && s.back() == '\n') s.remove_suffix(1);
        if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
        const size_t star = s.find('*');
        const bool good = star != std::string_view::npos && star + 1 != s.size() && s.substr(star + 1) == input::NMEAChecksum(s);
        if (good) {
            count(3, state_.MonitorChecksumOK);
        } else {
            count(4, state_.MonitorChecksumBad);
        }
    }
    events_.sentenceSeenOn(from.number, line);
}

void Receiver::resetMonitorCounters() {
    state_.MonitorSentenceCount = state_.MonitorNMEACount = state_.MonitorAISCount = 0;
    state_.MonitorChecksumOK = state_.MonitorChecksumBad = 0;
    for (auto& in : inputs_) in->counters.Monitor = {};
}

int64_t Receiver::pendingFragments() const {
    return state_.SentenceCount - state_.DecodedSentenceCount - state_.NonAISCount - state_.TagOnlyCount -
           state_.ChecksumErrorCount - state_.MalformedCount - state_.IncompleteFragmentCount;
}

void Receiver::handleSentence(std::string_view sentence) { takeSentence(*inputs_[kSerialInput], sentence); }

void Receiver::takeSentence(Input& from, std::string_view sentence) {
    state_.SentenceCount++;
    from.counters.Sentences++;
    from.counters.SentenceBytes += static_cast<int64_t>(sentence.size());
    if (state_.PortMonitorOpen) monitorSentence(from, sentence);

    const double mono = clock_.monotonicSeconds();
    const int64_t fragments = from.intake.incompleteFragments(), messages = from.intake.incompleteMessages();
    const input::IntakeOutcome in = from.intake.take(sentence, mono, state_.CheckChecksum);
    for (input::SentenceTap* tap : taps_) tap->sentenceTaken(from.number, sentence, in.result);
    switch (in.result) {
        case input::IntakeResult::NotAIS:
            state_.NonAISCount++;
            return;
        case input::IntakeResult::TagOnly:
            state_.TagOnlyCount++;
            return;
        case input::IntakeResult::ChecksumError:
            state_.ChecksumErrorCount++;
            from.counters.ChecksumErrors++;
            events_.statusPanelChanged(4, checksumPanelText(state_));
            return;
        case input::IntakeResult::Malformed:
            state_.MalformedCount++;
            if (!in.errorText.empty()) lastExtractError_.assign(in.errorText);
            break;
        case input::IntakeResult::FragmentPending:
        case input::IntakeResult::FragmentDropped:
        case input::IntakeResult::Message:
            break;
    }
    // The assembler may have given up old fragments on the way, whatever the outcome.
    state_.IncompleteFragmentCount += from.intake.incompleteFragments() - fragments;
    state_.IncompleteMessageCount += from.intake.incompleteMessages() - messages;
    if (in.result == input::IntakeResult::Message) takeMessage(in, mono);
}

void Receiver::takeMessage(const input::IntakeOutcome& in, double mono) {
    state_.DecodedSentenceCount += in.sentences;
    const base::DateTime now = clock_.now();
    const int type = ais::DecodeAISMessage(in.payload, record_, in.fillBits, state_.BinaryMsgStandard, now);
    state_.DecodedMessageCount++;
    state_.MessageTypeCount[static_cast<size_t>(type) & 63]++;
    channels_.count(mono, in.channel);

    targets::TableContext ctx;
    ctx.state = &state_;
    ctx.shipData = &shipData_;
    ctx.flags = flags_.dataDir().empty() ? nullptr : &flags_;
    ctx.now = now;
    ctx.monotonic = mono;
    const targets::TargetUpdate update = table_.AddOrUpdateTarget(in.kind, type, record_, ctx);
    if (update.action == targets::TableAction::TableFull) tellTableFull();
    if (update.evicted.entry != 0) events_.targetsRemoved({update.evicted});
    if (update.evictedDangerous && !alarmLog_.empty()) {
        std::string error;
        targets::AppendAlarmLog(alarmLog_, targets::AlarmEndLogLine(now, *update.evictedDangerous), error);
    }
    if (!update.taken()) return;
    targets::TargetRecord& entry = table_.entry(update.entry);
    if (entry.LastSource != in.source) entry.LastSource.assign(in.source);
    entry.LastTagTime = in.time;

    if (type == 6 || type == 8 || type == 10 || type == 12 || type == 14) showMessage(type, update.entry);
    targets::UpdateStatistics(table_.entry(update.entry), in.kind, in.channel, type, record_.timeReceived(type), now,
                              mono);
    // The own ship is the station of our VDO reports; a binary or other
    // message we sent ourselves makes an entry of no class, which is not it.
    if (in.kind == input::SentenceKind::VDO && table_.entry(update.entry).Class != targets::TargetClass::Unknown) {
        table_.setOwnShip(update.entry);
    }
    targets::NoteMessage(table_, update.entry, type, state_, mono);
    referenceChanged();
    watch(update.entry);
    events_.targetChangedByMessage(update.entry);
    raiseAlarms();
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
    const int own = targets::OwnShipEntry(table_, state_);
    const double now = clock_.monotonicSeconds();
    if (entry == own) {
        targets::UpdateAllApproaches(table_, own, alarm_, now, episodes_);
        events_.approachesChanged();
        return;
    }
    targets::UpdateApproach(table_, own, entry, alarm_, now, episodes_, ownPlane(own));
}

void Receiver::referenceChanged() {
    const ReferenceKey key{state_.ReferenceMode, targets::ReferenceEstablished(table_, state_),
                           state_.ReferenceMode == targets::kRefManual ? state_.RefLat : 0,
                           state_.ReferenceMode == targets::kRefManual ? state_.RefLon : 0,
                           state_.ReferenceMode == targets::kRefFromVDM ? state_.RefMMSI : 0};
    if (key == reference_) return;
    reference_ = key;
    stalePositions_.clear();
    targets::MeasureAllRanges(table_, state_, clock_.monotonicSeconds(), stalePositions_);
    for (int n : stalePositions_) events_.targetChangedByMessage(n);
}

const targets::ApproachPlane* Receiver::ownPlane(int own) {
    if (own == 0) return nullptr;
    if (own != ownPlaneEntry_ || table_.Generation(own) != ownPlaneGeneration_ ||
        table_.entry(own).LastMsgMonotonic != ownPlaneReport_) {
        ownPlane_ = targets::OwnShipPlane(table_, own);
        ownPlaneEntry_ = own;
        ownPlaneGeneration_ = table_.Generation(own);
        ownPlaneReport_ = table_.entry(own).LastMsgMonotonic;
    }
    return ownPlane_ ? &*ownPlane_ : nullptr;
}

void Receiver::refineApproaches() {
    const int own = targets::OwnShipEntry(table_, state_);
    const targets::ApproachPlane* plane = ownPlane(own);
    if (!plane) return;
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

void Receiver::showMessage(int type, int entry) {
    const targets::TargetRecord& t = table_.entry(entry);
    std::string when;
    if (!t.LastMsgTime.isNull()) {
        when = noticeTimeFormat_ ? noticeTimeFormat_(t.LastMsgTime) : t.LastMsgTime.format("dd-mm-yyyy hh:mm:ss");
    }
    MessageToShow m;
    m.messageType = type;
    m.entry = entry;
    m.notice = ais::ComposeMessageNotice(type, t.MMSI, t.Id.Name, t.LastMessageText, record_, std::move(when));
    if (type == 6 || type == 8) m.binary = type == 6 ? &record_.Type6 : &record_.Type8;
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
    const int own = targets::OwnShipEntry(table_, state_);
    for (int n : agedScratch_) targets::UpdateApproach(table_, own, n, alarm_, now, episodes_);
    for (int n : stalePositions_) targets::UpdateApproach(table_, own, n, alarm_, now, episodes_);
    for (int n : agedScratch_) events_.targetStatusChanged(n);
    for (int n : stalePositions_) events_.targetChangedByMessage(n);
    referenceChanged();
    raiseAlarms();
}

std::vector<targets::ShipDataItem> Receiver::shipDataOfRun() const {
    return targets::ShipDataOfRun(table_, shipData_);
}

}  // namespace app
