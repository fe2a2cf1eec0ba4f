#pragma once

// A place on Earth in degrees, north and east positive, latitude first.

#include <string>

namespace aerolune {

struct CLLocationCoordinate2D {
    double latitude = 0;
    double longitude = 0;
    bool operator==(const CLLocationCoordinate2D&) const = default;
};

// The default textual rendering used in log lines:
// "CLLocationCoordinate2D(latitude: 48.5, longitude: 2.25)".
std::string describe(const CLLocationCoordinate2D& coordinate);

// The shortest decimal text that reads back as the same double, always with a
// decimal point or exponent: 48.5 -> "48.5", 0 -> "0.0", -420 -> "-420.0".
std::string shortestDecimal(double value);
// The same without an exponent (0.000001, not 1e-06), for files and people.
std::string plainDecimal(double value);

} // namespace aerolune
