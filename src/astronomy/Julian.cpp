#include "astronomy/Julian.h"

#include "platform/core/Calendar.h"

#include <cmath>

namespace aerolune {
namespace {

// The day's offset from UTC as one value for the whole local day. Outside the
// years the C library can represent there is no first moment to measure from,
// and the offset at the moment itself is the best there is.
double offsetOfDay(LocalDate date, TimePoint fallbackMoment) {
    if (const auto offset = Calendar::dayOffset(date))
        return double(*offset);
    return double(Calendar::utcOffset(fallbackMoment));
}

} // namespace

std::int64_t Julian::localDayNumber(TimePoint date) {
    return Calendar::julianDayNumber(Calendar::localDate(date));
}

double Julian::julianDay(TimePoint date) {
    const LocalDate local = Calendar::localDate(date);
    const double number = double(Calendar::julianDayNumber(local));
    return (number + 0.5) + offsetOfDay(local, date) / 86400.0;
}

double Julian::daysSinceJ2000(TimePoint date) {
    return julianDay(date) + -j2000;
}

TimePoint Julian::dateFromJulianDay(double julianDay) {
    const double day = std::floor(julianDay);
    return dateFromJulianDay(julianDay, static_cast<std::int64_t>(day));
}

TimePoint Julian::dateFromJulianDay(double julianDay, std::int64_t dayNumber) {
    const LocalDate local = Calendar::fromJulianDayNumber(dayNumber);
    const double midnightAsUtc = double(Calendar::daysSinceEpoch(local)) * 86400.0;
    const auto start = Calendar::startOfDay(local);
    const TimePoint first = start ? *start : midnightAsUtc;
    return first + (julianDay - double(dayNumber)) * 86400.0;
}

} // namespace aerolune
