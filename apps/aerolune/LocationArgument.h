#pragma once

// A place given on the command line (--set-location TEXT, --location TEXT):
// two numbers separated by a comma are a latitude and a longitude in degrees
// ("48.85,2.35", " -33.9 , 18.4 "); any other text is a place to look up in
// the gazetteer, as the settings window does: "Lisbon", "paris, tx", "10001".

#include "geocode/GeocodeError.h"
#include "geocode/PlaceCandidate.h"
#include "platform/core/CLLocationCoordinate2D.h"
#include "platform/core/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace aerolune {

struct LocationArgument {
    std::variant<CLLocationCoordinate2D, std::string> value;

    // The coordinate that came back, and the place it belongs to when it was
    // looked up by name.
    struct Resolved {
        CLLocationCoordinate2D coordinate;
        std::optional<PlaceCandidate> place;
    };

    // The argument of `option`; fails, with a one-line message, on a pair of
    // numbers that is not a place on Earth. Place names are not looked up here.
    static Result<LocationArgument> parse(std::string_view text, std::string_view option);

    // The coordinate, looking a name up (synchronously) in the gazetteer and
    // taking its best match; or why nothing was found.
    Result<Resolved, GeocodeError> resolve() const;

    bool operator==(const LocationArgument&) const = default;
};

} // namespace aerolune
