// Where a station hears from: for each input and each station that forwards
// its feed (the s: tag), the farthest position report in every 10° sector of
// bearing from the reference over the last 24 hours; and for each target
// which of those stations heard it, and when last.
//
//   targets::Coverage cov;
//   cov.add({0, "north-pier"}, 244123456, 12.4, 87.0, 52.1, 4.2, unixSeconds);   // range nm, bearing °
//   for (const auto& s : cov.farthest({0, "north-pier"}, now)) ...               // 36 sectors
//   cov.heardBy(244123456);   // {"north-pier", time}, ...
//
// Bounded: at most kMaxSources stations are kept apart (the rest count under
// "other"), a target remembers at most kMaxHeardBy stations, and a target not
// heard for a day is forgotten (checked once an hour of report time, and
// after a jump back of the clock), so a station that hears new vessels for
// weeks holds only those of the last day.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace targets {

struct CoverageKey {
    int input = 0;
    std::string source;  // the s: tag's station, empty for none
    auto operator<=>(const CoverageKey&) const = default;
};

struct CoverageSector {
    double rangeNm = 0;  // 0: nothing heard in this sector
    double latitude = 0, longitude = 0;
    int32_t mmsi = 0;
    int64_t time = 0;  // UNIX seconds
};

struct HeardBy {
    std::string source;
    int input = 0;
    int64_t time = 0;
};

class Coverage {
public:
    static constexpr int kSectors = 36;
    static constexpr int kHours = 24;
    static constexpr int kMaxSources = 64;
    static constexpr int kMaxHeardBy = 8;

    // A position report of mmsi heard through key at rangeNm and bearing
    // (degrees true) from the reference.
    void add(const CoverageKey& key, int32_t mmsi, double rangeNm, double bearing, double latitude, double longitude,
             int64_t time);
    // The target was heard through key (also without a position).
    void heard(const CoverageKey& key, int32_t mmsi, int64_t time);

    // The farthest report of each sector (north first, clockwise) within the
    // 24 hours before now.
    std::array<CoverageSector, kSectors> farthest(const CoverageKey& key, int64_t now) const;
    std::vector<CoverageKey> keys() const;
    std::vector<HeardBy> heardBy(int32_t mmsi) const;
    // Messages counted per key since the start.
    int64_t count(const CoverageKey& key) const;
    // Targets whose stations are remembered.
    size_t targetsHeard() const { return heardBy_.size(); }

private:
    struct Hour {
        int64_t hour = -1;  // UNIX hour this slot holds
        std::array<CoverageSector, kSectors> sectors{};
    };
    struct Track {
        std::array<Hour, kHours> hours{};
        int64_t count = 0;
    };
    Track& track(const CoverageKey& key);
    int sourceIndex(const CoverageKey& key);

    std::map<CoverageKey, Track> tracks_;
    std::vector<CoverageKey> sources_;  // by index, for heardBy
    struct Seen {
        uint8_t source = 0;
        int64_t time = 0;
    };
    std::unordered_map<int32_t, std::vector<Seen>> heardBy_;
    int64_t nextForget_ = 0;  // report time of the next sweep for targets silent a day
    int sinceForget_ = 0;     // reports since the last sweep: a sweep at most every kForgetEvery
    static constexpr int kForgetEvery = 4096;
    void forgetSilent(int64_t now);
    // The key of the last message: most come through the same one in a row.
    const CoverageKey* lastKey_ = nullptr;
    Track* lastTrack_ = nullptr;
    int lastIndex_ = -1;
};

}  // namespace targets
