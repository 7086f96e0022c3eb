#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "input/framer.h"

namespace input {
namespace {

class Collect : public SentenceHandler {
public:
    explicit Collect(input::RunState& s) : state(s) {}
    void handleSentence(std::string_view sentence) override {
        state.SentenceCount++;
        sentences.emplace_back(sentence);
        if (onSentence) onSentence();
    }
    void sentenceIgnored(InputKind) override { ignoredAt.push_back(state.IgnoredCount); }
    void inputBufferChanged(std::string_view pending) override { buffers.emplace_back(pending); }
    input::RunState& state;
    std::vector<std::string> sentences;
    std::vector<int32_t> ignoredAt;  // IgnoredCount at each report
    std::vector<std::string> buffers;
    std::function<void()> onSentence;
};

struct Fixture {
    explicit Fixture(InputKind kind) : collect(state), framer(kind, state, collect) {}
    input::RunState state;
    Collect collect;
    Framer framer;
};

TEST(Framer, SentenceSplitAcrossNotificationsIsJoinedOnBothPaths) {
    for (InputKind kind : {InputKind::Serial, InputKind::Tcp}) {
        Fixture f(kind);
        f.framer.receive("!AIVDM,1,1,,A,1");
        EXPECT_TRUE(f.collect.sentences.empty());
        f.framer.receive("23*45\r\n!AIV");
        ASSERT_EQ(f.collect.sentences.size(), 1u);
        EXPECT_EQ(f.collect.sentences[0], "!AIVDM,1,1,,A,123*45\r\n");
        EXPECT_EQ(f.framer.pending(), "!AIV");
    }
}

TEST(Framer, EveryCompleteSentenceOfANotificationIsHandedOverInOrder) {
    for (InputKind kind : {InputKind::Serial, InputKind::Tcp}) {
        Fixture f(kind);
        f.framer.receive("a\r\nb\nc\r\nd");
        EXPECT_EQ(f.collect.sentences, (std::vector<std::string>{"a\r\n", "b\n", "c\r\n"}));
        EXPECT_EQ(f.state.IgnoredCount, 0);
    }
}

TEST(Framer, LineFeedOnlyFeedsAreFramed) {
    Fixture f(InputKind::Tcp);
    f.framer.receive("x\ny\n");
    EXPECT_EQ(f.collect.sentences, (std::vector<std::string>{"x\n", "y\n"}));
}

TEST(Framer, TextBeforeTheStartCharacterStays) {
    Fixture f(InputKind::Serial);
    f.framer.receive("\x01garbage!AIVDM\r\n");
    EXPECT_EQ(f.collect.sentences.at(0), "\x01garbage!AIVDM\r\n");
}

TEST(Framer, EmptyBufferRuleHandsOverTheFirstAndCountsTheRest) {
    Fixture f(InputKind::Serial);
    f.state.EmptyBuffer = true;
    f.framer.receive("one\r\ntwo\r\nthree\r\npart");
    EXPECT_EQ(f.collect.sentences, (std::vector<std::string>{"one\r\n"}));
    EXPECT_EQ(f.state.IgnoredCount, 2);
    // Discards are counted before the handed-over sentence is.
    EXPECT_EQ(f.collect.ignoredAt, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(f.state.SentenceCount, 1);
    EXPECT_EQ(f.framer.pending(), "part");
    f.framer.receive("\r\n");
    EXPECT_EQ(f.collect.sentences.back(), "part\r\n");
}

TEST(Framer, PortMonitorSeesTheBufferOnlyWhileOpen) {
    Fixture f(InputKind::Serial);
    f.framer.receive("ab");
    EXPECT_TRUE(f.collect.buffers.empty());
    f.state.PortMonitorOpen = true;
    f.framer.receive("c\n");
    EXPECT_EQ(f.collect.buffers, (std::vector<std::string>{"abc\n"}));
}

TEST(Framer, OverlongLineIsDroppedWholeAndCounted) {
    Fixture f(InputKind::Tcp);
    const std::string chunk(10000, 'x');
    for (int i = 0; i < 20; ++i) f.framer.receive(chunk);  // 200 000 bytes, no line feed
    EXPECT_LE(f.framer.pending().size(), Framer::kMaxLine);
    f.framer.receive("tail\r\n!AIVDM\r\n");
    EXPECT_EQ(f.collect.sentences, (std::vector<std::string>{"!AIVDM\r\n"}));
    EXPECT_EQ(f.state.OverflowCount, 1);
    EXPECT_EQ(f.state.OverflowBytes, 200000 + 6);
}

TEST(Framer, EveryByteValueAndNulBytesAreFramedWithoutLoss) {
    Fixture f(InputKind::Serial);
    std::string all;
    for (int c = 0; c < 256; ++c) {
        if (c != '\n') all.push_back(static_cast<char>(c));
    }
    all.push_back('\n');
    // Feed it one byte at a time.
    for (char c : all) f.framer.receive(std::string_view(&c, 1));
    ASSERT_EQ(f.collect.sentences.size(), 1u);
    EXPECT_EQ(f.collect.sentences[0], all);
}

TEST(Framer, BytesFedBackDuringHandlingAreQueuedNotInterleaved) {
    Fixture f(InputKind::Tcp);
    bool fed = false;
    f.collect.onSentence = [&] {
        if (!fed) {
            fed = true;
            f.framer.receive("inner\r\n");
        }
    };
    f.framer.receive("first\r\nsecond\r\n");
    EXPECT_EQ(f.collect.sentences, (std::vector<std::string>{"first\r\n", "second\r\n", "inner\r\n"}));
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
        Fixture f(InputKind::Tcp);
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
        EXPECT_EQ(lineFeeds, int64_t{f.state.SentenceCount} + f.state.OverflowCount);
        EXPECT_GT(f.state.OverflowCount, 0);
        EXPECT_LE(f.collect.sentences.size() * line.size(), Framer::kMaxHeldBack + 3 * line.size());
        for (const auto& s : f.collect.sentences) EXPECT_EQ(s, line);  // none joined from two pieces
        EXPECT_EQ(f.framer.pending(), "");
    }
}

}  // namespace
}  // namespace input
