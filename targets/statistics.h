// Reception statistics of a target: messages per type, channel and sentence
// kind, the time of the last message of each type, the interval between the
// last two (by calendar time in whole seconds, and by the monotonic clock in
// fractions), and the interval at which the station should be reporting.
//
//   const TargetUpdate u = table.AddOrUpdateTarget(kind, type, rec, ctx);
//   if (u.taken()) UpdateStatistics(table.entry(u.entry), kind, channel, type, rec.timeReceived(type),
//                                   ctx.now, ctx.monotonic);
//
// The cell texts of the detail window's two grids are produced here, so the
// window only places them:
//   StatisticsGrid g = StatisticsGridOnOpen(entry);   // 28 x 6
//   StatisticsRowAfterMessage(entry, type, g);        // rewrites the row of `type`
//   std::array<std::string, 7> s = StatisticsSummary(entry);
#pragma once

#include <array>
#include <optional>
#include <string>

#include "base/date_time.h"
#include "targets/target_table.h"

namespace targets {

// Counts a message of `type` for the entry that took it. `channel` is the
// sentence's one-character channel field (' ' when empty). TimerPeriod comes
// from the monotonic clock, so it is never negative across midnight; RxTimer
// still holds seconds since midnight of `now`.
void UpdateStatistics(TargetRecord& t, SentenceKind kind, char channel, int type, base::DateTime timeReceived,
                      base::DateTime now, double monotonic);

// Expected reporting interval of a class A position report (entry of the
// class A interval table), and of a class B position report.
int ClassAIntervalIndex(int16_t navStatus, float sog, float rot);
int ClassBIntervalIndex(float sog);

// Reports received as a percentage of those expected from the station's
// expected intervals since it was first heard, counting reports overdue at
// `monotonicNow` as missed; at most 100. None before a second report of a
// kind with an expected interval.
std::optional<double> RxPercent(const TargetRecord& t, double monotonicNow);
// "97", or "n/a"; the longest silence between two messages as a duration, or "n/a".
std::string RxPercentText(const TargetRecord& t, double monotonicNow);
std::string LongestGapText(const TargetRecord& t);

inline constexpr int kStatRows = 28;
inline constexpr int kStatColumns = 6;
using StatisticsGrid = std::array<std::array<std::string, kStatColumns>, kStatRows>;

// Per-type grid as it is filled when the window opens: titles, row names, and
// for every type received its count, last time, whole-second period and
// expected interval.
StatisticsGrid StatisticsGridOnOpen(const TargetRecord& t);

// After a message of `type` (1-26): the count, last time, expected interval and
// the measured period in tenths of seconds of that row.
void StatisticsRowAfterMessage(const TargetRecord& t, int type, StatisticsGrid& grid);

// Summary grid: titles and the one row of figures.
inline constexpr std::array<const char*, 7> kSummaryTitles = {
    "Total no of Msg", "First Msg at", "Tracked for", "Whereof VDO", "VDM", "Whereof ChA", "ChB"};
std::array<std::string, 7> StatisticsSummary(const TargetRecord& t);

}  // namespace targets
