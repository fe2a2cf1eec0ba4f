#include "astronomy/Solar.h"

#include "astronomy/Julian.h"
#include "astronomy/Trigonometry.h"

#include <cmath>

namespace aerolune {
namespace {

using T = Trigonometry;

// Moves the mean solar noon by whole days onto local day `dayNumber`. Only a
// zone more than twelve hours from the place's solar time needs this; on every
// other day floor(...) is 0 and the value is left bit for bit as it was.
double keepOnLocalDay(double jstar, std::int64_t dayNumber) {
    const double shift = std::floor((jstar + Julian::j2000) - double(dayNumber));
    return shift == 0 ? jstar : jstar - shift;
}

} // namespace

Solar::Solar(TimePoint date, CLLocationCoordinate2D coordinate)
    : date_(date), coordinate_(coordinate) {
    calculate();
}

bool Solar::isDaytime() const {
    switch (polarCondition_) {
    case PolarCondition::sunNeverSets:
        return true;
    case PolarCondition::sunNeverRises:
        return false;
    case PolarCondition::none:
        break;
    }
    if (!sunrise_ || !sunset_)
        return false;
    return *sunrise_ <= date_ && date_ < *sunset_;
}

void Solar::calculate() {
    const double lat = coordinate_.latitude;
    const double lon = coordinate_.longitude;
    const std::int64_t dayNumber = Julian::localDayNumber(date_);

    const double d = Julian::daysSinceJ2000(date_);
    const double jstar = keepOnLocalDay(d - lon / 360.0, dayNumber);
    const double m = std::fmod(0.98560028 * jstar + 357.5291, 360.0);
    double c = 1.9148 * T::sin(m);
    c = 0.02 * T::sin(m + m) + c;
    c = 0.0003 * T::sin(3.0 * m) + c;
    const double lambda = std::fmod(((c + m) + 180.0) + 102.9372, 360.0);
    const double jtransit =
        ((jstar + Julian::j2000) + 0.0053 * T::sin(m)) + (-0.0069) * T::sin(lambda + lambda);
    const double delta = T::asin(T::sin(23.44) * T::sin(lambda));
    const double cosOmega =
        (T::sin(-0.83) - T::sin(delta) * T::sin(lat)) / (T::cos(delta) * T::cos(lat));

    if (!std::isfinite(cosOmega) || !std::isfinite(jtransit))
        return;
    if (cosOmega < -1.0) {
        polarCondition_ = PolarCondition::sunNeverSets;
        return;
    }
    if (cosOmega > 1.0) {
        polarCondition_ = PolarCondition::sunNeverRises;
        return;
    }
    const double omega = T::acos(cosOmega);
    const double jrise = jtransit - omega / 360.0;
    const double jset = omega / 360.0 + jtransit;
    // Read back on the requested day's offset, the one julianDay added, also
    // when sunrise or sunset falls before or after that day's midnight.
    sunrise_ = Julian::dateFromJulianDay(jrise, dayNumber);
    sunset_ = Julian::dateFromJulianDay(jset, dayNumber);
}

} // namespace aerolune
