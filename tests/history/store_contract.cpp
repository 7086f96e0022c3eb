// The cases of the store contract (store_contract.h); each back end runs all of them.
#include "history_store_rows.h"
#include "store_contract.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <map>
#include <thread>
#include <string>
#include <vector>

namespace history_test {
namespace {

using history::Batch;
using history::PositionRow;
using history::StaticRow;
using history::TimeMs;

constexpr TimeMs kT0 = 1796601600000;  // 2026-12-07T00:00:00Z
constexpr TimeMs kHour = 3600000;
constexpr TimeMs kDay = 24 * kHour;

std::vector<TimeMs> Times(const std::vector<PositionRow>& rows) {
    std::vector<TimeMs> t;
    for (const auto& r : rows) t.push_back(r.time - kT0);
    return t;
}

TEST_P(StoreContract, TrackHoldsBothBoundsAndOnlyItsStation) {
    Batch b;
    for (TimeMs t : {1000, 2000, 3000, 4000}) b.positions.push_back(Position(111, kT0 + t));
    b.positions.push_back(Position(222, kT0 + 2500));
    b.positions.push_back(Position(111, kT0 - 1));  // before every window below but the last
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    struct Case { TimeMs from, to; std::vector<TimeMs> times; };
    const Case cases[] = {
        {2000, 3000, {2000, 3000}},        // both bounds are in
        {2001, 2999, {}},                  // nothing strictly between
        {0, 10000, {1000, 2000, 3000, 4000}},
        {4000, 4000, {4000}},              // a window of one moment
        {3000, 2000, {}},                  // reversed: nothing
        {-1, 1000, {-1, 1000}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Times(store->track(111, kT0 + c.from, kT0 + c.to)), c.times) << c.from << ".." << c.to;
    }
    EXPECT_TRUE(store->track(333, kT0, kT0 + kDay).empty());
}

TEST_P(StoreContract, SituationTakesLatestPositionInWindowAndStaticAtOrBefore) {
    Batch b;
    b.positions = {Position(111, kT0 + 1000), Position(111, kT0 + 5000), Position(111, kT0 + 9000),
                   Position(222, kT0 + 4000), Position(333, kT0 - 60000)};
    b.statics = {Static(111, kT0 + 500, "FIRST"), Static(111, kT0 + 5000, "SECOND"), Static(222, kT0 + 6000, "LATE")};
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    struct Case {
        TimeMs at, window;
        // mmsi, its position's time, its static name ("" none)
        std::vector<std::tuple<int32_t, TimeMs, std::string>> want;
    };
    const Case cases[] = {
        {5000, 10000, {{111, 5000, "SECOND"}, {222, 4000, ""}}},  // a static at the moment itself counts
        {4999, 10000, {{111, 1000, "FIRST"}, {222, 4000, ""}}},
        {9000, 4000, {{111, 9000, "SECOND"}}},                     // 222 at 4000 is not after 9000 - 4000 (open start)
        {9000, 5001, {{111, 9000, "SECOND"}, {222, 4000, "LATE"}}},
        {0, 1000, {}},
        {0, 61000, {{333, -60000, ""}}},
    };
    for (const Case& c : cases) {
        auto got = store->situation(kT0 + c.at, c.window);
        std::sort(got.begin(), got.end(), [](auto& x, auto& y) { return x.position.mmsi < y.position.mmsi; });
        std::vector<std::tuple<int32_t, TimeMs, std::string>> seen;
        for (const auto& e : got) {
            seen.emplace_back(e.position.mmsi, e.position.time - kT0, e.statics ? e.statics->name : "");
        }
        EXPECT_EQ(seen, c.want) << "at " << c.at << " window " << c.window;
    }
}

TEST_P(StoreContract, LastSeenMatchesDigitsNameAndCallSignIgnoringCase) {
    Batch b;
    b.positions = {Position(244123456, kT0 + 1000, 52.0, 4.0), Position(244123456, kT0 + 3000, 52.5, 4.5),
                   Position(211000999, kT0 + 2000, 54.0, 8.0)};
    b.statics = {Static(244123456, kT0 + 500, "NORDIC STAR", "PD1234"),
                 Static(211000999, kT0 + 600, "Star of Kiel", "DABC"),
                 Static(366000001, kT0 + 4000, "NEVER MOVED", "WXYZ")};
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    struct Case { std::string text; std::vector<int32_t> mmsis; };
    const Case cases[] = {
        {"star", {244123456, 211000999}},  // newest first
        {"STAR OF", {211000999}},
        {"pd12", {244123456}},
        {"1234", {244123456}},             // digits of the MMSI or call sign
        {"000", {366000001, 211000999}},
        {"wxyz", {366000001}},             // static data only: no position
        {"nobody", {}},
        {"%", {}},                         // no wildcard
        {"_", {}},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> got;
        for (const auto& l : store->lastSeen(c.text, 10)) got.push_back(l.mmsi);
        EXPECT_EQ(got, c.mmsis) << c.text;
    }
    // Each found station as "time lat lon call sign", the position its latest.
    const auto found = [&](const std::string& text) {
        std::vector<std::string> out;
        for (const auto& l : store->lastSeen(text, 10)) {
            out.push_back(std::to_string(l.time - kT0) + " " + (l.latitude ? std::to_string(*l.latitude) : "-") + " " +
                          (l.longitude ? std::to_string(*l.longitude) : "-") + " " + l.callSign);
        }
        return out;
    };
    EXPECT_EQ(found("nordic"), std::vector<std::string>{"3000 52.500000 4.500000 PD1234"});
    EXPECT_EQ(found("never"), std::vector<std::string>{"4000 - - WXYZ"});
    EXPECT_EQ(store->lastSeen("star", 1).size(), 1u);
    // In later batches a newer position moves the station; a late, older one does not.
    for (const auto& [time, lat] : {std::pair(kT0 + 5000, 53.0), std::pair(kT0 + 4000, 50.0)}) {
        Batch next;
        next.positions = {Position(244123456, time, lat, 5.0)};
        ASSERT_TRUE(store->append(next).ok()) << store->lastError();
    }
    EXPECT_EQ(found("nordic"), std::vector<std::string>{"5000 53.000000 5.000000 PD1234"});
}

// Stations heard in turns, in batches half a minute apart for 20 minutes,
// one also naming itself late: after every batch, the latest one, two and
// three stations are those with the newest reports, each at its newest
// position, whichever batch stored it.
TEST_P(StoreContract, LastSeenFollowsStationsAcrossManyBatches) {
    const int32_t mmsis[] = {211000001, 211000002, 211000003};
    struct Latest { TimeMs time = 0; std::string place = "- -"; };
    std::map<int32_t, Latest> latest;
    const auto text = [](double v) { return std::to_string(v); };
    for (int batch = 0; batch < 40; ++batch) {
        Batch b;
        const TimeMs at = kT0 + batch * 30000;
        for (int s = 0; s < 3; ++s) {
            if ((batch + s) % 3 == 0) continue;
            const double lat = 50 + batch * 0.001 + s * 0.1, lon = 4 - batch * 0.002;
            b.positions.push_back(Position(mmsis[s], at + s * 1000, lat, lon));
            latest[mmsis[s]] = {at + s * 1000, text(lat) + " " + text(lon)};
        }
        if (batch == 25) {
            b.statics.push_back(Static(mmsis[0], at + 5000, "LATE NAME"));
            latest[mmsis[0]].time = at + 5000;  // heard, where it was last
        }
        ASSERT_TRUE(store->append(b).ok()) << store->lastError();
        std::vector<std::pair<int32_t, Latest>> order(latest.begin(), latest.end());
        std::sort(order.begin(), order.end(), [](const auto& x, const auto& y) { return x.second.time > y.second.time; });
        for (int limit = 1; limit <= 3; ++limit) {
            std::vector<std::string> got, want;
            for (const auto& l : store->lastSeen("21100000", limit)) {
                got.push_back(std::to_string(l.mmsi) + " " + std::to_string(l.time - kT0) + " " +
                              (l.latitude ? text(*l.latitude) + " " + text(*l.longitude) : "- -"));
            }
            for (size_t k = 0; k < order.size() && k < static_cast<size_t>(limit); ++k) {
                want.push_back(std::to_string(order[k].first) + " " + std::to_string(order[k].second.time - kT0) + " " +
                               order[k].second.place);
            }
            ASSERT_EQ(got, want) << "batch " << batch << ", limit " << limit;
        }
    }
}

TEST_P(StoreContract, CountsPerHourAndSpan) {
    EXPECT_FALSE(store->span().has_value());
    Batch b;
    b.positions = {Position(1, kT0), Position(1, kT0 + kHour - 1), Position(2, kT0 + kHour), Position(3, kT0 + 3 * kHour)};
    b.statics = {Static(1, kT0 + 10, "A")};
    b.messages = {Message(1, kT0 + 3 * kHour + 5, "{}"), Message(2, kT0 + 4 * kHour, "{}")};
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    std::vector<std::tuple<TimeMs, int64_t, int64_t, int64_t>> counts;
    for (const auto& h : store->countsPerHour(kT0, kT0 + 4 * kHour)) {  // the end is out
        counts.emplace_back(h.hour - kT0, h.positions, h.statics, h.messages);
    }
    EXPECT_EQ(counts, (decltype(counts){{0, 2, 1, 0}, {kHour, 1, 0, 0}, {3 * kHour, 1, 0, 1}}));
    EXPECT_EQ(store->span(), std::make_pair(kT0, kT0 + 4 * kHour));
    const auto messages = store->messages(kT0 + 3 * kHour + 5, kT0 + 4 * kHour);
    EXPECT_EQ(messages.size(), 2u);
}

TEST_P(StoreContract, RetentionByDaysDropsOnlyOlderRows) {
    Batch b;
    for (int day = 0; day < 5; ++day) {
        b.positions.push_back(Position(1, kT0 + day * kDay));
        b.statics.push_back(Static(1, kT0 + day * kDay, "D" + std::to_string(day)));
        b.messages.push_back(Message(1, kT0 + day * kDay, "{}"));
    }
    ASSERT_TRUE(store->append(b).ok());
    ASSERT_TRUE(store->applyRetention({2, 0}, kT0 + 4 * kDay + 1).ok()) << store->lastError();
    EXPECT_EQ(Times(store->track(1, kT0 - kDay, kT0 + 10 * kDay)), (std::vector<TimeMs>{3 * kDay, 4 * kDay}));
    EXPECT_EQ(store->span(), std::make_pair(kT0 + 3 * kDay, kT0 + 4 * kDay));
    EXPECT_EQ(store->messages(kT0 - kDay, kT0 + 10 * kDay).size(), 2u);
    // No limits: nothing goes.
    ASSERT_TRUE(store->applyRetention({0, 0}, kT0 + 100 * kDay).ok());
    EXPECT_EQ(store->track(1, kT0 - kDay, kT0 + 10 * kDay).size(), 2u);
}

// Retention keeps a station that is still heard in the kept days, and
// forgets one heard only before them, whichever batches stored them.
TEST_P(StoreContract, RetentionKeepsStationsHeardAfterTheCutoff) {
    const TimeMs cutoff = kT0 + 2 * kDay;
    const std::pair<TimeMs, double> reports[] = {
        {cutoff - 5 * 60000, 50.0}, {cutoff + 3 * 60000, 50.5},  // 211000001: on both sides
    };
    for (const auto& [time, lat] : reports) {
        Batch b;
        b.positions = {Position(211000001, time, lat, 4.0)};
        if (time < cutoff) b.positions.push_back(Position(211000002, time - 60000, 51.0, 4.0));  // before only
        ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    }
    ASSERT_TRUE(store->applyRetention({2, 0}, kT0 + 4 * kDay).ok()) << store->lastError();
    const auto seen = store->lastSeen("21100000", 10);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].mmsi, 211000001);
    EXPECT_EQ(seen[0].time, cutoff + 3 * 60000);
    EXPECT_EQ(seen[0].latitude, 50.5);
    // Heard again after the retention: its row is there to be found.
    Batch later;
    later.positions = {Position(211000002, cutoff + 2 * 60000, 52.0, 4.0)};
    ASSERT_TRUE(store->append(later).ok()) << store->lastError();
    EXPECT_EQ(store->lastSeen("211000002", 10).size(), 1u);
}

TEST_P(StoreContract, RetentionBySizeNoStoreCanMeetEmptiesIt) {
    Batch b;
    for (int day = 0; day < 3; ++day) b.positions.push_back(Position(1, kT0 + day * kDay));
    ASSERT_TRUE(store->append(b).ok());
    ASSERT_TRUE(store->applyRetention({0, int64_t{1} << 40}, kT0 + 3 * kDay).ok());
    EXPECT_EQ(store->span()->first, kT0);
    ASSERT_TRUE(store->applyRetention({0, 1}, kT0 + 3 * kDay).ok()) << store->lastError();
    EXPECT_FALSE(store->span().has_value());
    EXPECT_TRUE(store->append(b).ok()) << store->lastError();
}

TEST_P(StoreContract, NotAvailableFieldsComeBackAsNothing) {
    PositionRow bare = WithoutMotion(Position(5, kT0));
    bare.stationClass = history::StationClass::AidToNavigation;
    PositionRow full = Position(6, kT0);
    full.sog = 102.2f, full.cog = 359.9f, full.heading = 511 - 1, full.navStatus = 15;
    // Positions are kept in the air's steps of 1/10000 minute.
    full.latitude = -53999999 / 600000.0, full.longitude = 107999999 / 600000.0;
    StaticRow emptyStatic;
    emptyStatic.mmsi = 5, emptyStatic.time = kT0, emptyStatic.type = 24;
    StaticRow fullStatic = Static(6, kT0, "FULL", "CALL");
    fullStatic.imo = 9876543, fullStatic.shipType = 70;
    fullStatic.dimA = 0, fullStatic.dimB = 511, fullStatic.dimC = 63, fullStatic.dimD = 1;
    fullStatic.draught = 25.5f, fullStatic.destination = "ROTTERDAM", fullStatic.eta = "12-07 14:00";
    Batch b;
    b.positions = {bare, full};
    b.statics = {emptyStatic, fullStatic};
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    EXPECT_EQ(store->track(5, kT0, kT0), std::vector<PositionRow>{bare});
    EXPECT_EQ(store->track(6, kT0, kT0), std::vector<PositionRow>{full});
    for (const auto& e : store->situation(kT0, 1000)) {
        ASSERT_TRUE(e.statics.has_value());
        EXPECT_EQ(*e.statics, e.position.mmsi == 5 ? emptyStatic : fullStatic);
    }
}

TEST_P(StoreContract, TextFromTheAirIsStoredAsData) {
    const std::string hostile[] = {
        "O'BRIEN",
        "'; DROP TABLE positions; --",
        "\"); DELETE FROM statics; --",
        "%_\\*?",
        // What a COPY line or a LIKE pattern would take as its own.
        "tab\there",
        "back\\slash \\N \\. \\\\",
        "new\nline and\r\ncarriage",
        "\\.",
        "\xC3\x98RESUND \xE2\x80\x94 \xF0\x9F\x9A\xA2",  // UTF-8, also outside the basic plane
        std::string(10 * 1024, 'X') + "'",
        "",
    };
    int32_t mmsi = 100;
    for (const std::string& text : hostile) {
        ++mmsi;
        PositionRow p = Position(mmsi, kT0);
        p.source = text;
        StaticRow s = Static(mmsi, kT0, text, text);
        s.destination = text;
        s.eta = text;
        s.source = text;
        history::MessageRow m = Message(mmsi, kT0, text);
        m.source = text;
        ASSERT_TRUE(store->append({{p}, {s}, {m}}).ok()) << store->lastError();
        EXPECT_EQ(store->track(mmsi, kT0, kT0), std::vector<PositionRow>{p});
        const auto situation = store->situation(kT0, 1);
        const auto it = std::find_if(situation.begin(), situation.end(),
                                     [&](const auto& e) { return e.position.mmsi == mmsi; });
        ASSERT_NE(it, situation.end());
        EXPECT_EQ(it->statics, s);
        const auto messages = store->messages(kT0, kT0);
        EXPECT_NE(std::find(messages.begin(), messages.end(), m), messages.end());
        if (!text.empty()) {
            const auto seen = store->lastSeen(text, 100);
            EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](const auto& l) { return l.name == text; }));
        }
    }
    // Every row is still there: nothing was run as SQL.
    EXPECT_EQ(store->situation(kT0, 1).size(), std::size(hostile));
}

TEST_P(StoreContract, FailedBatchLeavesNothingBehind) {
    ASSERT_TRUE(store->append({{Position(1, kT0)}, {}, {}}).ok());
    struct Case { double lat, lon; };
    const Case refused[] = {{91, 0}, {-90.5, 0}, {0, 181}, {0, -180.5}, {std::nan(""), 0}};
    for (const Case& c : refused) {
        Batch b;
        b.positions = {Position(1, kT0 + 1), Position(2, kT0 + 2)};
        PositionRow bad = Position(3, kT0 + 3);
        bad.latitude = c.lat;
        bad.longitude = c.lon;
        b.positions.push_back(bad);
        b.statics = {Static(1, kT0 + 1, "NOT KEPT")};
        b.messages = {Message(1, kT0 + 1, "{}")};
        EXPECT_FALSE(store->append(b).ok()) << c.lat << " " << c.lon;
        EXPECT_FALSE(store->lastError().empty());
        EXPECT_EQ(store->track(1, kT0, kT0 + 10).size(), 1u);
        EXPECT_TRUE(store->track(2, kT0, kT0 + 10).empty());
        EXPECT_TRUE(store->messages(kT0, kT0 + 10).empty());
        EXPECT_TRUE(store->lastSeen("NOT KEPT", 10).empty());
    }
    // The store goes on after a refused batch.
    EXPECT_TRUE(store->append({{Position(2, kT0 + 5)}, {}, {}}).ok()) << store->lastError();
    EXPECT_EQ(store->track(2, kT0, kT0 + 10).size(), 1u);
}

TEST_P(StoreContract, PagesOfATrackJoinToTheWholeTrack) {
    // 300 reports over five hours, a few pairs with the same time, and a
    // later batch of older reports that falls between the stored ones.
    Batch b, late;
    for (int i = 0; i < 300; ++i) {
        const TimeMs t = kT0 + i * 60000 + (i % 50 == 7 ? -60000 : 0);  // every 50th shares the time before it
        (i % 10 == 3 ? late : b).positions.push_back(Position(7, t, 50 + i * 1e-3, 3));
    }
    b.positions.push_back(Position(8, kT0 + 5000));
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    ASSERT_TRUE(store->append(late).ok()) << store->lastError();
    struct Case { TimeMs from, to; size_t limit; };
    const Case cases[] = {
        {kT0, kT0 + kDay, 1}, {kT0, kT0 + kDay, 7}, {kT0 + 3600000, kT0 + 2 * 3600000, 13},
        {kT0, kT0 + kDay, 300}, {kT0, kT0 + kDay, 100000}, {kT0 + kDay, kT0 + 2 * kDay, 5},
    };
    for (const Case& c : cases) {
        const auto whole = store->track(7, c.from, c.to);
        EXPECT_TRUE(std::is_sorted(whole.begin(), whole.end(), [](auto& x, auto& y) { return x.time < y.time; }));
        std::vector<PositionRow> joined;
        auto page = store->trackPage(7, {c.from}, c.to, c.limit);
        for (int pages = 1;; ++pages) {
            ASSERT_TRUE(page.status.ok()) << page.status.error;
            ASSERT_LE(page.rows.size(), c.limit);
            joined.insert(joined.end(), page.rows.begin(), page.rows.end());
            if (!page.next || pages > 1000) break;
            page = store->trackPage(7, *page.next, c.to, c.limit);
        }
        EXPECT_EQ(joined, whole) << c.from - kT0 << " " << c.limit;
    }
    EXPECT_EQ(store->track(7, kT0 - kDay, kT0 + kDay).size(), 300u);
    // A visitor that stops is not a failure, and gets no row after it stopped.
    int seen = 0;
    EXPECT_TRUE(store->visitTrack(7, kT0, kT0 + kDay, [&](const PositionRow&) { return ++seen < 5; }).ok());
    EXPECT_EQ(seen, 5);
}

TEST_P(StoreContract, CancelFromAnotherThreadEndsTheQueryAsCancelled) {
    Batch b;
    for (int i = 0; i < 20000; ++i) b.positions.push_back(Position(9, kT0 + i * 1000, 50 + i * 1e-4, 3));
    ASSERT_TRUE(store->append(b).ok()) << store->lastError();
    std::promise<void> started, cancelled;
    std::future<void> hasStarted = started.get_future(), wasCancelled = cancelled.get_future();
    size_t seen = 0;
    history::Status status;
    std::thread reader([&] {
        status = store->visitTrack(9, kT0, kT0 + kDay, [&](const PositionRow&) {
            if (++seen == 1) {
                started.set_value();
                wasCancelled.wait();
            }
            return true;
        });
    });
    hasStarted.wait();
    store->cancel();
    cancelled.set_value();
    reader.join();
    EXPECT_TRUE(status.cancelled) << status.error;
    EXPECT_FALSE(status.ok());
    EXPECT_LT(seen, 20000u);
    // The next query runs whole.
    EXPECT_EQ(store->track(9, kT0, kT0 + kDay).size(), 20000u);
    const auto page = store->trackPage(9, {kT0}, kT0 + kDay, 100);
    EXPECT_TRUE(page.status.ok());
    EXPECT_EQ(page.next, (history::TrackCursor{kT0 + 99000, 1}));
}

}  // namespace
}  // namespace history_test
