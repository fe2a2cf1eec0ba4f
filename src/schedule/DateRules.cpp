#include "schedule/DateRules.h"

#include "platform/core/Calendar.h"

namespace aerolune {

bool isInTheFuture(TimePoint self, TimePoint from) {
    return self > from;
}

bool isPast(TimePoint self, TimePoint from) {
    return self < from;
}

bool isNowOrInThePast(TimePoint self, TimePoint from) {
    return self <= from;
}

bool wasRecent(TimePoint self, TimePoint from) {
    return self - from >= -recentWindow;
}

// The next calendar date is taken directly rather than by adding a day to the
// local time: where that time does not exist tomorrow, moving it forward could
// land two days on.
std::optional<TimePoint> justAfterMidnight(TimePoint self) {
    const auto today = Calendar::julianDayNumber(Calendar::localDate(self));
    const auto next = Calendar::startOfDay(Calendar::fromJulianDayNumber(today + 1));
    // A moment the calendar cannot place (not finite, or beyond its years)
    // has no next day.
    if (!next || !(*next > self))
        return std::nullopt;
    return next;
}

} // namespace aerolune
