// A history store for tests of what writes to one: every question answers
// nothing; a test says what append() does.
#pragma once

#include "history/history_store.h"

namespace testing_support {

class WriteOnlyStore : public history::HistoryStore {
public:
    std::vector<history::PositionRow> track(int32_t, history::TimeMs, history::TimeMs) override { return {}; }
    std::vector<history::SituationEntry> situation(history::TimeMs, history::TimeMs) override { return {}; }
    std::vector<history::LastSeen> lastSeen(std::string_view, int) override { return {}; }
    std::vector<history::HourCount> countsPerHour(history::TimeMs, history::TimeMs) override { return {}; }
    std::vector<history::MessageRow> messages(history::TimeMs, history::TimeMs) override { return {}; }
    std::optional<std::pair<history::TimeMs, history::TimeMs>> span() override { return {}; }
    history::Status applyRetention(const history::Retention&, history::TimeMs) override { return {}; }
    std::string lastError() const override { return {}; }
};

}  // namespace testing_support
