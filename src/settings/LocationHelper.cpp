#include "settings/LocationHelper.h"

#include "platform/Log.h"
#include "settings/Prefs.h"

#include <optional>
#include <string>

namespace aerolune {
namespace {

std::string describe(const std::optional<CLLocationCoordinate2D>& coordinate) {
    return coordinate ? "Optional(" + aerolune::describe(*coordinate) + ")" : "nil";
}

} // namespace

LocationHelper& LocationHelper::shared() {
    static LocationHelper instance;
    return instance;
}

void LocationHelper::getLocation(
    const std::function<void(const LocationResult&)>& completion) const {
    if (override_) {
        systemLog("[vemo] getLocation \u2026\u00a0" + describe(override_) + " (for this run)");
        completion(*override_);
        return;
    }
    // The ellipsis is U+2026, followed by a no-break space (U+00A0).
    systemLog("[vemo] getLocation \u2026\u00a0" + describe(Prefs::coordinates()));
    if (const auto coordinate = Prefs::coordinates())
        completion(*coordinate);
    else
        completion(LocationError::missingPref);
}

} // namespace aerolune
