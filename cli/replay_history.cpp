#include "cli/replay_history.h"

namespace cli {

std::unique_ptr<ReplayHistory> ReplayHistory::Open(const std::string& location, const base::Clock& clock,
                                                   base::MessageSink& notices, std::string& error) {
    history::OpenResult writing = history::OpenHistoryStore(location);
    if (!writing.store) {
        error = writing.error;
        return nullptr;
    }
    if (!writing.error.empty()) notices.operatorMessage(base::MessageIcon::Exclamation, "History", writing.error);
    auto h = std::make_unique<ReplayHistory>();
    history::WriterSettings settings;
    settings.waitWhenFull = true;
    // A file has no live input to lose: batches as far apart as a crash may
    // cost (each batch rewrites every heard station's open block and row).
    settings.intervalSeconds = 1.0;
    // The run waits for the writer only at its end: with the input on two
    // threads as well, the writer takes the time they leave.
    settings.niceness = 10;
    h->writer_ = std::make_unique<history::HistoryWriter>(std::move(writing.store), settings);
    h->feed_ = std::make_unique<history::HistoryFeed>(*h->writer_, clock, &notices);
    // Static data already stored is not stored again.
    if (history::OpenResult reading = history::OpenHistoryStore(location); reading.store) h->feed_->seed(*reading.store);
    return h;
}

void ReplayHistory::finishSoon() {
    feed_->flush();  // normally already done by the receiver
    writer_->stopSoon();
}

std::string ReplayHistory::finish() {
    finishSoon();
    writer_->stop();
    for (const std::string& n : writer_->takeNotices()) std::fprintf(stderr, "orvanta-cli replay: %s\n", n.c_str());
    const history::WriterCounts c = writer_->counts();
    if (c.unwritten > 0 || c.dropped > 0) {
        return std::to_string(c.unwritten + c.dropped) + " rows did not reach the history store";
    }
    return {};
}

}  // namespace cli
