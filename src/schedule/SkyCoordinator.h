#pragma once

// The state machine behind the sky: the mode shown now, the one announced
// change still to come, and the view that shows the mode.
//
// start() asks the forecaster for a forecast, which reports synchronously.
// tick() runs once per frame: it animates the current view and fires the
// announced change when its moment has come. A sunrise or sunset view that
// completes moves the mode on (sunrise to day, sunset to night); one that was
// already replaced, still fading out, moves nothing. Each change of mode builds
// one new view, hands it to the delegate, and retires the old one with a
// five-second fade (at once while no mode is decided yet).
//
// A forecast names at most one change. So that a saver left running passes
// through every sunrise and sunset, the coordinator asks for a new forecast
// once no change is announced, the mode is day or night, and the hour after
// the last sunrise or sunset is over; where the sun neither rises nor sets
// that day, once the local day is over.
//
// The plan holds only while time runs as it did when it was made. A tick that
// finds the wall clock moved against the monotonic one by more than
// clockJumpSeconds since the tick before (the machine slept, the clock was
// set, NTP stepped it), or the announced change more than overdueSeconds
// late, drops the plan and asks for a forecast at once: the sky of the moment
// then replaces the one shown, with the usual fade, and the changes missed
// meanwhile are never played.
//
// A failed forecast before any mode was decided shows its reason in the
// loading panel and, ten seconds later, unless a forecast has succeeded in
// the meantime, the sky of the time zone's principal city when no place is
// stored and the zone gives one (TimeZonePlace), else the day sky. Later
// forecasts keep to that guess until a place is stored. A failed forecast
// after a stored place's sky keeps the sky on show (a guess better than day
// at night), is logged like any failure, and is asked again retrySeconds
// later.
//
// A saver that follows the stored place (setFollowsStoredPlace, for runs on a
// screen without a place of their own) watches the store from its start, and
// a change forecasts anew for the place stored now: a new mode shows with the
// usual fade, the same mode stays on the screen with a new plan. A store that
// cannot be read then keeps the sky and its plan.
//
// The coordinator is shared: the forecaster, the sky transition views and the
// delayed fallback all refer back to it weakly.

#include "platform/core/Time.h"
#include "scenes/AnimatableView.h"
#include "schedule/SkyCoordinatorDelegate.h"
#include "schedule/SkyMode.h"
#include "schedule/SkyTransition.h"
#include "schedule/TransitionForecaster.h"
#include "transitions/SkyTransitionViewDelegate.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace aerolune {

class SkyTransitionView;
class StoreWatcher;

class SkyCoordinator : public TransitionForecasterDelegate,
                       public SkyTransitionViewDelegate,
                       public std::enable_shared_from_this<SkyCoordinator> {
public:
    static constexpr int fallbackSeconds = 10;
    // Frame-to-frame jitter between the two clocks is microseconds; a sleep
    // or a clock change is seconds at least.
    static constexpr double clockJumpSeconds = 2.0;
    static constexpr double overdueSeconds = 60.0;
    static constexpr double retrySeconds = 3600.0;

    static std::shared_ptr<SkyCoordinator> create();

    // Whether coordinators started from now on watch the stored place. Off by
    // default: headless runs and tests have no use for it.
    static void setFollowsStoredPlace(bool follows);

    const std::optional<SkyMode>& skyMode() const { return skyMode_; }
    const std::optional<SkyTransition>& nextTransition() const { return nextTransition_; }
    const std::shared_ptr<AnimatableView>& currentView() const { return currentView_; }
    const TransitionForecaster& transitionForecaster() const { return *transitionForecaster_; }
    // When the coordinator will next ask for a forecast of its own, if it will.
    const std::optional<TimePoint>& refreshAfter() const { return refreshAfter_; }
    // How many forecasts have failed, and why the last one did.
    std::uint64_t failureCount() const { return failureCount_; }
    const std::optional<LocationError>& lastFailure() const { return lastFailure_; }

    std::shared_ptr<SkyCoordinatorDelegate> delegate() const { return delegate_.lock(); }
    // Stores the delegate and, when there is one, hands it a new current view.
    void setDelegate(std::weak_ptr<SkyCoordinatorDelegate> delegate);

    void start();
    void stop() {}
    void tick();

    // Whether a replaced view fades out over five seconds (the default) or
    // leaves at once: a sky redrawn once a minute shows no fade, only the
    // sky before it or the one after.
    void setFadesViews(bool fades) { fadesViews_ = fades; }

    // The stored place may have changed: forecast again for it.
    void storedPlaceDidChange();
    // Whether the sky shown is the time zone's guess rather than a stored place's.
    bool showsTimeZonePlace() const { return placeSource_ == PlaceSource::timeZone; }

    void transitionForecasterDidDetermine(SkyMode skyMode) override;
    void transitionForecasterDidForecast(SkyMode skyMode, TimePoint date) override;
    void transitionForecasterDidFail(std::optional<LocationError> error) override;
    void transitionForecasterDidCalculate(const Solar& today, const SunEvents& around) override;
    void skyTransitionViewDidComplete() override;

private:
    SkyCoordinator();

    std::shared_ptr<AnimatableView> makeView(std::optional<LocationError> error);
    void setSkyMode(std::optional<SkyMode> mode);
    void replaceCurrentView(std::shared_ptr<AnimatableView> view);
    bool forecastIsStale(TimePoint now) const;
    bool planIsBroken(TimePoint now);
    void refresh();
    void noteClockOffset();
    void followStoredPlace();
    // Forecasts for the time zone's place; false when the zone gives none.
    bool forecastTimeZonePlace();

    std::optional<SkyMode> skyMode_;
    std::optional<SkyTransition> nextTransition_;
    std::shared_ptr<AnimatableView> currentView_;
    std::weak_ptr<SkyCoordinatorDelegate> delegate_;
    std::shared_ptr<TransitionForecaster> transitionForecaster_;
    // Set by each successful forecast, each change that fires and each failure
    // after a mode was decided.
    std::optional<TimePoint> refreshAfter_;
    // Wall minus monotonic time at the last tick or forecast.
    std::optional<double> clockOffset_;
    // The sunrise or sunset view in play, the only one whose end moves the mode.
    std::weak_ptr<SkyTransitionView> transitionView_;
    // Counts successful forecasts, so that a fallback knows whether one came after it.
    std::uint64_t forecastsSucceeded_ = 0;
    std::uint64_t failureCount_ = 0;
    std::optional<LocationError> lastFailure_;
    enum class PlaceSource { stored, timeZone };
    std::optional<PlaceSource> placeSource_;
    bool forecastingTimeZonePlace_ = false;
    std::shared_ptr<StoreWatcher> storeWatcher_;
    bool fadesViews_ = true;
};

} // namespace aerolune
