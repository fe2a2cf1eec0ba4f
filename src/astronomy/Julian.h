#pragma once

// Julian days in the local-day convention the sunrise equation is written in.
//
// The whole part of a Julian day here is the Julian Day Number of a calendar
// date in the process's current time zone (2000-01-01 is 2451545), and that
// number names the local day from one local midnight to the next, not the
// astronomical day that starts at noon UTC. The fraction is a fraction of a
// day of exactly 86400 seconds counted from the first moment of the local day.
//
// julianDay adds 0.5 plus the day's offset from UTC; dateFromJulianDay takes
// the same offset away again. Both use one offset for the whole local day,
// (midnight of the date read as UTC) minus (the first moment of the day), so on
// a day on which the zone's offset changes every moment of the day gives the
// same value and the round trip still lands on the right moment.

#include "platform/core/Time.h"

#include <cstdint>

namespace aerolune {

class Julian {
public:
    Julian() = delete;

    static constexpr double j2000 = 2451545.0;

    // The Julian Day Number of the local calendar date that contains `date`.
    static std::int64_t localDayNumber(TimePoint date);

    // (JDN of the local date + 0.5) + the day's offset / 86400. The time of day
    // is dropped: every moment of one local day gives the same value.
    static double julianDay(TimePoint date);

    // julianDay(date) - 2451545.
    static double daysSinceJ2000(TimePoint date);

    // The moment that lies (julianDay - floor(julianDay)) of an 86400-second
    // day after the first moment of local day floor(julianDay). The argument
    // must be finite and within the calendar's years (about ±32000).
    static TimePoint dateFromJulianDay(double julianDay);

    // Like dateFromJulianDay, but counts from the first moment of local day
    // `dayNumber` even when julianDay lies on a neighbouring day, so that a
    // value computed on that day's offset is read back on the same offset.
    static TimePoint dateFromJulianDay(double julianDay, std::int64_t dayNumber);
};

} // namespace aerolune
