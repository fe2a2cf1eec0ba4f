#pragma once

// The rules on points in time that decide the sky. `self` is the moment under
// test and `from` the moment it is compared with (in practice, now). The
// comparisons are exact and ignore time zones; only justAfterMidnight reads
// the calendar, in the zone current at the call.

#include "platform/core/Time.h"

#include <optional>

namespace aerolune {

// How far back a moment still counts as recent: the hour after sunrise or
// sunset during which its transition is shown.
inline constexpr double recentWindow = 3600.0;

bool isInTheFuture(TimePoint self, TimePoint from);    // self > from
bool isPast(TimePoint self, TimePoint from);           // self < from
bool isNowOrInThePast(TimePoint self, TimePoint from); // self <= from

// self - from >= -3600: at most an hour ago, or any time later.
bool wasRecent(TimePoint self, TimePoint from);

// The first moment of the local day after the one that contains `self`
// (local midnight, or the first moment after it where midnight is skipped).
// Absent only outside the calendar's years.
std::optional<TimePoint> justAfterMidnight(TimePoint self);

} // namespace aerolune
