#include "targets/coverage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace targets {
namespace {

constexpr int64_t kNow = 1796652000;  // a whole hour

TEST(Coverage, EachSectorKeepsItsFarthestReportOfTheLastDay) {
    Coverage cov;
    const CoverageKey key{0, ""};
    struct Row {
        double range, bearing;
        int64_t age;  // seconds before now
        int sector;
    } rows[] = {
        {5, 5, 10, 0},  {7, 359.99, 10, 35}, {3, -10, 10, 35},     // -10 is 350
        {4, 360, 10, 0}, {6, 725, 10, 0},                           // 725 is 5: farther than 5 nm
        {20, 95, 25 * 3600, 9}, {9, 95, 23 * 3600, 9},             // a day and an hour ago: gone
        {2, 180, 10, 18},
    };
    for (const Row& r : rows) cov.add(key, 244000000 + r.sector, r.range, r.bearing, 52, 4, kNow - r.age);
    const auto far = cov.farthest(key, kNow);
    const double want[Coverage::kSectors] = {6, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 2,
                                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7};
    for (int k = 0; k < Coverage::kSectors; ++k) EXPECT_EQ(far[static_cast<size_t>(k)].rangeNm, want[k]) << "sector " << k;
    // A day later the 9 nm report of 23 hours ago has gone too.
    EXPECT_EQ(cov.farthest(key, kNow + 3600 + 1)[9].rangeNm, 0);
    // Nothing unknown or negative is taken.
    cov.add(key, 1, std::nan(""), 10, 0, 0, kNow);
    cov.add(key, 1, -3, 10, 0, 0, kNow);
    EXPECT_EQ(cov.farthest(key, kNow)[1].rangeNm, 0);
}

TEST(Coverage, StationsThatHeardATargetNewestFirstAndBounded) {
    Coverage cov;
    cov.heard({0, "north"}, 244123456, kNow - 50);
    cov.heard({0, "south"}, 244123456, kNow - 10);
    cov.heard({1, ""}, 244123456, kNow - 30);
    cov.heard({0, "north"}, 244123456, kNow - 5);
    const auto by = cov.heardBy(244123456);
    ASSERT_EQ(by.size(), 3u);
    EXPECT_EQ(std::tuple(by[0].source, by[0].time), std::tuple(std::string("north"), kNow - 5));
    EXPECT_EQ(std::tuple(by[1].source, by[2].input), std::tuple(std::string("south"), 1));
    // Beyond eight stations the one heard longest ago gives way.
    for (int k = 0; k < 10; ++k) cov.heard({0, "s" + std::to_string(k)}, 1, kNow + k);
    const auto many = cov.heardBy(1);
    ASSERT_EQ(many.size(), static_cast<size_t>(Coverage::kMaxHeardBy));
    EXPECT_EQ(many.back().source, "s2");
    EXPECT_TRUE(cov.heardBy(2).empty());
}

TEST(Coverage, TargetsSilentForADayAreForgotten) {
    // Three days of vessels coming and going, 200 new ones an hour, each heard
    // every minute of its hour: what is remembered stays about one day's worth.
    Coverage cov;
    size_t most = 0;
    for (int64_t minute = 0; minute < 3 * 24 * 60; ++minute) {
        for (int k = 0; k < 200; ++k) cov.heard({0, ""}, static_cast<int32_t>(minute / 60 * 200 + k + 1), kNow + minute * 60);
        most = std::max(most, cov.targetsHeard());
    }
    EXPECT_LE(most, static_cast<size_t>(26 * 200));
    EXPECT_GE(cov.targetsHeard(), static_cast<size_t>(24 * 200));
    const int32_t lastHour = 71 * 200 + 1;
    EXPECT_EQ(cov.heardBy(lastHour).size(), 1u);
    EXPECT_TRUE(cov.heardBy(1).empty());
}

TEST(Coverage, StationsBeyondTheBoundAreCountedTogether) {
    Coverage cov;
    for (int k = 0; k < Coverage::kMaxSources + 10; ++k) {
        cov.add({0, "station" + std::to_string(k)}, k + 1, k, 90, 0, 0, kNow);
    }
    EXPECT_EQ(cov.keys().size(), static_cast<size_t>(Coverage::kMaxSources + 1));
    int64_t total = 0;
    for (const CoverageKey& key : cov.keys()) total += cov.count(key);
    EXPECT_EQ(total, Coverage::kMaxSources + 10);
    EXPECT_EQ(cov.count({-1, "other"}), 10);
    // The other stations' farthest report is kept under "other".
    EXPECT_EQ(cov.farthest({-1, "other"}, kNow)[9].rangeNm, Coverage::kMaxSources + 9);
}

}  // namespace
}  // namespace targets
