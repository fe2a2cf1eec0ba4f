#pragma once

// A clock that moves only when told to. Wall and monotonic time move together,
// so delayed work and the calendar see the same passage of time.

#include "platform/core/Clock.h"

namespace aerolune {

class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start = 0) : wall_(start) {}

    TimePoint now() const override { return wall_; }
    double monotonic() const override { return elapsed_; }

    void advance(double seconds) {
        wall_ += seconds;
        elapsed_ += seconds;
    }
    // Moves both clocks forward so that the monotonic time is exactly `monotonic`
    // (never backwards), so that work due at a deadline sees that very moment.
    void advanceTo(double monotonic) {
        if (monotonic <= elapsed_)
            return;
        wall_ += monotonic - elapsed_;
        elapsed_ = monotonic;
    }
    // Sets the wall time without moving the monotonic clock, as a change of the
    // system clock would.
    void setNow(TimePoint t) { wall_ = t; }

private:
    TimePoint wall_;
    double elapsed_ = 0;
};

} // namespace aerolune
