#pragma once

// The source of "now". Code that needs the current moment asks Clock::current(),
// never the system directly, so that tests and headless rendering can run a whole
// day on a ManualClock in well under a second.

#include "platform/core/Time.h"

#include <memory>

namespace aerolune {

class Clock {
public:
    virtual ~Clock() = default;

    // Wall time: seconds since the epoch, UTC.
    virtual TimePoint now() const = 0;
    // Seconds on a clock that never jumps; only differences are meaningful.
    virtual double monotonic() const = 0;

    // The process-wide clock: a SystemClock unless replaced.
    static Clock& current();
    static std::shared_ptr<Clock> currentShared();
    static void setCurrent(std::shared_ptr<Clock> clock);
};

} // namespace aerolune
