#pragma once

// An independent sunrise equation for checking the saver's calculator, on
// seconds since the epoch and astronomical Julian dates in UTC, with the local
// day found through the C library directly. One convention is shared on
// purpose: the sun's mean anomaly is taken at the day count the saver uses,
// the local date's Julian Day Number plus the fraction of an 86400-second day
// since the local day's first moment.

#include <cmath>
#include <ctime>
#include <optional>

namespace aerolune::test {

struct ReferenceDay {
    std::optional<double> sunrise, sunset;
};

inline long long referenceLocalDay(double moment) { // days since 1970-01-01
    const std::time_t seconds = static_cast<std::time_t>(std::floor(moment));
    std::tm tm{};
    ::localtime_r(&seconds, &tm);
    tm.tm_hour = 12;
    return static_cast<long long>(::timegm(&tm)) / 86400;
}

inline ReferenceDay referenceSunriseEquation(double moment, double latitude, double longitude) {
    const auto sin = [](double degrees) { return std::sin(degrees * M_PI / 180); };
    ::tzset();
    const long long day = referenceLocalDay(moment);
    double before = day * 86400.0 - 30 * 3600, first = day * 86400.0 + 30 * 3600;
    while (first - before > 1) { // the first second of the local day
        const double middle = std::floor((before + first) / 2);
        (referenceLocalDay(middle) < day ? before : first) = middle;
    }
    // Mean solar noon: 12:00 UTC, 4 minutes earlier per degree east, moved by
    // whole days into [first, first + 86400).
    double noon = day * 86400.0 + 43200 - longitude * 240;
    noon -= 86400 * std::floor((noon - first) / 86400);
    const double n = double(day + 2440588 - 2451545) + (noon - first) / 86400;
    const double m = std::fmod(357.5291 + 0.98560028 * n, 360);
    const double c = 1.9148 * sin(m) + 0.02 * sin(2 * m) + 0.0003 * sin(3 * m);
    const double lambda = std::fmod(m + c + 180 + 102.9372, 360);
    const double transit = noon + 86400 * (0.0053 * sin(m) - 0.0069 * sin(2 * lambda));
    const double declination = std::asin(sin(lambda) * sin(23.44)) * 180 / M_PI;
    const double cosOmega = (sin(-0.83) - sin(latitude) * sin(declination)) /
                            (sin(90 - latitude) * sin(90 - declination));
    if (!(cosOmega >= -1 && cosOmega <= 1))
        return {};
    const double half = std::acos(cosOmega) / (2 * M_PI) * 86400;
    return {transit - half, transit + half};
}

} // namespace aerolune::test
