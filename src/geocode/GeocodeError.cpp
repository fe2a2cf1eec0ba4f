#include "geocode/GeocodeError.h"

namespace aerolune {

GeocodeError GeocodeError::nothingTyped() {
    return {Kind::nothingTyped, "Nothing was typed: enter a city or a postal code."};
}

GeocodeError GeocodeError::tooLong(std::size_t maximumCharacters) {
    return {Kind::tooLong, "The text is too long: a place has at most " +
                               std::to_string(maximumCharacters) + " characters."};
}

GeocodeError GeocodeError::invalidText() {
    return {Kind::invalidText, "The text is not valid UTF-8."};
}

GeocodeError GeocodeError::notFound(std::string_view text) {
    return {Kind::notFound, "No place called \u201C" + std::string(text) + "\u201D was found."};
}

GeocodeError GeocodeError::dataUnavailable(std::string_view reason) {
    return {Kind::dataUnavailable,
            "The list of places could not be read (" + std::string(reason) + ")."};
}

} // namespace aerolune
