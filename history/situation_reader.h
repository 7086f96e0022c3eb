// SituationReader: asks a history store for past situations on a thread of
// its own, so whoever shows them never waits for a query. It keeps one store
// object of its own (a reader, never the writer's), opened at the first
// question and again when the location changes.
//
// Only the newest question counts: one asked while another waits replaces
// it, so a dragged time bar costs one query per answer, not one per step.
// An answer carries the situation also as a target table, filled on the
// reader's thread (history/situation_table.h), and the store's span (the
// first and last stored time). Answers are handed to `deliver` on the
// reader's thread.
//
//   history::SituationReader reader(history::OpenHistoryStore, [](auto answer) { post(answer); });
//   reader.setLocation("/data/History.sqlite");
//   reader.ask({++id, at, 10 * 60 * 1000});
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "history/history_store.h"
#include "targets/reference.h"
#include "targets/target_table.h"

namespace history {

class SituationReader {
public:
    struct Question {
        uint64_t id = 0;
        TimeMs at = 0;
        TimeMs window = 0;
        targets::Reference reference;  // ranges and bearings of the table are measured from it
    };
    struct Answer {
        uint64_t id = 0;  // the question's; 0 for a span alone
        TimeMs at = 0;
        std::vector<SituationEntry> entries;
        std::shared_ptr<targets::TargetTable> table;  // the entries as the live table would hold them
        std::optional<std::pair<TimeMs, TimeMs>> span;
        std::string error;  // no store, or a query that failed
    };
    using Opener = std::function<OpenResult(std::string_view location, const std::string& spool)>;
    using Deliver = std::function<void(Answer)>;

    SituationReader(Opener open, Deliver deliver);
    // Waits for a query under way, then ends the thread.
    ~SituationReader();
    SituationReader(const SituationReader&) = delete;
    SituationReader& operator=(const SituationReader&) = delete;

    // The store questions go to from now on; empty: none (answers say so).
    void setLocation(std::string location);
    // The situation at q.at; replaces a question not started yet.
    void ask(const Question& q);
    // The span alone, answered with id 0 (with the next situation when one waits).
    void askSpan();

private:
    void run();
    Answer answer(const std::optional<Question>& q, const std::string& location);

    Opener open_;
    Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Question> pending_;
    bool spanWanted_ = false;
    bool stopping_ = false;
    std::string location_;
    // Used by the thread only.
    std::unique_ptr<HistoryStore> store_;
    std::string openLocation_;
    std::thread thread_;
};

}  // namespace history
