// TimeBarDesk: the past on the desk. Driven by the time bar under the plot
// (TimeBar), it shows the situation of a chosen moment in the target list
// and the plot: a table of its own, filled from the history store, shown
// under a banner "HISTORY 2026-12-07 14:00:00" (UTC) and tinted, while the
// live table goes on taking the receiver's messages underneath (alarms, the
// watch and the counters go on with live data). Live shows the live table
// again.
//
// Queries run on a reader thread with its own store object, which also
// fills the table (history/situation_reader.h); the window never waits. A
// newer question supersedes an older one, and an answer to an older one is
// dropped. Playing forward, the moment advances speed× wall time and is
// asked for at most every kTickMs, never while an answer is outstanding.
//
//   auto* desk = new app::TimeBarDesk(receiver, listPanel, plotKeeper, historyDesk, mainWindow);
//   // the bar joins the plot window when it opens; Options > History changing the store goes Live
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "base/clock.h"
#include "history/situation_reader.h"
#include "targets/target_table.h"

class QTimer;

namespace targets {
class TargetListModel;
}

namespace app {

class HistoryDesk;
class PlotKeeper;
class Receiver;
class TargetListPanel;
class TimeBar;

class TimeBarDesk : public QObject {
    Q_OBJECT
public:
    static constexpr history::TimeMs kWindowMs = 10 * 60 * 1000;  // a station older than this is not shown
    static constexpr int kTickMs = 250;
    static constexpr int kSpanRefreshMs = 5000;

    TimeBarDesk(Receiver& receiver, TargetListPanel& list, PlotKeeper& plot, HistoryDesk& history,
                QObject* parent = nullptr);
    ~TimeBarDesk() override;

    // The store the past comes from (a SQLite file or a server URL; empty:
    // none). A change goes Live first.
    void setStore(const std::string& location);
    // The bar to show on and listen to (the plot window's); it may go away
    // with its window, which goes Live.
    void attach(TimeBar& bar);

    bool live() const { return !moment_.has_value(); }
    // The moment shown or asked for, ms UTC; nullopt while live.
    std::optional<qint64> moment() const { return moment_; }
    bool playing() const { return playing_; }

    // What the bar asks for.
    void showMoment(qint64 ms);
    void step(int seconds);
    void setPlaying(bool on);
    void setSpeed(double speed);
    void goLive();

    // An answer of the reader, on the window thread.
    void take(history::SituationReader::Answer answer);
    // The number of the newest question; an answer to an older one is stale.
    uint64_t newestQuestion() const { return asked_; }
    const targets::TargetTable& pastTable() const { return table_; }
    // "HISTORY 2026-12-07 14:00:00", the moment in UTC.
    static QString BannerText(qint64 ms);

signals:
    // A past situation was put in the list and the plot.
    void situationShown(qint64 ms);

private:
    void ask(qint64 ms, bool continued);
    void tick();
    void showBar();
    qint64 latestStored() const;

    Receiver& receiver_;
    TargetListPanel& list_;
    PlotKeeper& plot_;
    HistoryDesk& history_;
    std::string location_;
    targets::TargetTable table_;
    targets::TargetListModel* model_ = nullptr;
    // The past table's reports age against this monotonic reading (plot tips).
    base::ManualClock pastClock_;
    std::optional<qint64> moment_;
    std::optional<std::pair<qint64, qint64>> span_;
    bool playing_ = false;
    double speed_ = 1;
    qint64 playFrom_ = 0;
    QElapsedTimer playClock_;
    uint64_t asked_ = 0;
    uint64_t answered_ = 0;
    bool askedContinued_ = false;
    QString problem_;
    QTimer* tick_ = nullptr;
    QTimer* spanTimer_ = nullptr;
    QPointer<TimeBar> bar_;
    // Last: its thread ends first, before anything it hands answers to.
    std::unique_ptr<history::SituationReader> reader_;
};

}  // namespace app
