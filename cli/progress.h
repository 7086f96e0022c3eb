// A progress line on standard error while a sub-command works through a file:
// percent, megabytes, rate and time left (base/progress_text.h). Shown only
// when standard error is a terminal and the input is a regular file (its size
// known); redrawn at most four times a second; at the end the line shows the
// totals and is closed with a line feed. Elsewhere (a pipe, a log file,
// standard input from a pipe) it writes nothing.
//
//   cli::Progress progress(in, "sentences");
//   ... progress.update(bytesRead, sentences);   // as often as convenient
//   progress.finish(bytesRead, sentences);
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace cli {

class Progress {
public:
    Progress(FILE* input, const char* itemName);

    void update(uint64_t bytesDone, int64_t items) {
        if (enabled_) draw(bytesDone, items, false);
    }
    void finish(uint64_t bytesDone, int64_t items) {
        if (enabled_) draw(bytesDone, items, true);
    }

private:
    void draw(uint64_t bytesDone, int64_t items, bool finished);

    const char* itemName_;
    bool enabled_ = false;
    uint64_t total_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    size_t lastWidth_ = 0;
};

}  // namespace cli
