#pragma once

// How high the sun stands over a place at a moment, in degrees (negative
// below the horizon), by the usual low-precision solar position (the
// declination and equation of time as Fourier series in the day of the year).
// Good to a few tenths of a degree: enough to say that the sun is well up or
// well down, and written independently of the saver's own sunrise equation.

#include <algorithm>
#include <cmath>
#include <ctime>

namespace aerolune::test {

inline double sunAltitude(double moment, double latitude, double longitude) {
    constexpr double radian = M_PI / 180;
    const std::time_t seconds = static_cast<std::time_t>(std::floor(moment));
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    const double hours = utc.tm_hour + utc.tm_min / 60.0 + (utc.tm_sec + moment - seconds) / 3600;
    const double g = 2 * M_PI / 365 * (utc.tm_yday + (hours - 12) / 24);
    const double equationOfTime =
        229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                  0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
    const double declination = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) -
                               0.006758 * std::cos(2 * g) + 0.000907 * std::sin(2 * g) -
                               0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
    const double solarMinutes = hours * 60 + equationOfTime + 4 * longitude;
    const double hourAngle = (solarMinutes / 4 - 180) * radian;
    const double phi = latitude * radian;
    const double sine = std::sin(phi) * std::sin(declination) +
                        std::cos(phi) * std::cos(declination) * std::cos(hourAngle);
    return std::asin(std::clamp(sine, -1.0, 1.0)) / radian;
}

// A longitude on the equator where it is the middle of the night now.
inline double midnightLongitude() {
    const double hours = double(std::time(nullptr) % 86400) / 3600.0;
    return std::fmod(-15.0 * hours + 540.0, 360.0) - 180.0;
}

} // namespace aerolune::test
