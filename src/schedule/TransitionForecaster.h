#pragma once

// Answers, at the moment it is asked, which sky the sky is in and when the
// next change of sky comes, from the stored location and today's sunrise and
// sunset. Everything is reported synchronously to the delegate before the
// request returns; nothing is kept between requests.
//
// For an ordinary day (1 h = 3600 s):
//   before sunrise                  night    next: sunrise today
//   sunrise .. sunrise + 1 h        sunrise  (no next change)
//   after that, before sunset       day      next: sunset today
//   sunset .. sunset + 1 h          sunset   (no next change)
//   after sunset + 1 h              night    next: sunrise tomorrow
// On a polar day the mode is day and on a polar night it is night, with no
// next change.
//
// The forecaster belongs to its owner (the sky coordinator), which is also
// its delegate; it refers back to the delegate weakly.

#include "platform/core/CLLocationCoordinate2D.h"
#include "platform/core/Time.h"
#include "schedule/SkyMode.h"
#include "schedule/TransitionForecasterDelegate.h"

#include <memory>
#include <utility>

namespace aerolune {

class Solar;

class TransitionForecaster : public std::enable_shared_from_this<TransitionForecaster> {
public:
    // Forecasters are always shared: the location lookup's completion holds
    // the forecaster weakly.
    static std::shared_ptr<TransitionForecaster> create();

    const std::weak_ptr<TransitionForecasterDelegate>& delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<TransitionForecasterDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    // One forecast for the stored location at the clock's current moment.
    void getLocation();

    // One forecast for `coordinate` at `now`; what getLocation runs once it
    // has a location.
    void forecast(TimePoint now, CLLocationCoordinate2D coordinate);

private:
    TransitionForecaster() = default;

    void forecastPolar(const Solar& today);
    void forecastTomorrow(TimePoint now, CLLocationCoordinate2D coordinate);
    void announce(SkyMode skyMode, TimePoint date);

    std::weak_ptr<TransitionForecasterDelegate> delegate_;
};

} // namespace aerolune
