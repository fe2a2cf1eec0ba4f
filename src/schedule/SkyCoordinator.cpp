#include "schedule/SkyCoordinator.h"

#include "geocode/TimeZonePlace.h"
#include "platform/core/Clock.h"
#include "platform/core/Log.h"
#include "platform/core/MainQueue.h"
#include "scenes/DayView.h"
#include "scenes/LoadingHostingView.h"
#include "scenes/NightView.h"
#include "scenes/ViewFade.h"
#include "schedule/DateRules.h"
#include "schedule/SunEvents.h"
#include "store/LocationHelper.h"
#include "store/StoreWatcher.h"
#include "transitions/SkyTransitionView.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace aerolune {
namespace {

std::string describe(const std::optional<LocationError>& error) {
    if (!error)
        return "nil";
    switch (*error) {
    case LocationError::authorizationDenied:
        return "Optional(LocationError.authorizationDenied)";
    case LocationError::missingPref:
        return "Optional(LocationError.missingPref)";
    }
    return "Optional(LocationError)";
}

bool followsStoredPlace = false;

} // namespace

void SkyCoordinator::setFollowsStoredPlace(bool follows) {
    followsStoredPlace = follows;
}

std::shared_ptr<SkyCoordinator> SkyCoordinator::create() {
    return std::shared_ptr<SkyCoordinator>(new SkyCoordinator());
}

SkyCoordinator::SkyCoordinator() : transitionForecaster_(TransitionForecaster::create()) {}

void SkyCoordinator::setDelegate(std::weak_ptr<SkyCoordinatorDelegate> delegate) {
    delegate_ = std::move(delegate);
    if (!delegate_.expired())
        replaceCurrentView(makeView(std::nullopt));
}

void SkyCoordinator::start() {
    transitionForecaster_->setDelegate(weak_from_this());
    noteClockOffset();
    followStoredPlace();
    transitionForecaster_->getLocation();
}

void SkyCoordinator::followStoredPlace() {
    if (!followsStoredPlace || storeWatcher_ || LocationHelper::shared().override())
        return;
    storeWatcher_ = StoreWatcher::create([weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->storedPlaceDidChange();
    });
}

// The plan of the place shown holds until a forecast for the new one has
// succeeded: a store that cannot be read keeps both the sky and its plan.
void SkyCoordinator::storedPlaceDidChange() {
    systemLog("the stored location changed: forecasting again");
    const std::optional<SkyTransition> plan = nextTransition_;
    const std::uint64_t succeeded = forecastsSucceeded_;
    refresh();
    if (forecastsSucceeded_ == succeeded && skyMode_ && !nextTransition_)
        nextTransition_ = plan;
}

bool SkyCoordinator::forecastTimeZonePlace() {
    const auto place = TimeZonePlace::find(TimeZonePlace::system());
    if (!place)
        return false;
    systemLog("no location is stored: showing the sky of " + place->zone() +
              ", a guess from the time zone, at " + aerolune::describe(place->coordinate()));
    forecastingTimeZonePlace_ = true;
    transitionForecaster_->forecast(Clock::current().now(), place->coordinate());
    forecastingTimeZonePlace_ = false;
    return true;
}

void SkyCoordinator::tick() {
    if (currentView_)
        currentView_->animate();
    const TimePoint now = Clock::current().now();
    if (planIsBroken(now))
        return refresh();
    if (nextTransition_) {
        if (!isNowOrInThePast(nextTransition_->date, now))
            return;
        const SkyTransition fired = *nextTransition_;
        setSkyMode(fired.skyMode);
        nextTransition_.reset();
        refreshAfter_ = fired.date + recentWindow;
        return;
    }
    if (forecastIsStale(now))
        refresh();
}

bool SkyCoordinator::planIsBroken(TimePoint now) {
    const std::optional<double> before = clockOffset_;
    noteClockOffset();
    const bool clockJumped = before && std::abs(*clockOffset_ - *before) > clockJumpSeconds;
    const bool overdue = nextTransition_ && now - nextTransition_->date > overdueSeconds;
    return clockJumped || overdue;
}

void SkyCoordinator::noteClockOffset() {
    const Clock& clock = Clock::current();
    clockOffset_ = clock.now() - clock.monotonic();
}

// Whatever was planned is dropped: a forecast in the hour after a sunrise or
// sunset names no change, and an old one must not fire after it.
void SkyCoordinator::refresh() {
    nextTransition_.reset();
    refreshAfter_.reset();
    transitionForecaster_->getLocation();
}

bool SkyCoordinator::forecastIsStale(TimePoint now) const {
    const bool settled = skyMode_ == SkyMode::day || skyMode_ == SkyMode::night;
    return settled && refreshAfter_ && isPast(*refreshAfter_, now);
}

void SkyCoordinator::transitionForecasterDidCalculate(const Solar&, const SunEvents& around) {
    // The forecast stays good until the hour after the next sunrise or sunset
    // is over, and at the latest until the local day ends.
    const TimePoint now = Clock::current().now();
    std::optional<TimePoint> soonest = justAfterMidnight(now);
    for (const SkyTransition& event : around.events()) {
        const TimePoint over = event.date + recentWindow;
        if (over >= now && (!soonest || over < *soonest))
            soonest = over;
    }
    refreshAfter_ = soonest;
}

void SkyCoordinator::transitionForecasterDidDetermine(SkyMode skyMode) {
    ++forecastsSucceeded_;
    placeSource_ = forecastingTimeZonePlace_ ? PlaceSource::timeZone : PlaceSource::stored;
    setSkyMode(skyMode);
}

void SkyCoordinator::transitionForecasterDidForecast(SkyMode skyMode, TimePoint date) {
    nextTransition_ = SkyTransition{skyMode, date};
}

void SkyCoordinator::transitionForecasterDidFail(std::optional<LocationError> error) {
    const bool noPlaceStored = error == LocationError::missingPref;
    // Still no place stored: the guess from the time zone goes on.
    if (skyMode_ && noPlaceStored && showsTimeZonePlace() && forecastTimeZonePlace())
        return;
    systemLog("SkyCoordinator failed: " + describe(error));
    ++failureCount_;
    lastFailure_ = error;
    if (skyMode_) {
        // The sky on show came from a good forecast, and is likelier right
        // than day; the store may be back within the hour.
        refreshAfter_ = Clock::current().now() + retrySeconds;
        return;
    }
    replaceCurrentView(makeView(error));
    const std::uint64_t succeededBefore = forecastsSucceeded_;
    MainQueue::main().asyncAfter(fallbackSeconds, weak_from_this(),
                                 [succeededBefore, noPlaceStored](SkyCoordinator& self) {
                                     // A forecast that succeeded meanwhile knows better.
                                     if (self.forecastsSucceeded_ != succeededBefore)
                                         return;
                                     if (!noPlaceStored || !self.forecastTimeZonePlace())
                                         self.setSkyMode(SkyMode::day);
                                 });
}

void SkyCoordinator::skyTransitionViewDidComplete() {
    // The report names no view: only the current one, once complete, moves
    // the mode. A replaced view still fading out may end its walk too, after
    // the sky has moved on without it.
    const auto playing = transitionView_.lock();
    if (skyMode_ && playing && playing == currentView_ && playing->isComplete())
        setSkyMode(next(*skyMode_));
}

std::shared_ptr<AnimatableView> SkyCoordinator::makeView(std::optional<LocationError> error) {
    if (!skyMode_) {
        std::optional<std::string> description;
        if (error)
            description = localizedDescription(*error);
        return std::make_shared<LoadingHostingView>(std::move(description), Rect{});
    }
    switch (*skyMode_) {
    case SkyMode::sunrise:
    case SkyMode::sunset: {
        const auto type = *skyMode_ == SkyMode::sunrise
                              ? SkyTransitionView::SkyTransitionType::sunrise
                              : SkyTransitionView::SkyTransitionType::sunset;
        auto view = std::make_shared<SkyTransitionView>(type);
        view->setDelegate(weak_from_this());
        transitionView_ = view;
        return view;
    }
    case SkyMode::day:
        return std::make_shared<DayView>();
    case SkyMode::night:
        return std::make_shared<NightView>();
    }
    return nullptr;
}

void SkyCoordinator::setSkyMode(std::optional<SkyMode> mode) {
    const std::optional<SkyMode> old = skyMode_;
    skyMode_ = mode;
    if (old == mode)
        return;
    replaceCurrentView(makeView(std::nullopt));
}

void SkyCoordinator::replaceCurrentView(std::shared_ptr<AnimatableView> view) {
    std::shared_ptr<AnimatableView> old = std::move(currentView_);
    currentView_ = std::move(view);
    if (auto observer = delegate())
        observer->skyCoordinatorDidChange(currentView_, old);
    if (!old)
        return;
    if (skyMode_ && fadesViews_)
        removeFromSuperviewWithFade(*old);
    else
        old->removeFromSuperview();
}

} // namespace aerolune
