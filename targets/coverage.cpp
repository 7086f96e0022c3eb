#include "targets/coverage.h"

#include <algorithm>
#include <cmath>

namespace targets {

namespace {

const CoverageKey& Other() {
    static const CoverageKey other{-1, "other"};
    return other;
}

int64_t HourOf(int64_t time) { return time >= 0 ? time / 3600 : (time - 3599) / 3600; }

}  // namespace

Coverage::Track& Coverage::track(const CoverageKey& key) {
    if (lastKey_ && *lastKey_ == key) return *lastTrack_;
    auto it = tracks_.find(key);
    if (it == tracks_.end()) {
        // Beyond the bound every new station is counted under one key.
        if (static_cast<int>(tracks_.size()) >= kMaxSources && !(key == Other())) return track(Other());
        it = tracks_.emplace(key, Track{}).first;
    }
    lastKey_ = &it->first;
    lastTrack_ = &it->second;
    lastIndex_ = -1;
    return it->second;
}

int Coverage::sourceIndex(const CoverageKey& key) {
    const CoverageKey& k = tracks_.count(key) ? key : Other();
    if (lastIndex_ >= 0 && lastKey_ && *lastKey_ == k) return lastIndex_;
    const auto it = std::find(sources_.begin(), sources_.end(), k);
    int index = static_cast<int>(it - sources_.begin());
    if (it == sources_.end()) {
        sources_.push_back(k);
        index = static_cast<int>(sources_.size()) - 1;
    }
    if (lastKey_ && *lastKey_ == k) lastIndex_ = index;
    return index;
}

void Coverage::forgetSilent(int64_t now) {
    const int64_t cut = now - int64_t{kHours} * 3600;
    std::erase_if(heardBy_, [cut](const auto& item) {
        return std::all_of(item.second.begin(), item.second.end(), [cut](const Seen& s) { return s.time < cut; });
    });
    nextForget_ = now + 3600;
    sinceForget_ = 0;
}

void Coverage::heard(const CoverageKey& key, int32_t mmsi, int64_t time) {
    ++track(key).count;
    // Report times come from the air (tag blocks): a clock that jumps back
    // re-arms the sweep, and a sweep runs at most once in kForgetEvery reports
    // whatever the times, so times that swing cannot make every report sweep.
    if (++sinceForget_ >= kForgetEvery && (time >= nextForget_ || time + 7200 < nextForget_)) forgetSilent(time);
    const int index = sourceIndex(key);
    std::vector<Seen>& seen = heardBy_[mmsi];
    for (Seen& s : seen) {
        if (s.source == index) {
            s.time = std::max(s.time, time);
            return;
        }
    }
    if (static_cast<int>(seen.size()) < kMaxHeardBy) {
        seen.push_back({static_cast<uint8_t>(index), time});
    } else {
        // The station heard longest ago gives its place.
        auto oldest = std::min_element(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.time < b.time; });
        *oldest = {static_cast<uint8_t>(index), time};
    }
}

void Coverage::add(const CoverageKey& key, int32_t mmsi, double rangeNm, double bearing, double latitude,
                   double longitude, int64_t time) {
    heard(key, mmsi, time);
    if (!std::isfinite(rangeNm) || !std::isfinite(bearing) || rangeNm < 0) return;
    Track& t = track(key);
    const int64_t hour = HourOf(time);
    Hour& slot = t.hours[static_cast<size_t>(((hour % kHours) + kHours) % kHours)];
    if (slot.hour != hour) {
        // A report of an hour older than the one the slot holds is out of the window.
        if (slot.hour > hour) return;
        slot = Hour{};
        slot.hour = hour;
    }
    double b = std::fmod(bearing, 360.0);
    if (b < 0) b += 360.0;
    const int sector = std::min(kSectors - 1, static_cast<int>(b / (360.0 / kSectors)));
    CoverageSector& s = slot.sectors[static_cast<size_t>(sector)];
    if (rangeNm > s.rangeNm) s = {rangeNm, latitude, longitude, mmsi, time};
}

std::array<CoverageSector, Coverage::kSectors> Coverage::farthest(const CoverageKey& key, int64_t now) const {
    std::array<CoverageSector, kSectors> out{};
    const auto it = tracks_.find(key);
    if (it == tracks_.end()) return out;
    const int64_t hourNow = HourOf(now);
    for (const Hour& h : it->second.hours) {
        if (h.hour < 0 || h.hour > hourNow || h.hour <= hourNow - kHours) continue;
        for (int k = 0; k < kSectors; ++k) {
            const CoverageSector& s = h.sectors[static_cast<size_t>(k)];
            // Within 24 hours of now to the second, not just by whole hours.
            if (s.rangeNm > out[static_cast<size_t>(k)].rangeNm && s.time > now - kHours * 3600) out[static_cast<size_t>(k)] = s;
        }
    }
    return out;
}

std::vector<CoverageKey> Coverage::keys() const {
    std::vector<CoverageKey> out;
    for (const auto& [key, track] : tracks_) out.push_back(key);
    return out;
}

std::vector<HeardBy> Coverage::heardBy(int32_t mmsi) const {
    std::vector<HeardBy> out;
    const auto it = heardBy_.find(mmsi);
    if (it == heardBy_.end()) return out;
    for (const Seen& s : it->second) {
        const CoverageKey& k = sources_[s.source];
        out.push_back({k.source, k.input, s.time});
    }
    std::sort(out.begin(), out.end(), [](const HeardBy& a, const HeardBy& b) { return a.time > b.time; });
    return out;
}

int64_t Coverage::count(const CoverageKey& key) const {
    const auto it = tracks_.find(key);
    return it == tracks_.end() ? 0 : it->second.count;
}

}  // namespace targets
