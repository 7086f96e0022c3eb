#include <gtest/gtest.h>

#include "base/progress_text.h"

namespace base {
namespace {

TEST(ProgressText, PercentRateAndTimeLeft) {
    const std::pair<ProgressState, const char*> rows[] = {
        {{0, 5'000'000, 0, 0.0}, "[--------------------]   0%  0.0/5.0 MB  --:-- left"},
        {{45'000'000, 100'000'000, 123456, 5.0},
         "[#########-----------]  45%  45.0/100.0 MB  9.0 MB/s  24691 lines/s  0:06 left"},
        {{1'000'000, 7'201'000'000, 10, 1.0},
         "[--------------------]   0%  1.0/7201.0 MB  1.0 MB/s  10 lines/s  2:00:00 left"},
        {{100'000'000, 100'000'000, 274000, 11.0, true},
         "[####################] 100%  100.0 MB in 0:11  9.1 MB/s  24909 lines/s"},
        {{0, 0, 0, 0.0, true}, "[####################] 100%  0.0 MB in 0:00"},
    };
    for (const auto& [state, text] : rows) EXPECT_EQ(ProgressText(state, "lines"), text);
}

}  // namespace
}  // namespace base
