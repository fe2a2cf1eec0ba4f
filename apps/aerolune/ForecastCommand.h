#pragma once

// aerolune --forecast [--lat DEG --lon DEG | --location TEXT] [--at WHEN]:
// runs the saver's own forecaster once, on a clock stopped at WHEN (or now),
// for the given place or the stored one, and prints
//
//     sunrise: 2024-06-21T03:48:15Z
//     sunset: 2024-06-21T19:55:36Z
//     mode: day
//     next: sunset 2024-06-21T19:55:36Z
//
// with moments in UTC rounded to the second, "none" for a moment the day does
// not have and "next: none" when no change is announced. A failed forecast
// prints its description on standard error and exits with status 1. With no
// place stored it forecasts for the time zone's principal city instead, and
// says so on a first line, "place: ...", with how to store a place.

#include "aerolune/Options.h"
#include "geocode/TimeZonePlace.h"
#include "schedule/SkyTransition.h"
#include "schedule/TransitionForecasterDelegate.h"

#include <iosfwd>
#include <optional>

namespace aerolune {

class ForecastCommand final : public TransitionForecasterDelegate {
public:
    // The exit status.
    static int run(const Options& options, std::ostream& out, std::ostream& err);

    void transitionForecasterDidDetermine(SkyMode skyMode) override;
    void transitionForecasterDidForecast(SkyMode skyMode, TimePoint date) override;
    void transitionForecasterDidFail(std::optional<LocationError> error) override;
    void transitionForecasterDidCalculate(const Solar& today, const SunEvents& around) override;

private:
    int print(std::ostream& out, std::ostream& err) const;

    std::optional<TimePoint> sunrise_;
    std::optional<TimePoint> sunset_;
    std::optional<SkyMode> mode_;
    std::optional<SkyTransition> next_;
    bool failed_ = false;
    std::optional<LocationError> error_;
    // The time zone's place, forecast when none is stored.
    std::optional<TimeZonePlace> guess_;
};

} // namespace aerolune
