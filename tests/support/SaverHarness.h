#pragma once

// Shared set-up for tests that run the saver's logic: a manual clock at a
// given moment in a given zone, a temporary store holding a place (or none),
// a recorded log, and a clean main queue before and after.

#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "store/Prefs.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <optional>

namespace aerolune::test {

class SaverHarness {
public:
    SaverHarness(const char* zone, const char* start,
                 std::optional<CLLocationCoordinate2D> place = std::nullopt)
        : zone_(zone), clock_(parseIso8601(start).value()) {
        MainQueue::main().reset();
        Random::reseedShared(1);
        if (place && !Prefs::setCoordinates(*place))
            ADD_FAILURE() << "the place was not stored";
        log_.clear();
    }
    ~SaverHarness() { MainQueue::main().reset(); }

    ManualClock& clock() { return *clock_; }
    TimePoint now() const { return clock_->now(); }
    const std::vector<std::string>& logLines() const { return log_.lines(); }
    // Runs the delayed work due within `seconds` of the clock, without frames.
    void advance(double seconds) { MainQueue::main().advance(*clock_, seconds); }

private:
    ScopedTimeZone zone_;
    ScopedConfigHome home_;
    ScopedManualClock clock_;
    ScopedLogRecorder log_;
};

} // namespace aerolune::test
