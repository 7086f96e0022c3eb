// The status bar's recording and play back texts.
#include <gtest/gtest.h>

#include "input/station_activity.h"

namespace input {
namespace {

TEST(StationActivity, RecordingText) {
    struct Case {
        double seconds;
        int64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "REC 00:00:00 \u00B7 0 B"},
        {754.9, 999, "REC 00:12:34 \u00B7 999 B"},
        {59, 1000, "REC 00:00:59 \u00B7 1.0 kB"},
        {3600, 1234567, "REC 01:00:00 \u00B7 1.2 MB"},
        {3600 * 125 + 61, 999960, "REC 125:01:01 \u00B7 1.0 MB"},
        {-3, 5000000000, "REC 00:00:00 \u00B7 5.0 GB"},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordingText(c.seconds, c.bytes), c.text) << c.seconds;
}

TEST(StationActivity, PlaybackText) {
    struct Case {
        double speed;
        bool paused;
        int secondsOfDay;
        double fraction;
        const char* text;
    };
    const Case cases[] = {
        {10, false, 14 * 3600 + 32 * 60 + 7, 0.374, "Playing 10\u00D7 \u2014 14:32:07 (37 %)"},
        {1, false, 0, 0, "Playing 1\u00D7 \u2014 00:00:00 (0 %)"},
        {100, false, -1, 0.999, "Playing 100\u00D7 (99 %)"},
        {0, false, 86399, 1, "Playing as fast as possible \u2014 23:59:59 (100 %)"},
        {10, true, 3600, 0.5, "Paused \u2014 01:00:00 (50 %)"},
        {10, false, 60, 1.7, "Playing 10\u00D7 \u2014 00:01:00 (100 %)"},
    };
    for (const Case& c : cases) EXPECT_EQ(PlaybackText(c.speed, c.paused, c.secondsOfDay, c.fraction), c.text) << c.text;
}

}  // namespace
}  // namespace input
