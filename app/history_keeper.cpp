#include "app/history_keeper.h"

#include "ui/settings_store.h"

#include "station/receiver.h"

namespace app {

HistoryKeeper::HistoryKeeper(Receiver& receiver, const std::filesystem::path& dataDir, const Settings& settings,
                             base::MessageSink& notices)
    : receiver_(receiver) {
    if (!settings.on) return;
    const std::string path = (dataDir / "History.sqlite").string();
    history::OpenResult writing = history::OpenHistoryStore(path);
    if (!writing.store) {
        notices.operatorMessage(base::MessageIcon::Exclamation, "History",
                                "No history is kept in this run: " + writing.error);
        return;
    }
    if (!writing.error.empty()) notices.operatorMessage(base::MessageIcon::Exclamation, "History", writing.error);
    history::WriterSettings ws;
    ws.retain = true;
    ws.retention = settings.retention;
    writer_ = std::make_unique<history::HistoryWriter>(std::move(writing.store), ws);
    feed_ = std::make_unique<history::HistoryFeed>(*writer_, receiver.clock(), &notices);
    if (history::OpenResult reading = history::OpenHistoryStore(path); reading.store) feed_->seed(*reading.store);
    receiver_.setHistory(feed_.get());
}

HistoryKeeper::~HistoryKeeper() { stop(); }

HistoryKeeper::Settings HistoryKeeper::Stored(const ui::SettingsStore* store) {
    Settings s;
    if (!store) return s;
    s.on = store->readNumber("History", 1) != 0;
    s.retention.days = static_cast<int>(store->readNumber("HistoryDays", s.retention.days));
    s.retention.maxBytes =
        static_cast<int64_t>(store->readNumber("HistoryMegabytes", static_cast<double>(s.retention.maxBytes >> 20))) << 20;
    return s;
}

void HistoryKeeper::stop() {
    if (!writer_) return;
    receiver_.setHistory(nullptr);
    writer_->stop();
}

}  // namespace app
