// Raw bytes -> framer -> HandleSentence -> VDM/VDO assembly -> decoders ->
// target table and statistics, as a serial port or TCP connection feeds them.
//
// Input: byte 0 picks the settings (bit 0 checksum test, bit 1 empty-buffer
// rule, bit 2 TCP instead of serial, bit 3 port monitor open, bit 4 a clock
// moving 4 s per chunk so fragments time out, bit 5 IALA numbering, bit 6 a
// reference position, bit 7 a ship database to pre-fill from); byte 1 seeds
// the chunk sizes, and when its top three bits are set the table starts with
// 997 entries, so a few new stations fill it; its bit 3 puts NMEA 4.0 tag
// blocks (right checksums, groups of random ids and sizes) in front of about
// half the lines, and its bit 4 sends each chunk to one of two inputs (the
// second taking datagrams when bit 2 is set too); the rest is the byte
// stream, ended with a line feed.
//
// What must hold afterwards: every byte of every input is in exactly one of
// its counted outcomes or its unfinished line; on a stream input every line
// feed ended a sentence that was counted once (handed over, discarded by the
// empty-buffer rule, or the end of an overlong line); every handed-over
// sentence ended in exactly one
// outcome with a bounded number of fragments still pending, the table is
// within its bound with a list order that is a permutation of its entries,
// and the ship data of the run writes out as lines that read back whole.
// Unless the empty-buffer rule, the moving clock or a second input make them
// depend on it, the counts and the table are the same when the stream comes
// in one piece. A table-full notice is raised only when the table is full,
// and every byte handed to an input after it (datagrams of a second input
// included) is still taken.
#include <algorithm>
#include <tuple>
#include <vector>

#include "station/receiver.h"
#include "base/clock.h"
#include "fuzz/fuzz_support.h"
#include "sentence/tag_block.h"

namespace {

class Events final : public app::ReceiverEvents {
public:
    // A notice (the table is full) is raised only when it is so; input after
    // it, datagrams too, is taken as before (the byte counts below).
    void operatorMessage(base::MessageIcon, const std::string&, const std::string&) override {
        FUZZ_CHECK(rx && rx->targets().TargetCount() >= rx->targets().lifecycle().capacity);
        ++notices;
    }
    const app::Receiver* rx = nullptr;
    int notices = 0;

    void targetChangedByMessage(int entry) override {
        FUZZ_CHECK(entry >= 1 && entry <= targets::kMaxTargets);
    }
    void statusPanelChanged(int panel, const std::string&) override { FUZZ_CHECK(panel >= 1 && panel <= 7); }
    void sentenceSeen(std::string_view s) override { FUZZ_CHECK(!s.empty() && s.back() == '\n'); }
};

// A table three entries short of full, built once.
const targets::TargetTable& nearlyFullTable() {
    static const targets::TargetTable table = [] {
        targets::TargetTable t;
        targets::TableContext ctx;
        // Heard at the receivers' start time, so only a moving clock makes them lost.
        ctx.monotonic = base::ManualClock().monotonicSeconds();
        ais::AISMessageRecord rec;
        for (int i = 0; i < targets::kMaxTargets - 3; ++i) {
            rec.Type1.MMSI = 244000000 + 7 * i;
            t.AddOrUpdateTarget(targets::SentenceKind::VDM, 1, rec, ctx);
        }
        return t;
    }();
    return table;
}

void configure(app::Receiver& rx, uint8_t mode, bool nearlyFull) {
    targets::Reference& st = rx.reference();
    rx.setInputTests({.CheckChecksum = (mode & 1) != 0, .EmptyBuffer = (mode & 2) != 0});
    rx.setMonitoring(mode & 8);
    rx.setBinaryStandard((mode & 32) ? 1 : 0);
    if (mode & 64) {
        st.setMode(targets::kRefManual);
        st.moveTo(59.5, 5.3);
    }
    if (mode & 128) {
        for (int32_t mmsi : {257012300, 211000000, 0, -5}) {
            rx.shipDatabase().add({mmsi, "blue heron", "LABC", 9123456, 70, {100, 20, 10, 10}, 1});
        }
    }
    if (nearlyFull) rx.targets() = nearlyFullTable();
}

// Tag blocks in front of about half the lines, with groups whose ids and
// sizes collide often.
std::string withTags(std::string_view stream, fuzzing::SplitMix& rng) {
    std::string out;
    while (!stream.empty()) {
        const size_t lf = stream.find('\n');
        const size_t len = lf == std::string_view::npos ? stream.size() : lf + 1;
        if (rng.below(2) == 0) {
            const int size = 1 + static_cast<int>(rng.below(3));
            out += input::FormatTagBlock(rng.below(2) ? "s1" : "", static_cast<int64_t>(rng.below(4)) - 1,
                                         1 + static_cast<int>(rng.below(static_cast<uint64_t>(size))), size,
                                         static_cast<int64_t>(rng.below(3)));
        }
        out += stream.substr(0, len);
        stream.remove_prefix(len);
    }
    return out;
}

bool sameOutcome(const app::Receiver& a, const app::Receiver& b) {
    const auto counts = [](const app::Receiver& r) {
        const input::ReceiverTotals s = r.totals();
        return std::tuple(s.SentenceCount, s.ChecksumErrorCount, s.OverflowCount, s.OverflowBytes, s.NonAISCount,
                          s.MalformedCount, s.DecodedSentenceCount, s.IncompleteFragmentCount,
                          s.DecodedMessageCount, s.MessageTypeCount, s.Monitor[3], r.pendingFragments(),
                          r.targets().TargetCount());
    };
    if (counts(a) != counts(b)) return false;
    for (int n = 1; n <= a.targets().TargetCount(); ++n) {
        const auto& s = a.targets().entry(n);
        const auto& t = b.targets().entry(n);
        if (s.MMSI != t.MMSI || s.MsgCount != t.MsgCount || s.Id.Name != t.Id.Name || s.Fix.Latitude != t.Fix.Latitude) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t mode = data[0];
    fuzzing::SplitMix rng{data[1]};
    std::string stream(fuzzing::AsText(data + 2, size - 2));
    if (data[1] & 8) stream = withTags(stream, rng);
    stream += '\n';
    const input::InputKind kind = (mode & 4) ? input::InputKind::Tcp : input::InputKind::Serial;
    const bool movingClock = mode & 16;
    const bool nearlyFull = (data[1] & 0xE0) == 0xE0;
    const bool twoInputs = data[1] & 16;
    const bool datagrams = twoInputs && (mode & 4);

    base::ManualClock clock;
    Events events;
    app::Receiver rx(clock, events);
    events.rx = &rx;
    configure(rx, mode, nearlyFull);
    const int main = app::Receiver::kMainInput;
    rx.setInputKind(main, kind);
    const int second = twoInputs ? rx.addInput(datagrams ? input::InputKind::Udp : input::InputKind::Serial) : main;
    std::vector<int64_t> lineFeedsOf(static_cast<size_t>(second) + 1, 0), bytesOf(lineFeedsOf);

    size_t at = 0;
    int chunks = 0;
    while (at < stream.size()) {
        const size_t len = std::min(stream.size() - at, 1 + rng.below(rng.below(4) == 0 ? 4096 : 96));
        const std::string_view chunk = std::string_view(stream).substr(at, len);
        const int to = twoInputs && rng.below(2) ? second : main;
        rx.takeBytes(to, chunk);  // a UDP input ends its sentences with each chunk
        lineFeedsOf[static_cast<size_t>(to)] += std::count(chunk.begin(), chunk.end(), '\n');
        bytesOf[static_cast<size_t>(to)] += static_cast<int64_t>(chunk.size());
        at += len;
        if (movingClock) clock.advance(4.0);
        if (++chunks % 8 == 0) rx.ageTargets();
    }

    for (int n : {main, second}) {
        const input::InputCounters c = *rx.inputCounters(n);
        // Every byte handed to an input was taken, a notice pending or not.
        FUZZ_CHECK(c.Bytes == bytesOf[static_cast<size_t>(n)]);
        FUZZ_CHECK(c.Bytes == c.SentenceBytes + c.IgnoredBytes + c.OverflowBytes + c.CutOffBytes +
                                  static_cast<int64_t>(rx.pendingInput(n).size()));
        // A datagram may end inside an overlong line: that ends the line without a line feed.
        if (!(n == second && datagrams)) {
            FUZZ_CHECK(lineFeedsOf[static_cast<size_t>(n)] == c.Sentences + c.Ignored + c.Overflow);
        }
    }
    const input::ReceiverTotals st = rx.totals();
    if (!twoInputs) {
        const int64_t lineFeeds = std::count(stream.begin(), stream.end(), '\n');
        FUZZ_CHECK(lineFeeds == int64_t{st.SentenceCount} + st.IgnoredCount + st.OverflowCount);
    }
    const int64_t pending = rx.pendingFragments();
    FUZZ_CHECK(pending >= 0);
    FUZZ_CHECK(pending <= int64_t{input::VdmAssembler::kMaxKeys} * input::VdmAssembler::kMaxFragments *
                              (twoInputs ? 2 : 1));
    FUZZ_CHECK(st.DecodedMessageCount <= st.DecodedSentenceCount);
    FUZZ_CHECK(st.IncompleteMessageCount <= st.IncompleteFragmentCount);
    int64_t byType = 0;
    for (int64_t n : st.MessageTypeCount) byType += n;
    FUZZ_CHECK(byType == st.DecodedMessageCount);

    const auto& table = rx.targets();
    FUZZ_CHECK(table.TargetCount() >= 0 && table.TargetCount() <= targets::kMaxTargets);
    if (nearlyFull) {
        // An entry goes to another station only after it was freed (its
        // station lost long enough), which gives it a new generation.
        const targets::TargetTable& before = nearlyFullTable();
        for (int n = 1; n <= targets::kMaxTargets - 3; ++n) {
            if (table.Generation(n) == before.Generation(n)) FUZZ_CHECK(table.entry(n).MMSI == before.entry(n).MMSI);
        }
    }
    // Every row shows a different entry in use, and every entry in use has a row.
    std::vector<bool> seen(static_cast<size_t>(table.EntryCount()) + 1, false);
    for (int k = 1; k <= table.TargetCount(); ++k) {
        const int n = table.DisplayOrder()[static_cast<size_t>(k)];
        FUZZ_CHECK(table.InUse(n) && !seen[static_cast<size_t>(n)]);
        seen[static_cast<size_t>(n)] = true;
    }
    for (int n = 1; n <= table.EntryCount(); ++n) FUZZ_CHECK(!table.InUse(n) || seen[static_cast<size_t>(n)]);

    for (const targets::ShipDataItem& item : rx.shipDataOfRun()) fuzzing::ShipLineRoundTrip(item);

    if (!rx.inputTests().EmptyBuffer && !movingClock && !twoInputs) {
        base::ManualClock clock2;
        Events events2;
        app::Receiver whole(clock2, events2);
        events2.rx = &whole;
        configure(whole, mode, nearlyFull);
        whole.setInputKind(main, kind);
        whole.takeBytes(main, stream);
        FUZZ_CHECK(sameOutcome(rx, whole));
    }
    return 0;
}
