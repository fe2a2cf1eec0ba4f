#pragma once

// Hands the stored location to whoever needs today's sky, as a success or a
// failure. The lookup is synchronous: the completion has run when getLocation
// returns.
//
// A run may name its own place (aerolune --location, --lat/--lon): that
// override then answers every lookup instead of the store, which is neither
// read nor written. Unlike the store it may lie on the equator or the prime
// meridian.

#include "platform/core/CLLocationCoordinate2D.h"
#include "platform/core/Result.h"
#include "store/LocationError.h"

#include <functional>
#include <mutex>
#include <optional>

namespace aerolune {

// What getLocation hands its completion: the place, or why there is none.
using LocationResult = Result<CLLocationCoordinate2D, LocationError>;

class LocationHelper {
public:
    // The one instance, made on first use and kept for the life of the process.
    static LocationHelper& shared();

    // Completes with the override, or the stored location, or with
    // LocationError::missingPref.
    void getLocation(const std::function<void(const LocationResult&)>& completion) const;

    // The place for this run only, or nothing to go back to the store.
    // Refuses (keeping the old override) a coordinate that is not a place on
    // Earth, and says why.
    Result<void> setOverride(std::optional<CLLocationCoordinate2D> coordinate);
    std::optional<CLLocationCoordinate2D> override() const;

    LocationHelper(const LocationHelper&) = delete;
    LocationHelper& operator=(const LocationHelper&) = delete;

private:
    LocationHelper() = default;

    mutable std::mutex mutex_;
    std::optional<CLLocationCoordinate2D> override_;
};

} // namespace aerolune
