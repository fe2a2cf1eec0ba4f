#pragma once

// Why a lookup of a typed place found nothing, with the sentence the
// settings window shows after "Error: ", in the user's language.

#include <string>
#include <string_view>
#include <utility>

namespace aerolune {

class GeocodeError {
public:
    enum class Kind { nothingTyped, tooLong, invalidText, noPlaceName, notFound, dataUnavailable };

    static GeocodeError nothingTyped();
    static GeocodeError tooLong(std::size_t maximumCharacters);
    static GeocodeError invalidText();
    // Only a qualifier, nothing before the comma: ", tx".
    static GeocodeError noPlaceName(std::string_view text);
    // "No place called “text” was found."
    static GeocodeError notFound(std::string_view text);
    static GeocodeError dataUnavailable(std::string_view reason);

    Kind kind() const { return kind_; }
    const std::string& errorDescription() const { return description_; }

    bool operator==(const GeocodeError&) const = default;

private:
    GeocodeError(Kind kind, std::string description)
        : kind_(kind), description_(std::move(description)) {}

    Kind kind_;
    std::string description_;
};

} // namespace aerolune
