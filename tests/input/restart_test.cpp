// An input that is opened, closed or lost drops its unfinished line. (When the
// connection manager does that: connection_test.cpp; that every byte ends in
// one counted outcome, per input: tests/app/receiver_test.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/framer.h"

namespace input {
namespace {

struct Lines : SentenceHandler {
    void handleSentence(std::string_view s) override { sentences.emplace_back(s); }
    std::vector<std::string> sentences;
};

TEST(FramerCutOff, TheOldTailNeverJoinsTheNextLine) {
    const std::string overlong(Framer::kMaxLine + 10, 'x');
    const struct Row {
        const char* what;
        std::string before, after;
        std::vector<std::string> sentences;
        int32_t cutOff, overflow;
    } rows[] = {
        {"tail dropped", "!AIVDM,1,1,,A,13a", "!AIVDM,1,1,,B,13aG,0*00\r\n", {"!AIVDM,1,1,,B,13aG,0*00\r\n"}, 1, 0},
        {"nothing pending", "$GPGGA\r\n", "X\n", {"$GPGGA\r\n", "X\n"}, 0, 0},
        {"overlong line ends as overflow", overlong, "X\n", {"X\n"}, 0, 1},
    };
    for (const Row& r : rows) {
        RunState state;
        Lines out;
        Framer framer(InputKind::Tcp, state, out);
        framer.receive(r.before);
        framer.dropUnfinished();
        framer.receive(r.after);
        EXPECT_EQ(out.sentences, r.sentences) << r.what;
        EXPECT_EQ(state.CutOffCount, r.cutOff) << r.what;
        EXPECT_EQ(state.OverflowCount, r.overflow) << r.what;
    }
}

}  // namespace
}  // namespace input
