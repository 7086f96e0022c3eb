#include "targets/statistics.h"

#include <algorithm>
#include <cmath>

#include "ais/code_tables.h"
#include "base/number_format.h"
#include "geodesy/position_text.h"

namespace targets {

namespace {

using base::plainNumber;

double secondsSinceMidnight(base::DateTime t) {
    const double v = t.value();
    return (v - std::floor(v)) * 86400.0;
}

void fillTimeAndExpected(const TargetRecord& t, int slot, std::array<std::string, kStatColumns>& row) {
    const TypeStatistics& st = t.Stats[static_cast<size_t>(slot)];
    row[3] = st.LastRxTime.format("hh:mm:ss");
    const float expected = st.Expected;
    row[5] = expected == 0.0f ? std::string("n/a") : plainNumber(expected) + " sec";
}

}  // namespace

int ClassAIntervalIndex(int16_t navStatus, float sog, float rot) {
    if (navStatus == 1 || navStatus == 5) return sog <= 3.0f ? 0 : 1;
    const bool turning = rot != 0.0f && rot != base::kNotAvailable;
    if (sog <= 14.0f) return turning ? 3 : 2;
    if (sog <= 23.0f) return turning ? 5 : 4;
    return turning ? 7 : 6;
}

int ClassBIntervalIndex(float sog) {
    if (sog < 2.0f) return 0;
    if (sog <= 14.0f) return 1;
    if (sog <= 23.0f) return 2;
    return 3;
}

void UpdateStatistics(TargetRecord& t, SentenceKind kind, char channel, int type, base::DateTime timeReceived,
                      base::DateTime now, double monotonic) {
    const bool known = type >= 1 && type <= 26;
    if (channel == 'A') {
        t.ChACount++;
    } else {
        t.ChBCount++;
    }
    if (kind == SentenceKind::VDM) {
        t.VDMCount++;
    } else {
        t.VDOCount++;
    }
    t.MsgCount[0]++;
    if (!known) {
        t.MsgCount[27]++;
        return;
    }
    const int32_t count = ++t.MsgCount[static_cast<size_t>(type)];
    TypeStatistics& s = t.Stats[static_cast<size_t>(type - 1)];
    s.LastChannel = channel;

    // Whole seconds by calendar time; a difference that does not fit 32 bits
    // (the first message of a type, against a null time) leaves Period alone.
    if (const auto secs = timeReceived.wholeSecondsSince(s.LastRxTime)) s.Period = *secs;

    s.RxTimer = static_cast<float>(secondsSinceMidnight(now));
    s.TimerPeriod = count > 1 ? static_cast<float>(monotonic - s.RxMonotonic) : 0.0f;
    // Reception quality: from the second report of a kind with an expected
    // interval, each counts as received and the time since the one before as
    // that many intervals expected (rounded, so jitter does not count as loss).
    if (count > 1 && s.Expected > 0) {
        t.ReceivedReports++;
        t.ExpectedReports += std::max(1.0, std::round((monotonic - s.RxMonotonic) / s.Expected));
    }
    s.RxMonotonic = monotonic;
    s.LastRxTime = timeReceived;
    s.PrevRxTimer = s.RxTimer;

    if (type >= 1 && type <= 3) {
        s.Expected = ais::intervals::ClassA[ClassAIntervalIndex(t.Nav.NavStatus, t.Motion.SOG, t.ROT)];
    } else if (type == 18) {
        s.Expected = ais::intervals::ClassB[ClassBIntervalIndex(t.Motion.SOG)];
    }
}

std::optional<double> RxPercent(const TargetRecord& t, double monotonicNow) {
    double expected = t.ExpectedReports;
    // Reports overdue by now count as missed too.
    for (size_t slot = 0; slot < static_cast<size_t>(kTypeSlots); ++slot) {
        const TypeStatistics& s = t.Stats[slot];
        if (s.Expected <= 0 || t.MsgCount[slot + 1] < 2) continue;
        expected += std::max(0.0, std::floor((monotonicNow - s.RxMonotonic) / s.Expected));
    }
    if (t.ReceivedReports <= 0 || expected <= 0) return std::nullopt;
    return std::min(100.0, 100.0 * t.ReceivedReports / expected);
}

std::string RxPercentText(const TargetRecord& t, double monotonicNow) {
    const auto p = RxPercent(t, monotonicNow);
    return p ? base::formatNumber(*p, "0") : "n/a";
}

std::string LongestGapText(const TargetRecord& t) {
    return t.MsgCount[0] > 1 ? geodesy::FormatDuration(static_cast<int32_t>(std::lround(t.LongestGap)), 0) : "n/a";
}

StatisticsGrid StatisticsGridOnOpen(const TargetRecord& t) {
    // Default-initialised (every cell an empty string): clang 14 crashes on
    // the empty-brace form of this nested array of strings.
    StatisticsGrid g;
    g[0] = {"Msg", "Report", "Count", "Last msg", "Period", "Expected"};
    const auto& names = ais::codeTables().MessageTypeName;
    for (int k = 1; k <= 26; ++k) {
        g[static_cast<size_t>(k)][0] = "Msg" + std::to_string(k);
        g[static_cast<size_t>(k)][1] = names[static_cast<size_t>(k - 1)];
    }
    g[27][0] = "Other";
    for (int k = 1; k <= 27; ++k) {
        const int32_t count = t.MsgCount[static_cast<size_t>(k)];
        if (count <= 0) continue;
        auto& row = g[static_cast<size_t>(k)];
        row[2] = std::to_string(count);
        fillTimeAndExpected(t, k - 1, row);
        if (count > 1) row[4] = plainNumber(t.Stats[static_cast<size_t>(k - 1)].Period) + " sec";
    }
    return g;
}

void StatisticsRowAfterMessage(const TargetRecord& t, int type, StatisticsGrid& grid) {
    if (type < 1 || type > 26) return;
    auto& row = grid[static_cast<size_t>(type)];
    const int32_t count = t.MsgCount[static_cast<size_t>(type)];
    row[2] = std::to_string(count);
    if (count > 0) fillTimeAndExpected(t, type - 1, row);
    if (count > 1) row[4] = base::formatNumber(t.Stats[static_cast<size_t>(type - 1)].TimerPeriod, "0.0") + " s";
}

std::array<std::string, 7> StatisticsSummary(const TargetRecord& t) {
    return {std::to_string(t.MsgCount[0]),
            t.FirstMsgTime.format("dd mmm hh:mm:ss"),
            geodesy::FormatDuration(t.TrackedFor, 0),
            std::to_string(t.VDOCount),
            std::to_string(t.VDMCount),
            std::to_string(t.ChACount),
            std::to_string(t.ChBCount)};
}

}  // namespace targets
