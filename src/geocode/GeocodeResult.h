#pragma once

// The answer to one lookup: candidates best first, or the error. Exactly one
// of the two is present.

#include "geocode/GeocodeError.h"
#include "geocode/PlaceCandidate.h"
#include "platform/core/CLLocationCoordinate2D.h"

#include <optional>
#include <vector>

namespace aerolune {

struct GeocodeResult {
    std::vector<PlaceCandidate> candidates;
    std::optional<GeocodeError> error;

    // The first candidate's coordinate: what the settings window shows and saves.
    std::optional<CLLocationCoordinate2D> coordinate() const {
        if (candidates.empty())
            return std::nullopt;
        return candidates.front().coordinate;
    }
};

} // namespace aerolune
