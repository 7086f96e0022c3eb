#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "sentence/framer.h"

namespace input {
namespace {

class Collect : public SentenceHandler {
public:
    void handleSentence(std::string_view sentence) override {
        sentences.emplace_back(sentence);
        if (onSentence) onSentence();
    }
    void sentenceIgnored() override { ignoredAt.push_back(framer->counts().Ignored); }
    void inputBufferChanged(std::string_view pending) override { buffers.emplace_back(pending); }
    const Framer* framer = nullptr;
    std::vector<std::string> sentences;
    std::vector<int64_t> ignoredAt;  // Ignored at each report
    std::vector<std::string> buffers;
    std::function<void()> onSentence;
};

struct Fixture {
    Fixture() : framer(collect) { collect.framer = &framer; }
    Collect collect;
    Framer framer;
    const FramerCounts& counts() const { return framer.counts(); }
};

using Lines = std::vector<std::string>;

TEST(Framer, SentencesEndAtLineFeedsAndKeepEverythingBefore) {
    struct Row {
        Lines notifications, sentences;
        std::string pending;
    };
    const Row rows[] = {
        {{"!AIVDM,1,1,,A,1", "23*45\r\n!AIV"}, {"!AIVDM,1,1,,A,123*45\r\n"}, "!AIV"},
        {{"a\r\nb\nc\r\nd"}, {"a\r\n", "b\n", "c\r\n"}, "d"},
        {{"\x01garbage!AIVDM\r\n"}, {"\x01garbage!AIVDM\r\n"}, ""},
    };
    for (const Row& row : rows) {
        Fixture f;
        for (const auto& n : row.notifications) f.framer.receive(n);
        EXPECT_EQ(f.collect.sentences, row.sentences);
        EXPECT_EQ(f.framer.pending(), row.pending);
        EXPECT_EQ(f.counts().Ignored, 0);
    }
    // Every byte value, NUL included, one byte per notification.
    Fixture f;
    std::string all;
    for (int c = 0; c < 256; ++c) {
        if (c != '\n') all.push_back(static_cast<char>(c));
    }
    all.push_back('\n');
    for (char c : all) f.framer.receive(std::string_view(&c, 1));
    EXPECT_EQ(f.collect.sentences, Lines{all});
}

TEST(Framer, EmptyBufferRuleHandsOverTheFirstAndCountsTheRest) {
    Fixture f;
    f.framer.setEmptyBuffer(true);
    f.framer.receive("one\r\ntwo\r\nthree\r\npart");
    // Discards are counted before the handed-over sentence is.
    EXPECT_EQ(std::tie(f.collect.sentences, f.counts().Ignored, f.counts().IgnoredBytes, f.collect.ignoredAt),
              std::tuple(Lines{"one\r\n"}, 2, 12, std::vector<int64_t>{1, 2}));
    EXPECT_EQ(f.framer.pending(), "part");
    f.framer.receive("\r\n");
    EXPECT_EQ(f.collect.sentences.back(), "part\r\n");
}

struct Outcome {
    Lines sentences;
    int64_t overflowCount = 0;
    int64_t overflowBytes = 0;
    bool operator==(const Outcome&) const = default;
};

Outcome frame(const std::string& bytes, size_t chunk) {
    Fixture f;
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        f.framer.receive(std::string_view(bytes).substr(at, chunk));
        EXPECT_LE(f.framer.pending().size(), Framer::kMaxLine);
    }
    return {f.collect.sentences, f.counts().Overflow, f.counts().OverflowBytes};
}

// A line past the bound is dropped whole and counted the same way whether it
// came in one notification or in many; lines at the bound are kept.
TEST(Framer, OverlongLinesEndTheSameWhateverTheChunking) {
    const std::string atBound(Framer::kMaxLine, 'a');
    const std::string pastBound(Framer::kMaxLine + 1, 'b');
    const std::string stream = "!AIVDM,first\r\n" + atBound + "\n" + pastBound + "\n" + std::string(70 * 1024, 'c') +
                               "!AIVDM,glued\r\n!AIVDM,last\r\n";
    const Outcome whole = frame(stream, stream.size());
    EXPECT_EQ(whole, (Outcome{{"!AIVDM,first\r\n", atBound + "\n", "!AIVDM,last\r\n"}, 2,
                              static_cast<int64_t>(pastBound.size() + 1 + 70 * 1024 + 14)}));
    for (size_t chunk : {size_t{1024}, size_t{4093}, Framer::kMaxLine, Framer::kMaxLine + 1}) {
        EXPECT_EQ(frame(stream, chunk), whole) << "chunks of " << chunk;
    }
}

TEST(Framer, BytesFedBackDuringHandlingAreQueuedNotInterleaved) {
    Fixture f;
    bool fed = false;
    f.collect.onSentence = [&] {
        if (!fed) {
            fed = true;
            f.framer.receive("inner\r\n");
        }
    };
    f.framer.receive("first\r\nsecond\r\n");
    EXPECT_EQ(f.collect.sentences, (Lines{"first\r\n", "second\r\n", "inner\r\n"}));
}

// A handler that stays busy (a modal box left open) while input keeps coming:
// what is held back stays bounded, the lines beyond the bound are counted as
// dropped, and the line cut in two by the bound is never handed over joined.
TEST(Framer, HeldBackInputIsBoundedAndEveryLineIsAccountedFor) {
    const std::string line = "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24\r\n";  // 50 bytes
    struct Case {
        const char* name;
        size_t chunk;      // bytes per nested notification
        bool endMidLine;   // the nested input stops in the middle of a line
    };
    const Case cases[] = {{"whole lines", 50 * 1000, false},
                          {"odd chunks", 4099, false},
                          {"odd chunks ending mid-line", 4099, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        std::string nested;
        for (size_t n = 0; nested.size() < 3 * Framer::kMaxHeldBack; ++n) nested += line;
        if (c.endMidLine) nested += line.substr(0, 20);
        bool fed = false;
        f.collect.onSentence = [&] {
            if (fed) return;
            fed = true;
            for (size_t at = 0; at < nested.size(); at += c.chunk) f.framer.receive(nested.substr(at, c.chunk));
        };
        f.framer.receive(line);
        // The rest of the cut line, then a good one.
        const std::string rest = c.endMidLine ? line.substr(20) : "";
        f.framer.receive(rest);
        f.framer.receive(line);

        const std::string all = line + nested + rest + line;
        const int64_t lineFeeds = std::count(all.begin(), all.end(), '\n');
        EXPECT_EQ(lineFeeds, static_cast<int64_t>(f.collect.sentences.size()) + f.counts().Overflow);
        EXPECT_GT(f.counts().Overflow, 0);
        EXPECT_LE(f.collect.sentences.size() * line.size(), Framer::kMaxHeldBack + 3 * line.size());
        for (const auto& s : f.collect.sentences) EXPECT_EQ(s, line);  // none joined from two pieces
        EXPECT_EQ(f.framer.pending(), "");
    }
}

}  // namespace
}  // namespace input
