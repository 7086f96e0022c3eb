// Time source of the core. The core never reads the wall clock itself: the
// program passes a SystemClock, tests a ManualClock they move by hand, so
// ageing, reporting periods, ETA years and midnight are all testable.
#pragma once

#include <cstdint>

#include "base/date_time.h"

namespace base {

class Clock {
public:
    virtual ~Clock() = default;
    // Local calendar date and time.
    virtual DateTime now() const = 0;
    // Seconds on a clock that never jumps (not affected by midnight or clock changes).
    virtual double monotonicSeconds() const = 0;
    // UTC, milliseconds since 1970-01-01T00:00:00Z (the time stored in the history).
    virtual int64_t utcMilliseconds() const = 0;
};

class SystemClock final : public Clock {
public:
    DateTime now() const override;
    double monotonicSeconds() const override;
    int64_t utcMilliseconds() const override;
};

class ManualClock final : public Clock {
public:
    // utc: 2026-01-01T12:00:00Z unless given.
    explicit ManualClock(DateTime start = DateTime::fromCalendar(2026, 1, 1, 12, 0, 0),
                         double monotonic = 1000.0, int64_t utcMs = 1767268800000)
        : now_(start), monotonic_(monotonic), utcMs_(static_cast<double>(utcMs)) {}
    DateTime now() const override { return now_; }
    double monotonicSeconds() const override { return monotonic_; }
    int64_t utcMilliseconds() const override { return static_cast<int64_t>(utcMs_); }

    void set(DateTime t) { now_ = t; }
    void setUtcMilliseconds(int64_t ms) { utcMs_ = static_cast<double>(ms); }
    // Moves all three clocks forward by the given number of seconds.
    void advance(double seconds) {
        now_ = now_.addSeconds(seconds);
        monotonic_ += seconds;
        utcMs_ += seconds * 1000.0;
    }

private:
    DateTime now_;
    double monotonic_;
    double utcMs_;  // kept as a double so steps below a millisecond add up
};

}  // namespace base
