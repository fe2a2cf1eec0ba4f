#pragma once

// Hands the stored location to whoever needs today's sky, as a success or a
// failure. The lookup is synchronous: the completion has run when getLocation
// returns.

#include "platform/CLLocationCoordinate2D.h"
#include "settings/LocationError.h"

#include <functional>
#include <variant>

namespace aerolune {

using LocationResult = std::variant<CLLocationCoordinate2D, LocationError>;

class LocationHelper {
public:
    // The one instance, made on first use and kept for the life of the process.
    static LocationHelper& shared();

    // Completes with the stored location, or with LocationError::missingPref.
    void getLocation(const std::function<void(const LocationResult&)>& completion) const;

    LocationHelper(const LocationHelper&) = delete;
    LocationHelper& operator=(const LocationHelper&) = delete;

private:
    LocationHelper() = default;
};

} // namespace aerolune
