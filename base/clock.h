// Time source of the core. The core never reads the wall clock itself: the
// program passes a SystemClock, tests a ManualClock they move by hand, so
// ageing, reporting periods, ETA years and midnight are all testable.
#pragma once

#include "base/date_time.h"

namespace base {

class Clock {
public:
    virtual ~Clock() = default;
    // Local calendar date and time.
    virtual DateTime now() const = 0;
    // Seconds on a clock that never jumps (not affected by midnight or clock changes).
    virtual double monotonicSeconds() const = 0;
};

class SystemClock final : public Clock {
public:
    DateTime now() const override;
    double monotonicSeconds() const override;
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(DateTime start = DateTime::fromCalendar(2026, 1, 1, 12, 0, 0),
                         double monotonic = 1000.0)
        : now_(start), monotonic_(monotonic) {}
    DateTime now() const override { return now_; }
    double monotonicSeconds() const override { return monotonic_; }

    void set(DateTime t) { now_ = t; }
    // Moves both clocks forward by the given number of seconds.
    void advance(double seconds) {
        now_ = now_.addSeconds(seconds);
        monotonic_ += seconds;
    }

private:
    DateTime now_;
    double monotonic_;
};

}  // namespace base
