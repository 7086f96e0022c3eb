// The reader answers on its own thread, and only the newest question counts:
// questions asked while a query runs collapse into the last of them. A store
// that cannot be opened is an answer with its error, and a new location is
// opened for the next question.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "history/situation_reader.h"
#include "support/write_only_store.h"

namespace {

using history::SituationReader;
using history::TimeMs;

// Holds every situation query until released; answers one station whose
// MMSI is the moment asked for.
class HeldStore : public testing_support::WriteOnlyStore {
public:
    std::promise<void> started;
    std::shared_future<void> release;
    explicit HeldStore(std::shared_future<void> r) : release(std::move(r)) {}
    history::Status append(const history::Batch&) override { return {}; }
    std::vector<history::SituationEntry> situation(TimeMs at, TimeMs) override {
        if (!startedOnce_) started.set_value(), startedOnce_ = true;
        release.wait();
        history::SituationEntry e;
        e.position.mmsi = static_cast<int32_t>(at);
        return {e};
    }
    std::optional<std::pair<TimeMs, TimeMs>> span() override { return std::make_pair(TimeMs{10}, TimeMs{20}); }

private:
    bool startedOnce_ = false;
};

struct Answers {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<SituationReader::Answer> got;
    void add(SituationReader::Answer a) {
        std::lock_guard lock(mutex);
        got.push_back(std::move(a));
        changed.notify_all();
    }
    // Waits for n answers (at most a few seconds) and returns them.
    std::vector<SituationReader::Answer> wait(size_t n) {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return got.size() >= n; });
        return got;
    }
};

TEST(SituationReader, QuestionsAskedDuringAQueryCollapseIntoTheNewest) {
    std::promise<void> release;
    std::atomic<HeldStore*> store{nullptr};
    std::vector<std::string> opened;
    Answers answers;
    SituationReader reader(
        [&](std::string_view location, const std::string&) {
            opened.emplace_back(location);
            auto s = std::make_unique<HeldStore>(release.get_future().share());
            store.store(s.get());
            return history::OpenResult{std::move(s), {}};
        },
        [&](SituationReader::Answer a) { answers.add(std::move(a)); });
    reader.setLocation("a.sqlite");
    reader.ask({1, 1001, 60'000, {}});
    while (!store.load()) std::this_thread::yield();
    store.load()->started.get_future().wait();
    reader.ask({2, 1002, 60'000, {}});
    reader.ask({3, 1003, 60'000, {}});
    release.set_value();
    const auto got = answers.wait(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].id, 1u);
    EXPECT_EQ(got[1].id, 3u);
    EXPECT_EQ(got[1].entries.at(0).position.mmsi, 1003);
    ASSERT_TRUE(got[1].table);
    EXPECT_EQ(got[1].table->TargetCount(), 1);
    EXPECT_EQ(got[1].span, std::make_pair(TimeMs{10}, TimeMs{20}));
    EXPECT_EQ(opened, std::vector<std::string>{"a.sqlite"});  // one store for both
}

TEST(SituationReader, AStoreThatCannotOpenIsAnAnswerAndANewLocationIsTried) {
    Answers answers;
    std::vector<std::string> opened;
    SituationReader reader(
        [&](std::string_view location, const std::string&) {
            opened.emplace_back(location);
            return history::OpenResult{nullptr, "cannot open " + std::string(location)};
        },
        [&](SituationReader::Answer a) { answers.add(std::move(a)); });
    reader.ask({1, 5, 60'000, {}});
    EXPECT_EQ(answers.wait(1).back().error, "no history store");
    reader.setLocation("gone.sqlite");
    reader.ask({2, 5, 60'000, {}});
    EXPECT_EQ(answers.wait(2).back().error, "cannot open gone.sqlite");
    reader.setLocation("other.sqlite");
    reader.askSpan();
    EXPECT_EQ(answers.wait(3).back().id, 0u);
    EXPECT_EQ(opened, (std::vector<std::string>{"gone.sqlite", "other.sqlite"}));
}

}  // namespace
