#include "aerolune/LocationArgument.h"

#include "aerolune/DecimalNumber.h"
#include "geocode/PlaceSearch.h"
#include "platform/core/Trimmed.h"
#include "store/Prefs.h"

namespace aerolune {
namespace {

// A number as the text spells it, all of the text, with an optional leading
// '+'; "nan" and "inf" included, so that they are refused as coordinates
// rather than looked up as place names.
std::optional<double> number(std::string_view text) {
    return parseDecimal(trimmed(text, " "));
}

} // namespace

Result<LocationArgument> LocationArgument::parse(std::string_view text, std::string_view option) {
    const auto comma = text.find(',');
    if (comma != std::string_view::npos) {
        const auto latitude = number(text.substr(0, comma));
        const auto longitude = number(text.substr(comma + 1));
        if (latitude && longitude) {
            const CLLocationCoordinate2D place{*latitude, *longitude};
            if (auto valid = Prefs::validate(place); !valid)
                return failure(std::string(option) + ": " + valid.error().message);
            return LocationArgument{place};
        }
    }
    return LocationArgument{std::string(text)};
}

Result<LocationArgument::Resolved, GeocodeError> LocationArgument::resolve() const {
    if (const auto* coordinate = std::get_if<CLLocationCoordinate2D>(&value))
        return Resolved{*coordinate, std::nullopt};
    auto result = PlaceSearch::search(std::get<std::string>(value), 1);
    if (!result)
        return result.error();
    if (result->empty())
        return GeocodeError::notFound(std::get<std::string>(value));
    auto& best = result->front();
    return Resolved{best.coordinate, std::move(best)};
}

} // namespace aerolune
