#pragma once

// A point in time is a double of seconds since 1970-01-01 00:00:00 UTC. It
// carries no time zone; calendar questions go through Calendar.

#include <optional>
#include <string>
#include <string_view>

namespace aerolune {

using TimePoint = double;

// "2024-06-21T03:48:15Z": UTC, rounded to the nearest second.
std::string formatUtc(TimePoint t);

// The default textual description used in log lines: "2024-06-21 03:48:15 +0000".
std::string describe(TimePoint t);
std::string describe(const std::optional<TimePoint>& t);

// ISO 8601 date-time with seconds optional and a "Z" or "+HH:MM"/"-HH:MM" suffix,
// e.g. "2024-06-21T12:00:00+02:00". Anything else is refused.
std::optional<TimePoint> parseIso8601(std::string_view text);

// "72h", "90m", "3600s", "2d" or a plain number of seconds. Refuses negatives.
std::optional<double> parseDuration(std::string_view text);

} // namespace aerolune
