#include "app/time_bar_desk.h"

#include <QDateTime>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "app/history_desk.h"
#include "app/plot_keeper_window.h"
#include "app/target_list_panel_window.h"
#include "app/time_bar_window.h"
#include "history/situation_table.h"
#include "station/receiver.h"
#include "windows/plot/plot_window.h"
#include "windows/targets/target_list_model.h"

namespace app {

namespace {
// The store the writer writes to, or none when history is off or failed.
std::string WrittenStore(const HistoryDesk& history) {
    const HistoryKeeper* keeper = history.keeper();
    return keeper && keeper->running() ? keeper->report().location : std::string();
}
}  // namespace

QString TimeBarDesk::BannerText(qint64 ms) {
    return "HISTORY " + QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss");
}

TimeBarDesk::TimeBarDesk(Receiver& receiver, TargetListPanel& list, PlotKeeper& plot, HistoryDesk& history,
                         QObject* parent)
    : QObject(parent),
      receiver_(receiver),
      list_(list),
      plot_(plot),
      history_(history),
      pastClock_(base::DateTime(), history::kSituationClockAt) {
    model_ = new targets::TargetListModel(table_, receiver_.reference(), this);
    tick_ = new QTimer(this);
    tick_->setInterval(kTickMs);
    connect(tick_, &QTimer::timeout, this, &TimeBarDesk::tick);
    spanTimer_ = new QTimer(this);
    spanTimer_->setInterval(kSpanRefreshMs);
    connect(spanTimer_, &QTimer::timeout, this, [this] { reader_->askSpan(); });
    reader_ = std::make_unique<history::SituationReader>(
        history::OpenHistoryStore, [this](history::SituationReader::Answer a) {
            QMetaObject::invokeMethod(this, [this, a = std::move(a)]() mutable { take(std::move(a)); },
                                      Qt::QueuedConnection);
        });
    connect(&history_, &HistoryDesk::restarted, this, [this] { setStore(WrittenStore(history_)); });
    connect(&plot_, &PlotKeeper::windowMade, this, [this](plot::FrmGraphics& window) {
        auto* bar = new TimeBar(&window);
        window.addToolBar(Qt::BottomToolBarArea, bar);
        attach(*bar);
        connect(&window, &plot::FrmGraphics::closed, this, &TimeBarDesk::goLive);
    });
    setStore(WrittenStore(history_));
}

TimeBarDesk::~TimeBarDesk() {
    reader_.reset();
    if (!live()) {
        list_.showTable(nullptr, nullptr, {});
        plot_.showTable(nullptr, {}, nullptr);
    }
}

void TimeBarDesk::setStore(const std::string& location) {
    if (location == location_) return;
    goLive();
    location_ = location;
    span_.reset();
    problem_.clear();
    reader_->setLocation(location);
    reader_->askSpan();
    showBar();
}

void TimeBarDesk::attach(TimeBar& bar) {
    bar_ = &bar;
    connect(&bar, &TimeBar::momentChosen, this, &TimeBarDesk::showMoment);
    connect(&bar, &TimeBar::stepRequested, this, &TimeBarDesk::step);
    connect(&bar, &TimeBar::playToggled, this, &TimeBarDesk::setPlaying);
    connect(&bar, &TimeBar::speedChosen, this, &TimeBarDesk::setSpeed);
    connect(&bar, &TimeBar::liveRequested, this, &TimeBarDesk::goLive);
    // Without its bar the past could not be left: its window closing goes Live.
    connect(&bar, &QObject::destroyed, this, [this] {
        spanTimer_->stop();
        goLive();
    });
    spanTimer_->start();
    reader_->askSpan();
    showBar();
}

qint64 TimeBarDesk::latestStored() const {
    return span_ ? span_->second : receiver_.clock().utcMilliseconds();
}

void TimeBarDesk::showMoment(qint64 ms) {
    if (location_.empty()) return;
    if (span_) ms = std::clamp(ms, span_->first, span_->second);
    const bool entering = live();
    moment_ = ms;
    list_.setPastMoment(ms);
    if (entering) {
        list_.showTable(&table_, model_, BannerText(ms));
        plot_.showTable(&table_, BannerText(ms), &pastClock_);
    }
    if (playing_) {
        playFrom_ = ms;
        playClock_.restart();
    }
    ask(ms, false);
    showBar();
}

void TimeBarDesk::step(int seconds) { showMoment(moment_.value_or(latestStored()) + qint64{seconds} * 1000); }

void TimeBarDesk::setPlaying(bool on) {
    if (on && live()) on = false;  // play goes forward from a past moment
    playing_ = on;
    if (on) {
        playFrom_ = *moment_;
        playClock_.restart();
        tick_->start();
    } else {
        tick_->stop();
    }
    showBar();
}

void TimeBarDesk::setSpeed(double speed) {
    if (playing_) {
        playFrom_ = moment_.value_or(playFrom_);
        playClock_.restart();
    }
    speed_ = std::clamp(speed, 1.0, 1000.0);
    showBar();
}

void TimeBarDesk::tick() {
    if (!playing_ || live()) return tick_->stop();
    qint64 now = playFrom_ + std::llround(speed_ * static_cast<double>(playClock_.elapsed()));
    if (span_ && now >= span_->second) {
        now = span_->second;  // the end of what is stored: wait there
        playing_ = false;
        tick_->stop();
    }
    moment_ = now;
    if (answered_ == asked_ || !playing_) ask(now, true);
    showBar();
}

void TimeBarDesk::goLive() {
    playing_ = false;
    tick_->stop();
    ++asked_;  // an answer still on its way is stale now
    answered_ = asked_;
    if (!live()) {
        moment_.reset();
        list_.showTable(nullptr, nullptr, {});
        plot_.showTable(nullptr, {}, nullptr);
        table_ = targets::TargetTable();
        model_->TableReplaced();
    }
    showBar();
}

void TimeBarDesk::ask(qint64 ms, bool continued) {
    askedContinued_ = continued;
    reader_->ask({++asked_, ms, kWindowMs, receiver_.reference()});
}

void TimeBarDesk::take(history::SituationReader::Answer answer) {
    if (answer.span) span_ = answer.span;
    problem_ = QString::fromStdString(answer.error);
    if (answer.id == 0 || answer.id != asked_ || live()) {
        showBar();
        return;
    }
    answered_ = answer.id;
    if (answer.table) {
        table_ = std::move(*answer.table);  // filled on the reader's thread
    } else {
        table_ = targets::TargetTable();
        history::FillSituationTable(table_, answer.entries, answer.at, receiver_.reference());
    }
    const QString banner = BannerText(answer.at);
    list_.setPastMoment(answer.at);
    list_.showTable(&table_, model_, banner);
    list_.tableRefilled();
    plot_.showTable(&table_, banner, &pastClock_);
    plot_.tableRefilled(askedContinued_);
    showBar();
    emit situationShown(answer.at);
}

void TimeBarDesk::showBar() {
    if (!bar_) return;
    bar_->setEnabled(!location_.empty());
    bar_->showState(span_, moment_, playing_, speed_);
    bar_->showProblem(location_.empty() ? QString("No history is kept (Options > History)") : problem_);
}

}  // namespace app
