#pragma once

// The sunrises and sunsets of one place around a moment, in time order.
//
// A forecast must not hang on where the machine's time zone draws the line
// between days. The sun of one local day is the sun whose noon falls on that
// day, so for a place far from the zone's own solar time (Tokyo seen from
// London) the place's morning belongs to the zone's next day, and one local
// day alone would show neither the sunrise just gone nor the one to come.
// These are the sun of the local days from the one before the moment's to the
// one after next: at least a whole day of the place's sun on either side of
// the moment, whatever the zone. Where the sun neither rises nor sets (polar
// day or night) a day adds nothing.

#include "platform/core/CLLocationCoordinate2D.h"
#include "platform/core/Time.h"
#include "schedule/SkyTransition.h"

#include <optional>
#include <vector>

namespace aerolune {

class SunEvents {
public:
    SunEvents(TimePoint moment, CLLocationCoordinate2D coordinate);

    // Each a change to `sunrise` or to `sunset`, earliest first.
    const std::vector<SkyTransition>& events() const { return events_; }

    // The latest sunrise or sunset (as `skyMode` says) at or before `now`.
    std::optional<SkyTransition> last(SkyMode skyMode, TimePoint now) const;
    // The latest of either at or before `now`.
    std::optional<SkyTransition> last(TimePoint now) const;
    // The first of either strictly after `now`.
    std::optional<SkyTransition> next(TimePoint now) const;

private:
    void add(SkyMode skyMode, TimePoint date);

    std::vector<SkyTransition> events_;
};

} // namespace aerolune
