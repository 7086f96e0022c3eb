#include "cli/progress.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/progress_text.h"

namespace cli {

namespace {
constexpr auto kRedrawEvery = std::chrono::milliseconds(250);
}

Progress::Progress(FILE* input, const char* itemName) : itemName_(itemName) {
    struct stat st {};
    if (!input || ::isatty(STDERR_FILENO) != 1 || ::fstat(::fileno(input), &st) != 0 || !S_ISREG(st.st_mode)) return;
    enabled_ = true;
    total_ = static_cast<uint64_t>(st.st_size);
    start_ = std::chrono::steady_clock::now();
    lastDraw_ = start_;
}

void Progress::draw(uint64_t bytesDone, int64_t items, bool finished) {
    const auto now = std::chrono::steady_clock::now();
    if (!finished && now - lastDraw_ < kRedrawEvery) return;
    lastDraw_ = now;
    base::ProgressState state;
    state.done = bytesDone;
    state.total = total_;
    state.items = items;
    state.elapsed = std::chrono::duration<double>(now - start_).count();
    state.finished = finished;
    std::string line = base::ProgressText(state, itemName_);
    // Blanks over what a longer line before left behind.
    const size_t width = line.size();
    if (width < lastWidth_) line.append(lastWidth_ - width, ' ');
    lastWidth_ = width;
    line.insert(line.begin(), '\r');
    if (finished) line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace cli
