#pragma once

// What a TransitionForecaster tells its owner. A successful forecast reports
// the next change of sky first, when one can be named, and the current mode
// last; a failed one reports only the failure.

#include "platform/core/Time.h"
#include "schedule/SkyMode.h"
#include "store/LocationError.h"

#include <optional>

namespace aerolune {

class Solar;
class SunEvents;

class TransitionForecasterDelegate {
public:
    virtual ~TransitionForecasterDelegate() = default;

    // The mode the sky is in now.
    virtual void transitionForecasterDidDetermine(SkyMode skyMode) = 0;
    // At `date` the sky changes to `skyMode`.
    virtual void transitionForecasterDidForecast(SkyMode skyMode, TimePoint date) = 0;
    // No forecast could be made; the error says why when there is one.
    virtual void transitionForecasterDidFail(std::optional<LocationError> error) = 0;

    // Today's calculator and the place's sunrises and sunsets around now,
    // before any other report of the same forecast, for those that show the
    // day's sunrise and sunset or plan the next forecast. Nothing by default.
    virtual void transitionForecasterDidCalculate(const Solar& today, const SunEvents& around) {
        (void)today;
        (void)around;
    }
};

} // namespace aerolune
