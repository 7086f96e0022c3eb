// Station summary: how much this receiver hears and how far.
//
//   targets::ChannelHistory h;
//   h.count(monotonic, 'A');                       // every message taken
//   auto perMinute = h.lastHour(monotonicNow);     // [59] is the current minute
//   targets::RangeSummary r = targets::SummariseRanges(table);
//
// Ranges are those of the table (from the reference position); targets
// without a known range (no position, one older than the lost time, or no
// reference) count in no ring. Each ring is a band: "5–10 nm" counts the
// targets beyond 5 and up to 10 nm.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>

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
    // The minute of the latest message and its slot (none yet: NaN).
    double currentMinute_ = std::numeric_limits<double>::quiet_NaN();
    size_t current_ = 0;
};

// Upper limits of the range rings, nautical miles; the last ring is open.
inline constexpr std::array<double, 5> kRangeRings = {5, 10, 20, 40, 80};
struct RangeSummary {
    std::array<int, kRangeRings.size() + 1> rings{};  // targets within each ring, the last beyond 80 nm
    int furthestEntry = 0;                            // 0 when no target has a range
    double furthestNm = 0;
};
RangeSummary SummariseRanges(const TargetTable& table, int16_t referenceMode);
// Caption of ring i: "0–5 nm", "5–10 nm", ..., "Beyond 80 nm".
std::string RingCaption(size_t ring);

}  // namespace targets
