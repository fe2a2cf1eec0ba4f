#include "schedule/SunEvents.h"

#include "astronomy/Solar.h"
#include "platform/core/Calendar.h"

#include <algorithm>
#include <cmath>

namespace aerolune {
namespace {

constexpr int firstDay = -1;
constexpr int lastDay = 2;
// Two neighbouring local days may both hold the same noon where the zone's
// offset changes between them; one sunrise is never this close to the next.
constexpr double sameEventSeconds = 6 * 3600.0;

} // namespace

SunEvents::SunEvents(TimePoint moment, CLLocationCoordinate2D coordinate) {
    if (!std::isfinite(moment))
        return;
    const auto today = Calendar::julianDayNumber(Calendar::localDate(moment));
    for (int day = firstDay; day <= lastDay; ++day) {
        const auto start = Calendar::startOfDay(Calendar::fromJulianDayNumber(today + day));
        if (!start)
            continue;
        const Solar solar(*start, coordinate);
        if (solar.sunrise())
            add(SkyMode::sunrise, *solar.sunrise());
        if (solar.sunset())
            add(SkyMode::sunset, *solar.sunset());
    }
    std::sort(events_.begin(), events_.end(),
              [](const SkyTransition& a, const SkyTransition& b) { return a.date < b.date; });
}

void SunEvents::add(SkyMode skyMode, TimePoint date) {
    const bool known = std::any_of(events_.begin(), events_.end(), [&](const SkyTransition& e) {
        return e.skyMode == skyMode && std::abs(e.date - date) < sameEventSeconds;
    });
    if (!known)
        events_.push_back({skyMode, date});
}

std::optional<SkyTransition> SunEvents::last(SkyMode skyMode, TimePoint now) const {
    std::optional<SkyTransition> found;
    for (const SkyTransition& event : events_)
        if (event.date <= now && event.skyMode == skyMode)
            found = event;
    return found;
}

std::optional<SkyTransition> SunEvents::last(TimePoint now) const {
    std::optional<SkyTransition> found;
    for (const SkyTransition& event : events_)
        if (event.date <= now)
            found = event;
    return found;
}

std::optional<SkyTransition> SunEvents::next(TimePoint now) const {
    for (const SkyTransition& event : events_)
        if (event.date > now)
            return event;
    return std::nullopt;
}

} // namespace aerolune
