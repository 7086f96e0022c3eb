#include "app/receiver.h"

#include "ais/decoder.h"
#include "app/status_panels.h"
#include "input/checksum.h"
#include "targets/statistics.h"

namespace app {

Receiver::Receiver(const base::Clock& clock, ReceiverEvents& events)
    : clock_(clock),
      events_(events),
      serialFramer_(input::InputKind::Serial, state_, *this),
      tcpFramer_(input::InputKind::Tcp, state_, *this) {}

void Receiver::receive(input::InputKind kind, std::string_view bytes) {
    (kind == input::InputKind::Serial ? serialFramer_ : tcpFramer_).receive(bytes);
}

void Receiver::sentenceIgnored(input::InputKind kind) {
    events_.statusPanelChanged(6, ignoredPanelText(state_, kind == input::InputKind::Serial));
}

void Receiver::inputBufferChanged(std::string_view pending) { events_.inputBufferChanged(pending); }

// The port monitor's counters: every sentence, those starting with '$' or '!',
// and of those whether the checksum after the first '*' matches.
void Receiver::monitorSentence(std::string_view sentence) {
    state_.MonitorSentenceCount++;
    if (!sentence.empty() && (sentence[0] == '$' || sentence[0] == '!')) {
        if (sentence[0] == '$') {
            state_.MonitorNMEACount++;
        } else {
            state_.MonitorAISCount++;
        }
        // The line end is not part of the checksum text, whether or not a
        // carriage return comes before the line feed.
        std::string_view s = sentence;
        if (!s.empty() && s.back() == '\n') s.remove_suffix(1);
        if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
        const size_t star = s.find('*');
        if (star == std::string_view::npos || star + 1 == s.size()) {
            state_.MonitorChecksumBad++;
        } else if (s.substr(star + 1) == input::NMEAChecksum(s)) {
            state_.MonitorChecksumOK++;
        } else {
            state_.MonitorChecksumBad++;
        }
    }
    events_.sentenceSeen(sentence);
}

void Receiver::syncAssemblerCounts() {
    state_.IncompleteFragmentCount = assembler_.incompleteFragments();
    state_.IncompleteMessageCount = assembler_.incompleteMessages();
}

int64_t Receiver::pendingFragments() const {
    return state_.SentenceCount - state_.DecodedSentenceCount - state_.NonAISCount - state_.ChecksumErrorCount -
           state_.MalformedCount - state_.IncompleteFragmentCount;
}

void Receiver::handleSentence(std::string_view sentence) {
    state_.SentenceCount++;
    if (state_.PortMonitorOpen) monitorSentence(sentence);

    // Characters 4-6 name the sentence type; talker and start character are not checked.
    if (sentence.size() < 6) {
        state_.NonAISCount++;
        return;
    }
    const std::string_view type = sentence.substr(3, 3);
    targets::SentenceKind kind;
    if (type == "VDM") {
        kind = targets::SentenceKind::VDM;
    } else if (type == "VDO") {
        kind = targets::SentenceKind::VDO;
    } else {
        state_.NonAISCount++;
        return;
    }

    if (state_.CheckChecksum && !input::ChecksumValid(sentence)) {
        state_.ChecksumErrorCount++;
        events_.statusPanelChanged(4, checksumPanelText(state_));
        return;
    }

    const input::ExtractResult extracted = input::ExtractVDM(sentence, fields_, &errorScratch_);
    if (extracted != input::ExtractResult::Ok) {
        state_.MalformedCount++;
        if (extracted == input::ExtractResult::ConversionError) {
            lastExtractError_ = errorScratch_;
        } else {
            lastExtractError_.assign("Error : ");
            lastExtractError_.append(errorScratch_);
            lastExtractError_.append("  VDM-message : ");
            lastExtractError_.append(sentence);
        }
        return;
    }

    const double mono = clock_.monotonicSeconds();
    const input::VdmAssembler::Status st = assembler_.add(kind, fields_, mono);
    switch (st) {
        case input::VdmAssembler::Status::Pending:
            syncAssemblerCounts();  // a new first fragment may have displaced an old message
            return;
        case input::VdmAssembler::Status::Dropped:
            syncAssemblerCounts();
            return;
        case input::VdmAssembler::Status::Malformed:
            state_.MalformedCount++;
            syncAssemblerCounts();  // the assembler may have given up old fragments first
            return;
        case input::VdmAssembler::Status::Complete:
            break;
    }
    syncAssemblerCounts();
    state_.DecodedSentenceCount += fields_.FragmentCount > 1 ? fields_.FragmentCount : 1;

    const base::DateTime now = clock_.now();
    const int msgType =
        ais::DecodeAISMessage(assembler_.payload(), record_, assembler_.fillBits(), state_.BinaryMsgStandard, now);
    state_.DecodedMessageCount++;
    state_.MessageTypeCount[static_cast<size_t>(msgType) & 63]++;

    targets::TableContext ctx;
    ctx.state = &state_;
    ctx.shipData = &shipData_;
    ctx.flags = flags_.dataDir().empty() ? nullptr : &flags_;
    ctx.messages = &events_;
    ctx.now = now;
    ctx.monotonic = mono;
    table_.AddOrUpdateTarget(kind, msgType, record_, ctx);
    if (!table_.SkipMessage && (msgType == 6 || msgType == 8 || msgType == 10 || msgType == 12 || msgType == 14)) {
        events_.aisMessageToShow(msgType);
    }

    targets::UpdateStatistics(table_, kind, fields_.Channel, msgType, record_.timeReceived(msgType), now, mono);

    // The row step: the list redraws the entry's row.
    if (!table_.SkipMessage && msgType >= 1 && msgType <= 26 && table_.CurrentTarget >= 1 &&
        table_.CurrentTarget <= targets::kMaxTargets) {
        events_.targetRowChanged(table_.CurrentTarget);
    }
}

void Receiver::ageTargets() {
    agedScratch_.clear();
    table_.AgeTargets(clock_.monotonicSeconds(), &agedScratch_);
    for (int n : agedScratch_) events_.targetRowChanged(n);
}

std::vector<targets::ShipDataItem> Receiver::shipDataOfRun() const {
    std::vector<targets::ShipDataItem> out;
    for (int n = 1; n <= table_.TargetCount; ++n) {
        const targets::TargetClass c = table_.classOf(n);
        const targets::TargetRecord& t = table_.entry(n);
        if ((c != targets::TargetClass::A && c != targets::TargetClass::B) || t.Name.empty()) continue;
        targets::ShipDataItem item;
        item.MMSI = t.MMSI;
        item.Name = t.Name;
        item.CallSign = t.CallSign;
        item.IMONumber = t.IMONumber;
        item.ShipType = t.ShipType;
        item.DimA = t.DimA;
        item.DimB = t.DimB;
        item.DimC = t.DimC;
        item.DimD = t.DimD;
        item.EPFDType = t.EPFDType;
        out.push_back(std::move(item));
    }
    return out;
}

}  // namespace app
