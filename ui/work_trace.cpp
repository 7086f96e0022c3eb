#include "ui/work_trace.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <time.h>

namespace ui {

namespace {

struct WorkSecond {
    int64_t second = 0;
    std::array<int64_t, kWorkParts> ns{};
};

constexpr std::array<const char*, kWorkParts> kPartNames = {"input", "list", "plot", "approaches", "trails", "other"};

std::string FormatWorkSecond(const WorkSecond& s) {
    std::string line = std::to_string(s.second);
    int64_t total = 0;
    char buffer[48];
    for (int i = 0; i < kWorkParts; ++i) {
        const int64_t ns = s.ns[static_cast<size_t>(i)];
        total += ns;
        std::snprintf(buffer, sizeof buffer, " %s=%.2f", kPartNames[static_cast<size_t>(i)], static_cast<double>(ns) / 1e6);
        line += buffer;
    }
    std::snprintf(buffer, sizeof buffer, " total=%.2f\n", static_cast<double>(total) / 1e6);
    return line + buffer;
}

struct Tracer {
    std::FILE* out = nullptr;
    int depth = 0;
    WorkSecond current;

    Tracer() {
        const char* path = std::getenv("ORVANTA_WORK_TRACE");
        if (path && *path) out = std::fopen(path, "a");
    }
    ~Tracer() {
        if (!out) return;
        if (current.second != 0) std::fputs(FormatWorkSecond(current).c_str(), out);
        std::fclose(out);
    }

    // Work that ends in a later second than the one being summed closes that
    // second's line (a second without any work writes no line).
    void add(WorkPart part, int64_t ns) {
        const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
        if (now != current.second) {
            if (current.second != 0) {
                std::fputs(FormatWorkSecond(current).c_str(), out);
                std::fflush(out);
            }
            current = WorkSecond{now, {}};
        }
        current.ns[static_cast<size_t>(part)] += ns;
    }
};

Tracer& tracer() {
    static Tracer t;
    return t;
}

// The thread's own CPU time: on a machine shared with other work, the wall
// time of a part would count the time the thread waited for a core.
int64_t threadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace

WorkScope::WorkScope(WorkPart part) : part_(part) {
    Tracer& t = tracer();
    if (!t.out || t.depth++ > 0) return;
    startNs_ = threadCpuNs();
}

WorkScope::~WorkScope() {
    Tracer& t = tracer();
    if (!t.out) return;
    --t.depth;
    if (startNs_ >= 0) t.add(part_, threadCpuNs() - startNs_);
}

}  // namespace ui
