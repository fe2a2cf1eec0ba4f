#pragma once

// Sunrise and sunset of one local calendar day at one place, by the sunrise
// equation (mean anomaly, equation of the centre, ecliptic longitude,
// declination and hour angle of the sun), computed once at construction.
//
// Only the local date of `date` matters, in the process's current time zone:
// every moment of that day gives the same sunrise and sunset. The day is the
// one that contains the place's mean solar noon, so a zone far from the
// place's own solar time (UTC+14 in the central Pacific) still gets the sun of
// the requested day rather than that of the next or the previous one.
//
// Where the sun stays above or below the horizon all day, sunrise and sunset
// stay absent and polarCondition() says which of the two it is; no moment is
// ever derived from a NaN hour angle.

#include "platform/core/CLLocationCoordinate2D.h"
#include "platform/core/Time.h"

#include <optional>

namespace aerolune {

class Solar {
public:
    enum class PolarCondition {
        none,          // the sun rises and sets (or the input was not finite)
        sunNeverSets,  // polar day
        sunNeverRises, // polar night
    };

    Solar(TimePoint date, CLLocationCoordinate2D coordinate);

    const std::optional<TimePoint>& sunrise() const { return sunrise_; }
    const std::optional<TimePoint>& sunset() const { return sunset_; }
    TimePoint date() const { return date_; }
    const CLLocationCoordinate2D& coordinate() const { return coordinate_; }
    PolarCondition polarCondition() const { return polarCondition_; }

    // sunrise <= date < sunset; on a polar day always true, on a polar night
    // always false, and false when the moments could not be computed.
    bool isDaytime() const;

private:
    void calculate();

    std::optional<TimePoint> sunrise_;
    std::optional<TimePoint> sunset_;
    TimePoint date_;
    CLLocationCoordinate2D coordinate_;
    PolarCondition polarCondition_ = PolarCondition::none;
};

} // namespace aerolune
