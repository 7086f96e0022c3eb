#include "base/progress_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace base {

namespace {

constexpr int kBarWidth = 20;

void appendFixed(std::string& out, double v, int decimals) {
    char text[48];
    out.append(text, std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals).ptr);
}

void appendMegabytes(std::string& out, uint64_t bytes) { appendFixed(out, static_cast<double>(bytes) / 1e6, 1); }

// "m:ss", or "h:mm:ss" from an hour on.
void appendDuration(std::string& out, double seconds) {
    const auto s = static_cast<int64_t>(std::llround(std::max(0.0, std::min(seconds, 3.6e8))));
    const auto two = [&](int64_t v) {
        out += static_cast<char>('0' + v / 10);
        out += static_cast<char>('0' + v % 10);
    };
    if (s >= 3600) {
        out += std::to_string(s / 3600) + ":";
        two(s / 60 % 60);
    } else {
        out += std::to_string(s / 60);
    }
    out += ':';
    two(s % 60);
}

}  // namespace

std::string ProgressText(const ProgressState& p, const char* itemName) {
    const uint64_t done = std::min(p.done, p.total);
    const double share = p.total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(p.total);
    const int filled = static_cast<int>(share * kBarWidth);
    std::string out = "[";
    out.append(static_cast<size_t>(filled), '#');
    out.append(static_cast<size_t>(kBarWidth - filled), '-');
    out += "] ";
    const int percent = static_cast<int>(share * 100);
    if (percent < 100) out += ' ';
    if (percent < 10) out += ' ';
    out += std::to_string(percent) + "%  ";

    if (p.finished) {
        appendMegabytes(out, p.total);
        out += " MB in ";
        appendDuration(out, p.elapsed);
    } else {
        appendMegabytes(out, done);
        out += '/';
        appendMegabytes(out, p.total);
        out += " MB";
    }
    const bool timed = p.elapsed > 0;
    if (timed) {
        out += "  ";
        appendFixed(out, static_cast<double>(p.finished ? p.total : done) / 1e6 / p.elapsed, 1);
        out += " MB/s  ";
        appendFixed(out, static_cast<double>(p.items) / p.elapsed, 0);
        out += ' ';
        out += itemName;
        out += "/s";
    }
    if (!p.finished) {
        out += "  ";
        if (timed && done > 0) {
            appendDuration(out, static_cast<double>(p.total - done) * p.elapsed / static_cast<double>(done));
        } else {
            out += "--:--";
        }
        out += " left";
    }
    return out;
}

}  // namespace base
