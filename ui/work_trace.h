// The window thread's work, second by second, for measuring the display under
// heavy traffic. With ORVANTA_WORK_TRACE=FILE in the environment, the thread's
// CPU time spent in each traced part is summed per wall-clock second and one
// line per second is appended to FILE (milliseconds):
//
//   1796644800 input=18.20 list=4.10 plot=6.30 approaches=0.20 trails=0.90 other=0.30 total=30.00
//
// A part nested in another is counted once, in the outer one, so the total is
// the thread's busy time. Without the variable a traced scope costs the test of
// one flag.
//
//   void Model::flush() {
//       const ui::WorkScope traced(ui::WorkPart::List);
//       ...
//   }
#pragma once

#include <cstdint>

namespace ui {

enum class WorkPart { Input, List, Plot, Approaches, Trails, Other };
inline constexpr int kWorkParts = 6;

class WorkScope {
public:
    explicit WorkScope(WorkPart part);
    ~WorkScope();
    WorkScope(const WorkScope&) = delete;
    WorkScope& operator=(const WorkScope&) = delete;

private:
    WorkPart part_;
    int64_t startNs_ = -1;  // -1: not traced (tracing off, or nested)
};

}  // namespace ui
