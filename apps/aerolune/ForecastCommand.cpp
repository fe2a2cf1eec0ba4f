#include "aerolune/ForecastCommand.h"

#include "astronomy/Solar.h"
#include "geocode/TimeZonePlace.h"
#include "platform/core/Clock.h"
#include "platform/core/Localization.h"
#include "platform/core/ManualClock.h"
#include "schedule/TransitionForecaster.h"

#include <cstdio>
#include <ostream>

namespace aerolune {
namespace {

std::string utc(const std::optional<TimePoint>& t) {
    return t ? formatUtc(*t) : "none";
}

// The forecaster reads the process clock; it is stopped at the requested
// moment for the length of one forecast.
class StoppedClock {
public:
    explicit StoppedClock(TimePoint moment) : previous_(Clock::currentShared()) {
        Clock::setCurrent(std::make_shared<ManualClock>(moment));
    }
    ~StoppedClock() { Clock::setCurrent(previous_); }
    StoppedClock(const StoppedClock&) = delete;
    StoppedClock& operator=(const StoppedClock&) = delete;

private:
    std::shared_ptr<Clock> previous_;
};

} // namespace

int ForecastCommand::run(const Options& options, std::ostream& out, std::ostream& err) {
    const TimePoint now = options.at.value_or(Clock::current().now());
    const StoppedClock clock(now);
    const auto report = std::make_shared<ForecastCommand>();
    const auto forecaster = TransitionForecaster::create();
    forecaster->setDelegate(report);
    if (options.latitude && options.longitude)
        forecaster->forecast(Clock::current().now(), {*options.latitude, *options.longitude});
    else
        forecaster->getLocation();
    if (report->failed_ && report->error_ == LocationError::missingPref) {
        if (auto zone = TimeZonePlace::find(TimeZonePlace::system())) {
            *report = ForecastCommand();
            report->guess_ = std::move(zone);
            forecaster->forecast(Clock::current().now(), report->guess_->coordinate());
        }
    }
    return report->print(out, err);
}

void ForecastCommand::transitionForecasterDidDetermine(SkyMode skyMode) {
    mode_ = skyMode;
}

void ForecastCommand::transitionForecasterDidForecast(SkyMode skyMode, TimePoint date) {
    next_ = SkyTransition{skyMode, date};
}

void ForecastCommand::transitionForecasterDidFail(std::optional<LocationError> error) {
    failed_ = true;
    error_ = error;
}

void ForecastCommand::transitionForecasterDidCalculate(const Solar& today, const SunEvents&) {
    sunrise_ = today.sunrise();
    sunset_ = today.sunset();
}

int ForecastCommand::print(std::ostream& out, std::ostream& err) const {
    if (failed_ || !mode_) {
        err << (error_ ? localizedDescription(*error_)
                       : "aerolune: " + tr("no forecast could be made for this place and day"))
            << '\n';
        return 1;
    }
    if (guess_) {
        char where[64];
        std::snprintf(where, sizeof where, "%.4f, %.4f", guess_->coordinate().latitude,
                      guess_->coordinate().longitude);
        out << "place: "
            << Localization::format(tr("%s (%s), a guess from the time zone %s; store your own "
                                       "with aerolune --set-location PLACE or aerolune-settings"),
                                    {guess_->cityName(), where, guess_->zone()})
            << '\n';
    }
    out << "sunrise: " << utc(sunrise_) << '\n'
        << "sunset: " << utc(sunset_) << '\n'
        << "mode: " << describe(*mode_) << '\n'
        << "next: "
        << (next_ ? std::string(describe(next_->skyMode)) + " " + formatUtc(next_->date) : "none")
        << '\n';
    return 0;
}

} // namespace aerolune
