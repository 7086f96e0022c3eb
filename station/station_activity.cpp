#include "station/station_activity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace input {

std::string ByteSizeText(int64_t bytes) {
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB"};
    if (bytes < 1000) return std::to_string(std::max<int64_t>(bytes, 0)) + " B";
    double v = static_cast<double>(bytes) / 1000;
    int unit = 0;
    // Round first, so 999 960 bytes read "1.0 MB", not "1000.0 kB".
    while (unit < 3 && std::round(v * 10) / 10 >= 1000) v /= 1000, ++unit;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", v, kUnits[unit]);
    return text;
}

std::string RecordingText(double seconds, int64_t bytes) {
    const long long s = std::max(0LL, static_cast<long long>(seconds));
    char text[48];
    std::snprintf(text, sizeof text, "REC %02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return std::string(text) + " \u00B7 " + ByteSizeText(bytes);
}

std::string PlaybackText(double speed, bool paused, int secondsOfDay, double fraction) {
    std::string text;
    if (paused) {
        text = "Paused";
    } else if (speed <= 0) {
        text = "Playing as fast as possible";
    } else {
        char s[32];
        std::snprintf(s, sizeof s, "Playing %g\u00D7", speed);
        text = s;
    }
    if (secondsOfDay >= 0) {
        char t[32];
        std::snprintf(t, sizeof t, " \u2014 %02d:%02d:%02d", secondsOfDay / 3600 % 24, secondsOfDay / 60 % 60,
                      secondsOfDay % 60);
        text += t;
    }
    // Floor, so 100 % means the whole file.
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    return text + " (" + std::to_string(percent) + " %)";
}

}  // namespace input
