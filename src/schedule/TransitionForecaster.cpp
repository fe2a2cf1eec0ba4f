#include "schedule/TransitionForecaster.h"

#include "astronomy/Solar.h"
#include "platform/core/Clock.h"
#include "platform/core/Log.h"
#include "schedule/DateRules.h"
#include "store/LocationHelper.h"

namespace aerolune {

std::shared_ptr<TransitionForecaster> TransitionForecaster::create() {
    return std::shared_ptr<TransitionForecaster>(new TransitionForecaster());
}

void TransitionForecaster::getLocation() {
    systemLog("[vemo] TransitionForecaster.getLocation");
    LocationHelper::shared().getLocation([weak = weak_from_this()](const LocationResult& result) {
        const auto self = weak.lock();
        if (!self)
            return;
        if (!result) {
            if (const auto delegate = self->delegate_.lock())
                delegate->transitionForecasterDidFail(result.error());
            return;
        }
        self->forecast(Clock::current().now(), *result);
    });
}

void TransitionForecaster::forecast(TimePoint now, CLLocationCoordinate2D coordinate) {
    const Solar today(now, coordinate);
    if (const auto delegate = delegate_.lock())
        delegate->transitionForecasterDidCalculate(today);
    if (today.polarCondition() != Solar::PolarCondition::none)
        return forecastPolar(today);
    if (!today.sunrise() || !today.sunset()) {
        if (const auto delegate = delegate_.lock())
            delegate->transitionForecasterDidFail(std::nullopt);
        return;
    }
    const TimePoint sunrise = *today.sunrise();
    const TimePoint sunset = *today.sunset();
    systemLog("today's sunrise: " + describe(sunrise));
    systemLog("today's sunset: " + describe(sunset));

    SkyMode mode = today.isDaytime() ? SkyMode::day : SkyMode::night;
    if (isInTheFuture(sunrise, now))
        announce(SkyMode::sunrise, sunrise);
    else if (wasRecent(sunrise, now))
        mode = SkyMode::sunrise;

    const bool sunriseLongAgo = isPast(sunrise, now) && !wasRecent(sunrise, now);
    if (sunriseLongAgo) {
        if (isInTheFuture(sunset, now))
            announce(SkyMode::sunset, sunset);
        else if (wasRecent(sunset, now))
            mode = SkyMode::sunset;
    }
    if (isPast(sunrise, now) && isPast(sunset, now) && !wasRecent(sunset, now))
        forecastTomorrow(now, coordinate);

    if (const auto delegate = delegate_.lock())
        delegate->transitionForecasterDidDetermine(mode);
}

// The sun stays up or down all day: that sky holds, and no change is named.
void TransitionForecaster::forecastPolar(const Solar& today) {
    const bool up = today.polarCondition() == Solar::PolarCondition::sunNeverSets;
    const std::string why =
        up ? "none (the sun never sets today)" : "none (the sun never rises today)";
    systemLog("today's sunrise: " + why);
    systemLog("today's sunset: " + why);
    if (const auto delegate = delegate_.lock())
        delegate->transitionForecasterDidDetermine(up ? SkyMode::day : SkyMode::night);
}

void TransitionForecaster::forecastTomorrow(TimePoint now, CLLocationCoordinate2D coordinate) {
    const auto midnight = justAfterMidnight(now);
    if (!midnight)
        return;
    const Solar tomorrow(*midnight, coordinate);
    if (tomorrow.sunrise() && isInTheFuture(*tomorrow.sunrise(), now))
        announce(SkyMode::sunrise, *tomorrow.sunrise());
}

void TransitionForecaster::announce(SkyMode skyMode, TimePoint date) {
    if (const auto delegate = delegate_.lock())
        delegate->transitionForecasterDidForecast(skyMode, date);
}

} // namespace aerolune
