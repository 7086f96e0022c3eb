// `orvanta-cli replay --history STORE`: the replay's receiver fills a history
// store through the same feed and writer thread as the desktop program; the
// writer waits for room rather than dropping, as a file has no live input.
#pragma once

#include <memory>
#include <string>

#include "base/clock.h"
#include "base/operator_messages.h"
#include "history/history_feed.h"
#include "history/history_writer.h"

namespace cli {

class ReplayHistory {
public:
    // Null with `error` set when the store cannot be opened.
    static std::unique_ptr<ReplayHistory> Open(const std::string& location, const base::Clock& clock,
                                               base::MessageSink& notices, std::string& error);
    history::HistoryFeed& feed() { return *feed_; }
    // Hands the last rows over and lets the writer write them and close the
    // store while the caller goes on.
    void finishSoon();
    // Waits for that (finishSoon() first when it was not called); empty when
    // every row reached the store, else why not.
    std::string finish();

private:
    std::unique_ptr<history::HistoryWriter> writer_;
    std::unique_ptr<history::HistoryFeed> feed_;
};

}  // namespace cli
