#pragma once

// An independent, straightforward sunrise equation for checking the saver's
// calculator: moments in seconds since the epoch, the local day found with the
// C library directly, and the sun's position taken at the place's mean solar
// noon on that local day.
//
// One convention is shared on purpose: the days since J2000 at which the
// sun's mean anomaly is taken are counted the way the saver counts them, as the
// Julian Day Number of the local date plus the fraction of an 86400-second day
// elapsed since the local day's first moment. Everything else (finding the
// day, placing noon, turning days into moments) is done here from first
// principles.

#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>

namespace aerolune::test {

struct ReferenceDay {
    std::optional<double> sunrise;
    std::optional<double> sunset;
};

namespace reference {

inline long long localDayIndex(double moment) {
    const std::time_t seconds = static_cast<std::time_t>(std::floor(moment));
    std::tm tm{};
    ::localtime_r(&seconds, &tm);
    using namespace std::chrono;
    const year_month_day ymd{year{tm.tm_year + 1900}, month{unsigned(tm.tm_mon + 1)},
                             day{unsigned(tm.tm_mday)}};
    return sys_days{ymd}.time_since_epoch().count();
}

inline double sinDeg(double x) {
    return std::sin(x * M_PI / 180);
}
inline double cosDeg(double x) {
    return std::cos(x * M_PI / 180);
}

} // namespace reference

inline ReferenceDay referenceSunriseEquation(double moment, double latitude, double longitude) {
    using namespace reference;
    ::tzset();
    const long long dayIndex = localDayIndex(moment); // days since 1970-01-01
    const double midnightAsUtc = double(dayIndex) * 86400;

    // The first whole second whose local date is this date.
    double before = midnightAsUtc - 30 * 3600.0, first = midnightAsUtc + 30 * 3600.0;
    while (first - before > 1) {
        const double middle = std::floor((before + first) / 2);
        (localDayIndex(middle) < dayIndex ? before : first) = middle;
    }

    // Mean solar noon: 12:00 UTC moved west by 4 minutes a degree, then by
    // whole days into [first, first + 86400).
    double noon = midnightAsUtc + 43200 - longitude * 240;
    noon -= 86400 * std::floor((noon - first) / 86400);

    const double n = double(dayIndex + 2440588 - 2451545) + (noon - first) / 86400;
    const double m = std::fmod(357.5291 + 0.98560028 * n, 360);
    const double c = 1.9148 * sinDeg(m) + 0.02 * sinDeg(2 * m) + 0.0003 * sinDeg(3 * m);
    const double lambda = std::fmod(m + c + 180 + 102.9372, 360);
    const double transit = noon + 86400 * (0.0053 * sinDeg(m) - 0.0069 * sinDeg(2 * lambda));
    const double declination = std::asin(sinDeg(lambda) * sinDeg(23.44)) * 180 / M_PI;
    const double cosOmega = (sinDeg(-0.83) - sinDeg(latitude) * sinDeg(declination)) /
                            (cosDeg(latitude) * cosDeg(declination));
    if (!(cosOmega >= -1 && cosOmega <= 1))
        return {};
    const double halfDay = std::acos(cosOmega) / (2 * M_PI) * 86400;
    return {transit - halfDay, transit + halfDay};
}

} // namespace aerolune::test
