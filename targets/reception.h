// Station summary: how much this receiver hears and how far.
//
//   targets::ChannelHistory h;
//   h.count(monotonic, 'A');                       // every message taken
//   auto perMinute = h.lastHour(monotonicNow);     // [59] is the current minute
//   targets::RangeSummary r = targets::SummariseRanges(table);
//
// Ranges are those of the table (from the reference position); targets
// without a position or without a reference count in no ring.
#pragma once

#include <array>
#include <cstdint>

#include "targets/target_table.h"

namespace targets {

class ChannelHistory {
public:
    static constexpr int kMinutes = 60;
    // A message on channel 'A' or 'B' (any other counts as A, as the statistics do).
    void count(double monotonic, char channel);
    // Messages per minute on channels A and B over the last hour, oldest first.
    std::array<std::array<int32_t, 2>, kMinutes> lastHour(double monotonicNow) const;

private:
    std::array<std::array<int32_t, 2>, kMinutes> counts_{};
    std::array<int64_t, kMinutes> minuteOf_{};  // which minute each slot holds (+1; 0 = none)
};

// Upper limits of the range rings, nautical miles; the last ring is open.
inline constexpr std::array<double, 5> kRangeRings = {5, 10, 20, 40, 80};
struct RangeSummary {
    std::array<int, kRangeRings.size() + 1> rings{};  // targets within each ring, the last beyond 80 nm
    int furthestEntry = 0;                            // 0 when no target has a range
    double furthestNm = 0;
};
RangeSummary SummariseRanges(const TargetTable& table, int16_t referenceMode);

}  // namespace targets
