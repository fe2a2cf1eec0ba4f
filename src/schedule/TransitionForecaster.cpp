#include "schedule/TransitionForecaster.h"

#include "astronomy/Solar.h"
#include "platform/core/Clock.h"
#include "platform/core/Log.h"
#include "schedule/DateRules.h"
#include "schedule/SunEvents.h"
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
    const SunEvents around(now, coordinate);
    if (const auto delegate = delegate_.lock())
        delegate->transitionForecasterDidCalculate(today, around);
    if (today.polarCondition() == Solar::PolarCondition::none &&
        (!today.sunrise() || !today.sunset())) {
        if (const auto delegate = delegate_.lock())
            delegate->transitionForecasterDidFail(std::nullopt);
        return;
    }
    logToday(today);

    const auto [mode, next] = decide(now, today, around);
    if (next)
        announce(next->skyMode, next->date);
    if (const auto delegate = delegate_.lock())
        delegate->transitionForecasterDidDetermine(mode);
}

// The sky follows the place's own sun, the last sunrise or sunset and the
// next, wherever the local day begins. In the hour after a sunrise or sunset
// its transition shows and no change is named: the transition's end moves the
// sky on. A sunrise within the hour wins over a sunset after it, on days
// shorter than an hour.
std::pair<SkyMode, std::optional<SkyTransition>>
TransitionForecaster::decide(TimePoint now, const Solar& today, const SunEvents& around) {
    const auto sunrise = around.last(SkyMode::sunrise, now);
    if (sunrise && wasRecent(sunrise->date, now))
        return {SkyMode::sunrise, std::nullopt};
    const auto sunset = around.last(SkyMode::sunset, now);
    if (sunset && wasRecent(sunset->date, now))
        return {SkyMode::sunset, std::nullopt};

    const auto next = around.next(now);
    if (const auto last = around.last(now))
        return {last->skyMode == SkyMode::sunrise ? SkyMode::day : SkyMode::night, next};
    // No sun came up or went down for days: what comes next, or the polar sky.
    if (next)
        return {next->skyMode == SkyMode::sunset ? SkyMode::day : SkyMode::night, next};
    return {today.isDaytime() ? SkyMode::day : SkyMode::night, std::nullopt};
}

void TransitionForecaster::logToday(const Solar& today) {
    if (today.polarCondition() == Solar::PolarCondition::none) {
        systemLog("today's sunrise: " + describe(*today.sunrise()));
        systemLog("today's sunset: " + describe(*today.sunset()));
        return;
    }
    const std::string why = today.polarCondition() == Solar::PolarCondition::sunNeverSets
                                ? "none (the sun never sets today)"
                                : "none (the sun never rises today)";
    systemLog("today's sunrise: " + why);
    systemLog("today's sunset: " + why);
}

void TransitionForecaster::announce(SkyMode skyMode, TimePoint date) {
    if (const auto delegate = delegate_.lock())
        delegate->transitionForecasterDidForecast(skyMode, date);
}

} // namespace aerolune
