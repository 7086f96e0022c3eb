#include "targets/reception.h"

#include <cmath>

namespace targets {

void ChannelHistory::count(double monotonic, char channel) {
    // Messages come many a second: within the minute of the one before (the
    // same test as the floor below), its slot is known without floor and modulo.
    const double minutes = monotonic / 60.0;
    if (!(minutes >= currentMinute_ && minutes < currentMinute_ + 1.0)) {
        const int64_t minute = static_cast<int64_t>(std::floor(minutes));
        current_ = static_cast<size_t>(((minute % kMinutes) + kMinutes) % kMinutes);
        if (minuteOf_[current_] != minute + 1) {
            minuteOf_[current_] = minute + 1;
            counts_[current_] = {0, 0};
        }
        currentMinute_ = static_cast<double>(minute);
    }
    counts_[current_][channel == 'B' ? 1 : 0]++;
}

std::array<std::array<int32_t, 2>, ChannelHistory::kMinutes> ChannelHistory::lastHour(double monotonicNow) const {
    std::array<std::array<int32_t, 2>, kMinutes> out{};
    const int64_t now = static_cast<int64_t>(std::floor(monotonicNow / 60.0));
    for (int k = 0; k < kMinutes; ++k) {
        const int64_t minute = now - (kMinutes - 1) + k;
        const size_t slot = static_cast<size_t>(((minute % kMinutes) + kMinutes) % kMinutes);
        if (minuteOf_[slot] == minute + 1) out[static_cast<size_t>(k)] = counts_[slot];
    }
    return out;
}

std::string RingCaption(size_t ring) {
    const auto nm = [](double v) { return std::to_string(static_cast<int>(v)); };
    if (ring >= kRangeRings.size()) return "Beyond " + nm(kRangeRings.back()) + " nm";
    return (ring == 0 ? std::string("0") : nm(kRangeRings[ring - 1])) + "\u2013" + nm(kRangeRings[ring]) + " nm";
}

RangeSummary SummariseRanges(const TargetTable& table, int16_t referenceMode) {
    RangeSummary r;
    if (referenceMode == kRefNone) return r;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const TargetRecord& t = table.entry(n);
        if (!table.InUse(n) || !t.RangeKnown || n == table.OwnShipIndex()) continue;
        const double nm = t.FromReference.range() / 1852.0;
        size_t ring = 0;
        while (ring < kRangeRings.size() && nm > kRangeRings[ring]) ++ring;
        r.rings[ring]++;
        if (nm > r.furthestNm) {
            r.furthestNm = nm;
            r.furthestEntry = n;
        }
    }
    return r;
}

}  // namespace targets
