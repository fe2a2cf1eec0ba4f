#pragma once

// Hands the stored location to whoever needs today's sky, as a success or a
// failure. The lookup is synchronous: the completion has run when getLocation
// returns.

#include "platform/CLLocationCoordinate2D.h"
#include "settings/LocationError.h"

#include <functional>
#include <optional>
#include <variant>

namespace aerolune {

using LocationResult = std::variant<CLLocationCoordinate2D, LocationError>;

class LocationHelper {
public:
    // The one instance, made on first use and kept for the life of the process.
    static LocationHelper& shared();

    // Completes with the stored location, or with LocationError::missingPref.
    void getLocation(const std::function<void(const LocationResult&)>& completion) const;

    // A place for this run only (a command-line option), used instead of the
    // stored one; none goes back to the store.
    void setOverride(std::optional<CLLocationCoordinate2D> place) { override_ = place; }
    const std::optional<CLLocationCoordinate2D>& override() const { return override_; }

    LocationHelper(const LocationHelper&) = delete;
    LocationHelper& operator=(const LocationHelper&) = delete;

private:
    LocationHelper() = default;

    std::optional<CLLocationCoordinate2D> override_;
};

} // namespace aerolune
