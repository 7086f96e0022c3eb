#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/framer.h"

namespace input {
namespace {

class Collect : public SentenceHandler {
public:
    void handleSentence(std::string_view sentence) override { sentences.emplace_back(sentence); }
    std::vector<std::string> sentences;
};

struct Outcome {
    std::vector<std::string> sentences;
    int32_t overflowCount = 0;
    int64_t overflowBytes = 0;
    bool operator==(const Outcome&) const = default;
};

Outcome frame(const std::string& bytes, size_t chunk) {
    input::RunState state;
    Collect collect;
    Framer framer(InputKind::Tcp, state, collect);
    for (size_t at = 0; at < bytes.size(); at += chunk) framer.receive(std::string_view(bytes).substr(at, chunk));
    return {collect.sentences, state.OverflowCount, state.OverflowBytes};
}

// A line past the bound is dropped and counted the same way whether it came
// in one notification or in many; lines at the bound are kept.
TEST(FramerChunking, OverlongLinesEndTheSameWhateverTheChunking) {
    const std::string atBound(Framer::kMaxLine, 'a');
    const std::string pastBound(Framer::kMaxLine + 1, 'b');
    const std::string stream = "!AIVDM,first\r\n" + atBound + "\n" + pastBound + "\n" + std::string(70 * 1024, 'c') +
                               "!AIVDM,glued\r\n!AIVDM,last\r\n";
    const Outcome whole = frame(stream, stream.size());
    EXPECT_EQ(whole.sentences.size(), 3u);
    EXPECT_EQ(whole.sentences.back(), "!AIVDM,last\r\n");
    EXPECT_EQ(whole.overflowCount, 2);
    EXPECT_EQ(whole.overflowBytes, static_cast<int64_t>(pastBound.size() + 1 + 70 * 1024 + 14));
    for (size_t chunk : {size_t{1024}, size_t{4093}, Framer::kMaxLine, Framer::kMaxLine + 1}) {
        EXPECT_EQ(frame(stream, chunk), whole) << "chunks of " << chunk;
    }
}

}  // namespace
}  // namespace input
