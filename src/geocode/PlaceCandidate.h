#pragma once

// One place that matches what was typed, as the settings window and the
// command line show it.

#include "platform/core/CLLocationCoordinate2D.h"

#include <cstdint>
#include <string>

namespace aerolune {

struct PlaceCandidate {
    std::string name;        // "Paris"; for a ZIP code, the nearest place (may be empty)
    std::string region;      // "Texas"; empty where the gazetteer has no region names
    std::string regionCode;  // "TX", "08"; as the gazetteer writes it
    std::string country;     // "United States"
    std::string countryCode; // "US"
    CLLocationCoordinate2D coordinate;
    std::int64_t population = 0; // 0 for a ZIP code
    std::string postalCode;      // the ZIP code it was found by, or empty

    // "Paris, Texas, United States"; "10001 New York, New York, United States".
    std::string describe() const;

    bool operator==(const PlaceCandidate&) const = default;
};

} // namespace aerolune
