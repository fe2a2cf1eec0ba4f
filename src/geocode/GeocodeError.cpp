#include "geocode/GeocodeError.h"

#include "platform/core/Localization.h"

namespace aerolune {

GeocodeError GeocodeError::nothingTyped() {
    return {Kind::nothingTyped, tr("Nothing was typed: enter a city or a postal code.")};
}

GeocodeError GeocodeError::tooLong(std::size_t maximumCharacters) {
    return {Kind::tooLong,
            Localization::format(tr("The text is too long: a place has at most %s characters."),
                                 {std::to_string(maximumCharacters)})};
}

GeocodeError GeocodeError::invalidText() {
    return {Kind::invalidText, tr("The text is not valid UTF-8.")};
}

GeocodeError GeocodeError::noPlaceName(std::string_view text) {
    return {Kind::noPlaceName,
            Localization::format(tr("\u201C%s\u201D has no place name before the comma: type a "
                                    "city first, such as \u201CParis, TX\u201D."),
                                 {text})};
}

GeocodeError GeocodeError::notFound(std::string_view text) {
    return {Kind::notFound,
            Localization::format(tr("No place called \u201C%s\u201D was found."), {text})};
}

GeocodeError GeocodeError::dataUnavailable(std::string_view reason) {
    return {Kind::dataUnavailable,
            Localization::format(tr("The list of places could not be read (%s)."), {reason})};
}

} // namespace aerolune
