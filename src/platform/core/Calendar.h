#pragma once

// Calendar questions in the process's current time zone. Every call runs
// tzset() first, so a change of TZ (an IANA name such as "Europe/Paris" or a
// POSIX string such as "EST5EDT,M3.2.0,M11.1.0") takes effect on the next call
// without a restart, as the desktop's clock does.
//
// Local days are not always 24 hours long and do not always begin at 00:00:
// where a zone skips midnight (America/Havana springs forward at 00:00), the
// first moment of the day is the first instant whose local date is that day.

#include "platform/core/Time.h"

#include <compare>
#include <cstdint>
#include <optional>

namespace aerolune {

struct LocalDate {
    int year = 1970;
    int month = 1; // 1-12
    int day = 1;   // 1-31
    auto operator<=>(const LocalDate&) const = default;
};

class Calendar {
public:
    // The local calendar date that contains t.
    static LocalDate localDate(TimePoint t);

    // The zone's offset from UTC at t, in seconds, east positive.
    static long utcOffset(TimePoint t);

    // The first moment of a local day. Absent only for dates outside what the
    // C library can represent.
    static std::optional<TimePoint> startOfDay(LocalDate date);
    static std::optional<TimePoint> startOfDay(TimePoint t) { return startOfDay(localDate(t)); }

    // The same local time of day `days` calendar days later (or earlier), moved
    // forward where that local time does not exist on the target day.
    static std::optional<TimePoint> addingDays(TimePoint t, int days);

    // (the local date at 00:00 read as UTC) minus (the first moment of that
    // local day): the zone's offset on ordinary days, and one value for the
    // whole of a day on which the offset changes.
    static std::optional<long> dayOffset(LocalDate date);

    // Julian Day Numbers of the proleptic Gregorian calendar:
    // 2000-01-01 is 2451545, 1970-01-01 is 2440588.
    static std::int64_t julianDayNumber(LocalDate date);
    static LocalDate fromJulianDayNumber(std::int64_t jdn);

    // Days since 1970-01-01 of a date; the date's midnight read as UTC is this times 86400.
    static std::int64_t daysSinceEpoch(LocalDate date);
};

} // namespace aerolune
