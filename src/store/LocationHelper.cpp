#include "store/LocationHelper.h"

#include "platform/core/Log.h"
#include "store/Prefs.h"

namespace aerolune {
namespace {

std::string describe(const std::optional<CLLocationCoordinate2D>& coordinate) {
    return coordinate ? "Optional(" + aerolune::describe(*coordinate) + ")" : "nil";
}

// The ellipsis is U+2026, followed by a no-break space (U+00A0).
constexpr std::string_view kGetLocationLine = "[vemo] getLocation \u2026\u00a0";

} // namespace

LocationHelper& LocationHelper::shared() {
    static LocationHelper instance;
    return instance;
}

void LocationHelper::getLocation(
    const std::function<void(const LocationResult&)>& completion) const {
    if (const auto place = override()) {
        systemLog(std::string(kGetLocationLine) + describe(place) + " for this run only");
        completion(*place);
        return;
    }
    systemLog(std::string(kGetLocationLine) + describe(Prefs::coordinates()));
    if (const auto coordinate = Prefs::coordinates())
        completion(*coordinate);
    else
        completion(LocationError::missingPref);
}

Result<void> LocationHelper::setOverride(std::optional<CLLocationCoordinate2D> coordinate) {
    if (coordinate) {
        if (auto valid = Prefs::validate(*coordinate); !valid)
            return valid;
    }
    const std::lock_guard lock(mutex_);
    override_ = coordinate;
    return {};
}

std::optional<CLLocationCoordinate2D> LocationHelper::override() const {
    const std::lock_guard lock(mutex_);
    return override_;
}

} // namespace aerolune
